#include "platform/gl/GlProjection.h"

#include <algorithm>
#include <cmath>

namespace corvid {

namespace {

constexpr float kMinField = 1e-6f;
constexpr float kMinFront = 1e-4f;

} // namespace

ViewExtent ComputeViewExtent(const ViewParameters& view, int width, int height)
{
    const float field = std::isfinite(view.field) && view.field > kMinField ? view.field : kMinField;
    const float aspect = width > 0 && height > 0 ? static_cast<float>(height) / static_cast<float>(width) : 1.0f;
    return {field, field * aspect};
}

Matrix4 ProjectionMatrix(const ViewParameters& view, int width, int height)
{
    const ViewExtent extent = ComputeViewExtent(view, width, height);
    const float n = std::isfinite(view.front) && view.front > kMinFront ? view.front : kMinFront;
    float f = std::isfinite(view.back) ? view.back : n + 1.0f;
    if (!(f > n))
        f = n + std::max(n, 1.0f);

    Matrix4 p;  // all zero
    p.m[0][0] = 1.0f / extent.halfWidth;
    p.m[1][1] = 1.0f / extent.halfHeight;
    if (view.projection == Projection::Orthographic) {
        p.m[2][2] = 2.0f / (f - n);
        p.m[3][2] = -(f + n) / (f - n);
        p.m[3][3] = 1.0f;
    } else {
        // w = z: the divide makes x / (field * z); z_ndc goes from -1 at the
        // front plane to +1 at the back plane.
        p.m[2][2] = (f + n) / (f - n);
        p.m[3][2] = -2.0f * f * n / (f - n);
        p.m[2][3] = 1.0f;
    }
    return p;
}

} // namespace corvid
