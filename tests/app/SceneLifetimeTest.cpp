// The editor as a whole around objects going away: the program's end with
// look-at links in the tree, a viewport looking through what the person
// deletes (Delete key, Objects List, delete tool), and New Scene putting the
// views and the editor's symbols back. These run under ASan in CI.

#include "AppFixture.h"

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"
#include "tools/ToolMode.h"

#include <memory>

using namespace corvid;
using namespace corvid::testing;

namespace {

constexpr int kObjectView2 = 32932, kLeft2 = 32929;

class SceneLifetimeTest : public AppTest {
protected:
    SceneLifetimeTest()
    {
        EXPECT_TRUE(editor.views.BuildViewDevice(View(1)));
        editor.views.ActivateView(1);
    }

    // A registered box object of half size 1 at position.
    static FramePtr Box(Editor& e, const char* pattern, int& counter, Vec3 position)
    {
        e.scene.insertionPoint = position;
        MeshBuilderPtr mesh = e.scene.BeginObjectCreation();
        for (int i = 0; i < 8; ++i)
            mesh->AddVertex({i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f});
        const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
        for (const auto& f : faces)
            mesh->AddFace(f);
        mesh->GenerateNormals(0.0f, 0);
        e.scene.FinishObjectCreation(pattern, counter);
        FramePtr frame = e.scene.SelectedFrame();
        e.scene.RegisterObject(frame);
        return frame;
    }

    // Viewport 2 looks through frame (Object view); viewport 1 stays active.
    void LookThrough(const FramePtr& frame)
    {
        editor.scene.Select(frame);
        ASSERT_TRUE(editor.views.ViewCommand(2, kObjectView2));
        ASSERT_EQ(View(2).camera, frame);
        editor.views.ActivateView(1);
    }

    void ExpectViewportTwoBackOnLeft()
    {
        EXPECT_EQ(View(2).camera, View(2).cameras[kViewLeft]);
        EXPECT_EQ(View(2).viewCommand, kLeft2);
        EXPECT_TRUE(View(2).menu.IsChecked(kLeft2));
        EXPECT_FALSE(View(2).menu.IsChecked(kObjectView2));
        EXPECT_EQ(View(2).cameras[kViewObject], nullptr);
        // A press in viewport 2 then hangs the headlight on a camera of the scene.
        editor.tools.ViewportMouseDown(2, MouseButton::Left, 5, 5);
        editor.tools.ViewportMouseUp(2, MouseButton::Left, 5, 5);
        EXPECT_EQ(editor.scene.ActiveCamera(), View(2).camera);
        EXPECT_TRUE(editor.scene.World()->IsAncestorOf(editor.scene.CameraLightFrame().get()));
        editor.views.ActivateView(1);
    }
};

TEST_F(SceneLifetimeTest, TheProgramEndsCleanlyWithALookerAttachedUnderItsTarget)
{
    // A cube under a sphere, looking at it, drawn once; then the program ends.
    auto owned = std::make_unique<Editor>(ui);
    Editor& e = *owned;
    FramePtr sphere = Box(e, "Sphere %s", e.scene.names.sphere, {0, 0, 0});
    FramePtr cube = Box(e, "Cube %s", e.scene.names.cube, {3, 0, 0});
    ASSERT_TRUE(e.scene.Attach(cube, sphere));
    ASSERT_TRUE(e.scene.LookAt(cube, sphere));
    ASSERT_TRUE(RecordOf(cube.get())->looksAt);
    e.views.RenderAllViews();
    cube.reset();
    sphere.reset();
    owned.reset();  // ASan reports a write into a freed record here
    SUCCEED();
}

TEST_F(SceneLifetimeTest, DeletingWhatAViewportLooksThroughReturnsItToItsStandardView)
{
    // The Delete key, the Objects List and the delete tool.
    FramePtr first = Box(editor, "Cube %s", editor.scene.names.cube, {0, 0, 0});
    LookThrough(first);
    editor.scene.Select(first);
    editor.tools.ViewportKeyDown(1, kKeyDelete);
    ASSERT_EQ(first->GetParent(), nullptr) << "deleted";
    ExpectViewportTwoBackOnLeft();

    FramePtr second = Box(editor, "Cube %s", editor.scene.names.cube, {0, 0, 0});
    LookThrough(second);
    ASSERT_TRUE(editor.tools.DeleteFromTree(second));
    ExpectViewportTwoBackOnLeft();

    FramePtr third = Box(editor, "Cube %s", editor.scene.names.cube, {0, 0, 0});
    LookThrough(third);
    editor.tools.mode = kModeDelete;
    editor.tools.ViewportMouseDown(1, MouseButton::Left, 200, 150);
    editor.tools.ViewportMouseUp(1, MouseButton::Left, 200, 150);
    ASSERT_EQ(third->GetParent(), nullptr) << "the delete tool took it";
    editor.tools.mode = 0;
    ExpectViewportTwoBackOnLeft();
    editor.views.RenderAllViews();
}

TEST_F(SceneLifetimeTest, NewScenePutsTheViewsAndTheEditorsSymbolsBack)
{
    FramePtr camera = editor.scene.CreateCamera();
    editor.scene.RegisterObject(camera);
    ASSERT_TRUE(editor.views.ViewCommand(1, RecordOf(camera.get())->menuCommand));
    View(3).cameras[kViewTop]->SetPosition(editor.scene.Scene().get(), {4, 100, 4});
    View(1).pivot->SetOrientation(View(1).viewRoot.get(), {1, 0, 0}, {0, 1, 0});
    editor.scene.SetRenderLights(false);
    editor.scene.SetRenderGrid(false);

    editor.NewScene();
    EXPECT_EQ(View(1).camera, View(1).cameras[kViewPerspective]);
    EXPECT_EQ(editor.scene.ActiveCamera(), View(1).camera);
    EXPECT_TRUE(editor.scene.World()->IsAncestorOf(editor.scene.CameraLightFrame().get()));
    EXPECT_EQ(View(3).cameras[kViewTop]->GetPosition(editor.scene.Scene().get()).x, 0.0f);
    EXPECT_EQ(View(3).cameras[kViewTop]->GetPosition(editor.scene.Scene().get()).y, 100.0f);
    Vec3 direction, up;
    View(1).pivot->GetOrientation(View(1).viewRoot.get(), direction, up);
    EXPECT_NEAR(direction.y / direction.z, -0.25f, 1e-5f);

    EXPECT_TRUE(editor.scene.Settings().renderLights);
    EXPECT_TRUE(editor.scene.Settings().renderGrid);
    EXPECT_GT(editor.scene.LightIcon(LightType::Point)->GetFaceCount(), 0) << "light symbols shown again";
    EXPECT_FALSE(editor.scene.GridFrame()->GetVisuals().empty()) << "grid shown again";
}

} // namespace
