#include "tools/PlacementGestures.h"

#include "scene/Ui.h"
#include "platform/Frame.h"
#include "platform/Light.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"
#include "tools/Tools.h"
#include "tools/ToolDragState.h"
#include "tools/ToolMode.h"
#include "tools/TransformTools.h"

#include <cmath>

namespace corvid {

namespace {

LightType LightTypeOf(int mode)
{
    switch (mode) {
    case kModePointLight:
        return LightType::Point;
    case kModeDirectionalLight:
        return LightType::Directional;
    case kModeSpotLight:
        return LightType::Spot;
    case kModeParallelPointLight:
        return LightType::ParallelPoint;
    default:
        return LightType::Ambient;
    }
}

void Redraw(Tools& tools)
{
    tools.views().FitSelectionMarker();
    tools.views().RefreshObjectInfo();
    tools.ui().Notify(Notification::PanelsChanged);
    tools.views().RenderAllViews();
}

void Create(Tools& tools, PlacementState& state)
{
    state = PlacementState{};
    state.mode = tools.mode;
    state.base = tools.scene().insertionPoint;
    if (tools.mode == kModeCamera) {
        state.frame = tools.scene().CreateCamera();
    } else {
        state.frame = tools.scene().CreateLight(LightTypeOf(tools.mode), tools.lightTools[static_cast<int>(LightTypeOf(tools.mode))]);
        state.light = tools.scene().PickedLight();
    }
}

// Turns frame by rotation (relative to SCENE) about its own origin.
void TurnInPlace(Tools& tools, Frame& frame, const Matrix4& rotation)
{
    const Frame* scene = tools.scene().Scene().get();
    Matrix4 transform = frame.GetTransform(scene);
    Vec3 origin = transform.GetTranslation();
    frame.SetTransform(scene, transform * Matrix4::Translation(-origin) * rotation * Matrix4::Translation(origin));
}

} // namespace

float AimStepAngle(int d, int dx, int dy)
{
    float fx = static_cast<float>(dx), fy = static_cast<float>(dy);
    return 4.0f * static_cast<float>(d) / std::sqrt(fx * fx + fy * fy + kAimPixels * kAimPixels);
}

bool IsPlacementMode(int mode)
{
    return mode == kModeCamera || (mode >= kModeAmbientLight && mode <= kModeParallelPointLight);
}

bool PlacementAims(int mode)
{
    return mode == kModeCamera || mode == kModeDirectionalLight || mode == kModeSpotLight ||
           mode == kModeParallelPointLight;
}

namespace placement {

void Settle(Tools& tools, PlacementState& state)
{
    if (!state.Pending())
        return;
    PlacementState done = std::move(state);
    state = PlacementState{};
    // Deleted while it was being placed: nothing left to register.
    if (!tools.scene().Scene()->IsAncestorOf(done.frame.get()) || done.frame == tools.scene().Scene())
        return;
    tools.scene().RegisterObject(done.frame);
    if (done.light)
        tools.scene().RegisterLight(done.light);
}

void Press(Tools& tools, PlacementState& state, bool left, bool first, int x, int y)
{
    int& stage = tools.stage;
    if (stage == kPlacementAiming && state.Pending()) {
        // The aim is taken; the release of this press registers.
        if (first)
            stage = kPlacementIdle;
        return;
    }
    // A second button during the height drag changes nothing.
    if (!first)
        return;
    Settle(tools, state);
    stage = kPlacementIdle;
    if (!left) {
        Create(tools, state);
        Settle(tools, state);
        Redraw(tools);
        return;
    }
    tools.views().Pick(x, y);
    Create(tools, state);
    state.pressY = y;
    state.unitsPerPixel = UnitsPerPixel(tools.views(), state.base).value_or(0.0f);
    stage = kPlacementHeight;
    Redraw(tools);
}

void Drag(Tools& tools, PlacementState& state, const ToolDragState& drag, int x, int y)
{
    (void)x;
    if (tools.stage != kPlacementHeight || !state.Pending() || !drag.left || state.unitsPerPixel <= 0.0f)
        return;
    Vec3 at = state.base;
    at.y += static_cast<float>(state.pressY - y) * state.unitsPerPixel;
    state.frame->SetPosition(tools.scene().Scene().get(), at);
    Redraw(tools);
}

void Aim(Tools& tools, PlacementState& state, int lastX, int lastY, int x, int y)
{
    if (tools.stage != kPlacementAiming || !state.Pending() || state.mode != tools.mode)
        return;
    const int dx = x - lastX, dy = y - lastY;
    if (dx == 0 && dy == 0)
        return;
    // Positive turns swing the forward axis right (about an up axis) and
    // down (about a right axis): with the cursor.
    const float turnAcross = AimStepAngle(dx, dx, dy);
    const float turnUpDown = AimStepAngle(dy, dx, dy);
    Matrix4 rotation;
    if (state.mode == kModeCamera) {
        const Vec3 up{0.0f, 1.0f, 0.0f};
        Matrix4 yaw = Matrix4::Rotation(up, turnAcross);
        Vec3 right = state.frame->GetTransform(tools.scene().Scene().get()).Row(0);
        rotation = yaw * Matrix4::Rotation(yaw.TransformVector(right), turnUpDown);
    } else {
        auto axes = ActiveViewAxes(tools.views());
        if (!axes)
            return;
        rotation = Matrix4::Rotation(axes->Row(1), turnAcross) * Matrix4::Rotation(axes->Row(0), turnUpDown);
    }
    TurnInPlace(tools, *state.frame, rotation);
    Redraw(tools);
}

void Release(Tools& tools, PlacementState& state, bool last)
{
    if (!last || !state.Pending())
        return;
    if (tools.stage == kPlacementHeight && PlacementAims(state.mode)) {
        tools.stage = kPlacementAiming;
        return;
    }
    if (tools.stage == kPlacementHeight || tools.stage == kPlacementIdle) {
        tools.stage = kPlacementIdle;
        Settle(tools, state);
        Redraw(tools);
    }
}

} // namespace placement
} // namespace corvid
