#include "render/ViewSet.h"

#include "platform/Frame.h"
#include "render/CommandIds.h"
#include "render/ViewWindow.h"
#include "render/ViewportMenu.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

namespace corvid {

ViewSet::ViewSet(SceneModel& scene, MenuModel& mainMenu) : scene_(scene), mainMenu_(mainMenu)
{
    createDefaultViews();
    scene_.onObjectsRemoved = [this] { LeaveRemovedCameras(); };
}

ViewSet::~ViewSet()
{
    ReleaseCaptureDevice();
    scene_.onObjectsRemoved = nullptr;
}

Ui& ViewSet::ui()
{
    return scene_.ui();
}

void ViewSet::createDefaultViews()
{
    for (int i = 0; i < kViewCount; ++i)
        records[static_cast<size_t>(i)].index = i;
    FullScreenView().fullScreen = true;
    for (int n = 1; n <= 4; ++n) {
        CreateStandardViews(Viewport(n), n, *scene_.World(), *scene_.Scene());
        Viewport(n).menu = BuildViewportMenu(n);
    }
    // Layout kind 1: only VIEWPORT_1 takes part.
    Viewport(1).shown = true;
    for (int n = 2; n <= 4; ++n)
        mainMenu_.Enable(kViewportMenuCommands[static_cast<size_t>(n - 1)], false);
    ActivateView(1);
}

void ViewSet::ToggleCameraLight()
{
    scene_.SetCameraLightOn(!scene_.CameraLightOn());
    mainMenu_.Check(kCmdCameraLight, scene_.CameraLightOn());
    RenderAllViews();
}

void ViewSet::ShowSelection()
{
    if (scene_.HasSelection()) {
        RefreshObjectInfo();
        FitSelectionMarker();
    } else {
        HideSelectionMarker();
        ClearObjectInfo();
    }
    ui().Notify(Notification::SelectionChanged);
}

} // namespace corvid
