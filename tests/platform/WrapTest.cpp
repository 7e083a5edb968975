#include "platform/Wrap.h"

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

using namespace corvid;

namespace {

constexpr float kEps = 1e-4f;

std::shared_ptr<Wrap> Make(WrapType type, const Frame* reference = nullptr, Vec3 origin = {},
                           Vec3 direction = {0, 0, 1}, Vec3 up = {0, 1, 0}, float ou = 0,
                           float ov = 0, float su = 1, float sv = 1)
{
    return Wrap::Create(type, reference, origin, direction, up, ou, ov, su, sv);
}

// A mesh of loose points (no faces).
MeshBuilderPtr Points(const std::vector<Vec3>& points)
{
    MeshBuilderPtr mesh = MeshBuilder::Create();
    for (const Vec3& p : points)
        mesh->AddVertex(p);
    return mesh;
}

Vec2 UV(const MeshBuilder& mesh, int vertex)
{
    Vec2 uv;
    EXPECT_TRUE(mesh.GetTextureCoordinates(vertex, uv.u, uv.v));
    return uv;
}

void ExpectUV(const MeshBuilder& mesh, int vertex, float u, float v)
{
    const Vec2 uv = UV(mesh, vertex);
    EXPECT_NEAR(uv.u, u, kEps) << "u of vertex " << vertex;
    EXPECT_NEAR(uv.v, v, kEps) << "v of vertex " << vertex;
}

// A triangle whose three corners all name normal n.
void AddTriangle(MeshBuilder& mesh, Vec3 a, Vec3 b, Vec3 c, Vec3 n)
{
    const int first = mesh.GetVertexCount();
    mesh.AddVertex(a);
    mesh.AddVertex(b);
    mesh.AddVertex(c);
    const int normal = mesh.AddNormal(n);
    const int v[3] = {first, first + 1, first + 2};
    const int nn[3] = {normal, normal, normal};
    ASSERT_GE(mesh.AddFace(v, nn), 0);
}

} // namespace

TEST(Wrap, CreateChecksAndKeepsItsParameters)
{
    FramePtr ref = Frame::Create();
    auto wrap = Wrap::Create(WrapType::Cylinder, ref.get(), {1, 2, 3}, {0, 0, 2}, {0, 1, 0}, 0.25f, 0.5f, 2, 3);
    ASSERT_TRUE(wrap);
    EXPECT_EQ(wrap->GetType(), WrapType::Cylinder);
    EXPECT_EQ(wrap->GetReference().get(), ref.get());
    EXPECT_TRUE(wrap->GetOrigin() == Vec3(1, 2, 3) && wrap->GetDirection() == Vec3(0, 0, 2) &&
                wrap->GetUp() == Vec3(0, 1, 0));
    EXPECT_EQ((std::array{wrap->GetOffsetU(), wrap->GetOffsetV(), wrap->GetScaleU(), wrap->GetScaleV()}),
              (std::array{0.25f, 0.5f, 2.0f, 3.0f}));

    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(Make(WrapType::Flat, nullptr, {}, {0, 0, 0}));
    EXPECT_FALSE(Make(WrapType::Flat, nullptr, {nan, 0, 0}));
    EXPECT_FALSE(Make(WrapType::Flat, nullptr, {}, {0, 0, 1}, {0, 1, 0}, 0, 0, nan, 1));
    EXPECT_FALSE(Make(static_cast<WrapType>(9)));
    // An up vector along the direction still gives a usable wrap.
    EXPECT_TRUE(Make(WrapType::Flat, nullptr, {}, {0, 1, 0}, {0, 1, 0}));

    // The wrap does not keep its reference frame alive.
    ref.reset();
    EXPECT_FALSE(wrap->GetReference());
    EXPECT_TRUE(wrap->HasReference());
}

TEST(Wrap, FlatAndSheetProjectAlongTheDirection)
{
    auto mesh = Points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 1, 7}});
    for (WrapType type : {WrapType::Flat, WrapType::Sheet}) {
        ASSERT_TRUE(Make(type)->Apply(*mesh));
        ExpectUV(*mesh, 0, 0, 0);
        ExpectUV(*mesh, 1, 1, 0);
        ExpectUV(*mesh, 2, 0, 1);
        ExpectUV(*mesh, 3, 1, 1);
        ExpectUV(*mesh, 4, 1, 1);  // depth along the direction does not matter
    }

    // Scale stretches and the offset shifts back; the origin moves the texture.
    ASSERT_TRUE(Make(WrapType::Flat, nullptr, {1, 1, 0}, {0, 0, 1}, {0, 1, 0}, 0.5f, -1, 2, 4)->Apply(*mesh));
    ExpectUV(*mesh, 0, -2.5f, -3);
    ExpectUV(*mesh, 3, -0.5f, 1);

    // A wrap looking along +x with y up: in left-handed axes the viewer's
    // right is -z, so u grows toward -z.
    auto side = Points({{5, 0, 0}, {9, 2, -1}, {0, 0, 3}});
    ASSERT_TRUE(Make(WrapType::Flat, nullptr, {}, {1, 0, 0}, {0, 1, 0})->Apply(*side));
    ExpectUV(*side, 0, 0, 0);
    ExpectUV(*side, 1, 1, 2);
    ExpectUV(*side, 2, -3, 0);
}

