#pragma once
// The tool state over the scene model and its views: the tool mode and its
// parameters, the gesture in progress, and the press / drag / release of
// every tool, as the viewports hand them over.
//
// A gesture, from the first press to the release of the last button (and
// for cameras, lights and the staged primitives on to the press that ends
// their last stage), is one step of the edit history. While the transport
// animates, a gesture's first press keeps the selection's start keys and
// its last release the keys at the current frame; a press while playing
// stops the playback.

#include "geometry/Deformers.h"
#include "geometry/MultiCopy.h"
#include "geometry/Patch.h"
#include "geometry/Primitives.h"
#include "geometry/Relax.h"
#include "materials/PaintState.h"
#include "platform/Fwd.h"
#include "scene/SceneModel.h"
#include "materials/Mapping.h"
#include "tools/CreationGestures.h"
#include "tools/MappingGizmo.h"
#include "tools/MoveMarkers.h"
#include "tools/PlacementGestures.h"
#include "tools/ToolDragState.h"

#include <array>
#include <string>

namespace corvid {

class Transport;
class ViewSet;
class ViewWindow;

enum class MouseButton { Left, Right };

// The key code of Escape as the viewports pass it on (Delete: kKeyDelete).
constexpr int kKeyEscape = 27;

class Tools {
public:
    Tools(SceneModel& scene, ViewSet& views, Transport& transport);
    Tools(const Tools&) = delete;
    Tools& operator=(const Tools&) = delete;

    SceneModel& scene() { return scene_; }
    ViewSet& views() { return views_; }
    Transport& transport() { return transport_; }
    Ui& ui() { return scene_.ui(); }

    // The tool mode (tools/ToolMode.h) and the stage of a staged tool.
    int mode = 0;
    int stage = 0;

    // The light tools' parameters, indexed by LightType.
    std::array<LightToolParameters, 5> lightTools{};
    // The patch tools (geometry/Patch.h): rows, columns and steps of both
    // families, the evaluation buffer and the control-point marker mesh.
    PatchParameters patches;
    // The primitive tools (geometry/Primitives.h): segments, divisions,
    // caps, exponents and sizes, and the sizing style of the cube, cylinder
    // and cone; their windows edit them and restore the defaults.
    PrimitiveParameters primitives;
    // The deformers' blocks (geometry/Deformers.h), relax's axes and the
    // multicopy steps; tools/DeformGestures.h runs them.
    DeformerSet deformers;
    RelaxParameters relax;
    MultiCopyParameters multiCopy;
    // The painting tools' paint material, texture and switches.
    PaintState paint;
    // The texture-mapping window's settings (materials/Mapping.h) and the
    // gizmo of the mapping tools.
    Mapping mapping;
    MappingGizmo mappingGizmo;

    // --- the press, drag and release of every mode but navigation (ToolDispatch.cpp),
    // in render-surface pixels of the active viewport ---------------------------------
    void Press(MouseButton button, int x, int y);
    void Drag(int x, int y);
    void Release(MouseButton button, int x, int y);
    // True while a button is down in a gesture.
    bool ButtonsDown() const { return drag_.AnyButton(); }
    // Ends a gesture that waits for no button (a camera being aimed, a
    // primitive being shaped): registers what it made and closes its step
    // of the edit history. False while a button is down.
    bool FinishGesture();
    // Escape: cancels the gesture in progress (a drag, an object still being
    // sized, placed or aimed), putting back everything as it was at its first
    // press; the edit history is left as if it never happened. The buttons
    // still down do nothing more until they are released. False when no
    // gesture was in progress.
    bool CancelGesture();

    // --- viewport input (ViewportInput.cpp) ------------------------------------------
    // The viewport windows call these with window pixels; they scale them to
    // render-surface pixels by the detail level, make viewport n active, keep
    // the button flags and the last position, run the navigation modes 1..6
    // and hand every other mode to Press / Drag / Release.
    void ViewportMouseDown(int n, MouseButton button, int windowX, int windowY);
    void ViewportMouseMove(int n, int windowX, int windowY);
    void ViewportMouseUp(int n, MouseButton button, int windowX, int windowY);
    // The Delete key, Escape (CancelGesture) and any other key the viewports
    // pass on.
    void ViewportKeyDown(int n, int key);
    // The main menu's "Viewport n Menu ..." items: activates viewport n as a
    // left press would and opens its popup menu at its top-left corner.
    void ShowViewportMenu(int n);

    // --- the "Objects List" (ObjectsList.cpp): what the person does with its items,
    // each standing for the frame passed ---------------------------------------------
    // Selects frame; nothing when it is already selected or has no visual.
    bool SelectFromTree(FramePtr frame);
    // Renames frame's object; refused (false) for WORLD, SCENE and an empty text.
    bool RenameFromTree(FramePtr frame, const std::string& text);
    // Re-parents dragged under target and re-creates the items of its subtree;
    // refused with a beep onto itself, a descendant or its current parent.
    bool DropInTree(FramePtr dragged, FramePtr target);
    // Deletes frame and its subtree; "Can not delete WORLD" / "SCENE".
    bool DeleteFromTree(FramePtr frame);
    // A check box: checked shows the object rendered and pickable, clear
    // neither. The box is set to match.
    bool SetShownFromTree(FramePtr frame, bool shown);

    // Fits the selection marker and the move-axis markers to the selection
    // and the active view.
    void FitMarkers();

    // The tool gesture in progress (buttons, positions, state at the press).
    const ToolDragState& Gesture() const { return drag_; }
    // The camera or light a placement tool is making, until it is registered.
    const PlacementState& Placement() const { return placement_; }
    // The primitive a creation tool is making, until it is registered.
    const CreationState& Creation() const { return creation_; }
    // The move-axis markers the move, rotate, copy and pivot tools show on
    // the object they picked.
    const MoveMarkers& Markers() const { return moveMarkers_; }

private:
    void activateForInput(int n);
    // A gesture's step of the edit history, open from its first press until
    // no button is down and nothing waits to be finished.
    void beginGesture();
    void endGesture();
    // After a press or release: the information panel, the marker and the
    // Objects List show the selection as the gesture left it.
    void showSelection();

    SceneModel& scene_;
    ViewSet& views_;
    Transport& transport_;
    ToolDragState drag_;
    PlacementState placement_;
    CreationState creation_;
    MoveMarkers moveMarkers_;
    // The viewport window that took the last press (input code only).
    ViewWindow* pressedWindow_ = nullptr;
    bool gestureOpen_ = false;
};

} // namespace corvid
