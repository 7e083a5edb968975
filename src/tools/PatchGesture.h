#pragma once
// The creation gesture of the patch tools (modes 800 and 802).

#include "platform/Fwd.h"

namespace corvid {

class Tools;
struct ToolDragState;

// The creation gesture of the patch tools (modes 800 and 802).
// Press: a temporary unit box at the insertion point, blue for the B-spline
// tool and orange for the Catmull-Rom tool; refused with the parameters'
// message when they cannot make a patch. Drag: the box is squashed to
// kPatchBoxThickness and its x and z extents follow the cursor on the
// horizontal plane through its centre (by pixels where the view sees that
// plane edge-on), never below 0.0001. Release: the box goes and a patch of
// its width and depth takes its place. The gesture keeps the box in
// drag.frame and its centre in drag.startPosition.
constexpr float kPatchBoxThickness = 0.001f;
bool BeginPatchGesture(Tools& tools, ToolDragState& drag, int patchType);
void DragPatchGesture(Tools& tools, ToolDragState& drag, int x, int y);
FramePtr EndPatchGesture(Tools& tools, ToolDragState& drag, int patchType);

} // namespace corvid
