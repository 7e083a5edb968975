#pragma once
// The state of a menu without the widgets: items with their command ids,
// texts, check marks and enabled flags, and nested popups. The core keeps the
// viewport popup menus and the main menu in this form and changes them as the
// commands run; a front end draws whatever the model says when the menu opens.

#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace corvid {

struct MenuItem {
    enum class Kind { Command, Separator, Popup };

    Kind kind = Kind::Command;
    int command = 0;  // 0: an item without a handler
    std::string text;
    bool checked = false;
    bool enabled = true;
    std::vector<MenuItem> items;  // the entries of a popup
    // Keys that choose the command from anywhere in the window ("Ctrl+Z").
    std::vector<std::string> shortcuts;

    static MenuItem Command(int command, std::string text, bool checked = false, bool enabled = true);
    // This command item with shortcut keys.
    MenuItem WithShortcuts(std::vector<std::string> keys) &&
    {
        shortcuts = std::move(keys);
        return std::move(*this);
    }
    static MenuItem Separator();
    static MenuItem Popup(std::string text, std::vector<MenuItem> items, bool enabled = true);
};

class MenuModel {
public:
    std::vector<MenuItem> items;

    // The first item with this command id anywhere in the tree, or null.
    // Command 0 is never found.
    MenuItem* Find(int command);
    const MenuItem* Find(int command) const;
    // The first popup with this text anywhere in the tree, or null.
    MenuItem* FindPopup(const std::string& text);
    const MenuItem* FindPopup(const std::string& text) const;
    // The first item (of any kind) with this text, or null.
    const MenuItem* FindText(const std::string& text) const;

    bool Contains(int command) const { return Find(command) != nullptr; }
    bool IsChecked(int command) const;
    bool IsEnabled(int command) const;
    // Both return false when there is no such item.
    bool Check(int command, bool checked = true);
    bool Enable(int command, bool enabled = true);
    bool SetText(int command, const std::string& text);
    // Checks command and unchecks the other commands of group.
    void CheckOnly(std::span<const int> group, int command);
    void CheckOnly(std::initializer_list<int> group, int command)
    {
        CheckOnly(std::span<const int>(group.begin(), group.size()), command);
    }
    // The checked command of group, or 0 when none is checked.
    int CheckedOf(std::span<const int> group) const;

    // Bumped by every change made through the model's own calls, so a front
    // end can tell that a menu it shows is out of date.
    unsigned long Revision() const { return revision_; }
    void Touch() { ++revision_; }

private:
    unsigned long revision_ = 0;
};

} // namespace corvid
