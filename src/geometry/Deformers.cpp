#include "geometry/Deformers.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace corvid {

namespace {

constexpr float kTwoPi = 2.0f * kPi;

bool Finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// A drag amount as the deformers take it: finite and within the longest drag.
float Sanitize(float amount)
{
    if (!std::isfinite(amount))
        return 0.0f;
    return std::clamp(amount, -kMaxDeformDrag, kMaxDeformDrag);
}

// A growth factor base^exponent, kept finite and within the factor limits;
// 1 when the base is not a positive finite number.
float Growth(float base, float exponent)
{
    if (!(base > 0.0f) || !std::isfinite(base))
        return 1.0f;
    float g = std::pow(base, exponent);
    if (std::isnan(g))
        return 1.0f;
    return std::clamp(g, 1.0f / kMaxDeformFactor, kMaxDeformFactor);
}

// 1 - cos(x), without the cancellation near 0.
float OneMinusCos(float x)
{
    float s = std::sin(0.5f * x);
    return 2.0f * s * s;
}

// sin and 1 - cos of an angle, kept for the next vertex: the vertices of a
// ring share their axial coordinate, and so their angle.
struct Turn {
    float angle = 0.0f, sin = 0.0f, oneMinusCos = 0.0f;

    void At(float x)
    {
        if (x == angle)
            return;
        angle = x;
        sin = std::sin(x);
        oneMinusCos = 1.0f - std::cos(x);
    }
};

// Where a vertex stands along the deformed part.
enum class Region { Before, Inside, Beyond };

// The local axis frame: a along the axis, p and q across it.
struct AxisFrame {
    Vec3 origin, a, p, q;
    float length = 0.0f;  // of the whole segment
    float start = 0.0f;   // S and E as axial coordinates
    float end = 0.0f;
    bool whole = true;

    explicit AxisFrame(const DeformAxis& axis)
        : origin(axis.start)
        , whole(axis.whole)
    {
        Vec3 along = axis.end - axis.start;
        length = Length(along);
        a = along / length;
        float rho = std::sqrt(a.x * a.x + a.y * a.y);
        if (rho >= 1e-6f) {
            p = {a.y / rho, -a.x / rho, 0.0f};
        } else {
            p = {1.0f, 0.0f, 0.0f};
        }
        q = Cross(a, p);
        start = whole ? 0.0f : axis.lo * length;
        end = whole ? length : axis.hi * length;
    }

    float PartLength() const { return end - start; }

    // The region of a vertex at axial coordinate t, and its coordinate from S.
    Region Locate(float t, float& fromStart) const
    {
        fromStart = t - start;
        if (whole)
            return Region::Inside;
        if (t <= start)
            return Region::Before;
        if (t >= end)
            return Region::Beyond;
        return Region::Inside;
    }
};

template <class Displacement>
void DeformEach(const AxisFrame& frame, std::span<const Vec3> snapshot, std::vector<Vec3>& out, Displacement displace)
{
    const size_t count = snapshot.size();
    for (size_t i = 0; i < count; ++i) {
        const Vec3& x = snapshot[i];
        const Vec3 d = x - frame.origin;
        const float t = Dot(d, frame.a);
        float fromStart = 0.0f;
        const Region region = frame.Locate(t, fromStart);
        Vec3 moved = x + displace(d, t, fromStart, region);
        out[i] = Finite(moved) ? moved : x;
    }
}

} // namespace

DeformerParameters& DeformerSet::Of(Deformer kind)
{
    return const_cast<DeformerParameters&>(std::as_const(*this).Of(kind));
}

const DeformerParameters& DeformerSet::Of(Deformer kind) const
{
    switch (kind) {
    case Deformer::Bend:
        return bend;
    case Deformer::Twist:
        return twist;
    case Deformer::Bulge:
        return bulge;
    case Deformer::Pull:
        return pull;
    case Deformer::Taper:
        break;
    }
    return taper;
}

int AxisIndex(const Vec3& selector)
{
    if (selector.x == 1.0f)
        return 0;
    if (selector.y == 1.0f)
        return 1;
    if (selector.z == 1.0f)
        return 2;
    return 1;
}

