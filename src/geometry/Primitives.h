#pragma once
// The primitive generators: sphere, cube, square, cylinder, cone,
// superellipsoid and supertoroid, each built at unit size around its own
// origin into a mesh builder (left-handed, y up).
//
// Every generator builds in the same order: reserve space, add the vertices
// (each with a zero normal beside it), add the faces by index (every corner
// uses the same index for its vertex and its normal), generate normals. A
// face's corners run so that (P1 - P0) x (P2 - P0), taken as the usual
// right-handed cross product of the coordinates, points out of the solid;
// the renderer treats that side as the front.
//
// A generator refuses (returns false, the mesh untouched) parameters it
// cannot build from: too few segments, more than kMaxPrimitiveDivisions,
// exponents, scales or radii that are not positive and finite. Clamp() brings
// a parameter set into the accepted range, for the tool windows and the
// creation gestures.

#include "platform/Fwd.h"

namespace corvid {

class MeshBuilder;

// The most divisions any count may have (keeps a mesh within a few million
// vertices).
constexpr int kMaxPrimitiveDivisions = 1000;
// The smallest exponent or scale the clamps leave.
constexpr float kMinPrimitiveValue = 0.01f;
// The largest superquadric exponent the clamps leave.
constexpr float kMaxSuperExponent = 10.0f;
// The largest scale or radius the clamps leave.
constexpr float kMaxPrimitiveExtent = 1e6f;

// How the base of a cube, cylinder or cone follows the cursor.
enum class SizingStyle {
    FromCentre,  // the base is centred on the creation point, its radius reaching the cursor
    Box,         // the base spans the rectangle from the creation point to the cursor
};

struct SphereParameters {
    int segments = 32;  // around
    int rings = 16;     // pole to pole
};

struct CubeParameters {
    int nx = 1, ny = 1, nz = 1;
    SizingStyle sizing = SizingStyle::Box;
};

struct SquareParameters {
    int nx = 20, nz = 20;
};

// The cylinder and the cone share one parameter shape; their defaults differ
// in the height divisions.
struct CylinderParameters {
    int segments = 32;         // around
    int heightDivisions = 4;
    bool caps = true;
    SizingStyle sizing = SizingStyle::FromCentre;
};

struct SuperellipsoidParameters {
    int segmentsAround = 32;    // n
    int segmentsPoleToPole = 16;  // m
    float exponent1 = 0.2f;     // e1: the shape across a ring (longitude)
    float exponent2 = 0.2f;     // e2: the shape from pole to pole (latitude)
    float scaleX = 1.0f, scaleY = 1.0f, scaleZ = 1.0f;
};

struct SupertoroidParameters {
    int segmentsAround = 32;    // n: around the main ring
    int segmentsTube = 16;      // m: around the tube
    float exponent1 = 1.0f;     // e1: the main ring's shape
    float exponent2 = 1.0f;     // e2: the tube's shape
    float ringRadius = 0.8f;    // R
    float tubeRadius = 0.2f;    // t
};

// The creation parameters of the primitive tools, edited in their windows;
// a default-constructed set is what each window's "Defaults" button restores.
struct PrimitiveParameters {
    SphereParameters sphere;
    CubeParameters cube;
    SquareParameters square;
    CylinderParameters cylinder;
    CylinderParameters cone{32, 3, true, SizingStyle::FromCentre};
    SuperellipsoidParameters superellipsoid;
    SupertoroidParameters supertoroid;
};

// S(v, e) = sign(v) |v|^e, and 0 when |v| < 0.00001.
float SignedPower(float v, float e);

// Parameter sets brought into the range the generators accept; what a tool
// window shows after the person typed something out of range.
SphereParameters Clamp(SphereParameters p);
CubeParameters Clamp(CubeParameters p);
SquareParameters Clamp(SquareParameters p);
CylinderParameters Clamp(CylinderParameters p);
SuperellipsoidParameters Clamp(SuperellipsoidParameters p);
SupertoroidParameters Clamp(SupertoroidParameters p);

// The generators. Each appends to mesh (meant to be empty) and generates the
// normals its shape asks for: smooth for the sphere and the superquadrics;
// split at a crease of 1 radian for the cube, square, cylinder and cone (the
// cube and square also share normals between coincident vertices).
bool BuildSphere(MeshBuilder& mesh, const SphereParameters& p);
bool BuildCube(MeshBuilder& mesh, const CubeParameters& p);
bool BuildSquare(MeshBuilder& mesh, const SquareParameters& p);
bool BuildCylinder(MeshBuilder& mesh, const CylinderParameters& p);
// The cylinder with ring i's radius 1 - i/h: the top ring meets at the apex
// (s coincident vertices that keep their faces).
bool BuildCone(MeshBuilder& mesh, const CylinderParameters& p);
// The angle loops step by repeated single-precision addition, so the number
// of rings (and of vertices per ring) is whatever that arithmetic gives,
// which for some counts is one more or one fewer than asked.
bool BuildSuperellipsoid(MeshBuilder& mesh, const SuperellipsoidParameters& p);
bool BuildSupertoroid(MeshBuilder& mesh, const SupertoroidParameters& p);

} // namespace corvid
