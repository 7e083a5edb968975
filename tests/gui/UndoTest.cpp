// Undo and redo as a person uses them, on an empty scene under an X server:
// a sphere dragged out, moved and deleted from the Objects List, then
// Ctrl+Z three times leaves nothing (not in the list, not in the picture),
// and Ctrl+Y brings each step back; the Edit menu names the steps.

#include "GuiTestSupport.h"

#include "gui/MainWindow.h"
#include "gui/ObjectTreeWidget.h"
#include "gui/QtUi.h"
#include "gui/ToolButtons.h"
#include "gui/ViewportWidget.h"
#include "platform/Frame.h"
#include "render/CommandIds.h"
#include "app/Editor.h"
#include "scene/ObjectTree.h"
#include "tools/ToolMode.h"

#include <QAction>
#include <QToolButton>

#include <memory>

using namespace corvid;

namespace {
constexpr int kWait = 30000;
} // namespace

class UndoTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<EditorShell> shell_;
    MainWindow* window_ = nullptr;
    Editor* editor_ = nullptr;
    ObjectTreeWidget* tree_ = nullptr;

    ViewportWidget* viewport1() const { return window_->Viewport(1); }
    QPoint onScreen(const Vec3& point) { return test::Viewport1PointOf(*editor_, *viewport1(), point); }

    void choose(int mode) { QTest::mouseClick(window_->Tools()->Button(mode), Qt::LeftButton); }
    void drag(const QPoint& from, const QPoint& to)
    {
        QTest::mousePress(viewport1(), Qt::LeftButton, {}, from);
        for (int step = 1; step <= 5; ++step)
            QTest::mouseMove(viewport1(), from + (to - from) * step / 5);
        QTest::mouseRelease(viewport1(), Qt::LeftButton, {}, to);
    }
    // The keys as the person presses them, to the main window.
    void press(int key, Qt::KeyboardModifiers modifiers)
    {
        QTest::keyClick(window_, static_cast<Qt::Key>(key), modifiers);
        QCoreApplication::processEvents();
    }
    void undo() { press(Qt::Key_Z, Qt::ControlModifier); }
    void redo() { press(Qt::Key_Y, Qt::ControlModifier); }

    // The sphere's item in the Objects List, or null.
    QTreeWidgetItem* sphereItem() const
    {
        QTreeWidgetItem* scene = tree_->ItemOf(editor_->scene.Scene().get());
        for (int i = 0; scene && i < scene->childCount(); ++i)
            if (scene->child(i)->text(0) == "Sphere 0")
                return scene->child(i);
        return nullptr;
    }
    // The colour the viewport shows at a point, drawn afresh.
    QRgb seen(const QPoint& at) { return viewport1()->grabFramebuffer().pixel(at) & 0xFFFFFFu; }
    QString menuText(int command) const { return window_->FindMenuAction(command)->text(); }

private slots:
    void initTestCase()
    {
        shell_ = std::make_unique<EditorShell>();
        QVERIFY(test::StartEditorActive(*shell_, kWait));
        window_ = shell_->GetMainWindow();
        editor_ = shell_->GetEditor();
        tree_ = window_->ObjectsList();
    }

    void cleanupTestCase()
    {
        shell_->Shutdown();
        shell_.reset();
    }

    void threeStepsUndoneAndRedoneFromTheKeyboard()
    {
        const QPoint centre = onScreen({0, 0, 0});
        const QPoint moved = onScreen({4, 0, 0});
        // Each place compared with what the empty scene shows there.
        const QImage emptyScene = viewport1()->grabFramebuffer();
        auto empty = [&](const QPoint& at) { return emptyScene.pixel(at) & 0xFFFFFFu; };
        QVERIFY(!window_->FindMenuAction(kCmdUndo)->isEnabled());

        // 1. A sphere dragged out at the centre, 2 units across.
        choose(kModeSphere);
        drag(centre, onScreen({1, 0, 0}));
        QVERIFY(sphereItem());
        QVERIFY(seen(centre) != empty(centre));
        QTRY_COMPARE(menuText(kCmdUndo), QString("Undo Create Sphere 0"));

        // 2. Moved 4 units along x.
        choose(kModeMove);
        drag(centre, moved);
        const FramePtr sphere = FindObject(editor_->scene.Scene(), "Sphere 0");
        QVERIFY(sphere);
        const Vec3 at = sphere->GetPosition(editor_->scene.Scene().get());
        QVERIFY2(std::abs(at.x - 4.0f) < 0.2f, qPrintable(QString::number(at.x)));
        QCOMPARE(seen(centre), empty(centre));
        QVERIFY(seen(moved) != empty(moved));
        QTRY_COMPARE(menuText(kCmdUndo), QString("Undo Move"));

        // 3. Deleted from the Objects List.
        tree_->setCurrentItem(sphereItem());
        tree_->setFocus();
        QTest::keyClick(tree_, Qt::Key_Delete);
        QVERIFY(!sphereItem());
        QCOMPARE(seen(moved), empty(moved));
        QTRY_COMPARE(menuText(kCmdUndo), QString("Undo Delete Sphere 0"));

        // Ctrl+Z three times: each step goes, and then nothing is left. The
        // window must be active again before the keys, or a loaded X server
        // may deliver the first one to nobody.
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        undo();
        QVERIFY(sphereItem());
        QVERIFY(seen(moved) != empty(moved));
        QTRY_COMPARE(menuText(kCmdRedo), QString("Redo Delete Sphere 0"));
        undo();
        QVERIFY(sphereItem());
        QVERIFY(seen(centre) != empty(centre));
        QCOMPARE(seen(moved), empty(moved));
        undo();
        QVERIFY(!sphereItem());
        QCOMPARE(tree_->ItemCount(), 2);  // WORLD and SCENE
        QCOMPARE(seen(centre), empty(centre));
        QTRY_VERIFY(!window_->FindMenuAction(kCmdUndo)->isEnabled());
        QCOMPARE(menuText(kCmdRedo), QString("Redo Create Sphere 0"));
        QVERIFY(!editor_->scene.Modified());

        // Ctrl+Y brings each back.
        redo();
        QVERIFY(sphereItem());
        QVERIFY(seen(centre) != empty(centre));
        redo();
        QVERIFY(seen(moved) != empty(moved));
        QCOMPARE(seen(centre), empty(centre));
        QCOMPARE(sphere->GetPosition(editor_->scene.Scene().get()), at);
        redo();
        QVERIFY(!sphereItem());
        QCOMPARE(seen(moved), empty(moved));
        QTRY_VERIFY(!window_->FindMenuAction(kCmdRedo)->isEnabled());
        // Ctrl+Shift+Z redoes too: undo the delete, redo it that way.
        undo();
        QVERIFY(sphereItem());
        press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(!sphereItem());
    }
};

CORVID_GUI_TEST_MAIN(UndoTest)
#include "UndoTest.moc"
