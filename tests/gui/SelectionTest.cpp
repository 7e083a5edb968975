// The editor with its demo scene under an X server: a click in viewport 1
// selects an object and the Objects List and the information panel follow;
// the tree's drops, renames, check boxes and deletes go through the editor;
// the tool buttons choose the tool mode; the viewport menu's view items and
// the Delete key reach the editor.

#include "GuiTestSupport.h"

#include "gui/MainWindow.h"
#include "gui/MenuBuilder.h"
#include "gui/ObjectInfoPanel.h"
#include "gui/ObjectTreeWidget.h"
#include "gui/QtUi.h"
#include "gui/ToolButtons.h"
#include "gui/ViewportWidget.h"
#include "platform/Device.h"
#include "platform/Frame.h"
#include "render/CommandIds.h"
#include "render/Picking.h"
#include "app/Editor.h"
#include "scene/ObjectTree.h"
#include "scene/Records.h"
#include "tools/ToolMode.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QSet>
#include <QToolButton>

#include <memory>
#include <string>
#include <vector>

using namespace corvid;

namespace {

constexpr int kWait = 30000;

QAction* FindByText(const QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

} // namespace

class SelectionTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<EditorShell> shell_;
    MainWindow* window_ = nullptr;
    Editor* editor_ = nullptr;
    ObjectTreeWidget* tree_ = nullptr;
    std::vector<std::string> boxes_;

    ViewportWidget* viewport1() const { return window_->Viewport(1); }

    // Where the centre of frame shows in viewport 1, in widget coordinates.
    QPoint onScreen(const Frame& frame)
    {
        return test::Viewport1PointOf(*editor_, *viewport1(), frame.GetPosition(editor_->scene.Scene().get()));
    }

    QString currentText() const { return tree_->currentItem() ? tree_->currentItem()->text(0) : QString(); }

private slots:
    void initTestCase()
    {
        shell_ = std::make_unique<EditorShell>();
        shell_->Ui().boxHook = [this](const std::string& text, Buttons) {
            boxes_.push_back(text);
            return Answer::Ok;
        };
        ShellOptions options;
        options.demo = true;
        QVERIFY(shell_->Start(options));
        window_ = shell_->GetMainWindow();
        editor_ = shell_->GetEditor();
        QTRY_VERIFY_WITH_TIMEOUT(shell_->StartupFinished(), kWait);
        QTRY_VERIFY_WITH_TIMEOUT(viewport1()->PresentCount() > 0, kWait);
        tree_ = window_->ObjectsList();
        QVERIFY(tree_);
        QVERIFY(window_->ObjectsListDock()->isVisible());
        QCOMPARE(window_->ObjectsListDock()->windowTitle(), QString("Objects List"));
    }

    void cleanupTestCase()
    {
        shell_->Shutdown();
        shell_.reset();
    }

    void treeListsTheSceneWithItsIconsAndBoxes()
    {
        QCOMPARE(tree_->topLevelItemCount(), 1);
        QTreeWidgetItem* world = tree_->topLevelItem(0);
        QCOMPARE(world->text(0), QString("WORLD"));
        QCOMPARE(world->childCount(), 1);
        QTreeWidgetItem* scene = world->child(0);
        QCOMPARE(scene->text(0), QString("SCENE"));
        QCOMPARE(tree_->FrameOf(world), editor_->scene.World());
        QCOMPARE(tree_->FrameOf(scene), editor_->scene.Scene());
        QVERIFY(world->isExpanded() && scene->isExpanded());

        // One item per registered object, in creation order, each the item
        // its record names.
        QStringList names;
        for (int i = 0; i < scene->childCount(); ++i) {
            QTreeWidgetItem* item = scene->child(i);
            names << item->text(0);
            const FramePtr frame = tree_->FrameOf(item);
            QVERIFY(frame);
            QCOMPARE(RecordOf(frame.get())->treeItem, tree_->Handle(item));
            QCOMPARE(item->checkState(0), Qt::Checked);
        }
        QCOMPARE(names, QStringList({"Cube 0", "Sphere 0", "Cube 1", "Cube 1", "SuperToroid 0", "Cylinder 0",
                                     "SuperEllipsoid 0", "BSpline Patch", "Camera 0", "Light 0", "Light 1"}));
        QVERIFY(!(world->flags() & Qt::ItemIsUserCheckable));

        // Four different icons: world, scene, object, light.
        auto image = [](const QTreeWidgetItem* item) { return item->icon(0).pixmap(16, 16).toImage(); };
        const QImage icons[] = {image(world), image(scene), image(scene->child(0)),
                                 image(scene->child(static_cast<int>(names.indexOf("Light 0"))))};
        for (int a = 0; a < 4; ++a) {
            QVERIFY(!icons[a].isNull());
            for (int b = a + 1; b < 4; ++b)
                QVERIFY2(icons[a] != icons[b], qPrintable(QString("icons %1 and %2 are the same").arg(a).arg(b)));
        }
        QCOMPARE(image(scene->child(0)), image(scene->child(1)));  // objects share theirs
    }

