#include "tools/TransformTools.h"

#include "scene/Ui.h"
#include "geometry/Patch.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "render/Picking.h"
#include "render/ViewSet.h"
#include "scene/EditParts.h"
#include "scene/SceneModel.h"
#include "tools/Tools.h"
#include "scene/IconMeshes.h"
#include "scene/Records.h"

#include <algorithm>
#include <cmath>

namespace corvid {

namespace {

constexpr float kNormalCrease = 1.0f;  // radians: keeps hard edges hard, round things round

struct Plane {
    Vec3 point, normal;
};

std::optional<Vec3> Intersect(const CursorRay& ray, const Plane& plane)
{
    float along = Dot(ray.direction, plane.normal);
    if (std::fabs(along) < 1e-6f)
        return std::nullopt;
    float t = Dot(plane.point - ray.origin, plane.normal) / along;
    if (t <= 0.0f)
        return std::nullopt;
    return ray.origin + ray.direction * t;
}

// The plane the move tools follow the cursor on, through point.
std::optional<Plane> MovePlane(ViewSet& views, const Vec3& point, bool vertical)
{
    auto axes = ActiveViewAxes(views);
    if (!axes)
        return std::nullopt;
    Vec3 forward = axes->Row(2);
    if (vertical) {
        Vec3 flat{forward.x, 0.0f, forward.z};
        if (Length(flat) < 1e-3f)
            return std::nullopt;  // looking straight down or up
        return Plane{point, Normalize(flat)};
    }
    if (views.ActiveProjection() == Projection::Perspective)
        return Plane{point, {0.0f, 1.0f, 0.0f}};
    return Plane{point, forward};
}

// Takes the grab point for a drag of the point now at current.
void Rebase(Tools& tools, ToolDragState& drag, const Vec3& current, int x, int y, bool vertical)
{
    drag.startPosition = current;
    drag.grabX = x;
    drag.grabY = y;
    drag.grabVertical = vertical;
    drag.grabOnPlane = false;
    drag.grabValid = false;
    auto ray = CursorRayAt(tools.views(), x, y);
    auto plane = MovePlane(tools.views(), current, vertical);
    if (ray && plane)
        if (auto hit = Intersect(*ray, *plane)) {
            drag.grab = *hit;
            drag.grabOnPlane = true;
        }
    // Off the plane, a vertical drag goes by pixels; a drag in the working
    // plane waits for the cursor to reach the plane.
    drag.grabValid = drag.grabOnPlane || vertical;
}

// Where the dragged point goes for the cursor at (x, y): the start point
// plus the cursor's travel on the plane. current is where the point is now.
std::optional<Vec3> FollowCursor(Tools& tools, ToolDragState& drag, const Vec3& current, int x, int y)
{
    bool vertical = drag.right && !drag.left;
    if (!drag.grabValid || drag.grabVertical != vertical) {
        Rebase(tools, drag, current, drag.lastX, drag.lastY, vertical);
        if (!drag.grabValid)
            return std::nullopt;
    }
    Vec3 delta;
    if (vertical) {
        if (drag.grabOnPlane) {
            auto ray = CursorRayAt(tools.views(), x, y);
            auto plane = MovePlane(tools.views(), drag.startPosition, true);
            auto hit = ray && plane ? Intersect(*ray, *plane) : std::nullopt;
            if (!hit)
                return std::nullopt;
            delta.y = hit->y - drag.grab.y;
        } else {
            auto unit = UnitsPerPixel(tools.views(), drag.startPosition);
            if (!unit)
                return std::nullopt;
            delta.y = static_cast<float>(drag.grabY - y) * *unit;
        }
        return drag.startPosition + delta;
    }
    auto ray = CursorRayAt(tools.views(), x, y);
    auto plane = MovePlane(tools.views(), drag.startPosition, false);
    auto hit = ray && plane ? Intersect(*ray, *plane) : std::nullopt;
    if (!hit)
        return std::nullopt;
    delta = *hit - drag.grab;
    if (tools.scene().grid.on) {
        delta.x = Snap(delta.x, tools.scene().grid.stepX);
        delta.z = Snap(delta.z, tools.scene().grid.stepZ);
        if (tools.views().ActiveProjection() == Projection::Orthographic)
            delta.y = Snap(delta.y, tools.scene().grid.stepZ);
    }
    return drag.startPosition + delta;
}

// The meshes a mesh-scaling tool changes: the frame's own, and with
// children every descendant object's. Cameras and lights show shared icons,
// which are never changed.
void CollectMeshes(const Frame& frame, bool withChildren, std::vector<MeshBuilderPtr>& out)
{
    const ObjectRecord* record = RecordOf(&frame);
    if (!record)
        return;
    if (record->kind != kLight && record->kind != kCamera)
        for (const auto& visual : frame.GetVisuals())
            if (std::find(out.begin(), out.end(), visual) == out.end())
                out.push_back(visual);
    if (withChildren)
        for (const auto& child : frame.GetChildren())
            CollectMeshes(*child, true, out);
}

// A box's extent along each of the transform's axes, in the units of the
// space the transform maps into.
Vec3 ScaledSize(const Box& box, const Matrix4& transform)
{
    if (box.IsEmpty())
        return {};
    Vec3 size = box.Size();
    return {size.x * Length(transform.Row(0)), size.y * Length(transform.Row(1)), size.z * Length(transform.Row(2))};
}

void Redraw(Tools& tools)
{
    tools.FitMarkers();
    tools.views().RefreshObjectInfo();
    tools.ui().Notify(Notification::PanelsChanged);
    tools.views().RenderAllViews();
}

} // namespace

std::optional<Matrix4> ActiveViewAxes(ViewSet& views)
{
    const FramePtr& camera = views.ActiveView().camera ? views.ActiveView().camera : views.scene().ActiveCamera();
    if (!camera)
        return std::nullopt;
    Vec3 direction, up;
    camera->GetOrientation(views.scene().Scene().get(), direction, up);
    direction = Normalize(direction);
    up = Normalize(up);
    Vec3 right = Normalize(Cross(up, direction));
    if (Length(right) == 0.0f || Length(direction) == 0.0f)
        return std::nullopt;
    up = Cross(direction, right);
    Matrix4 axes = Matrix4::Identity();
    axes.SetRow(0, right);
    axes.SetRow(1, up);
    axes.SetRow(2, direction);
    return axes;
}

std::optional<CursorRay> CursorRayAt(ViewSet& views, int x, int y)
{
    ViewRecord& view = views.ActiveView();
    const FramePtr& camera = view.camera ? view.camera : views.scene().ActiveCamera();
    if (!camera || !view.device)
        return std::nullopt;
    int width = view.device->GetWidth();
    int height = view.device->GetHeight();
    if (width <= 0 || height <= 0)
        return std::nullopt;
    auto axes = ActiveViewAxes(views);
    if (!axes)
        return std::nullopt;
    // The view volume is 2 * field wide at distance 1 (perspective) or at any
    // distance (orthographic); its height follows the picture's shape.
    float field = view.Field();
    float sx = (2.0f * static_cast<float>(x) / static_cast<float>(width) - 1.0f) * field;
    float sy = (1.0f - 2.0f * static_cast<float>(y) / static_cast<float>(height)) * field *
               static_cast<float>(height) / static_cast<float>(width);
    Vec3 position = camera->GetPosition(views.scene().Scene().get());
    Vec3 right = axes->Row(0), up = axes->Row(1), forward = axes->Row(2);
    if (view.projection == Projection::Orthographic)
        return CursorRay{position + right * sx + up * sy, forward};
    return CursorRay{position, forward + right * sx + up * sy};
}

std::optional<float> UnitsPerPixel(ViewSet& views, const Vec3& point)
{
    ViewRecord& view = views.ActiveView();
    const FramePtr& camera = view.camera ? view.camera : views.scene().ActiveCamera();
    if (!camera || !view.device || view.device->GetWidth() <= 0)
        return std::nullopt;
    float perUnitDepth = 2.0f * view.Field() / static_cast<float>(view.device->GetWidth());
    if (view.projection == Projection::Orthographic)
        return perUnitDepth;
    auto axes = ActiveViewAxes(views);
    if (!axes)
        return std::nullopt;
    float depth = Dot(point - camera->GetPosition(views.scene().Scene().get()), axes->Row(2));
    if (depth <= 0.0f)
        return std::nullopt;
    return perUnitDepth * depth;
}

std::optional<Vec3> WorkingPlanePoint(ViewSet& views, const Vec3& point, int x, int y)
{
    auto ray = CursorRayAt(views, x, y);
    auto plane = MovePlane(views, point, false);
    return ray && plane ? Intersect(*ray, *plane) : std::nullopt;
}

float RotationStepAngle(int d, int dx, int dy)
{
    float fx = static_cast<float>(dx), fy = static_cast<float>(dy);
    return 2.0f * static_cast<float>(d) / std::sqrt(fx * fx + fy * fy + kRotationPixels * kRotationPixels);
}

float ScaleFactor(float travel, float extent)
{
    if (!(extent > 0.0f))
        return 1.0f;
    return std::max(1.0f + 2.0f * travel / extent, kMinScaledExtent / extent);
}

namespace transform {

bool BeginMove(Tools& tools, ToolDragState& drag)
{
    drag.frame = tools.scene().SelectedFrame();
    if (!drag.frame)
        return false;
    tools.scene().History().Touch<TransformAspect>(drag.frame);
    Rebase(tools, drag, drag.frame->GetPosition(tools.scene().Scene().get()), drag.pressX, drag.pressY,
           drag.right && !drag.left);
    return true;
}

void DragMove(Tools& tools, ToolDragState& drag, int x, int y)
{
    if (!drag.frame)
        return;
    const Frame* scene = tools.scene().Scene().get();
    auto to = FollowCursor(tools, drag, drag.frame->GetPosition(scene), x, y);
    if (!to)
        return;
    drag.frame->SetPosition(scene, *to);
    ReevaluatePatch(tools.scene(), tools.patches, *drag.frame);  // a control point re-shapes its patch
    Redraw(tools);
}

void DragRotate(Tools& tools, ToolDragState& drag, int x, int y)
{
    if (!drag.frame)
        return;
    int dx = drag.lastX - x, dy = drag.lastY - y;
    if (dx == 0 && dy == 0)
        return;
    auto axes = ActiveViewAxes(tools.views());
    if (!axes)
        return;
    float turnX = RotationStepAngle(dx, dx, dy);
    float turnY = RotationStepAngle(dy, dx, dy);
    Matrix4 rotation;
    if (drag.left && drag.right)
        rotation = Matrix4::Rotation(axes->Row(2), turnX);
    else if (drag.right)
        rotation = Matrix4::Rotation({0.0f, 1.0f, 0.0f}, turnX);
    else
        rotation = Matrix4::Rotation(axes->Row(1), turnX) * Matrix4::Rotation(axes->Row(0), turnY);
    const Frame* scene = tools.scene().Scene().get();
    Matrix4 transform = drag.frame->GetTransform(scene);
    Vec3 origin = transform.GetTranslation();
    Matrix4 about = Matrix4::Translation(-origin) * rotation * Matrix4::Translation(origin);
    drag.frame->SetTransform(scene, transform * about);
    Redraw(tools);
}

bool BeginScale(Tools& tools, ToolDragState& drag)
{
    drag.frame = tools.scene().SelectedFrame();
    auto axes = ActiveViewAxes(tools.views());
    if (!drag.frame || !axes) {
        drag.frame.reset();
        return false;
    }
    const Frame* scene = tools.scene().Scene().get();
    tools.scene().History().Touch<TransformAspect>(drag.frame);
    drag.axes = *axes;
    drag.startTransform = drag.frame->GetTransform(scene);
    drag.startPosition = drag.startTransform.GetTranslation();
    // The box's extent along the view's right and up axes, in scene units.
    Box box = drag.frame->GetHierarchyBox().Transformed(drag.startTransform * axes->Inverse());
    drag.extent = box.IsEmpty() ? Vec3{} : box.Size();
    return true;
}

void DragScale(Tools& tools, ToolDragState& drag, int x, int y)
{
    if (!drag.frame)
        return;
    auto unit = UnitsPerPixel(tools.views(), drag.startPosition);
    if (!unit)
        return;
    float tx = ScaleFactor(static_cast<float>(x - drag.pressX) * *unit, drag.extent.x);
    float ty = ScaleFactor(static_cast<float>(drag.pressY - y) * *unit, drag.extent.y);
    Matrix4 along = drag.axes.Inverse() * Matrix4::Scale({tx, ty, 1.0f}) * drag.axes;
    Vec3 origin = drag.startPosition;
    Matrix4 about = Matrix4::Translation(-origin) * along * Matrix4::Translation(origin);
    drag.frame->SetTransform(tools.scene().Scene().get(), drag.startTransform * about);
    Redraw(tools);
}

bool BeginMeshScale(Tools& tools, ToolDragState& drag, bool withChildren)
{
    drag.frame = tools.scene().SelectedFrame();
    drag.meshes.clear();
    drag.vertices.clear();
    if (!drag.frame)
        return false;
    CollectMeshes(*drag.frame, withChildren, drag.meshes);
    drag.patchPoints = PatchPointsOf(drag.frame, withChildren);
    for (const auto& mesh : drag.meshes) {
        tools.scene().History().Touch<MeshAspect>(mesh);
        drag.vertices.push_back(mesh->GetVertices());
    }
    drag.startTransform = drag.frame->GetTransform(tools.scene().Scene().get());
    drag.startPosition = drag.startTransform.GetTranslation();
    Box box;
    if (withChildren) {
        box = drag.frame->GetHierarchyBox();
    } else {
        for (const auto& mesh : drag.meshes)
            box.Add(mesh->GetBox());
    }
    drag.extent = ScaledSize(box, drag.startTransform);
    return true;
}

namespace {

void ScaleMeshes(Tools& tools, ToolDragState& drag, const Vec3& factors)
{
    for (size_t m = 0; m < drag.meshes.size(); ++m) {
        MeshBuilder& mesh = *drag.meshes[m];
        const auto& original = drag.vertices[m];
        int count = std::min(mesh.GetVertexCount(), static_cast<int>(original.size()));
        for (int i = 0; i < count; ++i) {
            const Vec3& v = original[static_cast<size_t>(i)];
            mesh.SetVertex(i, {v.x * factors.x, v.y * factors.y, v.z * factors.z});
        }
        mesh.GenerateNormals(kNormalCrease, kGenerateNormalsUseCreaseAngle);
    }
    ScalePatchPoints(tools.scene(), drag.patchPoints, factors);
    Redraw(tools);
}

float UpwardTravel(Tools& tools, const ToolDragState& drag, int y)
{
    auto unit = UnitsPerPixel(tools.views(), drag.startPosition);
    return unit ? static_cast<float>(drag.pressY - y) * *unit : 0.0f;
}

} // namespace

void DragUniformScale(Tools& tools, ToolDragState& drag, int, int y)
{
    if (!drag.frame || drag.meshes.empty())
        return;
    float extent = std::max({drag.extent.x, drag.extent.y, drag.extent.z});
    float t = ScaleFactor(UpwardTravel(tools, drag, y), extent);
    ScaleMeshes(tools, drag, {t, t, t});
}

void DragStretch(Tools& tools, ToolDragState& drag, int, int y)
{
    if (!drag.frame || drag.meshes.empty())
        return;
    float t = ScaleFactor(UpwardTravel(tools, drag, y), drag.extent.y);
    float s = std::sqrt(1.0f / t);
    ScaleMeshes(tools, drag, {s, t, s});
}

bool BeginPivot(Tools& tools, ToolDragState& drag)
{
    drag.frame = tools.scene().SelectedFrame();
    if (!drag.frame)
        return false;
    const Frame* scene = tools.scene().Scene().get();
    drag.pivot = drag.frame->GetPosition(scene);
    drag.pivotGizmo = Frame::Create(tools.scene().Scene().get());
    drag.pivotGizmo->AddVisual(BuildMarkerMesh());
    drag.pivotGizmo->SetTraversalOptions(kRenderEnable);  // seen, never picked
    drag.pivotGizmo->SetPosition(scene, drag.pivot);
    Rebase(tools, drag, drag.pivot, drag.pressX, drag.pressY, drag.right && !drag.left);
    return true;
}

void DragPivot(Tools& tools, ToolDragState& drag, int x, int y)
{
    if (!drag.frame || !drag.pivotGizmo)
        return;
    auto to = FollowCursor(tools, drag, drag.pivot, x, y);
    if (!to)
        return;
    drag.pivot = *to;
    drag.pivotGizmo->SetPosition(tools.scene().Scene().get(), drag.pivot);
    tools.views().RenderAllViews();
}

void EndPivot(Tools& tools, ToolDragState& drag)
{
    if (drag.pivotGizmo) {
        if (Frame* parent = drag.pivotGizmo->GetParent())
            parent->DeleteChild(drag.pivotGizmo.get());
        drag.pivotGizmo.reset();
    }
    if (drag.frame)
        tools.scene().MoveOriginTo(drag.frame, drag.pivot);
    Redraw(tools);
}

} // namespace transform

} // namespace corvid
