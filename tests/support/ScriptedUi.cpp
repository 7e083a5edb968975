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

long ScriptedUi::InsertTreeItem(const Frame& frame, const std::string& name, int icon, long parentItem, int position)
{
    // Orders are spread out so that an item can go between two others.
    std::vector<long> siblings = TreeChildren(parentItem);
    const size_t at = std::min(static_cast<size_t>(std::max(position, 0)), siblings.size());
    for (size_t i = at; i < siblings.size(); ++i)
        tree[siblings[i]].order += 1;
    const long order = at < siblings.size() ? tree[siblings[at]].order - 1
                       : siblings.empty()   ? 0
                                            : tree[siblings.back()].order + 1;
    long item = nextItem_++;
    tree[item] = {&frame, name, icon, parentItem, false, order};
    return item;
}

std::vector<long> ScriptedUi::TreeChildren(long parent) const
{
    std::vector<long> out;
    for (const auto& [id, entry] : tree)
        if (entry.parent == parent && id != parent)
            out.push_back(id);
    std::stable_sort(out.begin(), out.end(), [this](long a, long b) { return tree.at(a).order < tree.at(b).order; });
    return out;
}

void ScriptedUi::SetTreeItemName(long item, const std::string& name)
{
    if (auto it = tree.find(item); it != tree.end())
        it->second.name = name;
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

void ScriptedUi::AddUserCameraEntry(const UserMenuEntry& entry) { InsertUserMenuEntry(cameraEntries, entry); }
void ScriptedUi::RemoveUserCameraEntry(int command) { RemoveUserMenuEntry(cameraEntries, command); }
void ScriptedUi::AddUserLightEntry(const UserMenuEntry& entry) { InsertUserMenuEntry(lightEntries, entry); }
void ScriptedUi::RemoveUserLightEntry(int command) { RemoveUserMenuEntry(lightEntries, command); }

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
