#include "geometry/Primitives.h"

#include "platform/MeshBuilder.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace corvid {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
// Degrees to radians, as the superquadric loops convert their angles.
constexpr double kDegreesToRadians = 0.01745329252;
constexpr float kCrease = 1.0f;  // radians

bool CountOk(int n, int least) { return n >= least && n <= kMaxPrimitiveDivisions; }
bool PositiveFinite(float v) { return std::isfinite(v) && v > 0.0f; }
int ClampCount(int n, int least) { return std::clamp(n, least, kMaxPrimitiveDivisions); }
float ClampPositive(float v, float most)
{
    if (!std::isfinite(v))
        return most;
    return std::clamp(v, kMinPrimitiveValue, most);
}

// A vertex with its zero normal placeholder; the indices stay equal.
int AddPoint(MeshBuilder& mesh, double x, double y, double z)
{
    mesh.AddNormal({0.0f, 0.0f, 0.0f});
    return mesh.AddVertex({static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)});
}

void AddTriangle(MeshBuilder& mesh, int a, int b, int c)
{
    const int v[3] = {a, b, c};
    mesh.AddFace(v, v);
}

void AddQuad(MeshBuilder& mesh, int a, int b, int c, int d)
{
    const int v[4] = {a, b, c, d};
    mesh.AddFace(v, v);
}

// The cylinder and the cone: taper 0 keeps every ring at radius 1, taper 1
// shrinks ring i to 1 - i/h.
bool BuildTube(MeshBuilder& mesh, const CylinderParameters& p, bool cone)
{
    const int s = p.segments, h = p.heightDivisions;
    if (!CountOk(s, 3) || !CountOk(h, 1))
        return false;
    mesh.ReserveSpace(s * (h + 1) + 2, s * (h + 1) + 2, s * (h + 2));
    if (p.caps)
        AddPoint(mesh, 0.0, -0.5, 0.0);
    const int b = p.caps ? 1 : 0;
    for (int i = 0; i <= h; ++i) {
        const double t = static_cast<double>(i) / h;
        const double radius = cone ? 1.0 - t : 1.0;
        for (int j = 0; j < s; ++j) {
            const double psi = j * kTwoPi / s;
            AddPoint(mesh, -radius * std::sin(psi), t - 0.5, radius * std::cos(psi));
        }
    }
    const int top = p.caps ? AddPoint(mesh, 0.0, 0.5, 0.0) : -1;
    auto ring = [&](int i, int k) { return b + i * s + k; };
    for (int k = 0; k < s && p.caps; ++k)
        AddTriangle(mesh, 0, ring(0, k), ring(0, (k + 1) % s));
    for (int i = 0; i < h; ++i)
        for (int k = 0; k < s; ++k) {
            const int k1 = (k + 1) % s;
            AddQuad(mesh, ring(i + 1, k1), ring(i, k1), ring(i, k), ring(i + 1, k));
        }
    for (int k = 0; k < s && p.caps; ++k)
        AddTriangle(mesh, ring(h, k), top, ring(h, (k + 1) % s));
    mesh.GenerateNormals(kCrease, kGenerateNormalsUseCreaseAngle);
    return true;
}

} // namespace

float SignedPower(float v, float e)
{
    const float magnitude = std::fabs(v);
    if (!(magnitude >= 0.00001f))  // also catches NaN
        return 0.0f;
    const float power = std::pow(magnitude, e);
    return v < 0.0f ? -power : power;
}

SphereParameters Clamp(SphereParameters p)
{
    p.segments = ClampCount(p.segments, 3);
    p.rings = ClampCount(p.rings, 2);
    return p;
}

CubeParameters Clamp(CubeParameters p)
{
    p.nx = ClampCount(p.nx, 1);
    p.ny = ClampCount(p.ny, 1);
    p.nz = ClampCount(p.nz, 1);
    return p;
}

SquareParameters Clamp(SquareParameters p)
{
    p.nx = ClampCount(p.nx, 1);
    p.nz = ClampCount(p.nz, 1);
    return p;
}

