#pragma once
// The views of the scene model: the full-screen view, VIEWPORT_1..4 and the
// render-output view with their devices and windows, the driver and display
// tables, the layouts, the one redraw routine, picking, the selection marker
// and the object information panel. Qt-free: windows and devices come
// through ViewWindow and DeviceFactory.

#include "platform/Fwd.h"
#include "platform/Math.h"
#include "render/DriverRecord.h"
#include "render/MenuModel.h"
#include "render/Navigation.h"
#include "render/ObjectInfo.h"
#include "render/Picking.h"
#include "render/SelectionMarker.h"
#include "render/ViewGeometry.h"
#include "render/ViewRecord.h"

#include <array>
#include <memory>
#include <vector>

namespace corvid {

class DeviceFactory;
class SceneModel;
class Ui;
class ViewWindow;

class ViewSet {
public:
    // Gives the four viewports their standard views (VIEWPORT_1 shown and
    // active) and greys the "Viewport n Menu ..." items of mainMenu that
    // layout kind 1 does not use. Both must outlive the view set.
    ViewSet(SceneModel& scene, MenuModel& mainMenu);
    ~ViewSet();
    ViewSet(const ViewSet&) = delete;
    ViewSet& operator=(const ViewSet&) = delete;

    SceneModel& scene() { return scene_; }
    const SceneModel& scene() const { return scene_; }
    Ui& ui();

    // --- the view records ----------------------------------------------------------
    // By ViewIndex: the full-screen view, VIEWPORT_1..4, the render-output view.
    std::array<ViewRecord, kViewCount> records;
    ViewRecord& Viewport(int n) { return records[static_cast<size_t>(n)]; }  // n = 1..4
    ViewRecord& FullScreenView() { return records[kFullScreenView]; }
    ViewRecord& RenderOutputView() { return records[kRenderOutputView]; }

    int colorDepth = 32;
    int shadeColorDepth = 32;
    int activeViewport = 1;
    bool renderingEnabled = true;
    int layoutKind = 1;
    int renderOutputWidth = 320;
    int renderOutputHeight = 240;

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

    // The off-screen device "Save image ..." rendered with last
    // (ImageCapture.cpp), kept so that the next capture of the same viewport
    // through the same window, factory, driver choice, size and Z depth finds
    // its shaders built and its meshes and textures uploaded. It lives in the
    // context of the window it was made through: ReleaseViewDevice of its
    // viewport lets it go (the window or its context going away, a layout or
    // display change), and so do a new driver table, New Scene and the end of
    // the view set.
    struct CaptureKey {
        int viewport = 0;
        ViewWindow* window = nullptr;
        DeviceFactory* factory = nullptr;
        int driverIndex = 0;  // the viewport's own driver, the fall-back
        int width = 0, height = 0, zDepth = 0;
        bool operator==(const CaptureKey&) const = default;
    };
    struct CaptureDevice {
        CaptureKey key;
        std::unique_ptr<Device> device;
    };
    CaptureDevice captureDevice;
    // Releases the kept capture device (with its window's context current).
    void ReleaseCaptureDevice();

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
        return records[static_cast<size_t>(activeViewport >= 0 && activeViewport <= 4 ? activeViewport : 1)];
    }
    Device* ActiveDevice() { return ActiveView().device.get(); }
    float& ActiveField() { return *ActiveView().field; }
    Projection ActiveProjection() { return ActiveView().projection; }
    // Shades per colour for the desktop depth (32 at 16 bits, else 256).
    int ShadeCount() const;

    // --- devices, layouts, redraw (ViewDevice.cpp, ViewSwitch.cpp, RenderAll.cpp) ---
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

    // --- views and picking (ViewCommands.cpp, Picking.cpp) ----------------------------
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
    // Objects have left the scene: a viewport looking through one of them
    // (Object, User Camera, User Light) goes back to the standard view it
    // showed last, with its menu's check mark; the active camera and the
    // camera light follow. The scene model calls this itself.
    void LeaveRemovedCameras();
    // New Scene: every viewport's standard cameras, view root and pivot go
    // back to their presets and the viewport to its initial view.
    void RestoreStandardViews();

    // --- pick, mouse, marker and information panel state ------------------------------
    // What the last pick found besides the selected frame, visual and light.
    PickDetails pickDetails;
    // The insertion point in the active camera's space.
    Vec3 insertionPointCamera;
    // Buttons, last position and last step, in render-surface pixels.
    MouseState mouse;
    // Whether a selection shows the marker.
    bool markersEnabled = true;
    // The six handle frames of the marker (under the marker frame; made on the
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
    // After the selection changed elsewhere (the Objects List, a deletion,
    // an undo): marker, panel and the selection notification.
    void ShowSelection();

private:
    void createDefaultViews();
    bool buildViewDevice(ViewRecord& view, bool mayFallBack);
    void renderView(ViewRecord& view, const Rect& target);

    SceneModel& scene_;
    MenuModel& mainMenu_;
};

} // namespace corvid
