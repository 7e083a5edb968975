#pragma once
// A wrap computes texture coordinates for the vertices of a mesh by
// projecting them onto a shape placed in a reference frame.
//
// The wrap has its own axes, built from its direction and up vectors (given
// in the reference frame's space) the way Matrix4::FromOrientation builds a
// rotation: z along the direction, y as close to up as possible, x
// perpendicular to both. A vertex p becomes wrap coordinates [x y z] by
// taking p - origin along those axes. With su, sv the scale and ou, ov the
// offset of the texture:
//
//   Flat      u = su*x - ou                 v = sv*y - ov
//   Sheet     the same projection as Flat: a plane facing the direction.
//   Cylinder  u = su*a/(2*pi) - ou          v = sv*z - ov
//             a is the angle of [x y] from the x axis toward y, in [0, 2*pi);
//             the direction is the cylinder's axis.
//   Sphere    u = su*a/(2*pi) - ou          v = sv*b/pi - ov
//             a as for Cylinder, b the angle of [x y z] from the z axis in
//             [0, pi] (a point at the origin counts as b = 0).
//   Chrome    the reference frame is the viewer. The view vector from the
//             reference frame's origin to the vertex is reflected about the
//             vertex normal, and the reflected direction is looked up on a
//             sphere far around the mesh: u and v are the Sphere formulas
//             applied to that direction in wrap axes (so the wrap origin does
//             not matter). A vertex without a normal uses the view vector.
//   Box       each vertex is projected on the plane of the wrap axes its
//             normal points most along: a normal mostly along z uses the
//             Flat projection (x, y); mostly along x uses (z, y); mostly
//             along y uses (x, z); the first of the pair goes to u with su and
//             ou, the second to v. A vertex without a normal falls back to Flat.
//
// A vertex's normal is the one named by the first face corner that uses the
// vertex with a normal index; failing that, the sum of the normals of the
// faces that use it. Angles go to [0, 1) before scaling, so an unscaled
// cylinder or sphere goes once round the texture.

#include "platform/Fwd.h"
#include "platform/Math.h"

#include <memory>

namespace corvid {

enum class WrapType { Flat = 0, Cylinder = 1, Sphere = 2, Chrome = 3, Sheet = 4, Box = 5 };

class Wrap {
public:
    // A wrap placed in reference's space (null: the root space). The wrap
    // does not keep the reference frame alive. Null for a zero or non-finite
    // direction or a non-finite parameter.
    static std::shared_ptr<Wrap> Create(WrapType type, const Frame* reference, const Vec3& origin,
                                        const Vec3& direction, const Vec3& up, float ou, float ov,
                                        float su, float sv);

    WrapType GetType() const { return type_; }
    // The reference frame; null for the root space or when the frame is gone.
    std::shared_ptr<const Frame> GetReference() const { return reference_.lock(); }
    bool HasReference() const { return hasReference_; }
    Vec3 GetOrigin() const { return origin_; }
    Vec3 GetDirection() const { return direction_; }
    Vec3 GetUp() const { return up_; }
    float GetOffsetU() const { return ou_; }
    float GetOffsetV() const { return ov_; }
    float GetScaleU() const { return su_; }
    float GetScaleV() const { return sv_; }
    // The wrap's axes in the reference space: rows 0, 1, 2 are x, y, z.
    const Matrix4& GetAxes() const { return axes_; }

    // Texture coordinates of one point given in the reference space, with
    // its unit normal there (the zero vector: none).
    Vec2 Compute(const Vec3& position, const Vec3& normal = {}) const;

    // Sets the texture coordinates of every vertex of mesh, taking the
    // vertex positions (and normals) as given in the reference space. An
    // empty mesh is left as it is.
    bool Apply(MeshBuilder& mesh) const;
    // The same for a mesh whose vertices are in frame's space: each vertex is
    // first carried into the reference space. False, changing nothing, when
    // the reference frame no longer exists.
    bool ApplyRelative(const Frame& frame, MeshBuilder& mesh) const;

private:
    Wrap() = default;
    bool applyWith(const Matrix4& toReference, MeshBuilder& mesh) const;
    // u and v from the two wrap-space quantities, by scale and offset.
    Vec2 scaled(float a, float b) const;

    WrapType type_ = WrapType::Flat;
    std::weak_ptr<const Frame> reference_;
    bool hasReference_ = false;
    Vec3 origin_;
    Vec3 direction_{0, 0, 1};
    Vec3 up_{0, 1, 0};
    float ou_ = 0, ov_ = 0, su_ = 1, sv_ = 1;
    Matrix4 axes_ = Matrix4::Identity();
};

} // namespace corvid
