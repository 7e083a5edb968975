#include "gui/ObjectTreeWidget.h"

#include "platform/Frame.h"
#include "app/Editor.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <vector>

namespace corvid {

namespace {

constexpr int kFrameRole = Qt::UserRole;        // the frame's address (item data)
constexpr int kHandleRole = Qt::UserRole + 1;   // the handle the core keeps
constexpr int kNameRole = Qt::UserRole + 2;     // the name last accepted
constexpr int kIconSize = 16;

QPixmap Canvas()
{
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A globe: a blue disc with a meridian and two parallels.
QPixmap WorldPixmap()
{
    QPixmap pixmap = Canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 60, 130), 1.2));
    p.setBrush(QColor(70, 140, 225));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(QColor(210, 235, 255), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(5.0, 1.5, 6, 13));
    p.drawLine(QPointF(2.5, 6), QPointF(13.5, 6));
    p.drawLine(QPointF(2.5, 10), QPointF(13.5, 10));
    return pixmap;
}

// A stage: a green floor in perspective with a small post standing on it.
QPixmap ScenePixmap()
{
    QPixmap pixmap = Canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath floor;
    floor.moveTo(1, 14);
    floor.lineTo(15, 14);
    floor.lineTo(12, 8);
    floor.lineTo(4, 8);
    floor.closeSubpath();
    p.setPen(QPen(QColor(30, 95, 40), 1.0));
    p.setBrush(QColor(90, 175, 90));
    p.drawPath(floor);
    p.drawLine(QPointF(8, 8), QPointF(8, 14));
    p.drawLine(QPointF(2.6, 11), QPointF(13.4, 11));
    p.setPen(QPen(QColor(60, 60, 60), 1.0));
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(6.5, 1.5, 3, 6));
    return pixmap;
}

// A cube: three shaded faces.
QPixmap ObjectPixmap()
{
    QPixmap pixmap = Canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF top[] = {{8, 1.5}, {14.5, 4.5}, {8, 7.5}, {1.5, 4.5}};
    const QPointF left[] = {{1.5, 4.5}, {8, 7.5}, {8, 14.5}, {1.5, 11.5}};
    const QPointF right[] = {{8, 7.5}, {14.5, 4.5}, {14.5, 11.5}, {8, 14.5}};
    p.setPen(QPen(QColor(110, 60, 10), 1.0));
    p.setBrush(QColor(250, 190, 110));
    p.drawPolygon(top, 4);
    p.setBrush(QColor(225, 140, 50));
    p.drawPolygon(left, 4);
    p.setBrush(QColor(175, 100, 30));
    p.drawPolygon(right, 4);
    return pixmap;
}

// A light bulb: a yellow globe with a grey screw base.
QPixmap LightPixmap()
{
    QPixmap pixmap = Canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(140, 110, 0), 1.0));
    p.setBrush(QColor(255, 225, 60));
    p.drawEllipse(QRectF(3, 0.5, 10, 10));
    p.setPen(QPen(QColor(70, 70, 70), 1.0));
    p.setBrush(QColor(165, 165, 165));
    p.drawRect(QRectF(5.5, 10.5, 5, 4));
    p.drawLine(QPointF(5.5, 12.5), QPointF(10.5, 12.5));
    return pixmap;
}

} // namespace

QIcon ObjectTreeWidget::TreeIcon(int icon)
{
    switch (icon) {
    case WorldIcon: return QIcon(WorldPixmap());
    case SceneIcon: return QIcon(ScenePixmap());
    case LightIcon: return QIcon(LightPixmap());
    default: return QIcon(ObjectPixmap());
    }
}

