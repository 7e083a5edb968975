// Undo and Redo as the Edit menu offers them: the texts and greying, a
// gesture in progress, New Scene.

#include "app/Editor.h"
#include "render/CommandIds.h"
#include "scene/Records.h"
#include "support/ScriptedUi.h"
#include "tools/ToolFixture.h"
#include "tools/ToolMode.h"

#include <gtest/gtest.h>

namespace corvid::testing {
namespace {

class EditMenuTest : public ::testing::Test {
protected:
    EditMenuTest()
    {
        editor.views.Viewport(1).device = std::make_unique<SizedDevice>(400, 300);
        editor.views.ActivateView(1);
    }
    const MenuItem& Item(int command) { return *editor.mainMenu.Find(command); }
    void Gesture(int x0, int y0, int x1, int y1)
    {
        editor.tools.Press(MouseButton::Left, x0, y0);
        editor.tools.Drag(x1, y1);
        editor.tools.Release(MouseButton::Left, x1, y1);
    }
    size_t Objects() const { return editor.scene.Scene()->GetChildren().size(); }

    ScriptedUi ui;
    Editor editor{ui};
};

TEST_F(EditMenuTest, TheItemsNameTheirStepsAndGreyWhenThereIsNone)
{
    EXPECT_EQ(Item(kCmdUndo).text, "Undo");
    EXPECT_FALSE(Item(kCmdUndo).enabled);
    EXPECT_FALSE(Item(kCmdRedo).enabled);
    EXPECT_EQ(Item(kCmdUndo).shortcuts, (std::vector<std::string>{"Ctrl+Z"}));
    EXPECT_EQ(Item(kCmdRedo).shortcuts, (std::vector<std::string>{"Ctrl+Y", "Ctrl+Shift+Z"}));

    editor.tools.mode = kModeSphere;
    Gesture(kCentreX, kCentreY, kCentreX + 30, kCentreY);
    EXPECT_EQ(Item(kCmdUndo).text, "Undo Create Sphere 0");
    EXPECT_TRUE(Item(kCmdUndo).enabled);
    EXPECT_GT(ui.Count(Notification::HistoryChanged), 0);

    editor.tools.mode = kModeMove;
    Gesture(kCentreX, kCentreY, kCentreX + 20, kCentreY);
    EXPECT_EQ(Item(kCmdUndo).text, "Undo Move");

    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(Item(kCmdUndo).text, "Undo Create Sphere 0");
    EXPECT_EQ(Item(kCmdRedo).text, "Redo Move");
    EXPECT_TRUE(Item(kCmdRedo).enabled);
    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(Item(kCmdUndo).text, "Undo");
    EXPECT_FALSE(Item(kCmdUndo).enabled);
    EXPECT_FALSE(editor.Undo());
    EXPECT_FALSE(editor.scene.Modified());
}

TEST_F(EditMenuTest, UndoWithAButtonDownIsRefusedAndNeverHalfAStep)
{
    editor.tools.mode = kModeSphere;
    Gesture(kCentreX, kCentreY, kCentreX + 30, kCentreY);
    FramePtr sphere = editor.scene.SelectedFrame();
    const Vec3 at = sphere->GetPosition(nullptr);
    editor.tools.mode = kModeMove;
    editor.tools.Press(MouseButton::Left, kCentreX, kCentreY);
    editor.tools.Drag(kCentreX + 40, kCentreY);
    EXPECT_FALSE(editor.Undo()) << "the button is still down";
    EXPECT_EQ(sphere->GetParent(), editor.scene.Scene().get());
    editor.tools.Release(MouseButton::Left, kCentreX + 40, kCentreY);
    EXPECT_EQ(editor.UndoText(), "Undo Move");
    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(sphere->GetPosition(nullptr), at);
}

TEST_F(EditMenuTest, UndoFinishesACameraBeingAimedAndTakesItBack)
{
    const size_t before = Objects();
    editor.tools.mode = kModeCamera;
    Gesture(kCentreX, kCentreY, kCentreX, kCentreY - 20);
    editor.tools.Drag(kCentreX + 30, kCentreY);  // aiming, no button down
    ASSERT_TRUE(editor.tools.Placement().Pending());
    EXPECT_EQ(Objects(), before + 1);
    ASSERT_TRUE(editor.Undo());
    EXPECT_FALSE(editor.tools.Placement().Pending());
    EXPECT_EQ(Objects(), before);
    EXPECT_TRUE(ui.cameraEntries.empty());
    EXPECT_EQ(editor.RedoText(), "Redo Create Camera 0");
    ASSERT_TRUE(editor.Redo());
    EXPECT_EQ(Objects(), before + 1);
    ASSERT_EQ(ui.cameraEntries.size(), 1u);
    EXPECT_EQ(ui.cameraEntries[0].text, "Camera 0");
}

TEST_F(EditMenuTest, NewSceneForgetsTheHistory)
{
    editor.tools.mode = kModeSphere;
    Gesture(kCentreX, kCentreY, kCentreX + 30, kCentreY);
    ASSERT_TRUE(editor.Undo());
    editor.NewScene();
    EXPECT_FALSE(editor.Redo());
    EXPECT_EQ(Item(kCmdRedo).text, "Redo");
    EXPECT_FALSE(Item(kCmdRedo).enabled);
    EXPECT_FALSE(editor.scene.Modified());
}

} // namespace
} // namespace corvid::testing
