// The object and light property windows: typed positions, angles and sizes,
// attenuation modes and factors, colours, keys while animating, playback
// stopped by an edit, and what is not a number.

#include "app/Editor.h"
#include "app/LightProperties.h"
#include "app/ObjectProperties.h"
#include "geometry/Patch.h"
#include "geometry/Primitives.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <cmath>

namespace corvid {
namespace {

class PropertiesTest : public ::testing::Test {
protected:
    // A registered unit cube at the origin, selected.
    FramePtr Cube()
    {
        MeshBuilderPtr mesh = editor.scene.BeginObjectCreation();
        BuildCube(*mesh, CubeParameters{});
        editor.scene.FinishObjectCreation("Cube %s", editor.scene.names.cube);
        FramePtr frame = editor.scene.SelectedFrame();
        editor.scene.RegisterObject(frame);
        editor.scene.Select(frame);
        return frame;
    }
    Vec3 Extent(const FramePtr& frame) { return frame->GetVisuals()[0]->GetBox().Size(); }
    LightPtr PickLight(LightType type)
    {
        FramePtr frame = editor.scene.CreateLight(type, editor.tools.lightTools[static_cast<int>(type)]);
        editor.scene.RegisterObject(frame);
        LightPtr light = frame->GetLights()[0];
        editor.scene.RegisterLight(light);
        editor.scene.Select(frame);
        lights.Refresh();
        return light;
    }

