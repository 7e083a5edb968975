// A few hundred edits of every kind a person makes, drawn from a fixed
// seed, then undone to the start and redone to the end: the scene must be
// what it was at both ends, down to the meshes, links, menus and the
// Objects List.

#include "app/Editor.h"
#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/MeshBuilder.h"
#include "render/Navigation.h"
#include "scene/MoveBehaviours.h"
#include "scene/ObjectKind.h"
#include "scene/Records.h"
#include "support/SceneSnapshot.h"
#include "support/ScriptedUi.h"
#include "tools/ToolFixture.h"
#include "tools/ToolMode.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace corvid::testing {
namespace {

class RandomEditsTest : public ::testing::Test {
protected:
    RandomEditsTest()
    {
        editor.scene.randomDigit = [this] { return static_cast<int>(rng() % 10); };
        editor.views.Viewport(1).device = std::make_unique<SizedDevice>(400, 300);
        editor.views.ActivateView(1);
        // Coarse primitives: the edits are what is tested, not the meshes.
        PrimitiveParameters& p = editor.tools.primitives;
        p.sphere = {8, 5};
        p.square = {3, 3};
        p.cylinder.segments = p.cone.segments = 8;
        p.cylinder.heightDivisions = p.cone.heightDivisions = 1;
        p.superellipsoid.segmentsAround = p.supertoroid.segmentsAround = 8;
        p.superellipsoid.segmentsPoleToPole = p.supertoroid.segmentsTube = 5;
    }