std::optional<DeformAxis> MakeDeformAxis(Deformer kind, const Box& box, const DeformerParameters& p)
{
    if (box.IsEmpty() || !Finite(box.min) || !Finite(box.max) || !std::isfinite(p.lo) || !std::isfinite(p.hi))
        return std::nullopt;
    float lo = std::clamp(p.lo, 0.0f, 1.0f);
    float hi = std::clamp(p.hi, 0.0f, 1.0f);
    if (kind == Deformer::Bend) {
        auto inset = [](float f) { return f == 0.0f ? 0.001f : f == 1.0f ? 0.999f : f; };
        lo = inset(lo);
        hi = inset(hi);
    }
    const int k = AxisIndex(p.axis);
    const Vec3 centre = box.Center();
    DeformAxis axis;
    axis.start = centre;
    axis.end = centre;
    axis.start[k] = box.min[k];
    axis.end[k] = box.max[k];
    if (lo > hi) {
        // The range runs from lo to hi: backwards along the axis.
        std::swap(axis.start, axis.end);
        lo = 1.0f - lo;
        hi = 1.0f - hi;
    }
    const float length = Length(axis.end - axis.start);
    if (!(length > 0.0f) || !std::isfinite(length))
        return std::nullopt;
    axis.lo = lo;
    axis.hi = hi;
    axis.whole = lo == 0.0f && hi == 1.0f;
    if (!axis.whole && !(lo < hi))
        return std::nullopt;
    return axis;
}

float PullProfile(float theta, float exponent, float asymmetry)
{
    if (!(asymmetry > 0.0f) || !std::isfinite(asymmetry))
        asymmetry = 1.0f;
    if (asymmetry != 1.0f) {
        theta = std::fmod(theta, kTwoPi);
        if (theta < 0.0f)
            theta += kTwoPi;
        const float delta = kTwoPi / (asymmetry + 1.0f);
        theta = theta >= delta ? ((theta - delta) / (kTwoPi - delta) + 1.0f) * kPi : theta * kPi / delta;
    }
    const float c = std::cos(theta);
    if (!(exponent > 0.0f) || !std::isfinite(exponent) || exponent == 1.0f)
        return c;
    return 2.0f * std::pow(std::max(0.0f, (c + 1.0f) * 0.5f), exponent) - 1.0f;
}