    ScriptedUi ui;
    Editor editor{ui};
    ObjectProperties object{editor};
    LightProperties lights{editor};
};

TEST(FieldNumbers, ReadAsTheCLibraryWouldButNeverNanOrInfinity)
{
    struct Case {
        const char* text;
        double value;
    } cases[] = {{"12", 12},     {"  -2.5", -2.5}, {"+4", 4},    {"12abc", 12}, {"1,5", 1},     {"abc", 0},
                 {"", 0},        {"nan", 0},       {"inf", 0},   {"-inf", 0},   {"1e999", 0},   {"3e2", 300},
                 {"1e39", 0},    {".5", 0.5}};
    for (const Case& c : cases)
        EXPECT_EQ(ReadFieldNumber(c.text), c.value) << c.text;
}

TEST(Angles, TheConventionReadsBackWhatItWrites)
{
    Vec3 direction, up;
    AnglesToOrientation({0, 90, 0}, direction, up);
    EXPECT_TRUE(NearlyEqual(direction, {1, 0, 0}, 1e-5f));
    EXPECT_TRUE(NearlyEqual(up, {0, 1, 0}, 1e-5f));
    for (const Vec3 angles : {Vec3{10, 20, 30}, Vec3{-45, 5, 170}, Vec3{90, -30, 0}, Vec3{0, 0, -90}}) {
        AnglesToOrientation(angles, direction, up);
        const Vec3 back = OrientationToAngles(direction, up);
        EXPECT_TRUE(NearlyEqual(back, angles, 2e-3f)) << angles.x << " " << angles.y << " " << angles.z;
    }
}

TEST_F(PropertiesTest, TypedPositionAndAnglesMoveAndTurnTheSelection)
{
    FramePtr cube = Cube();
    object.Refresh();
    EXPECT_EQ(object.Position()[0], "0.000000");
    object.EditPosition({"1", "2", "nonsense"});
    EXPECT_EQ(cube->GetPosition(editor.scene.Scene().get()), (Vec3{1, 2, 0}));
    EXPECT_EQ(object.Position()[2], "0.000000") << "written back as taken";
    EXPECT_EQ(editor.scene.History().UndoName(), "Set Position");

    object.EditRotation({"0", "90", "0"});
    Vec3 direction, up;
    cube->GetOrientation(editor.scene.Scene().get(), direction, up);
    EXPECT_TRUE(NearlyEqual(direction, {1, 0, 0}, 1e-5f));
    EXPECT_TRUE(NearlyEqual(up, {0, 1, 0}, 1e-5f));
    // With y at 90 the other two angles share one turn; y stays 90 when x changes.
    object.Refresh();
    EXPECT_NEAR(ReadFieldNumber(object.Rotation()[1]), 90.0, 1e-3);
    object.EditRotation({"30", object.Rotation()[1], object.Rotation()[2]});
    object.Refresh();
    EXPECT_NEAR(ReadFieldNumber(object.Rotation()[1]), 90.0, 1e-3);

    ASSERT_TRUE(editor.Undo());
    ASSERT_TRUE(editor.Undo());
    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(cube->GetPosition(editor.scene.Scene().get()), (Vec3{0, 0, 0}));
}

TEST_F(PropertiesTest, SizesScaleTheMeshAlongTheirAxisOnly)
{
    FramePtr cube = Cube();
    ASSERT_TRUE(NearlyEqual(Extent(cube), {1, 1, 1}, 1e-5f));
    object.EditSize({"4", "0", "x"});
    EXPECT_TRUE(NearlyEqual(Extent(cube), {4, 1, 1}, 1e-5f));
    EXPECT_EQ(object.Size()[1], "1.000000") << "0 keeps the extent and shows it";
    EXPECT_TRUE(NearlyEqual(cube->GetTransform(nullptr).GetTranslation(), {0, 0, 0})) << "the frame is not scaled";

    ui.messages.clear();
    object.EditSize({"-1", "2", "2"});
    EXPECT_EQ(ui.messages, (std::vector<std::string>{kNegativeSizeMessage}));
    EXPECT_TRUE(NearlyEqual(Extent(cube), {4, 1, 1}, 1e-5f));

    // A flat square has no height to scale: that axis stays flat.
    MeshBuilderPtr mesh = editor.scene.BeginObjectCreation();
    BuildSquare(*mesh, SquareParameters{});
    editor.scene.FinishObjectCreation("Cube %s", editor.scene.names.cube);
    FramePtr square = editor.scene.SelectedFrame();
    object.EditSize({"3", "5", "3"});
    const Vec3 e = Extent(square);
    EXPECT_NEAR(e.x, 3.0f, 1e-5f);
    EXPECT_EQ(e.y, 0.0f);
    EXPECT_TRUE(std::isfinite(square->GetVisuals()[0]->GetVertices()[0].y));

    // A light keeps its shared icon as it is.
    PickLight(LightType::Point);
    const Vec3 icon = editor.scene.LightIcon(LightType::Point)->GetBox().Size();
    object.EditSize({"9", "9", "9"});
    EXPECT_EQ(editor.scene.LightIcon(LightType::Point)->GetBox().Size(), icon);
}

TEST_F(PropertiesTest, EditsKeepKeysWhileAnimatingAndStopAPlayback)
{
    FramePtr cube = Cube();
    editor.transport.MoveSlider(30);
    editor.transport.Animate();
    object.EditPosition({"3", "0", "0"});
    const KeyList& keys = *RecordOf(cube.get())->keyList;
    ASSERT_EQ(keys.objectKeys.size(), 2u);
    EXPECT_EQ(keys.objectKeys[0].position, (Vec3{0, 0, 0}));
    EXPECT_EQ(keys.objectKeys[1].time, 30.0f);
    EXPECT_EQ(keys.objectKeys[1].position, (Vec3{3, 0, 0}));

    editor.transport.StopAnimating();
    editor.transport.Play(0.0);
    object.EditPosition({"5", "0", "0"});
    EXPECT_EQ(editor.transport.State(), TransportState::Stopped);
    EXPECT_EQ(cube->GetPosition(editor.scene.Scene().get()), (Vec3{5, 0, 0}));
    EXPECT_EQ(keys.objectKeys.size(), 2u) << "no key while stopped";
}

TEST_F(PropertiesTest, ATypedControlPointReshapesItsPatch)
{
    editor.tools.patches.bSpline = {3, 3, 2, 2};
    FramePtr patch = CreatePatch(editor.scene, editor.tools.patches, kPatchBSpline, {}, 4, 4);
    ASSERT_TRUE(patch);
    FramePtr point;
    for (const FramePtr& child : patch->GetChildren()[0]->GetChildren())
        if (const ObjectRecord* r = RecordOf(child.get()); r && r->kind == kControlPoint && r->cpRow == 1 && r->cpColumn == 1)
            point = child;
    ASSERT_TRUE(point);
    const std::vector<Vec3> before = patch->GetVisuals()[0]->GetVertices();
    editor.scene.Select(point);
    const Vec3 at = point->GetPosition(editor.scene.Scene().get());
    object.EditPosition({std::to_string(at.x), "2", std::to_string(at.z)});
    EXPECT_NE(patch->GetVisuals()[0]->GetVertices(), before);
}

TEST_F(PropertiesTest, AttenuationModesAndFactorsCarryOneTerm)
{
    LightPtr light = PickLight(LightType::Point);
    light->SetConstantAttenuation(1);
    light->SetLinearAttenuation(0);
    light->SetQuadraticAttenuation(0);
    lights.SetMode(AttenuationMode::Quadratic);
    EXPECT_EQ(light->GetConstantAttenuation(), 0.0f);
    EXPECT_EQ(light->GetLinearAttenuation(), 0.0f);
    EXPECT_EQ(light->GetQuadraticAttenuation(), 1.0f);
    lights.SetMode(AttenuationMode::Linear);
    lights.EnterFactor("0.5");
    EXPECT_EQ(light->GetConstantAttenuation(), 0.0f);
    EXPECT_EQ(light->GetLinearAttenuation(), 0.5f);
    EXPECT_EQ(light->GetQuadraticAttenuation(), 0.0f);
    EXPECT_EQ(lights.Factor(), "0.500000");

    lights.SetColorChannel(1, 51);
    EXPECT_NEAR(light->GetColor().g, 0.2f, 1e-6f);
    EXPECT_EQ(lights.Color()[1], 51);
    EXPECT_EQ(editor.scene.History().UndoName(), "Set Light Colour");
    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(light->GetColor().g, 1.0f);
}

TEST_F(PropertiesTest, SpotFieldsKeepLightKeysWhileAnimating)
{
    LightPtr light = PickLight(LightType::Spot);
    EXPECT_STREQ(LightWindowTitle(lights.Type()), "Spot Light Info");
    const float umbra = light->GetUmbra();
    editor.transport.MoveSlider(10);
    editor.transport.Animate();
    lights.EnterUmbra("0.1");
    const auto& keys = RecordOf(light.get())->keyList->lightKeys;
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].umbra, umbra);
    EXPECT_EQ(keys[1].time, 10.0f);
    EXPECT_EQ(keys[1].umbra, 0.1f);
    EXPECT_EQ(keys[1].range, kUnsetKeyValue);
    lights.EnterRange("40");
    lights.EnterPenumbra("0.9");
    EXPECT_EQ(light->GetRange(), 40.0f);
    EXPECT_EQ(light->GetPenumbra(), 0.9f);
}

TEST_F(PropertiesTest, WithNoLightPickedOnlyTheFieldsChange)
{
    LightPtr light = PickLight(LightType::Spot);
    editor.scene.ClearSelection();
    lights.Refresh();
    EXPECT_FALSE(lights.HasLight());
    const size_t steps = editor.scene.History().UndoCount();
    lights.EnterRange("77");
    lights.SetColorChannel(0, 10);
    EXPECT_EQ(lights.Range(), "77.000000");
    EXPECT_EQ(lights.Color()[0], 10);
    EXPECT_NE(light->GetRange(), 77.0f);
    EXPECT_EQ(editor.scene.History().UndoCount(), steps);
}

} // namespace
} // namespace corvid
