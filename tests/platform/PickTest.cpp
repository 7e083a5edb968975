#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "platform/Pick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace corvid;

namespace {

// Square [-1, 1]^2 in the frame's plane z = depth.
MeshBuilderPtr MakeSquare(float depth = 0.0f)
{
    auto mesh = MeshBuilder::Create();
    int a = mesh->AddVertex({-1, -1, depth}), b = mesh->AddVertex({-1, 1, depth});
    int c = mesh->AddVertex({1, 1, depth}), d = mesh->AddVertex({1, -1, depth});
    int quad[4] = {a, b, c, d};
    mesh->AddFace(quad);
    return mesh;
}

FramePtr FrameAt(Frame* parent, float z, const MeshBuilderPtr& visual = nullptr)
{
    FramePtr frame = Frame::Create(parent);
    frame->AddTranslation(Combine::Replace, {0, 0, z});
    if (visual)
        frame->AddVisual(visual);
    return frame;
}

// Hits must come nearest first, with paths from the root to a frame that shows the visual.
void CheckHits(const std::vector<PickHit>& hits, const Frame& root)
{
    for (size_t i = 0; i < hits.size(); ++i) {
        const PickHit& h = hits[i];
        ASSERT_FALSE(h.path.empty());
        EXPECT_EQ(h.path.front().get(), &root);
        for (size_t k = 1; k < h.path.size(); ++k)
            EXPECT_EQ(h.path[k]->GetParent(), h.path[k - 1].get());
        const auto& visuals = h.path.back()->GetVisuals();
        EXPECT_NE(std::find(visuals.begin(), visuals.end(), h.visual), visuals.end());
        if (i > 0) {
            EXPECT_LE(hits[i - 1].distance, h.distance);
        }
    }
}

} // namespace

TEST(Pick, NearestFirstAcrossFramesWithTheInnermostFrameLast)
{
    FramePtr root = Frame::Create();
    FramePtr far = FrameAt(root.get(), 6.0f, MakeSquare());
    FramePtr group = FrameAt(root.get(), 1.0f);
    FramePtr near = FrameAt(group.get(), 1.0f, MakeSquare());   // at z = 2
    FramePtr middle = FrameAt(group.get(), 3.0f, MakeSquare()); // at z = 4
    FramePtr missed = FrameAt(root.get(), 3.0f, MakeSquare());
    missed->AddTranslation(Combine::After, {5, 0, 0});

    std::vector<PickHit> hits = PickRay(*root, {0.5f, 0.25f, 0}, {0, 0, 1});
    CheckHits(hits, *root);
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0].path, (std::vector<FramePtr>{root, group, near}));
    EXPECT_EQ(hits[1].path, (std::vector<FramePtr>{root, group, middle}));
    EXPECT_EQ(hits[2].path, (std::vector<FramePtr>{root, far}));
    const float expected[] = {2, 4, 6};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(hits[i].distance, expected[i], 1e-5f);
        EXPECT_TRUE(NearlyEqual(hits[i].position, {0.5f, 0.25f, expected[i]}));
        EXPECT_EQ(hits[i].face, 0);
    }
}

