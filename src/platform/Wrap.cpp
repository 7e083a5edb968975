#include "platform/Wrap.h"

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace corvid {

namespace {

bool Finite(const Vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// atan2(y, x) within 2e-6 radians (a polynomial for the arctangent on
// [0, 1] and the octant's symmetry): the wraps lay a million vertices at a
// time, and the library's call costs as much as the rest of the work.
// (0, 0) gives 0.
[[gnu::always_inline]] inline float Atan2(float y, float x)
{
    const float ax = std::fabs(x), ay = std::fabs(y);
    const float most = std::max(ax, ay), least = std::min(ax, ay);
    const float t = most > 0.0f ? least / most : 0.0f, s = t * t;
    float r = (((((-0.0117212f * s + 0.05265332f) * s - 0.11643287f) * s + 0.19354346f) * s - 0.33262347f) * s +
               0.99997726f) * t;
    r = ay > ax ? 0.5f * kPi - r : r;
    r = x < 0.0f ? kPi - r : r;
    return std::copysign(r, y);
}

// Angle of [x y] from the x axis toward y, as a fraction of a turn in [0, 1).
[[gnu::always_inline]] inline float Turn(float x, float y)
{
    float t = Atan2(y, x) * (0.5f / kPi);
    if (t < 0.0f)
        t += 1.0f;
    return t >= 1.0f ? 0.0f : t;
}

// Angle of p from the z axis as a fraction of a half turn, in [0, 1] (0 for
// the origin).
[[gnu::always_inline]] inline float FromPole(const Vec3& p)
{
    return std::min(Atan2(std::sqrt(p.x * p.x + p.y * p.y), p.z) * (1.0f / kPi), 1.0f);
}

// One normal per vertex: the normal of the first corner that names one,
// otherwise the sum of the normals of the faces around the vertex; zero for a
// vertex no face uses.
std::vector<Vec3> VertexNormals(const MeshBuilder& mesh)
{
    const int vertexCount = mesh.GetVertexCount();
    const auto& normals = mesh.GetNormals();
    std::vector<Vec3> out(static_cast<size_t>(vertexCount));
    std::vector<bool> fromCorner(static_cast<size_t>(vertexCount), false);
    for (int f = 0; f < mesh.GetFaceCount(); ++f) {
        const Vec3 faceNormal = mesh.GetFaceNormal(f);
        for (const Corner& c : mesh.GetFaceCorners(f)) {
            if (c.vertex < 0 || c.vertex >= vertexCount)
                continue;
            const auto v = static_cast<size_t>(c.vertex);
            if (fromCorner[v])
                continue;
            if (c.normal >= 0 && c.normal < static_cast<int>(normals.size())) {
                out[v] = normals[static_cast<size_t>(c.normal)];
                fromCorner[v] = true;
            } else {
                out[v] += faceNormal;
            }
        }
    }
    for (Vec3& n : out)
        n = Finite(n) ? Normalize(n) : Vec3{};
    return out;
}

bool NeedsNormals(WrapType type)
{
    return type == WrapType::Chrome || type == WrapType::Box;
}

// Maps normals the way m maps points: by the inverse transpose of its 3x3 part.
Vec3 TransformNormal(const Matrix4& inverse, const Vec3& n)
{
    return Normalize(Vec3{Dot(n, inverse.Row(0)), Dot(n, inverse.Row(1)), Dot(n, inverse.Row(2))});
}

} // namespace

std::shared_ptr<Wrap> Wrap::Create(WrapType type, const Frame* reference, const Vec3& origin,
                                   const Vec3& direction, const Vec3& up, float ou, float ov,
                                   float su, float sv)
{
    if (!Finite(origin) || !Finite(direction) || !Finite(up) || !std::isfinite(ou) ||
        !std::isfinite(ov) || !std::isfinite(su) || !std::isfinite(sv))
        return nullptr;
    if (Normalize(direction) == Vec3{})
        return nullptr;
    switch (type) {
    case WrapType::Flat:
    case WrapType::Cylinder:
    case WrapType::Sphere:
    case WrapType::Chrome:
    case WrapType::Sheet:
    case WrapType::Box:
        break;
    default:
        return nullptr;
    }
    std::shared_ptr<Wrap> wrap(new Wrap());
    wrap->type_ = type;
    if (reference) {
        wrap->reference_ = reference->weak_from_this();
        wrap->hasReference_ = true;
    }
    wrap->origin_ = origin;
    wrap->direction_ = direction;
    wrap->up_ = up;
    wrap->ou_ = ou;
    wrap->ov_ = ov;
    wrap->su_ = su;
    wrap->sv_ = sv;
    wrap->axes_ = Matrix4::FromOrientation(direction, up);
    return wrap;
}

Vec2 Wrap::Compute(const Vec3& position, const Vec3& normal) const
{
    const Vec3 ax = axes_.Row(0), ay = axes_.Row(1), az = axes_.Row(2);
    const auto toWrap = [&](const Vec3& v) { return Vec3{Dot(v, ax), Dot(v, ay), Dot(v, az)}; };
    const Vec3 p = toWrap(position - origin_);

    float a = 0, b = 0;  // the two wrap-space quantities that scale into u and v
    switch (type_) {
    case WrapType::Flat:
    case WrapType::Sheet:
        a = p.x;
        b = p.y;
        break;
    case WrapType::Cylinder:
        a = Turn(p.x, p.y);
        b = p.z;
        break;
    case WrapType::Sphere:
        a = Turn(p.x, p.y);
        b = FromPole(p);
        break;
    case WrapType::Chrome: {
        // The viewer sits at the reference frame's origin.
        Vec3 view = Normalize(position);
        if (view == Vec3{})
            view = az;
        const Vec3 reflected = view - normal * (2.0f * Dot(view, normal));
        const Vec3 r = toWrap(reflected);
        a = Turn(r.x, r.y);
        b = FromPole(r);
        break;
    }
    case WrapType::Box: {
        const Vec3 n = toWrap(normal);
        const float nx = std::fabs(n.x), ny = std::fabs(n.y), nz = std::fabs(n.z);
        if (nz >= nx && nz >= ny) {
            a = p.x;
            b = p.y;
        } else if (nx >= ny) {
            a = p.z;
            b = p.y;
        } else {
            a = p.x;
            b = p.z;
        }
        break;
    }
    }
    return scaled(a, b);
}

Vec2 Wrap::scaled(float a, float b) const
{
    const float u = su_ * a - ou_, v = sv_ * b - ov_;
    return {std::isfinite(u) ? u : 0.0f, std::isfinite(v) ? v : 0.0f};
}

bool Wrap::Apply(MeshBuilder& mesh) const
{
    return applyWith(Matrix4::Identity(), mesh);
}

bool Wrap::ApplyRelative(const Frame& frame, MeshBuilder& mesh) const
{
    std::shared_ptr<const Frame> reference = reference_.lock();
    if (hasReference_ && !reference)
        return false;
    return applyWith(frame.GetTransform(reference.get()), mesh);
}

bool Wrap::applyWith(const Matrix4& toReference, MeshBuilder& mesh) const
{
    const int count = mesh.GetVertexCount();
    if (count == 0)
        return true;
    std::vector<Vec3> normals;
    if (NeedsNormals(type_))
        normals = VertexNormals(mesh);
    // Normals carried into the reference space need the inverse transpose.
    const bool identity = toReference == Matrix4::Identity();
    const Matrix4 inverse = identity ? toReference : toReference.Inverse();

    // Compute everything first so a mesh is either fully updated or untouched.
    const auto& vertices = mesh.GetVertices();
    if (!NeedsNormals(type_)) {
        // One matrix from the mesh's space straight into the wrap's axes.
        Matrix4 toAxes = Matrix4::Identity();
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                toAxes.m[r][c] = axes_.m[c][r];
        const Matrix4 toWrap = toReference * Matrix4::Translation(origin_ * -1.0f) * toAxes;
        const auto& w = toWrap.m;
        std::vector<Vec2> laid(static_cast<size_t>(count));
        // The shape is chosen once, outside the loop over the vertices.
        const auto lay = [&](auto uvOf) {
            for (size_t k = 0; k < laid.size(); ++k) {
                const Vec3& v = vertices[k];
                laid[k] = uvOf(Vec3{v.x * w[0][0] + v.y * w[1][0] + v.z * w[2][0] + w[3][0],
                                    v.x * w[0][1] + v.y * w[1][1] + v.z * w[2][1] + w[3][1],
                                    v.x * w[0][2] + v.y * w[1][2] + v.z * w[2][2] + w[3][2]});
            }
        };
        if (type_ == WrapType::Sphere)
            lay([this](const Vec3& p) { return scaled(Turn(p.x, p.y), FromPole(p)); });
        else if (type_ == WrapType::Cylinder)
            lay([this](const Vec3& p) { return scaled(Turn(p.x, p.y), p.z); });
        else
            lay([this](const Vec3& p) { return scaled(p.x, p.y); });
        return mesh.SetTextureCoordinateList(std::move(laid));
    }
    std::vector<Vec2> uv(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const auto k = static_cast<size_t>(i);
        Vec3 normal;
        if (!normals.empty() && normals[k] != Vec3{})
            normal = identity ? normals[k] : TransformNormal(inverse, normals[k]);
        const Vec3 position = identity ? vertices[k] : toReference.TransformPoint(vertices[k]);
        uv[k] = Compute(position, normal);
    }
    bool ok = true;
    for (int i = 0; i < count; ++i)
        ok = mesh.SetTextureCoordinates(i, uv[static_cast<size_t>(i)].u, uv[static_cast<size_t>(i)].v) && ok;
    return ok;
}

} // namespace corvid
