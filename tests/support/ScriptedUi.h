#pragma once
// A Ui for tests: records every text and notification, and answers questions,
// file dialogs and option dialogs from scripted queues (with defaults when a
// queue runs dry).

#include "scene/Ui.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace corvid {

class ScriptedUi : public Ui {
public:
    struct TreeItem {
        const Frame* frame = nullptr;
        std::string name;
        int icon = 0;
        long parent = 0;
        bool checked = false;
        long order = 0;  // its place among its siblings: smaller comes first
    };

    // --- script ---
    std::deque<Answer> answers;                          // default: Cancel
    std::deque<std::optional<std::string>> files;        // default: cancelled
    std::deque<std::optional<ImportDialogResult>> importResults;  // default: OK with defaults

    // --- record ---
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<FileDialogRequest> fileRequests;
    std::vector<ImportDialogRequest> importRequests;
    std::vector<std::string> statusLines;
    std::vector<std::string> startupStatus;  // splash lines, in order
    std::vector<int> progress;
    std::vector<Notification> notifications;
    bool progressVisible = false;
    bool busy = false;
    std::map<long, TreeItem> tree;
    std::vector<UserMenuEntry> cameraEntries;  // in menu order
    std::vector<UserMenuEntry> lightEntries;
    int beeps = 0;
    std::vector<const Light*> lightSettingsShown;
    struct MenuOpening {
        int viewport = 0, x = 0, y = 0;
    };
    std::vector<MenuOpening> viewportMenus;  // popup menus opened, in order

    void ShowMessage(const std::string& text) override;
    Answer Ask(const std::string& text, Buttons buttons) override;
    std::optional<std::string> AskFile(const FileDialogRequest& request) override;
    std::optional<ImportDialogResult> AskImportOptions(const ImportDialogRequest& request) override;
    void ShowProgress() override { progressVisible = true; }
    void SetProgressStatus(const std::string& status) override { statusLines.push_back(status); }
    void SetProgress(int percent) override { progress.push_back(percent); }
    void HideProgress() override { progressVisible = false; }
    void SetBusy(bool b) override { busy = b; }
    void Notify(Notification what) override { notifications.push_back(what); }
    long InsertTreeItem(const Frame& frame, const std::string& name, int icon, long parentItem,
                        int position) override;
    void RemoveTreeItem(long item) override;
    void SetTreeItemName(long item, const std::string& name) override;
    // The items under parent, in order.
    std::vector<long> TreeChildren(long parent) const;
    void SetTreeItemChecked(long item, bool checked) override;
    void Beep() override { ++beeps; }
    void ShowLightSettings(const Light& light, int, int) override { lightSettingsShown.push_back(&light); }
    void AddUserCameraEntry(const UserMenuEntry& entry) override;
    void RemoveUserCameraEntry(int command) override;
    void AddUserLightEntry(const UserMenuEntry& entry) override;
    void RemoveUserLightEntry(int command) override;
    void ResetUserMenus() override;
    void SetStartupStatus(const std::string& status) override { startupStatus.push_back(status); }
    void OpenViewportMenu(int n, int x, int y) override { viewportMenus.push_back({n, x, y}); }

    int Count(Notification what) const;

private:
    long nextItem_ = 1;
};

} // namespace corvid
