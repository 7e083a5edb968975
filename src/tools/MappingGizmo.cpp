#include "tools/MappingGizmo.h"

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "render/ViewSet.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/SimpleShapes.h"
#include "scene/Ui.h"
#include "tools/ToolMode.h"
#include "tools/Tools.h"

#include <cmath>

namespace corvid {

namespace {

constexpr unsigned kGizmoQuality = kShadeFlat | kLightOff | kFillWireframe;
constexpr float kDegrees = 0.017453292f;
constexpr float kPixelsPerDoubling = 70.0f;
// A drag across this many pixels moves the wrap by the object's width.
constexpr float kPixelsPerObject = 200.0f;

void Quad(MeshBuilder& mesh, const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d)
{
    const int v[4] = {mesh.AddVertex(a), mesh.AddVertex(b), mesh.AddVertex(c), mesh.AddVertex(d)};
    mesh.AddFace(v);
}

MeshBuilderPtr Finish(const MeshBuilderPtr& mesh, float r, float g, float b)
{
    mesh->SetColorRGB(r, g, b);
    mesh->SetQuality(kGizmoQuality);
    return mesh;
}

// A square of side 1 across the wrap's x and y axes, facing its z axis; the
// sheet's has a cross on it.
MeshBuilderPtr SquareShape(bool cross)
{
    auto mesh = MeshBuilder::Create();
    const int n = cross ? 2 : 1;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const float x0 = -0.5f + static_cast<float>(i) / n, x1 = x0 + 1.0f / n;
            const float y0 = -0.5f + static_cast<float>(j) / n, y1 = y0 + 1.0f / n;
            Quad(*mesh, {x0, y0, 0}, {x0, y1, 0}, {x1, y1, 0}, {x1, y0, 0});
        }
    return mesh;
}

MeshBuilderPtr BoxShape()
{
    auto mesh = MeshBuilder::Create();
    const float h = 0.5f;
    Quad(*mesh, {-h, -h, -h}, {-h, h, -h}, {h, h, -h}, {h, -h, -h});
    Quad(*mesh, {-h, -h, h}, {h, -h, h}, {h, h, h}, {-h, h, h});
    Quad(*mesh, {-h, -h, -h}, {-h, -h, h}, {-h, h, h}, {-h, h, -h});
    Quad(*mesh, {h, -h, -h}, {h, h, -h}, {h, h, h}, {h, -h, h});
    Quad(*mesh, {-h, h, -h}, {-h, h, h}, {h, h, h}, {h, h, -h});
    Quad(*mesh, {-h, -h, -h}, {h, -h, -h}, {h, -h, h}, {-h, -h, h});
    return mesh;
}

// An open tube of diameter 1 and length 1 along the wrap's z axis.
MeshBuilderPtr CylinderShape()
{
    auto mesh = MeshBuilder::Create();
    constexpr int kSegments = 16;
    for (int s = 0; s < kSegments; ++s) {
        const float a0 = 2.0f * kPi * static_cast<float>(s) / kSegments;
        const float a1 = 2.0f * kPi * static_cast<float>(s + 1) / kSegments;
        const Vec3 p0{0.5f * std::cos(a0), 0.5f * std::sin(a0), 0}, p1{0.5f * std::cos(a1), 0.5f * std::sin(a1), 0};
        Quad(*mesh, p0 + Vec3{0, 0, -0.5f}, p0 + Vec3{0, 0, 0.5f}, p1 + Vec3{0, 0, 0.5f}, p1 + Vec3{0, 0, -0.5f});
    }
    return mesh;
}

bool Finite(const Vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool Finite(const WrapSettings& s)
{
    return Finite(s.origin) && Finite(s.axisA) && Finite(s.axisB) && std::isfinite(s.su) && std::isfinite(s.sv);
}

bool IsMappingMode(int mode)
{
    return mode >= kModeMappingFirst && mode <= kModeMappingLast;
}

} // namespace

GizmoShape ChooseGizmoShape(int recordType, int currentType)
{
    if (recordType == static_cast<int>(WrapType::Sphere) || currentType == static_cast<int>(WrapType::Chrome))
        return GizmoShape::Sphere;
    if (recordType == static_cast<int>(WrapType::Flat))
        return GizmoShape::Flat;
    if (recordType == static_cast<int>(WrapType::Sheet))
        return GizmoShape::Sheet;
    if (currentType == static_cast<int>(WrapType::Box))
        return GizmoShape::Box;
    if (recordType == static_cast<int>(WrapType::Cylinder))
        return GizmoShape::Cylinder;
    return GizmoShape::None;
}

MappingGizmo::MappingGizmo()
{
    frame_ = Frame::Create(nullptr);
    frame_->SetTraversalOptions(kRenderEnable);  // seen, never picked
    shapes_[static_cast<size_t>(GizmoShape::Sphere)] = Finish(BuildUvSphere(0.5f, 8, 12), 1.0f, 0.8f, 0.2f);
    shapes_[static_cast<size_t>(GizmoShape::Flat)] = Finish(SquareShape(false), 1.0f, 0.8f, 0.2f);
    shapes_[static_cast<size_t>(GizmoShape::Sheet)] = Finish(SquareShape(true), 1.0f, 0.8f, 0.2f);
    shapes_[static_cast<size_t>(GizmoShape::Box)] = Finish(BoxShape(), 1.0f, 0.8f, 0.2f);
    shapes_[static_cast<size_t>(GizmoShape::Cylinder)] = Finish(CylinderShape(), 1.0f, 0.8f, 0.2f);
}

bool MappingGizmo::ChooseTool(Tools& tools, int mode)
{
    SceneModel& scene = tools.scene();
    const MeshBuilderPtr& mesh = scene.CurrentVisual();
    if (!IsMappingMode(mode) || !scene.HasSelection() || !scene.SelectedFrame() || !mesh || !RecordOf(mesh.get())) {
        scene.ui().ShowMessage(kNoObjectSelected);
        return false;
    }
    tools.mode = mode;
    tools.stage = 0;
    Show(tools);
    return true;
}

bool MappingGizmo::Show(Tools& tools)
{
    SceneModel& scene = tools.scene();
    const MeshBuilderPtr mesh = scene.HasSelection() ? scene.CurrentVisual() : nullptr;
    const MeshRecord* record = mesh ? RecordOf(mesh.get()) : nullptr;
    if (!record || !scene.SelectedFrame()) {
        Hide();
        scene.ui().ShowMessage(kObjectNotMapable);
        return false;
    }
    frame_->DeleteAllVisuals();
    shown_ = ChooseGizmoShape(record->wrapType, tools.mapping.CurrentType());
    if (shown_ == GizmoShape::None) {
        Hide();
        scene.ui().ShowMessage(kUsingCurrentMapType);
        return false;
    }
    frame_->AddVisual(Shape(shown_));
    if (frame_->GetParent() != scene.World().get())
        scene.World()->AddChild(frame_);
    place(tools);
    tools.views().RenderAllViews();
    return true;
}

void MappingGizmo::Hide()
{
    shown_ = GizmoShape::None;
    frame_->DeleteAllVisuals();
    if (Frame* parent = frame_->GetParent())
        parent->DeleteChild(frame_.get());
}

void MappingGizmo::place(Tools& tools)
{
    SceneModel& scene = tools.scene();
    const FramePtr& object = scene.SelectedFrame();
    const MeshBuilderPtr& mesh = scene.CurrentVisual();
    const MeshRecord* record = mesh ? RecordOf(mesh.get()) : nullptr;
    if (shown_ == GizmoShape::None || !object || !record)
        return;
    // As wide and high as the object is across; an object without extent
    // leaves the gizmo at the size it had.
    const Box box = mesh->GetBox();
    const Box shape = Shape(shown_)->GetBox();
    if (!box.IsEmpty() && !shape.IsEmpty()) {
        const float across = Length(box.Size());  // twice the radius
        const float sx = across / shape.Size().x, sy = across / shape.Size().y;
        if (across > 0.0f && std::isfinite(sx) && std::isfinite(sy) && sx > 0.0f && sy > 0.0f)
            frame_->AddTransform(Combine::Replace, Matrix4::Scale({sx, sy, sy}));
    }
    const WrapSettings s = SettingsOf(*record);
    const Frame* reference = MappingReferenceFrame(scene, *object, s.relativeTo);
    frame_->SetOrientation(reference, s.axisA, s.axisB);
    frame_->SetPosition(object.get(), {0, 0, 0});
}

// --- dragging ----------------------------------------------------------------------------------

void MappingGizmo::Press(Tools& tools, bool left, bool first, int x, int y)
{
    SceneModel& scene = tools.scene();
    if (first) {
        dragging_ = false;
        object_ = scene.HasSelection() ? scene.SelectedFrame() : nullptr;
        mesh_ = scene.HasSelection() ? scene.CurrentVisual() : nullptr;
        if (!object_ || !mesh_ || !RecordOf(mesh_.get()))
            return;
        dragging_ = true;
        firstStart_ = tools.mapping.Current();
        const Box box = mesh_->GetBox();
        const float across = box.IsEmpty() ? 0.0f : Length(box.Size());
        unitsPerPixel_ = across > 0.0f && std::isfinite(across) ? across / kPixelsPerObject : 0.01f;
    }
    // Each press starts the drag again from where things are, the newest
    // button saying what the drag does.
    start_ = tools.mapping.Current();
    right_ = !left;
    pressX_ = x;
    pressY_ = y;
}

void MappingGizmo::Drag(Tools& tools, int x, int y)
{
    if (!dragging_)
        return;
    SceneModel& scene = tools.scene();
    const float dx = static_cast<float>(x - pressX_);
    const float dy = static_cast<float>(y - pressY_);

    // The view's axes, carried into the wrap's reference space.
    Vec3 viewDirection{0, 0, 1}, viewUp{0, 1, 0};
    if (const FramePtr& camera = scene.ActiveCamera())
        camera->GetOrientation(nullptr, viewDirection, viewUp);
    const Vec3 viewRight = Normalize(Cross(viewUp, viewDirection));
    const Frame* reference = MappingReferenceFrame(scene, *object_, start_.relativeTo);
    const Matrix4 toReference = reference->World().Inverse();
    const auto inReference = [&](const Vec3& v) { return toReference.TransformVector(v); };
    const auto axisInReference = [&](const Vec3& v) { return Normalize(inReference(v)); };

    WrapSettings s = start_;
    switch (tools.mode) {
    case kModeMappingFirst: {  // move
        const Vec3 world = right_ ? viewDirection * (-dy * unitsPerPixel_)
                                  : viewRight * (dx * unitsPerPixel_) + viewUp * (-dy * unitsPerPixel_);
        s.origin = start_.origin + inReference(world);
        break;
    }
    case kModeMappingFirst + 1: {  // turn
        Matrix4 turn = right_ ? Matrix4::Rotation(axisInReference(viewDirection), dx * kDegrees)
                              : Matrix4::Rotation(axisInReference(viewUp), dx * kDegrees) *
                                    Matrix4::Rotation(axisInReference(viewRight), dy * kDegrees);
        s.axisA = turn.TransformVector(start_.axisA);
        s.axisB = turn.TransformVector(start_.axisB);
        break;
    }
    case kModeMappingLast: {  // size
        const float across = std::exp2(dx / kPixelsPerDoubling);
        s.su = start_.su * across;
        s.sv = start_.sv * (right_ ? across : std::exp2(-dy / kPixelsPerDoubling));
        break;
    }
    default:
        return;
    }
    if (!Finite(s))
        return;
    tools.mapping.Current() = s;
    ApplyMapping(scene, s, object_, mesh_);
    place(tools);
    scene.ui().Notify(Notification::PanelsChanged);
    tools.views().RenderAllViews();
}

void MappingGizmo::Cancel(Tools& tools)
{
    if (!dragging_)
        return;
    dragging_ = false;
    tools.mapping.Current() = firstStart_;
    place(tools);
    tools.scene().ui().Notify(Notification::PanelsChanged);
}

} // namespace corvid
