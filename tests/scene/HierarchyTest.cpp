#include "scene/SceneFixture.h"

#include "scene/MoveBehaviours.h"

using namespace corvid;
using corvid::testing::SceneTest;

namespace {

// SCENE > Group > Part > Bolt, and a Lone box beside them.
struct Family {
    FramePtr group, part, bolt, lone;
};

class HierarchyTest : public SceneTest {
protected:
    Family MakeFamily()
    {
        Family f;
        f.group = Box("Group", {0, 0, 0});
        f.part = Box("Part", {2, 0, 0}, {-1, -1, -1}, {1, 1, 1}, f.group);
        f.bolt = Box("Bolt", {2, 1, 0}, {-1, -1, -1}, {1, 1, 1}, f.part);
        f.lone = Box("Lone", {-4, 0, 0});
        return f;
    }
};

enum class Op { Attach, Insert, Unlink, LookAt };

struct Refusal {
    const char* name;
    Op op;
    const char* source;
    const char* target;
    const char* message;
};

TEST_F(HierarchyTest, RefusalsShowTheirTextAndChangeNothing)
{
    const Refusal cases[] = {
        {"attach onto itself", Op::Attach, "Part", "Part", "Cannot add to itself!"},
        {"attach parent onto child", Op::Attach, "Group", "Part", "Cannot add Parent to Child"},
        {"attach parent onto grandchild", Op::Attach, "Group", "Bolt", "Cannot make Parent child of it's current child"},
        {"insert onto itself", Op::Insert, "Bolt", "Bolt", "Cannot insert to itself!"},
        {"insert above own child", Op::Insert, "Part", "Bolt", "Cannot insert an object below its own child!"},
        {"insert above own grandchild", Op::Insert, "Group", "Bolt", "Cannot insert an object below its own child!"},
        {"unlink a top-level object", Op::Unlink, "Lone", nullptr, "Object has no parent"},
        {"look at itself", Op::LookAt, "Lone", "Lone", "Object cannot look at itself!"},
        {"look at nothing", Op::LookAt, "Lone", nullptr, "Object cannot look at itself!"},
    };
    Family f = MakeFamily();
    std::map<std::string, FramePtr> byName{{"Group", f.group}, {"Part", f.part}, {"Bolt", f.bolt}, {"Lone", f.lone}};
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        ui.messages.clear();
        auto parents = Parents();
        FramePtr source = byName[c.source];
        FramePtr target = c.target ? byName[c.target] : nullptr;
        bool changed = false;
        switch (c.op) {
        case Op::Attach: changed = scene.Attach(source, target); break;
        case Op::Insert: changed = scene.Insert(source, target); break;
        case Op::Unlink: changed = scene.Unlink(source); break;
        case Op::LookAt: changed = scene.LookAt(source, target); break;
        }
        EXPECT_FALSE(changed);
        EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
        EXPECT_EQ(Parents(), parents);
        EXPECT_EQ(TreeMismatch(), "");
        EXPECT_FALSE(RecordOf(source.get())->looksAt);
    }
}

TEST_F(HierarchyTest, NothingSelectedDoesNothing)
{
    Family f = MakeFamily();
    auto parents = Parents();
    EXPECT_FALSE(scene.Attach(nullptr, f.lone));
    EXPECT_FALSE(scene.Attach(f.lone, nullptr));
    EXPECT_FALSE(scene.Insert(nullptr, f.lone));
    EXPECT_FALSE(scene.Insert(f.lone, nullptr));
    EXPECT_FALSE(scene.Extract(nullptr));
    EXPECT_FALSE(scene.Flatten(nullptr));
    EXPECT_FALSE(scene.Unlink(nullptr));
    EXPECT_FALSE(scene.LookAt(nullptr, f.lone));
    EXPECT_FALSE(scene.StopLookAt(nullptr));
    // The roots never move.
    EXPECT_FALSE(scene.Attach(scene.Scene(), f.lone));
    EXPECT_FALSE(scene.Insert(f.lone, scene.Scene()));
    EXPECT_FALSE(scene.Extract(scene.Scene()));
    EXPECT_FALSE(scene.Flatten(scene.World()));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Parents(), parents);
}

