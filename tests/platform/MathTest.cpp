#include "platform/Math.h"

#include <gtest/gtest.h>

#include <random>

using namespace corvid;

namespace {

Matrix4 RandomAffine(std::mt19937& rng)
{
    std::uniform_real_distribution<float> d(-3.0f, 3.0f);
    std::uniform_real_distribution<float> s(0.3f, 2.5f);
    return Matrix4::Scale({s(rng), s(rng), s(rng)}) * Matrix4::Rotation({d(rng), d(rng), d(rng)}, d(rng))
           * Matrix4::Translation({d(rng), d(rng), d(rng)});
}

} // namespace

TEST(Math, RowVectorConventions)
{
    // Translation lives in row 3 and applies to points only.
    Matrix4 t = Matrix4::Translation({1, 2, 3});
    EXPECT_EQ(t.TransformPoint({0, 0, 0}), (Vec3{1, 2, 3}));
    EXPECT_EQ(t.TransformVector({1, 0, 0}), (Vec3{1, 0, 0}));
    // Left-handed: a quarter turn about +y takes +x to -z and +z to +x.
    Matrix4 r = Matrix4::Rotation({0, 1, 0}, kPi / 2);
    EXPECT_TRUE(NearlyEqual(r.TransformVector({1, 0, 0}), {0, 0, -1}));
    EXPECT_TRUE(NearlyEqual(r.TransformVector({0, 0, 1}), {1, 0, 0}));
    // p * (A * B) applies A first.
    Matrix4 ab = Matrix4::Rotation({0, 1, 0}, kPi / 2) * Matrix4::Translation({5, 0, 0});
    EXPECT_TRUE(NearlyEqual(ab.TransformPoint({1, 0, 0}), {5, 0, -1}));
}

TEST(Math, InverseUndoesRandomAffineTransforms)
{
    std::mt19937 rng(7);
    for (int i = 0; i < 50; ++i) {
        Matrix4 m = RandomAffine(rng);
        EXPECT_TRUE((m * m.Inverse()).NearlyEquals(Matrix4::Identity(), 1e-4f)) << "case " << i;
    }
    // A singular matrix gives the identity rather than garbage.
    EXPECT_EQ(Matrix4::Scale({0, 1, 1}).Inverse(), Matrix4::Identity());
}

TEST(Math, QuaternionsMatchMatrices)
{
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> d(-3.0f, 3.0f);
    for (int i = 0; i < 50; ++i) {
        Vec3 axis{d(rng), d(rng), d(rng)};
        float angle = d(rng);
        Matrix4 m = Matrix4::Rotation(axis, angle);
        EXPECT_TRUE(Quaternion::FromAxisAngle(axis, angle).ToMatrix().NearlyEquals(m)) << "case " << i;
        EXPECT_TRUE(Quaternion::FromMatrix(m).ToMatrix().NearlyEquals(m)) << "case " << i;
    }
}

TEST(Math, SlerpTakesTheShortArcAtConstantSpeed)
{
    Quaternion a = Quaternion::FromAxisAngle({0, 1, 0}, 0);
    Quaternion b = Quaternion::FromAxisAngle({0, 1, 0}, kPi / 2);
    Matrix4 half = Slerp(a, b, 0.5f).ToMatrix();
    EXPECT_TRUE(half.NearlyEquals(Matrix4::Rotation({0, 1, 0}, kPi / 4)));
    // b and -b are the same rotation; the result must not go the long way.
    Matrix4 viaNegated = Slerp(a, b * -1.0f, 0.5f).ToMatrix();
    EXPECT_TRUE(viaNegated.NearlyEquals(Matrix4::Rotation({0, 1, 0}, kPi / 4)));
}

TEST(Math, OrientationRowsAreOrthonormal)
{
    struct Case {
        const char* name;
        Vec3 dir, up;
    } cases[] = {
        {"forward", {0, 0, 1}, {0, 1, 0}},
        {"skewed up", {1, 0, 1}, {0.3f, 1, 0}},
        {"up parallel to direction", {0, 1, 0}, {0, 1, 0}},
        {"looking down", {0, -1, 0.001f}, {0, 1, 0}},
    };
    for (const auto& c : cases) {
        Matrix4 m = Matrix4::FromOrientation(c.dir, c.up);
        EXPECT_TRUE(NearlyEqual(m.Row(2), Normalize(c.dir))) << c.name;
        for (int a = 0; a < 3; ++a) {
            EXPECT_NEAR(Length(m.Row(a)), 1.0f, 1e-5f) << c.name;
            for (int b = a + 1; b < 3; ++b)
                EXPECT_NEAR(Dot(m.Row(a), m.Row(b)), 0.0f, 1e-5f) << c.name;
        }
        // Left-handed: x cross y is z.
        EXPECT_TRUE(NearlyEqual(Cross(m.Row(0), m.Row(1)), m.Row(2))) << c.name;
    }
}

TEST(Math, BoxesAndColours)
{
    Box empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_TRUE(empty.Transformed(Matrix4::Translation({1, 1, 1})).IsEmpty());
    Box b;
    b.Add({-1, -1, -1});
    b.Add({1, 1, 1});
    Box r = b.Transformed(Matrix4::Rotation({0, 1, 0}, kPi / 4));
    EXPECT_NEAR(r.max.x, std::sqrt(2.0f), 1e-5f);
    EXPECT_NEAR(r.max.y, 1.0f, 1e-5f);

    // Each component times 255, truncated; alpha opaque unless given.
    EXPECT_EQ(MakeARGB(1.0f, 0.5f, 0.0f), 0xFFFF7F00u);
    EXPECT_EQ(MakeARGB(0.1f, 0.2f, 0.3f, 0.0f), 0x00193300u | 0x4Cu);
    EXPECT_EQ(MakeARGB(2.0f, -1.0f, 0.0f), 0xFFFF0000u);
}
