#pragma once
// A small scene built in code, for trying the editor and the command-line
// tool without a scene file: the primitives, a patch, a copy, a camera and two
// lights.

namespace corvid {

class Editor;

// Adds the demo objects to the editor's scene, made and registered the way a
// person's objects are. The colours are the same on every run.
void BuildDemoScene(Editor& editor);

} // namespace corvid