    void toolButtonsChooseTheToolMode()
    {
        ToolButtons* tools = window_->Tools();
        const std::vector<int> expected{1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  100, 101,
                                        102, 103, 104, 105, 106, 107, 108, 115, 116, 117, 200, 201,
                                        202, 400, 401, 402, 403, 404, 500, 501, 502, 503, 700};
        QCOMPARE(tools->Modes(), expected);
        QSet<QString> tips;
        QSet<qint64> iconKeys;
        for (int mode : expected) {
            QToolButton* button = tools->Button(mode);
            QVERIFY(button && button->isVisible());
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(editor_->tools.mode, mode);
            QVERIFY(button->isChecked());
            tips.insert(button->toolTip());
            iconKeys.insert(button->icon().pixmap(24, 24).toImage().cacheKey());
        }
        // Exclusive: only the last one stays checked.
        int checked = 0;
        for (int mode : expected)
            checked += tools->Button(mode)->isChecked() ? 1 : 0;
        QCOMPARE(checked, 1);
        QCOMPARE(tips.size(), int(expected.size()));
        QVERIFY(!tips.contains(QString()));

        // Every icon is drawn, and no two tools look alike.
        QSet<QByteArray> pictures;
        for (int mode : expected) {
            const QImage icon = ToolButtons::ToolIcon(mode).pixmap(24, 24).toImage().convertToFormat(
                QImage::Format_ARGB32);
            int inked = 0;
            for (int y = 0; y < icon.height(); ++y)
                for (int x = 0; x < icon.width(); ++x)
                    inked += qAlpha(icon.pixel(x, y)) > 0 ? 1 : 0;
            QVERIFY2(inked > 20, qPrintable(QString("tool %1 has an empty icon").arg(mode)));
            pictures.insert(QByteArray(reinterpret_cast<const char*>(icon.constBits()), icon.sizeInBytes()));
        }
        QCOMPARE(pictures.size(), int(expected.size()));

        tools->GridSnapBox()->click();
        QVERIFY(editor_->scene.grid.on);
        tools->GridSnapBox()->click();
        QVERIFY(!editor_->scene.grid.on);
    }

    void clickInViewportSelectsInTreeAndPanel()
    {
        window_->Tools()->Button(kModeMove)->click();
        QCOMPARE(editor_->tools.mode, int(kModeMove));
        const FramePtr sphere = FindObject(editor_->scene.Scene(), "Sphere 0");
        QVERIFY(sphere);

        // The sphere's centre is drawn there: not the background.
        const QPoint at = onScreen(*sphere);
        QVERIFY(viewport1()->rect().adjusted(30, 30, -30, -30).contains(at));
        const QImage picture = viewport1()->grabFramebuffer();
        QVERIFY((picture.pixel(at) & 0xFFFFFFu) != 0u);

        QTest::mouseClick(viewport1(), Qt::LeftButton, {}, at);
        QCOMPARE(editor_->scene.SelectedFrame(), sphere);
        QCOMPARE(currentText(), QString("Sphere 0"));
        QCOMPARE(tree_->FrameOf(tree_->currentItem()), sphere);
        ObjectInfoPanel* info = window_->InfoPanel();
        QCOMPARE(info->NameLabel()->text(), QString("Sphere 0"));
        QCOMPARE(info->KindLabel()->text(), QString("Object"));
        // "%f" and "%i" texts from the model, not blanks.
        QCOMPARE(info->PositionLabels()[1]->text(), QString("2.500000"));
        QCOMPARE(info->CountLabels()[0]->text(), QString::fromStdString(editor_->views.objectInfo.faceCount));
        QVERIFY(!info->CountLabels()[0]->text().isEmpty());
        QVERIFY(!editor_->views.mouse.leftDown);  // the release arrived too

        // A click on the empty sky clears all three.
        QTest::mouseClick(viewport1(), Qt::LeftButton, {}, QPoint(viewport1()->width() - 30, 30));
        QVERIFY(!editor_->scene.HasSelection());
        QCOMPARE(tree_->currentItem(), nullptr);
        QCOMPARE(info->NameLabel()->text(), QString());
        QCOMPARE(info->PositionLabels()[1]->text(), QString());
    }

