#include "scene/Ui.h"

#include <algorithm>

namespace corvid {

void InsertUserMenuEntry(std::vector<UserMenuEntry>& menu, const UserMenuEntry& entry)
{
    auto at = std::find_if(menu.begin(), menu.end(), [&](const UserMenuEntry& e) { return e.position >= entry.position; });
    menu.insert(at, entry);
}

void RemoveUserMenuEntry(std::vector<UserMenuEntry>& menu, int command)
{
    std::erase_if(menu, [command](const UserMenuEntry& e) { return e.command == command; });
}

} // namespace corvid
