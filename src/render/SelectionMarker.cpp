// The selection marker: sized for the active view so that it looks the same
// whatever the distance or field, and placed on the selected object with its
// six handles on the faces of the object's box.

#include "render/SelectionMarker.h"

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"

#include <cmath>

namespace corvid {

namespace {

constexpr float kSmallestFactor = 0.001f;

float Factor(float target, float extent)
{
    const float f = target / extent;
    return f > 0.0f && std::isfinite(f) ? f : kSmallestFactor;
}

} // namespace

Vec3 MarkerScale(Projection projection, float distance, float field, const Vec3& extent)
{
    if (projection == Projection::Perspective) {
        const float across = Factor(distance / 60.0f, extent.x);
        return {across, across, Factor(distance / 30.0f, extent.z)};
    }
    return {Factor(field * 0.025f, extent.x), Factor(field * 0.025f, extent.y), Factor(field * 0.05f, extent.z)};
}

std::array<Vec3, kMarkerHandleCount> BoxFaceCentres(const Box& box)
{
    const Vec3 c = box.Center();
    return {{{box.min.x, c.y, c.z},
             {box.max.x, c.y, c.z},
             {c.x, box.min.y, c.z},
             {c.x, box.max.y, c.z},
             {c.x, c.y, box.min.z},
             {c.x, c.y, box.max.z}}};
}

void ViewSet::HideSelectionMarker()
{
    if (scene_.MarkerFrame())
        scene_.MarkerFrame()->SetTraversalOptions(0);
}

void ViewSet::FitSelectionMarker()
{
    if (!markersEnabled || !scene_.HasSelection() || !scene_.SelectedFrame()) {
        HideSelectionMarker();
        return;
    }
    ViewRecord& view = ActiveView();
    const FramePtr camera = scene_.ActiveCamera();
    if (!view.device || !camera || !renderingEnabled || !scene_.MarkerFrame())
        return;

    // The handles belong to the marker frame of the current scene; New Scene
    // builds a new one.
    if (!markerHandles[0] || markerHandles[0]->GetParent() != scene_.MarkerFrame().get())
        for (FramePtr& handle : markerHandles)
            handle = Frame::Create(scene_.MarkerFrame().get());

    const Frame* scene = scene_.Scene().get();
    const Vec3 objectPosition = scene_.SelectedFrame()->GetPosition(scene);
    const Vec3 cameraPosition = camera->GetPosition(scene);

    // The shape's own box is never changed: the frame carries the scale.
    Vec3 scale{1, 1, 1};
    if (!scene_.MarkerFrame()->GetVisuals().empty()) {
        const Box shape = scene_.MarkerFrame()->GetVisuals().front()->GetBox();
        if (!shape.IsEmpty())
            scale = MarkerScale(view.projection, Length(objectPosition - cameraPosition), view.Field(), shape.Size());
    }

    Vec3 direction{0, 0, 1}, up{0, 1, 0};
    Vec3 corner;  // relative to the selected frame
    Box box;
    if (scene_.CurrentVisual()) {
        box = scene_.CurrentVisual()->GetBox();
        if (!box.IsEmpty()) {
            const float h = box.Size().x * 0.5f;
            corner = {h, h, h};
        }
        scene_.SelectedFrame()->GetOrientation(scene, direction, up);
    }
    Matrix4 placement = Matrix4::Scale(scale) * Matrix4::FromOrientation(direction, up);
    placement.SetTranslation(scene_.SelectedFrame()->GetTransform(scene).TransformPoint(corner));
    scene_.MarkerFrame()->SetTransform(scene, placement);

    if (!box.IsEmpty()) {
        const auto centres = BoxFaceCentres(box);
        for (int i = 0; i < kMarkerHandleCount; ++i)
            markerHandles[static_cast<size_t>(i)]->SetPosition(scene_.SelectedFrame().get(), centres[static_cast<size_t>(i)]);
    } else {
        for (FramePtr& handle : markerHandles)
            handle->SetPosition(scene_.SelectedFrame().get(), {0, 0, 0});
    }
}

} // namespace corvid