    int Below(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
    int Pixel(int centre, int spread) { return centre - spread + Below(2 * spread + 1); }
    MouseButton AnyButton() { return Below(3) == 0 ? MouseButton::Right : MouseButton::Left; }

    // Objects a person can pick in the Objects List (registered, below SCENE).
    std::vector<FramePtr> Listed()
    {
        std::vector<FramePtr> out;
        std::function<void(const FramePtr&)> walk = [&](const FramePtr& frame) {
            for (const FramePtr& child : frame->GetChildren()) {
                const ObjectRecord* record = RecordOf(child.get());
                if (record && record->treeItem)
                    out.push_back(child);
                walk(child);
            }
        };
        walk(editor.scene.Scene());
        return out;
    }
    std::vector<FramePtr> Of(int kind)
    {
        std::vector<FramePtr> out;
        std::function<void(const FramePtr&)> walk = [&](const FramePtr& frame) {
            for (const FramePtr& child : frame->GetChildren()) {
                if (const ObjectRecord* record = RecordOf(child.get()); record && record->kind == kind)
                    out.push_back(child);
                walk(child);
            }
        };
        walk(editor.scene.Scene());
        return out;
    }
    FramePtr Any(const std::vector<FramePtr>& frames) { return frames.empty() ? nullptr : frames[Below(static_cast<int>(frames.size()))]; }
    FramePtr AnyListed() { return Any(Listed()); }

    Tools& tools() { return editor.tools; }
    SceneModel& scene() { return editor.scene; }

    void Press(int x, int y, MouseButton b = MouseButton::Left) { tools().Press(b, x, y); }
    void Move(int x, int y) { tools().Drag(x, y); }
    void Release(int x, int y, MouseButton b = MouseButton::Left) { tools().Release(b, x, y); }
    void Drag(int x0, int y0, int x1, int y1, MouseButton b = MouseButton::Left)
    {
        Press(x0, y0, b);
        for (int i = 1; i <= 3; ++i)
            Move(x0 + (x1 - x0) * i / 3, y0 + (y1 - y0) * i / 3);
        Release(x1, y1, b);
    }

    // --- the edits -------------------------------------------------------------------
    void CreatePrimitive()
    {
        static const int modes[] = {kModeSphere, kModeSquare, kModeCube, kModeCylinder, kModeCone,
                                    kModeSuperEllipsoid, kModeSuperToroid};
        tools().mode = modes[Below(7)];
        int x = Pixel(200, 80), y = Pixel(150, 60);
        if (Below(5) == 0 && (tools().mode == kModeSphere || tools().mode == kModeCylinder || tools().mode == kModeCone)) {
            Press(x, y, MouseButton::Right);  // made at once at its unit size
            Release(x, y, MouseButton::Right);
            return;
        }
        Drag(x, y, x + Pixel(0, 40), y + Pixel(0, 30));
        // The later stages: moves without a button, each ended by a click.
        for (int stage = 0; stage < 3; ++stage) {
            Move(x + Pixel(0, 50), y + Pixel(0, 50));
            Press(x, y);
            Release(x, y);
        }
    }

    void PlaceCameraOrLight()
    {
        static const int modes[] = {kModeCamera, kModeAmbientLight, kModePointLight, kModeDirectionalLight,
                                    kModeSpotLight, kModeParallelPointLight};
        tools().mode = modes[Below(6)];
        int x = Pixel(200, 80), y = Pixel(150, 60);
        if (Below(4) == 0) {
            Press(x, y, MouseButton::Right);
            Release(x, y, MouseButton::Right);
            return;
        }
        Drag(x, y, x, y - Pixel(20, 20));
        Move(x + Pixel(0, 40), y + Pixel(0, 40));  // aiming
        if (Below(2) == 0) {
            Press(x, y);
            Release(x, y);
        }
        // else: left to be finished like a tool change would
    }

    void CreatePatch()
    {
        tools().patches.bSpline = {3 + Below(3), 3 + Below(3), 2, 2};
        tools().patches.catmullRom = {3 + Below(3), 3 + Below(3), 2, 2};
        tools().mode = Below(2) ? kModeBSplinePatch : kModeCatmullRomPatch;
        int x = Pixel(200, 60), y = Pixel(150, 40);
        Drag(x, y, x + 20 + Below(40), y + 10 + Below(30));
    }

    void DragControlPoint()
    {
        FramePtr point = Any(Of(kControlPoint));
        if (!point)
            return;
        scene().Select(point);
        tools().mode = kModeMove;
        int x = Pixel(200, 50), y = Pixel(150, 50);
        Drag(x, y, x + Pixel(0, 20), y + Pixel(0, 30), MouseButton::Right);
    }

    void TransformSelection()
    {
        FramePtr object = AnyListed();
        if (!object)
            return;
        tools().SelectFromTree(object);
        static const int modes[] = {kModeMove, kModeRotate, kModeScale, kModeUniformScale, kModeStretch};
        tools().mode = modes[Below(5)];
        int x = Pixel(200, 60), y = Pixel(150, 60);
        // The right button works on the selection as it is; the left one
        // picks first, whatever lies under the cursor.
        Drag(x, y, x + Pixel(0, 40), y + Pixel(0, 40), Below(3) ? MouseButton::Right : MouseButton::Left);
    }

    // A deformer drag, a relax step or a few copies of a listed object.
    void Deform()
    {
        FramePtr object = AnyListed();
        if (!object)
            return;
        tools().SelectFromTree(object);
        static const int modes[] = {kModeBend, kModeTwist, kModeTaper, kModeBulge, kModePull, kModeRelax, kModeMultiCopy};
        tools().mode = modes[Below(7)];
        tools().deformers.Of(static_cast<Deformer>(Below(5))).lo = static_cast<float>(Below(3)) * 0.25f;
        tools().multiCopy.count = 1 + Below(3);
        tools().multiCopy.offset = {static_cast<float>(Pixel(0, 3)), 0.0f, 1.0f};
        tools().multiCopy.size = {0.0f, static_cast<float>(Below(3)) - 1.0f, 0.0f};
        int x = Pixel(200, 60), y = Pixel(150, 60);
        Drag(x, y, x + Pixel(0, 40), y + Pixel(0, 40), Below(3) ? MouseButton::Right : MouseButton::Left);
    }

    void Hierarchy()
    {
        FramePtr a = AnyListed(), b = AnyListed();
        if (!a || !b)
            return;
        switch (Below(5)) {
        case 0:
            scene().Attach(a, b);
            break;
        case 1:
            scene().Insert(a, b);
            break;
        case 2:
            scene().Extract(a);
            break;
        case 3:
            scene().Flatten(a);
            break;
        default:
            scene().Unlink(a);
            break;
        }
    }

    void LookAt()
    {
        FramePtr a = AnyListed(), b = AnyListed();
        if (!a || !b)
            return;
        if (Below(3))
            scene().LookAt(a, b);
        else
            scene().StopLookAt(a);
    }

    void Delete()
    {
        FramePtr object = AnyListed();
        if (!object)
            return;
        switch (Below(3)) {
        case 0:
            tools().DeleteFromTree(object);
            break;
        case 1:
            tools().SelectFromTree(object);
            tools().ViewportKeyDown(1, kKeyDelete);
            break;
        default:
            tools().mode = kModeDelete;
            Drag(200, 150, 200, 150);  // deletes whatever is in the middle
            break;
        }
    }

    void Copy()
    {
        if (Below(2)) {
            if (FramePtr object = AnyListed())
                scene().DuplicateObject(object, scene().Scene());
            return;
        }
        tools().mode = kModeCopy;
        Drag(200, 150, Pixel(200, 60), Pixel(150, 60));  // copies what is in the middle and moves the copy
    }

    void Rename()
    {
        if (FramePtr object = AnyListed())
            tools().RenameFromTree(object, "Thing " + std::to_string(Below(1000)));
    }

    void CheckBox()
    {
        if (FramePtr object = AnyListed())
            tools().SetShownFromTree(object, Below(2) == 0);
    }

    void MoveOrigin()
    {
        FramePtr object = AnyListed();
        if (!object)
            return;
        if (Below(2))
            scene().MoveOriginToCentre(object);
        else
            scene().MoveOriginTo(object, {static_cast<float>(Pixel(0, 5)), static_cast<float>(Below(3)),
                                          static_cast<float>(Pixel(0, 5))});
    }

    void CastShadow()
    {
        FramePtr light = Any(Of(kLight));
        FramePtr object = Any(Of(kObject));
        if (!light || !object || light->GetLights().empty() || object->GetVisuals().empty())
            return;
        scene().CastShadow(*light, *light->GetLights()[0], object, object->GetVisuals()[0]);
    }

    void RandomEdit()
    {
        const std::function<void()> edits[] = {
            [&] { CreatePrimitive(); },  [&] { CreatePrimitive(); },   [&] { PlaceCameraOrLight(); },
            [&] { CreatePatch(); },      [&] { DragControlPoint(); },  [&] { TransformSelection(); },
            [&] { TransformSelection(); }, [&] { Hierarchy(); },       [&] { Hierarchy(); },
            [&] { LookAt(); },           [&] { Delete(); },            [&] { Copy(); },
            [&] { Rename(); },           [&] { CheckBox(); },          [&] { MoveOrigin(); },
            [&] { CastShadow(); },       [&] { Deform(); },
        };
        edits[Below(static_cast<int>(std::size(edits)))]();
        // Like choosing another tool: whatever waits for a last click is done.
        tools().FinishGesture();
    }

    // The scene without the selection: a step puts back the selection it
    // began with, which a selection made just before it (in the Objects List,
    // say) already changed. The unit tests see to the selection.
    SceneSnapshot Snapshot()
    {
        // The look-at turns come with the render move, as on the screen.
        editor.scene.Scene()->Move(kRenderMoveDelta);
        SceneSnapshot snapshot = TakeSnapshot(editor.scene, ui);
        snapshot.selection.clear();
        return snapshot;
    }

    std::mt19937 rng{20261208};
    ScriptedUi ui;
    Editor editor{ui};
};

TEST_F(RandomEditsTest, UndoingEverythingRestoresTheStartAndRedoingRestoresTheEnd)
{
    // Something to start from, made outside the history as a loaded file is.
    for (int i = 0; i < 6; ++i)
        CreatePrimitive();
    tools().FinishGesture();
    scene().History().Clear();
    scene().ClearSelection();
    scene().SetModified(false);
    const SceneSnapshot start = Snapshot();

    constexpr int kEdits = 300;
    for (int i = 0; i < kEdits; ++i) {
        SCOPED_TRACE(i);
        RandomEdit();
        ASSERT_FALSE(scene().History().Recording());
    }
    ASSERT_GT(scene().History().UndoCount(), 100u) << "most edits change something";
    EXPECT_TRUE(scene().Modified());
    const SceneSnapshot end = Snapshot();
    const size_t steps = scene().History().UndoCount();

    size_t undone = 0;
    while (editor.Undo())
        ++undone;
    EXPECT_EQ(undone, steps);
    EXPECT_EQ(SnapshotDifference(start, Snapshot()), "");
    EXPECT_FALSE(scene().Modified()) << "back at the saved state";

    size_t redone = 0;
    while (editor.Redo())
        ++redone;
    EXPECT_EQ(redone, steps);
    EXPECT_EQ(SnapshotDifference(end, Snapshot()), "");
    EXPECT_TRUE(scene().Modified());
}

TEST_F(RandomEditsTest, EveryStepUndoesAndRedoesOnItsOwn)
{
    // After each edit: undo it, the scene is as before; redo it, as after.
    for (int i = 0; i < 200; ++i) {
        SCOPED_TRACE(i);
        const SceneSnapshot before = Snapshot();
        const size_t count = scene().History().UndoCount();
        RandomEdit();
        // Most edits are one step; a primitive clicked again after it was
        // made begins the next one.
        const size_t steps = scene().History().UndoCount() - count;
        if (steps == 0)
            continue;  // that one changed nothing
        const SceneSnapshot after = Snapshot();
        for (size_t k = 0; k < steps; ++k)
            ASSERT_TRUE(editor.Undo());
        ASSERT_EQ(SnapshotDifference(before, Snapshot()), "") << "undo of " << editor.RedoText();
        for (size_t k = 0; k < steps; ++k)
            ASSERT_TRUE(editor.Redo());
        ASSERT_EQ(SnapshotDifference(after, Snapshot()), "") << "redo of " << editor.UndoText();
    }
}

} // namespace
} // namespace corvid::testing