TEST(Wrap, CylinderAndSphereGoOnceRound)
{
    std::vector<Vec3> ring;
    for (int k = 0; k < 8; ++k) {
        const float a = static_cast<float>(k) * kPi / 4;
        ring.push_back({2 * std::cos(a), 2 * std::sin(a), 0.1f * static_cast<float>(k)});
    }
    auto mesh = Points(ring);
    ASSERT_TRUE(Make(WrapType::Cylinder)->Apply(*mesh));
    for (int k = 0; k < 8; ++k)
        ExpectUV(*mesh, k, static_cast<float>(k) / 8, 0.1f * static_cast<float>(k));

    // The distance from the axis does not matter; u starts on the wrap's x
    // axis, reaches a quarter turn at up and stays below 1 just before the seam.
    auto far = Points({{40, 0, 1}, {0, 0.01f, 1}, {3, -0.0001f, 0}});
    ASSERT_TRUE(Make(WrapType::Cylinder)->Apply(*far));
    ExpectUV(*far, 0, 0, 1);
    ExpectUV(*far, 1, 0.25f, 1);
    EXPECT_TRUE(UV(*far, 2).u > 0.99f && UV(*far, 2).u < 1.0f);

    const float r = std::sqrt(2.0f);
    auto globe = Points({{0, 0, 3}, {0, 0, -3}, {3, 0, 0}, {0, 3, 0}, {1, 1, r}, {-1, -1, -r}});
    ASSERT_TRUE(Make(WrapType::Sphere)->Apply(*globe));
    EXPECT_NEAR(UV(*globe, 0).v, 0, kEps);  // pole along the direction
    EXPECT_NEAR(UV(*globe, 1).v, 1, kEps);  // opposite pole
    ExpectUV(*globe, 2, 0, 0.5f);
    ExpectUV(*globe, 3, 0.25f, 0.5f);
    ExpectUV(*globe, 4, 0.125f, 0.25f);
    ExpectUV(*globe, 5, 0.625f, 0.75f);

    // Scale and offset apply to the unit ranges.
    ASSERT_TRUE(Make(WrapType::Sphere, nullptr, {}, {0, 0, 1}, {0, 1, 0}, 1, 0.5f, 4, 2)->Apply(*globe));
    ExpectUV(*globe, 4, -0.5f, 0);
}

TEST(Wrap, ChromeReflectsTheViewFromTheReference)
{
    // The viewer sits at the reference origin and looks along +z at points
    // five units away.
    MeshBuilderPtr mesh = MeshBuilder::Create();
    AddTriangle(*mesh, {0, 0, 5}, {0.1f, 0, 5}, {0, 0.1f, 5}, {0, 0, -1});  // facing the viewer
    const float h = std::sqrt(0.5f);
    AddTriangle(*mesh, {0, 0, 5}, {0, 0.1f, 5}, {0.1f, 0, 5}, {-h, 0, -h});  // turned 45 degrees
    AddTriangle(*mesh, {0, 0, 5}, {0, 0.1f, 5}, {0.1f, 0, 5}, {h, 0, h});    // same plane, normal flipped
    mesh->AddVertex({0, 0, 5});                                              // no face, no normal
    ASSERT_TRUE(Make(WrapType::Chrome)->Apply(*mesh));

    EXPECT_NEAR(UV(*mesh, 0).v, 1, kEps);  // reflected straight back: the far pole
    ExpectUV(*mesh, 3, 0.5f, 0.5f);        // reflected toward -x: on the equator, half way round
    ExpectUV(*mesh, 6, 0.5f, 0.5f);        // the side a normal points to makes no difference
    EXPECT_NEAR(UV(*mesh, 9).v, 0, kEps);  // no normal: the view itself, along +z

    // Moving the wrap origin changes nothing; moving the viewer does.
    ASSERT_TRUE(Make(WrapType::Chrome, nullptr, {3, -2, 9})->Apply(*mesh));
    ExpectUV(*mesh, 3, 0.5f, 0.5f);
    FramePtr viewer = Frame::Create();
    viewer->SetPosition(nullptr, {0, 0, 10});  // now behind the points, looking back along -z
    FramePtr holder = Frame::Create();
    ASSERT_TRUE(Make(WrapType::Chrome, viewer.get())->ApplyRelative(*holder, *mesh));
    EXPECT_NEAR(UV(*mesh, 0).v, 0, kEps);
}

