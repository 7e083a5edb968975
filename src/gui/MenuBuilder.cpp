#include "gui/MenuBuilder.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

namespace corvid {

namespace {

void ApplyState(QAction& action, const MenuItem& item)
{
    const QString text = QString::fromStdString(item.text);
    if (action.text() != text)
        action.setText(text);
    // Only checked items show a mark; a checkable but unchecked action would
    // draw an empty box beside ordinary commands.
    action.setCheckable(item.checked);
    action.setChecked(item.checked);
    action.setEnabled(item.enabled);
}

} // namespace

void AppendMenuItems(QMenu& menu, const std::vector<MenuItem>& items, const CommandHandler& onCommand)
{
    for (const MenuItem& item : items) {
        switch (item.kind) {
        case MenuItem::Kind::Separator:
            menu.addSeparator();
            break;
        case MenuItem::Kind::Popup: {
            QMenu* sub = menu.addMenu(QString::fromStdString(item.text));
            sub->setEnabled(item.enabled);
            AppendMenuItems(*sub, item.items, onCommand);
            break;
        }
        case MenuItem::Kind::Command: {
            QAction* action = menu.addAction(QString::fromStdString(item.text));
            action->setData(item.command);
            ApplyState(*action, item);
            if (!item.shortcuts.empty()) {
                QList<QKeySequence> keys;
                for (const std::string& key : item.shortcuts)
                    keys.push_back(QKeySequence(QString::fromStdString(key)));
                action->setShortcuts(keys);
            }
            if (item.command != 0 && onCommand) {
                const int command = item.command;
                QObject::connect(action, &QAction::triggered, &menu, [onCommand, command] { onCommand(command); });
            }
            break;
        }
        }
    }
}

void RefreshMenuStates(QMenu& menu, const MenuModel& model)
{
    for (QAction* action : menu.actions()) {
        if (QMenu* sub = action->menu()) {
            if (const MenuItem* popup = model.FindPopup(sub->title().toStdString()))
                sub->setEnabled(popup->enabled);
            RefreshMenuStates(*sub, model);
            continue;
        }
        const int command = action->data().toInt();
        if (const MenuItem* item = command != 0 ? model.Find(command) : nullptr)
            ApplyState(*action, *item);
    }
}

QAction* FindCommandAction(const QMenu& menu, int command)
{
    for (QAction* action : menu.actions()) {
        if (QMenu* sub = action->menu()) {
            if (QAction* found = FindCommandAction(*sub, command))
                return found;
        } else if (!action->isSeparator() && action->data().toInt() == command) {
            return action;
        }
    }
    return nullptr;
}

} // namespace corvid
