#pragma once
// A small scene built in code, for trying the tool without a scene file.

namespace corvid {

class Editor;

// Adds two boxes (the second a copy of the first, moved aside), a camera and
// two lights to the editor's scene.
void BuildDemoScene(Editor& editor);

} // namespace corvid
