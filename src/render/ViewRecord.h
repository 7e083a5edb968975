#pragma once
// One view of the scene: its camera and standard views, the render states it
// draws with, its device and window, its popup menu, and its full-screen
// settings. The ViewSet keeps six: the full-screen view, VIEWPORT_1..4 and the
// render-output view.

#include "platform/Device.h"
#include "platform/Fwd.h"
#include "render/CommandIds.h"
#include "render/DriverRecord.h"
#include "render/MenuModel.h"

#include <array>
#include <cstdint>
#include <memory>

namespace corvid {

class ViewWindow;

// Positions of the six views in ViewSet::records.
enum ViewIndex : int {
    kFullScreenView = 0,
    kViewport1 = 1,
    kViewport2 = 2,
    kViewport3 = 3,
    kViewport4 = 4,
    kRenderOutputView = 5,
};
constexpr int kViewCount = 6;

// Render quality parts; the device quality is fill + shade + light.
constexpr int kFillPointsPart = 0, kFillWireframePart = 64, kFillSolidPart = 128;
constexpr int kShadeFlatPart = 0, kShadeGouraudPart = 1, kShadePhongPart = 2;
constexpr int kLightOffPart = 0, kLightOnPart = 8;

// The field values the standard views start with, by slot.
constexpr std::array<float, kStandardViewCount> kStandardFields{0.5f, 20, 20, 20, 20, 20, 20, 0.5f};

struct ViewRecord {
    ViewRecord() = default;
    // A record is referred to by address (the field reference, the windows,
    // the active view); it never moves.
    ViewRecord(const ViewRecord&) = delete;
    ViewRecord& operator=(const ViewRecord&) = delete;

    int index = 0;  // its ViewIndex

    FramePtr camera;  // the frame the view renders from
    Projection projection = Projection::Perspective;
    // The field value of the current standard view. Points into a cameras
    // table (its own, or for the full-screen view the viewport's it copied).
    float* field = &fields[kViewPerspective];
    int zDepth = 16;
    DriverRecord driver;  // the driver in use (a copy of the table's entry)
    std::unique_ptr<Device> device;
    FramePtr viewRoot;  // child of WORLD
    FramePtr pivot;     // child of viewRoot; the perspective camera hangs under it
    int driverIndex = 0;
    MenuModel menu;  // the popup menu, with its driver and resolution submenus
    bool shown = false;
    bool ready = true;
    bool fullScreen = false;
    int fullScreenWidth = 640, fullScreenHeight = 480, fullScreenDepth = 16;
    bool vsync = false;
    ViewWindow* window = nullptr;  // not owned
    int fill = kFillSolidPart;
    int shade = kShadePhongPart;
    int light = kLightOnPart;
    int textureQuality = 1;  // 0..5, as TextureQuality
    bool dither = true;
    std::array<int32_t, 4> reserved{1, 16, 640, 16};  // kept as found; nothing here reads them
    int detail = 100;  // percent: 100, 75, 50 or 25
    bool async = false;

    // The standard views: cameras, field values and projections by
    // StandardView slot. Slot 7 refers to an object, user camera or user
    // light frame and owns nothing.
    std::array<FramePtr, kStandardViewCount> cameras;
    std::array<float, kStandardViewCount> fields = kStandardFields;
    std::array<Projection, kStandardViewCount> projections{
        Projection::Perspective,  Projection::Orthographic, Projection::Orthographic, Projection::Orthographic,
        Projection::Orthographic, Projection::Orthographic, Projection::Orthographic, Projection::Perspective};
    int viewCommand = 0;  // the view item checked in the menu
    // The standard view (slot 0..6) shown last, where the view goes back to
    // when the object, camera or light it looks through leaves the scene.
    int standardView = kViewPerspective;

    unsigned Quality() const { return static_cast<unsigned>(fill + shade + light); }
    float Field() const { return *field; }
    // What Device::Render needs of the view.
    ViewParameters Parameters() const;
    bool IsViewport() const { return index >= kViewport1 && index <= kViewport4; }
    // Makes slot the view's current standard view (camera, field, projection).
    void UseStandardView(int slot);
    // Checks the menu item of command (a standard view of viewport n's menu,
    // or a user camera or light entry) in place of the one checked before.
    void CheckView(int command);
};

// Builds the view root, pivot and the seven standard cameras of a viewport
// record under world, placed relative to scene, and selects its initial view:
// VIEWPORT_1 Perspective, 2 Left, 3 Top, 4 Front.
void CreateStandardViews(ViewRecord& view, int viewport, Frame& world, const Frame& scene);
// Puts the standard cameras, the view root and the pivot of a record made by
// CreateStandardViews back where they started, with their first field
// values, forgets the object looked through and selects the initial view
// again (its menu item checked).
void ResetStandardViews(ViewRecord& view, int viewport, const Frame& world, const Frame& scene);

// The initial standard view of viewport 1..4.
int InitialStandardView(int viewport);

} // namespace corvid