bool DeformPositions(Deformer kind, const DeformerParameters& p, const DeformAxis& axis, const DeformDrag& drag,
                     std::span<const Vec3> snapshot, std::vector<Vec3>& out)
{
    // What a refusal leaves: the snapshot as it is.
    auto unchanged = [&] {
        out.assign(snapshot.begin(), snapshot.end());
        return false;
    };
    if (!Finite(axis.start) || !Finite(axis.end) || !(Length(axis.end - axis.start) > 0.0f))
        return unchanged();
    const AxisFrame frame(axis);
    const float len = frame.PartLength();
    if (!(len > 0.0f))
        return unchanged();
    const float h = Sanitize(drag.h);
    const float distance = std::max(0.0f, Sanitize(drag.distance));
    const Vec3 a = frame.a;
    out.resize(snapshot.size());

    switch (kind) {
    case Deformer::Twist: {
        const float angle = h * p.own * kDeformRadians;
        if (angle == 0.0f || !std::isfinite(angle))
            return unchanged();
        Turn turn;
        DeformEach(frame, snapshot, out, [&](const Vec3& d, float, float fromStart, Region region) {
            if (region == Region::Before)
                return Vec3{};
            const float share = region == Region::Beyond ? 1.0f : std::clamp(fromStart / len, 0.0f, 1.0f);
            turn.At(angle * share);
            const float u = Dot(d, frame.p), v = Dot(d, frame.q);
            const float s = turn.sin, m = turn.oneMinusCos;
            return frame.p * (-u * m - v * s) + frame.q * (u * s - v * m);
        });
        return true;
    }
    case Deformer::Taper: {
        const float factor = Growth(p.own, -h);
        if (factor == 1.0f)
            return unchanged();
        // A left drag scales the end, a right drag the start.
        const float s0 = drag.right ? factor : 1.0f;
        const float s1 = drag.right ? 1.0f : factor;
        DeformEach(frame, snapshot, out, [&](const Vec3& d, float t, float fromStart, Region region) {
            float f = s0;
            if (region == Region::Beyond)
                f = s1;
            else if (region == Region::Inside)
                f = s0 + (s1 - s0) * std::clamp(fromStart / len, 0.0f, 1.0f);
            return (d - a * t) * (f - 1.0f);
        });
        return true;
    }
    case Deformer::Bulge: {
        const float g = Growth(p.own, h);
        if (g == 1.0f)
            return unchanged();
        DeformEach(frame, snapshot, out, [&](const Vec3& d, float t, float fromStart, Region region) {
            if (region != Region::Inside || !(fromStart > 0.0f && fromStart < len))
                return Vec3{};
            const float f = 1.0f + 4.0f * (g - 1.0f) * fromStart * (len - fromStart) / (len * len);
            return (d - a * t) * (f - 1.0f);
        });
        return true;
    }
    case Deformer::Bend: {
        const float angle = kBendDegreesPerUnit * distance * kDeformRadians;
        Vec3 w = Normalize(drag.direction - a * Dot(drag.direction, a));
        if (!(angle > 0.0f) || !Finite(w) || Length(w) == 0.0f)
            return unchanged();
        // The arc's centre lies on the drag side of S at this radius; a
        // vertex keeps its distance from the centre line, and one at or past
        // the centre collapses onto it.
        const float radius = len / angle;
        const float endSin = std::sin(angle), endCos = std::cos(angle), endM = OneMinusCos(angle);
        Turn turn;
        DeformEach(frame, snapshot, out, [&](const Vec3& d, float, float fromStart, Region region) {
            if (region == Region::Before)
                return Vec3{};
            const float s = Dot(d, w);
            const float rho = radius - s;
            float da = 0.0f, dw = 0.0f;
            if (region == Region::Beyond) {
                // Rigidly with the end of the arc.
                const float past = fromStart - len;
                da = rho * endSin + past * endCos - fromStart;
                dw = rho * endM + past * endSin;
            } else if (rho > 0.0f) {
                turn.At(angle * fromStart / len);
                da = rho * turn.sin - fromStart;
                dw = rho * turn.oneMinusCos;
            } else {
                da = -fromStart;
                dw = rho;
            }
            return a * da + w * dw;
        });
        return true;
    }
    case Deformer::Pull: {
        const Vec3 along = Normalize(drag.direction);
        if (!(distance > 0.0f) || !Finite(along) || Length(along) == 0.0f)
            return unchanged();
        const float exponent = p.own;
        float lastTheta = 0.0f, lastProfile = PullProfile(0.0f, exponent);
        DeformEach(frame, snapshot, out, [&](const Vec3&, float, float fromStart, Region region) {
            if (region != Region::Inside)
                return Vec3{};
            const float theta = kTwoPi * std::clamp(fromStart / len, 0.0f, 1.0f);
            if (theta != lastTheta) {
                lastTheta = theta;
                lastProfile = PullProfile(theta, exponent);
            }
            return along * (0.5f * distance * (1.0f - lastProfile));
        });
        return true;
    }
    }
    return unchanged();
}

MeshContents DeformSnapshot(const MeshBuilder& mesh)
{
    return mesh.GetContents(kMeshVertices | kMeshNormals | kMeshFaces);
}

bool ApplyDeform(MeshBuilder& mesh, Deformer kind, const DeformerParameters& p, const DeformAxis& axis,
                 const DeformDrag& drag, const MeshContents& start, std::vector<Vec3>& work)
{
    if (!DeformPositions(kind, p, axis, drag, start.vertices, work)) {
        mesh.SetContents(start);
        return false;
    }
    if (!mesh.SwapVertices(work)) {
        const int count = std::min(mesh.GetVertexCount(), static_cast<int>(work.size()));
        for (int i = 0; i < count; ++i)
            mesh.SetVertex(i, work[static_cast<size_t>(i)]);
    }
    mesh.GenerateNormals(0.0f, 0);
    return true;
}

} // namespace corvid
