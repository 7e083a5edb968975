// The press, drag and release of every tool mode but navigation, as the
// viewports hand them over (render-surface pixels of the active viewport).
//
// A press with no other button down starts a gesture: the tools that work
// on what is under the cursor pick there with the left button (the
// geometry-only tools with PickObjectOnly); a right press works on the
// selection as it is. A second button pressed during a gesture does not pick
// again: it changes what the drag does (rotate about the viewing axis, move
// vertically...) from where things are at that moment.

#include "app/Ui.h"
#include "geometry/CreationGestures.h"
#include "geometry/Patch.h"
#include "platform/Frame.h"
#include "platform/Light.h"
#include "scene/Editor.h"
#include "scene/PlacementGestures.h"
#include "scene/Records.h"
#include "scene/ToolMode.h"
#include "scene/TransformTools.h"

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

} // namespace

void Editor::ToolPress(MouseButton button, int x, int y)
{
    sceneModified = true;
    ToolDragState& drag = toolDrag_;
    const bool first = !drag.AnyButton();
    if (first)
        drag.Reset();
    const bool left = button == MouseButton::Left;
    (left ? drag.left : drag.right) = true;
    drag.pressX = drag.lastX = x;
    drag.pressY = drag.lastY = y;
    // Only a gesture's first press, with the left button, picks.
    const bool picks = left && first;
    // A camera or light left unfinished by a change of tool is registered now.
    if (first && placement_.Pending() && placement_.mode != toolMode)
        placement::Settle(*this, placement_);
    // Likewise a primitive still being sized.
    if (first && creation_.Pending() && creation_.mode != toolMode)
        creation::Settle(*this, creation_);

    switch (toolMode) {
    case kModeMove:
        if (picks)
            Pick(x, y);
        tools::BeginMove(*this, drag);
        break;
    case kModeRotate:
        if (picks)
            Pick(x, y);
        drag.frame = selectedFrame_;
        break;
    case kModeScale:
        if (picks)
            PickObjectOnly(x, y);
        tools::BeginScale(*this, drag);
        break;
    case kModeUniformScale:
    case kModeStretch:
        if (picks)
            PickObjectOnly(x, y);
        tools::BeginMeshScale(*this, drag, toolMode == kModeUniformScale);
        break;
    case kModeLookAt:
        if (picks) {
            FramePtr source = selectedFrame_;
            Pick(x, y);
            LookAt(source, selectedFrame_);
        }
        break;
    case kModeStopLookAt:
        if (picks) {
            Pick(x, y);
            StopLookAt(selectedFrame_);
        }
        break;
    case kModeLightSettings:
        if (picks)
            Pick(x, y);
        else if (!left && first && pickedLight_)
            ui_.ShowLightSettings(*pickedLight_, x, y);
        break;
    case kModeDelete:
        if (picks) {
            Pick(x, y);
            if (FramePtr hit = selectedFrame_; hit && !IsControlPoint(hit))
                DeleteObjectTree(hit);
            ClearSelection();
            HideSelectionMarker();
            ClearObjectInfo();
            ui_.Notify(Notification::SelectionChanged);
        }
        break;
    case kModeCopy:
        if (picks) {
            Pick(x, y);
            if (selectedFrame_ && IsControlPoint(selectedFrame_))
                ClearSelection();
            else if (selectedFrame_)
                DuplicateObject(selectedFrame_, scene_);  // selects the copy
            tools::BeginMove(*this, drag);
        } else if (!first) {
            tools::BeginMove(*this, drag);
        }
        break;
    case kModePivot:
        if (picks) {
            PickObjectOnly(x, y);
            tools::BeginPivot(*this, drag);
        }
        break;
    case kModeOriginToCentre:
        if (picks) {
            PickObjectOnly(x, y);
            MoveOriginToCentre(selectedFrame_);
        }
        break;
    case kModeAttach:
    case kModeInsert:
        if (picks) {
            Pick(x, y);
            drag.source = selectedFrame_;
        }
        break;
    case kModeExtract:
    case kModeFlatten:
    case kModeUnlink:
        if (picks) {
            Pick(x, y);
            // By value: the operations may change the selection.
            FramePtr hit = selectedFrame_;
            if (toolMode == kModeExtract)
                Extract(hit);
            else if (toolMode == kModeFlatten)
                Flatten(hit);
            else
                Unlink(hit);
        }
        break;
    case kModeBSplinePatch:
    case kModeCatmullRomPatch:
        if (picks) {
            Pick(x, y);  // for the insertion point
            ClearSelection();
            BeginPatchGesture(*this, drag, toolMode == kModeBSplinePatch ? kPatchBSpline : kPatchCatmullRom);
        }
        break;
    case kModeShadow:
        if (picks) {
            // The light is the one selected before this click.
            if (pickedLight_ && selectedFrame_) {
                drag.light = pickedLight_;
                drag.source = selectedFrame_;
            }
            Pick(x, y);
        }
        break;

    // Tools that arrive with later work: relax, the deformers and multicopy;
    // booleans; painting; mapping.
    case kModeRelax:
    case kModeBend:
    case kModeTwist:
    case kModeTaper:
    case kModeBulge:
    case kModePull:
    case kModeMultiCopy:
        return;
    default:
        // The cameras, lights and primitives run gestures of their own.
        if (IsPlacementMode(toolMode))
            placement::Press(*this, placement_, left, first, x, y);
        else if (IsCreationMode(toolMode))
            creation::Press(*this, creation_, left, first, x, y);
        else
            return;
        break;
    }
    ui_.Notify(Notification::PanelsChanged);
    RenderAllViews();
}

