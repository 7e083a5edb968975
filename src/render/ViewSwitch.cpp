// The view commands of the viewport menus: the seven standard views, Object
// (look through the selected object) and the user cameras and lights.

#include "scene/Ui.h"
#include "platform/Frame.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"

#include <algorithm>

namespace corvid {

namespace {

constexpr const char* kNothingSelected = "There is no object selected";

} // namespace

bool ViewSet::ViewCommand(int n, int command)
{
    if (n < 1 || n > 4)
        return false;
    ViewRecord& view = Viewport(n);
    const auto& commands = kViewCommands[static_cast<size_t>(n - 1)];
    const auto found = std::find(commands.begin(), commands.end(), command);

    if (found != commands.end()) {
        const int slot = static_cast<int>(found - commands.begin());
        if (slot == kViewObject) {
            if (!scene_.HasSelection() || !scene_.SelectedFrame()) {
                ui().ShowMessage(kNothingSelected);
                return true;
            }
            view.cameras[kViewObject] = scene_.SelectedFrame();
            scene_.ClearSelection();
            HideSelectionMarker();
            ClearObjectInfo();
            ui().Notify(Notification::SelectionChanged);
        } else if (view.viewCommand == command) {
            return true;  // already the view shown
        }
        view.UseStandardView(slot);
        // The view's camera becomes the active camera and takes the camera
        // light with it.
        ActivateView(n);
        FitSelectionMarker();
        RenderAllViews();
        view.CheckView(command);
        return true;
    }

    // A user camera or light: look through its frame. The camera light stays
    // where it is.
    FramePtr frame;
    if (command >= kCameraMenuBase && command < kCameraMenuBase + kMaxUserCameras)
        frame = scene_.UserCamera(command - kCameraMenuBase);
    else if (command >= kLightMenuBase && command < kLightMenuBase + kMaxUserLights)
        frame = scene_.UserLight(command - kLightMenuBase);
    if (!frame)
        return false;
    view.CheckView(command);
    view.cameras[kViewObject] = frame;
    view.UseStandardView(kViewObject);
    activeViewport = n;
    scene_.Context()->activeCamera = frame;
    HideSelectionMarker();
    RenderAllViews();
    return true;
}

void ViewSet::LeaveRemovedCameras()
{
    const Frame& world = *scene_.World();
    bool left = false;
    for (int n = 1; n <= 4; ++n) {
        ViewRecord& view = Viewport(n);
        FramePtr& looked = view.cameras[kViewObject];
        if (!looked || world.IsAncestorOf(looked.get()))
            continue;
        const bool lookingThrough = view.camera == looked;
        looked.reset();
        if (!lookingThrough)
            continue;
        view.UseStandardView(view.standardView);
        view.CheckView(kViewCommands[static_cast<size_t>(n - 1)][static_cast<size_t>(view.standardView)]);
        left = true;
    }
    if (!left)
        return;
    // The active camera (and the camera light riding on it) is the active
    // view's camera again, whichever view it was. The operation that removed
    // the objects is not over yet: the picture is asked for, not drawn here.
    ActivateView(activeViewport);
    FitSelectionMarker();
    ui().Notify(Notification::RedrawRequested);
}

void ViewSet::RestoreStandardViews()
{
    for (int n = 1; n <= 4; ++n)
        ResetStandardViews(Viewport(n), n, *scene_.World(), *scene_.Scene());
    ActivateView(activeViewport);
    FitSelectionMarker();
}

} // namespace corvid
