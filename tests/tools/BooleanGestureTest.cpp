// The boolean tools: press on the first operand, release over the second.
// The result replaces both as one step of the edit history; every refusal
// leaves the scene and the history as they were.

#include "tools/ToolFixture.h"

#include "geometry/BooleanOperation.h"
#include "support/SceneSnapshot.h"
#include "tools/BooleanGesture.h"

namespace corvid::testing {
namespace {

// Two boxes 4 units wide: A around the origin (pixel 200, 150) and B shifted
// by 2 along each axis; pixel (190, 160) sees only A, (245, 105) only B.
class BooleanGestureTest : public ToolTest {
protected:
    BooleanGestureTest()
    {
        a = Box("A", {0, 0, 0}, {-2, -2, -2}, {2, 2, 2});
        b = Box("B", {2, 2, 2}, {-2, -2, -2}, {2, 2, 2});
    }

    void Combine(int mode, int x1 = 245, int y1 = 105)
    {
        PressOnA(mode);
        ReleaseAt(x1, y1);
    }
    void PressOnA(int mode)
    {
        tools.mode = mode;
        Press(190, 160);
    }
    void ReleaseAt(int x, int y)
    {
        Release(x, y);
        tools.FinishGesture();
    }
    SceneSnapshot Snapshot() { return TakeSnapshot(scene, ui); }
    double VolumeOf(const FramePtr& frame)
    {
        return SignedVolume(OperandMesh(*frame->GetVisuals().at(0), frame->GetTransform(scene.Scene().get())));
    }
    static double SignedVolume(const PolygonMesh& m)
    {
        double v = 0;
        for (int f = 0; f < m.FaceCount(); ++f)
            for (int k = m.faceStart[f] + 1; k + 1 < m.faceStart[f + 1]; ++k) {
                const Vec3 p0 = m.positions[m.corners[m.faceStart[f]]], p1 = m.positions[m.corners[k]],
                           p2 = m.positions[m.corners[k + 1]];
                v += Dot(p0, Cross(p1, p2)) / 6.0;
            }
        return v;
    }
    bool InScene(const FramePtr& f) { return f->GetParent() && scene.Scene()->IsAncestorOf(f.get()); }

