// The selection marker: sized for the active view so that it looks the same
// whatever the distance or field, and placed on the selected object with its
// six handles on the faces of the object's box.

#include "render/SelectionMarker.h"

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/Editor.h"

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

void Editor::HideSelectionMarker()
{
    if (markerFrame_)
        markerFrame_->SetTraversalOptions(0);
}

void Editor::FitSelectionMarker()
{
    if (!markersEnabled || !hasSelection_ || !selectedFrame_) {
        HideSelectionMarker();
        return;
    }
    ViewRecord& view = ActiveView();
    const FramePtr camera = ActiveCamera();
    if (!view.device || !camera || !renderingEnabled || !markerFrame_)
        return;

    // The handles belong to the marker frame of the current scene; New Scene
    // builds a new one.
    if (!markerHandles[0] || markerHandles[0]->GetParent() != markerFrame_.get())
        for (FramePtr& handle : markerHandles)
            handle = Frame::Create(markerFrame_.get());

    const Frame* scene = scene_.get();
    const Vec3 objectPosition = selectedFrame_->GetPosition(scene);
    const Vec3 cameraPosition = camera->GetPosition(scene);

    // The shape's own box is never changed: the frame carries the scale.
    Vec3 scale{1, 1, 1};
    if (!markerFrame_->GetVisuals().empty()) {
        const Box shape = markerFrame_->GetVisuals().front()->GetBox();
        if (!shape.IsEmpty())
            scale = MarkerScale(view.projection, Length(objectPosition - cameraPosition), view.Field(), shape.Size());
    }

    Vec3 direction{0, 0, 1}, up{0, 1, 0};
    Vec3 corner;  // relative to the selected frame
    Box box;
    if (currentVisual_) {
        box = currentVisual_->GetBox();
        if (!box.IsEmpty()) {
            const float h = box.Size().x * 0.5f;
            corner = {h, h, h};
        }
        selectedFrame_->GetOrientation(scene, direction, up);
    }
    Matrix4 placement = Matrix4::Scale(scale) * Matrix4::FromOrientation(direction, up);
    placement.SetTranslation(selectedFrame_->GetTransform(scene).TransformPoint(corner));
    markerFrame_->SetTransform(scene, placement);

    if (!box.IsEmpty()) {
        const auto centres = BoxFaceCentres(box);
        for (int i = 0; i < kMarkerHandleCount; ++i)
            markerHandles[static_cast<size_t>(i)]->SetPosition(selectedFrame_.get(), centres[static_cast<size_t>(i)]);
    } else {
        for (FramePtr& handle : markerHandles)
            handle->SetPosition(selectedFrame_.get(), {0, 0, 0});
    }
}

} // namespace corvid
