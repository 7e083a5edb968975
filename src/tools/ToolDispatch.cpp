// The press, drag and release of every tool mode but navigation, as the
// viewports hand them over (render-surface pixels of the active viewport).
//
// A press with no other button down starts a gesture: the tools that work
// on what is under the cursor pick there with the left button (the
// geometry-only tools with PickObjectOnly); a right press works on the
// selection as it is. A second button pressed during a gesture does not pick
// again: it changes what the drag does (rotate about the viewing axis, move
// vertically...) from where things are at that moment.

#include "scene/Ui.h"
#include "tools/BooleanGesture.h"
#include "tools/CreationGestures.h"
#include "tools/DeformGestures.h"
#include "geometry/Patch.h"
#include "tools/PaintGestures.h"
#include "tools/PatchGesture.h"
#include "platform/Frame.h"
#include "platform/Light.h"
#include "anim/Transport.h"
#include "render/ViewSet.h"
#include "scene/EditParts.h"
#include "scene/SceneModel.h"
#include "tools/Tools.h"
#include "tools/PlacementGestures.h"
#include "scene/Records.h"
#include "tools/ToolMode.h"
#include "tools/TransformTools.h"
#include "tools/ViewTools.h"

namespace corvid {

namespace {

bool IsControlPoint(const FramePtr& frame)
{
    const ObjectRecord* record = RecordOf(frame.get());
    return record && record->kind == kControlPoint;
}

bool IsMeshObject(const FramePtr& frame)
{
    const ObjectRecord* record = RecordOf(frame.get());
    return record && record->kind != kLight && record->kind != kCamera;
}

// The name of a gesture's step until an operation inside it names it.
const char* GestureName(int mode)
{
    switch (mode) {
    case kModeMove:
        return "Move";
    case kModeRotate:
        return "Rotate";
    case kModeScale:
    case kModeUniformScale:
        return "Scale";
    case kModeStretch:
        return "Stretch";
    case kModeCopy:
        return "Copy";
    case kModePivot:
        return "Move Pivot";
    default:
        return "Edit";
    }
}

} // namespace

void Tools::beginGesture()
{
    if (gestureOpen_)
        return;
    gestureOpen_ = true;
    scene_.History().Begin(GestureName(mode), true);
}

void Tools::endGesture()
{
    if (!gestureOpen_ || drag_.AnyButton() || creation_.Pending() || placement_.Pending())
        return;
    gestureOpen_ = false;
    scene_.History().End();
}

bool Tools::FinishGesture()
{
    if (drag_.AnyButton())
        return false;
    const bool settled = placement_.Pending() || creation_.Pending();
    if (placement_.Pending())
        placement::Settle(*this, placement_);
    if (creation_.Pending())
        creation::Settle(*this, creation_);
    stage = 0;
    endGesture();
    if (settled)
        showSelection();  // the object just listed is the one selected
    return true;
}

bool Tools::CancelGesture()
{
    if (drag_.cancelled || (!gestureOpen_ && !drag_.AnyButton()))
        return false;
    // What the gesture made outside the edit history: the pivot tool's
    // gizmo and the patch tools' box (a frame without a record).
    auto removeFrame = [](const FramePtr& frame) {
        if (frame)
            if (Frame* parent = frame->GetParent())
                parent->DeleteChild(frame.get());
    };
    removeFrame(drag_.pivotGizmo);
    if (drag_.frame && !RecordOf(drag_.frame.get()))
        removeFrame(drag_.frame);
    // What the press picked stays selected when it is still there; an
    // object made by the gesture leaves with the step that brought it in.
    const FramePtr picked = scene_.SelectedFrame();
    const MeshBuilderPtr pickedVisual = scene_.CurrentVisual();
    const LightPtr pickedLight = scene_.PickedLight();
    creation_ = CreationState{};
    placement_ = PlacementState{};
    stage = 0;
    drag_.Reset();
    drag_.cancelled = drag_.AnyButton();
    if (gestureOpen_) {
        gestureOpen_ = false;
        scene_.History().Abandon();
    }
    mappingGizmo.Cancel(*this);
    if (picked && scene_.Scene()->IsAncestorOf(picked.get()))
        scene_.SetSelection(picked, pickedVisual, pickedLight);
    showSelection();
    views_.RenderAllViews();
    return true;
}

void Tools::showSelection()
{
    // The marker shows whenever something is selected, however it was
    // selected (a pick, a new object, the Objects List, a cancel).
    if (scene_.HasSelection() && scene_.SelectedFrame() && views_.markersEnabled && scene_.MarkerFrame())
        scene_.MarkerFrame()->SetTraversalOptions(kRenderEnable);
    views_.ShowSelection();
    moveMarkers_.Fit(views_);
}

void Tools::FitMarkers()
{
    views_.FitSelectionMarker();
    moveMarkers_.Fit(views_);
}

void Tools::Press(MouseButton button, int x, int y)
{
    ToolDragState& drag = drag_;
    const bool left = button == MouseButton::Left;
    if (drag.cancelled) {
        // A button pressed while a cancelled gesture still holds another.
        (left ? drag.left : drag.right) = true;
        return;
    }
    // A right press while a primitive is being made takes it back, as
    // Escape does.
    if (!left && creation_.Pending() && creation_.mode == mode) {
        CancelGesture();
        drag.right = true;
        drag.cancelled = true;
        return;
    }
    const bool first = !drag.AnyButton();
    if (first) {
        // A press in a viewport stops a playback where it is.
        if (transport_.Playing())
            transport_.Stop();
        drag.Reset();
        // A camera or light left unfinished by a change of tool is registered
        // now, and likewise a primitive still being sized: that ends the
        // gesture that made them. This press begins the next one (or goes on
        // with the staged gesture in progress).
        if (placement_.Pending() && placement_.mode != mode)
            placement::Settle(*this, placement_);
        if (creation_.Pending() && creation_.mode != mode)
            creation::Settle(*this, creation_);
        endGesture();
    }
    beginGesture();
    (left ? drag.left : drag.right) = true;
    drag.pressX = drag.lastX = x;
    drag.pressY = drag.lastY = y;
    // Only a gesture's first press, with the left button, picks.
    const bool picks = left && first;

    switch (mode) {
    case kModeMove:
        if (picks)
            views_.Pick(x, y);
        transform::BeginMove(*this, drag);
        break;
    case kModeRotate:
        if (picks)
            views_.Pick(x, y);
        drag.frame = scene_.SelectedFrame();
        scene_.History().Touch<TransformAspect>(drag.frame);
        break;
    case kModeScale:
        if (picks)
            views_.PickObjectOnly(x, y);
        transform::BeginScale(*this, drag);
        break;
    case kModeUniformScale:
    case kModeStretch:
        if (picks)
            views_.PickObjectOnly(x, y);
        transform::BeginMeshScale(*this, drag, mode == kModeUniformScale);
        break;
    case kModeLookAt:
        if (picks) {
            FramePtr source = scene_.SelectedFrame();
            views_.Pick(x, y);
            scene_.LookAt(source, scene_.SelectedFrame());
        }
        break;
    case kModeStopLookAt:
        if (picks) {
            views_.Pick(x, y);
            scene_.StopLookAt(scene_.SelectedFrame());
        }
        break;
    case kModeLightSettings:
        if (picks)
            views_.Pick(x, y);
        else if (!left && first && scene_.PickedLight())
            ui().ShowLightSettings(*scene_.PickedLight(), x, y);
        break;
    case kModeDelete:
        if (picks) {
            views_.Pick(x, y);
            if (FramePtr hit = scene_.SelectedFrame(); hit && !IsControlPoint(hit))
                scene_.DeleteObjectTree(hit);
            scene_.ClearSelection();
            views_.HideSelectionMarker();
            views_.ClearObjectInfo();
            ui().Notify(Notification::SelectionChanged);
        }
        break;
    case kModeCopy:
        if (picks) {
            views_.Pick(x, y);
            if (scene_.SelectedFrame() && IsControlPoint(scene_.SelectedFrame()))
                scene_.ClearSelection();
            else if (scene_.SelectedFrame())
                scene_.DuplicateObject(scene_.SelectedFrame(), scene_.Scene());  // selects the copy
            transform::BeginMove(*this, drag);
        } else if (!first) {
            transform::BeginMove(*this, drag);
        }
        break;
    case kModePivot:
        if (picks) {
            views_.PickObjectOnly(x, y);
            transform::BeginPivot(*this, drag);
        }
        break;
    case kModeOriginToCentre:
        if (picks) {
            views_.PickObjectOnly(x, y);
            scene_.MoveOriginToCentre(scene_.SelectedFrame());
        }
        break;
    case kModeAttach:
    case kModeInsert:
        if (picks) {
            views_.Pick(x, y);
            drag.source = scene_.SelectedFrame();
        }
        break;
    case kModeExtract:
    case kModeFlatten:
    case kModeUnlink:
        if (picks) {
            views_.Pick(x, y);
            // By value: the operations may change the selection.
            FramePtr hit = scene_.SelectedFrame();
            if (mode == kModeExtract)
                scene_.Extract(hit);
            else if (mode == kModeFlatten)
                scene_.Flatten(hit);
            else
                scene_.Unlink(hit);
        }
        break;
    case kModeBSplinePatch:
    case kModeCatmullRomPatch:
        if (picks) {
            views_.Pick(x, y);  // for the insertion point
            scene_.ClearSelection();
            BeginPatchGesture(*this, drag, mode == kModeBSplinePatch ? kPatchBSpline : kPatchCatmullRom);
        }
        break;
    case kModeCentreActive:
    case kModeCentreAll:
    case kModeFrameActive:
    case kModeFrameAll:
        if (picks && views_.Pick(x, y)) {
            RunViewOperation(views_, mode);
            FitMarkers();
        }
        break;
    case kModeShadow:
        if (picks) {
            // The light is the one selected before this click.
            if (scene_.PickedLight() && scene_.SelectedFrame()) {
                drag.light = scene_.PickedLight();
                drag.source = scene_.SelectedFrame();
            }
            views_.Pick(x, y);
        }
        break;
    case kModeMappingFirst:
    case kModeMappingFirst + 1:
    case kModeMappingLast:
        mappingGizmo.Press(*this, left, first, x, y);
        break;

    case kModePaintFace:
    case kModePaintObject:
    case kModePickUpMaterial:
    case kModePaintMatching:
        if (picks)
            PaintPress(*this, mode, x, y);
        break;

    case kModeRelax:
        if (first) {
            if (picks)
                views_.PickObjectOnly(x, y);
            deform::RelaxSelection(*this);
        }
        break;
    case kModeBend:
    case kModeTwist:
    case kModeTaper:
    case kModeBulge:
    case kModePull:
        if (first) {
            if (picks)
                views_.PickObjectOnly(x, y);
            deform::Begin(*this, drag, *DeformerOfMode(mode), picks && scene_.SelectedFrame());
        }
        break;
    case kModeMultiCopy:
        if (first) {
            if (picks)
                views_.Pick(x, y);
            deform::MultiCopySelection(*this);
        }
        break;
    default:
        // The cameras, lights and primitives run gestures of their own.
        if (IsPlacementMode(mode))
            placement::Press(*this, placement_, left, first, x, y);
        else if (IsCreationMode(mode))
            creation::Press(*this, creation_, left, first, x, y);
        else if (IsBooleanMode(mode) && picks)
            PressBoolean(*this, x, y);
        else
            return;
        break;
    }
    // While animating, what the gesture is about to change keeps its value
    // at frame 0 (once: the start flags).
    if (first && transport_.animation().IsAnimating())
        transport_.animation().RecordStartKeys(scene_.SelectedFrame());
    // A pick hides the move-axis markers; the tools that move what they
    // picked show them on it again.
    if (picks) {
        if (ShowsMoveMarkers(mode))
            moveMarkers_.Show(views_);
        else
            moveMarkers_.Hide();
    }
    showSelection();
    views_.RenderAllViews();
}

void Tools::Drag(int x, int y)
{
    ToolDragState& drag = drag_;
    if (drag.cancelled) {
        drag.lastX = x;
        drag.lastY = y;
        return;
    }
    if (drag.AnyButton()) {
        switch (mode) {
        case kModeMove:
        case kModeCopy:
            transform::DragMove(*this, drag, x, y);
            break;
        case kModeRotate:
            transform::DragRotate(*this, drag, x, y);
            break;
        case kModeScale:
            transform::DragScale(*this, drag, x, y);
            break;
        case kModeUniformScale:
            transform::DragUniformScale(*this, drag, x, y);
            break;
        case kModeStretch:
            transform::DragStretch(*this, drag, x, y);
            break;
        case kModePivot:
            transform::DragPivot(*this, drag, x, y);
            break;
        case kModeBSplinePatch:
        case kModeCatmullRomPatch:
            DragPatchGesture(*this, drag, x, y);
            break;
        case kModeBend:
        case kModeTwist:
        case kModeTaper:
        case kModeBulge:
        case kModePull:
            deform::Update(*this, drag, x, y);
            break;
        case kModeMappingFirst:
        case kModeMappingFirst + 1:
        case kModeMappingLast:
            mappingGizmo.Drag(*this, x, y);
            break;
        default:
            if (IsPlacementMode(mode))
                placement::Drag(*this, placement_, drag, x, y);
            break;
        }
    } else if (IsPlacementMode(mode)) {
        // Aiming a camera or light: moves without a button.
        placement::Aim(*this, placement_, drag.lastX, drag.lastY, x, y);
    }
    // A primitive's later stages follow the cursor with or without a button.
    if (IsCreationMode(mode))
        creation::Move(*this, creation_, drag.AnyButton(), x, y);
    drag.lastX = x;
    drag.lastY = y;
}

void Tools::Release(MouseButton button, int x, int y)
{
    ToolDragState& drag = drag_;
    const bool left = button == MouseButton::Left;
    const bool wasDown = left ? drag.left : drag.right;
    (left ? drag.left : drag.right) = false;
    const bool last = !drag.AnyButton();
    drag.lastX = x;
    drag.lastY = y;
    if (!wasDown)
        return;  // a release without its press (the press went to another window)
    if (drag.cancelled) {
        drag.cancelled = !last;
        views_.RenderAllViews();
        return;
    }

    switch (mode) {
    case kModeAttach:
    case kModeInsert:
        if (left && drag.source) {
            FramePtr source = drag.source;
            if (views_.Pick(x, y)) {
                FramePtr target = scene_.SelectedFrame();
                if (mode == kModeAttach)
                    scene_.Attach(source, target);
                else
                    scene_.Insert(source, target);
            }
        }
        break;
    case kModeShadow:
        if (left && drag.light && drag.source && scene_.SelectedFrame() && scene_.CurrentVisual() && IsMeshObject(scene_.SelectedFrame()))
            scene_.CastShadow(*drag.source, *drag.light, scene_.SelectedFrame(), scene_.CurrentVisual());
        break;
    case kModeBSplinePatch:
    case kModeCatmullRomPatch:
        if (left && drag.frame)
            EndPatchGesture(*this, drag, mode == kModeBSplinePatch ? kPatchBSpline : kPatchCatmullRom);
        break;
    case kModePivot:
        if (last && drag.pivotGizmo)
            transform::EndPivot(*this, drag);
        break;
    case kModeScale:
    case kModeUniformScale:
    case kModeStretch:
        // The button still down carries on from the shape reached so far.
        if (!last && drag.frame) {
            drag.pressX = x;
            drag.pressY = y;
            if (mode == kModeScale)
                transform::BeginScale(*this, drag);
            else
                transform::BeginMeshScale(*this, drag, mode == kModeUniformScale);
        }
        break;
    default:
        if (IsPlacementMode(mode))
            placement::Release(*this, placement_, last);
        else if (IsCreationMode(mode))
            creation::Release(*this, creation_, left, x, y);
        else if (IsBooleanMode(mode) && left)
            ReleaseBoolean(*this, mode, x, y);
        break;
    }
    if (last) {
        // While animating, the gesture's result is the key at the current frame.
        if (transport_.animation().IsAnimating())
            transport_.animation().RecordCurrentKeys(scene_.SelectedFrame());
        drag.Reset();
        endGesture();
        showSelection();
    }
    views_.RenderAllViews();
}

} // namespace corvid
