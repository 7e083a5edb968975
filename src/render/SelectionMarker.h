#pragma once
// The selection marker: the wire shape hung on the selected object, kept at a
// constant apparent size, and its six handle frames at the centres of the
// faces of the selected mesh's box.

#include "platform/Device.h"
#include "platform/Math.h"

namespace corvid {

constexpr int kMarkerHandleCount = 6;

// The factors that give a marker shape of size extent its constant apparent
// size. Perspective views: x to distance / 60, y by the same factor, z to
// distance / 30. Orthographic views (field F): x and y to F * 0.025, z to
// F * 0.05. A factor that is not greater than 0 (or not finite) becomes 0.001.
Vec3 MarkerScale(Projection projection, float distance, float field, const Vec3& extent);

// Centres of the six faces of box: -x, +x, -y, +y, -z, +z.
std::array<Vec3, kMarkerHandleCount> BoxFaceCentres(const Box& box);

} // namespace corvid
