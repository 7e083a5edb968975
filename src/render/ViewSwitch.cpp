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
        view.menu.Check(view.viewCommand, false);
        view.menu.Check(command, true);
        view.viewCommand = command;
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
    view.menu.Check(view.viewCommand, false);
    view.viewCommand = command;
    view.cameras[kViewObject] = frame;
    view.UseStandardView(kViewObject);
    activeViewport = n;
    scene_.Context()->activeCamera = frame;
    HideSelectionMarker();
    RenderAllViews();
    return true;
}

} // namespace corvid
