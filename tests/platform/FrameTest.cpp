#include "platform/Frame.h"
#include "platform/MeshBuilder.h"

#include <gtest/gtest.h>

#include <vector>

using namespace corvid;

namespace {

struct Tree {
    FramePtr root = Frame::Create();
    FramePtr a = Frame::Create(root.get());
    FramePtr b = Frame::Create(root.get());
    FramePtr child = Frame::Create(a.get());
};

} // namespace

TEST(FrameHierarchy, InsertChildPlacesBeforeASiblingAndRefusesCycles)
{
    Tree t;
    FramePtr c = Frame::Create(t.root.get());  // root: a, b, c
    EXPECT_TRUE(t.root->InsertChild(c, t.a.get()));
    EXPECT_EQ(t.root->GetChildren(), (std::vector<FramePtr>{c, t.a, t.b}));
    // From another parent, before a sibling; a "before" that is not a child
    // puts it last.
    EXPECT_TRUE(t.root->InsertChild(t.child, t.b.get()));
    EXPECT_EQ(t.root->GetChildren(), (std::vector<FramePtr>{c, t.a, t.child, t.b}));
    EXPECT_TRUE(t.a->GetChildren().empty());
    EXPECT_TRUE(t.root->InsertChild(c, nullptr));
    EXPECT_EQ(t.root->GetChildren(), (std::vector<FramePtr>{t.a, t.child, t.b, c}));
    // Never under itself or its own descendant.
    EXPECT_FALSE(t.a->InsertChild(t.root, nullptr));
    EXPECT_FALSE(t.root->InsertChild(t.root, nullptr));
    EXPECT_FALSE(t.root->InsertChild(c, c.get()));
    EXPECT_EQ(t.root->GetParent(), nullptr);
}

TEST(FrameHierarchy, AddChildKeepsTheLocalTransform)
{
    Tree t;
    t.a->SetPosition(nullptr, {5, 0, 0});
    t.b->SetPosition(nullptr, {0, 3, 0});
    t.child->SetPosition(t.a.get(), {1, 0, 0});
    ASSERT_TRUE(NearlyEqual(t.child->GetPosition(nullptr), {6, 0, 0}));

    ASSERT_TRUE(t.b->AddChild(t.child));
    EXPECT_EQ(t.child->GetParent(), t.b.get());
    EXPECT_TRUE(t.a->GetChildren().empty());
    EXPECT_TRUE(NearlyEqual(t.child->GetPosition(nullptr), {1, 3, 0}));
    // It now moves with its new parent.
    t.b->AddTranslation(Combine::After, {0, 1, 0});
    EXPECT_TRUE(NearlyEqual(t.child->GetPosition(nullptr), {1, 4, 0}));
}

TEST(FrameHierarchy, RefusesCyclesAndNulls)
{
    Tree t;
    EXPECT_FALSE(t.child->AddChild(t.a));       // a parent under its child
    EXPECT_FALSE(t.child->AddChild(t.root));    // the root under a grandchild
    EXPECT_FALSE(t.a->AddChild(t.a));           // itself
    EXPECT_FALSE(t.a->AddChild(nullptr));
    EXPECT_EQ(t.child->GetParent(), t.a.get());
    EXPECT_EQ(t.root->GetChildren().size(), 2u);
    // Re-adding to the same parent moves it to the end, never duplicates it.
    EXPECT_TRUE(t.root->AddChild(t.a));
    EXPECT_EQ(t.root->GetChildren().size(), 2u);
    EXPECT_EQ(t.root->GetChildren().back(), t.a);
}

TEST(FrameHierarchy, ReparentingFromTheOldParentsOwnListIsSafe)
{
    Tree t;
    // The argument is a reference into a's child list, which AddChild empties.
    EXPECT_TRUE(t.b->AddChild(t.a->GetChildren()[0]));
    EXPECT_EQ(t.b->GetChildren().size(), 1u);
    EXPECT_EQ(t.b->GetChildren()[0]->GetParent(), t.b.get());
}

TEST(FrameHierarchy, OrphansForgetTheirDeadParent)
{
    FramePtr kept;
    {
        FramePtr parent = Frame::Create();
        kept = Frame::Create(parent.get());
    }
    EXPECT_EQ(kept->GetParent(), nullptr);
    EXPECT_EQ(kept->GetScene(), kept.get());
}

