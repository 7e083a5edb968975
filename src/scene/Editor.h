#pragma once
// The application-wide state: the scene roots, the selection, the insertion
// point, the user camera and light tables, the name and material counters,
// the tool parameters, and the operations that create, duplicate and delete
// objects. One Editor per program; every window and command holds a pointer
// to it. Everything here is Qt-free; the person is reached through the Ui.

#include "platform/Fwd.h"
#include "platform/Light.h"
#include "platform/Math.h"
#include "render/DriverRecord.h"
#include "render/MenuModel.h"
#include "render/Navigation.h"
#include "render/ObjectInfo.h"
#include "render/Picking.h"
#include "render/SelectionMarker.h"
#include "render/ViewGeometry.h"
#include "render/ViewRecord.h"
#include "geometry/CreationGestures.h"
#include "geometry/Patch.h"
#include "scene/PlacementGestures.h"
#include "scene/SceneContext.h"
#include "scene/ToolDragState.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvid {

class Ui;
class DeviceFactory;
struct ObjectRecord;

enum class MouseButton { Left, Right };

constexpr int kMaxUserCameras = 1000;
constexpr int kMaxUserLights = 1000;
constexpr int kCameraMenuBase = 2222;
constexpr int kLightMenuBase = 3333;

// Default-name counters. Each starts at 0 with the program, is read for a name
// and then incremented, and is never reset (not by New Scene either).
struct NameCounters {
    int cube = 0;            // "Cube %s": cubes and squares
    int sphere = 0;          // "Sphere %s"
    int cylinder = 0;        // "Cylinder %s": cylinders and cones
    int superToroid = 0;     // "SuperToroid %s"
    int superEllipsoid = 0;  // "SuperEllipsoid %s"
    int light = 0;           // "Light %s": every light type
    int camera = 0;          // "Camera %s"
    int importedObject = 0;  // imported meshes
};

// Parameters of one light tool.
struct LightToolParameters {
    ColorRGBA color{1, 1, 1, 1};
    int attenuationMode = 0;  // 0 constant, 1 linear, 2 quadratic
    float constant = 1.0f;
    float linear = 1.0f;
    float quadratic = 1.0f;
    float range = 256.0f;     // spot light only
    float penumbra = 1.0f;
    float umbra = 0.0f;
};

// A working directory: its default under the base directory and the file last
// chosen in a dialog of that kind.
struct WorkingDirectory {
    std::string defaultPath;
    std::string current;
};

class Editor {
public:
    explicit Editor(Ui& ui);
    ~Editor();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    Ui& ui() { return ui_; }

    // --- scene roots ----------------------------------------------------------
    const FramePtr& World() const { return world_; }
    const FramePtr& Scene() const { return scene_; }
    // The white directional camera light and the auxiliary frame holding it.
    const LightPtr& CameraLight() const { return cameraLight_; }
    const FramePtr& CameraLightFrame() const { return cameraLightFrame_; }
    // The two auxiliary frames under SCENE: the grid, and the selection
    // marker under it.
    const FramePtr& GridFrame() const { return gridFrame_; }
    const FramePtr& MarkerFrame() const { return markerFrame_; }
    // The camera of the active view (at first VIEWPORT_1's perspective
    // camera). The live wrap and the camera light follow it.
    const FramePtr& ActiveCamera() const { return context_->activeCamera; }
    const std::shared_ptr<SceneContext>& Context() const { return context_; }
    void SetActiveCamera(const FramePtr& camera);

    // Empties the scene (keeping SCENE itself), the material list and the
    // animation, and restarts the camera and light menu numbering.
    void NewScene();

    // --- records and registration ---------------------------------------------
    // Gives an object frame (which already has its record) an interpolator
    // attached to the master, an empty key list and a tree entry.
    void RegisterObject(const FramePtr& frame);
    // Gives a light its record when it has none, an interpolator and a key list.
    void RegisterLight(const LightPtr& light);
    const std::shared_ptr<MasterInterpolator>& Master() const { return master_; }