CylinderParameters Clamp(CylinderParameters p)
{
    p.segments = ClampCount(p.segments, 3);
    p.heightDivisions = ClampCount(p.heightDivisions, 1);
    return p;
}

SuperellipsoidParameters Clamp(SuperellipsoidParameters p)
{
    p.segmentsAround = ClampCount(p.segmentsAround, 3);
    p.segmentsPoleToPole = ClampCount(p.segmentsPoleToPole, 2);
    p.exponent1 = ClampPositive(p.exponent1, kMaxSuperExponent);
    p.exponent2 = ClampPositive(p.exponent2, kMaxSuperExponent);
    p.scaleX = ClampPositive(p.scaleX, kMaxPrimitiveExtent);
    p.scaleY = ClampPositive(p.scaleY, kMaxPrimitiveExtent);
    p.scaleZ = ClampPositive(p.scaleZ, kMaxPrimitiveExtent);
    return p;
}

SupertoroidParameters Clamp(SupertoroidParameters p)
{
    p.segmentsAround = ClampCount(p.segmentsAround, 3);
    p.segmentsTube = ClampCount(p.segmentsTube, 3);
    p.exponent1 = ClampPositive(p.exponent1, kMaxSuperExponent);
    p.exponent2 = ClampPositive(p.exponent2, kMaxSuperExponent);
    p.tubeRadius = ClampPositive(p.tubeRadius, kMaxPrimitiveExtent);
    p.ringRadius = std::isfinite(p.ringRadius) ? std::clamp(p.ringRadius, 0.0f, kMaxPrimitiveExtent) : 0.0f;
    return p;
}

bool BuildSphere(MeshBuilder& mesh, const SphereParameters& p)
{
    const int s = p.segments, r = p.rings;
    if (!CountOk(s, 3) || !CountOk(r, 2))
        return false;
    mesh.ReserveSpace(4 * s * r, 4 * s * r, s * r);
    AddPoint(mesh, 0.0, -1.0, 0.0);
    for (int i = 1; i < r; ++i) {
        const double theta = i * std::numbers::pi / r;
        for (int j = 1; j <= s; ++j) {
            const double psi = (j - 1) * kTwoPi / s;
            AddPoint(mesh, std::sin(theta) * std::sin(psi), -std::cos(theta), -std::sin(theta) * std::cos(psi));
        }
    }
    const int north = AddPoint(mesh, 0.0, 1.0, 0.0);
    auto ring = [s](int i, int k) { return (i - 1) * s + 1 + k; };
    for (int k = 0; k < s; ++k)
        AddTriangle(mesh, 0, ring(1, k), ring(1, (k + 1) % s));
    for (int i = 1; i <= r - 2; ++i)
        for (int k = 0; k < s; ++k) {
            const int k1 = (k + 1) % s;
            AddQuad(mesh, ring(i, k), ring(i + 1, k), ring(i + 1, k1), ring(i, k1));
        }
    for (int k = 0; k < s; ++k)
        AddTriangle(mesh, ring(r - 1, k), north, ring(r - 1, (k + 1) % s));
    mesh.GenerateNormals(0.0f, 0);
    return true;
}