ObjectTreeWidget::ObjectTreeWidget(QWidget* parent)
    : QTreeWidget(parent)
{
    setObjectName("objectsList");
    setWindowTitle("Objects List");
    setColumnCount(1);
    header()->hide();
    setIconSize(QSize(kIconSize, kIconSize));
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::SelectedClicked);
    setDragEnabled(true);
    setAcceptDrops(true);
    // The target item is marked instead of a line between items: a drop
    // always goes into the item under the cursor.
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
    setMouseTracking(true);  // hot tracking and tool tips
    contextMenu_ = new QMenu(this);

    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { onCurrentItemChanged(current); });
    connect(this, &QTreeWidget::itemChanged, this, &ObjectTreeWidget::onItemChanged);
}

ObjectTreeWidget::~ObjectTreeWidget()
{
    // The rows go while this part of the widget still exists, and nothing
    // reaches the core from here.
    ++quiet_;
    actions = {};
    blockSignals(true);
    clear();
    entries_.clear();
    byFrame_.clear();
}

long ObjectTreeWidget::InsertItem(const Frame& frame, const QString& name, int icon, long parentItem, int position)
{
    QTreeWidgetItem* parent = Item(parentItem);
    const bool root = !parent && !frame.GetParent();
    if (!parent && !root)
        return 0;  // its parent is not listed: neither is the object

    if (root)
        icon = WorldIcon;
    else if (!parent->parent() && icon == ObjectIcon && name == "SCENE")
        icon = SceneIcon;

    ++quiet_;
    auto* item = new QTreeWidgetItem;
    item->setText(0, name);
    item->setIcon(0, TreeIcon(icon));
    item->setToolTip(0, name);
    const long handle = nextHandle_++;
    item->setData(0, kFrameRole, QVariant::fromValue(reinterpret_cast<quintptr>(&frame)));
    item->setData(0, kHandleRole, QVariant::fromValue(static_cast<qlonglong>(handle)));
    item->setData(0, kNameRole, name);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDropEnabled;
    if (!root)
        flags |= Qt::ItemIsDragEnabled | Qt::ItemIsUserCheckable;
    item->setFlags(flags);
    if (!root)
        setCheck(item, frame);
    if (parent) {
        if (position >= 0 && position < parent->childCount())
            parent->insertChild(position, item);
        else
            parent->addChild(item);
        parent->setExpanded(true);
    } else {
        addTopLevelItem(item);
        item->setExpanded(true);
    }
    // The core holds frames through shared pointers; the const is the port's.
    entries_[handle] = Entry{item, const_cast<Frame&>(frame).weak_from_this()};
    byFrame_[&frame] = handle;
    followSelection();
    --quiet_;
    return handle;
}

void ObjectTreeWidget::SetItemName(long handle, const QString& name)
{
    QTreeWidgetItem* item = Item(handle);
    if (!item || item->text(0) == name)
        return;
    ++quiet_;
    item->setText(0, name);
    item->setToolTip(0, name);
    item->setData(0, kNameRole, name);
    --quiet_;
}

void ObjectTreeWidget::RemoveItem(long handle)
{
    QTreeWidgetItem* item = Item(handle);
    if (!item)
        return;
    ++quiet_;
    forget(item);
    delete item;
    // Qt moved the current row to a neighbour of the one removed.
    followSelection();
    --quiet_;
}

void ObjectTreeWidget::forget(QTreeWidgetItem* item)
{
    for (int i = 0; i < item->childCount(); ++i)
        forget(item->child(i));
    const long handle = Handle(item);
    const auto frame = reinterpret_cast<const Frame*>(item->data(0, kFrameRole).value<quintptr>());
    if (auto it = byFrame_.find(frame); it != byFrame_.end() && it->second == handle)
        byFrame_.erase(it);
    entries_.erase(handle);
}

QTreeWidgetItem* ObjectTreeWidget::Item(long handle) const
{
    auto it = entries_.find(handle);
    return it == entries_.end() ? nullptr : it->second.item;
}

long ObjectTreeWidget::Handle(const QTreeWidgetItem* item) const
{
    return item ? static_cast<long>(item->data(0, kHandleRole).toLongLong()) : 0;
}

