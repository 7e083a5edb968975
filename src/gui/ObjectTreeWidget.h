#pragma once
// The "Objects List": the frame tree as the person sees it. WORLD at the root,
// SCENE under it, then every registered object with its name, its icon and a
// check box that shows whether the object is rendered and pickable.
//
// The widget never changes the scene or its own rows on its own: selecting,
// renaming, dropping, deleting and switching a box go to the actions, and the
// core answers by inserting and removing items through the Ui port. Item
// handles are the longs the core keeps in ObjectRecord::treeItem.

#include "platform/Fwd.h"

#include <QIcon>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

class QMenu;

namespace corvid {

class ObjectTreeWidget final : public QTreeWidget {
    Q_OBJECT
public:
    // The four icons of the image list.
    enum Icon { WorldIcon = 0, SceneIcon = 1, ObjectIcon = 2, LightIcon = 3 };
    static QIcon TreeIcon(int icon);

    // What the person asks for; each may be left unset.
    struct Actions {
        std::function<void(const FramePtr& frame)> select;
        // False: the name is refused and the old text comes back.
        std::function<bool(const FramePtr& frame, const std::string& name)> rename;
        // Makes dragged a child of target. False: refused, nothing changed.
        std::function<bool(const FramePtr& dragged, const FramePtr& target)> drop;
        std::function<void(const FramePtr& frame)> remove;
        // The check box of frame was switched to shown (true) or hidden.
        std::function<void(const FramePtr& frame, bool shown)> setShown;
        // A refused drop with no other feedback.
        std::function<void()> beep;
    };
    Actions actions;

    explicit ObjectTreeWidget(QWidget* parent = nullptr);
    ~ObjectTreeWidget() override;

    // Adds frame's item at position among the children of parentItem (0: a
    // root item when the frame has no parent; past the end: the last).
    // Returns its handle, 0 when not listed.
    long InsertItem(const Frame& frame, const QString& name, int icon, long parentItem, int position = -1);
    // Shows name as an item's text (and the name its editor starts from).
    void SetItemName(long handle, const QString& name);
    // Removes the item and the items below it; unknown handles are ignored.
    void RemoveItem(long handle);

    QTreeWidgetItem* Item(long handle) const;
    long Handle(const QTreeWidgetItem* item) const;
    // The frame an item stands for; null when it is gone.
    FramePtr FrameOf(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* ItemOf(const Frame* frame) const;
    int ItemCount() const { return static_cast<int>(entries_.size()); }

    // A drop of dragged onto target, exactly as the mouse gesture ends. True
    // when the core took it (the rows were then rebuilt by the core).
    bool DropItem(QTreeWidgetItem* dragged, QTreeWidgetItem* target);
    // Delete on item, as from the key or the context menu.
    void DeleteItem(QTreeWidgetItem* item);
    // The item marked as the drop target while a drag is over the tree.
    QTreeWidgetItem* DropTarget() const { return Item(dropTarget_); }
    // The context menu of the last right click (null before the first).
    QMenu* ContextMenu() const { return contextMenu_; }

    // Makes frame's item the current and highlighted one without selecting
    // anything in the core (the core did); null or unlisted clears both. The
    // list keeps following that frame: when rows come and go (a drop, a
    // copy, an undo) or the core refuses an item the person chose, the
    // highlight goes back to it, so Delete and a label edit always act on
    // the object the core has selected.
    void ShowSelection(const Frame* frame);
    // Sets one item's box (no action runs).
    void SetChecked(long handle, bool checked);
    // Sets every box from its object's rendered-and-pickable state, now or
    // (Schedule) once, when the events in hand are done.
    void RefreshCheckStates();
    void ScheduleCheckRefresh();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Entry {
        QTreeWidgetItem* item = nullptr;
        std::weak_ptr<Frame> frame;
    };
    void onCurrentItemChanged(QTreeWidgetItem* current);
    void onItemChanged(QTreeWidgetItem* item, int column);
    void forget(QTreeWidgetItem* item);
    // Puts the current item and the highlight back on the selection shown.
    void followSelection();
    void setCheck(QTreeWidgetItem* item, const Frame& frame);
    // Marks the item a drop would go to (null: none).
    void markDropTarget(QTreeWidgetItem* item);

    std::unordered_map<long, Entry> entries_;
    std::unordered_map<const Frame*, long> byFrame_;
    bool refreshQueued_ = false;
    long nextHandle_ = 1;
    int quiet_ = 0;  // > 0 while the widget itself changes rows
    QMenu* contextMenu_ = nullptr;
    long dropTarget_ = 0;
    std::weak_ptr<Frame> selection_;  // what the core last said is selected
};

} // namespace corvid
