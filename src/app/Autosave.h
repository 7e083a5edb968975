#pragma once
// Autosave and recovery. While the scene is modified it is saved every few
// minutes into the state folder ($XDG_STATE_HOME/corvid/autosave), never
// over the person's own file: the scene is turned into bytes on the thread
// that owns it and written and renamed into place on a worker thread. An
// explicit save, New Scene and a clean exit remove the autosave, so one
// that is still there at the next start was left by an editor that did not
// end cleanly and can be offered for recovery.

#include "app/Config.h"

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace corvid {

class Editor;

constexpr int kDefaultAutosaveSeconds = 120;

// An autosave another run of the editor left behind.
struct RecoverableScene {
    std::string autosavePath;
    std::string documentPath;  // the scene file it was made from; empty for a new scene
    int64_t savedAt = 0;       // seconds since the epoch
};

class Autosave {
public:
    explicit Autosave(Editor& editor);
    ~Autosave();
    Autosave(const Autosave&) = delete;
    Autosave& operator=(const Autosave&) = delete;

    // $XDG_STATE_HOME/corvid/autosave, or ~/.local/state/corvid/autosave.
    static std::string DefaultFolder(const EnvLookup& getEnv);
    // The interval: CORVID_AUTOSAVE_SECONDS, else AutosaveMinutes in the
    // configuration file, else two minutes; 0 turns autosave off.
    static int ConfiguredSeconds(const EnvLookup& getEnv);

    void SetFolder(std::string folder);
    const std::string& Folder() const { return folder_; }
    // This editor's autosave file (named after the process).
    const std::string& FilePath() const { return path_; }
    int intervalSeconds = kDefaultAutosaveSeconds;

    // The front end's timer: when the scene is modified, takes its bytes now
    // and writes them in the background. True when a save was started.
    bool Tick();
    // Waits until a write in flight has finished.
    void Wait();
    // Removes this editor's autosave (the scene was saved, replaced or the
    // editor ends cleanly).
    void Discard();

    // Autosaves in folder left by editors that are no longer running and
    // newer than the scene file they were made from, newest first.
    static std::vector<RecoverableScene> FindRecoverable(const std::string& folder);
    // Removes a recoverable autosave (offered and answered).
    static void Forget(const RecoverableScene& scene);

private:
    Editor& editor_;
    std::string folder_;
    std::string path_;
    std::thread writer_;
};

} // namespace corvid
