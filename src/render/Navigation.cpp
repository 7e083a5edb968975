// The navigation modes: pan, orbit, dolly and field of view, for the active
// view or every shown viewport.

#include "render/Navigation.h"

#include "platform/Frame.h"
#include "render/Picking.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"

#include <algorithm>
#include <cmath>

namespace corvid {

FieldLimits FieldLimitsOf(Projection projection)
{
    return projection == Projection::Perspective ? FieldLimits{0.01f, 5.0f} : FieldLimits{0.01f, 10000.0f};
}

namespace {

// Adds change to the view's field, held within its limits. A field found
// outside them (or not a number) is brought back inside.
void ChangeField(ViewRecord& view, float change)
{
    const FieldLimits limits = FieldLimitsOf(view.projection);
    const float field = *view.field + change;
    *view.field = std::isnan(field) ? limits.min : std::clamp(field, limits.min, limits.max);
}

// Pan: the point one unit in front of the camera, shifted on screen by the
// last step, moves the view root (perspective) or the camera itself
// (orthographic) so that the scene follows the cursor.
bool Pan(ViewSet& views)
{
    ViewRecord& view = views.ActiveView();
    const FramePtr camera = views.scene().ActiveCamera();
    const Frame* scene = views.scene().Scene().get();
    const MouseState& m = views.mouse;
    if (!camera || !view.viewRoot)
        return false;

    if (!m.leftDown) {
        // Right drag: the perspective view root goes down (up) by the step.
        if (!m.rightDown || view.projection != Projection::Perspective)
            return false;
        Vec3 root = view.viewRoot->GetPosition(scene);
        root.y -= static_cast<float>(m.dy) * 0.01f;
        view.viewRoot->SetPosition(scene, root);
        return true;
    }

    Device* device = view.device.get();
    if (!device || device->GetWidth() <= 0 || device->GetHeight() <= 0)
        return false;
    const Matrix4 cameraToScene = camera->GetTransform(scene);
    const Vec3 position = cameraToScene.GetTranslation();
    Vec3 direction, up;
    camera->GetOrientation(scene, direction, up);
    const ScreenMapping mapping(cameraToScene, view.Parameters(), device->GetWidth(), device->GetHeight());
    ScreenPoint s = mapping.Transform(position + direction);
    s.x += static_cast<float>(m.dx) * s.w;
    s.y += static_cast<float>(m.dy) * s.w;
    const Vec3 shifted = mapping.InverseTransform(s);

    if (view.projection == Projection::Orthographic) {
        camera->SetPosition(scene, WeightedSubstitution(shifted, position, direction));
        return true;
    }
    // Where the line from the camera through the shifted point meets the
    // horizontal plane of the view root.
    const Vec3 root = view.viewRoot->GetPosition(scene);
    const Vec3 along = shifted - position;
    if (along.y == 0.0f)
        return false;
    const float t = (root.y - position.y) / along.y;
    if (!(t > 0.0f) || !std::isfinite(t))
        return false;  // the plane lies behind the camera
    const Vec3 meet = position + along * t;
    view.viewRoot->SetPosition(scene, {meet.x, root.y, meet.z});
    return true;
}

// Orbit: tilt the pivot about the view root's x axis and turn the view root
// about WORLD's y axis, as one tick of spin.
bool Orbit(ViewSet& views)
{
    ViewRecord& view = views.ActiveView();
    const MouseState& m = views.mouse;
    if (view.projection != Projection::Perspective || !m.leftDown || m.rightDown || !view.pivot || !view.viewRoot)
        return false;
    const Frame* world = views.scene().World().get();
    view.pivot->SetRotation(view.viewRoot.get(), {-1, 0, 0}, 2.0f * static_cast<float>(m.dy) / m.d);
    view.viewRoot->SetRotation(world, {0, -1, 0}, static_cast<float>(m.dx) / m.d);
    views.scene().World()->Move(1.0f);
    view.pivot->SetRotation(view.viewRoot.get(), {-1, 0, 0}, 0.0f);
    view.viewRoot->SetRotation(world, {0, -1, 0}, 0.0f);
    return true;
}

// Dolly one view: the perspective camera slides along its view axis, never
// past its pivot; an orthographic view widens or narrows its field.
bool Dolly(ViewRecord& view, const MouseState& m)
{
    if (!view.camera || (!m.leftDown && !m.rightDown))
        return false;
    const float rate = m.leftDown ? 0.1f : 0.01f;
    const float dy = static_cast<float>(m.dy);
    if (view.projection == Projection::Orthographic) {
        ChangeField(view, -dy * rate);
        return true;
    }
    view.camera->AddTranslation(Combine::Before, {0, 0, dy * rate});
    // Only the perspective camera hangs under the pivot; a user camera has
    // no pivot to stop at.
    if (view.pivot && view.camera->GetParent() == view.pivot.get() &&
        view.camera->GetPosition(view.pivot.get()).z > 0.0f)
        view.camera->SetPosition(view.pivot.get(), {0, 0, 0});
    return true;
}

// Field of view of one perspective view.
bool Widen(ViewRecord& view, const MouseState& m)
{
    if (view.projection != Projection::Perspective || (!m.leftDown && !m.rightDown))
        return false;
    ChangeField(view, -static_cast<float>(m.dy) * (m.leftDown ? 0.01f : 0.001f));
    return true;
}

} // namespace

bool NavigationStep(ViewSet& views, int mode)
{
    bool moved = false;
    switch (mode) {
    case kModePan:
        moved = Pan(views);
        break;
    case kModeOrbit:
        moved = Orbit(views);
        break;
    case kModeDollyActive:
        moved = Dolly(views.ActiveView(), views.mouse);
        break;
    case kModeDollyAll:
        for (int n = 1; n <= 4; ++n) {
            ViewRecord& view = views.Viewport(n);
            if (!view.shown || !Dolly(view, views.mouse))
                continue;
            moved = true;
            if (views.mouse.rightDown && !views.mouse.leftDown)
                views.RenderAllViews();  // each view shows its change as it happens
        }
        break;
    case kModeFieldActive:
        moved = Widen(views.ActiveView(), views.mouse);
        break;
    case kModeFieldAll:
        for (int n = 1; n <= 4; ++n) {
            ViewRecord& view = views.Viewport(n);
            if (view.shown && Widen(view, views.mouse))
                moved = true;
        }
        break;
    default:
        return false;
    }
    if (!moved)
        return false;
    views.scene().Scene()->Move(1.0f);
    views.FitSelectionMarker();
    views.RenderAllViews();
    return true;
}

} // namespace corvid
