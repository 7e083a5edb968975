// Fog, background and the display switches: the sliders and fields, the
// colour link, the background picture and its box, keys while animating,
// and each change as one step of the edit history.

#include "anim/AnimFixture.h"

#include "materials/WorldSettings.h"
#include "platform/ImageService.h"
#include "platform/Texture.h"
#include "scene/EditParts.h"

#include <algorithm>
#include <functional>

#include <cmath>
#include <limits>

namespace corvid::testing {
namespace {

class WorldSettingsTest : public AnimTest {
protected:
    SceneProperties& World() { return scene.World()->Scene(); }
    TexturePtr Picture()
    {
        Image image;
        image.width = image.height = 2;
        image.rgba.assign(16, 200);
        return Texture::FromImage(std::move(image), "sky.bmp");
    }
    WorldSettings world{scene, animation};
};

TEST_F(WorldSettingsTest, SlidersSetTheChannelsInStepsOfA255th)
{
    world.SetFogChannel(0, 255);
    world.SetFogChannel(1, 128);
    world.SetFogChannel(2, 300);  // beyond the slider
    EXPECT_EQ(World().fogColor.r, 1.0f);
    EXPECT_NEAR(World().fogColor.g, 0.50196f, 1e-5f);
    EXPECT_EQ(World().fogColor.b, 1.0f);
    EXPECT_EQ(world.FogSliders(), (std::array<int, 3>{255, 128, 255}));
    world.SetBackgroundColor(10, 20, 30);
    EXPECT_NEAR(World().background.b, 30.0f / 255.0f, 1e-6f);
    EXPECT_EQ(World().fogColor.g, SliderChannel(128)) << "without the link the fog stays";
}

TEST_F(WorldSettingsTest, TheLinkMovesTheOtherColourOnceWithoutEchoing)
{
    world.SetFogColor(100, 0, 50);
    world.SetBackgroundColor(5, 6, 7);
    world.SetLinked(true);
    scene.History().Clear();
    ui.notifications.clear();
    world.SetFogChannel(1, 40);
    EXPECT_EQ(world.BackgroundSliders(), (std::array<int, 3>{100, 40, 50}));
    EXPECT_EQ(World().background, World().fogColor);
    EXPECT_EQ(world.FogSliders(), (std::array<int, 3>{100, 40, 50}));
    EXPECT_EQ(scene.History().UndoCount(), 1u) << "the linked update is part of the slider's step";
    EXPECT_EQ(std::count(ui.notifications.begin(), ui.notifications.end(), Notification::RedrawRequested), 1)
        << "one redraw for the whole linked update";

    world.SetBackgroundChannel(0, 7);
    EXPECT_EQ(world.FogSliders()[0], 7);
    ASSERT_TRUE(scene.History().Undo());
    EXPECT_EQ(World().fogColor.r, SliderChannel(100));
    EXPECT_EQ(World().background.r, SliderChannel(100));
}

TEST_F(WorldSettingsTest, FogFieldsKeepTheLastValueForOneThatIsNotANumber)
{
    world.SetFogParams(2.0f, 50.0f, 0.25f);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    world.SetFogParams(nan, inf, 0.5f);
    EXPECT_EQ(World().fogStart, 2.0f);
    EXPECT_EQ(World().fogEnd, 50.0f);
    EXPECT_EQ(World().fogDensity, 0.5f);
}

TEST_F(WorldSettingsTest, ChangesWhileAnimatingKeepWorldKeys)
{
    AnimateAt(10);
    world.SetFogParams(1.0f, 20.0f, 0.0f);
    world.SetFogChannel(0, 200);
    world.SetFogEnabled(true);  // not an animated part
    FrameInterpolator& keys = Interpolator(scene.World());
    ASSERT_EQ(keys.GetKeyCount(FrameChannel::FogParams), 2u) << "the start key at 0 and the key at 10";
    EXPECT_EQ(keys.GetSceneFogParamsKeys()[1].end, 20.0f);
    EXPECT_EQ(keys.GetKeyCount(FrameChannel::FogColor), 2u);
    EXPECT_EQ(keys.GetKeyCount(FrameChannel::Background), 0u);

    world.SetLinked(true);
    world.SetFogChannel(2, 90);
    // The fog colour and the background share WORLD's start flag, set by
    // the fog colour's start key already: only the key at 10.
    EXPECT_EQ(keys.GetKeyCount(FrameChannel::Background), 1u) << "the linked colour keeps its key too";
}

TEST_F(WorldSettingsTest, TheBackgroundBoxIsOnOnlyWithAPicture)
{
    world.SetBackgroundShown(true);
    EXPECT_FALSE(world.BackgroundShown());
    EXPECT_FALSE(scene.Settings().backgroundImageOn);

    const TexturePtr sky = Picture();
    world.SetBackgroundPicture(sky, "sky.bmp", "/pictures/sky.bmp");
    EXPECT_TRUE(world.BackgroundShown());
    EXPECT_EQ(World().backgroundImage, sky);
    EXPECT_EQ(scene.Settings().backgroundImageName, "sky.bmp");
    EXPECT_EQ(scene.Settings().backgroundImagePath, "/pictures/sky.bmp");

    world.SetBackgroundShown(false);
    EXPECT_EQ(World().backgroundImage, nullptr);
    EXPECT_FALSE(scene.Settings().backgroundImageOn);
    EXPECT_TRUE(world.HasBackgroundPicture()) << "the box stays enabled";
    world.SetBackgroundShown(true);
    EXPECT_EQ(World().backgroundImage, sky);

    world.SetBackgroundPicture(nullptr, "none.bmp", "/none.bmp");
    EXPECT_EQ(scene.Settings().backgroundImageName, "sky.bmp") << "no picture, no change";
}

TEST_F(WorldSettingsTest, GridAndLightSwitchesHideMeshesNotFrames)
{
    auto [lightFrame, light] = MakeLight(LightType::Point);
    const FramePtr marker = scene.MarkerFrame();
    const unsigned markerOptions = marker->GetTraversalOptions();
    world.SetRenderGrid(false);
    world.SetRenderLights(false);
    EXPECT_TRUE(scene.GridFrame()->GetVisuals().empty());
    EXPECT_EQ(marker->GetParent(), scene.GridFrame().get()) << "the marker still hangs under the grid";
    EXPECT_EQ(marker->GetTraversalOptions(), markerOptions);
    EXPECT_TRUE(scene.GridFrame()->IsRenderEnabled());
    EXPECT_EQ(scene.LightIcon(LightType::Point)->GetFaceCount(), 0);
    EXPECT_EQ(lightFrame->GetLights().size(), 1u) << "the light still lights";
    EXPECT_TRUE(lightFrame->IsRenderEnabled());

    ASSERT_TRUE(scene.History().Undo());
    EXPECT_GT(scene.LightIcon(LightType::Point)->GetFaceCount(), 0);
    ASSERT_TRUE(scene.History().Undo());
    EXPECT_FALSE(scene.GridFrame()->GetVisuals().empty());
    ASSERT_TRUE(scene.History().Redo());
    EXPECT_TRUE(scene.GridFrame()->GetVisuals().empty());
}

TEST_F(WorldSettingsTest, EveryChangeIsOneStepUndoneAndRedone)
{
    struct Case {
        const char* name;
        std::function<void()> change;
    };
    const TexturePtr sky = Picture();
    const Case cases[] = {
        {"fog on", [&] { world.SetFogEnabled(true); }},
        {"fog parameters", [&] { world.SetFogParams(3, 30, 0.1f); }},
        {"fog colour", [&] { world.SetFogColor(1, 2, 3); }},
        {"background colour", [&] { world.SetBackgroundChannel(2, 99); }},
        {"link", [&] { world.SetLinked(true); }},
        {"background picture", [&] { world.SetBackgroundPicture(sky, "sky.bmp", "/sky.bmp"); }},
        {"hide the picture", [&] { world.SetBackgroundShown(false); }},
        {"grid", [&] { world.SetRenderGrid(false); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SceneProperties before = World();
        const SceneSettings settingsBefore = scene.Settings();
        const size_t steps = scene.History().UndoCount();
        c.change();
        ASSERT_EQ(scene.History().UndoCount(), steps + 1);
        const SceneProperties after = World();
        const SceneSettings settingsAfter = scene.Settings();
        ASSERT_TRUE(scene.History().Undo());
        EXPECT_TRUE(WorldSceneAspect::Same(World(), before));
        EXPECT_EQ(scene.Settings(), settingsBefore);
        ASSERT_TRUE(scene.History().Redo());
        EXPECT_TRUE(WorldSceneAspect::Same(World(), after));
        EXPECT_EQ(scene.Settings(), settingsAfter);
    }
}

TEST_F(WorldSettingsTest, NewSceneRestoresTheDefaults)
{
    world.SetFogEnabled(true);
    world.SetFogParams(1, 2, 3);
    world.SetFogColor(9, 9, 9);
    world.SetBackgroundPicture(Picture(), "sky.bmp", "/sky.bmp");
    world.SetLinked(true);
    world.SetRenderGrid(false);
    scene.NewScene();
    world.Refresh();
    EXPECT_FALSE(world.FogEnabled());
    EXPECT_EQ(world.FogStart(), 0.5f);
    EXPECT_EQ(world.FogEnd(), 100.0f);
    EXPECT_EQ(world.FogDensity(), 0.0f);
    EXPECT_EQ(world.FogSliders(), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(world.BackgroundSliders(), (std::array<int, 3>{0, 0, 0}));
    EXPECT_FALSE(world.Linked());
    EXPECT_FALSE(world.BackgroundShown());
    EXPECT_FALSE(world.HasBackgroundPicture());
    EXPECT_TRUE(world.RenderGrid());
    EXPECT_FALSE(scene.GridFrame()->GetVisuals().empty());
}

TEST(ClampedColor, KeepsEveryChannelWithinItsByte)
{
    const ColorRGBA c = ClampedColor({2.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), 0.5f});
    EXPECT_EQ(c.r, 1.0f);
    EXPECT_EQ(c.g, 0.0f);
    EXPECT_EQ(c.b, 0.0f);
    EXPECT_EQ(c.a, 0.5f);
    EXPECT_EQ(ChannelSlider(2.0f), 255);
    EXPECT_EQ(ChannelSlider(0.50196f), 128);
}

} // namespace
} // namespace corvid::testing
