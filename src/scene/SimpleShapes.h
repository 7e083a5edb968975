#pragma once
// The material preview's sphere, built straight into a mesh builder.

#include "platform/Fwd.h"

namespace corvid {

class MeshBuilder;

// A UV sphere of radius around the origin: rings bands from pole to pole,
// segments slices around y. Faces are seen from outside; normals smooth.
MeshBuilderPtr BuildUvSphere(float radius, int rings, int segments);
// Adds the vertices and faces of that sphere to mesh (no normals).
void AddUvSphere(MeshBuilder& mesh, float radius, int rings, int segments);

} // namespace corvid
