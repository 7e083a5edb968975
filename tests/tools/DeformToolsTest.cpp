// The deformer, relax and multicopy tools driven by the mouse: each drag or
// click is one step of the edit history that undo takes back exactly; a drag
// that ends where it began leaves the mesh as it was; both buttons down
// hold the shape; the drag is read in scene units at the picked point.

#include "tools/ToolFixture.h"

#include "geometry/Primitives.h"
#include "support/SceneSnapshot.h"
#include "tools/DeformGestures.h"
#include "tools/TransformTools.h"

#include <cmath>

namespace corvid::testing {
namespace {

class DeformToolsTest : public ToolTest {
protected:
    // A 2 x 3 x 2 box at the origin with rings up its height, so that every
    // deformer has vertices between the ends of its axis.
    FramePtr Column()
    {
        scene.insertionPoint = {};
        MeshBuilderPtr mesh = scene.BeginObjectCreation();
        EXPECT_TRUE(BuildCube(*mesh, CubeParameters{2, 6, 2}));
        mesh->Scale(2.0f, 3.0f, 2.0f);
        mesh->GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
        scene.FinishObjectCreation("Cube %s", scene.names.cube);
        FramePtr frame = scene.SelectedFrame();
        scene.RegisterObject(frame);
        scene.ClearSelection();
        scene.History().Clear();
        return frame;
    }
    static MeshBuilder& Mesh(const FramePtr& frame) { return *frame->GetVisuals().front(); }
    static void ExpectSame(const MeshContents& a, const MeshContents& b)
    {
        EXPECT_EQ(a.vertices, b.vertices);
        EXPECT_EQ(a.normals, b.normals);
        EXPECT_EQ(a.corners, b.corners);
    }
    // The drag each deformer reads: up for twist, taper and bulge, sideways
    // for bend and pull.
    static bool Sideways(int mode) { return mode == kModeBend || mode == kModePull; }
    void DeformGesture(int mode, int pixels)
    {
        if (Sideways(mode))
            Gesture(kCentreX, kCentreY, kCentreX + pixels, kCentreY);
        else
            Gesture(kCentreX, kCentreY, kCentreX, kCentreY - pixels);
    }
};

const int kDeformerModes[] = {kModeBend, kModeTwist, kModeTaper, kModeBulge, kModePull};

TEST_F(DeformToolsTest, EachDeformerDragIsOneStepThatUndoesExactly)
{
    FramePtr column = Column();
    for (int mode : kDeformerModes) {
        SCOPED_TRACE(mode);
        tools.mode = mode;
        const MeshContents before = Mesh(column).GetContents();
        const size_t steps = scene.History().UndoCount();
        DeformGesture(mode, 30);
        ASSERT_TRUE(tools.FinishGesture());
        const MeshContents after = Mesh(column).GetContents();
        EXPECT_NE(after.vertices, before.vertices);
        ASSERT_EQ(scene.History().UndoCount(), steps + 1);
        EXPECT_EQ(scene.History().UndoName(), DeformerName(*DeformerOfMode(mode)));
        EXPECT_FALSE(tools.Gesture().deform.Active());  // the release let it go
        ASSERT_TRUE(scene.History().Undo());
        ExpectSame(Mesh(column).GetContents(), before);
        ASSERT_TRUE(scene.History().Redo());
        ExpectSame(Mesh(column).GetContents(), after);
    }
}

TEST_F(DeformToolsTest, ADragThatComesBackLeavesTheMeshAsItWas)
{
    FramePtr column = Column();
    const MeshContents before = Mesh(column).GetContents();
    for (int mode : kDeformerModes) {
        SCOPED_TRACE(mode);
        tools.mode = mode;
        Press(kCentreX, kCentreY);
        Drag(kCentreX + 25, kCentreY - 35);
        EXPECT_NE(Mesh(column).GetVertices(), before.vertices);
        Drag(kCentreX, kCentreY);
        Release(kCentreX, kCentreY);
        ExpectSame(Mesh(column).GetContents(), before);
        // A click changes nothing either.
        Press(kCentreX, kCentreY);
        Release(kCentreX, kCentreY);
        ExpectSame(Mesh(column).GetContents(), before);
    }
    EXPECT_EQ(scene.History().UndoCount(), 0u);
    EXPECT_FALSE(scene.Modified());
}

TEST_F(DeformToolsTest, TheVerticalDragIsReadInSceneUnitsAtThePickedPoint)
{
    FramePtr column = Column();
    tools.mode = kModeTwist;
    Press(kCentreX, kCentreY);
    ASSERT_EQ(scene.SelectedFrame(), column);
    const auto unit = UnitsPerPixel(views, views.pickDetails.pickPosition);
    ASSERT_TRUE(unit);
    Drag(kCentreX, kCentreY - 20);
    Release(kCentreX, kCentreY - 20);
    // The top ring turns by 20 degrees per unit of drag.
    const std::vector<Vec3>& v = Mesh(column).GetVertices();
    const std::vector<Vec3> start = [&] {
        scene.History().Undo();
        std::vector<Vec3> s = Mesh(column).GetVertices();
        scene.History().Redo();
        return s;
    }();
    int topCorners = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        if (start[i].y != 1.5f || std::fabs(start[i].x) != 1.0f || std::fabs(start[i].z) != 1.0f)
            continue;
        ++topCorners;
        float turned = std::atan2(v[i].z, v[i].x) - std::atan2(start[i].z, start[i].x);
        turned = std::fabs(std::remainder(turned, 2.0f * kPi)) / kDeformRadians;
        EXPECT_NEAR(turned, 20.0f * 20.0f * *unit, 0.01f);
    }
    EXPECT_GT(topCorners, 0);
}

TEST_F(DeformToolsTest, BothButtonsDownHoldTheShape)
{
    FramePtr column = Column();
    tools.mode = kModeBulge;
    Press(kCentreX, kCentreY);
    Drag(kCentreX, kCentreY - 20);
    const std::vector<Vec3> held = Mesh(column).GetVertices();
    Press(kCentreX, kCentreY - 20, MouseButton::Right);
    Drag(kCentreX, kCentreY - 60);
    EXPECT_EQ(Mesh(column).GetVertices(), held);
    // With one button left, the drag goes on from the press.
    Release(kCentreX, kCentreY - 60, MouseButton::Left);
    Drag(kCentreX, kCentreY - 61);
    EXPECT_NE(Mesh(column).GetVertices(), held);
    Release(kCentreX, kCentreY - 61, MouseButton::Right);
    ASSERT_TRUE(tools.FinishGesture());
    EXPECT_EQ(scene.History().UndoCount(), 1u);
}

TEST_F(DeformToolsTest, NothingDeformsWithoutAMeshObject)
{
    FramePtr column = Column();
    const MeshContents before = Mesh(column).GetContents();
    FramePtr light = scene.CreateLight(LightType::Point, {});
    light->SetPosition(scene.Scene().get(), {0, 0, 0});
    const std::vector<Vec3> icon = scene.LightIcon(LightType::Point)->GetVertices();
    scene.History().Clear();
    for (int mode : kDeformerModes) {
        SCOPED_TRACE(mode);
        tools.mode = mode;
        // Empty space picks nothing; a right press works on the light selected.
        Gesture(5, 5, 5, 100);
        scene.Select(light);
        Gesture(kCentreX, kCentreY, kCentreX + 50, kCentreY - 50, MouseButton::Right);
    }
    tools.mode = kModeRelax;
    scene.Select(light);
    Gesture(kCentreX, kCentreY, kCentreX, kCentreY, MouseButton::Right);
    ExpectSame(Mesh(column).GetContents(), before);
    EXPECT_EQ(scene.LightIcon(LightType::Point)->GetVertices(), icon);
    EXPECT_EQ(scene.History().UndoCount(), 0u);
}

TEST_F(DeformToolsTest, RelaxAndMultiCopyClicksAreOneStepEach)
{
    FramePtr column = Column();
    auto expectOneStep = [&](const char* name, const std::function<void()>& click) {
        SCOPED_TRACE(name);
        const SceneSnapshot before = TakeSnapshot(scene, ui);
        const size_t steps = scene.History().UndoCount();
        click();
        ASSERT_TRUE(tools.FinishGesture());
        ASSERT_EQ(scene.History().UndoCount(), steps + 1);
        EXPECT_EQ(scene.History().UndoName(), name);
        const SceneSnapshot after = TakeSnapshot(scene, ui);
        EXPECT_NE(SnapshotDifference(before, after), "");
        ASSERT_TRUE(scene.History().Undo());
        EXPECT_EQ(SnapshotDifference(before, TakeSnapshot(scene, ui)), "");
        ASSERT_TRUE(scene.History().Redo());
        EXPECT_EQ(SnapshotDifference(after, TakeSnapshot(scene, ui)), "");
    };
    tools.mode = kModeRelax;
    expectOneStep("Relax", [&] { Gesture(kCentreX, kCentreY, kCentreX, kCentreY); });
    tools.multiCopy.count = 3;
    tools.multiCopy.offset = {0, 0, 3};
    tools.multiCopy.size = {0.5f, 0, 0};
    tools.mode = kModeMultiCopy;
    expectOneStep("Multiple Copies", [&] { Gesture(kCentreX, kCentreY, kCentreX, kCentreY); });
    EXPECT_EQ(scene.Scene()->GetChildren().size(), 2u + 3u);  // grid, the column and three copies

    // Relax with every axis off does nothing at all.
    tools.relax = {false, false, false};
    tools.mode = kModeRelax;
    const size_t steps = scene.History().UndoCount();
    Gesture(kCentreX, kCentreY, kCentreX, kCentreY);
    EXPECT_EQ(scene.History().UndoCount(), steps);
}

TEST_F(DeformToolsTest, ADeformWhileAnimatingKeysItsObjectInTheSameStep)
{
    FramePtr column = Column();
    transport.MoveSlider(50);
    transport.Animate();
    tools.mode = kModeTaper;
    DeformGesture(kModeTaper, 30);
    const KeyList& keys = *RecordOf(column.get())->keyList;
    EXPECT_EQ(keys.objectKeys.size(), 2u);
    EXPECT_EQ(scene.History().UndoCount(), 1u);
    ASSERT_TRUE(scene.History().Undo());
    EXPECT_TRUE(keys.objectKeys.empty());
}

} // namespace
} // namespace corvid::testing