    // --- creation, duplication, deletion --------------------------------------
    // The first half of making a mesh object: clears the selection, makes a
    // frame under SCENE at the insertion point with a new mesh builder (Gouraud,
    // lit, solid) as its visual, and selects both. The caller builds the
    // geometry and normals, then calls FinishObjectCreation.
    MeshBuilderPtr BeginObjectCreation();
    // The second half: random pastel colour and material, the MeshRecord and an
    // ObjectRecord of kind Object named from pattern ("Sphere %s") and the
    // counter, which is then incremented. The object is not yet registered.
    void FinishObjectCreation(const char* namePattern, int& counter);

    FramePtr CreateCamera();
    FramePtr CreateLight(LightType type);
    // Copies source (its own transform, record, meshes or lights, and children)
    // under newParent. The copy is selected when newParent is SCENE.
    FramePtr DuplicateObject(FramePtr source, FramePtr newParent);
    // The frame handles are taken by value: callers may pass the selection,
    // which these operations clear on the way.
    // Deletes frame and everything below it, depth first, with their records,
    // interpolators and menu entries. SCENE itself is emptied but kept.
    void DeleteObjectTree(FramePtr frame);

    // --- selection ---------------------------------------------------------------
    void ClearSelection();
    // Selects frame (its first visual becomes the current visual).
    void Select(FramePtr frame);
    const FramePtr& SelectedFrame() const { return selectedFrame_; }
    const MeshBuilderPtr& CurrentVisual() const { return currentVisual_; }
    bool HasSelection() const { return hasSelection_; }
    const LightPtr& PickedLight() const { return pickedLight_; }
    Vec3 insertionPoint;

    // --- user cameras and lights ------------------------------------------------
    int CameraCount() const { return cameraCount_; }
    int LightCount() const { return lightCount_; }
    // The frame of camera / light n, or null.
    FramePtr UserCamera(int n) const;
    FramePtr UserLight(int n) const;

    // --- counters, materials, tool parameters -----------------------------------
    NameCounters names;
    int materialIdCounter = 0;
    // Every material the program made for the scene; New Scene empties it.
    std::vector<MaterialPtr> materials;
    std::array<LightToolParameters, 5> lightTools{};  // indexed by LightType
    // The patch tools (src/geometry/Patch.h): rows Rx, columns Cz and steps
    // Sx, Sz of the B-spline and Catmull-Rom families (5, 5, 4, 4 each), the
    // control-grid buffer every evaluation copies its points into (rows of at
    // most 100 points) and the control-point marker mesh.
    PatchParameters patches;
    // The primitive tools (src/geometry/Primitives.h): segments, divisions,
    // caps, exponents and sizes of the sphere, cube, square, cylinder, cone,
    // superellipsoid and supertoroid, and the sizing style of the cube,
    // cylinder and cone; their windows edit them and restore the defaults.
    PrimitiveParameters primitives;
    int toolMode = 0;
    int toolState = 0;

    // Draws a digit 0..9 for the pastel colours. Replaceable so tests can fix it.
    std::function<int()> randomDigit;

    // --- application state --------------------------------------------------------
    int colorDepth = 32;
    int shadeColorDepth = 32;
    int activeViewport = 1;
    bool cameraLightOn = true;
    bool renderingEnabled = true;
    bool sceneModified = false;
    bool playbackRunning = false;
    bool exitRequested = false;
    int layoutKind = 1;
    int renderOutputWidth = 320;
    int renderOutputHeight = 240;
    std::string baseDirectory;
    WorkingDirectory mapsDirectory, objectsDirectory, scenesDirectory, imagesDirectory, animationsDirectory;
    // The second pairs of Maps, Objects and Scenes: Save Scene as uses
    // scenesDirectory2 and the exports objectsDirectory2, while Load and the
    // imports use the first pairs.
    WorkingDirectory mapsDirectory2, objectsDirectory2, scenesDirectory2;
    std::string helpDirectory;
    // Sets the base directory and derives the working directories under it.
    void SetBaseDirectory(const std::string& base);

