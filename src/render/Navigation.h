#pragma once
// The mouse state the viewports keep for navigation and the tools, and the
// navigation modes 1..6 that move the view cameras.

#include "platform/Device.h"

namespace corvid {

class ViewSet;

// The field values navigation keeps a view within. A perspective field is
// the picture's half-width at distance 1 (0.01 is about 1 degree across, 5
// about 157 degrees); an orthographic one its half-width in scene units, up
// to the distance of the back plane.
struct FieldLimits {
    float min = 0.0f, max = 0.0f;
};
FieldLimits FieldLimitsOf(Projection projection);

// The navigation modes among the tool modes (tools/ToolMode.h).
enum NavigationMode : int {
    kModePan = 1,
    kModeOrbit = 2,
    kModeDollyActive = 3,
    kModeDollyAll = 4,
    kModeFieldActive = 5,
    kModeFieldAll = 6,
};

constexpr bool IsNavigationMode(int mode) { return mode >= kModePan && mode <= kModeFieldAll; }

// The key code of Delete as the viewports pass it on.
constexpr int kKeyDelete = 46;

// Buttons and positions in render-surface pixels of the active viewport.
struct MouseState {
    bool leftDown = false;
    bool rightDown = false;
    int lastX = 0, lastY = 0;
    // The last step: dx = lastX - x, dy = lastY - y, and the drag distance
    // d = sqrt(dx^2 + dy^2 + 300^2).
    int dx = 0, dy = 0;
    float d = 300.0f;
};

// One drag step of navigation mode (1..6) with the step stored in
// views.mouse. Every step that changes something ends with SCENE's 1.0
// move, a refit of the selection marker and a render of all views. Returns
// whether anything moved.
bool NavigationStep(ViewSet& views, int mode);

} // namespace corvid
