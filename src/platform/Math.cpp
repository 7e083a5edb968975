#include "platform/Math.h"

#include <algorithm>

namespace corvid {

bool NearlyEqual(const Vec3& a, const Vec3& b, float eps)
{
    return std::fabs(a.x - b.x) <= eps && std::fabs(a.y - b.y) <= eps && std::fabs(a.z - b.z) <= eps;
}

Matrix4 Matrix4::Identity()
{
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        r.m[i][i] = 1.0f;
    return r;
}

Matrix4 Matrix4::Translation(const Vec3& t)
{
    Matrix4 r = Identity();
    r.SetTranslation(t);
    return r;
}

Matrix4 Matrix4::Scale(const Vec3& s)
{
    Matrix4 r = Identity();
    r.m[0][0] = s.x;
    r.m[1][1] = s.y;
    r.m[2][2] = s.z;
    return r;
}

Matrix4 Matrix4::Rotation(const Vec3& axis, float angle)
{
    Vec3 a = Normalize(axis);
    if (a == Vec3{})
        return Identity();
    float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    Matrix4 r = Identity();
    r.m[0][0] = t * a.x * a.x + c;
    r.m[0][1] = t * a.x * a.y + s * a.z;
    r.m[0][2] = t * a.x * a.z - s * a.y;
    r.m[1][0] = t * a.x * a.y - s * a.z;
    r.m[1][1] = t * a.y * a.y + c;
    r.m[1][2] = t * a.y * a.z + s * a.x;
    r.m[2][0] = t * a.x * a.z + s * a.y;
    r.m[2][1] = t * a.y * a.z - s * a.x;
    r.m[2][2] = t * a.z * a.z + c;
    return r;
}

Matrix4 Matrix4::FromOrientation(const Vec3& direction, const Vec3& up)
{
    Vec3 z = Normalize(direction);
    if (z == Vec3{})
        return Identity();
    Vec3 x = Normalize(Cross(up, z));
    if (x == Vec3{}) {
        // Up is parallel to the direction: any perpendicular will do.
        Vec3 alt = std::fabs(z.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{0, 0, 1};
        x = Normalize(Cross(alt, z));
    }
    Vec3 y = Cross(z, x);
    Matrix4 r = Identity();
    r.SetRow(0, x);
    r.SetRow(1, y);
    r.SetRow(2, z);
    return r;
}

Matrix4 Matrix4::operator*(const Matrix4& o) const
{
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j] + m[i][3] * o.m[3][j];
    return r;
}

Vec3 Matrix4::TransformPoint(const Vec3& p) const
{
    Vec3 r{p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0],
           p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1],
           p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2]};
    float w = p.x * m[0][3] + p.y * m[1][3] + p.z * m[2][3] + m[3][3];
    if (w != 1.0f && w != 0.0f)
        r = r / w;
    return r;
}

Vec3 Matrix4::TransformVector(const Vec3& v) const
{
    return {v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0],
            v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1],
            v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2]};
}

Matrix4 Matrix4::Inverse() const
{
    // Gauss-Jordan elimination with partial pivoting.
    double a[4][8];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            a[i][j] = m[i][j];
            a[i][j + 4] = i == j ? 1.0 : 0.0;
        }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col]))
                pivot = r;
        if (std::fabs(a[pivot][col]) < 1e-12)
            return Identity();
        if (pivot != col)
            for (int j = 0; j < 8; ++j)
                std::swap(a[pivot][j], a[col][j]);
        double inv = 1.0 / a[col][col];
        for (int j = 0; j < 8; ++j)
            a[col][j] *= inv;
        for (int r = 0; r < 4; ++r) {
            if (r == col || a[r][col] == 0.0)
                continue;
            double f = a[r][col];
            for (int j = 0; j < 8; ++j)
                a[r][j] -= f * a[col][j];
        }
    }
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = static_cast<float>(a[i][j + 4]);
    return r;
}

bool Matrix4::NearlyEquals(const Matrix4& o, float eps) const
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (std::fabs(m[i][j] - o.m[i][j]) > eps)
                return false;
    return true;
}

Quaternion Quaternion::FromAxisAngle(const Vec3& axis, float angle)
{
    Vec3 a = Normalize(axis);
    // Matches Matrix4::Rotation: the matrix of q is the transpose of the usual
    // right-handed column-vector form, which is what row vectors need.
    float s = std::sin(angle * 0.5f);
    return {std::cos(angle * 0.5f), a.x * s, a.y * s, a.z * s};
}

