#pragma once
// The whole editor on the fake views of the render tests: three drivers
// (driver 2 the default, driver 1 the fall-back) and four fake windows.

#include "app/Editor.h"
#include "render/ViewFakes.h"

namespace corvid::testing {

class AppTest : public ::testing::Test {
protected:
    AppTest()
    {
        editor.views.deviceFactory = &factory;
        editor.views.SetDriverTable({MakeDriver("Display", {16, 24, 32}), MakeDriver("Fallback", {16, 24}),
                                     MakeDriver("Fast", {24, 32})});
        editor.views.UseDefaultDriver();
        for (int n = 1; n <= 4; ++n)
            editor.views.Viewport(n).window = &windows[n - 1];
    }
    ViewRecord& View(int n) { return editor.views.Viewport(n); }

    CallLog log;
    FakeFactory factory{log};
    FakeWindow windows[4]{{"v1", log}, {"v2", log}, {"v3", log}, {"v4", log}};
    ScriptedUi ui;
    Editor editor{ui};
};

} // namespace corvid::testing
