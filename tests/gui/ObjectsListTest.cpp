// The "Objects List" widget on its own, with plain frames and recorded
// actions: item handles and what they survive, which changes reach the
// actions and which do not, refused renames and boxes that cannot lie.

#include "GuiTestSupport.h"

#include "gui/ObjectTreeWidget.h"
#include "platform/Frame.h"

#include <QMimeData>

#include <string>
#include <vector>

using namespace corvid;

class ObjectsListTest : public QObject {
    Q_OBJECT

private:
    struct Recorded {
        std::vector<const Frame*> selected;
        std::vector<std::string> renames;
        std::vector<std::pair<const Frame*, bool>> shown;
        std::vector<const Frame*> removed;
        int beeps = 0;
    };

    // WORLD, SCENE under it and a parent with one child under SCENE.
    struct Fixture {
        FramePtr world = Frame::Create(nullptr);
        FramePtr scene = Frame::Create(world.get());
        FramePtr parent = Frame::Create(scene.get());
        FramePtr child = Frame::Create(parent.get());
        ObjectTreeWidget tree;
        Recorded calls;
        long worldItem = 0, sceneItem = 0, parentItem = 0, childItem = 0;

        Fixture()
        {
            auto& a = tree.actions;
            a.select = [this](const FramePtr& f) { calls.selected.push_back(f.get()); };
            a.rename = [this](const FramePtr&, const std::string& name) {
                calls.renames.push_back(name);
                return name != "refused";
            };
            a.setShown = [this](const FramePtr& f, bool shown) {
                calls.shown.emplace_back(f.get(), shown);
                // The "core" obeys only for the parent.
                if (f.get() == parent.get())
                    f->SetTraversalOptions(shown ? kRenderEnable | kPickEnable : 0u);
            };
            a.remove = [this](const FramePtr& f) { calls.removed.push_back(f.get()); };
            a.beep = [this] { ++calls.beeps; };
            worldItem = tree.InsertItem(*world, "WORLD", ObjectTreeWidget::ObjectIcon, 0);
            sceneItem = tree.InsertItem(*scene, "SCENE", ObjectTreeWidget::ObjectIcon, worldItem);
            parentItem = tree.InsertItem(*parent, "Parent", ObjectTreeWidget::ObjectIcon, sceneItem);
            childItem = tree.InsertItem(*child, "Child", ObjectTreeWidget::LightIcon, parentItem);
        }
    };

    static QImage IconImage(const QTreeWidgetItem* item) { return item->icon(0).pixmap(16, 16).toImage(); }

private slots:
    void handlesFindItemsAndFrames()
    {
        Fixture f;
        QVERIFY(f.worldItem && f.sceneItem && f.parentItem && f.childItem);
        QCOMPARE(QSet<long>({f.worldItem, f.sceneItem, f.parentItem, f.childItem}).size(), 4);
        QCOMPARE(f.tree.ItemCount(), 4);
        QCOMPARE(f.tree.Item(f.childItem)->parent(), f.tree.Item(f.parentItem));
        QCOMPARE(f.tree.FrameOf(f.tree.Item(f.childItem)), f.child);
        QCOMPARE(f.tree.ItemOf(f.parent.get()), f.tree.Item(f.parentItem));

        // The roots take the world and scene icons whatever they were given.
        QCOMPARE(IconImage(f.tree.Item(f.worldItem)), ObjectTreeWidget::TreeIcon(0).pixmap(16, 16).toImage());
        QCOMPARE(IconImage(f.tree.Item(f.sceneItem)), ObjectTreeWidget::TreeIcon(1).pixmap(16, 16).toImage());
        QCOMPARE(IconImage(f.tree.Item(f.childItem)), ObjectTreeWidget::TreeIcon(3).pixmap(16, 16).toImage());

        // A frame whose parent is not listed gets no item.
        FramePtr loose = Frame::Create(f.world.get());
        FramePtr below = Frame::Create(loose.get());
        QCOMPARE(f.tree.InsertItem(*below, "Below", ObjectTreeWidget::ObjectIcon, 0), 0L);
        QCOMPARE(f.tree.InsertItem(*below, "Below", ObjectTreeWidget::ObjectIcon, 9999), 0L);
        QCOMPARE(f.tree.ItemCount(), 4);
    }

    void removingAnItemForgetsItsSubtree()
    {
        Fixture f;
        f.tree.RemoveItem(f.parentItem);
        QCOMPARE(f.tree.ItemCount(), 2);
        QCOMPARE(f.tree.Item(f.childItem), nullptr);
        QCOMPARE(f.tree.ItemOf(f.child.get()), nullptr);
        QCOMPARE(f.tree.Item(f.sceneItem)->childCount(), 0);
        // The core removing the child's old handle afterwards is harmless.
        f.tree.RemoveItem(f.childItem);
        f.tree.RemoveItem(0);
        QCOMPARE(f.tree.ItemCount(), 2);
        // Listed again, under new handles.
        const long again = f.tree.InsertItem(*f.parent, "Parent", ObjectTreeWidget::ObjectIcon, f.sceneItem);
        QVERIFY(again && again != f.parentItem);
        QCOMPARE(f.tree.ItemOf(f.parent.get()), f.tree.Item(again));
        QVERIFY(f.calls.selected.empty() && f.calls.removed.empty());
    }