TEST(FrameTransform, PositionAndOrientationRelativeToOtherFrames)
{
    Tree t;
    t.a->AddRotation(Combine::Replace, {0, 1, 0}, kPi / 2);
    t.a->AddTranslation(Combine::After, {10, 0, 0});
    t.b->AddScale(Combine::Replace, {2, 2, 2});
    t.b->AddTranslation(Combine::After, {0, 0, 4});

    // Position set relative to one frame reads back relative to any other.
    t.child->SetPosition(t.b.get(), {1, 1, 1});
    EXPECT_TRUE(NearlyEqual(t.child->GetPosition(nullptr), {2, 2, 6}));
    EXPECT_TRUE(NearlyEqual(t.child->GetPosition(t.b.get()), {1, 1, 1}));
    // In a's space: a turned +x to -z and moved to x = 10.
    EXPECT_TRUE(NearlyEqual(t.child->GetPosition(t.a.get()), t.a->InverseTransform({2, 2, 6})));

    t.child->SetOrientation(t.a.get(), {1, 0, 0}, {0, 1, 0});
    Vec3 dir, up;
    t.child->GetOrientation(nullptr, dir, up);
    EXPECT_TRUE(NearlyEqual(dir, {0, 0, -1}));
    EXPECT_TRUE(NearlyEqual(up, {0, 1, 0}));
    t.child->GetOrientation(t.a.get(), dir, up);
    EXPECT_TRUE(NearlyEqual(dir, {1, 0, 0}));
    // Turning did not move it.
    EXPECT_TRUE(NearlyEqual(t.child->GetPosition(nullptr), {2, 2, 6}));
}

TEST(FrameTransform, SetOrientationKeepsAxisScales)
{
    FramePtr f = Frame::Create();
    f->AddScale(Combine::Replace, {1, 3, 1});
    f->SetOrientation(nullptr, {1, 0, 0}, {0, 1, 0});
    EXPECT_TRUE(NearlyEqual(f->Transform({0, 1, 0}), {0, 3, 0}));
    EXPECT_TRUE(NearlyEqual(f->Transform({0, 0, 1}), {1, 0, 0}));
}

TEST(FrameTransform, CombineModes)
{
    // A frame translated by 5 on x gets a quarter turn about y; where does
    // its local point (1, 0, 0) land?
    struct Case {
        const char* name;
        Combine combine;
        Vec3 expected;
    } cases[] = {
        {"replace drops the translation", Combine::Replace, {0, 0, -1}},
        {"before turns first, then translates", Combine::Before, {5, 0, -1}},
        {"after translates first, then turns", Combine::After, {0, 0, -6}},
    };
    for (const auto& c : cases) {
        FramePtr f = Frame::Create();
        f->AddTranslation(Combine::Replace, {5, 0, 0});
        f->AddRotation(c.combine, {0, 1, 0}, kPi / 2);
        EXPECT_TRUE(NearlyEqual(f->Transform({1, 0, 0}), c.expected)) << c.name;
    }
}

TEST(FrameTransform, TransformRoundTripsAndSetTransformRelative)
{
    Tree t;
    t.a->AddRotation(Combine::Replace, {1, 2, 3}, 0.7f);
    t.a->AddTranslation(Combine::After, {1, -2, 3});
    t.child->AddScale(Combine::Replace, {2, 1, 0.5f});
    t.child->AddTranslation(Combine::After, {0, 4, 0});
    Vec3 p{0.3f, -1.2f, 2.5f};
    EXPECT_TRUE(NearlyEqual(t.child->InverseTransform(t.child->Transform(p)), p, 1e-4f));

    Matrix4 wanted = Matrix4::Rotation({0, 0, 1}, 0.3f) * Matrix4::Translation({1, 2, 3});
    t.child->SetTransform(t.b.get(), wanted);
    EXPECT_TRUE(t.child->GetTransform(t.b.get()).NearlyEquals(wanted));
    EXPECT_EQ(t.child->GetParent(), t.a.get());
}

