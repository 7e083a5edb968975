#pragma once
// Tool tests: the scene model with its views and tools, VIEWPORT_1 with a
// 400 x 300 render surface seen through its perspective camera, which looks
// at SCENE's origin from 30 units away (so the origin is at pixel
// (200, 150) and a pixel there spans 2 * 0.5 * 30 / 400 = 0.075 units), and
// helpers for gestures.

#include "scene/SceneFixture.h"

#include "support/SizedDevice.h"
#include "render/MenuModel.h"
#include "render/ViewSet.h"
#include "tools/ToolMode.h"
#include "anim/Transport.h"
#include "tools/Tools.h"

namespace corvid::testing {

constexpr int kCentreX = 200, kCentreY = 150;
constexpr float kUnitsPerPixelAtOrigin = 0.075f;

class ToolTest : public SceneTest {
protected:
    ToolTest()
    {
        views.Viewport(1).device = std::make_unique<SizedDevice>(400, 300);
        views.ActivateView(1);
    }

    void Press(int x, int y, MouseButton b = MouseButton::Left) { tools.Press(b, x, y); }
    void Drag(int x, int y) { tools.Drag(x, y); }
    void Release(int x, int y, MouseButton b = MouseButton::Left) { tools.Release(b, x, y); }
    // A whole left (or right) drag from one pixel to another in steps.
    void Gesture(int x0, int y0, int x1, int y1, MouseButton b = MouseButton::Left, int steps = 4)
    {
        Press(x0, y0, b);
        for (int i = 1; i <= steps; ++i)
            Drag(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
        Release(x1, y1, b);
    }

    MenuModel menu;
    ViewSet views{scene, menu};
    Animation animation{scene};
    Transport transport{animation, views};
    Tools tools{scene, views, transport};
};

} // namespace corvid::testing