    // --- views (bodies in src/render/) -----------------------------------------------
    // The full-screen view, VIEWPORT_1..4 and the render-output view, by
    // ViewIndex. The constructor gives the four viewports their standard
    // views; VIEWPORT_1 starts shown.
    std::array<ViewRecord, kViewCount> views;
    ViewRecord& Viewport(int n) { return views[static_cast<size_t>(n)]; }  // n = 1..4
    ViewRecord& FullScreenView() { return views[kFullScreenView]; }
    ViewRecord& RenderOutputView() { return views[kRenderOutputView]; }

    // The drivers found at start-up, at most kMaxDrivers.
    std::vector<DriverRecord> drivers;
    // Keeps the first kMaxDrivers of table and lists them in the driver
    // submenu of each viewport menu.
    void SetDriverTable(std::vector<DriverRecord> table);
    // Gives the default driver (DefaultDriverIndex) to the four viewports and
    // the full-screen view; returns its index, -1 without drivers.
    int UseDefaultDriver();

    // Makes the view devices; set by the front end before any view is built.
    // Not owned.
    DeviceFactory* deviceFactory = nullptr;

    // The main menu's state: the items the core enables, greys and checks.
    MenuModel mainMenu;
    // The part of the main window the viewports share (main-window client
    // pixels).
    Rect viewportArea;

    // Display modes found at start-up: one flag per entry of
    // kFullScreenResolutions, and for colour depths 16, 24, 32.
    std::array<bool, kResolutionCount> resolutionAvailable{};
    std::array<bool, 3> depthAvailable{};
    // Marks the full-screen resolution width x height (when it is one of the
    // thirteen) available and enables its item in the four viewport menus;
    // marks depth 16, 24 or 32 available.
    void AddDisplayMode(int width, int height, int depth);

    // Active-view shortcuts. The active view is Viewport(activeViewport), or
    // the full-screen view while activeViewport is 0.
    ViewRecord& ActiveView()
    {
        return views[static_cast<size_t>(activeViewport >= 0 && activeViewport <= 4 ? activeViewport : 1)];
    }
    Device* ActiveDevice() { return ActiveView().device.get(); }
    float& ActiveField() { return *ActiveView().field; }
    Projection ActiveProjection() { return ActiveView().projection; }
    // Shades per colour for the desktop depth (32 at 16 bits, else 256).
    int ShadeCount() const;

    // (Re)creates the device of view at its window's size scaled by the
    // detail level. False, with nothing changed and nothing reported, when
    // the window's client area is empty; false when no device could be made
    // even after one fall-back to driver 1.
    bool BuildViewDevice(ViewRecord& view);
    void ReleaseViewDevice(ViewRecord& view);
    // Makes viewport n (1..4; 0 the full-screen view) the active view; its
    // camera becomes the active camera and takes the camera light when that
    // is on.
    void ActivateView(int n);
    // Pushes the record's render states into its device.
    void ApplyRenderStates(ViewRecord& view);
    // The one redraw routine: moves SCENE by 4.0, then draws and presents the
    // render-output view, or the full-screen view, or every shown viewport.
    // Does nothing while rendering is disabled.
    void RenderAllViews();
    // A command of viewport n's popup menu (render states, Z depth, detail,
    // driver). False when the command is not one of these, or its item is
    // greyed.
    bool ViewportCommand(int n, int command);
    // Driver change from viewport n's menu: index must exist and differ from
    // the current one. Keeps or moves the Z depth to one the driver has.
    bool ChangeDriver(int n, int index);
    // Layout kind 1..16: releases the four devices, shows, hides and places
    // the windows, greys the unused "Viewport n Menu ..." items, builds the
    // used devices, activates view 1 and renders. False for an unknown kind.
    bool ChooseLayout(int kind);
    // Places the viewport windows for the current kind in viewportArea,
    // without rebuilding (their own size handling rebuilds).
    void LayOutViewports();
    // The main window's client area changed: rendering off, viewport area
    // stored, windows placed, the active view activated again, rendering on.
    void MainWindowResized(const Rect& area);
    // Viewport n's window changed size: rebuilds and renders when the view is
    // ready, has a device and the new picture size differs.
    bool ViewportResized(int n);

