#pragma once
// The editor's own shapes: the shared icons that camera and light frames
// show, the ground grid and the selection marker. Built once per program.

#include "platform/Fwd.h"
#include "platform/Light.h"

namespace corvid {

// A small camera body with a lens, looking along +z.
MeshBuilderPtr BuildCameraIcon();
// A small symbol per light type: a ball for point and ambient lights, an
// arrow for directional ones, a cone for spots, a ball with an arrow for
// parallel-point lights. Each is self-lit so it reads in a dark scene.
MeshBuilderPtr BuildLightIcon(LightType type);
// A square wire grid on the y = 0 plane, centred on the origin.
MeshBuilderPtr BuildGridMesh(int cellsPerSide, float cellSize);
// A unit wire cube drawn around the selection.
MeshBuilderPtr BuildMarkerMesh();

} // namespace corvid
