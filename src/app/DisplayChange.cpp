#include "app/DisplayChange.h"

#include "scene/Ui.h"
#include "render/ViewMath.h"
#include "render/ViewWindow.h"
#include "app/Editor.h"

namespace corvid {

namespace {

bool Usable(int depth)
{
    return depth == 16 || depth == 32;
}

// Playback runs on the GUI thread's timer: stopping it takes effect at once.
void RequestPlaybackStop(Editor& editor, const ShellHooks& hooks)
{
    if (!editor.transport.Playing())
        return;
    editor.exitRequested = true;
    editor.transport.Stop();
    if (hooks.requestPlaybackStop)
        hooks.requestPlaybackStop();
}

// A missing save counts as cancelled: nothing is lost by asking again.
bool Save(const ShellHooks& hooks)
{
    return hooks.saveScene && hooks.saveScene();
}

} // namespace

bool RebuildViewDevices(Editor& editor, const ShellHooks& hooks)
{
    for (int n = 1; n <= 4; ++n)
        editor.views.ReleaseViewDevice(editor.views.Viewport(n));
    bool ok = true;
    for (int n = 1; n <= 4; ++n) {
        ViewRecord& view = editor.views.Viewport(n);
        if (!view.shown || !view.window)
            continue;
        // A window with nothing to show (minimised) is not a failure.
        Size picture = ScaleByDetail(view.window->ClientSize(), view.detail);
        if (picture.width <= 0 || picture.height <= 0)
            continue;
        if (!editor.views.BuildViewDevice(view))
            ok = false;
    }
    if (!ok)
        return false;
    editor.views.ActivateView(1);
    editor.views.RenderAllViews();
    if (!editor.views.FullScreenView().fullScreen || !editor.views.FullScreenView().shown)
        if (hooks.renderSampler)
            hooks.renderSampler();
    return true;
}

DisplayChangeResult HandleDisplayChange(Editor& editor, int newDepth, const ShellHooks& hooks)
{
    if (!editor.views.renderingEnabled)
        return DisplayChangeResult::Ignored;
    if (!Usable(editor.views.colorDepth)) {
        editor.views.colorDepth = newDepth;
        editor.views.shadeColorDepth = newDepth;
        return DisplayChangeResult::DepthStored;
    }

    Ui& ui = editor.ui();
    int depth = newDepth;
    while (!Usable(depth)) {
        editor.views.renderingEnabled = false;
        if (ui.Ask(kColorDepthRetryText, Buttons::RetryCancel) == Answer::Retry) {
            if (hooks.readColorDepth)
                depth = hooks.readColorDepth();
            editor.views.renderingEnabled = true;
            continue;
        }
        if (!editor.scene.Modified()) {
            RequestPlaybackStop(editor, hooks);
            return DisplayChangeResult::Quit;
        }
        Answer answer = ui.Ask(kSaveQuestion, Buttons::YesNoCancel);
        if (answer == Answer::Yes) {
            RequestPlaybackStop(editor, hooks);
            if (Save(hooks))
                return DisplayChangeResult::Quit;
            // The save was cancelled: keep the scene and ask about the depth again.
        } else if (answer == Answer::No) {
            RequestPlaybackStop(editor, hooks);
            return DisplayChangeResult::Quit;
        }
    }

    // Shade counts follow the new depth.
    editor.views.colorDepth = depth;
    editor.views.shadeColorDepth = depth;
    return RebuildViewDevices(editor, hooks) ? DisplayChangeResult::DevicesRebuilt : DisplayChangeResult::RebuildFailed;
}

CloseDecision AskBeforeClose(Editor& editor, const ShellHooks& hooks)
{
    // A playback stops first, so the scene holds still while it is saved.
    RequestPlaybackStop(editor, hooks);
    if (editor.scene.Modified()) {
        Answer answer = editor.ui().Ask(kSaveQuestion, Buttons::YesNoCancel);
        if (answer != Answer::Yes && answer != Answer::No)
            return CloseDecision::Stay;
        if (answer == Answer::Yes && !Save(hooks))
            return CloseDecision::Stay;
    }
    return CloseDecision::Close;
}

} // namespace corvid