    // Toggles the camera light: on, it rides on the active camera; off, it
    // leaves the scene. Checks "Camera Light" and renders all views.
    void ToggleCameraLight();

    // --- viewport input, views and picking (bodies in src/render/) ------------------
    // The viewport windows call these with window pixels; they scale them to
    // render-surface pixels by the detail level, make viewport n active, keep
    // the button flags and the last position, run the navigation modes 1..6
    // and hand every other mode to the tool dispatch below.
    void ViewportMouseDown(int n, MouseButton button, int windowX, int windowY);
    void ViewportMouseMove(int n, int windowX, int windowY);
    void ViewportMouseUp(int n, MouseButton button, int windowX, int windowY);
    // The Delete key (and any other key the viewports pass on).
    void ViewportKeyDown(int n, int key);
    // A view command of viewport n's menu: the standard views, Object, and
    // the user camera / light entries (2222 + n, 3333 + n). False when the
    // command is not one of these.
    bool ViewCommand(int n, int command);
    // Selects what lies under render-surface pixel (x, y) of the active
    // viewport and computes the insertion point. True when something was hit.
    bool Pick(int x, int y);
    // Pick, then drop the selection again when it is a light, a camera or a
    // control point.
    bool PickObjectOnly(int x, int y);

    // --- pick, mouse, marker and information panel state (bodies in src/render/) ----
    // What the last pick found besides the selected frame, visual and light.
    PickDetails pickDetails;
    // The insertion point in the active camera's space.
    Vec3 insertionPointCamera;
    // Buttons, last position and last step, in render-surface pixels.
    MouseState mouse;
    // Whether a selection shows the marker.
    bool markersEnabled = true;
    // The six handle frames of the marker (under MarkerFrame(); made on the
    // first fit after the marker frame is (re)built).
    std::array<FramePtr, kMarkerHandleCount> markerHandles;
    // The object information panel's texts.
    ObjectInfo objectInfo;
    // Hides the marker when markers are off or nothing is selected; otherwise
    // sizes it for the active view and places it and its handles on the
    // selected object.
    void FitSelectionMarker();
    void HideSelectionMarker();
    // Fills the information panel from the selection, or clears it.
    void RefreshObjectInfo();
    void ClearObjectInfo();
    // The main menu's "Viewport n Menu ..." items: activates viewport n as a
    // left press would and opens its popup menu at its top-left corner.
    void ShowViewportMenu(int n);

    // --- tool modes (bodies in src/scene/) ---------------------------------------------
    // The press, drag and release of every tool mode other than navigation,
    // in render-surface pixels of the active viewport.
    void ToolPress(MouseButton button, int x, int y);
    void ToolDrag(int x, int y);
    void ToolRelease(MouseButton button, int x, int y);

    // --- hierarchy, object tools and the Objects List (bodies in src/scene/) ------------
    // Hierarchy.cpp. Each refusal shows its message and changes nothing; each
    // returns true when the scene changed. None of them makes the frame tree
    // cyclic or moves WORLD, SCENE or an editor auxiliary.
    // target adopts source (source keeps its transform relative to its parent).
    bool Attach(FramePtr source, FramePtr target);
    // source takes target's place under target's parent; target hangs under it.
    bool Insert(FramePtr source, FramePtr target);
    // object goes to SCENE; its children go to its former parent.
    bool Extract(FramePtr object);
    // object and every descendant become direct children of SCENE.
    bool Flatten(FramePtr object);
    // object (with its subtree) goes to SCENE.
    bool Unlink(FramePtr object);
    // source turns to face target on every redraw.
    bool LookAt(FramePtr source, FramePtr target);
    // object stops turning; its record keeps naming the target.
    bool StopLookAt(FramePtr object);

