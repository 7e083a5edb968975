#pragma once
// The main window's reactions to a change of the desktop's colour depth, to
// a power notification, and the question asked before it closes.

#include <functional>

namespace corvid {

class Editor;

constexpr const char* kSaveQuestion = "Would you like to save your scene?";
constexpr const char* kColorDepthRetryText =
    "Must run at 16 or 32 bit color depth, Change display setting then press RETRY, or CANCEL to exit program";

struct ShellHooks {
    // Reads the desktop depth again (after Retry).
    std::function<int()> readColorDepth;
    // The save of Save Scene as; true when written or to count as done,
    // false when the person cancelled.
    std::function<bool()> saveScene;
    // Told when a running playback was stopped for the program to end.
    std::function<void()> requestPlaybackStop;
    // Renders the material preview.
    std::function<void()> renderSampler;
};

enum class DisplayChangeResult {
    Ignored,         // rendering was disabled
    DepthStored,     // the old depth was unusable already: only stored
    DevicesRebuilt,  // carry on
    RebuildFailed,   // a view device could not be made again: the program ends
    Quit,            // the person chose to end the program
};

// The desktop depth changed to newDepth.
DisplayChangeResult HandleDisplayChange(Editor& editor, int newDepth, const ShellHooks& hooks);
// Releases the four viewport devices, builds those of the shown viewports
// again, activates view 1, renders all views and (when not full screen) the
// sampler. False when a build failed. The power notification runs this alone.
bool RebuildViewDevices(Editor& editor, const ShellHooks& hooks);

enum class CloseDecision {
    Stay,   // the person cancelled
    Close,  // close the main window now
};

// The save question before the main window closes; a playback is stopped
// first.
CloseDecision AskBeforeClose(Editor& editor, const ShellHooks& hooks);

} // namespace corvid
