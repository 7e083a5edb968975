#pragma once
// Parametric patches: a smooth surface over a rectangular grid of control
// points that the person shapes by moving the points like any other object.
// Two families: the uniform biquadratic B-spline (3001) and the bicubic
// Catmull-Rom (3003). Code 3002 (Bezier) is reserved; no tool makes it and
// moving one of its points changes nothing.
//
// A patch is a small tree, made in one go by CreatePatch:
//   patch frame (kind Patch, "BSpline Patch" / "CatmullRom Patch", registered)
//     visual: the surface, a regular grid of V x U vertices, row-major
//     control group (kind Empty, no name)
//       [B-spline only] net frame (no record; rendered, never picked)
//         visual: the control net, wireframe, flat, unlit
//       one frame per control point (kind ControlPoint, not registered)
//         visual: a copy of the marker mesh
// The net hangs on a frame of its own because picking is decided per frame
// for a whole subtree: on the group it would hide the control points too.
//
// Rows of the control grid run along x, columns along z. With Rx rows and Cz
// columns parameters and Sx, Sz steps per span:
//   B-spline:    (Rx + 1) x (Cz + 1) points, (Rx - 1) x (Cz - 1) spans
//   Catmull-Rom: (Rx + 2) x (Cz + 2) points, (Rx - 1) x (Cz - 1) spans
//   surface:     V = (Rx - 1) Sx + 1 rows by U = (Cz - 1) Sz + 1 columns.
// Vertex (i, j) samples span row i / Sx at t = (i mod Sx) / Sx and span
// column j / Sz likewise; the last row and column sample one span further at
// t = 0 with the basis terms that still have weight. Cell (r, c) is the quad
// (r, c+1), (r+1, c+1), (r+1, c), (r, c), facing +y while the patch is flat.

#include "platform/Fwd.h"
#include "platform/Math.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace corvid {

class SceneModel;

// The most control points a row of the evaluation buffer holds; a column
// holds as many.
constexpr int kPatchRowPoints = 100;
// The most vertices a patch surface may have (it has fewer faces).
constexpr long long kMaxPatchSurfaceVertices = 1000000;

// The creation parameters of one family.
struct PatchFamilyParameters {
    int rows = 5;     // Rx
    int columns = 5;  // Cz
    int stepsX = 4;   // Sx: samples per span along x
    int stepsZ = 4;   // Sz: samples per span along z
};

// The control points of one patch, copied in before every evaluation:
// rows of kPatchRowPoints points, as many rows as the grid has.
struct PatchControlGrid {
    std::vector<std::array<Vec3, kPatchRowPoints>> rows;

    void Resize(int rowCount) { rows.resize(static_cast<size_t>(rowCount)); }
    Vec3& At(int row, int column) { return rows[static_cast<size_t>(row)][static_cast<size_t>(column)]; }
    const Vec3& At(int row, int column) const { return rows[static_cast<size_t>(row)][static_cast<size_t>(column)]; }
};

// What the patch tools keep.
struct PatchParameters {
    PatchFamilyParameters bSpline;
    PatchFamilyParameters catmullRom;
    // The evaluation buffer every patch shares.
    PatchControlGrid buffer;
    // The mesh each control point shows a scaled copy of; made on first use.
    MeshBuilderPtr marker;

    // The parameters of family 3001 or 3003 (the B-spline's for any other code).
    PatchFamilyParameters& Of(int patchType);
};

// The sizes a family's parameters give.
struct PatchSizes {
    int controlRows = 0, controlColumns = 0;  // control points along x and z
    int vertexRows = 0, vertexColumns = 0;    // V and U
};
PatchSizes PatchSizesOf(int patchType, const PatchFamilyParameters& parameters);

// Why parameters of family patchType cannot make a patch, or nothing when
// they can: fewer than 2 rows or columns, fewer than 1 step, more control
// points in a row or a column than the evaluation buffer holds in a row, a
// surface of more than kMaxPatchSurfaceVertices vertices (the message names
// the limit), or an unknown family. Checked before anything is allocated.
std::optional<std::string> PatchParametersProblem(int patchType, const PatchFamilyParameters& parameters);

// The surface of a control grid, row-major, V x U points.
void SamplePatchSurface(int patchType, const PatchControlGrid& grid, const PatchFamilyParameters& parameters,
                        std::vector<Vec3>& out);

// A new surface mesh over the grid: vertices, the quads and smooth normals.
// Settings (quality, colour, material) are left to the caller.
MeshBuilderPtr BuildPatchSurface(int patchType, const PatchControlGrid& grid, const PatchFamilyParameters& parameters);

// The control points of a flat patch of width x depth centred on the origin.
void FlatPatchGrid(int patchType, const PatchFamilyParameters& parameters, float width, float depth,
                   PatchControlGrid& out);

// Builds the patch tree of family patchType (3001 or 3003) with the editor's
// current parameters, its frame under SCENE at position (relative to SCENE),
// and registers the patch frame. Width and depth below 0.0001 are taken as
// 0.0001. Parameters that cannot make a patch are refused with their message
// and nothing is made (null).
FramePtr CreatePatch(SceneModel& scene, PatchParameters& patches, int patchType, const Vec3& position, float width, float depth);

// The control net of a patch's control group (B-spline), or null.
MeshBuilderPtr ControlNetOf(const Frame& group);

// A control point and where it stood in its patch's frame when a mesh
// scale of the patch began.
struct PatchPointStart {
    FramePtr point;
    FramePtr patch;
    Vec3 inPatch;
};

// The control points a mesh scale of frame reshapes: those of frame when it
// is a patch and, with children, those of every patch below it, each with
// where it stands now.
std::vector<PatchPointStart> PatchPointsOf(const FramePtr& frame, bool withChildren);

// A mesh scale has multiplied the surfaces' vertices by factors (in each
// patch's own axes, about its origin): puts each point at factors times
// where it started, and the control nets with them, so that every surface
// is still what its control points give and a point moved next re-shapes it
// without a seam.
void ScalePatchPoints(SceneModel& scene, const std::vector<PatchPointStart>& points, const Vec3& factors);

enum class PatchRegion {
    // Only the surface vertices (and normals) the moved point bears on. The
    // rest of the grid must be where the surface was last evaluated with,
    // which holds when every mover calls ReevaluatePatch.
    Influenced,
    // The whole surface, whatever moved.
    Whole,
};

// After controlPoint has moved: updates its vertex of the control net,
// copies the group's control points into the evaluation buffer (mapped into
// the patch frame, where the surface is) and re-samples the surface in
// place, then its normals. The grid sizes and
// steps come from the point's record. False (nothing changed) for a frame
// that is not the control point of a well-formed 3001 / 3003 patch; type 3002
// is one of those.
bool ReevaluatePatch(SceneModel& scene, PatchParameters& patches, Frame& controlPoint, PatchRegion region = PatchRegion::Influenced);

} // namespace corvid