TEST(Wrap, BoxPicksThePlaneTheNormalFaces)
{
    MeshBuilderPtr mesh = MeshBuilder::Create();
    const Vec3 p{0.25f, 0.5f, 0.75f};
    AddTriangle(*mesh, p, {0, 0, 0.75f}, {1, 0, 0.75f}, {0, 0.1f, -0.9f});  // mostly z
    AddTriangle(*mesh, p, {0.25f, 0, 0}, {0.25f, 1, 0}, {0.8f, 0.5f, 0});   // mostly x
    AddTriangle(*mesh, p, {0, 0.5f, 0}, {1, 0.5f, 0}, {0.2f, -0.7f, 0.3f}); // mostly y
    mesh->AddVertex(p);                                                      // no normal
    ASSERT_TRUE(Make(WrapType::Box)->Apply(*mesh));
    ExpectUV(*mesh, 0, 0.25f, 0.5f);   // x, y
    ExpectUV(*mesh, 3, 0.75f, 0.5f);   // z, y
    ExpectUV(*mesh, 6, 0.25f, 0.75f);  // x, z
    ExpectUV(*mesh, 9, 0.25f, 0.5f);   // falls back to the flat projection

    // Without corner normals the faces' own orientation decides.
    auto plain = Points({{2, 0, 0}, {2, 1, 0}, {2, 0, 1}});
    const int tri[3] = {0, 1, 2};
    ASSERT_GE(plain->AddFace(tri), 0);
    ASSERT_TRUE(Make(WrapType::Box)->Apply(*plain));
    ExpectUV(*plain, 2, 1, 0);  // the face lies in x = 2: (z, y)
}

TEST(Wrap, ApplyRelativeEqualsApplyOnCarriedPoints)
{
    FramePtr root = Frame::Create();
    FramePtr ref = Frame::Create(root.get());
    ref->AddRotation(Combine::After, {0, 1, 0}, 0.7f);
    ref->AddTranslation(Combine::After, {1, -2, 3});
    FramePtr frame = Frame::Create(root.get());
    frame->AddScale(Combine::After, {2, 0.5f, 1.5f});  // uneven, so normals need care
    frame->AddRotation(Combine::After, {1, 1, 0}, -0.4f);
    frame->AddTranslation(Combine::After, {-3, 2, 8});

    // Triangles without normals: the normals come from the face geometry.
    const std::vector<Vec3> local = {{0.3f, 0.2f, 0.1f}, {1.1f, 0.4f, -0.2f}, {0.5f, 1.3f, 0.6f},
                                     {-0.7f, 0.2f, 0.9f}, {-0.4f, -1.1f, 0.3f}, {0.2f, -0.3f, -1.2f}};
    auto build = [&](const Matrix4& m) {
        MeshBuilderPtr mesh = MeshBuilder::Create();
        for (const Vec3& p : local)
            mesh->AddVertex(m.TransformPoint(p));
        const int a[3] = {0, 1, 2}, b[3] = {3, 4, 5};
        mesh->AddFace(a);
        mesh->AddFace(b);
        return mesh;
    };

    for (const Frame* reference : {static_cast<const Frame*>(ref.get()), static_cast<const Frame*>(nullptr)}) {
        for (WrapType type : {WrapType::Flat, WrapType::Cylinder, WrapType::Sphere, WrapType::Chrome,
                              WrapType::Sheet, WrapType::Box}) {
            SCOPED_TRACE(static_cast<int>(type));
            auto wrap = Make(type, reference, {0.5f, -0.25f, 1}, {0.2f, 1, 0.3f}, {1, 0, 0}, 0.1f, 0.2f, 1.5f, 0.75f);
            ASSERT_TRUE(wrap);
            MeshBuilderPtr relative = build(Matrix4::Identity());
            MeshBuilderPtr carried = build(frame->GetTransform(reference));
            ASSERT_TRUE(wrap->ApplyRelative(*frame, *relative));
            ASSERT_TRUE(wrap->Apply(*carried));
            for (int i = 0; i < relative->GetVertexCount(); ++i) {
                const Vec2 got = UV(*relative, i), want = UV(*carried, i);
                EXPECT_NEAR(got.u, want.u, 1e-3f) << "vertex " << i;
                EXPECT_NEAR(got.v, want.v, 1e-3f) << "vertex " << i;
            }
        }
    }
}

TEST(Wrap, EmptyMeshesAndLostReferences)
{
    MeshBuilderPtr empty = MeshBuilder::Create();
    EXPECT_TRUE(Make(WrapType::Chrome)->Apply(*empty));
    EXPECT_TRUE(Make(WrapType::Box)->Apply(*empty));

    FramePtr ref = Frame::Create();
    FramePtr frame = Frame::Create();
    auto wrap = Make(WrapType::Flat, ref.get());
    auto mesh = Points({{0.5f, 0.5f, 0}});
    mesh->SetTextureCoordinates(0, 7, 7);
    ref.reset();
    EXPECT_FALSE(wrap->ApplyRelative(*frame, *mesh));
    ExpectUV(*mesh, 0, 7, 7);  // untouched
    EXPECT_TRUE(wrap->Apply(*mesh));
    ExpectUV(*mesh, 0, 0.5f, 0.5f);

    // A point on the axis and one at the origin still get finite coordinates.
    auto odd = Points({{0, 0, 2}, {0, 0, 0}});
    for (WrapType type : {WrapType::Cylinder, WrapType::Sphere, WrapType::Chrome}) {
        ASSERT_TRUE(Make(type)->Apply(*odd));
        for (const Vec2& uv : odd->GetTextureCoordinateList())
            EXPECT_TRUE(std::isfinite(uv.u) && std::isfinite(uv.v));
    }
}
