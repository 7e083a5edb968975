#include "geometry/MultiCopy.h"

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/EditHistory.h"
#include "scene/EditParts.h"
#include "scene/ObjectKind.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"

#include <algorithm>
#include <cmath>

namespace corvid {

namespace {

constexpr float kRadians = 0.017453292f;

// Lights and cameras show shared icons, control points shared markers.
bool ShowsSharedIcon(const Frame& frame)
{
    const ObjectRecord* record = RecordOf(&frame);
    return !record || record->kind == kLight || record->kind == kCamera || record->kind == kControlPoint;
}

void ScaleMesh(SceneModel& scene, const MeshBuilderPtr& mesh, const Vec3& factors)
{
    scene.History().Touch<MeshAspect>(mesh);
    mesh->Scale(factors.x, factors.y, factors.z);
    mesh->GenerateNormals(0.0f, 0);
}

// Every child's meshes and position, and theirs, by factors.
void ScaleChildren(SceneModel& scene, const Frame& frame, const Vec3& factors)
{
    for (const FramePtr& child : frame.GetChildren()) {
        if (!RecordOf(child.get()))
            continue;  // an editor auxiliary
        if (!ShowsSharedIcon(*child))
            for (const MeshBuilderPtr& visual : child->GetVisuals())
                if (RecordOf(visual.get()))
                    ScaleMesh(scene, visual, factors);
        scene.History().Touch<TransformAspect>(child);
        Matrix4 local = child->GetLocalTransform();
        Vec3 position = local.GetTranslation();
        local.SetTranslation({position.x * factors.x, position.y * factors.y, position.z * factors.z});
        child->SetTransform(&frame, local);
        ScaleChildren(scene, *child, factors);
    }
}

void Turn(float& a, float& b, float degrees)
{
    const float c = std::cos(degrees * kRadians), s = std::sin(degrees * kRadians);
    const float a2 = a * c + b * s;
    b = -a * s + b * c;
    a = a2;
}

// The rotation about one axis: (first, second) are the two coordinates it
// mixes, in the order that makes the y rotation x' = x cos + z sin.
void TurnAbout(int axis, Vec3& v, float degrees)
{
    switch (axis) {
    case 0:
        Turn(v.z, v.y, degrees);  // y' = y cos - z sin, z' = y sin + z cos
        break;
    case 1:
        Turn(v.x, v.z, degrees);
        break;
    default:
        Turn(v.y, v.x, degrees);  // x' = x cos - y sin, y' = x sin + y cos
        break;
    }
}

} // namespace

Vec3 MultiCopyFactors(const Vec3& extent, const Vec3& size)
{
    Vec3 factors{1.0f, 1.0f, 1.0f};
    for (int k = 0; k < 3; ++k) {
        const float e = extent[k], s = size[k];
        if (!(e > 0.0f) || !std::isfinite(e) || !std::isfinite(s) || s == 0.0f)
            continue;
        factors[k] = std::max(1.0f + s / e, kMinCopyExtent / e);
    }
    return factors;
}

void MultiCopyOrientation(const Vec3& rotation, int i, Vec3& direction, Vec3& up)
{
    direction = {0.0f, 0.0f, 1.0f};
    up = {0.0f, 1.0f, 0.0f};
    for (int axis = 0; axis < 3; ++axis) {
        const float degrees = static_cast<float>(i) * rotation[axis];
        if (degrees == 0.0f || !std::isfinite(degrees))
            continue;
        TurnAbout(axis, direction, degrees);
        TurnAbout(axis, up, degrees);
    }
}

FramePtr MultiCopy(SceneModel& scene, const MultiCopyParameters& p)
{
    const FramePtr original = scene.SelectedFrame();
    const ObjectRecord* record = original ? RecordOf(original.get()) : nullptr;
    if (!record || record->kind == kControlPoint || p.count < 1)
        return nullptr;
    const Frame* sceneFrame = scene.Scene().get();
    const Vec3 origin = original->GetPosition(sceneFrame);
    const int count = std::min(p.count, kMaxMultiCopies);

    EditStep step(scene.History(), "Multiple Copies");
    FramePtr copy;
    for (int i = 1; i <= count; ++i) {
        const FramePtr source = scene.SelectedFrame();
        if (!source)
            break;
        copy = scene.DuplicateObject(source, scene.Scene());  // selects the copy
        if (!copy)
            break;
        scene.History().Touch<TransformAspect>(copy);
        const float n = static_cast<float>(i);
        copy->SetPosition(sceneFrame, origin + p.offset * n);
        Vec3 direction, up;
        MultiCopyOrientation(p.rotation, i, direction, up);
        copy->SetOrientation(original.get(), direction, up);

        const MeshBuilderPtr visual = scene.CurrentVisual();
        if (!visual || ShowsSharedIcon(*copy))
            continue;
        const Box box = visual->GetBox();
        const Vec3 factors = MultiCopyFactors(box.IsEmpty() ? Vec3{} : box.Size(), p.size);
        if (factors == Vec3{1.0f, 1.0f, 1.0f})
            continue;
        ScaleMesh(scene, visual, factors);
        ScaleChildren(scene, *copy, factors);
    }
    return copy;
}

} // namespace corvid