    FramePtr a, b;
};

TEST_F(BooleanGestureTest, UnionReplacesBothOperandsInOneUndoableStep)
{
    RecordOf(a->GetVisuals().at(0).get())->wrapType = 2;
    RecordOf(a->GetVisuals().at(0).get())->wrap[12] = 3.0f;
    const SceneSnapshot before = Snapshot();
    const size_t steps = scene.History().UndoCount();
    Combine(kModeBooleanFirst);
    FramePtr result = scene.SelectedFrame();
    ASSERT_TRUE(result);
    EXPECT_EQ(NameOf(result), "A");
    const MeshRecord* wrap = RecordOf(result->GetVisuals().at(0).get());
    ASSERT_TRUE(wrap);
    EXPECT_EQ(wrap->wrapType, 2);
    EXPECT_EQ(wrap->wrap[12], 3.0f);
    EXPECT_FALSE(InScene(a));
    EXPECT_FALSE(InScene(b));
    EXPECT_NEAR(VolumeOf(result), 64 * 1.875, 1e-3);
    EXPECT_EQ(result->GetVisuals().at(0)->GetQuality() & kShadeMask, unsigned(kShadeGouraud));
    EXPECT_EQ(TreeMismatch(), "");
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(scene.History().UndoCount(), steps + 1);
    const SceneSnapshot after = Snapshot();

    ASSERT_TRUE(scene.History().Undo());
    EXPECT_EQ(SnapshotDifference(before, Snapshot()), "");
    EXPECT_TRUE(InScene(a));
    EXPECT_TRUE(InScene(b));
    EXPECT_FALSE(InScene(result));
    EXPECT_EQ(TreeMismatch(), "");
    ASSERT_TRUE(scene.History().Redo());
    EXPECT_EQ(SnapshotDifference(after, Snapshot()), "");
    EXPECT_EQ(TreeMismatch(), "");
}

TEST_F(BooleanGestureTest, IntersectionAndDifferenceFollowTheModes)
{
    Combine(kModeBooleanFirst + 1);
    EXPECT_NEAR(VolumeOf(scene.SelectedFrame()), 64 * 0.125, 1e-3);
    ASSERT_TRUE(scene.History().Undo());
    Combine(kModeBooleanFirst + 2);
    EXPECT_NEAR(VolumeOf(scene.SelectedFrame()), 64 * 0.875, 1e-3);
}

TEST_F(BooleanGestureTest, RefusalsChangeNothing)
{
    // An open second operand, released over; the message and nothing else.
    scene.DeleteObjectTree(b);
    scene.insertionPoint = {};
    MeshBuilderPtr square = scene.BeginObjectCreation();
    for (Vec3 p : {Vec3{0, 0, 0}, Vec3{0, 4, 0}, Vec3{4, 4, 0}, Vec3{4, 0, 0}})
        square->AddVertex(p);
    const int quad[4] = {0, 1, 2, 3};
    square->AddFace(quad);
    scene.FinishObjectCreation("Square %s", scene.names.cube);
    FramePtr open = scene.SelectedFrame();
    open->SetPosition(scene.Scene().get(), {1, 1, -3});
    scene.RegisterObject(open);
    scene.ClearSelection();

    for (int mode : {200, 201, 202}) {
        SCOPED_TRACE(mode);
        ui.messages.clear();
        PressOnA(mode);
        const SceneSnapshot before = Snapshot();
        const size_t steps = scene.History().UndoCount();
        ReleaseAt(245, 105);
        EXPECT_EQ(ui.messages, std::vector<std::string>{"Illegal Boolean Operation"});
        EXPECT_EQ(SnapshotDifference(before, Snapshot()), "");
        EXPECT_EQ(scene.History().UndoCount(), steps);
        EXPECT_EQ(scene.SelectedFrame(), a);
    }
    // Over empty space, and over the first operand itself.
    for (auto [x, y] : {std::pair{20, 20}, std::pair{195, 155}}) {
        ui.messages.clear();
        PressOnA(kModeBooleanFirst);
        const SceneSnapshot before = Snapshot();
        ReleaseAt(x, y);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(SnapshotDifference(before, Snapshot()), "");
        EXPECT_EQ(scene.SelectedFrame(), a);
    }
}

TEST_F(BooleanGestureTest, NonFiniteCoordinatesFailTheCut)
{
    b->GetVisuals().at(0)->SetVertex(0, {std::numeric_limits<float>::quiet_NaN(), 0, 0});
    PressOnA(kModeBooleanFirst);
    const SceneSnapshot before = Snapshot();
    const size_t steps = scene.History().UndoCount();
    ReleaseAt(245, 105);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Cutting Algorithm Failed"});
    EXPECT_EQ(SnapshotDifference(before, Snapshot()), "");
    EXPECT_EQ(scene.History().UndoCount(), steps);
}

TEST_F(BooleanGestureTest, AnEmptyResultStillReplacesTheOperands)
{
    b->SetPosition(scene.Scene().get(), {9, 9, 0});
    FramePtr result = BooleanOperation(scene, BooleanKind::Intersection, a, a->GetVisuals()[0], b, b->GetVisuals()[0]);
    ASSERT_TRUE(result);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Empty object created"});
    EXPECT_EQ(result->GetVisuals().at(0)->GetFaceCount(), 0);
    EXPECT_EQ(At(result), At(a));
    EXPECT_FALSE(InScene(a));
    EXPECT_FALSE(InScene(b));
}

// Whichever operand holds the other leaves with its whole tree; otherwise
// both leave, each with what hangs below it.
TEST_F(BooleanGestureTest, OperandsLeaveWithTheirTrees)
{
    struct Case {
        const char* name;
        bool bUnderA, aUnderB;
    };
    for (const Case c : {Case{"B under A", true, false}, Case{"A under B", false, true}, Case{"apart", false, false}}) {
        SCOPED_TRACE(c.name);
        FramePtr first = Box("A", {0, 0, 0}, {-2, -2, -2}, {2, 2, 2});
        FramePtr second = Box("B", {2, 2, 2}, {-2, -2, -2}, {2, 2, 2});
        FramePtr childOfFirst = Box("C", {9, 0, 0}, {-1, -1, -1}, {1, 1, 1}, first);
        FramePtr childOfSecond = Box("D", {-9, 0, 0}, {-1, -1, -1}, {1, 1, 1}, second);
        if (c.bUnderA) {
            ASSERT_TRUE(scene.Attach(second, first));
        }
        if (c.aUnderB) {
            ASSERT_TRUE(scene.Attach(first, second));
        }
        // Attaching keeps the local transform: back to where they were.
        first->SetPosition(scene.Scene().get(), {0, 0, 0});
        second->SetPosition(scene.Scene().get(), {2, 2, 2});
        const SceneSnapshot before = Snapshot();
        FramePtr result =
            BooleanOperation(scene, BooleanKind::Union, first, first->GetVisuals()[0], second, second->GetVisuals()[0]);
        ASSERT_TRUE(result);
        EXPECT_NEAR(VolumeOf(result), 64 * 1.875, 1e-3);
        for (const FramePtr& f : {first, second, childOfFirst, childOfSecond})
            EXPECT_FALSE(InScene(f)) << NameOf(f);
        EXPECT_EQ(TreeMismatch(), "");
        ASSERT_TRUE(scene.History().Undo());
        EXPECT_EQ(SnapshotDifference(before, Snapshot()), "");
        scene.DeleteObjectTree(c.aUnderB ? second : first);
        if (!c.aUnderB && !c.bUnderA)
            scene.DeleteObjectTree(second);
    }
}

} // namespace
} // namespace corvid::testing
