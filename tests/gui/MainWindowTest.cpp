// The editor's main window started through the real start-up path, under an
// X server with Mesa: the first picture of VIEWPORT_1, the menus, the layout
// dialog, the viewport popup, detail levels, the two renderers, resizing and
// closing.

#include "GuiTestSupport.h"

#include "gui/GlDeviceFactory.h"
#include "gui/MainWindow.h"
#include "gui/MenuBuilder.h"
#include "gui/QtStartupPlatform.h"
#include "gui/QtUi.h"
#include "gui/ViewportSetupDialog.h"
#include "gui/ViewportWidget.h"
#include "platform/Frame.h"
#include "platform/gl/GlDevice.h"
#include "render/CommandIds.h"
#include "app/Editor.h"

#include <QAbstractButton>
#include <QDockWidget>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QToolButton>

#include <memory>
#include <string>
#include <vector>

using namespace corvid;
using corvid::test::Measure;
using corvid::test::SimilarBox;

namespace {

constexpr int kWait = 30000;  // generous: llvmpipe on a loaded machine
const QRgb kBlack = qRgb(0, 0, 0);

QAction* FindByText(const QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions()) {
        if (action->text() == text)
            return action;
        if (QMenu* sub = action->menu())
            if (QAction* found = FindByText(*sub, text))
                return found;
    }
    return nullptr;
}