    void aDeadFrameHasNoItem()
    {
        Fixture f;
        QTreeWidgetItem* item = f.tree.Item(f.childItem);
        Frame* address = f.child.get();
        f.parent->DeleteChild(address);
        f.child.reset();
        QCOMPARE(f.tree.FrameOf(item), FramePtr());
        QCOMPARE(f.tree.ItemOf(address), nullptr);
        // Deleting or dropping a dead item reaches no action.
        f.tree.DeleteItem(item);
        QVERIFY(f.calls.removed.empty());
        QVERIFY(!f.tree.DropItem(item, f.tree.Item(f.sceneItem)));
        QCOMPARE(f.calls.beeps, 1);
    }

    void onlyThePersonsChangesReachTheActions()
    {
        Fixture f;
        f.tree.ShowSelection(f.child.get());
        QCOMPARE(f.tree.currentItem(), f.tree.Item(f.childItem));
        f.tree.SetChecked(f.childItem, false);
        QCOMPARE(f.tree.Item(f.childItem)->checkState(0), Qt::Unchecked);
        f.tree.ShowSelection(nullptr);
        QCOMPARE(f.tree.currentItem(), nullptr);
        QVERIFY(f.calls.selected.empty() && f.calls.shown.empty() && f.calls.renames.empty());

        f.tree.setCurrentItem(f.tree.Item(f.parentItem));
        QCOMPARE(f.calls.selected, std::vector<const Frame*>({f.parent.get()}));
    }

    void refusedRenamesPutTheOldTextBack()
    {
        Fixture f;
        QTreeWidgetItem* item = f.tree.Item(f.parentItem);
        item->setText(0, "refused");
        QCOMPARE(item->text(0), QString("Parent"));
        item->setText(0, "Base");
        QCOMPARE(item->text(0), QString("Base"));
        // Compared with the last accepted name, not the first.
        item->setText(0, "refused");
        QCOMPARE(item->text(0), QString("Base"));
        item->setText(0, "");
        QCOMPARE(item->text(0), QString("Base"));
        QCOMPARE(f.calls.renames, std::vector<std::string>({"refused", "Base", "refused"}));
    }

    void boxesShowTheObjectNotTheClick()
    {
        Fixture f;
        QTreeWidgetItem* parent = f.tree.Item(f.parentItem);
        QTreeWidgetItem* child = f.tree.Item(f.childItem);
        QCOMPARE(parent->checkState(0), Qt::Checked);
        QVERIFY(!(f.tree.Item(f.worldItem)->flags() & Qt::ItemIsUserCheckable));

        parent->setCheckState(0, Qt::Unchecked);
        QCOMPARE(f.parent->GetTraversalOptions(), 0u);
        QCOMPARE(parent->checkState(0), Qt::Unchecked);

        // The core ignores the child's switch: its box goes back.
        child->setCheckState(0, Qt::Unchecked);
        QCOMPARE(child->checkState(0), Qt::Checked);
        QCOMPARE((std::vector<std::pair<const Frame*, bool>>{{f.parent.get(), false}, {f.child.get(), false}}),
                 f.calls.shown);

        // A frame rendered but not pickable counts as hidden.
        FramePtr half = Frame::Create(f.scene.get());
        half->SetTraversalOptions(kRenderEnable);
        const long handle = f.tree.InsertItem(*half, "Half", ObjectTreeWidget::ObjectIcon, f.sceneItem);
        QCOMPARE(f.tree.Item(handle)->checkState(0), Qt::Unchecked);
    }

    void keysAndForeignDropsGoWhereTheyBelong()
    {
        Fixture f;
        f.tree.show();
        f.tree.setCurrentItem(f.tree.Item(f.childItem));
        QTest::keyClick(&f.tree, Qt::Key_Delete);
        QCOMPARE(f.calls.removed, std::vector<const Frame*>({f.child.get()}));

        // A drop from outside the tree moves nothing and asks nothing.
        QMimeData data;
        data.setText("Parent");
        const QPoint at = f.tree.visualItemRect(f.tree.Item(f.sceneItem)).center();
        QDropEvent drop(at, Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(f.tree.viewport(), &drop);
        QCoreApplication::processEvents();
        QCOMPARE(f.tree.ItemCount(), 4);
        QCOMPARE(f.tree.Item(f.childItem)->parent(), f.tree.Item(f.parentItem));
        QCOMPARE(f.calls.beeps, 0);
    }
};

CORVID_GUI_TEST_MAIN(ObjectsListTest)
#include "ObjectsListTest.moc"
