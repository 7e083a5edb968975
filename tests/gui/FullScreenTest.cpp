// Full screen as the person sees it: chosen from a viewport's menu, the view
// covers the screen with its picture scaled to fit; Escape brings back the
// viewports of the layout; the window manager closing the window does too.
// And the 3D controller's window: woken by its daemon's socket, gone with it.

#include "GuiTestSupport.h"

#include "app/Controller.h"
#include "gui/ControllerWindow.h"
#include "gui/FullScreenWindow.h"
#include "gui/MainWindow.h"
#include "gui/QtUi.h"
#include "platform/Frame.h"
#include "render/CommandIds.h"
#include "scene/ObjectTree.h"
#include "scene/SceneModel.h"
#include "app/FakeControllerDaemon.h"

#include <QMenu>
#include <QScreen>

#include <memory>

using namespace corvid;

namespace {

constexpr int kWait = 30000;

// The action of menu (or its submenus) with this text, or null.
QAction* FindAction(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
        if (QMenu* sub = action->menu())
            if (QAction* found = FindAction(sub, text))
                return found;
    }
    return nullptr;
}

} // namespace

class FullScreenTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<EditorShell> shell_;
    MainWindow* window_ = nullptr;
    Editor* editor_ = nullptr;
    FullScreenWindow* full_ = nullptr;

    ViewportWidget* viewport(int n) const { return window_->Viewport(n); }
    // Chooses text in viewport n's popup menu, as the person would.
    void choose(int n, const QString& text)
    {
        viewport(n)->ShowPopupMenu();
        QMenu* menu = viewport(n)->PopupMenu();
        QAction* action = FindAction(menu, text);
        QVERIFY2(action, qPrintable(text));
        QVERIFY(action->isEnabled());
        action->trigger();
        menu->hide();
    }
    void expectViewports(std::array<bool, 4> shown)
    {
        for (int n = 1; n <= 4; ++n) {
            QCOMPARE(viewport(n)->isVisible(), shown[static_cast<size_t>(n - 1)]);
            QCOMPARE(editor_->views.Viewport(n).device != nullptr, shown[static_cast<size_t>(n - 1)]);
        }
    }

