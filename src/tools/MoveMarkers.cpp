#include "tools/MoveMarkers.h"

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"
#include "tools/ToolMode.h"

#include <array>
#include <cmath>

namespace corvid {

namespace {

// The arrows' length as a share of the view's half width at the object.
constexpr float kApparentShare = 0.3f;
// Shaft and head of a unit arrow.
constexpr float kShaftRadius = 0.02f;
constexpr float kHeadRadius = 0.07f;
constexpr float kHeadLength = 0.25f;

// A unit arrow from the origin along axis (0 x, 1 y, 2 z): a three-sided
// shaft and a three-sided head, faces seen from outside.
MeshBuilderPtr BuildArrow(int axis, float r, float g, float b)
{
    auto mesh = MeshBuilder::Create();
    // Local (across1, across2, along) to the mesh's axes.
    auto point = [axis](float u, float v, float w) {
        Vec3 p;
        p[axis] = w;
        p[(axis + 1) % 3] = u;
        p[(axis + 2) % 3] = v;
        return p;
    };
    const float shaftEnd = 1.0f - kHeadLength;
    std::array<int, 3> foot{}, top{}, rim{};
    for (int i = 0; i < 3; ++i) {
        const float a = 2.0f * kPi * static_cast<float>(i) / 3.0f;
        const float c = std::cos(a), s = std::sin(a);
        foot[static_cast<size_t>(i)] = mesh->AddVertex(point(kShaftRadius * c, kShaftRadius * s, 0.0f));
        top[static_cast<size_t>(i)] = mesh->AddVertex(point(kShaftRadius * c, kShaftRadius * s, shaftEnd));
        rim[static_cast<size_t>(i)] = mesh->AddVertex(point(kHeadRadius * c, kHeadRadius * s, shaftEnd));
    }
    const int tip = mesh->AddVertex(point(0.0f, 0.0f, 1.0f));
    for (size_t i = 0; i < 3; ++i) {
        const size_t j = (i + 1) % 3;
        const int side[4] = {foot[i], foot[j], top[j], top[i]};
        mesh->AddFace(side);
        const int head[3] = {rim[i], rim[j], tip};
        mesh->AddFace(head);
    }
    const int base[3] = {rim[2], rim[1], rim[0]};
    mesh->AddFace(base);
    mesh->SetColorRGB(r, g, b);
    mesh->SetQuality(kShadeFlat | kLightOff | kFillSolid);
    return mesh;
}

// A wire square of half size 1 in the frame's x-y plane.
MeshBuilderPtr BuildPlaneSquare()
{
    auto mesh = MeshBuilder::Create();
    const int corners[4] = {mesh->AddVertex({-1, -1, 0}), mesh->AddVertex({1, -1, 0}), mesh->AddVertex({1, 1, 0}),
                            mesh->AddVertex({-1, 1, 0})};
    mesh->AddFace(corners);
    mesh->SetColorRGB(1.0f, 0.85f, 0.2f);
    mesh->SetQuality(kShadeFlat | kLightOff | kFillWireframe);
    return mesh;
}

// The redraw advances SCENE by this many ticks (edits advance it by 1).
constexpr float kRedrawTicks = 4.0f;
const char* const kFitCallbackTag = "corvid.moveMarkers";

FramePtr MarkerFrame(Frame& parent)
{
    FramePtr frame = Frame::Create(&parent);
    frame->SetZBufferMode(ZBufferMode::Disable);
    frame->SetTraversalOptions(0);
    return frame;
}

} // namespace

bool ShowsMoveMarkers(int mode)
{
    return mode == kModeMove || mode == kModeRotate || mode == kModeCopy || mode == kModePivot;
}

MoveMarkers::~MoveMarkers()
{
    // The frames may outlive the tools in the scene's tree.
    if (axes_)
        axes_->DeleteMoveCallback(kFitCallbackTag);
}

void MoveMarkers::build(ViewSet& views)
{
    Frame* holder = views.scene().GridFrame().get();
    if (!holder || (axes_ && axes_->GetParent() == holder))
        return;
    if (axes_)
        axes_->DeleteMoveCallback(kFitCallbackTag);
    axes_ = MarkerFrame(*holder);
    axes_->AddMoveCallback(kFitCallbackTag, [this, &views](Frame&, float delta) {
        if (delta == kRedrawTicks)
            Fit(views);
    });
    axes_->AddVisual(BuildArrow(0, 1.0f, 0.2f, 0.2f));
    axes_->AddVisual(BuildArrow(1, 0.2f, 1.0f, 0.2f));
    axes_->AddVisual(BuildArrow(2, 0.3f, 0.5f, 1.0f));
    plane_ = MarkerFrame(*holder);
    plane_->AddVisual(BuildPlaneSquare());
}

void MoveMarkers::Show(ViewSet& views)
{
    SceneModel& scene = views.scene();
    if (!scene.HasSelection() || !scene.SelectedFrame()) {
        Hide();
        return;
    }
    build(views);
    shown_ = axes_ != nullptr;
    Fit(views);
}

void MoveMarkers::Hide()
{
    shown_ = false;
    if (axes_)
        axes_->SetTraversalOptions(0);
    if (plane_)
        plane_->SetTraversalOptions(0);
}

void MoveMarkers::Fit(ViewSet& views)
{
    if (!shown_)
        return;
    SceneModel& scene = views.scene();
    const FramePtr camera = scene.ActiveCamera();
    // The selection went (a deletion, an undo) or New Scene replaced the
    // frames they hung on.
    if (!scene.HasSelection() || !scene.SelectedFrame() || !camera || !axes_ ||
        axes_->GetParent() != scene.GridFrame().get()) {
        Hide();
        return;
    }
    const Frame* sceneFrame = scene.Scene().get();
    const Vec3 origin = scene.SelectedFrame()->GetPosition(sceneFrame);
    const ViewRecord& view = views.ActiveView();
    const bool orthographic = view.projection == Projection::Orthographic;
    const float field = std::fabs(view.Field());
    const float halfWidth = orthographic ? field : field * Length(origin - camera->GetPosition(sceneFrame));
    const float length = halfWidth * kApparentShare > 0.0f ? halfWidth * kApparentShare : 1.0f;

    Matrix4 axes = Matrix4::Scale({length, length, length});
    axes.SetTranslation(origin);
    axes_->SetTransform(sceneFrame, axes);
    axes_->SetTraversalOptions(kRenderEnable);

    if (!orthographic) {
        plane_->SetTraversalOptions(0);
        return;
    }
    Vec3 direction, up;
    camera->GetOrientation(sceneFrame, direction, up);
    Matrix4 square = Matrix4::Scale({length * 0.6f, length * 0.6f, length * 0.6f}) * Matrix4::FromOrientation(direction, up);
    square.SetTranslation(origin);
    plane_->SetTransform(sceneFrame, square);
    plane_->SetTraversalOptions(kRenderEnable);
}

} // namespace corvid
