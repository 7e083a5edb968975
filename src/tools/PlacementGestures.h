#pragma once
// Placing cameras (tool mode 606) and lights (1100 to 1104) with the mouse.
//
// A left press picks (which sets the insertion point) and creates the object
// there (toolState 1). While the button is held, the vertical drag sets its
// height: x and z stay at the insertion point, y is the insertion point's y
// plus the cursor's upward travel since the press, in scene units at the
// insertion point's depth in the active view. The release finishes ambient
// and point lights: the object and its light are registered (state 0).
// Cameras and directional, spot and parallel-point lights are aimed instead
// (state 2): each mouse move without a button turns them by
// 4 d / sqrt(|D|^2 + 300^2) radians for the step D and its component d.
// A camera turns about SCENE's y axis by the horizontal motion and about its
// own right axis by the vertical motion; a light about the view's up and
// right axes. Either way the object's forward axis swings the way the cursor
// goes (a camera looks where the cursor moves; a light's beam follows it).
// The next press ends the aiming (state 0) and its release registers.
//
// A right press with no gesture in progress creates the object at the
// insertion point as it stands and registers it at once (no height, no
// aiming), so that it can be deleted and keyed like any other.
//
// An object whose gesture was cut short (another tool chosen before the
// aiming ended) is registered by the next press of any tool, so no camera
// or light is left without its interpolator and tree item.

#include "platform/Fwd.h"
#include "platform/Math.h"

namespace corvid {

class Tools;
class ViewSet;
struct ToolDragState;

// The aiming rule's constant and angle: a step of (dx, dy) pixels turns by
// 4 d / sqrt(dx^2 + dy^2 + 300^2) for its component d.
constexpr float kAimPixels = 300.0f;
float AimStepAngle(int d, int dx, int dy);

// Tools::stage during a placement.
enum PlacementStage : int {
    kPlacementIdle = 0,    // nothing in progress, or aiming ended: the release registers
    kPlacementHeight = 1,  // created; the held button sets the height
    kPlacementAiming = 2,  // moves without a button aim the object
};

bool IsPlacementMode(int mode);
// True for the modes whose objects are aimed after the height drag.
bool PlacementAims(int mode);

// The object a placement gesture is making, until it is registered.
struct PlacementState {
    FramePtr frame;
    LightPtr light;  // the light tools' light, else null
    int mode = 0;    // the tool mode that made it
    Vec3 base;       // the insertion point it was made at (relative to SCENE)
    int pressY = 0;
    float unitsPerPixel = 0.0f;  // 0: the view could not tell, the height stays
    bool Pending() const { return frame != nullptr; }
};

namespace placement {

// first: no other button was down. left: the left button.
void Press(Tools& tools, PlacementState& state, bool left, bool first, int x, int y);
// A move with a button down.
void Drag(Tools& tools, PlacementState& state, const ToolDragState& drag, int x, int y);
// A move without a button, from (lastX, lastY) to (x, y).
void Aim(Tools& tools, PlacementState& state, int lastX, int lastY, int x, int y);
// last: no button is down any more.
void Release(Tools& tools, PlacementState& state, bool last);
// Registers a pending object (when it is still in the scene) and forgets it.
void Settle(Tools& tools, PlacementState& state);

} // namespace placement
} // namespace corvid
