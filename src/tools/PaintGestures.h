#pragma once
// The four painting modes (500 paint the picked face, 501 the whole object,
// 502 pick the face's material up, 503 every face with the picked face's
// material): each acts on a left press, after picking the object (not a
// light, camera or control point) under the cursor. A press that selects
// nothing, or a selection without a mesh, does nothing.

namespace corvid {

class Tools;

// Runs the painting mode's press at render-surface pixel (x, y). True when
// it painted or picked a material up.
bool PaintPress(Tools& tools, int mode, int x, int y);

} // namespace corvid
