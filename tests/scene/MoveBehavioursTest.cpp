#include "scene/SceneFixture.h"

#include "platform/Wrap.h"
#include "scene/MoveBehaviours.h"

using namespace corvid;
using corvid::testing::SceneTest;

namespace {

Vec3 Direction(const FramePtr& f)
{
    Vec3 dir, up;
    f->GetOrientation(nullptr, dir, up);
    return dir;
}

} // namespace

TEST_F(SceneTest, LookAtActsOnlyOnTheRenderMove)
{
    FramePtr target = MakeSphere({0, 0, 10});
    FramePtr looker = MakeSphere({0, 0, 0});
    RecordOf(looker.get())->SetLookTarget(target);
    InstallLookAt(*looker, scene.Context());
    target->SetPosition(scene.Scene().get(), {10, 0, 0});

    scene.Scene()->Move(kEditMoveDelta);
    EXPECT_TRUE(NearlyEqual(Direction(looker), {0, 0, 1}));
    scene.Scene()->Move(kRenderMoveDelta);
    EXPECT_TRUE(NearlyEqual(Direction(looker), {1, 0, 0}));

    // Stopping removes the behaviour but keeps what the record says.
    RemoveLookAt(*looker);
    target->SetPosition(scene.Scene().get(), {0, 10, 0.01f});
    scene.Scene()->Move(kRenderMoveDelta);
    EXPECT_TRUE(NearlyEqual(Direction(looker), {1, 0, 0}));
    EXPECT_TRUE(RecordOf(looker.get())->looksAt);
    EXPECT_EQ(RecordOf(looker.get())->lookTarget.lock(), target);
}

TEST_F(SceneTest, LiveWrapFollowsTheRecordUntilSwitchedOff)
{
    FramePtr object = MakeSphere();
    MeshBuilder& mesh = *object->GetVisuals()[0];
    MeshRecord* record = RecordOf(&mesh);
    record->liveWrap = true;
    record->wrapType = static_cast<int>(WrapType::Flat);
    // origin, direction, up, offset, scale
    record->wrap = {0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 1};
    InstallLiveWrap(*object, scene.Context());
    InstallLiveWrap(*object, scene.Context());  // installing twice keeps one

    auto coordinates = [&] {
        std::vector<Vec2> uv;
        for (int i = 0; i < mesh.GetVertexCount(); ++i) {
            Vec2 c;
            mesh.GetTextureCoordinates(i, c.u, c.v);
            uv.push_back(c);
        }
        return uv;
    };
    auto untouched = coordinates();
    scene.Scene()->Move(kEditMoveDelta);
    auto afterEdit = coordinates();
    for (size_t i = 0; i < untouched.size(); ++i)
        EXPECT_TRUE(untouched[i].u == afterEdit[i].u && untouched[i].v == afterEdit[i].v);

    scene.Scene()->Move(kRenderMoveDelta);
    auto wrapped = coordinates();
    bool changed = false;
    for (size_t i = 0; i < untouched.size(); ++i)
        changed |= untouched[i].u != wrapped[i].u || untouched[i].v != wrapped[i].v;
    EXPECT_TRUE(changed);

    // The same wrap laid directly gives the same coordinates.
    auto direct = Wrap::Create(WrapType::Flat, object.get(), {0, 0, 0}, {0, 0, 1}, {0, 1, 0}, 0, 0, 1, 1);
    auto copy = mesh.Clone();
    direct->ApplyRelative(*object, *copy);
    for (int i = 0; i < copy->GetVertexCount(); ++i) {
        Vec2 c;
        copy->GetTextureCoordinates(i, c.u, c.v);
        EXPECT_FLOAT_EQ(c.u, wrapped[static_cast<size_t>(i)].u);
        EXPECT_FLOAT_EQ(c.v, wrapped[static_cast<size_t>(i)].v);
    }

    record->liveWrap = false;
    scene.Scene()->Move(kRenderMoveDelta);
    EXPECT_FALSE(object->HasMoveCallback(kLiveWrapCallbackTag));
}

TEST_F(SceneTest, LiveWrapOnACopyFollowsTheCopysRecord)
{
    FramePtr object = MakeSphere();
    RecordOf(object->GetVisuals()[0].get())->liveWrap = true;
    InstallLiveWrap(*object, scene.Context());
    FramePtr copy = scene.DuplicateObject(object, scene.Scene());
    EXPECT_TRUE(copy->HasMoveCallback(kLiveWrapCallbackTag));
    RecordOf(object->GetVisuals()[0].get())->liveWrap = false;
    FramePtr plainCopy = scene.DuplicateObject(object, scene.Scene());
    EXPECT_FALSE(plainCopy->HasMoveCallback(kLiveWrapCallbackTag));
}
