#pragma once
// The command-line tool's Ui: messages go to stderr (and are counted, so a
// command can tell whether the reason for a failure has been given),
// questions take their safe default (No / Cancel), dialogs are cancelled,
// and option dialogs take the defaults. Nothing waits for a person.

#include "scene/Ui.h"

namespace corvid {

class ConsoleUi : public Ui {
public:
    void ShowMessage(const std::string& text) override;
    Answer Ask(const std::string& text, Buttons buttons) override;
    std::optional<std::string> AskFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<ImportDialogResult> AskImportOptions(const ImportDialogRequest&) override { return ImportDialogResult{}; }
    void ShowProgress() override {}
    void SetProgressStatus(const std::string& status) override;
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

    // How many messages have been shown.
    int MessagesShown() const { return messagesShown_; }

    bool verbose = false;

private:
    int messagesShown_ = 0;
};

} // namespace corvid