FramePtr ObjectTreeWidget::FrameOf(const QTreeWidgetItem* item) const
{
    auto it = entries_.find(Handle(item));
    return it == entries_.end() ? nullptr : it->second.frame.lock();
}

QTreeWidgetItem* ObjectTreeWidget::ItemOf(const Frame* frame) const
{
    auto it = byFrame_.find(frame);
    if (it == byFrame_.end())
        return nullptr;
    auto entry = entries_.find(it->second);
    // An address may come back for a new frame: only a live frame counts.
    if (entry == entries_.end() || entry->second.frame.lock().get() != frame)
        return nullptr;
    return entry->second.item;
}

bool ObjectTreeWidget::DropItem(QTreeWidgetItem* dragged, QTreeWidgetItem* target)
{
    const FramePtr source = FrameOf(dragged);
    const FramePtr destination = FrameOf(target);
    bool accepted = false;
    if (source && destination && actions.drop)
        accepted = actions.drop(source, destination);
    else if (actions.beep)
        actions.beep();
    if (accepted) {
        // The rows were made again: keep the dropped object in view.
        if (QTreeWidgetItem* item = ItemOf(source.get()))
            scrollToItem(item);
    }
    return accepted;
}

void ObjectTreeWidget::DeleteItem(QTreeWidgetItem* item)
{
    if (FramePtr frame = FrameOf(item); frame && actions.remove)
        actions.remove(frame);
}

void ObjectTreeWidget::ShowSelection(const Frame* frame)
{
    selection_.reset();
    if (frame)
        selection_ = const_cast<Frame*>(frame)->weak_from_this();
    followSelection();
    if (QTreeWidgetItem* item = currentItem())
        scrollToItem(item);
}

void ObjectTreeWidget::followSelection()
{
    const FramePtr frame = selection_.lock();
    QTreeWidgetItem* item = frame ? ItemOf(frame.get()) : nullptr;
    if (currentItem() == item && (!item || item->isSelected()) && (item || selectedItems().isEmpty()))
        return;
    ++quiet_;
    if (item) {
        setCurrentItem(item);
    } else {
        setCurrentItem(nullptr);
        clearSelection();
    }
    --quiet_;
}

void ObjectTreeWidget::SetChecked(long handle, bool checked)
{
    QTreeWidgetItem* item = Item(handle);
    if (!item || !(item->flags() & Qt::ItemIsUserCheckable))
        return;
    ++quiet_;
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    --quiet_;
}

void ObjectTreeWidget::ScheduleCheckRefresh()
{
    if (refreshQueued_)
        return;
    refreshQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            refreshQueued_ = false;
            RefreshCheckStates();
        },
        Qt::QueuedConnection);
}

void ObjectTreeWidget::RefreshCheckStates()
{
    ++quiet_;
    for (const auto& [handle, entry] : entries_)
        if (entry.item->flags() & Qt::ItemIsUserCheckable)
            if (FramePtr frame = entry.frame.lock())
                setCheck(entry.item, *frame);
    --quiet_;
}

void ObjectTreeWidget::setCheck(QTreeWidgetItem* item, const Frame& frame)
{
    // Checked: rendered and pickable. Cleared: neither.
    item->setCheckState(0, SceneModel::IsShown(frame) ? Qt::Checked : Qt::Unchecked);
}

void ObjectTreeWidget::onCurrentItemChanged(QTreeWidgetItem* current)
{
    if (quiet_ || !current)
        return;
    if (FramePtr frame = FrameOf(current); frame && actions.select)
        actions.select(frame);
    // A refused choice (WORLD, SCENE, an object without a mesh) leaves the
    // selection where it was: so does the highlight, once the click that
    // moved it is over.
    QMetaObject::invokeMethod(this, [this] { followSelection(); }, Qt::QueuedConnection);
}

