// What a person sees around the viewports: each names its view in its
// corner and the active one is marked; the status bar says what the tool
// does; the corner square opens the menu on a right press only, and a left
// press there is the tool's; Escape takes back a gesture; a window at its
// smallest still leaves the viewports half of it, and the tool windows show
// their texts whole.

#include "GuiTestSupport.h"

#include "gui/MainWindow.h"
#include "gui/ObjectInfoPanel.h"
#include "gui/ObjectTreeWidget.h"
#include "gui/QtUi.h"
#include "gui/ToolButtons.h"
#include "gui/ToolFormWidget.h"
#include "gui/ToolWindows.h"
#include "gui/ViewportWidget.h"
#include "platform/Frame.h"
#include "render/CommandIds.h"
#include "scene/ObjectTree.h"
#include "scene/Records.h"
#include "app/Editor.h"
#include "tools/ToolMode.h"

#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include <memory>
#include <string>
#include <vector>

using namespace corvid;

namespace {

constexpr int kWait = 30000;

bool Near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) < 24 && std::abs(qGreen(a) - qGreen(b)) < 24 && std::abs(qBlue(a) - qBlue(b)) < 24;
}

} // namespace

class WorkspaceTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<EditorShell> shell_;
    MainWindow* window_ = nullptr;
    Editor* editor_ = nullptr;
    std::vector<std::string> boxes_;

    ViewportWidget* viewport(int n) const { return window_->Viewport(n); }
    QString label(int n) const { return viewport(n)->ViewLabel()->text(); }
    // The colour of the middle of viewport n's top edge, as drawn.
    QRgb edgeColour(int n) const
    {
        const QImage picture = viewport(n)->grabFramebuffer();
        return picture.pixel(picture.width() / 2, 0);
    }
    QPoint onScreen(const Frame& frame) const
    {
        return test::Viewport1PointOf(*editor_, *viewport(1), frame.GetPosition(editor_->scene.Scene().get()));
    }

