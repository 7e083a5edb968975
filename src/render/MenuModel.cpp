#include "render/MenuModel.h"

#include <algorithm>

namespace corvid {

MenuItem MenuItem::Command(int command, std::string text, bool checked, bool enabled)
{
    MenuItem item;
    item.kind = Kind::Command;
    item.command = command;
    item.text = std::move(text);
    item.checked = checked;
    item.enabled = enabled;
    return item;
}

MenuItem MenuItem::Separator()
{
    MenuItem item;
    item.kind = Kind::Separator;
    return item;
}

MenuItem MenuItem::Popup(std::string text, std::vector<MenuItem> items, bool enabled)
{
    MenuItem item;
    item.kind = Kind::Popup;
    item.text = std::move(text);
    item.items = std::move(items);
    item.enabled = enabled;
    return item;
}

namespace {

template <typename Item, typename Pred>
Item* FindIn(std::vector<Item>& items, const Pred& pred)
{
    for (auto& item : items) {
        if (pred(item))
            return &item;
        if (Item* found = FindIn(item.items, pred))
            return found;
    }
    return nullptr;
}

template <typename Item, typename Pred>
const Item* FindIn(const std::vector<Item>& items, const Pred& pred)
{
    for (const auto& item : items) {
        if (pred(item))
            return &item;
        if (const Item* found = FindIn(item.items, pred))
            return found;
    }
    return nullptr;
}

auto ByCommand(int command)
{
    return [command](const MenuItem& item) { return command != 0 && item.kind == MenuItem::Kind::Command && item.command == command; };
}

auto PopupByText(const std::string& text)
{
    return [&text](const MenuItem& item) { return item.kind == MenuItem::Kind::Popup && item.text == text; };
}

} // namespace

MenuItem* MenuModel::Find(int command) { return FindIn(items, ByCommand(command)); }
const MenuItem* MenuModel::Find(int command) const { return FindIn(items, ByCommand(command)); }
MenuItem* MenuModel::FindPopup(const std::string& text) { return FindIn(items, PopupByText(text)); }
const MenuItem* MenuModel::FindPopup(const std::string& text) const { return FindIn(items, PopupByText(text)); }

const MenuItem* MenuModel::FindText(const std::string& text) const
{
    return FindIn(items, [&text](const MenuItem& item) { return item.kind != MenuItem::Kind::Separator && item.text == text; });
}

bool MenuModel::IsChecked(int command) const
{
    const MenuItem* item = Find(command);
    return item && item->checked;
}

bool MenuModel::IsEnabled(int command) const
{
    const MenuItem* item = Find(command);
    return item && item->enabled;
}

bool MenuModel::Check(int command, bool checked)
{
    MenuItem* item = Find(command);
    if (!item)
        return false;
    if (item->checked != checked) {
        item->checked = checked;
        ++revision_;
    }
    return true;
}

bool MenuModel::Enable(int command, bool enabled)
{
    MenuItem* item = Find(command);
    if (!item)
        return false;
    if (item->enabled != enabled) {
        item->enabled = enabled;
        ++revision_;
    }
    return true;
}

bool MenuModel::SetText(int command, const std::string& text)
{
    MenuItem* item = Find(command);
    if (!item)
        return false;
    if (item->text != text) {
        item->text = text;
        ++revision_;
    }
    return true;
}

void MenuModel::CheckOnly(std::span<const int> group, int command)
{
    for (int member : group)
        Check(member, member == command);
}

int MenuModel::CheckedOf(std::span<const int> group) const
{
    auto it = std::find_if(group.begin(), group.end(), [this](int c) { return IsChecked(c); });
    return it == group.end() ? 0 : *it;
}

} // namespace corvid
