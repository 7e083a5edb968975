#pragma once
// The boolean tools' operation on the scene: two mesh objects in, one new
// object out, as one step of the edit history.

#include "geometry/Boolean.h"
#include "platform/Fwd.h"

namespace corvid {

class SceneModel;
struct Matrix4;

// A mesh builder's faces, corners, texture coordinates and attributes, its
// vertices mapped through toWorld.
PolygonMesh OperandMesh(const MeshBuilder& mesh, const Matrix4& toWorld);

// Combines meshA (shown by frameA) with meshB (shown by frameB), both read
// relative to SCENE. On success the result is a new object under SCENE,
// placed at the centre of its box (at A's position when empty, after the
// message "Empty object created"), named and recorded as A (with A's texture
// wrap), Gouraud-shaded with normals split at a crease of 1 radian. The
// operands then leave the scene: B's tree when B holds A, A's tree when A
// holds B, otherwise both. The new object is selected.
//
// Refusals show "Illegal Boolean Operation" (an operand that must be closed
// is open) or "Cutting Algorithm Failed" and leave the scene and the history
// as they were; they return nullptr.
FramePtr BooleanOperation(SceneModel& scene, BooleanKind kind, const FramePtr& frameA, const MeshBuilderPtr& meshA,
                          const FramePtr& frameB, const MeshBuilderPtr& meshB);

} // namespace corvid
