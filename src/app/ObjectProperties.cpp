#include "app/ObjectProperties.h"

#include "anim/Animation.h"
#include "anim/Transport.h"
#include "app/Editor.h"
#include "geometry/Patch.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "render/ObjectInfo.h"
#include "scene/EditParts.h"
#include "scene/ObjectKind.h"
#include "scene/Records.h"
#include "scene/Ui.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace corvid {

namespace {

constexpr double kDegreesToRadians = 0.017453292;

Vec3 TurnX(const Vec3& v, double a)
{
    const float c = static_cast<float>(std::cos(a)), s = static_cast<float>(std::sin(a));
    return {v.x, v.y * c - v.z * s, v.y * s + v.z * c};
}
Vec3 TurnY(const Vec3& v, double a)
{
    const float c = static_cast<float>(std::cos(a)), s = static_cast<float>(std::sin(a));
    return {v.z * s + v.x * c, v.y, v.z * c - v.x * s};
}
Vec3 TurnZ(const Vec3& v, double a)
{
    const float c = static_cast<float>(std::cos(a)), s = static_cast<float>(std::sin(a));
    return {v.x * c - v.y * s, v.x * s + v.y * c, v.z};
}

std::array<float, 3> Read(const ObjectProperties::Fields& texts)
{
    return {static_cast<float>(ReadFieldNumber(texts[0])), static_cast<float>(ReadFieldNumber(texts[1])),
            static_cast<float>(ReadFieldNumber(texts[2]))};
}

ObjectProperties::Fields Format(const std::array<float, 3>& values)
{
    return {FormatReal(values[0]), FormatReal(values[1]), FormatReal(values[2])};
}

// A selected object whose mesh the size fields may scale: its own mesh, not
// the shared icon of a camera or light, nor a patch's surface.
bool HasOwnMesh(const Frame& frame)
{
    const ObjectRecord* record = RecordOf(&frame);
    return record && record->kind == kObject;
}

} // namespace