void ObjectTreeWidget::onItemChanged(QTreeWidgetItem* item, int column)
{
    if (quiet_ || column != 0)
        return;
    const FramePtr frame = FrameOf(item);
    if (!frame)
        return;
    const QString accepted = item->data(0, kNameRole).toString();
    const QString text = item->text(0);
    if (text != accepted) {
        // A label edit.
        bool renamed = !text.isEmpty() && actions.rename && actions.rename(frame, text.toStdString());
        ++quiet_;
        if (renamed) {
            item->setData(0, kNameRole, text);
            item->setToolTip(0, text);
        } else {
            item->setText(0, accepted);
        }
        --quiet_;
        return;
    }
    if (!(item->flags() & Qt::ItemIsUserCheckable))
        return;
    const bool wantShown = item->checkState(0) == Qt::Checked;
    if (wantShown != SceneModel::IsShown(*frame) && actions.setShown)
        actions.setShown(frame, wantShown);
    // Whatever the core did, the box shows the object.
    RefreshCheckStates();
}

void ObjectTreeWidget::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->source() == this)
        event->acceptProposedAction();
    else
        event->ignore();
}

void ObjectTreeWidget::dragMoveEvent(QDragMoveEvent* event)
{
    // Let the view scroll, then decide for ourselves: any listed item is a
    // drop target, the core judges the drop.
    QTreeWidget::dragMoveEvent(event);
    QTreeWidgetItem* target = event->source() == this ? itemAt(event->position().toPoint()) : nullptr;
    markDropTarget(target);
    if (target) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void ObjectTreeWidget::dragLeaveEvent(QDragLeaveEvent* event)
{
    markDropTarget(nullptr);
    QTreeWidget::dragLeaveEvent(event);
}

void ObjectTreeWidget::markDropTarget(QTreeWidgetItem* item)
{
    const long handle = Handle(item);
    if (handle == dropTarget_)
        return;
    ++quiet_;
    if (QTreeWidgetItem* old = Item(dropTarget_))
        old->setData(0, Qt::BackgroundRole, QVariant());
    if (item) {
        QColor mark = palette().color(QPalette::Highlight);
        mark.setAlpha(90);
        item->setBackground(0, mark);
    }
    dropTarget_ = handle;
    --quiet_;
}

void ObjectTreeWidget::dropEvent(QDropEvent* event)
{
    QTreeWidgetItem* dragged = currentItem();
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    markDropTarget(nullptr);
    // Qt must not move or remove any row: the core re-creates them.
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
    stopAutoScroll();
    setState(QAbstractItemView::NoState);
    viewport()->update();
    if (event->source() != this || !dragged)
        return;
    // The drag loop still holds the dragged row: drop once it has ended.
    std::weak_ptr<Frame> source = FrameOf(dragged);
    std::weak_ptr<Frame> destination = FrameOf(target);
    QMetaObject::invokeMethod(
        this,
        [this, source, destination] {
            const FramePtr s = source.lock();
            const FramePtr d = destination.lock();
            QTreeWidgetItem* from = s ? ItemOf(s.get()) : nullptr;
            QTreeWidgetItem* onto = d ? ItemOf(d.get()) : nullptr;
            if (from && onto)
                DropItem(from, onto);
            else if (actions.beep)
                actions.beep();
        },
        Qt::QueuedConnection);
}

void ObjectTreeWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
        DeleteItem(currentItem());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void ObjectTreeWidget::contextMenuEvent(QContextMenuEvent* event)
{
    QTreeWidgetItem* item = itemAt(event->pos());
    if (!item)
        return;
    // A right click selects the item first.
    setCurrentItem(item);
    const long handle = Handle(item);
    contextMenu_->clear();
    QAction* remove = contextMenu_->addAction("Delete");
    connect(remove, &QAction::triggered, this, [this, handle] { DeleteItem(Item(handle)); });
    contextMenu_->addSeparator();
    contextMenu_->addAction("Properties")->setEnabled(false);
    contextMenu_->addAction("Help")->setEnabled(false);
    contextMenu_->popup(event->globalPos());
}

} // namespace corvid
