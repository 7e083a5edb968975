// Picking: the ray through a viewport pixel into SCENE, the insertion point
// that new objects are created at, and the selection the hit hands over.

#include "render/Picking.h"

#include "scene/Ui.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "platform/Pick.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"
#include "scene/ObjectKind.h"
#include "scene/Records.h"

#include <cmath>

namespace corvid {

namespace {

constexpr float kMinField = 1e-6f;
// Vertices further out than this are never taken as the current vertex.
constexpr float kVertexReach = 10000.0f;

} // namespace

float Snap(float value, float step)
{
    if (!(step > 0.0f) || !std::isfinite(value) || !std::isfinite(step))
        return value;
    // ceil(q - 1/2) is the nearest integer with halves rounded down.
    const double q = static_cast<double>(value) / static_cast<double>(step);
    return static_cast<float>(std::ceil(q - 0.5) * static_cast<double>(step));
}

ScreenMapping::ScreenMapping(const Matrix4& cameraToReference, const ViewParameters& view, int width, int height)
    : cameraToReference_(cameraToReference)
    , referenceToCamera_(cameraToReference.Inverse())
    , perspective_(view.projection == Projection::Perspective)
    , width_(static_cast<float>(width > 0 ? width : 1))
    , height_(static_cast<float>(height > 0 ? height : 1))
{
    const float field = std::isfinite(view.field) && view.field > kMinField ? view.field : kMinField;
    halfWidth_ = field;
    halfHeight_ = field * height_ / width_;
}

ScreenPoint ScreenMapping::Transform(const Vec3& point) const
{
    const Vec3 c = referenceToCamera_.TransformPoint(point);
    const float w = perspective_ ? c.z : 1.0f;
    // In homogeneous form: pixel * w, so the divide happens on the way back.
    const float x = (c.x / halfWidth_ + w) * 0.5f * width_;
    const float y = (w - c.y / halfHeight_) * 0.5f * height_;
    return {x, y, c.z, w};
}

Vec3 ScreenMapping::InverseTransform(const ScreenPoint& point) const
{
    const float w = point.w;
    if (w == 0.0f)
        return cameraToReference_.TransformPoint({0, 0, 0});
    const float sx = point.x / w, sy = point.y / w;
    const float scale = perspective_ ? w : 1.0f;
    Vec3 c{(2.0f * sx / width_ - 1.0f) * halfWidth_ * scale, (1.0f - 2.0f * sy / height_) * halfHeight_ * scale,
           perspective_ ? w : point.z};
    return cameraToReference_.TransformPoint(c);
}

Vec3 WeightedSubstitution(const Vec3& point, const Vec3& camera, const Vec3& direction)
{
    Vec3 out;
    for (int i = 0; i < 3; ++i) {
        const float weight = 1.0f - std::fabs(direction[i]);
        out[i] = point[i] * weight + camera[i] * (1.0f - weight);
    }
    return out;
}

// --- the Editor's pick ------------------------------------------------------------------

bool ViewSet::Pick(int x, int y)
{
    Device* device = ActiveDevice();
    const FramePtr camera = scene_.ActiveCamera();
    if (!device || !camera || device->GetWidth() <= 0 || device->GetHeight() <= 0)
        return false;  // nothing to pick through yet

    scene_.ClearSelection();
    pickDetails = PickDetails{};
    pickDetails.x = x;
    pickDetails.y = y;
    HideSelectionMarker();

    // The camera and the point one unit in front of it, relative to SCENE.
    const Matrix4 cameraToScene = camera->GetTransform(scene_.Scene().get());
    const Vec3 position = cameraToScene.GetTranslation();
    Vec3 direction, up;
    camera->GetOrientation(scene_.Scene().get(), direction, up);
    const Vec3 ahead = position + direction;

    // The cursor point: the pixel at the depth of that point.
    const ViewParameters view = ActiveView().Parameters();
    const ScreenMapping mapping(cameraToScene, view, device->GetWidth(), device->GetHeight());
    ScreenPoint s = mapping.Transform(ahead);
    s.x = static_cast<float>(x) * s.w;
    s.y = static_cast<float>(y) * s.w;
    const Vec3 cursor = mapping.InverseTransform(s);

    // The insertion point, and where the ray starts.
    Vec3 origin = position;
    Vec3 insertion;
    if (view.projection == Projection::Perspective) {
        const Vec3 along = cursor - position;
        if (along.y != 0.0f) {
            const float t = -position.y / along.y;
            insertion = position + along * t;
        } else {
            insertion = cursor;  // looking level: the cursor point is as good as any
        }
        insertion.y = 0.0f;
        if (scene_.grid.on) {
            insertion.x = Snap(insertion.x, scene_.grid.stepX);
            insertion.z = Snap(insertion.z, scene_.grid.stepZ);
        }
    } else {
        for (int i = 0; i < 3; ++i)
            insertion[i] = cursor[i] * (1.0f - std::fabs(direction[i]));
        origin = WeightedSubstitution(cursor, position, direction);
        if (scene_.grid.on) {
            insertion.x = Snap(insertion.x, scene_.grid.stepX);
            insertion.y = Snap(insertion.y, scene_.grid.stepZ);
            insertion.z = Snap(insertion.z, scene_.grid.stepZ);
        }
    }
    scene_.insertionPoint = insertion;
    insertionPointCamera = cameraToScene.Inverse().TransformPoint(insertion);

    // The ray into SCENE. Hits on the active camera's own frame (the icon
    // it shows when seen from elsewhere) are looked through.
    const std::vector<PickHit> hits = PickRay(*scene_.Scene(), origin, cursor - origin);
    const PickHit* hit = nullptr;
    for (const PickHit& candidate : hits) {
        if (!candidate.path.empty() && candidate.path.back() != camera) {
            hit = &candidate;
            break;
        }
    }
    const FramePtr frame = hit ? hit->path.back() : nullptr;
    // Frames without a record are the editor's own (grid, marker): not objects.
    ObjectRecord* record = frame ? RecordOf(frame.get()) : nullptr;
    const MeshBuilderPtr visual = hit ? hit->visual : nullptr;
    if (!record || !visual || hit->face < 0 || hit->face >= visual->GetFaceCount()) {
        scene_.ClearSelection();
        HideSelectionMarker();
        ClearObjectInfo();
        ui().Notify(Notification::SelectionChanged);
        return false;
    }

    // The selection handoff: the innermost frame, what it carries, the face
    // under the cursor and one of its vertices.
    const LightPtr light = ObjectLightOf(*frame);
    scene_.SetSelection(frame, visual, light);
    pickDetails.pickPosition = hit->position;
    pickDetails.objectPosition = frame->GetPosition(scene_.Scene().get());
    if (light) {
        pickDetails.hasLight = true;
        pickDetails.lightType = light->GetType();
    }
    pickDetails.faceCount = visual->GetFaceCount();
    pickDetails.vertexCount = visual->GetVertexCount();
    scene_.MarkerFrame()->SetPosition(frame.get(), {0, 0, 0});

    pickDetails.face = hit->face;
    pickDetails.faceVertexCount = visual->GetFaceVertexCount(hit->face);
    pickDetails.faceNormal = visual->GetFaceNormal(hit->face);
    for (const Corner& corner : visual->GetFaceCorners(hit->face)) {
        Vec3 p;
        if (!visual->GetVertex(corner.vertex, p) || Length(p) > kVertexReach)
            continue;
        pickDetails.vertex = corner.vertex;
        pickDetails.vertexPosition = p;
        Vec3 normal;
        if (!visual->GetNormal(corner.normal >= 0 ? corner.normal : corner.vertex, normal))
            normal = pickDetails.faceNormal;
        pickDetails.vertexNormal = normal;
    }

    pickDetails.kind = record->kind;
    pickDetails.kindName = KindDisplayName(record->kind);
    const PatchPlace place = PatchPlaceOf(*record);
    pickDetails.patchType = place.patchType;
    pickDetails.controlPointRow = place.row;
    pickDetails.controlPointColumn = place.column;
    if (markersEnabled)
        scene_.MarkerFrame()->SetTraversalOptions(kRenderEnable);
    FitSelectionMarker();
    RefreshObjectInfo();
    ui().Notify(Notification::SelectionChanged);
    return true;
}

bool ViewSet::PickObjectOnly(int x, int y)
{
    if (!Pick(x, y))
        return false;
    if (pickDetails.kind != kLight && pickDetails.kind != kCamera && pickDetails.kind != kControlPoint)
        return true;
    scene_.ClearSelection();
    HideSelectionMarker();
    ClearObjectInfo();
    ui().Notify(Notification::SelectionChanged);
    return false;
}

} // namespace corvid