struct Rearrangement {
    const char* name;
    std::function<bool(SceneModel&, const Family&)> run;
    std::map<std::string, std::string> parents;  // afterwards
};

TEST_F(HierarchyTest, OperationsRearrangeTheTreeAndItsItems)
{
    const Rearrangement cases[] = {
        {"attach a top-level object to a grandchild",
         [](SceneModel& e, const Family& f) { return e.Attach(f.lone, f.bolt); },
         {{"Group", "SCENE"}, {"Part", "Group"}, {"Bolt", "Part"}, {"Lone", "Bolt"}}},
        {"attach a child to its grandparent's sibling",
         [](SceneModel& e, const Family& f) { return e.Attach(f.part, f.lone); },
         {{"Group", "SCENE"}, {"Part", "Lone"}, {"Bolt", "Part"}, {"Lone", "SCENE"}}},
        {"attach a child to its own child's child is refused, but a grandchild to its grandparent is not",
         [](SceneModel& e, const Family& f) { return e.Attach(f.bolt, f.group); },
         {{"Group", "SCENE"}, {"Part", "Group"}, {"Bolt", "Group"}, {"Lone", "SCENE"}}},
        {"insert between a child and its parent",
         [](SceneModel& e, const Family& f) { return e.Insert(f.lone, f.part); },
         {{"Group", "SCENE"}, {"Lone", "Group"}, {"Part", "Lone"}, {"Bolt", "Part"}}},
        {"insert a descendant above its ancestor",
         [](SceneModel& e, const Family& f) { return e.Insert(f.bolt, f.group); },
         {{"Bolt", "SCENE"}, {"Group", "Bolt"}, {"Part", "Group"}, {"Lone", "SCENE"}}},
        {"extract hands the children to the former parent",
         [](SceneModel& e, const Family& f) { return e.Extract(f.part); },
         {{"Group", "SCENE"}, {"Part", "SCENE"}, {"Bolt", "Group"}, {"Lone", "SCENE"}}},
        {"flatten lifts the whole branch",
         [](SceneModel& e, const Family& f) { return e.Flatten(f.group); },
         {{"Group", "SCENE"}, {"Part", "SCENE"}, {"Bolt", "SCENE"}, {"Lone", "SCENE"}}},
        {"unlink takes the subtree along",
         [](SceneModel& e, const Family& f) { return e.Unlink(f.part); },
         {{"Group", "SCENE"}, {"Part", "SCENE"}, {"Bolt", "Part"}, {"Lone", "SCENE"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        scene.NewScene();
        ui.messages.clear();
        Family f = MakeFamily();
        scene.SetModified(false);
        EXPECT_TRUE(c.run(scene, f));
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(Parents(), c.parents);
        EXPECT_EQ(TreeMismatch(), "");
        EXPECT_TRUE(scene.Modified());
    }
}

TEST_F(HierarchyTest, AttachKeepsTheLocalTransformAndSelectsTheTarget)
{
    Family f = MakeFamily();
    Matrix4 local = f.lone->GetLocalTransform();
    ASSERT_TRUE(scene.Attach(f.lone, f.part));
    EXPECT_TRUE(f.lone->GetLocalTransform().NearlyEquals(local));
    EXPECT_EQ(scene.SelectedFrame(), f.part);
    // It now moves with its new parent.
    Vec3 before = At(f.lone);
    f.part->AddTranslation(Combine::After, {0, 5, 0});
    EXPECT_TRUE(NearlyEqual(At(f.lone), before + Vec3{0, 5, 0}));
}

TEST_F(HierarchyTest, FlattenLeavesTheHeadlightWithTheCamera)
{
    Family f = MakeFamily();
    FramePtr camera = scene.CreateCamera();
    scene.RegisterObject(camera);
    scene.Attach(camera, f.part);
    scene.SetActiveCamera(camera);  // the camera light rides on it now
    ASSERT_EQ(scene.CameraLightFrame()->GetParent(), camera.get());
    ASSERT_TRUE(scene.Flatten(f.group));
    EXPECT_EQ(camera->GetParent(), scene.Scene().get());
    EXPECT_EQ(scene.CameraLightFrame()->GetParent(), camera.get());
    EXPECT_EQ(TreeMismatch(), "");
}

TEST_F(HierarchyTest, LookAtTurnsOnlyOnTheRenderMove)
{
    Family f = MakeFamily();
    Vec3 direction, up;
    f.lone->GetOrientation(scene.Scene().get(), direction, up);
    ASSERT_TRUE(scene.LookAt(f.lone, f.bolt));

    ObjectRecord* record = RecordOf(f.lone.get());
    EXPECT_TRUE(record->looksAt);
    EXPECT_EQ(record->lookTarget.lock(), f.bolt);
    ASSERT_EQ(RecordOf(f.bolt.get())->lookers.size(), 1u);
    EXPECT_EQ(RecordOf(f.bolt.get())->lookers[0], record);

    // The 1.0 move of the operation and any other edit move leave it alone.
    scene.Scene()->Move(kEditMoveDelta);
    Vec3 now, nowUp;
    f.lone->GetOrientation(scene.Scene().get(), now, nowUp);
    EXPECT_TRUE(NearlyEqual(now, direction));

    scene.Scene()->Move(kRenderMoveDelta);
    f.lone->GetOrientation(scene.Scene().get(), now, nowUp);
    Vec3 toTarget = Normalize(At(f.bolt) - At(f.lone));
    EXPECT_TRUE(NearlyEqual(Normalize(now), toTarget, 1e-4f)) << now << " vs " << toTarget;
}

TEST_F(HierarchyTest, StopLookAtStopsTheTurnButKeepsTheRecord)
{
    Family f = MakeFamily();
    ASSERT_TRUE(scene.LookAt(f.lone, f.bolt));
    scene.Scene()->Move(kRenderMoveDelta);
    ASSERT_TRUE(scene.StopLookAt(f.lone));

    Matrix4 before = f.lone->GetTransform(scene.Scene().get());
    f.bolt->SetPosition(scene.Scene().get(), {0, 9, 9});
    scene.Scene()->Move(kRenderMoveDelta);
    EXPECT_TRUE(f.lone->GetTransform(scene.Scene().get()).NearlyEquals(before));

    ObjectRecord* record = RecordOf(f.lone.get());
    EXPECT_TRUE(record->looksAt);
    EXPECT_EQ(record->lookTarget.lock(), f.bolt);
}

TEST_F(HierarchyTest, DeletingALookTargetLeavesNoDanglingLooker)
{
    Family f = MakeFamily();
    ASSERT_TRUE(scene.LookAt(f.lone, f.bolt));
    scene.DeleteObjectTree(f.group);
    EXPECT_FALSE(RecordOf(f.lone.get())->looksAt);
    scene.Scene()->Move(kRenderMoveDelta);  // the callback finds no target
    EXPECT_EQ(TreeMismatch(), "");
}

} // namespace

TEST_F(HierarchyTest, TearingDownALookerUnderItsTargetIsSafe)
{
    // A cube under a sphere, looking at it: the child's record goes before
    // its parent's when the tree is destroyed, and neither may reach into
    // the other once it is gone (ASan watches this in CI).
    auto ui2 = std::make_unique<ScriptedUi>();
    auto model = std::make_unique<SceneModel>(*ui2);
    model->randomDigit = [] { return 1; };
    auto make = [&](const char* pattern, int& counter) {
        MeshBuilderPtr mesh = model->BeginObjectCreation();
        mesh->AddVertex({0, 0, 0});
        model->FinishObjectCreation(pattern, counter);
        FramePtr frame = model->SelectedFrame();
        model->RegisterObject(frame);
        return frame;
    };
    FramePtr sphere = make("Sphere %s", model->names.sphere);
    FramePtr cube = make("Cube %s", model->names.cube);
    ASSERT_TRUE(model->Attach(cube, sphere));
    ASSERT_TRUE(model->LookAt(cube, sphere));
    // And a looker kept only by the history, looking at one in the scene.
    FramePtr other = make("Cube %s", model->names.cube);
    ASSERT_TRUE(model->LookAt(other, sphere));
    model->DeleteObjectTree(other);
    ASSERT_TRUE(model->History().Undo());
    cube.reset();
    sphere.reset();
    other.reset();
    model.reset();  // the whole tree and the history go
    SUCCEED();
}
