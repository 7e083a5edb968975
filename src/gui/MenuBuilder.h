#pragma once
// Draws the core's menu models as QMenus. Every command item's QAction
// carries its command id in data(); triggering it hands the id to onCommand.

#include "render/MenuModel.h"

#include <functional>
#include <vector>

class QAction;
class QMenu;

namespace corvid {

using CommandHandler = std::function<void(int command)>;

// Appends items (separators, commands, popups as submenus) to menu. Items
// with command 0 are shown but do nothing.
void AppendMenuItems(QMenu& menu, const std::vector<MenuItem>& items, const CommandHandler& onCommand);

// Sets the check marks and enabled flags of menu's actions (submenus
// included) from model, by command id.
void RefreshMenuStates(QMenu& menu, const MenuModel& model);

// The action with command id in menu or its submenus, or null.
QAction* FindCommandAction(const QMenu& menu, int command);

} // namespace corvid
