#include "platform/Pick.h"

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"

#include <algorithm>
#include <cmath>

namespace corvid {

namespace {

struct PickWalk {
    Vec3 origin;
    Vec3 direction;
    float directionLength;
    std::vector<FramePtr> path;
    std::vector<PickHit> hits;

    // frameToRoot maps the frame's space into the pick root's space: the
    // product of the local transforms from the frame up to (not including)
    // the root, which is GetTransform(root) without the root's inverse.
    void Visit(const FramePtr& frame, const Matrix4& frameToRoot)
    {
        if (!frame->IsPickEnabled())
            return;
        path.push_back(frame);
        if (!frame->GetVisuals().empty())
            PickVisuals(*frame, frameToRoot);
        // Copy the child list: handles keep the frames alive while walking.
        const std::vector<FramePtr> children = frame->GetChildren();
        for (const FramePtr& child : children)
            Visit(child, child->GetLocalTransform() * frameToRoot);
        path.pop_back();
    }

    void PickVisuals(const Frame& frame, const Matrix4& frameToRoot)
    {
        // A frame squashed flat has no inverse and shows nothing a ray could hit.
        const Vec3 r0 = frameToRoot.Row(0), r1 = frameToRoot.Row(1), r2 = frameToRoot.Row(2);
        const float det = Dot(r0, Cross(r1, r2));
        if (!(std::fabs(det) > 0.0f) || !std::isfinite(det))
            return;
        const Matrix4 rootToFrame = frameToRoot.Inverse();
        const Vec3 localOrigin = rootToFrame.TransformPoint(origin);
        const Vec3 localDirection = rootToFrame.TransformVector(direction);
        for (const MeshBuilderPtr& visual : frame.GetVisuals()) {
            for (const MeshRayHit& hit : visual->IntersectRay(localOrigin, localDirection)) {
                PickHit pick;
                pick.path = path;
                pick.visual = visual;
                pick.face = hit.face;
                pick.position = frameToRoot.TransformPoint(hit.position);
                pick.distance = Length(pick.position - origin) / directionLength;
                hits.push_back(std::move(pick));
            }
        }
    }
};

} // namespace

std::vector<PickHit> PickRay(const Frame& root, const Vec3& origin, const Vec3& direction)
{
    const float length = Length(direction);
    if (!(length > 0.0f) || !std::isfinite(length))
        return {};
    // Frames are only ever made by Frame::Create, so the root is owned by a handle.
    FramePtr rootHandle = std::const_pointer_cast<Frame>(root.weak_from_this().lock());
    if (!rootHandle)
        return {};

    PickWalk walk{origin, direction, length, {}, {}};
    walk.Visit(rootHandle, Matrix4::Identity());
    std::stable_sort(walk.hits.begin(), walk.hits.end(),
                     [](const PickHit& a, const PickHit& b) { return a.distance < b.distance; });
    return std::move(walk.hits);
}

} // namespace corvid