bool BuildCube(MeshBuilder& mesh, const CubeParameters& p)
{
    const int nx = p.nx, ny = p.ny, nz = p.nz;
    if (!CountOk(nx, 1) || !CountOk(ny, 1) || !CountOk(nz, 1))
        return false;
    const int perRing = 2 * (nx + nz);
    const int vertexCount = 2 * ((ny + 1) * (nx + nz) + (nx + 1) * (nz + 1));
    mesh.ReserveSpace(vertexCount, vertexCount, 2 * (nx * nz + ny * (nx + nz)));
    // Side rings, bottom to top, each walking the perimeter once from the
    // corner (-0.5, -0.5) along -z, +x, +z and -x.
    for (int j = 0; j <= ny; ++j) {
        const double y = static_cast<double>(j) / ny - 0.5;
        for (int i = 0; i <= nx; ++i)
            AddPoint(mesh, static_cast<double>(i) / nx - 0.5, y, -0.5);
        for (int k = 1; k <= nz; ++k)
            AddPoint(mesh, 0.5, y, static_cast<double>(k) / nz - 0.5);
        for (int i = 1; i <= nx; ++i)
            AddPoint(mesh, 0.5 - static_cast<double>(i) / nx, y, 0.5);
        for (int k = 1; k <= nz - 1; ++k)
            AddPoint(mesh, -0.5, y, 0.5 - static_cast<double>(k) / nz);
    }
    // The top grid, then the bottom one, row-major.
    const int top = mesh.GetVertexCount();
    for (double y : {0.5, -0.5})
        for (int q = 0; q <= nz; ++q)
            for (int c = 0; c <= nx; ++c)
                AddPoint(mesh, static_cast<double>(c) / nx - 0.5, y, static_cast<double>(q) / nz - 0.5);
    const int width = nx + 1;
    const int bottom = top + width * (nz + 1);

    for (int j = 0; j < ny; ++j)
        for (int k = 0; k < perRing; ++k) {
            const int a = j * perRing + k;
            const int a1 = j * perRing + (k + 1) % perRing;
            AddQuad(mesh, a, a + perRing, a1 + perRing, a1);
        }
    for (int q = 0; q < nz; ++q)
        for (int c = 0; c < nx; ++c) {
            const int v = top + q * width + c;
            AddQuad(mesh, v, v + width, v + width + 1, v + 1);
        }
    for (int q = 0; q < nz; ++q)
        for (int c = 0; c < nx; ++c) {
            const int v = bottom + q * width + c;
            AddQuad(mesh, v, v + 1, v + width + 1, v + width);
        }
    mesh.GenerateNormals(kCrease, kGenerateNormalsUseCreaseAngle | kGenerateNormalsPrecompact);
    return true;
}

bool BuildSquare(MeshBuilder& mesh, const SquareParameters& p)
{
    const int nx = p.nx, nz = p.nz;
    if (!CountOk(nx, 1) || !CountOk(nz, 1))
        return false;
    const int width = nx + 1;
    mesh.ReserveSpace(width * (nz + 1), width * (nz + 1), nx * nz);
    for (int q = 0; q <= nz; ++q)
        for (int c = 0; c <= nx; ++c)
            AddPoint(mesh, static_cast<double>(c) / nx - 0.5, 0.0, static_cast<double>(q) / nz - 0.5);
    for (int q = 0; q < nz; ++q)
        for (int c = 0; c < nx; ++c) {
            const int v = q * width + c;
            AddQuad(mesh, v, v + width, v + width + 1, v + 1);
        }
    mesh.GenerateNormals(kCrease, kGenerateNormalsUseCreaseAngle | kGenerateNormalsPrecompact);
    return true;
}

bool BuildCylinder(MeshBuilder& mesh, const CylinderParameters& p) { return BuildTube(mesh, p, false); }

bool BuildCone(MeshBuilder& mesh, const CylinderParameters& p) { return BuildTube(mesh, p, true); }