// Width of the non-background pixels in row y.
int RowSpan(const QImage& image, int y, QRgb background)
{
    int left = -1, right = -1;
    for (int x = 24; x < image.width() - 24; ++x)
        if ((image.pixel(x, y) & 0xFFFFFFu) != (background & 0xFFFFFFu)) {
            if (left < 0)
                left = x;
            right = x;
        }
    return left < 0 ? 0 : right - left;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<EditorShell> shell_;
    MainWindow* window_ = nullptr;
    Editor* editor_ = nullptr;
    std::vector<std::string> boxes_;  // every message and question shown
    QRect baseline_;                  // VIEWPORT_1's content at detail 100 on the display renderer

    ViewportWidget* viewport(int n) const { return window_->Viewport(n); }

    // The next picture of viewport n after the calls just made.
    QImage nextPicture(int n, int before)
    {
        [&] { QTRY_VERIFY_WITH_TIMEOUT(viewport(n)->PresentCount() > before, kWait); }();
        return viewport(n)->grabFramebuffer();
    }

    void chooseLayout(int kind)
    {
        window_->ViewportSetupAction()->trigger();
        // An earlier dialog may still wait for its deletion, hidden.
        QPointer<ViewportSetupDialog> dialog;
        for (ViewportSetupDialog* d : window_->findChildren<ViewportSetupDialog*>())
            if (d->isVisible())
                dialog = d;
        QVERIFY(dialog);
        for (int k = 1; k <= 16; ++k)
            QVERIFY(dialog->Button(k));
        QTest::mouseClick(dialog->Button(kind), Qt::LeftButton);
        QTRY_VERIFY(!dialog || !dialog->isVisible());
    }

private slots:
    void initTestCase()
    {
        shell_ = std::make_unique<EditorShell>();
        // Any box would wait for a person: record it and answer Cancel.
        shell_->Ui().boxHook = [this](const std::string& text, Buttons) {
            boxes_.push_back(text);
            return Answer::Cancel;
        };
        QVERIFY(shell_->Start({}));
        window_ = shell_->GetMainWindow();
        editor_ = shell_->GetEditor();
        QVERIFY(window_ && editor_);
        QTRY_VERIFY_WITH_TIMEOUT(shell_->StartupFinished(), kWait);
        QTRY_VERIFY_WITH_TIMEOUT(viewport(1)->PresentCount() > 0, kWait);
    }

    void cleanupTestCase()
    {
        shell_->Shutdown();
        shell_.reset();
    }

    void startUpShowsTheMainWindowAndClosesTheSplash()
    {
        QCOMPARE(window_->windowTitle(), QString("Corvid 1.0"));
        QVERIFY(window_->isVisible());
        QCOMPARE(shell_->Platform().Splash(), nullptr);
        QCOMPARE(shell_->Ui().Splash(), nullptr);
        QVERIFY(boxes_.empty());

        // The display's renderer is the one the views use: with the headless
        // one listed first it is the default second driver.
        QVERIFY(!editor_->views.drivers.empty());
        QCOMPARE(QString::fromStdString(editor_->views.Viewport(1).driver.key), QString(kDisplayRendererKey));
        QVERIFY(editor_->views.Viewport(1).driver.HasZDepth(16));
        QCOMPARE(editor_->views.colorDepth, 32);  // Xvfb's 24-bit visual counts as 32

        // Only VIEWPORT_1 is up, and "Viewport 2 Menu ..." is greyed.
        QVERIFY(viewport(1)->isVisible());
        for (int n = 2; n <= 4; ++n)
            QVERIFY(!viewport(n)->isVisible());
        QAction* second = window_->FindMenuAction(kViewportMenuCommands[1]);
        QVERIFY(second);
        QCOMPARE(second->text(), QString("Viewport 2 Menu ..."));
        QVERIFY(!second->isEnabled());
    }

    void viewport1ShowsThePerspectiveView()
    {
        const QImage picture = viewport(1)->grabFramebuffer();
        QVERIFY(!picture.isNull());
        const auto stats = Measure(picture, kBlack);
        // The grid on the black background: more than one colour, mostly
        // background.
        QVERIFY2(stats.colours > 1, "viewport 1 is blank");
        QVERIFY(stats.backgroundShare > 0.3);
        QVERIFY(stats.backgroundShare < 0.995);
        // Seen in perspective from above and in front, the grid's near edge
        // is wider than its far edge.
        const int far = RowSpan(picture, stats.content.top() + 2, kBlack);
        const int nearRow = RowSpan(picture, stats.content.bottom() - 2, kBlack);
        QVERIFY2(nearRow > far * 3 / 2, qPrintable(QString("far %1, near %2").arg(far).arg(nearRow)));
        baseline_ = stats.content;

        // At detail 100 the device is as large as the widget.
        const Size client = viewport(1)->ClientSize();
        QCOMPARE(editor_->views.Viewport(1).device->GetWidth(), client.width);
        QCOMPARE(editor_->views.Viewport(1).device->GetHeight(), client.height);
    }

    void minimumSizeIs640By480()
    {
        QCOMPARE(window_->minimumSize(), QSize(640, 480));
        const QRect before = window_->geometry();
        const int dockWidth = window_->ObjectsListDock()->width();
        window_->resize(300, 200);
        QVERIFY(window_->width() >= 640);
        QVERIFY(window_->height() >= 480);
        // The docks give way so the viewports keep half the window...
        QTRY_VERIFY(window_->ViewportArea()->width() >= window_->width() / 2);
        window_->setGeometry(before);
        QTRY_COMPARE(window_->geometry().size(), before.size());
        // ...and take their place and width back when the window widens again.
        QTRY_COMPARE(window_->dockWidgetArea(window_->ObjectsListDock()), Qt::RightDockWidgetArea);
        QTRY_COMPARE(window_->ObjectsListDock()->width(), dockWidth);
    }

    void enterKeyIsSwallowed()
    {
        const int layout = editor_->views.layoutKind;
        const bool light = editor_->scene.CameraLightOn();
        for (int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            press.ignore();
            QApplication::sendEvent(window_, &press);
            QVERIFY2(press.isAccepted(), "the main window let Enter through");
        }
        QTest::keyClick(window_, Qt::Key_Return);
        QVERIFY(window_->isVisible());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QCOMPARE(editor_->views.layoutKind, layout);
        QCOMPARE(editor_->scene.CameraLightOn(), light);
        QVERIFY(boxes_.empty());
    }

    void cameraLightMenuItemToggles()
    {
        QAction* item = window_->FindMenuAction(kCmdCameraLight);
        QVERIFY(item);
        QCOMPARE(item->text(), QString("Camera Light"));
        QVERIFY(item->isChecked());
        QVERIFY(editor_->scene.CameraLightOn());
        QCOMPARE(editor_->scene.CameraLightFrame()->GetParent(), editor_->scene.ActiveCamera().get());

        item->trigger();
        QVERIFY(!editor_->scene.CameraLightOn());
        QCOMPARE(editor_->scene.CameraLightFrame()->GetParent(), nullptr);
        item = window_->FindMenuAction(kCmdCameraLight);
        QVERIFY(!item->isChecked());

        item->trigger();
        QVERIFY(editor_->scene.CameraLightOn());
        QCOMPARE(editor_->scene.CameraLightFrame()->GetParent(), editor_->scene.ActiveCamera().get());
        QVERIFY(window_->FindMenuAction(kCmdCameraLight)->isChecked());
    }

    void viewportSetupChoosesFourViewports()
    {
        chooseLayout(2);
        QCOMPARE(editor_->views.layoutKind, 2);

        // The four windows tile the viewport area.
        const QRect area = window_->ViewportArea()->rect();
        QRect covered;
        long pixels = 0;
        for (int n = 1; n <= 4; ++n) {
            ViewportWidget* v = viewport(n);
            QVERIFY(v->isVisible());
            QVERIFY(editor_->views.Viewport(n).shown);
            QVERIFY(editor_->views.Viewport(n).device);
            QCOMPARE(editor_->views.Viewport(n).device->GetWidth(), v->ClientSize().width);
            covered |= v->geometry();
            pixels += static_cast<long>(v->width()) * v->height();
            QAction* item = window_->FindMenuAction(kViewportMenuCommands[static_cast<size_t>(n - 1)]);
            QVERIFY(item && item->isEnabled());
        }
        QCOMPARE(viewport(3)->geometry().topLeft(), QPoint(area.width() / 2, 0));
        QCOMPARE(viewport(2)->geometry().topLeft(), QPoint(0, area.height() / 2));
        QVERIFY(pixels <= static_cast<long>(area.width()) * area.height());
        QVERIFY(area.width() - covered.width() <= 1 && area.height() - covered.height() <= 1);

        // VIEWPORT_3 looks straight down on the grid: a square seen square.
        QTRY_VERIFY_WITH_TIMEOUT(viewport(3)->PresentCount() > 0, kWait);
        const auto top = Measure(viewport(3)->grabFramebuffer(), kBlack);
        QVERIFY(top.colours > 1);
        QVERIFY(!top.content.isEmpty());
        QVERIFY2(std::abs(top.content.width() - top.content.height()) <= top.content.width() / 20,
                 qPrintable(QString("%1 x %2").arg(top.content.width()).arg(top.content.height())));

        chooseLayout(1);
        QCOMPARE(editor_->views.layoutKind, 1);
        for (int n = 2; n <= 4; ++n) {
            QVERIFY(!viewport(n)->isVisible());
            QVERIFY(!editor_->views.Viewport(n).device);
            QVERIFY(!window_->FindMenuAction(kViewportMenuCommands[static_cast<size_t>(n - 1)])->isEnabled());
        }
        QCOMPARE(viewport(1)->geometry(), area);
    }

    void cornerSquareOpensTheViewportMenu()
    {
        QTest::mouseClick(viewport(1), Qt::RightButton, {}, QPoint(10, 10));
        QMenu* menu = viewport(1)->PopupMenu();
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(FindByText(*menu, "Perspective")->isChecked());
        QVERIFY(FindByText(*menu, "Gouraud")->isChecked());
        QVERIFY(!FindByText(*menu, "Phong")->isEnabled());
        QVERIFY(!FindByText(*menu, "Wireframe")->isEnabled());
        QAction* driver = FindCommandAction(*menu, kCmdDriverBase + editor_->views.Viewport(1).driverIndex);
        QVERIFY(driver && driver->isChecked());
        QAction* cameras = FindByText(*menu, "User Camera");
        QVERIFY(cameras && cameras->menu());
        QVERIFY(!cameras->isEnabled());  // no user cameras yet

        FindCommandAction(*menu, kCmdShadeFlat)->trigger();
        menu->hide();
        QCOMPARE(editor_->views.Viewport(1).shade, 0);
        viewport(1)->ShowPopupMenu();
        QVERIFY(FindCommandAction(*menu, kCmdShadeFlat)->isChecked());
        QVERIFY(!FindCommandAction(*menu, kCmdShadeGouraud)->isChecked());
        FindCommandAction(*menu, kCmdShadeGouraud)->trigger();
        menu->hide();
        QCOMPARE(editor_->views.Viewport(1).shade, 1);
    }

    void userCamerasAppearInTheViewportMenu()
    {
        FramePtr camera = editor_->scene.CreateCamera();
        editor_->scene.RegisterObject(camera);
        QCOMPARE(shell_->Ui().UserCameraEntries().size(), size_t(1));
        const int command = shell_->Ui().UserCameraEntries()[0].command;

        viewport(2)->ShowPopupMenu();
        QMenu* menu = viewport(2)->PopupMenu();
        QAction* cameras = FindByText(*menu, "User Camera");
        QVERIFY(cameras->isEnabled());
        QCOMPARE(cameras->menu()->actions().size(), 1);
        QCOMPARE(cameras->menu()->actions()[0]->data().toInt(), command);
        menu->hide();

        editor_->scene.DeleteObjectTree(camera);
        QVERIFY(shell_->Ui().UserCameraEntries().empty());
        viewport(2)->ShowPopupMenu();
        QVERIFY(!FindByText(*viewport(2)->PopupMenu(), "User Camera")->isEnabled());
        viewport(2)->PopupMenu()->hide();
    }

    void mainMenuItemOpensTheViewportMenu()
    {
        QAction* item = window_->FindMenuAction(kViewportMenuCommands[0]);
        QVERIFY(item && item->isEnabled());
        item->trigger();
        QTRY_VERIFY(viewport(1)->PopupMenu()->isVisible());
        viewport(1)->PopupMenu()->hide();
    }

    void lowerDetailIsStretchedOverTheWidget()
    {
        QVERIFY(!baseline_.isEmpty());
        const int before = viewport(1)->PresentCount();
        QVERIFY(editor_->views.ViewportCommand(1, kCmdDetail50));
        const Size client = viewport(1)->ClientSize();
        QCOMPARE(editor_->views.Viewport(1).device->GetWidth(), client.width / 2);
        QCOMPARE(editor_->views.Viewport(1).device->GetHeight(), client.height / 2);

        const QImage picture = nextPicture(1, before);
        const auto stats = Measure(picture, kBlack);
        QVERIFY(stats.colours > 1);
        QVERIFY2(SimilarBox(stats.content, baseline_, picture.size(), 0.03),
                 "the half-size picture does not cover the widget");
        QVERIFY(editor_->views.ViewportCommand(1, kCmdDetail100));
    }

    void headlessRendererShowsTheSamePicture()
    {
        if (editor_->views.drivers.size() < 2)
            QSKIP("only one renderer on this machine");
        int headless = -1;
        for (size_t i = 0; i < editor_->views.drivers.size(); ++i)
            if (editor_->views.drivers[i].key == kHeadlessRendererKey)
                headless = static_cast<int>(i);
        QVERIFY(headless >= 0);
        const int display = editor_->views.Viewport(1).driverIndex;

        const int before = viewport(1)->PresentCount();
        QVERIFY(editor_->views.ViewportCommand(1, kCmdDriverBase + headless));
        QCOMPARE(editor_->views.Viewport(1).driverIndex, headless);
        QVERIFY(editor_->views.Viewport(1).device);
        QVERIFY(!dynamic_cast<GlDevice*>(editor_->views.Viewport(1).device.get()));  // read back, not blitted

        const QImage picture = nextPicture(1, before);
        const auto stats = Measure(picture, kBlack);
        QVERIFY2(stats.colours > 1, "the headless renderer's picture is blank");
        QVERIFY2(SimilarBox(stats.content, baseline_, picture.size(), 0.03), "the read-back picture is misplaced");

        QVERIFY(editor_->views.ViewportCommand(1, kCmdDriverBase + display));
        QVERIFY(dynamic_cast<GlDevice*>(editor_->views.Viewport(1).device.get()));
        QVERIFY(boxes_.empty());
    }

    void resizingTheWindowLaysTheViewportsOutAgain()
    {
        const QRect before = window_->geometry();
        window_->resize(900, 700);
        QTRY_COMPARE(window_->size(), QSize(900, 700));
        QWidget* area = window_->ViewportArea();
        QTRY_COMPARE(viewport(1)->size(), area->size());
        const QPoint origin = area->mapTo(window_, QPoint(0, 0));
        QCOMPARE(editor_->views.viewportArea, (Rect{origin.x(), origin.y(), area->width(), area->height()}));
        QCOMPARE(editor_->views.Viewport(1).device->GetWidth(), viewport(1)->ClientSize().width);
        QCOMPARE(editor_->views.Viewport(1).device->GetHeight(), viewport(1)->ClientSize().height);
        window_->setGeometry(before);
    }

    void exitAsksOnlyAboutAModifiedScene()
    {
        boxes_.clear();
        editor_->scene.SetModified(true);
        window_->RunCommand(kCmdExit);
        QCOMPARE(boxes_.size(), size_t(1));
        QCOMPARE(QString::fromStdString(boxes_[0]), QString("Would you like to save your scene?"));
        QVERIFY(window_->isVisible());  // Cancel keeps it

        boxes_.clear();
        editor_->scene.SetModified(false);
        window_->RunCommand(kCmdExit);
        QVERIFY(boxes_.empty());
        QVERIFY(!window_->isVisible());
    }
};

CORVID_GUI_TEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