private slots:
    void initTestCase()
    {
        shell_ = std::make_unique<EditorShell>();
        shell_->Ui().boxHook = [](const std::string&, Buttons) { return Answer::Cancel; };
        ShellOptions options;
        options.demo = true;
        QVERIFY(shell_->Start(options));
        window_ = shell_->GetMainWindow();
        editor_ = shell_->GetEditor();
        full_ = shell_->GetFullScreenWindow();
        QVERIFY(full_);
        QTRY_VERIFY_WITH_TIMEOUT(shell_->StartupFinished(), kWait);
        QTRY_VERIFY_WITH_TIMEOUT(viewport(1)->PresentCount() > 0, kWait);
    }

    void cleanupTestCase()
    {
        shell_->Shutdown();
        shell_.reset();
    }

    void escapeLeavesFullScreenToTheLayoutsViewports()
    {
        editor_->views.ChooseLayout(7);
        QTRY_VERIFY_WITH_TIMEOUT(viewport(3)->isVisible(), kWait);
        QVERIFY(!full_->isVisible());
        // The screen of the test server is 1280 x 1024: 1900 x 1200 does not fit.
        viewport(2)->ShowPopupMenu();
        QAction* tooLarge = FindAction(viewport(2)->PopupMenu(), "1900  x  1200");
        QVERIFY(tooLarge);
        QVERIFY(!tooLarge->isEnabled());
        viewport(2)->PopupMenu()->hide();
        choose(2, "800    x  600");
        choose(2, "Fullscreen mode ...");

        QTRY_VERIFY_WITH_TIMEOUT(full_->isVisible(), kWait);
        QVERIFY(full_->windowState() & Qt::WindowFullScreen);
        QTRY_VERIFY_WITH_TIMEOUT(full_->PresentCount() > 0, kWait);
        expectViewports({false, false, false, false});
        QCOMPARE(editor_->fullScreen.SourceViewport(), 2);
        QVERIFY(editor_->views.FullScreenView().device);
        QCOMPARE(editor_->views.FullScreenView().device->GetWidth(), 800);
        QCOMPARE(editor_->views.FullScreenView().device->GetHeight(), 600);
        // Scaled to the screen's width, with bars above and below.
        QTRY_COMPARE_WITH_TIMEOUT(full_->size(), full_->TargetScreen()->size(), kWait);
        const Rect picture = full_->PictureRect();
        QCOMPARE(picture.width, full_->width());
        QCOMPARE(picture.height, full_->width() * 3 / 4);
        const QImage shown = full_->grab().toImage();
        QCOMPARE(shown.pixel(shown.width() / 2, picture.y / 2) & 0xFFFFFFu, 0u);  // a bar
        const test::PictureStats stats = test::Measure(shown.copy(0, picture.y, picture.width, picture.height), 0);
        QVERIFY(stats.colours > 1);  // the scene, not a black window

        QTest::keyClick(full_, Qt::Key_Escape);
        QVERIFY(!full_->isVisible());
        QVERIFY(!editor_->fullScreen.Active());
        expectViewports({true, true, true, false});
        QCOMPARE(editor_->views.activeViewport, 1);
        QVERIFY(!editor_->views.FullScreenView().device);
        const int before = viewport(3)->PresentCount();
        QTRY_VERIFY(viewport(3)->PresentCount() >= before);
    }

    void theWindowManagerClosingTheWindowLeavesFullScreen()
    {
        choose(1, "Fullscreen mode ...");
        QTRY_VERIFY_WITH_TIMEOUT(full_->isVisible(), kWait);
        expectViewports({false, false, false, false});
        full_->close();
        QTRY_VERIFY_WITH_TIMEOUT(!editor_->fullScreen.Active(), kWait);
        QVERIFY(!full_->isVisible());
        expectViewports({true, true, true, false});
        // Entering again works: the window was kept.
        choose(3, "Fullscreen mode ...");
        QTRY_VERIFY_WITH_TIMEOUT(full_->isVisible(), kWait);
        QTest::keyClick(full_, Qt::Key_Escape);
        QVERIFY(!full_->isVisible());
        editor_->views.ChooseLayout(1);
    }

    void theControllerWindowFollowsItsDaemon()
    {
        // Without a daemon on this machine there is no controller: no menu
        // item, a disabled window.
        ControllerWindow* own = shell_->GetControllerWindow();
        QVERIFY(own);
        QCOMPARE(own->Available(), editor_->mainMenu.Find(kCmdInputDevice) != nullptr);

        // A daemon of the test's own: its events wake the window.
        testing::FakeControllerDaemon daemon;
        auto window = std::make_unique<ControllerWindow>(*editor_, window_, daemon.Link());
        QVERIFY(window->Available());
        QVERIFY(window->isEnabled());
        // The window shows the defaults it moves with.
        const ControllerSettings defaults;
        for (size_t i = 0; i < defaults.axes.size(); ++i)
            QCOMPARE(window->GetController().settings.axes[i].sensitivity, defaults.axes[i].sensitivity);
        QVERIFY(editor_->mainMenu.Find(kCmdInputDevice));
        QCOMPARE(daemon.Received(), std::string("Corvid"));

        const FramePtr object = FindObject(editor_->scene.Scene(), "Cube 0");
        QVERIFY(object);
        editor_->scene.Select(object);
        for (auto& axis : window->GetController().settings.axes)
            axis.reference = kReferenceScene;
        const Vec3 start = object->GetPosition(editor_->scene.Scene().get());
        for (int i = 1; i <= 5; ++i)
            QVERIFY(daemon.SendMotion({i * 100, 0, 0, 0, 0, 0, 60}));
        QTRY_VERIFY_WITH_TIMEOUT(window->GetController().InBurst(), kWait);
        QTRY_VERIFY_WITH_TIMEOUT(!window->GetController().InBurst(), kWait);  // still for a moment: the step ends
        const Vec3 moved = object->GetPosition(editor_->scene.Scene().get());
        QVERIFY(moved.x > start.x);
        QCOMPARE(editor_->UndoText(), std::string("Undo Controller Move"));
        QVERIFY(editor_->Undo());
        QVERIFY(std::abs(object->GetPosition(editor_->scene.Scene().get()).x - start.x) < 1e-5f);

        daemon.Stop();
        QTRY_VERIFY_WITH_TIMEOUT(!window->Available(), kWait);
        QVERIFY(!window->isEnabled());
        QVERIFY(!editor_->mainMenu.Find(kCmdInputDevice));
    }
};

CORVID_GUI_TEST_MAIN(FullScreenTest)
#include "FullScreenTest.moc"