Matrix4 Quaternion::ToMatrix() const
{
    Quaternion q = Normalized();
    float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
    Matrix4 r = Matrix4::Identity();
    r.m[0][0] = 1 - 2 * (yy + zz);
    r.m[0][1] = 2 * (xy + wz);
    r.m[0][2] = 2 * (xz - wy);
    r.m[1][0] = 2 * (xy - wz);
    r.m[1][1] = 1 - 2 * (xx + zz);
    r.m[1][2] = 2 * (yz + wx);
    r.m[2][0] = 2 * (xz + wy);
    r.m[2][1] = 2 * (yz - wx);
    r.m[2][2] = 1 - 2 * (xx + yy);
    return r;
}

Quaternion Quaternion::FromMatrix(const Matrix4& mat)
{
    // Inverse of ToMatrix: m is the transpose of the column-vector matrix.
    const auto& m = mat.m;
    float trace = m[0][0] + m[1][1] + m[2][2];
    Quaternion q;
    if (trace > 0) {
        float s = std::sqrt(trace + 1.0f) * 2;
        q.w = 0.25f * s;
        q.x = (m[1][2] - m[2][1]) / s;
        q.y = (m[2][0] - m[0][2]) / s;
        q.z = (m[0][1] - m[1][0]) / s;
    } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
        float s = std::sqrt(1.0f + m[0][0] - m[1][1] - m[2][2]) * 2;
        q.w = (m[1][2] - m[2][1]) / s;
        q.x = 0.25f * s;
        q.y = (m[1][0] + m[0][1]) / s;
        q.z = (m[2][0] + m[0][2]) / s;
    } else if (m[1][1] > m[2][2]) {
        float s = std::sqrt(1.0f + m[1][1] - m[0][0] - m[2][2]) * 2;
        q.w = (m[2][0] - m[0][2]) / s;
        q.x = (m[1][0] + m[0][1]) / s;
        q.y = 0.25f * s;
        q.z = (m[2][1] + m[1][2]) / s;
    } else {
        float s = std::sqrt(1.0f + m[2][2] - m[0][0] - m[1][1]) * 2;
        q.w = (m[0][1] - m[1][0]) / s;
        q.x = (m[2][0] + m[0][2]) / s;
        q.y = (m[2][1] + m[1][2]) / s;
        q.z = 0.25f * s;
    }
    return q.Normalized();
}

Quaternion Quaternion::Normalized() const
{
    float len = std::sqrt(Dot(*this));
    if (len <= 0.0f)
        return {};
    return *this * (1.0f / len);
}

Quaternion Slerp(const Quaternion& a, const Quaternion& bIn, float t)
{
    Quaternion b = bIn;
    float d = a.Dot(b);
    if (d < 0) {
        b = b * -1.0f;
        d = -d;
    }
    if (d > 0.9995f)
        return (a * (1 - t) + b * t).Normalized();
    float theta = std::acos(std::clamp(d, -1.0f, 1.0f));
    float s = std::sin(theta);
    return (a * (std::sin((1 - t) * theta) / s) + b * (std::sin(t * theta) / s)).Normalized();
}

void Box::Add(const Vec3& p)
{
    if (IsEmpty()) {
        min = max = p;
        return;
    }
    min = Min(min, p);
    max = Max(max, p);
}

void Box::Add(const Box& b)
{
    if (b.IsEmpty())
        return;
    Add(b.min);
    Add(b.max);
}

Box Box::Transformed(const Matrix4& mat) const
{
    Box r;
    if (IsEmpty())
        return r;
    for (int i = 0; i < 8; ++i)
        r.Add(mat.TransformPoint({(i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z}));
    return r;
}

uint32_t MakeARGB(float r, float g, float b, float a)
{
    auto channel = [](float v) {
        return static_cast<uint32_t>(static_cast<int>(std::clamp(v, 0.0f, 1.0f) * 255.0f));
    };
    return (channel(a) << 24) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

ColorRGBA ColorFromARGB(uint32_t argb)
{
    return {((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f,
            ((argb >> 24) & 0xFF) / 255.0f};
}

} // namespace corvid
