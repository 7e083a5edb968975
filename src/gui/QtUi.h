#pragma once
// The Ui port with Qt widgets: message boxes, questions, file dialogs, the
// options dialog, the progress window, the wait cursor, the splash status
// line, and the user camera and light entries of the viewport menus.

#include "app/Ui.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class QWidget;

namespace corvid {

class Editor;
class SplashWindow;
class ProgressWindow;

class QtUi final : public QObject, public Ui {
    Q_OBJECT
public:
    QtUi();
    ~QtUi() override;

    // Redraw requests go to this editor's views; null ignores them.
    void SetEditor(Editor* editor) { editor_ = editor; }
    // The window dialogs are centred on and modal to (the main window).
    void SetDialogParent(QWidget* parent) { parent_ = parent; }
    // The splash window the start-up status lines go to; null: none.
    void SetSplash(SplashWindow* splash);
    SplashWindow* Splash() const;

    void ShowMessage(const std::string& text) override;
    Answer Ask(const std::string& text, Buttons buttons) override;
    std::optional<std::string> AskFile(const FileDialogRequest& request) override;
    std::optional<ImportDialogResult> AskImportOptions(const ImportDialogRequest& request) override;

    void ShowProgress() override;
    void SetProgressStatus(const std::string& status) override;
    void SetProgress(int percent) override;
    void HideProgress() override;
    void SetBusy(bool busy) override;
    bool IsBusy() const { return busy_; }

    void Notify(Notification what) override;

    // There is no tree window yet: items get no handle.
    long InsertTreeItem(const Frame& frame, const std::string& name, int icon, long parentItem) override;
    void RemoveTreeItem(long item) override;

    void AddUserCameraEntry(const UserMenuEntry& entry) override;
    void RemoveUserCameraEntry(int command) override;
    void AddUserLightEntry(const UserMenuEntry& entry) override;
    void RemoveUserLightEntry(int command) override;
    void ResetUserMenus() override;
    // The entries of the "User Camera" and "User Light" submenus, in menu
    // order.
    const std::vector<UserMenuEntry>& UserCameraEntries() const { return cameras_; }
    const std::vector<UserMenuEntry>& UserLightEntries() const { return lights_; }

    void SetStartupStatus(const std::string& status) override;

    ProgressWindow* Progress() const;

    // Replaces the modal boxes (messages and questions) for automated runs:
    // the hook records the text and gives the answer. Unset: real boxes.
    std::function<Answer(const std::string& text, Buttons buttons)> boxHook;

signals:
    void Notified(int what);  // a Notification

private:
    Editor* editor_ = nullptr;
    QPointer<QWidget> parent_;
    QPointer<SplashWindow> splash_;
    QPointer<ProgressWindow> progress_;
    bool busy_ = false;
    std::vector<UserMenuEntry> cameras_;
    std::vector<UserMenuEntry> lights_;
};

} // namespace corvid
