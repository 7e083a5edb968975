#include "support/ScriptedUi.h"

#include <algorithm>

namespace corvid {

void ScriptedUi::ShowMessage(const std::string& text)
{
    messages.push_back(text);
}

Answer ScriptedUi::Ask(const std::string& text, Buttons)
{
    questions.push_back(text);
    if (answers.empty())
        return Answer::Cancel;
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<std::string> ScriptedUi::AskFile(const FileDialogRequest& request)
{
    fileRequests.push_back(request);
    if (files.empty())
        return std::nullopt;
    auto f = files.front();
    files.pop_front();
    return f;
}

std::optional<ImportDialogResult> ScriptedUi::AskImportOptions(const ImportDialogRequest& request)
{
    importRequests.push_back(request);
    if (importResults.empty())
        return ImportDialogResult{};
    auto r = importResults.front();
    importResults.pop_front();
    return r;
}

long ScriptedUi::InsertTreeItem(const Frame& frame, const std::string& name, int icon, long parentItem)
{
    long item = nextItem_++;
    tree[item] = {&frame, name, icon, parentItem};
    return item;
}

void ScriptedUi::RemoveTreeItem(long item)
{
    // Removing an item removes its subtree, as a tree control does.
    std::vector<long> doomed{item};
    for (size_t i = 0; i < doomed.size(); ++i)
        for (const auto& [id, entry] : tree)
            if (entry.parent == doomed[i])
                doomed.push_back(id);
    for (long id : doomed)
        tree.erase(id);
}

void ScriptedUi::SetTreeItemChecked(long item, bool checked)
{
    auto it = tree.find(item);
    if (it != tree.end())
        it->second.checked = checked;
}

namespace {
void InsertAt(std::vector<UserMenuEntry>& menu, const UserMenuEntry& entry)
{
    size_t at = std::min(static_cast<size_t>(std::max(entry.position, 0)), menu.size());
    menu.insert(menu.begin() + static_cast<std::ptrdiff_t>(at), entry);
}
void RemoveCommand(std::vector<UserMenuEntry>& menu, int command)
{
    std::erase_if(menu, [command](const UserMenuEntry& e) { return e.command == command; });
}
} // namespace

void ScriptedUi::AddUserCameraEntry(const UserMenuEntry& entry) { InsertAt(cameraEntries, entry); }
void ScriptedUi::RemoveUserCameraEntry(int command) { RemoveCommand(cameraEntries, command); }
void ScriptedUi::AddUserLightEntry(const UserMenuEntry& entry) { InsertAt(lightEntries, entry); }
void ScriptedUi::RemoveUserLightEntry(int command) { RemoveCommand(lightEntries, command); }

void ScriptedUi::ResetUserMenus()
{
    cameraEntries.clear();
    lightEntries.clear();
}

int ScriptedUi::Count(Notification what) const
{
    return static_cast<int>(std::count(notifications.begin(), notifications.end(), what));
}

} // namespace corvid