    void draggingWithTheMoveToolMovesTheObject()
    {
        const FramePtr sphere = FindObject(editor_->scene.Scene(), "Sphere 0");
        const Frame* scene = editor_->scene.Scene().get();
        const Vec3 before = sphere->GetPosition(scene);
        const QPoint at = onScreen(*sphere);
        QTest::mousePress(viewport1(), Qt::LeftButton, {}, at);
        QCOMPARE(editor_->scene.SelectedFrame(), sphere);
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(viewport1(), at + QPoint(10 * step, 0));
        QTest::mouseRelease(viewport1(), Qt::LeftButton, {}, at + QPoint(40, 0));
        const Vec3 after = sphere->GetPosition(scene);
        // To the right on screen, in the working plane.
        QVERIFY2(after.x > before.x + 0.1f, qPrintable(QString("x %1 -> %2").arg(before.x).arg(after.x)));
        QCOMPARE(after.y, before.y);
        QCOMPARE(window_->InfoPanel()->PositionLabels()[0]->text(), QString::asprintf("%f", after.x));
        QVERIFY(!editor_->views.mouse.leftDown);
        sphere->SetPosition(scene, before);
    }

    void selectingAnItemSelectsItsObject()
    {
        const FramePtr cube = FindObject(editor_->scene.Scene(), "Cube 0");
        tree_->setCurrentItem(tree_->ItemOf(cube.get()));
        QCOMPARE(editor_->scene.SelectedFrame(), cube);
        QCOMPARE(currentText(), QString("Cube 0"));
        // The panels follow.
        QCOMPARE(window_->InfoPanel()->NameLabel()->text(), QString("Cube 0"));
        QCOMPARE(window_->InfoPanel()->PositionLabels()[0]->text(), QString("-4.500000"));
    }

    void droppingAnItemReparentsItsObject()
    {
        const FramePtr cube = FindObject(editor_->scene.Scene(), "Cube 0");
        const FramePtr sphere = FindObject(editor_->scene.Scene(), "Sphere 0");
        const int items = tree_->ItemCount();
        const int beeps = shell_->Ui().BeepCount();

        QVERIFY(tree_->DropItem(tree_->ItemOf(cube.get()), tree_->ItemOf(sphere.get())));
        QCOMPARE(cube->GetParent(), sphere.get());
        QTreeWidgetItem* cubeItem = tree_->ItemOf(cube.get());
        QTreeWidgetItem* sphereItem = tree_->ItemOf(sphere.get());
        QVERIFY(cubeItem && sphereItem);
        QCOMPARE(cubeItem->parent(), sphereItem);
        QCOMPARE(sphereItem->childCount(), 1);
        QCOMPARE(cubeItem->text(0), QString("Cube 0"));
        QCOMPARE(RecordOf(cube.get())->treeItem, tree_->Handle(cubeItem));
        QCOMPARE(tree_->ItemCount(), items);
        QCOMPARE(shell_->Ui().BeepCount(), beeps);

        // Onto its own parent, onto itself, and the parent onto its child:
        // a beep each, and nothing moves.
        const struct {
            FramePtr dragged, target;
        } refused[] = {{cube, sphere}, {cube, cube}, {sphere, cube}};
        for (const auto& drop : refused) {
            QTreeWidgetItem* before = tree_->ItemOf(drop.dragged.get());
            QVERIFY(!tree_->DropItem(before, tree_->ItemOf(drop.target.get())));
            QCOMPARE(tree_->ItemOf(drop.dragged.get()), before);
        }
        QCOMPARE(shell_->Ui().BeepCount(), beeps + 3);
        QCOMPARE(cube->GetParent(), sphere.get());
        QCOMPARE(sphere->GetParent(), editor_->scene.Scene().get());
        QCOMPARE(tree_->ItemOf(cube.get())->parent(), tree_->ItemOf(sphere.get()));

        // And back under SCENE, again as the last item.
        QTreeWidgetItem* sceneItem = tree_->ItemOf(editor_->scene.Scene().get());
        QVERIFY(tree_->DropItem(tree_->ItemOf(cube.get()), sceneItem));
        QCOMPARE(cube->GetParent(), editor_->scene.Scene().get());
        QCOMPARE(tree_->ItemOf(cube.get())->parent(), sceneItem);
        QCOMPARE(sceneItem->indexOfChild(tree_->ItemOf(cube.get())), sceneItem->childCount() - 1);
        QCOMPARE(tree_->ItemOf(sphere.get())->childCount(), 0);
    }