double ReadFieldNumber(const std::string& text)
{
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    if (at < text.size() && text[at] == '+')
        ++at;
    double value = 0.0;
    const auto result = std::from_chars(text.data() + at, text.data() + text.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
        return 0.0;
    return value;
}

void AnglesToOrientation(const Vec3& degrees, Vec3& direction, Vec3& up)
{
    direction = {0, 0, 1};
    up = {0, 1, 0};
    for (Vec3* v : {&direction, &up}) {
        *v = TurnX(*v, degrees.x * kDegreesToRadians);
        *v = TurnY(*v, degrees.y * kDegreesToRadians);
        *v = TurnZ(*v, degrees.z * kDegreesToRadians);
    }
}

Vec3 OrientationToAngles(const Vec3& direction, const Vec3& up)
{
    // The turn is Rz * Ry * Rx; its columns are x' = up x direction, up and
    // direction. Read ay from x'.z, ax from up.z and direction.z, az from x'.
    const Vec3 d = Normalize(direction);
    const Vec3 u = Normalize(up);
    const Vec3 x{u.y * d.z - u.z * d.y, u.z * d.x - u.x * d.z, u.x * d.y - u.y * d.x};
    const double toDegrees = 1.0 / kDegreesToRadians;
    const double ay = std::asin(std::clamp(-static_cast<double>(x.z), -1.0, 1.0));
    double ax, az;
    if (std::fabs(std::cos(ay)) > 1e-6) {
        ax = std::atan2(u.z, d.z);
        az = std::atan2(x.y, x.x);
    } else {
        // Turned a quarter about y: only ax - az (or ax + az) counts; take az = 0.
        ax = std::atan2(-d.y, u.y);
        az = 0.0;
    }
    return {static_cast<float>(ax * toDegrees), static_cast<float>(ay * toDegrees), static_cast<float>(az * toDegrees)};
}

void ObjectProperties::Refresh()
{
    SceneModel& scene = editor_.scene;
    const FramePtr& frame = scene.SelectedFrame();
    if (!scene.HasSelection() || !frame) {
        position_ = rotation_ = size_ = Fields{};
        return;
    }
    const Frame* sceneFrame = scene.Scene().get();
    const Vec3 p = frame->GetPosition(sceneFrame);
    position_ = Format({p.x, p.y, p.z});
    Vec3 direction, up;
    frame->GetOrientation(sceneFrame, direction, up);
    const Vec3 a = OrientationToAngles(direction, up);
    rotation_ = Format({a.x, a.y, a.z});
    const MeshBuilderPtr& mesh = scene.CurrentVisual();
    const Box box = mesh ? mesh->GetBox() : Box{};
    const Vec3 e = box.IsEmpty() ? Vec3{} : box.Size();
    size_ = Format({e.x, e.y, e.z});
}

void ObjectProperties::afterEdit()
{
    editor_.views.RefreshObjectInfo();
    editor_.ui().Notify(Notification::PanelsChanged);
    editor_.views.RenderAllViews();
}

void ObjectProperties::EditPosition(const Fields& texts)
{
    const auto values = Read(texts);
    position_ = Format(values);
    SceneModel& scene = editor_.scene;
    const FramePtr frame = scene.HasSelection() ? scene.SelectedFrame() : nullptr;
    if (!frame)
        return;
    if (editor_.transport.Playing())
        editor_.transport.Stop();
    Animation& animation = editor_.animation;
    {
        EditStep step(scene.History(), "Set Position");
        animation.RecordStartKey(frame, ObjectProperty::Position);
        scene.History().Touch<TransformAspect>(frame);
        frame->SetPosition(scene.Scene().get(), {values[0], values[1], values[2]});
        // A typed control point re-shapes its patch.
        ReevaluatePatch(scene, editor_.tools.patches, *frame);
        scene.Scene()->Move(1.0f);
        animation.RecordKey(frame, ObjectProperty::Position, animation.CurrentFrame());
    }
    afterEdit();
}

void ObjectProperties::EditRotation(const Fields& texts)
{
    const auto values = Read(texts);
    SceneModel& scene = editor_.scene;
    const FramePtr frame = scene.HasSelection() ? scene.SelectedFrame() : nullptr;
    if (frame) {
        if (editor_.transport.Playing())
            editor_.transport.Stop();
        Animation& animation = editor_.animation;
        EditStep step(scene.History(), "Set Rotation");
        animation.RecordStartKey(frame, ObjectProperty::Orientation);
        scene.History().Touch<TransformAspect>(frame);
        Vec3 direction, up;
        AnglesToOrientation({values[0], values[1], values[2]}, direction, up);
        frame->SetOrientation(scene.Scene().get(), direction, up);
        animation.RecordKey(frame, ObjectProperty::Orientation, animation.CurrentFrame());
    }
    // The angles typed, as typed: another edit starts from them.
    rotation_ = Format(values);
    if (frame)
        afterEdit();
}

void ObjectProperties::EditSize(const Fields& texts)
{
    const auto values = Read(texts);
    SceneModel& scene = editor_.scene;
    const FramePtr frame = scene.HasSelection() ? scene.SelectedFrame() : nullptr;
    const MeshBuilderPtr mesh = frame ? scene.CurrentVisual() : nullptr;
    if (values[0] < 0.0f || values[1] < 0.0f || values[2] < 0.0f) {
        editor_.ui().ShowMessage(kNegativeSizeMessage);
        Refresh();
        return;
    }
    if (!frame || !mesh || !HasOwnMesh(*frame)) {
        size_ = Format(values);
        return;
    }
    const Box box = mesh->GetBox();
    const Vec3 extent = box.IsEmpty() ? Vec3{} : box.Size();
    std::array<float, 3> factor{1, 1, 1};
    std::array<float, 3> shown{extent.x, extent.y, extent.z};
    for (int axis = 0; axis < 3; ++axis) {
        const float have = shown[static_cast<size_t>(axis)];
        const float want = values[static_cast<size_t>(axis)];
        // 0 keeps the extent; an axis without extent cannot be scaled to one.
        if (want == 0.0f || !(have > 0.0f))
            continue;
        factor[static_cast<size_t>(axis)] = want / have;
        shown[static_cast<size_t>(axis)] = want;
    }
    size_ = Format(shown);
    if (factor == std::array<float, 3>{1, 1, 1})
        return;
    {
        EditStep step(scene.History(), "Set Size");
        scene.History().Touch<MeshAspect>(mesh);
        mesh->Scale(factor[0], factor[1], factor[2]);
    }
    afterEdit();
}

} // namespace corvid
