#pragma once
// The Ui port with Qt widgets: message boxes, questions, file dialogs, the
// options dialog, the progress window, the wait cursor, the splash status
// line, the user camera and light entries of the viewport menus, the
// "Objects List" tree and the viewport popup menus the core opens.

#include "scene/Ui.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class QWidget;

namespace corvid {

class Editor;
class ObjectTreeWidget;
class SplashWindow;
class ProgressWindow;
class ImportOptionsDialog;

class QtUi final : public QObject, public Ui {
    Q_OBJECT
public:
    QtUi();
    ~QtUi() override;

    // Redraw requests go to this editor's views; null ignores them.
    void SetEditor(Editor* editor);
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

    // Items of the "Objects List" tree (Tree()).
    long InsertTreeItem(const Frame& frame, const std::string& name, int icon, long parentItem,
                        int position) override;
    void SetTreeItemName(long item, const std::string& name) override;
    void RemoveTreeItem(long item) override;
    void SetTreeItemChecked(long item, bool checked) override;
    // The tree exists from the start, since the editor lists WORLD and SCENE
    // while it is being made; the main window puts it into its dock, which
    // then owns it. Its actions reach the editor set with SetEditor.
    ObjectTreeWidget* Tree() const;

    void OpenViewportMenu(int n, int x, int y) override;
    void Beep() override;
    // A tool tip over the active viewport, next to the cursor.
    void ShowLightSettings(const Light& light, int x, int y) override;
    // The text of the last light settings shown.
    const QString& LightSettingsText() const { return lightSettings_; }
    // Refused drops and other beeps so far.
    int BeepCount() const { return beeps_; }

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
    // The same for the file dialogs (the hook gives the path chosen, or
    // nothing for Cancel) and the options dialog (the hook gets the dialog as
    // the person would see it and answers true for OK).
    std::function<std::optional<std::string>(const FileDialogRequest& request)> fileHook;
    std::function<bool(ImportOptionsDialog& dialog)> optionsHook;

signals:
    void Notified(int what);  // a Notification

private:
    void bindTree();

    Editor* editor_ = nullptr;
    QPointer<ObjectTreeWidget> tree_;
    QPointer<QWidget> parent_;
    QPointer<SplashWindow> splash_;
    QPointer<ProgressWindow> progress_;
    bool busy_ = false;
    int beeps_ = 0;
    QString lightSettings_;
    std::vector<UserMenuEntry> cameras_;
    std::vector<UserMenuEntry> lights_;
};

} // namespace corvid
