#pragma once
// The one port through which the core reaches the person: messages,
// questions, file and option dialogs, progress, the cursor, and notifications
// that tell the views what changed. The GUI implements it with widgets, the
// command-line tool non-interactively, and tests with ScriptedUi.

#include "scene/ImportOptions.h"
#include "platform/Fwd.h"

#include <optional>
#include <string>
#include <vector>

namespace corvid {

enum class Buttons { Ok, YesNo, YesNoCancel, RetryCancel };
enum class Answer { Ok, Yes, No, Cancel, Retry };

struct FileDialogRequest {
    bool save = false;
    std::string title;
    std::string filter;       // the system's own filter string, e.g. "Scene Files (*.cvd)|*.cvd||"
    std::string directory;    // initial folder
    std::string fileName;     // initial name
};

// What changed, so that a view can refresh. Sent after the change is done.
enum class Notification {
    SelectionChanged,
    TreeChanged,
    PanelsChanged,
    TransportChanged,
    CameraMenusChanged,
    LightMenusChanged,
    FogPanelChanged,
    RedrawRequested,
    // What Undo and Redo offer changed (the main menu's Edit items).
    HistoryChanged,
};

// One entry of the "User Camera" or "User Light" submenus of the viewport
// menus.
struct UserMenuEntry {
    std::string text;    // "Camera %d" / "Light %d"
    int command = 0;     // 2222 + n / 3333 + n
    int position = 0;    // n
};

// Where a submenu shows its entries: an entry goes before the first with the
// same or a higher number, so one put back by an undo returns to its place.
// For the Ui implementations that keep the entries as a list.
void InsertUserMenuEntry(std::vector<UserMenuEntry>& menu, const UserMenuEntry& entry);
void RemoveUserMenuEntry(std::vector<UserMenuEntry>& menu, int command);

class Ui {
public:
    virtual ~Ui() = default;

    // A modal message with an OK button, text exactly as given.
    virtual void ShowMessage(const std::string& text) = 0;
    // A modal question; returns the button chosen.
    virtual Answer Ask(const std::string& text, Buttons buttons) = 0;
    // A file dialog; nullopt when cancelled.
    virtual std::optional<std::string> AskFile(const FileDialogRequest& request) = 0;
    // The import/export options dialog; nullopt when cancelled.
    virtual std::optional<ImportDialogResult> AskImportOptions(const ImportDialogRequest& request) = 0;

    // The progress window: one status line and a bar from 0 to 100.
    virtual void ShowProgress() = 0;
    virtual void SetProgressStatus(const std::string& status) = 0;
    virtual void SetProgress(int percent) = 0;
    virtual void HideProgress() = 0;
    virtual void SetBusy(bool busy) = 0;

    virtual void Notify(Notification what) = 0;

    // The object tree view. Inserts an item at position among parentItem's
    // items (the end when position is past them) and returns its handle (0
    // when there is no tree). Removing an item removes the items under it.
    virtual long InsertTreeItem(const Frame& frame, const std::string& name, int icon, long parentItem,
                                int position) = 0;
    virtual void RemoveTreeItem(long item) = 0;
    // Shows name as the item's text.
    virtual void SetTreeItemName(long item, const std::string& name) { (void)item, (void)name; }
    // Sets an item's check box (checked: the object is rendered and pickable).
    virtual void SetTreeItemChecked(long item, bool checked) { (void)item; (void)checked; }
    // The short warning sound of a refused tree drop.
    virtual void Beep() {}
    // Shows the settings of light next to render-surface pixel (x, y) of the
    // active viewport (the light-settings tool's right click).
    virtual void ShowLightSettings(const Light& light, int x, int y)
    {
        (void)light;
        (void)x;
        (void)y;
    }

    // The viewport menus' "User Camera" and "User Light" submenus.
    virtual void AddUserCameraEntry(const UserMenuEntry& entry) = 0;
    virtual void RemoveUserCameraEntry(int command) = 0;
    virtual void AddUserLightEntry(const UserMenuEntry& entry) = 0;
    virtual void RemoveUserLightEntry(int command) = 0;
    // Empties both submenus and puts their placeholder entries back (New Scene).
    virtual void ResetUserMenus() = 0;

    // One line of the start-up splash window, shown at once.
    virtual void SetStartupStatus(const std::string& status) { (void)status; }

    // Opens viewport n's popup menu at window pixel (x, y) of that viewport.
    virtual void OpenViewportMenu(int n, int x, int y) { (void)n, (void)x, (void)y; }
};

} // namespace corvid
