// The object information panel's texts.

#include "render/ObjectInfo.h"

#include "scene/Ui.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"
#include "scene/ObjectKind.h"
#include "scene/Records.h"

#include <cmath>
#include <cstdio>

namespace corvid {

namespace {

constexpr float kDegrees = 180.0f / kPi;

} // namespace

std::string FormatReal(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

std::string FormatInteger(int value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%i", value);
    return text;
}

Vec3 OrientationAngles(const Vec3& direction, const Vec3& up)
{
    const Vec3 d = Normalize(direction);
    const float heading = std::atan2(d.x, d.z);
    const float elevation = std::asin(std::fmax(-1.0f, std::fmin(1.0f, d.y)));
    // The level right and up for this heading and elevation; looking straight
    // up or down the heading is 0 and the bank carries the turn.
    const Vec3 right{std::cos(heading), 0.0f, -std::sin(heading)};
    const Vec3 levelUp = Cross(d, right);
    const float bank = std::atan2(Dot(up, right), Dot(up, levelUp));
    return {heading * kDegrees, elevation * kDegrees, bank * kDegrees};
}

PatchPlace PatchPlaceOf(const ObjectRecord& record)
{
    PatchPlace place;
    if (record.kind == kPatch || record.kind == kControlPoint)
        place.patchType = record.patchType;
    if (record.kind == kControlPoint) {
        place.row = record.cpRow;
        place.column = record.cpColumn;
    }
    return place;
}

ObjectInfo DescribeObject(const Frame& frame, const Frame& scene, const MeshBuilder* mesh,
                          const ObjectRecord& record)
{
    ObjectInfo info;
    info.name = record.name;
    info.kindName = KindDisplayName(record.kind);
    const PatchPlace place = PatchPlaceOf(record);
    info.patchType = FormatInteger(place.patchType);
    info.controlPointRow = FormatInteger(place.row);
    info.controlPointColumn = FormatInteger(place.column);
    const Vec3 p = frame.GetPosition(&scene);
    info.positionX = FormatReal(p.x);
    info.positionY = FormatReal(p.y);
    info.positionZ = FormatReal(p.z);
    Vec3 direction, up;
    frame.GetOrientation(&scene, direction, up);
    const Vec3 angles = OrientationAngles(direction, up);
    info.heading = FormatReal(angles.x);
    info.elevation = FormatReal(angles.y);
    info.bank = FormatReal(angles.z);
    if (mesh) {
        const Box box = mesh->GetBox();
        const Vec3 size = box.IsEmpty() ? Vec3{} : box.Size();
        info.sizeX = FormatReal(size.x);
        info.sizeY = FormatReal(size.y);
        info.sizeZ = FormatReal(size.z);
        info.faceCount = FormatInteger(mesh->GetFaceCount());
        info.vertexCount = FormatInteger(mesh->GetVertexCount());
        info.normalCount = FormatInteger(mesh->GetNormalCount());
    }
    return info;
}

void ViewSet::RefreshObjectInfo()
{
    const ObjectRecord* record = scene_.SelectedFrame() ? RecordOf(scene_.SelectedFrame().get()) : nullptr;
    if (!scene_.HasSelection() || !record) {
        ClearObjectInfo();
        return;
    }
    objectInfo = DescribeObject(*scene_.SelectedFrame(), *scene_.Scene(), scene_.CurrentVisual().get(), *record);
    ui().Notify(Notification::PanelsChanged);
}

void ViewSet::ClearObjectInfo()
{
    objectInfo = ObjectInfo{};
    HideSelectionMarker();
    ui().Notify(Notification::PanelsChanged);
}

} // namespace corvid