    void renamingGoesToTheObjectButNotForTheRoots()
    {
        const FramePtr cube = FindObject(editor_->scene.Scene(), "Cube 0");
        QTreeWidgetItem* item = tree_->ItemOf(cube.get());
        item->setText(0, "Pedestal");  // what the label editor does on commit
        QCOMPARE(QString::fromStdString(RecordOf(cube.get())->name), QString("Pedestal"));
        QCOMPARE(item->text(0), QString("Pedestal"));

        item->setText(0, "");
        QCOMPARE(item->text(0), QString("Pedestal"));
        QCOMPARE(QString::fromStdString(RecordOf(cube.get())->name), QString("Pedestal"));

        QTreeWidgetItem* scene = tree_->ItemOf(editor_->scene.Scene().get());
        scene->setText(0, "STAGE");
        QCOMPARE(scene->text(0), QString("SCENE"));
        QCOMPARE(QString::fromStdString(RecordOf(editor_->scene.Scene().get())->name), QString("SCENE"));
    }

    void checkBoxesFollowTheObjects()
    {
        const FramePtr light = FindObject(editor_->scene.Scene(), "Light 0");
        QTreeWidgetItem* item = tree_->ItemOf(light.get());
        item->setCheckState(0, Qt::Unchecked);  // what a click on the box does
        QVERIFY(!light->IsRenderEnabled() && !light->IsPickEnabled());
        item->setCheckState(0, Qt::Checked);
        QVERIFY(light->IsRenderEnabled() && light->IsPickEnabled());

        // Changed behind the tree's back, the box catches up on the next
        // tree notification.
        light->SetTraversalOptions(0);
        shell_->Ui().Notify(Notification::TreeChanged);
        QTRY_COMPARE(item->checkState(0), Qt::Unchecked);
        light->SetTraversalOptions(kRenderEnable | kPickEnable);
        shell_->Ui().Notify(Notification::TreeChanged);
        QTRY_COMPARE(item->checkState(0), Qt::Checked);
    }