void Editor::ToolDrag(int x, int y)
{
    ToolDragState& drag = toolDrag_;
    if (drag.AnyButton()) {
        switch (toolMode) {
        case kModeMove:
        case kModeCopy:
            tools::DragMove(*this, drag, x, y);
            break;
        case kModeRotate:
            tools::DragRotate(*this, drag, x, y);
            break;
        case kModeScale:
            tools::DragScale(*this, drag, x, y);
            break;
        case kModeUniformScale:
            tools::DragUniformScale(*this, drag, x, y);
            break;
        case kModeStretch:
            tools::DragStretch(*this, drag, x, y);
            break;
        case kModePivot:
            tools::DragPivot(*this, drag, x, y);
            break;
        case kModeBSplinePatch:
        case kModeCatmullRomPatch:
            DragPatchGesture(*this, drag, x, y);
            break;
        default:
            if (IsPlacementMode(toolMode))
                placement::Drag(*this, placement_, drag, x, y);
            break;
        }
    } else if (IsPlacementMode(toolMode)) {
        // Aiming a camera or light: moves without a button.
        placement::Aim(*this, placement_, drag.lastX, drag.lastY, x, y);
    }
    // A primitive's later stages follow the cursor with or without a button.
    if (IsCreationMode(toolMode))
        creation::Move(*this, creation_, drag.AnyButton(), x, y);
    drag.lastX = x;
    drag.lastY = y;
}

void Editor::ToolRelease(MouseButton button, int x, int y)
{
    ToolDragState& drag = toolDrag_;
    const bool left = button == MouseButton::Left;
    const bool wasDown = left ? drag.left : drag.right;
    (left ? drag.left : drag.right) = false;
    const bool last = !drag.AnyButton();
    drag.lastX = x;
    drag.lastY = y;
    if (!wasDown)
        return;  // a release without its press (the press went to another window)

    switch (toolMode) {
    case kModeAttach:
    case kModeInsert:
        if (left && drag.source) {
            FramePtr source = drag.source;
            if (Pick(x, y)) {
                FramePtr target = selectedFrame_;
                if (toolMode == kModeAttach)
                    Attach(source, target);
                else
                    Insert(source, target);
            }
        }
        break;
    case kModeShadow:
        if (left && drag.light && drag.source && selectedFrame_ && currentVisual_ && IsMeshObject(selectedFrame_))
            CastShadow(*drag.source, *drag.light, selectedFrame_, currentVisual_);
        break;
    case kModeBSplinePatch:
    case kModeCatmullRomPatch:
        if (left && drag.frame)
            EndPatchGesture(*this, drag, toolMode == kModeBSplinePatch ? kPatchBSpline : kPatchCatmullRom);
        break;
    case kModePivot:
        if (last && drag.pivotGizmo)
            tools::EndPivot(*this, drag);
        break;
    case kModeScale:
    case kModeUniformScale:
    case kModeStretch:
        // The button still down carries on from the shape reached so far.
        if (!last && drag.frame) {
            drag.pressX = x;
            drag.pressY = y;
            if (toolMode == kModeScale)
                tools::BeginScale(*this, drag);
            else
                tools::BeginMeshScale(*this, drag, toolMode == kModeUniformScale);
        }
        break;
    default:
        if (IsPlacementMode(toolMode))
            placement::Release(*this, placement_, last);
        else if (IsCreationMode(toolMode))
            creation::Release(*this, creation_, left, x, y);
        break;
    }
    if (last)
        drag.Reset();
    RenderAllViews();
}

} // namespace corvid