    // TransformTools.cpp. Moves object's origin to point (relative to SCENE)
    // and its meshes and children back by the same amount, so nothing moves
    // on screen.
    bool MoveOriginTo(FramePtr object, const Vec3& point);
    // The same with the centre of the bounding box of object's first mesh.
    bool MoveOriginToCentre(FramePtr object);

    // Shadow.cpp. Adds to object a flat copy of visual (one of object's
    // meshes) cast by light (on lightFrame) onto the plane y = 0.01 of SCENE.
    // Null when the light casts no shadow there.
    MeshBuilderPtr CastShadow(const Frame& lightFrame, const Light& light, FramePtr object,
                              MeshBuilderPtr visual);

    // ObjectTree.cpp: what the "Objects List" does with its items. Each item
    // stands for the frame passed.
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
    // True when frame is rendered and pickable: what its check box shows.
    static bool IsShown(const Frame& frame);

    // Grid snapping of the tools that place things in the working plane.
    bool gridSnap = false;
    float gridStepX = 0.5f;
    float gridStepZ = 0.5f;

    // The tool gesture in progress (buttons, positions, state at the press).
    const ToolDragState& ToolGesture() const { return toolDrag_; }
    // The camera or light a placement tool is making, until it is registered.
    const PlacementState& Placement() const { return placement_; }
    // The primitive a creation tool is making, until it is registered.
    const CreationState& Creation() const { return creation_; }

    // The shared icon meshes shown by camera and light frames.
    const MeshBuilderPtr& CameraIcon() const { return cameraIcon_; }
    const MeshBuilderPtr& LightIcon(LightType type) const { return lightIcons_[static_cast<int>(type)]; }

private:
    void createSceneRoots();
    void createDefaultViews();
    bool buildViewDevice(ViewRecord& view, bool mayFallBack);
    void renderView(ViewRecord& view, const Rect& target);
    void buildSceneAuxiliaries();
    void addCameraEntry(const FramePtr& frame, ObjectRecord& record);
    void addLightEntry(const FramePtr& frame, ObjectRecord& record);
    void removeMenuEntry(const ObjectRecord& record);
    void unregisterAnimation(Frame& frame);
    void deleteTree(const FramePtr& frame);
    FramePtr duplicate(const FramePtr& source, const FramePtr& newParent);
    std::array<float, 3> pastelColor();
    // Tree items: re-creates the items of frame's subtree under its parent's
    // item (or drops them when the parent is not listed).
    void recreateTreeItems(const FramePtr& frame);
    void insertTreeItems(const FramePtr& frame);
    void removeTreeItems(Frame& frame);
    // True for a frame the hierarchy tools may move: an object under SCENE.
    bool isMovableObject(const FramePtr& frame) const;
    void afterHierarchyChange();

    Ui& ui_;
    std::shared_ptr<SceneContext> context_;
    FramePtr world_;
    FramePtr scene_;
    LightPtr cameraLight_;
    FramePtr cameraLightFrame_;
    FramePtr gridFrame_;
    FramePtr markerFrame_;
    std::shared_ptr<MasterInterpolator> master_;

    FramePtr selectedFrame_;
    MeshBuilderPtr currentVisual_;
    bool hasSelection_ = false;
    LightPtr pickedLight_;
    ToolDragState toolDrag_;
    PlacementState placement_;
    CreationState creation_;

    std::vector<FramePtr> cameras_;
    std::vector<FramePtr> lights_;
    int cameraCount_ = 0;
    int lightCount_ = 0;

    // The viewport window that took the last press (input code only).
    ViewWindow* pressedWindow_ = nullptr;
    void activateForInput(int n);

    MeshBuilderPtr cameraIcon_;
    std::array<MeshBuilderPtr, 5> lightIcons_;
};

} // namespace corvid
