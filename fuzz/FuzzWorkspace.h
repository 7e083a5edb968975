#pragma once
// What every reader's fuzz target reads into: a Ui with nobody behind it
// and one editor's worth of scene as a document.
#include "anim/Animation.h"
#include "anim/Transport.h"
#include "files/Document.h"
#include "render/MenuModel.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <optional>
#include <string>

namespace corvid::fuzzing {

// Where a reader looks for the pictures and libraries a file names. Nothing
// can lie below /dev/null, so every lookup misses without touching a real
// folder, and no picture decoder or conversion runs.
constexpr const char* kNoFolder = "/dev/null/corvid-fuzz";

// Messages and progress go nowhere (messages are counted), questions are
// cancelled, and there is no object tree.
class SilentUi : public Ui {
public:
    void ShowMessage(const std::string&) override { ++messages; }
    Answer Ask(const std::string&, Buttons) override { return Answer::Cancel; }
    std::optional<std::string> AskFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<ImportDialogResult> AskImportOptions(const ImportDialogRequest&) override { return std::nullopt; }
    void ShowProgress() override {}
    void SetProgressStatus(const std::string&) override {}
    void SetProgress(int) override {}
    void HideProgress() override {}
    void SetBusy(bool) override {}
    void Notify(Notification) override {}
    long InsertTreeItem(const Frame&, const std::string&, int, long, int) override { return 0; }
    void RemoveTreeItem(long) override {}
    void AddUserCameraEntry(const UserMenuEntry&) override {}
    void RemoveUserCameraEntry(int) override {}
    void AddUserLightEntry(const UserMenuEntry&) override {}
    void RemoveUserLightEntry(int) override {}
    void ResetUserMenus() override {}

    int messages = 0;
};

struct Workspace {
    Workspace() { scene.randomDigit = [] { return 3; }; }
    SilentUi ui;
    SceneModel scene{ui};
    MenuModel menu;
    ViewSet views{scene, menu};
    Animation animation{scene};
    Transport transport{animation, views};
    Document doc() { return {scene, views, animation, transport}; }
};

} // namespace corvid::fuzzing
