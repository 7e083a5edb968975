#include "ViewFakes.h"

#include "platform/Frame.h"

using namespace corvid;
using namespace corvid::testing;

TEST_F(ViewTest, AnEmptyWindowBuildsNothingAndSaysNothing)
{
    for (auto [size, detail] : {std::pair{Size{0, 300}, 100}, {Size{400, 0}, 100}, {Size{3, 3}, 25}}) {
        windows[0].size = size;
        View(1).detail = detail;
        EXPECT_FALSE(views.BuildViewDevice(View(1)));
    }
    EXPECT_TRUE(factory.requests.empty());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(views.renderingEnabled);
}

TEST_F(ViewTest, DetailLevelShrinksThePictureNotTheWindow)
{
    windows[0].size = {100, 100};
    View(1).detail = 25;
    factory.onCreate = [this] { EXPECT_FALSE(views.renderingEnabled) << "no rendering during a build"; };
    ASSERT_TRUE(views.BuildViewDevice(View(1)));
    EXPECT_TRUE(views.renderingEnabled);
    const DeviceRequest& r = factory.requests.at(0);
    EXPECT_EQ(Size(r.width, r.height), Size(25, 25));
    EXPECT_EQ(r.driver->name, "Fast");
    EXPECT_EQ(DeviceOf(1)->quality, 138u);  // the render states went in
    EXPECT_EQ(DeviceOf(1)->shades, 256);

    View(1).shown = true;
    views.RenderAllViews();
    EXPECT_EQ(windows[0].presented.at(0), (Rect{0, 0, 100, 100}));
}

TEST_F(ViewTest, AFailingDriverFallsBackToDriverOneOrFromItToDriverZeroOnce)
{
    struct Case {
        const char* name;
        int start;
        std::set<int> failing;
        std::vector<int> tries;
        bool built;
    } cases[] = {
        {"default fails, driver 1 works", 2, {2}, {2, 1}, true},
        {"both fail: no second fall-back", 2, {1, 2}, {2, 1}, false},
        {"driver 1 itself fails: driver 0", 1, {1}, {1, 0}, true},
        {"driver 1 and driver 0 fail: no second fall-back", 1, {0, 1}, {1, 0}, false},
        {"nothing fails", 2, {}, {2}, true},
    };
    for (const auto& c : cases) {
        factory.requests.clear();
        factory.failing = c.failing;
        views.ReleaseViewDevice(View(1));
        View(1).driverIndex = c.start;

        EXPECT_EQ(views.BuildViewDevice(View(1)), c.built) << c.name;
        std::vector<int> tries;
        for (const auto& r : factory.requests)
            tries.push_back(r.driverIndex);
        EXPECT_EQ(tries, c.tries) << c.name;
        EXPECT_EQ(View(1).driver.name, views.drivers[c.tries.back()].name) << c.name;
        EXPECT_EQ(View(1).ready, c.built) << c.name;
        EXPECT_TRUE(views.renderingEnabled) << c.name << ": the other views still draw";
    }
}

TEST_F(ViewTest, RenderAllMovesTheSceneThenDrawsShownViewportsInOrder)
{
    scene.Scene()->AddMoveCallback("probe", [this](Frame&, float delta) { log.push_back("move " + std::to_string(delta)); });
    for (int n : {1, 3, 4})
        ASSERT_TRUE(views.BuildViewDevice(View(n)));
    for (int n : {1, 2, 3})
        View(n).shown = true;  // 2 has no device, 4 is not shown
    log.clear();

    views.renderingEnabled = false;
    views.RenderAllViews();
    EXPECT_TRUE(log.empty());

    views.renderingEnabled = true;
    views.RenderAllViews();
    EXPECT_EQ(log, (CallLog{"move 4.000000", "clear v1", "render v1", "update v1", "present v1", "clear v3",
                            "render v3", "update v3", "present v3"}));
    EXPECT_EQ(DeviceOf(3)->camera, View(3).cameras[kViewTop].get());
    EXPECT_EQ(DeviceOf(3)->view.field, 20.0f);
    EXPECT_EQ(DeviceOf(3)->view.projection, Projection::Orthographic);
    EXPECT_EQ(DeviceOf(3)->view.back, 10000.0f);
}

TEST_F(ViewTest, WhileTheRenderOutputIsShownOnlyItIsDrawnInItsBox)
{
    FakeWindow outputWindow{"out", log, {800, 600}};
    ViewRecord& output = views.RenderOutputView();
    output.window = &outputWindow;
    output.camera = View(1).camera;
    views.renderOutputWidth = 640;
    views.renderOutputHeight = 240;
    ASSERT_TRUE(views.BuildViewDevice(output));
    EXPECT_EQ(Size(factory.requests.back().width, factory.requests.back().height), Size(640, 240));
    ASSERT_TRUE(views.BuildViewDevice(View(1)));
    output.shown = View(1).shown = true;

    views.RenderAllViews();
    EXPECT_EQ(Count("present v1"), 0);
    EXPECT_EQ(outputWindow.presented, (std::vector<Rect>{Rect{200, 225, 400, 150}}));
    views.ReleaseViewDevice(output);
}

TEST_F(ViewTest, ResizeRebuildsOnlyABuiltViewWithANewPictureSize)
{
    EXPECT_FALSE(views.ViewportResized(1));  // no device yet
    ASSERT_TRUE(views.BuildViewDevice(View(1)));
    EXPECT_FALSE(views.ViewportResized(1));  // same size
    windows[0].size = {640, 480};
    EXPECT_TRUE(views.ViewportResized(1));
    EXPECT_EQ(factory.requests.size(), 2u);
}
