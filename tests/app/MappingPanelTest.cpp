// The texture-mapping window's model: the fields as typed and read back,
// the presets, the preview and applying to the selection.

#include "app/AppFixture.h"

#include "app/MappingPanel.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "render/ObjectInfo.h"
#include "scene/Records.h"

#include <gtest/gtest.h>

#include <cmath>

namespace corvid::testing {
namespace {

class MappingPanelTest : public AppTest {
protected:
    static void Near(const Vec3& a, const Vec3& b)
    {
        EXPECT_NEAR(a.x, b.x, 1e-5f);
        EXPECT_NEAR(a.y, b.y, 1e-5f);
        EXPECT_NEAR(a.z, b.z, 1e-5f);
    }
    MappingPanel panel{editor};
};

TEST_F(MappingPanelTest, RotationFieldsRebuildTheAxesAndReadThemBack)
{
    panel.EditRotation({"0", "0", "0"});
    Near(panel.Settings().axisA, {0, 0, 1});
    Near(panel.Settings().axisB, {0, 1, 0});
    panel.EditRotation({"90", "0", "0"});
    Near(panel.Settings().axisA, {0, -1, 0});
    Near(panel.Settings().axisB, {0, 0, 1});

    // The angles shown are the ones that make the axes again.
    for (const auto& angles : {std::array<float, 3>{30, -45, 60}, {-120, 10, 5}, {0, 0, 170}}) {
        panel.EditRotation({FormatReal(angles[0]), FormatReal(angles[1]), FormatReal(angles[2])});
        const Vec3 a = panel.Settings().axisA, b = panel.Settings().axisB;
        const auto shown = panel.Rotation();
        panel.EditRotation(shown);
        Near(panel.Settings().axisA, a);
        Near(panel.Settings().axisB, b);
        EXPECT_NEAR(std::stof(shown[0]), angles[0], 1e-3f);
        EXPECT_NEAR(std::stof(shown[2]), angles[2], 1e-3f);
    }
}

TEST_F(MappingPanelTest, FieldsShowTheValueTakenAndTextReadsAsZero)
{
    panel.EditPosition({"1.5", "abc", "-2"});
    EXPECT_EQ(panel.Settings().origin, (Vec3{1.5f, 0, -2}));
    EXPECT_EQ(panel.Position()[1], FormatReal(0.0f));
    panel.EditScale({"4", "x"});
    EXPECT_EQ(panel.Settings().su, 4.0f);
    EXPECT_EQ(panel.Settings().sv, 0.0f);
    panel.EditOffset({"0.25", "0.5"});
    EXPECT_EQ(panel.Offset()[0], FormatReal(0.25f));
}

TEST_F(MappingPanelTest, EachPresetKeepsItsOwnSettingsAndAdaptiveScaleOnlyWhereItMeansSomething)
{
    EXPECT_EQ(panel.Preset(), static_cast<int>(WrapType::Sphere));
    EXPECT_FALSE(panel.AdaptiveScaleEnabled());
    panel.SetAdaptiveScale(true);
    EXPECT_FALSE(panel.Settings().adaptiveScale) << "not for the sphere";

    panel.ChoosePreset(static_cast<int>(WrapType::Flat));
    EXPECT_TRUE(panel.AdaptiveScaleEnabled());
    panel.SetAdaptiveScale(true);
    panel.EditScale({"2", "3"});
    panel.ChoosePreset(static_cast<int>(WrapType::Cylinder));
    EXPECT_EQ(panel.Settings().su, 3.0f);
    panel.ChoosePreset(static_cast<int>(WrapType::Flat));
    EXPECT_TRUE(panel.Settings().adaptiveScale);
    EXPECT_EQ(panel.Settings().su, 2.0f);
    panel.SetRelativeTo(7);
    EXPECT_EQ(panel.Settings().relativeTo, 0) << "only the three references";
}

TEST_F(MappingPanelTest, ThePreviewShapeTakesTheWrapAndChromeFollowsThePreviewCamera)
{
    FramePtr root = Frame::Create(nullptr);
    FramePtr camera = Frame::Create(root.get());
    camera->SetPosition(root.get(), {0, 0, -3});
    EXPECT_FALSE(panel.LayPreview()) << "nothing to lay on yet";
    panel.SetPreviewFrames(root, camera);
    panel.ChoosePreset(static_cast<int>(WrapType::Chrome));
    const MeshBuilderPtr sphere = panel.PreviewShape();
    // The whole list: a vertex on the sphere's axis sees the same
    // reflection from both cameras.
    const std::vector<Vec2> before = sphere->GetTextureCoordinateList();
    ASSERT_FALSE(before.empty());
    camera->SetPosition(root.get(), {3, 0, 0});
    camera->SetOrientation(root.get(), {-1, 0, 0}, {0, 1, 0});
    ASSERT_TRUE(panel.LayPreview());
    EXPECT_NE(sphere->GetTextureCoordinateList(), before);

    panel.ChoosePreset(static_cast<int>(WrapType::Box));
    EXPECT_NE(panel.PreviewShape(), sphere);
    EXPECT_TRUE(panel.PreviewShape()->GetTexture()) << "a checker shows where the texture goes";
}

TEST_F(MappingPanelTest, ApplyLaysTheSettingsOnTheSelectionAsOneStep)
{
    EXPECT_FALSE(panel.Apply());
    EXPECT_EQ(ui.messages.back(), "No object selected");

    MeshBuilderPtr mesh = editor.scene.BeginObjectCreation();
    for (Vec3 p : {Vec3{0, 0, 0}, Vec3{0, 1, 0}, Vec3{1, 0, 0}})
        mesh->AddVertex(p);
    const int tri[3] = {0, 1, 2};
    mesh->AddFace(tri);
    editor.scene.FinishObjectCreation("Sphere %s", editor.scene.names.sphere);
    editor.scene.RegisterObject(editor.scene.SelectedFrame());
    editor.scene.History().Clear();

    panel.ChoosePreset(static_cast<int>(WrapType::Sheet));
    panel.EditPosition({"1", "2", "3"});
    ASSERT_TRUE(panel.Apply());
    EXPECT_EQ(SettingsOf(*RecordOf(mesh.get())), panel.Settings());
    EXPECT_EQ(editor.UndoText(), "Undo Apply Mapping");
    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(RecordOf(mesh.get())->wrapType, 0);
    ASSERT_TRUE(editor.Redo());
    EXPECT_EQ(RecordOf(mesh.get())->wrapType, static_cast<int>(WrapType::Sheet));
}

} // namespace
} // namespace corvid::testing
