#pragma once
// The object information panel's model: the texts it shows for the selected
// object. Empty texts mean a cleared panel.

#include "platform/Fwd.h"
#include "platform/Math.h"

#include <string>

namespace corvid {

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

    bool IsEmpty() const { return name.empty() && kindName.empty() && positionX.empty(); }
};

// Reals as "%f", integers as "%i".
std::string FormatReal(float value);
std::string FormatInteger(int value);

// heading, elevation, bank in degrees from a direction and up vector.
Vec3 OrientationAngles(const Vec3& direction, const Vec3& up);

// The texts for frame (placed relative to scene) showing mesh (may be null:
// the size and counts stay empty).
ObjectInfo DescribeObject(const Frame& frame, const Frame& scene, const MeshBuilder* mesh, const std::string& name,
                          const std::string& kindName);

} // namespace corvid