    void rootsCannotBeDeleted()
    {
        boxes_.clear();
        QTreeWidgetItem* world = tree_->topLevelItem(0);
        tree_->setCurrentItem(world);
        tree_->setFocus();
        QTest::keyClick(tree_, Qt::Key_Delete);

        QTreeWidgetItem* scene = tree_->ItemOf(editor_->scene.Scene().get());
        const QPoint at = tree_->visualItemRect(scene).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree_->viewport()->mapToGlobal(at));
        QApplication::sendEvent(tree_->viewport(), &event);
        QCOMPARE(tree_->currentItem(), scene);  // a right click selects first
        QMenu* menu = tree_->ContextMenu();
        QVERIFY(menu);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->actions().size(), 4);  // Delete, separator and two inert entries
        QAction* remove = FindByText(*menu, "Delete");
        QVERIFY(remove && remove->isEnabled());
        menu->close();
        remove->trigger();

        QCOMPARE(boxes_, std::vector<std::string>({"Can not delete WORLD", "Can not delete SCENE"}));
        QCOMPARE(tree_->ItemOf(editor_->scene.Scene().get()), scene);
        QCOMPARE(tree_->ItemOf(editor_->scene.World().get()), world);
    }

    void deletingFromTheContextMenuRemovesTheSubtree()
    {
        // A light under a cube: both go.
        const FramePtr cube = FindObject(editor_->scene.Scene(), "Pedestal");
        const FramePtr light = FindObject(editor_->scene.Scene(), "Light 1");
        QVERIFY(tree_->DropItem(tree_->ItemOf(light.get()), tree_->ItemOf(cube.get())));
        const int items = tree_->ItemCount();
        QTreeWidgetItem* item = tree_->ItemOf(cube.get());
        const QPoint at = tree_->visualItemRect(item).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree_->viewport()->mapToGlobal(at));
        QApplication::sendEvent(tree_->viewport(), &event);
        QAction* remove = FindByText(*tree_->ContextMenu(), "Delete");
        tree_->ContextMenu()->close();
        remove->trigger();

        QCOMPARE(tree_->ItemCount(), items - 2);
        QCOMPARE(FindObject(editor_->scene.Scene(), "Pedestal"), nullptr);
        QCOMPARE(FindObject(editor_->scene.Scene(), "Light 1"), nullptr);
        QCOMPARE(tree_->ItemOf(cube.get()), nullptr);
        QVERIFY(!editor_->scene.HasSelection());
        QCOMPARE(tree_->currentItem() ? tree_->FrameOf(tree_->currentItem()) : FramePtr(), FramePtr());
    }

    void deleteKeyInAViewportDeletesTheSelection()
    {
        const FramePtr sphere = FindObject(editor_->scene.Scene(), "Sphere 0");
        editor_->tools.mode = kModeMove;
        QTest::mouseClick(viewport1(), Qt::LeftButton, {}, onScreen(*sphere));
        QCOMPARE(editor_->scene.SelectedFrame(), sphere);
        QCOMPARE(window_->focusWidget(), viewport1());
        QTest::keyClick(viewport1(), Qt::Key_Delete);
        QCOMPARE(FindObject(editor_->scene.Scene(), "Sphere 0"), nullptr);
        QCOMPARE(tree_->ItemOf(sphere.get()), nullptr);
        QVERIFY(!editor_->scene.HasSelection());
        QCOMPARE(window_->InfoPanel()->NameLabel()->text(), QString());
    }

    void viewportMenuViewItemsReachTheEditor()
    {
        // A right click in the corner square opens the menu and starts no drag.
        QTest::mouseClick(viewport1(), Qt::RightButton, {}, QPoint(10, 10));
        QMenu* menu = viewport1()->PopupMenu();
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(!editor_->views.mouse.rightDown);

        const int top = kViewCommands[0][kViewTop];
        QAction* item = FindCommandAction(*menu, top);
        QVERIFY(item);
        menu->close();
        item->trigger();
        QCOMPARE(editor_->views.Viewport(1).viewCommand, top);
        QCOMPARE(editor_->views.Viewport(1).projection, Projection::Orthographic);

        // Render-state items still reach the viewport commands.
        viewport1()->ShowPopupMenu();
        QAction* half = FindCommandAction(*viewport1()->PopupMenu(), kCmdDetail50);
        QVERIFY(half && half->isEnabled());
        viewport1()->PopupMenu()->close();
        half->trigger();
        QCOMPARE(editor_->views.Viewport(1).detail, 50);

        // A user camera's entry looks through that camera.
        QCOMPARE(shell_->Ui().UserCameraEntries().size(), size_t(1));
        const UserMenuEntry camera = shell_->Ui().UserCameraEntries().front();
        viewport1()->ShowPopupMenu();
        QAction* entry = FindCommandAction(*viewport1()->PopupMenu(), camera.command);
        QVERIFY(entry);
        QCOMPARE(entry->text(), QString::fromStdString(camera.text));
        viewport1()->PopupMenu()->close();
        entry->trigger();
        QCOMPARE(editor_->views.Viewport(1).viewCommand, camera.command);
        QCOMPARE(editor_->scene.ActiveCamera(), FindObject(editor_->scene.Scene(), "Camera 0"));

        // A right press in another viewport's corner makes it the active one
        // before the menu opens.
        editor_->views.ChooseLayout(2);
        editor_->views.ActivateView(1);
        QTest::mouseClick(window_->Viewport(3), Qt::RightButton, {}, QPoint(8, 8));
        QTRY_VERIFY(window_->Viewport(3)->PopupMenu()->isVisible());
        QCOMPARE(editor_->views.activeViewport, 3);
        window_->Viewport(3)->PopupMenu()->close();
        editor_->views.ChooseLayout(1);
        QCOMPARE(editor_->views.Viewport(1).detail, 50);

        // The main menu's "Viewport 1 Menu ..." opens the same menu.
        viewport1()->PopupMenu()->close();
        window_->RunCommand(kViewportMenuCommands[0]);
        QTRY_VERIFY(viewport1()->PopupMenu()->isVisible());
        viewport1()->PopupMenu()->close();
    }

    void clicksAtLowDetailStillHitWhatIsUnderTheCursor()
    {
        // The widget hands over window pixels; the editor scales them to the
        // half-size picture.
        QCOMPARE(editor_->views.Viewport(1).detail, 50);
        editor_->views.ViewCommand(1, kViewCommands[0][kViewPerspective]);
        const FramePtr cube = FindObject(editor_->scene.Scene(), "Cube 1");
        QVERIFY(cube);
        window_->Tools()->Button(kModeMove)->click();
        QTest::mouseClick(viewport1(), Qt::LeftButton, {}, onScreen(*cube));
        QCOMPARE(editor_->scene.SelectedFrame(), cube);
        QCOMPARE(tree_->FrameOf(tree_->currentItem()), cube);
    }

    void rightClickShowsThePickedLightsSettings()
    {
        const FramePtr light = FindObject(editor_->scene.Scene(), "Light 0");
        window_->Tools()->Button(kModeLightSettings)->click();
        const QPoint at = onScreen(*light);
        QVERIFY(viewport1()->rect().contains(at));
        QTest::mouseClick(viewport1(), Qt::LeftButton, {}, at);
        QCOMPARE(editor_->scene.SelectedFrame(), light);
        QCOMPARE(window_->InfoPanel()->KindLabel()->text(), QString("Light"));
        QTest::mouseClick(viewport1(), Qt::RightButton, {}, at);
        QVERIFY(shell_->Ui().LightSettingsText().startsWith("<b>Point light</b>"));
        QVERIFY(!editor_->views.mouse.rightDown);
    }

    void theHighlightStaysOnTheSelectionThroughADrop()
    {
        const FramePtr cylinder = FindObject(editor_->scene.Scene(), "Cylinder 0");
        const FramePtr toroid = FindObject(editor_->scene.Scene(), "SuperToroid 0");
        const FramePtr ellipsoid = FindObject(editor_->scene.Scene(), "SuperEllipsoid 0");
        QVERIFY(cylinder && toroid && ellipsoid);
        // The person clicks the cylinder's row, then drops it on the toroid
        // (the row after the cylinder's is the superellipsoid's).
        QTreeWidgetItem* row = tree_->ItemOf(cylinder.get());
        QTest::mouseClick(tree_->viewport(), Qt::LeftButton, {}, tree_->visualItemRect(row).center());
        QCOMPARE(editor_->scene.SelectedFrame(), cylinder);
        const Frame* scene = editor_->scene.Scene().get();
        const Vec3 before = cylinder->GetPosition(scene);
        QVERIFY(tree_->DropItem(row, tree_->ItemOf(toroid.get())));
        QCoreApplication::processEvents();
        QCOMPARE(editor_->scene.SelectedFrame(), cylinder);
        QCOMPARE(currentText(), QString("Cylinder 0"));
        QCOMPARE(tree_->selectedItems(), QList<QTreeWidgetItem*>({tree_->ItemOf(cylinder.get())}));
        // The panel names it and shows where riding on the toroid puts it.
        ObjectInfoPanel* info = window_->InfoPanel();
        QCOMPARE(info->NameLabel()->text(), QString("Cylinder 0"));
        const Vec3 after = cylinder->GetPosition(scene);
        QVERIFY(after.x != before.x || after.y != before.y || after.z != before.z);
        QCOMPARE(info->PositionLabels()[0]->text(), QString::asprintf("%f", after.x));
        QCOMPARE(info->PositionLabels()[1]->text(), QString::asprintf("%f", after.y));

        // A rename shows in the panel at once.
        tree_->currentItem()->setText(0, "Column");
        QCOMPARE(info->NameLabel()->text(), QString("Column"));

        // Delete takes the selected object, not its old neighbour.
        tree_->setFocus();
        QTest::keyClick(tree_, Qt::Key_Delete);
        QCOMPARE(FindObject(editor_->scene.Scene(), "Column"), nullptr);
        QVERIFY(FindObject(editor_->scene.Scene(), "SuperEllipsoid 0"));
        QVERIFY(!editor_->scene.HasSelection());
        QCOMPARE(tree_->currentItem(), nullptr);
        QVERIFY(tree_->selectedItems().isEmpty());
        QCOMPARE(info->NameLabel()->text(), QString());
    }

    void aRefusedItemLeavesTheHighlightOnTheSelection()
    {
        const FramePtr ellipsoid = FindObject(editor_->scene.Scene(), "SuperEllipsoid 0");
        tree_->setCurrentItem(tree_->ItemOf(ellipsoid.get()));
        QCOMPARE(editor_->scene.SelectedFrame(), ellipsoid);
        // SCENE cannot be selected: the highlight goes back, and Delete acts
        // on the selection.
        QTreeWidgetItem* scene = tree_->ItemOf(editor_->scene.Scene().get());
        QTest::mouseClick(tree_->viewport(), Qt::LeftButton, {}, tree_->visualItemRect(scene).center());
        QTRY_COMPARE(currentText(), QString("SuperEllipsoid 0"));
        QCOMPARE(tree_->selectedItems(), QList<QTreeWidgetItem*>({tree_->ItemOf(ellipsoid.get())}));
        QCOMPARE(editor_->scene.SelectedFrame(), ellipsoid);
    }

    void copiesAndRightPressCreationsAreHighlighted()
    {
        const FramePtr cube = FindObject(editor_->scene.Scene(), "Cube 1");
        window_->Tools()->Button(kModeCopy)->click();
        QTest::mouseClick(viewport1(), Qt::LeftButton, {}, onScreen(*cube));
        const FramePtr copy = editor_->scene.SelectedFrame();
        QVERIFY(copy && copy != cube);
        QCOMPARE(tree_->FrameOf(tree_->currentItem()), copy);
        QCOMPARE(tree_->selectedItems(), QList<QTreeWidgetItem*>({tree_->ItemOf(copy.get())}));

        editor_->tools.mode = kModeSphere;
        QTest::mouseClick(viewport1(), Qt::RightButton, {}, QPoint(viewport1()->width() / 2, viewport1()->height() - 40));
        const FramePtr sphere = editor_->scene.SelectedFrame();
        QVERIFY(sphere && sphere != copy);
        QCOMPARE(currentText(), QString::fromStdString(RecordOf(sphere.get())->name));
        QCOMPARE(tree_->FrameOf(tree_->currentItem()), sphere);
        QCOMPARE(window_->InfoPanel()->NameLabel()->text(), currentText());
    }

    void choosingInTheListShowsTheMarkerWithNothingSelectedBefore()
    {
        window_->Tools()->Button(kModeMove)->click();
        QTest::mouseClick(viewport1(), Qt::LeftButton, {}, QPoint(viewport1()->width() - 30, 30));
        QVERIFY(!editor_->scene.HasSelection());
        int before = viewport1()->PresentCount();
        QTRY_VERIFY(viewport1()->PresentCount() >= before);
        const QImage plain = viewport1()->grabFramebuffer();

        // A round object: the marker's corner stands clear of its surface.
        const FramePtr ellipsoid = FindObject(editor_->scene.Scene(), "SuperEllipsoid 0");
        before = viewport1()->PresentCount();
        tree_->setCurrentItem(tree_->ItemOf(ellipsoid.get()));
        QCOMPARE(editor_->scene.SelectedFrame(), ellipsoid);
        QVERIFY(editor_->scene.MarkerFrame()->IsRenderEnabled());
        QVERIFY(viewport1()->rect().contains(onScreen(*ellipsoid)));
        QTRY_VERIFY(viewport1()->PresentCount() > before);
        const QImage marked = viewport1()->grabFramebuffer();
        // The marker's lines are drawn where the picture was plain before.
        int changed = 0;
        for (int y = 24; y < plain.height() - 24; ++y)
            for (int x = 24; x < plain.width() - 24; ++x)
                changed += plain.pixel(x, y) != marked.pixel(x, y) ? 1 : 0;
        QVERIFY2(changed > 20, qPrintable(QString("%1 pixels changed").arg(changed)));
    }
};

CORVID_GUI_TEST_MAIN(SelectionTest)
#include "SelectionTest.moc"
