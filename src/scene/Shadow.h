#pragma once
// The shadow tool (mode 700): with a light selected, a click on an object
// gives that object a flat copy of the mesh under the cursor, cast by the
// light onto the ground plane y = 0.01 of SCENE (just above the grid, so the
// two do not fight for the same depth). The shadow is a mesh of the object
// (SceneModel::CastShadow): it moves, saves and copies with it.
//
// Projection by light type:
// - point and spot lights cast from their position: a vertex p goes to
//   L + (p - L) (L.y - h) / (L.y - p.y). Vertices at or above the light are
//   treated as lying just below it, so the shadow stays finite (at most a
//   hundred times the light's height above the plane away from it);
// - directional lights cast along their z axis, which must point down;
// - parallel point lights cast along the line from the light to the
//   object's origin, which must point down;
// - ambient light casts no shadow, nor does a light at or below the plane.

#include "platform/Fwd.h"
#include "platform/Math.h"

#include <optional>

namespace corvid {

constexpr float kShadowPlaneHeight = 0.01f;

// Where the light puts the shadow of point p (all relative to SCENE), given
// the light's position and casting direction for parallel lights. Null
// when the light casts no shadow onto the plane.
struct ShadowCaster {
    bool parallel = false;
    Vec3 position;   // central projection
    Vec3 direction;  // parallel projection
};
std::optional<Vec3> ProjectOntoShadowPlane(const ShadowCaster& caster, const Vec3& p);

} // namespace corvid
