// The one redraw routine. There is no frame loop: every change to the scene,
// every paint and every played animation frame comes through here.

#include "platform/Frame.h"
#include "render/Letterbox.h"
#include "render/ViewMath.h"
#include "render/ViewWindow.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"

namespace corvid {

void ViewSet::renderView(ViewRecord& view, const Rect& target)
{
    if (!view.device || !view.window || !view.camera)
        return;
    view.window->MakeCurrent();
    Device& device = *view.device;
    device.Clear(*scene_.World());
    device.Render(*scene_.World(), *view.camera, view.Parameters());
    device.Update();
    view.window->Present(device, target);
}

void ViewSet::RenderAllViews()
{
    if (!renderingEnabled)
        return;
    // Advances the clock that drives the look-at and live-wrap callbacks.
    scene_.Scene()->Move(4.0f);

    ViewRecord& output = RenderOutputView();
    if (output.shown) {
        // While an animation is written out only its picture is drawn, boxed
        // at 4:3 inside its window.
        if (output.window)
            renderView(output, RenderOutputBox(output.window->ClientSize(), renderOutputWidth, renderOutputHeight));
        return;
    }

    ViewRecord& full = FullScreenView();
    if (full.shown && full.window) {
        // The chosen resolution, scaled to the screen with bars where the
        // aspects differ.
        renderView(full, LetterboxRect(full.window->ClientSize(), {full.fullScreenWidth, full.fullScreenHeight}));
    }

    for (int n = 1; n <= 4; ++n) {
        ViewRecord& view = Viewport(n);
        if (!view.shown || !view.window)
            continue;
        Size client = view.window->ClientSize();
        renderView(view, {0, 0, client.width, client.height});
    }
}

} // namespace corvid
