#pragma once
// The five drag deformers (bend, twist, taper, bulge, pull) as pure mesh
// operations: every vertex is recomputed from a snapshot of the positions
// taken when the drag began, so a drag moved back to where it started gives
// the snapshot back bit for bit.
//
// The framework they share, in the mesh's own coordinates:
// - The axis runs through the centre of the mesh's box, parallel to the
//   selected axis, from the box's low side to its high side (AxisIndex).
// - lo and hi are fractions of that segment. lo = 0, hi = 1 deforms the whole
//   mesh; otherwise the deformed part runs from S (at lo) to E (at hi).
//   With lo > hi the part between them runs backwards, from the high side to
//   the low side; lo = hi with a part range deforms nothing.
// - A local frame (a along the axis, p and q across it) gives each vertex an
//   axial coordinate t and two cross coordinates.
// - Vertices at or before S keep their place (taper: scaled by its start
//   factor); those at or beyond E are handled per deformer.
//
// Every result is finite: a non-finite drag counts as none, growth factors
// are kept within [1 / kMaxDeformFactor, kMaxDeformFactor], drags beyond
// kMaxDeformDrag scene units are cut to it, and a vertex whose result would
// not be finite keeps its snapshot position.

#include "platform/Fwd.h"
#include "platform/Math.h"
#include "platform/MeshBuilder.h"

#include <optional>
#include <span>
#include <vector>

namespace corvid {

enum class Deformer { Bend, Twist, Bulge, Pull, Taper };

// The largest (and, inverted, the smallest) cross-section factor taper and
// bulge reach.
constexpr float kMaxDeformFactor = 1e4f;
// The longest drag, in scene units, a deformer takes into account.
constexpr float kMaxDeformDrag = 1e6f;
// Degrees to radians, as the deformers convert.
constexpr float kDeformRadians = 0.017453292f;
// The bend angle in degrees per scene unit of drag.
constexpr float kBendDegreesPerUnit = 15.0f;

// One deformer's block of parameters.
struct DeformerParameters {
    float lo = 0.0f;  // range start, a fraction of the axis segment
    float hi = 1.0f;  // range end
    // 1 in the component of the chosen axis; the first component equal to 1
    // (x, then y, then z) decides, and y when none is.
    Vec3 axis{0.0f, 1.0f, 0.0f};
    // Twist: degrees per unit of drag; taper and bulge: the growth base
    // (> 0); pull: the profile exponent (<= 0 counts as 1). Bend has none.
    float own = 0.0f;
};

struct DeformerSet {
    DeformerParameters bend{};
    DeformerParameters twist{0.0f, 1.0f, {0.0f, 1.0f, 0.0f}, 20.0f};
    DeformerParameters bulge{0.0f, 1.0f, {0.0f, 1.0f, 0.0f}, 1.07f};
    DeformerParameters pull{0.0f, 1.0f, {0.0f, 1.0f, 0.0f}, 1.0f};
    DeformerParameters taper{0.0f, 1.0f, {0.0f, 1.0f, 0.0f}, 1.1f};

    DeformerParameters& Of(Deformer kind);
    const DeformerParameters& Of(Deformer kind) const;
};

// 0, 1 or 2: the axis an axis selector chooses.
int AxisIndex(const Vec3& selector);

// The segment a deformer works along, with the range as fractions of it
// (lo < hi, after a reversed range has turned the segment round).
struct DeformAxis {
    Vec3 start, end;
    float lo = 0.0f, hi = 1.0f;
    bool whole = true;  // lo = 0 and hi = 1: every vertex is deformed
};

// The axis of box for the parameters of kind (bend takes a range end of
// exactly 0 as 0.001 and one of exactly 1 as 0.999). Null, so that nothing
// is deformed, for an empty box, a zero-length axis or lo = hi.
std::optional<DeformAxis> MakeDeformAxis(Deformer kind, const Box& box, const DeformerParameters& p);

// What the drag amounts to.
struct DeformDrag {
    // Twist, taper, bulge: the vertical drag h in scene units, upward positive.
    float h = 0.0f;
    // Bend and pull: the drag direction in the mesh's coordinates (any
    // length) and the drag length d in scene units.
    Vec3 direction;
    float distance = 0.0f;
    // Taper: the right button is dragging (scales the start, not the end).
    bool right = false;
};

// Pull's profile P(theta) with exponent e (<= 0: 1) and asymmetry b
// (<= 0: 1); P(0) = 1 and P(pi) = -1.
float PullProfile(float theta, float exponent, float asymmetry = 1.0f);

// Every vertex of snapshot deformed into out (resized to match). False, with
// out a copy of snapshot, when the drag changes nothing or the parameters
// are refused.
bool DeformPositions(Deformer kind, const DeformerParameters& p, const DeformAxis& axis, const DeformDrag& drag,
                     std::span<const Vec3> snapshot, std::vector<Vec3>& out);

// The parts of a mesh a deformer move rewrites, taken at the press: its
// vertices, and its normals and faces for putting back when the drag comes
// back to nothing.
MeshContents DeformSnapshot(const MeshBuilder& mesh);

// One move of a deformer on mesh: the vertices from start through
// DeformPositions, then smooth normals (crease 0, no flags). work is scratch
// space kept between moves. When the drag changes nothing, start is put
// back exactly (normals included) and the result is false.
bool ApplyDeform(MeshBuilder& mesh, Deformer kind, const DeformerParameters& p, const DeformAxis& axis,
                 const DeformDrag& drag, const MeshContents& start, std::vector<Vec3>& work);

} // namespace corvid