bool BuildSuperellipsoid(MeshBuilder& mesh, const SuperellipsoidParameters& p)
{
    const int n = p.segmentsAround, m = p.segmentsPoleToPole;
    if (!CountOk(n, 3) || !CountOk(m, 2) || !PositiveFinite(p.exponent1) || !PositiveFinite(p.exponent2) ||
        !PositiveFinite(p.scaleX) || !PositiveFinite(p.scaleY) || !PositiveFinite(p.scaleZ))
        return false;
    mesh.ReserveSpace(4 * n * m, 4 * n * m, n * m);
    const float dLambda = 360.0f / static_cast<float>(n);
    const float dPhi = 180.0f / static_cast<float>(m);
    const float e1 = p.exponent1, e2 = p.exponent2;
    int rings = 0, perRing = 0;
    for (float phi = dPhi - 90.0f; phi <= 90.0f - dPhi; phi += dPhi) {
        const double phiRad = phi * kDegreesToRadians;
        const float cosPhi = SignedPower(static_cast<float>(std::cos(phiRad)), e2);
        const float sinPhi = SignedPower(static_cast<float>(std::sin(phiRad)), e2);
        int count = 0;
        for (float lambda = -180.0f; lambda <= 180.0f - dLambda; lambda += dLambda) {
            const double lambdaRad = lambda * kDegreesToRadians;
            const float sinLambda = SignedPower(static_cast<float>(std::sin(lambdaRad)), e1);
            const float cosLambda = SignedPower(static_cast<float>(std::cos(lambdaRad)), e1);
            mesh.AddNormal({0.0f, 0.0f, 0.0f});
            mesh.AddVertex({p.scaleX * cosPhi * sinLambda, p.scaleY * sinPhi, p.scaleZ * cosPhi * cosLambda});
            ++count;
        }
        perRing = count;  // the same loop every ring
        ++rings;
    }
    if (rings < 1 || perRing < 3) {
        mesh.Empty();
        return false;
    }
    const int south = AddPoint(mesh, 0.0, -p.scaleY, 0.0);
    const int north = AddPoint(mesh, 0.0, p.scaleY, 0.0);
    auto ring = [perRing](int g, int k) { return g * perRing + k; };
    for (int k = 0; k < perRing; ++k)
        AddTriangle(mesh, ring(0, k), south, ring(0, (k + 1) % perRing));
    for (int g = 0; g + 1 < rings; ++g)
        for (int k = 0; k < perRing; ++k) {
            const int k1 = (k + 1) % perRing;
            AddQuad(mesh, ring(g, k), ring(g, k1), ring(g + 1, k1), ring(g + 1, k));
        }
    for (int k = 0; k < perRing; ++k)
        AddTriangle(mesh, ring(rings - 1, k), ring(rings - 1, (k + 1) % perRing), north);
    mesh.GenerateNormals(0.0f, 0);
    return true;
}

bool BuildSupertoroid(MeshBuilder& mesh, const SupertoroidParameters& p)
{
    const int n = p.segmentsAround, m = p.segmentsTube;
    if (!CountOk(n, 3) || !CountOk(m, 3) || !PositiveFinite(p.exponent1) || !PositiveFinite(p.exponent2) ||
        !PositiveFinite(p.tubeRadius) || !std::isfinite(p.ringRadius) || p.ringRadius < 0.0f)
        return false;
    mesh.ReserveSpace(n * m, n * m, n * m);
    const float dU = 360.0f / static_cast<float>(n);
    const float dV = 360.0f / static_cast<float>(m);
    const float e1 = p.exponent1, e2 = p.exponent2, R = p.ringRadius, t = p.tubeRadius;
    int rings = 0, perRing = 0;
    for (float u = 0.0f; u < 360.0f; u += dU) {
        const double uRad = u * kDegreesToRadians;
        const float sinU = SignedPower(static_cast<float>(std::sin(uRad)), e1);
        const float cosU = SignedPower(static_cast<float>(std::cos(uRad)), e1);
        int count = 0;
        for (float v = 0.0f; v < 360.0f; v += dV) {
            const double vRad = v * kDegreesToRadians;
            const float across = R + t * SignedPower(static_cast<float>(std::cos(vRad)), e2);
            mesh.AddNormal({0.0f, 0.0f, 0.0f});
            mesh.AddVertex({sinU * across, t * SignedPower(static_cast<float>(std::sin(vRad)), e2), cosU * across});
            ++count;
        }
        perRing = count;
        ++rings;
    }
    auto ring = [perRing](int g, int k) { return g * perRing + k; };
    // Band g joins ring g to the next; the last band closes back to ring 0.
    for (int g = 0; g < rings; ++g) {
        const int next = (g + 1) % rings;
        for (int k = 0; k < perRing; ++k) {
            const int k1 = (k + 1) % perRing;
            AddQuad(mesh, ring(next, k), ring(next, k1), ring(g, k1), ring(g, k));
        }
    }
    mesh.GenerateNormals(0.0f, 0);
    return true;
}

} // namespace corvid
