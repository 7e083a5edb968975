#pragma once
// The object information panel's model: the texts it shows for the selected
// object. Empty texts mean a cleared panel.

#include "platform/Fwd.h"
#include "platform/Math.h"

#include <string>

namespace corvid {

struct ObjectRecord;

struct ObjectInfo {
    std::string name;
    std::string kindName;
    std::string positionX, positionY, positionZ;  // relative to SCENE
    // The orientation relative to SCENE as three angles in degrees:
    // heading turns the z axis from +z toward +x about y, elevation lifts it
    // above the x-z plane, and bank turns the y axis about the z axis away
    // from level (positive toward +x when looking along z).
    std::string heading, elevation, bank;
    std::string sizeX, sizeY, sizeZ;  // extents of the current visual's box
    std::string faceCount, vertexCount, normalCount;
    // The patch family of a patch or control point ("0" on a patch object,
    // "3001" / "3003" on its points), "-1" for every other kind.
    std::string patchType;
    // A control point's own place in its patch's grid; "-1" for every other
    // kind.
    std::string controlPointRow, controlPointColumn;

    bool IsEmpty() const { return name.empty() && kindName.empty() && positionX.empty(); }
};

// Reals as "%f", integers as "%i".
std::string FormatReal(float value);
std::string FormatInteger(int value);

// heading, elevation, bank in degrees from a direction and up vector.
Vec3 OrientationAngles(const Vec3& direction, const Vec3& up);

// What the status texts show of a record besides its name and kind: the
// patch family of patches and control points (else -1), and a control
// point's row and column in its grid (else -1).
struct PatchPlace {
    int patchType = -1;
    int row = -1, column = -1;
};
PatchPlace PatchPlaceOf(const ObjectRecord& record);

// The texts for frame (placed relative to scene) with its record, showing
// mesh (may be null: the size and counts stay empty).
ObjectInfo DescribeObject(const Frame& frame, const Frame& scene, const MeshBuilder* mesh,
                          const ObjectRecord& record);

} // namespace corvid