TEST(FrameTransform, LookAtPointsTheZAxisAtTheTarget)
{
    Tree t;
    t.a->SetPosition(nullptr, {0, 0, 0});
    t.b->SetPosition(nullptr, {3, 4, 0});
    t.a->LookAt(*t.b, t.root.get());
    Vec3 dir, up;
    t.a->GetOrientation(nullptr, dir, up);
    EXPECT_TRUE(NearlyEqual(dir, {0.6f, 0.8f, 0}));
    EXPECT_NEAR(Dot(up, dir), 0.0f, 1e-5f);
    EXPECT_GT(up.y, 0.0f);  // the roll keeps the reference's up side up
    // A target at the frame's own origin leaves it alone.
    t.b->SetPosition(nullptr, {0, 0, 0});
    t.a->LookAt(*t.b, t.root.get());
    t.a->GetOrientation(nullptr, dir, up);
    EXPECT_TRUE(NearlyEqual(dir, {0.6f, 0.8f, 0}));
}

TEST(FrameMotion, MoveAppliesRotationVelocityThenCallbacks)
{
    Tree t;
    t.a->SetPosition(nullptr, {1, 0, 0});
    t.child->SetPosition(t.a.get(), {0, 0, 2});
    t.a->SetRotation(nullptr, {0, 1, 0}, kPi / 4);
    t.b->SetVelocity(nullptr, {0, 1, 0});

    std::vector<std::pair<Frame*, float>> calls;
    Vec3 childSeenInCallback;
    t.a->AddMoveCallback("probe", [&](Frame& f, float delta) { calls.push_back({&f, delta}); });
    t.child->AddMoveCallback("probe", [&](Frame& f, float delta) {
        calls.push_back({&f, delta});
        childSeenInCallback = f.GetPosition(nullptr);
    });

    t.root->Move(2.0f);  // two ticks: a quarter turn about a's own origin
    EXPECT_TRUE(NearlyEqual(t.a->GetPosition(nullptr), {1, 0, 0}));
    EXPECT_TRUE(NearlyEqual(t.child->GetPosition(nullptr), {3, 0, 0}));
    EXPECT_TRUE(NearlyEqual(t.b->GetPosition(nullptr), {0, 2, 0}));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].first, t.a.get());  // parents before children
    EXPECT_EQ(calls[0].second, 2.0f);
    EXPECT_TRUE(NearlyEqual(childSeenInCallback, {3, 0, 0}));  // callbacks see the moved tree

    // A one-tick rotation reset to zero afterwards moves nothing more.
    t.a->SetRotation(nullptr, {0, 1, 0}, 0);
    t.root->Move(1.0f);
    EXPECT_TRUE(NearlyEqual(t.child->GetPosition(nullptr), {3, 0, 0}));
}

TEST(FrameMotion, CallbacksMayRemoveThemselvesAndDeleteFrames)
{
    Tree t;
    int selfRemoving = 0, second = 0, onDeleted = 0;
    t.a->AddMoveCallback("once", [&](Frame& f, float) {
        ++selfRemoving;
        f.DeleteMoveCallback("once");
    });
    t.a->AddMoveCallback("other", [&](Frame&, float) {
        ++second;
        t.a->DeleteChild(t.child.get());  // detach a frame still waiting its turn
        t.child.reset();                  // and drop the last outside handle
    });
    t.child->AddMoveCallback("x", [&](Frame&, float) { ++onDeleted; });
    t.root->Move(4.0f);
    t.root->Move(4.0f);
    EXPECT_EQ(selfRemoving, 1);
    EXPECT_EQ(second, 2);
    EXPECT_LE(onDeleted, 1);  // the detached frame was still alive for the first pass
    EXPECT_FALSE(t.a->HasMoveCallback("once"));
    EXPECT_TRUE(t.a->HasMoveCallback("other"));
}

TEST(FrameBox, HierarchyBoxCoversChildrenInTheFramesSpace)
{
    Tree t;
    EXPECT_TRUE(t.root->GetHierarchyBox().IsEmpty());
    auto mesh = MeshBuilder::Create();
    mesh->AddVertex({-1, -1, -1});
    mesh->AddVertex({1, 1, 1});
    t.child->AddVisual(mesh);
    t.child->AddScale(Combine::Replace, {2, 1, 1});
    t.child->AddTranslation(Combine::After, {10, 0, 0});
    t.a->AddTranslation(Combine::Replace, {0, 5, 0});
    Box box = t.a->GetHierarchyBox();  // in a's own space: the translation of a is not included
    EXPECT_TRUE(NearlyEqual(box.min, {8, -1, -1}));
    EXPECT_TRUE(NearlyEqual(box.max, {12, 1, 1}));
    Box rootBox = t.root->GetHierarchyBox();
    EXPECT_TRUE(NearlyEqual(rootBox.min, {8, 4, -1}));
}
