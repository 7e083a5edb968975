#include "tools/DeformGestures.h"

#include "geometry/MultiCopy.h"
#include "geometry/Relax.h"
#include "platform/Frame.h"
#include "render/ViewSet.h"
#include "scene/EditParts.h"
#include "scene/ObjectKind.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"
#include "tools/ToolDragState.h"
#include "tools/ToolMode.h"
#include "tools/Tools.h"
#include "tools/TransformTools.h"

#include <cmath>

namespace corvid {

namespace {

// The selected object's mesh when it is one a deformer may change: not a
// light's or camera's icon, not a control point's marker.
MeshBuilderPtr SelectedMesh(SceneModel& scene)
{
    const FramePtr& frame = scene.SelectedFrame();
    const MeshBuilderPtr& mesh = scene.CurrentVisual();
    const ObjectRecord* record = frame ? RecordOf(frame.get()) : nullptr;
    if (!record || !mesh || !RecordOf(mesh.get()))
        return nullptr;
    if (record->kind == kLight || record->kind == kCamera || record->kind == kControlPoint)
        return nullptr;
    return mesh;
}

bool UsesVerticalDrag(Deformer kind)
{
    return kind == Deformer::Twist || kind == Deformer::Taper || kind == Deformer::Bulge;
}

// The cursor's point on the plane through point facing the active camera.
std::optional<Vec3> FacingPlanePoint(ViewSet& views, const Vec3& point, int x, int y)
{
    auto ray = CursorRayAt(views, x, y);
    auto axes = ActiveViewAxes(views);
    if (!ray || !axes)
        return std::nullopt;
    const Vec3 normal = axes->Row(2);
    const float along = Dot(ray->direction, normal);
    if (std::fabs(along) < 1e-6f)
        return std::nullopt;
    const float t = Dot(point - ray->origin, normal) / along;
    if (!(t > 0.0f))
        return std::nullopt;
    return ray->origin + ray->direction * t;
}

// The cursor's point on the plane the deformer's drag is read on.
std::optional<Vec3> DragPlanePoint(Tools& tools, const DeformState& state, int x, int y)
{
    if (UsesVerticalDrag(state.kind))
        return FacingPlanePoint(tools.views(), state.reference, x, y);
    return WorkingPlanePoint(tools.views(), state.reference, x, y);
}

void Refresh(Tools& tools)
{
    tools.FitMarkers();
    tools.views().RefreshObjectInfo();
    tools.views().RenderAllViews();
}

} // namespace

std::optional<Deformer> DeformerOfMode(int mode)
{
    switch (mode) {
    case kModeBend:
        return Deformer::Bend;
    case kModeTwist:
        return Deformer::Twist;
    case kModeBulge:
        return Deformer::Bulge;
    case kModePull:
        return Deformer::Pull;
    case kModeTaper:
        return Deformer::Taper;
    default:
        return std::nullopt;
    }
}

const char* DeformerName(Deformer kind)
{
    switch (kind) {
    case Deformer::Bend:
        return "Bend";
    case Deformer::Twist:
        return "Twist";
    case Deformer::Bulge:
        return "Bulge";
    case Deformer::Pull:
        return "Pull";
    case Deformer::Taper:
        break;
    }
    return "Taper";
}

namespace deform {

bool Begin(Tools& tools, ToolDragState& drag, Deformer kind, bool picked)
{
    DeformState& state = drag.deform;
    state = DeformState{};
    SceneModel& scene = tools.scene();
    const MeshBuilderPtr mesh = SelectedMesh(scene);
    if (!mesh || drag.left == drag.right)
        return false;
    const auto axis = MakeDeformAxis(kind, mesh->GetBox(), tools.deformers.Of(kind));
    if (!axis)
        return false;
    scene.History().Name(DeformerName(kind));
    scene.History().Touch<MeshAspect>(mesh);
    state.kind = kind;
    state.mesh = mesh;
    state.start = DeformSnapshot(*mesh);
    state.parameters = tools.deformers.Of(kind);
    state.axis = *axis;
    const Frame* sceneFrame = scene.Scene().get();
    state.reference = picked ? tools.views().pickDetails.pickPosition : scene.SelectedFrame()->GetPosition(sceneFrame);
    if (auto grab = DragPlanePoint(tools, state, drag.pressX, drag.pressY)) {
        state.grab = *grab;
        state.grabValid = true;
    }
    return true;
}

void Update(Tools& tools, ToolDragState& drag, int x, int y)
{
    DeformState& state = drag.deform;
    if (!state.Active() || drag.left == drag.right)
        return;
    auto at = DragPlanePoint(tools, state, x, y);
    if (!at)
        return;  // the cursor is off the plane: the mesh keeps its last shape
    if (!state.grabValid) {
        // The plane was missed at the press: the drag starts here.
        state.grab = *at;
        state.grabValid = true;
    }
    const Vec3 travel = *at - state.grab;
    DeformDrag amount;
    amount.right = drag.right;
    if (UsesVerticalDrag(state.kind)) {
        auto axes = ActiveViewAxes(tools.views());
        if (!axes)
            return;
        amount.h = Dot(travel, axes->Row(1));
    } else {
        const float dx = travel.x, dz = travel.z;
        amount.distance = std::sqrt(dx * dx + dz * dz);
        switch (AxisIndex(state.parameters.axis)) {
        case 0:
            amount.direction = {0.0f, dx, dz};
            break;
        case 2:
            amount.direction = {dx, dz, 0.0f};
            break;
        default:
            amount.direction = {dx, 0.0f, dz};
            break;
        }
    }
    ApplyDeform(*state.mesh, state.kind, state.parameters, state.axis, amount, state.start, state.work);
    Refresh(tools);
}

bool RelaxSelection(Tools& tools)
{
    SceneModel& scene = tools.scene();
    const MeshBuilderPtr mesh = SelectedMesh(scene);
    if (!mesh || !tools.relax.Any())
        return false;
    EditStep step(scene.History(), "Relax");
    scene.History().Touch<MeshAspect>(mesh);
    const bool changed = Relax(*mesh, tools.relax);
    Refresh(tools);
    return changed;
}

FramePtr MultiCopySelection(Tools& tools)
{
    FramePtr last = MultiCopy(tools.scene(), tools.multiCopy);
    if (last) {
        tools.ui().Notify(Notification::SelectionChanged);
        Refresh(tools);
    }
    return last;
}

} // namespace deform
} // namespace corvid
