#pragma once
// The pick fixture of the view tests with the tools on top, for tests that
// drive the viewports through their mouse and key input.

#include "render/PickFixture.h"
#include "tools/ToolMode.h"
#include "anim/Transport.h"
#include "tools/Tools.h"

namespace corvid::testing {

class InputTest : public PickTest {
protected:
    Animation animation{scene};
    Transport transport{animation, views};
    Tools tools{scene, views, transport};
};

} // namespace corvid::testing