private slots:
    void initTestCase()
    {
        shell_ = std::make_unique<EditorShell>();
        shell_->Ui().boxHook = [this](const std::string& text, Buttons) {
            boxes_.push_back(text);
            return Answer::Cancel;
        };
        ShellOptions options;
        options.demo = true;
        QVERIFY(shell_->Start(options));
        window_ = shell_->GetMainWindow();
        editor_ = shell_->GetEditor();
        QTRY_VERIFY_WITH_TIMEOUT(shell_->StartupFinished(), kWait);
        QTRY_VERIFY_WITH_TIMEOUT(viewport(1)->PresentCount() > 0, kWait);
    }

    void cleanupTestCase()
    {
        shell_->Shutdown();
        shell_.reset();
    }

    void eachViewportNamesItsViewAndTheActiveOneIsMarked()
    {
        editor_->views.ChooseLayout(2);
        QTRY_VERIFY_WITH_TIMEOUT(viewport(4)->PresentCount() > 0, kWait);
        const QStringList names{"1  Perspective", "2  Left", "3  Top", "4  Front"};
        for (int n = 1; n <= 4; ++n) {
            QTRY_COMPARE(label(n), names[n - 1]);
            QVERIFY(viewport(n)->ViewLabel()->isVisible());
            // Whole: the text fits its label.
            QVERIFY(viewport(n)->ViewLabel()->width() >=
                    viewport(n)->ViewLabel()->fontMetrics().horizontalAdvance(label(n)));
        }
        QCOMPARE(editor_->views.activeViewport, 1);
        QVERIFY(viewport(1)->IsActiveViewport());
        const QRgb active = edgeColour(1);
        QVERIFY(!Near(active, edgeColour(3)));
        QVERIFY(Near(edgeColour(3), edgeColour(4)));

        // A press in viewport 3 makes it the marked one.
        editor_->tools.mode = kModeOrbit;
        QTest::mouseClick(viewport(3), Qt::LeftButton, {}, viewport(3)->rect().center());
        QCOMPARE(editor_->views.activeViewport, 3);
        QTRY_VERIFY(Near(edgeColour(3), active));
        QVERIFY(!Near(edgeColour(1), active));
        QVERIFY(viewport(1)->ViewLabel()->styleSheet() != viewport(3)->ViewLabel()->styleSheet());

        // The label follows the view chosen, user cameras included.
        QVERIFY(editor_->views.ViewCommand(3, kViewCommands[2][kViewBack]));
        QTRY_COMPARE(label(3), QString("3  Back"));
        const UserMenuEntry camera = shell_->Ui().UserCameraEntries().at(0);
        QVERIFY(editor_->views.ViewCommand(3, camera.command));
        QTRY_COMPARE(label(3), QString("3  ") + QString::fromStdString(camera.text));
        QVERIFY(editor_->views.ViewCommand(3, kViewCommands[2][kViewTop]));
        QTRY_COMPARE(label(3), QString("3  Top"));
        editor_->views.ChooseLayout(1);
    }

    void theStatusBarSaysWhatTheToolDoes()
    {
        QLabel* hint = window_->ToolHintLabel();
        QVERIFY(hint && hint->isVisible());
        QSet<QString> seen;
        for (int mode : {int(kModeMove), int(kModeRotate), int(kModeDelete), int(kModePan)}) {
            window_->Tools()->Button(mode)->click();
            QVERIFY2(!hint->text().isEmpty(), qPrintable(QString::number(mode)));
            seen.insert(hint->text());
        }
        QCOMPARE(seen.size(), 4);
        window_->Tools()->Button(kModeMove)->click();
        QVERIFY(hint->text().contains("move", Qt::CaseInsensitive));
    }

    void theCornerOpensTheMenuOnARightPressOnly()
    {
        // A left press in the corner square is the tool's: here a pan.
        editor_->tools.mode = kModePan;
        const QPoint corner(6, 6);
        QTest::mousePress(viewport(1), Qt::LeftButton, {}, corner);
        QVERIFY(editor_->views.mouse.leftDown);
        QVERIFY(!viewport(1)->PopupMenu()->isVisible());
        QTest::mouseRelease(viewport(1), Qt::LeftButton, {}, corner);

        // The move tool picks under the corner like anywhere else.
        editor_->tools.mode = kModeMove;
        QTest::mouseClick(viewport(1), Qt::LeftButton, {}, corner);
        QVERIFY(!viewport(1)->PopupMenu()->isVisible());
        QCOMPARE(editor_->views.pickDetails.x, corner.x() * editor_->views.Viewport(1).detail / 100);

        // The right press opens the menu and starts nothing.
        QTest::mouseClick(viewport(1), Qt::RightButton, {}, corner);
        QTRY_VERIFY(viewport(1)->PopupMenu()->isVisible());
        QVERIFY(!editor_->views.mouse.rightDown);
        viewport(1)->PopupMenu()->close();
    }

    void theCentreToolBringsTheClickedObjectToTheMiddle()
    {
        const FramePtr cube = FindObject(editor_->scene.Scene(), "Cube 0");
        QVERIFY(cube);
        const QPoint before = onScreen(*cube);
        const QPoint middle = viewport(1)->rect().center();
        QVERIFY((before - middle).manhattanLength() > 40);
        window_->Tools()->Button(kModeCentreActive)->click();
        QVERIFY(!window_->ToolHintLabel()->text().isEmpty());
        QTest::mouseClick(viewport(1), Qt::LeftButton, {}, before);
        QCOMPARE(editor_->scene.SelectedFrame(), cube);
        // The box's middle, not its origin, comes to the middle of the picture.
        const Frame* scene = editor_->scene.Scene().get();
        const corvid::Box box = cube->GetHierarchyBox().Transformed(cube->GetTransform(scene));
        const QPoint after = test::Viewport1PointOf(*editor_, *viewport(1), box.Center());
        QVERIFY2((after - middle).manhattanLength() <= 3,
                 qPrintable(QString("(%1, %2) for (%3, %4)").arg(after.x()).arg(after.y()).arg(middle.x()).arg(middle.y())));
        // And it is drawn there.
        const QImage picture = viewport(1)->grabFramebuffer();
        QVERIFY((picture.pixel(picture.width() / 2, picture.height() / 2) & 0xFFFFFFu) != 0u);
    }

    void escapeTakesBackAMoveAndACubeBeingMade()
    {
        const FramePtr sphere = FindObject(editor_->scene.Scene(), "Sphere 0");
        QVERIFY(sphere);
        const Frame* scene = editor_->scene.Scene().get();
        const Vec3 before = sphere->GetPosition(scene);
        const size_t steps = editor_->scene.History().UndoCount();
        window_->Tools()->Button(kModeMove)->click();
        const QPoint at = onScreen(*sphere);
        QTest::mousePress(viewport(1), Qt::LeftButton, {}, at);
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(viewport(1), at + QPoint(12 * step, 0));
        QVERIFY(sphere->GetPosition(scene).x > before.x);
        QTest::keyClick(viewport(1), Qt::Key_Escape);
        QCOMPARE(sphere->GetPosition(scene), before);
        QTest::mouseMove(viewport(1), at + QPoint(80, 0));
        QTest::mouseRelease(viewport(1), Qt::LeftButton, {}, at + QPoint(80, 0));
        QCOMPARE(sphere->GetPosition(scene), before);
        QCOMPARE(editor_->scene.History().UndoCount(), steps);
        QCOMPARE(window_->InfoPanel()->PositionLabels()[0]->text(), QString::asprintf("%f", before.x));

        // A cube in its height stage goes, with its row in the list.
        window_->Tools()->Button(kModeMove)->click();
        editor_->tools.mode = kModeCube;
        const QPoint ground = viewport(1)->rect().center() + QPoint(-120, 60);
        QTest::mousePress(viewport(1), Qt::LeftButton, {}, ground);
        QTest::mouseMove(viewport(1), ground + QPoint(20, 0));
        QTest::mouseRelease(viewport(1), Qt::LeftButton, {}, ground + QPoint(20, 0));
        QTest::mouseMove(viewport(1), ground + QPoint(20, -30));
        const FramePtr cube = editor_->tools.Creation().frame;
        QVERIFY(cube);
        // The status bar says what the stage does, and the way out.
        const QString staged = window_->ToolHintLabel()->text();
        QVERIFY2(staged.contains("set the height") && staged.contains("Esc"), qPrintable(staged));
        QTest::keyClick(viewport(1), Qt::Key_Escape);
        QVERIFY(!editor_->scene.Scene()->IsAncestorOf(cube.get()));
        QCOMPARE(editor_->scene.History().UndoCount(), steps);
        QVERIFY(window_->ToolHintLabel()->text() != staged);
    }

    void theSmallestWindowLeavesTheViewportsHalfOfIt()
    {
        const QRect before = window_->geometry();
        window_->showNormal();
        window_->resize(640, 480);
        QTRY_COMPARE(window_->size(), QSize(640, 480));
        editor_->views.ChooseLayout(2);
        QWidget* area = window_->ViewportArea();
        QTRY_VERIFY2(area->width() >= window_->width() / 2, qPrintable(QString::number(area->width())));
        QTRY_VERIFY2(area->height() >= window_->height() / 2 - 40, qPrintable(QString::number(area->height())));
        QTRY_VERIFY(viewport(1)->width() >= 150);
        // The Objects List and the information stay in view, whole enough to use.
        QVERIFY(window_->ObjectsListDock()->isVisible());
        QVERIFY(window_->InfoDock()->isVisible());
        QVERIFY(window_->ObjectsList()->viewport()->height() >= 40);
        QVERIFY(window_->ObjectsListDock()->width() >= 150);
        window_->grab().save("/tmp/h-input-640.png");

        // Wide again: the docks go back to the right.
        editor_->views.ChooseLayout(1);
        window_->setGeometry(before);
        window_->showMaximized();
        QTRY_VERIFY(window_->width() > 1000);
        QTRY_COMPARE(window_->dockWidgetArea(window_->ObjectsListDock()), Qt::RightDockWidgetArea);
        QTRY_VERIFY(area->width() >= window_->width() / 2);
        window_->grab().save("/tmp/h-input-wide.png");
    }

    void theConeWindowShowsItsSizingChoiceWhole()
    {
        window_->Tools()->Button(kModeCone)->click();
        ToolFormWidget* cone = window_->CreationWindows()->Shown();
        QVERIFY(cone);
        QTRY_VERIFY(cone->isVisible());
        const auto boxes = cone->findChildren<QComboBox*>();
        QVERIFY(!boxes.isEmpty());
        for (QComboBox* box : boxes) {
            int widest = 0;
            for (int i = 0; i < box->count(); ++i)
                widest = std::max(widest, box->fontMetrics().horizontalAdvance(box->itemText(i)));
            // The text and the arrow beside it.
            QVERIFY2(box->width() >= widest + 20,
                     qPrintable(QString("%1: %2 px for %3 px of text").arg(box->objectName()).arg(box->width()).arg(widest)));
            QVERIFY(cone->rect().contains(QRect(box->mapTo(cone, QPoint(0, 0)), box->size())));
        }
        window_->grab().save("/tmp/h-input-cone.png");
    }
};

CORVID_GUI_TEST_MAIN(WorkspaceTest)
#include "WorkspaceTest.moc"