TEST(Pick, TransformedFramesAreHitWhereTheyAppearInTheRootsSpace)
{
    struct Case {
        const char* name;
        std::function<void(Frame&)> place;
    };
    const Case cases[] = {
        {"translated", [](Frame& f) { f.AddTranslation(Combine::Replace, {2, -1, 7}); }},
        {"rotated", [](Frame& f) { f.AddRotation(Combine::Replace, {1, 2, 0.5f}, 0.9f); }},
        {"scaled unevenly",
         [](Frame& f) {
             f.AddScale(Combine::Replace, {3, 0.5f, 2});
             f.AddTranslation(Combine::After, {0, 0, 4});
         }},
        {"all three",
         [](Frame& f) {
             f.AddScale(Combine::Replace, {0.25f, 0.25f, 0.25f});
             f.AddRotation(Combine::After, {0, 1, 0}, 2.0f);
             f.AddTranslation(Combine::After, {-3, 1, 9});
         }},
    };
    const Vec3 origin{0.5f, 1.0f, -2.0f};
    const Vec3 onSquare{0.3f, -0.4f, 0.5f};  // a point of the square below, in its frame's space
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The pick root sits inside a larger scene and is itself moved, so
        // "root space" differs from the scene's.
        FramePtr scene = Frame::Create();
        FramePtr root = Frame::Create(scene.get());
        root->AddRotation(Combine::Replace, {0, 0, 1}, 0.4f);
        root->AddTranslation(Combine::After, {10, 0, 0});
        FramePtr parent = Frame::Create(root.get());
        parent->AddScale(Combine::Replace, {2, 2, 2});
        FramePtr target = Frame::Create(parent.get());
        c.place(*target);
        target->AddVisual(MakeSquare(0.5f));

        const Vec3 aim = target->GetTransform(root.get()).TransformPoint(onSquare);
        const Vec3 direction = (aim - origin) * 0.25f;  // the hit is at t = 4
        std::vector<PickHit> hits = PickRay(*root, origin, direction);
        CheckHits(hits, *root);
        ASSERT_EQ(hits.size(), 1u);
        EXPECT_EQ(hits[0].path.back(), target);
        EXPECT_EQ(hits[0].path.size(), 3u);
        EXPECT_TRUE(NearlyEqual(hits[0].position, aim, 1e-4f));
        EXPECT_NEAR(hits[0].distance, 4.0f, 1e-4f);
    }
}

TEST(Pick, FramesWithPickingOffHideTheirSubtree)
{
    FramePtr root = Frame::Create();
    FramePtr hidden = FrameAt(root.get(), 1.0f, MakeSquare());
    FramePtr below = FrameAt(hidden.get(), 1.0f, MakeSquare());
    FramePtr visible = FrameAt(root.get(), 5.0f, MakeSquare());
    root->AddVisual(MakeSquare(10.0f));

    auto hitFrames = [&] {
        std::vector<Frame*> frames;
        for (const PickHit& h : PickRay(*root, {0, 0, 0}, {0, 0, 1}))
            frames.push_back(h.path.back().get());
        return frames;
    };
    EXPECT_EQ(hitFrames(), (std::vector<Frame*>{hidden.get(), below.get(), visible.get(), root.get()}));

    hidden->SetTraversalOptions(kRenderEnable);
    EXPECT_EQ(hitFrames(), (std::vector<Frame*>{visible.get(), root.get()}));

    below->SetTraversalOptions(0);
    hidden->SetTraversalOptions(kPickEnable);
    EXPECT_EQ(hitFrames(), (std::vector<Frame*>{hidden.get(), visible.get(), root.get()}));

    root->SetTraversalOptions(kRenderEnable);
    EXPECT_TRUE(hitFrames().empty());
}

TEST(Pick, VisualSharedByTwoFramesIsHitInEach)
{
    FramePtr root = Frame::Create();
    MeshBuilderPtr square = MakeSquare();
    FramePtr first = FrameAt(root.get(), 3.0f, square);
    FramePtr second = FrameAt(root.get(), 2.0f, square);
    FramePtr twin = FrameAt(root.get(), 3.0f, square);  // same place as first

    std::vector<PickHit> hits = PickRay(*root, {0, 0, 0}, {0, 0, 1});
    CheckHits(hits, *root);
    ASSERT_EQ(hits.size(), 3u);
    for (const PickHit& h : hits)
        EXPECT_EQ(h.visual, square);
    EXPECT_EQ(hits[0].path.back(), second);
    // Equal distances keep the order of the tree.
    EXPECT_EQ(hits[1].path.back(), first);
    EXPECT_EQ(hits[2].path.back(), twin);
}

TEST(Pick, DegenerateRaysAndFramesFindNothing)
{
    FramePtr root = Frame::Create();
    FramePtr point = FrameAt(root.get(), 2.0f, MakeSquare());
    point->AddScale(Combine::Before, {0, 0, 0});  // shrunk to a point: no inverse, nothing to hit
    FrameAt(root.get(), 4.0f, MakeSquare());

    EXPECT_TRUE(PickRay(*root, {0, 0, 0}, {0, 0, 0}).empty());
    std::vector<PickHit> hits = PickRay(*root, {0, 0, 0}, {0, 0, 1});
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_NEAR(hits[0].distance, 4.0f, 1e-5f);
}
