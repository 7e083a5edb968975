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

// Angle of [x y] from the x axis toward y, as a fraction of a turn in [0, 1).
float Turn(float x, float y)
{
    float t = std::atan2(y, x) / (2.0f * kPi);
    if (t < 0.0f)
        t += 1.0f;
    return t >= 1.0f ? 0.0f : t;
}

// Angle of p from the z axis as a fraction of a half turn, in [0, 1].
float FromPole(const Vec3& p)
{
    const float len = Length(p);
    if (len == 0.0f)
        return 0.0f;
    return std::acos(std::clamp(p.z / len, -1.0f, 1.0f)) / kPi;
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
    Vec2 uv{su_ * a - ou_, sv_ * b - ov_};
    if (!std::isfinite(uv.u))
        uv.u = 0.0f;
    if (!std::isfinite(uv.v))
        uv.v = 0.0f;
    return uv;
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
    std::vector<Vec2> uv(static_cast<size_t>(count));
    const auto& vertices = mesh.GetVertices();
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
