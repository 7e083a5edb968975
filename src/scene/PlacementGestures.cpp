#include "scene/PlacementGestures.h"

#include "app/Ui.h"
#include "platform/Frame.h"
#include "platform/Light.h"
#include "scene/Editor.h"
#include "scene/ToolDragState.h"
#include "scene/ToolMode.h"
#include "scene/TransformTools.h"

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

void Redraw(Editor& editor)
{
    editor.FitSelectionMarker();
    editor.RefreshObjectInfo();
    editor.ui().Notify(Notification::PanelsChanged);
    editor.RenderAllViews();
}

void Create(Editor& editor, PlacementState& state)
{
    state = PlacementState{};
    state.mode = editor.toolMode;
    state.base = editor.insertionPoint;
    if (editor.toolMode == kModeCamera) {
        state.frame = editor.CreateCamera();
    } else {
        state.frame = editor.CreateLight(LightTypeOf(editor.toolMode));
        state.light = editor.PickedLight();
    }
}

// Turns frame by rotation (relative to SCENE) about its own origin.
void TurnInPlace(Editor& editor, Frame& frame, const Matrix4& rotation)
{
    const Frame* scene = editor.Scene().get();
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

void Settle(Editor& editor, PlacementState& state)
{
    if (!state.Pending())
        return;
    PlacementState done = std::move(state);
    state = PlacementState{};
    // Deleted while it was being placed: nothing left to register.
    if (!editor.Scene()->IsAncestorOf(done.frame.get()) || done.frame == editor.Scene())
        return;
    editor.RegisterObject(done.frame);
    if (done.light)
        editor.RegisterLight(done.light);
}

void Press(Editor& editor, PlacementState& state, bool left, bool first, int x, int y)
{
    int& stage = editor.toolState;
    if (stage == kPlacementAiming && state.Pending()) {
        // The aim is taken; the release of this press registers.
        if (first)
            stage = kPlacementIdle;
        return;
    }
    // A second button during the height drag changes nothing.
    if (!first)
        return;
    Settle(editor, state);
    stage = kPlacementIdle;
    if (!left) {
        Create(editor, state);
        Settle(editor, state);
        Redraw(editor);
        return;
    }
    editor.Pick(x, y);
    Create(editor, state);
    state.pressY = y;
    state.unitsPerPixel = UnitsPerPixel(editor, state.base).value_or(0.0f);
    stage = kPlacementHeight;
    Redraw(editor);
}

void Drag(Editor& editor, PlacementState& state, const ToolDragState& drag, int x, int y)
{
    (void)x;
    if (editor.toolState != kPlacementHeight || !state.Pending() || !drag.left || state.unitsPerPixel <= 0.0f)
        return;
    Vec3 at = state.base;
    at.y += static_cast<float>(state.pressY - y) * state.unitsPerPixel;
    state.frame->SetPosition(editor.Scene().get(), at);
    Redraw(editor);
}

void Aim(Editor& editor, PlacementState& state, int lastX, int lastY, int x, int y)
{
    if (editor.toolState != kPlacementAiming || !state.Pending() || state.mode != editor.toolMode)
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
        Vec3 right = state.frame->GetTransform(editor.Scene().get()).Row(0);
        rotation = yaw * Matrix4::Rotation(yaw.TransformVector(right), turnUpDown);
    } else {
        auto axes = ActiveViewAxes(editor);
        if (!axes)
            return;
        rotation = Matrix4::Rotation(axes->Row(1), turnAcross) * Matrix4::Rotation(axes->Row(0), turnUpDown);
    }
    TurnInPlace(editor, *state.frame, rotation);
    Redraw(editor);
}

void Release(Editor& editor, PlacementState& state, bool last)
{
    if (!last || !state.Pending())
        return;
    if (editor.toolState == kPlacementHeight && PlacementAims(state.mode)) {
        editor.toolState = kPlacementAiming;
        return;
    }
    if (editor.toolState == kPlacementHeight || editor.toolState == kPlacementIdle) {
        editor.toolState = kPlacementIdle;
        Settle(editor, state);
        Redraw(editor);
    }
}

} // namespace placement
} // namespace corvid
