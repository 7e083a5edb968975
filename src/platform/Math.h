#pragma once
// Vectors, 4x4 matrices, quaternions and boxes in the retained-mode layer's
// conventions: left-handed axes with y up, row vectors (p' = p * M), and the
// translation in row 3 of a matrix.

#include <array>
#include <cmath>
#include <cstdint>

namespace corvid {

struct Vec2 {
    float u = 0, v = 0;
    constexpr bool operator==(const Vec2&) const = default;
};

struct Vec3 {
    float x = 0, y = 0, z = 0;

    constexpr Vec3() = default;
    constexpr Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    constexpr Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    constexpr Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    constexpr Vec3 operator-() const { return {-x, -y, -z}; }
    constexpr Vec3 operator*(float s) const { return {x * s, y * s, z * s}; }
    constexpr Vec3 operator/(float s) const { return {x / s, y / s, z / s}; }
    Vec3& operator+=(const Vec3& o) { x += o.x; y += o.y; z += o.z; return *this; }
    Vec3& operator-=(const Vec3& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
    Vec3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
    constexpr bool operator==(const Vec3&) const = default;

    constexpr float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }
    float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
};

constexpr Vec3 operator*(float s, const Vec3& v) { return v * s; }
constexpr float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
constexpr Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(const Vec3& v) { return std::sqrt(Dot(v, v)); }
// Unit vector in the direction of v; the zero vector stays zero.
inline Vec3 Normalize(const Vec3& v)
{
    float len = Length(v);
    return len > 0.0f ? v / len : Vec3{};
}
inline Vec3 Min(const Vec3& a, const Vec3& b)
{
    return {a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y, a.z < b.z ? a.z : b.z};
}
inline Vec3 Max(const Vec3& a, const Vec3& b)
{
    return {a.x > b.x ? a.x : b.x, a.y > b.y ? a.y : b.y, a.z > b.z ? a.z : b.z};
}
inline Vec3 Lerp(const Vec3& a, const Vec3& b, float t) { return a + (b - a) * t; }
bool NearlyEqual(const Vec3& a, const Vec3& b, float eps = 1e-5f);

// 4x4 float matrix, m[row][column]. A point p maps to p * M; rows 0..2 are the
// images of the x, y and z axes and row 3 is the translation.
struct Matrix4 {
    std::array<std::array<float, 4>, 4> m{};

    static Matrix4 Identity();
    static Matrix4 Translation(const Vec3& t);
    static Matrix4 Scale(const Vec3& s);
    // Rotation by angle radians about axis (need not be unit), in the layer's
    // left-handed sense: looking from the tip of the axis toward the origin a
    // positive angle turns clockwise.
    static Matrix4 Rotation(const Vec3& axis, float angle);
    // Rotation whose z row is direction and whose y row is as close to up as
    // possible (both given in the same space). Falls back to another up when the
    // two are parallel; returns identity for a zero direction.
    static Matrix4 FromOrientation(const Vec3& direction, const Vec3& up);

    Matrix4 operator*(const Matrix4& o) const;
    bool operator==(const Matrix4&) const = default;

    Vec3 TransformPoint(const Vec3& p) const;   // p * M with w = 1
    Vec3 TransformVector(const Vec3& v) const;  // v * M with w = 0
    Vec3 Row(int r) const { return {m[r][0], m[r][1], m[r][2]}; }
    void SetRow(int r, const Vec3& v) { m[r][0] = v.x; m[r][1] = v.y; m[r][2] = v.z; }
    Vec3 GetTranslation() const { return Row(3); }
    void SetTranslation(const Vec3& t) { SetRow(3, t); }

    // General inverse; identity when the matrix is singular.
    Matrix4 Inverse() const;
    bool NearlyEquals(const Matrix4& o, float eps = 1e-4f) const;
};

struct Quaternion {
    float w = 1, x = 0, y = 0, z = 0;

    static Quaternion FromAxisAngle(const Vec3& axis, float angle);
    // Rotation part of a matrix whose rows 0..2 are orthogonal (scale removed).
    static Quaternion FromMatrix(const Matrix4& m);
    Matrix4 ToMatrix() const;
    float Dot(const Quaternion& o) const { return w * o.w + x * o.x + y * o.y + z * o.z; }
    Quaternion operator*(float s) const { return {w * s, x * s, y * s, z * s}; }
    Quaternion operator+(const Quaternion& o) const { return {w + o.w, x + o.x, y + o.y, z + o.z}; }
    Quaternion Normalized() const;
};

// Spherical interpolation along the shorter arc.
Quaternion Slerp(const Quaternion& a, const Quaternion& b, float t);

// Axis-aligned box. A default box is empty; Add grows it.
struct Box {
    Vec3 min{1, 1, 1};
    Vec3 max{-1, -1, -1};

    bool IsEmpty() const { return min.x > max.x || min.y > max.y || min.z > max.z; }
    void Add(const Vec3& p);
    void Add(const Box& b);
    Vec3 Center() const { return (min + max) * 0.5f; }
    Vec3 Size() const { return max - min; }
    // The box around the eight corners mapped through m.
    Box Transformed(const Matrix4& m) const;
};

// Colours: floats 0..1, and the 32-bit ARGB form built from each component
// times 255, truncated.
struct ColorRGBA {
    float r = 1, g = 1, b = 1, a = 1;
    bool operator==(const ColorRGBA&) const = default;
};

uint32_t MakeARGB(float r, float g, float b, float a = 1.0f);
inline uint32_t MakeARGB(const ColorRGBA& c) { return MakeARGB(c.r, c.g, c.b, c.a); }
ColorRGBA ColorFromARGB(uint32_t argb);

constexpr float kPi = 3.14159265358979323846f;

} // namespace corvid
