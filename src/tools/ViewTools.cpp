#include "tools/ViewTools.h"

#include "platform/Frame.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"
#include "tools/ToolMode.h"

#include <algorithm>
#include <cmath>

namespace corvid {

namespace {

// The share of the picture's shorter half that the framed object's bounding
// sphere fills.
constexpr float kFramedShare = 2.0f / 3.0f;
// The nearest a framing camera comes and the narrowest orthographic field.
constexpr float kNearestFraming = 0.01f;

// The standard-view slot of view's camera; -1 for Object and user views.
int StandardSlot(const ViewRecord& view)
{
    for (int slot = 0; slot < kViewObject; ++slot)
        if (view.camera && view.cameras[static_cast<size_t>(slot)] == view.camera)
            return slot;
    return -1;
}

} // namespace

bool IsViewOperationMode(int mode)
{
    return mode >= kModeViewFirst && mode <= kModeViewLast;
}

bool TurnViewTo(ViewSet& views, ViewRecord& view, const Frame& object, bool frame)
{
    const int slot = StandardSlot(view);
    if (slot < 0 || !view.device || view.device->GetWidth() <= 0 || view.device->GetHeight() <= 0)
        return false;
    const Frame* scene = views.scene().Scene().get();
    Box box = object.GetHierarchyBox();
    Vec3 centre = object.GetPosition(scene);
    float radius = 0.0f;
    if (!box.IsEmpty()) {
        box = box.Transformed(object.GetTransform(scene));
        centre = box.Center();
        radius = 0.5f * Length(box.Size());
    }
    // The half extent of the picture's shorter side, per unit of field.
    const float aspect = static_cast<float>(view.device->GetHeight()) / static_cast<float>(view.device->GetWidth());
    const float shorter = std::min(1.0f, aspect) * kFramedShare;

    if (slot == kViewPerspective) {
        if (!view.viewRoot || !view.pivot || view.camera->GetParent() != view.pivot.get())
            return false;
        view.viewRoot->SetPosition(scene, centre);
        if (frame && radius > 0.0f && view.Field() > 0.0f) {
            const float distance = std::max(radius / (view.Field() * shorter), kNearestFraming);
            view.camera->SetPosition(view.pivot.get(), {0.0f, 0.0f, -distance});
        }
        return true;
    }
    // Orthographic: slide in the camera's plane, keep its depth.
    Vec3 direction, up;
    view.camera->GetOrientation(scene, direction, up);
    direction = Normalize(direction);
    const Vec3 position = view.camera->GetPosition(scene);
    const Vec3 offset = centre - position;
    view.camera->SetPosition(scene, position + offset - direction * Dot(offset, direction));
    if (frame && radius > 0.0f)
        *view.field = std::max(radius / shorter, kNearestFraming);
    return true;
}

bool RunViewOperation(ViewSet& views, int mode)
{
    const FramePtr object = views.scene().SelectedFrame();
    if (!IsViewOperationMode(mode) || !views.scene().HasSelection() || !object)
        return false;
    const bool frame = mode == kModeFrameActive || mode == kModeFrameAll;
    const bool every = mode == kModeCentreAll || mode == kModeFrameAll;
    bool moved = false;
    if (every) {
        for (int n = 1; n <= 4; ++n)
            if (views.Viewport(n).shown)
                moved = TurnViewTo(views, views.Viewport(n), *object, frame) || moved;
    } else {
        moved = TurnViewTo(views, views.ActiveView(), *object, frame);
    }
    return moved;
}

} // namespace corvid
