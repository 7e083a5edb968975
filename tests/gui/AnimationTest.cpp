// Animating as a person does, on an empty scene under an X server: a sphere
// dragged out, Animate pressed, the slider taken to frame 50, the sphere
// moved, back to frame 0 and Play: a rendered frame shows the sphere between
// its two places; then Stop.

#include "GuiTestSupport.h"

#include "anim/Transport.h"
#include "app/Editor.h"
#include "gui/AnimationPanel.h"
#include "gui/MainWindow.h"
#include "gui/PlaybackTimer.h"
#include "gui/QtUi.h"
#include "gui/ToolButtons.h"
#include "gui/TransportBar.h"
#include "gui/ViewportWidget.h"
#include "platform/Frame.h"
#include "scene/ObjectTree.h"
#include "tools/ToolMode.h"

#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QToolButton>

#include <memory>

using namespace corvid;

namespace {
constexpr int kWait = 30000;
} // namespace

class AnimationTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<EditorShell> shell_;
    MainWindow* window_ = nullptr;
    Editor* editor_ = nullptr;

    ViewportWidget* viewport1() const { return window_->Viewport(1); }
    TransportBar* bar() const { return window_->Transport(); }
    QPoint onScreen(const Vec3& point) { return test::Viewport1PointOf(*editor_, *viewport1(), point); }
    void click(TransportBar::Button button) { QTest::mouseClick(bar()->ButtonOf(button), Qt::LeftButton); }
    void drag(const QPoint& from, const QPoint& to)
    {
        QTest::mousePress(viewport1(), Qt::LeftButton, {}, from);
        for (int step = 1; step <= 5; ++step)
            QTest::mouseMove(viewport1(), from + (to - from) * step / 5);
        QTest::mouseRelease(viewport1(), Qt::LeftButton, {}, to);
    }
    QRgb seen(const QImage& picture, const QPoint& at) { return picture.pixel(at) & 0xFFFFFFu; }

private slots:
    void initTestCase()
    {
        shell_ = std::make_unique<EditorShell>();
        QVERIFY(test::StartEditor(*shell_, kWait));
        window_ = shell_->GetMainWindow();
        editor_ = shell_->GetEditor();
    }

    void cleanupTestCase()
    {
        shell_->Shutdown();
        shell_.reset();
    }

    void aMoveKeyedAtFrame50PlaysBackThroughTheFramesBetween()
    {
        const Vec3 from{-3, 0, 0}, to{3, 0, 0};
        const QImage empty = viewport1()->grabFramebuffer();
        QTest::mouseClick(window_->Tools()->Button(kModeSphere), Qt::LeftButton);
        drag(onScreen(from), onScreen(from + Vec3{0.7f, 0, 0}));
        const FramePtr sphere = FindObject(editor_->scene.Scene(), "Sphere 0");
        QVERIFY(sphere);

        // Animate at frame 50, by the button and the slider.
        QCOMPARE(window_->Animation()->State()->text(), QString("STOPPED"));
        click(TransportBar::Animate);
        QCOMPARE(window_->Animation()->State()->text(), QString("ANIMATING"));
        QTRY_VERIFY(bar()->ButtonOf(TransportBar::StopAnimating)->isVisible());
        QVERIFY(!bar()->ButtonOf(TransportBar::Animate)->isVisible());
        bar()->Slider()->setValue(50);
        QCOMPARE(window_->Animation()->CurrentFrame()->text(), QString("50"));
        QVERIFY(bar()->Status()->text().contains("50"));

        // The move tool takes the sphere to the other side.
        QTest::mouseClick(window_->Tools()->Button(kModeMove), Qt::LeftButton);
        drag(onScreen(from), onScreen(to));
        const Vec3 end = sphere->GetPosition(editor_->scene.Scene().get());
        QVERIFY2(std::abs(end.x - to.x) < 0.3f, qPrintable(QString::number(end.x)));

        // Back at frame 0 it shows where it started.
        click(TransportBar::GoToStart);
        QCOMPARE(bar()->Slider()->value(), 0);
        QVERIFY(std::abs(sphere->GetPosition(editor_->scene.Scene().get()).x - from.x) < 1e-3f);
        QImage picture = viewport1()->grabFramebuffer();
        QVERIFY(seen(picture, onScreen(from)) != seen(empty, onScreen(from)));
        QCOMPARE(seen(picture, onScreen(end)), seen(empty, onScreen(end)));

        // Play at 10 frames a second (typed into the animation window): a
        // frame between 10 and 49 shows the sphere between the two places.
        QLineEdit* rate = window_->Animation()->findChild<QLineEdit*>("frameRate");
        QVERIFY(rate && rate->isEnabled());
        rate->setFocus();
        rate->selectAll();
        QTest::keyClicks(rate, "10");
        QTest::keyClick(rate, Qt::Key_Return);
        QCOMPARE(editor_->animation.settings.frameRate, 10);
        click(TransportBar::Play);
        QCOMPARE(window_->Animation()->State()->text(), QString("PLAYING"));
        QVERIFY(window_->Playback()->Running());
        QTRY_VERIFY_WITH_TIMEOUT(bar()->Slider()->value() >= 10, kWait);
        click(TransportBar::Stop);  // hold the frame reached still to look at it
        const int frame = bar()->Slider()->value();
        QVERIFY2(frame >= 10 && frame < 50, qPrintable(QString::number(frame)));
        const Vec3 between = sphere->GetPosition(editor_->scene.Scene().get());
        QVERIFY2(between.x > from.x + 0.2f && between.x < end.x - 0.2f, qPrintable(QString::number(between.x)));
        picture = viewport1()->grabFramebuffer();
        QVERIFY(seen(picture, onScreen(between)) != seen(empty, onScreen(between)));
        QCOMPARE(seen(picture, onScreen(from)), seen(empty, onScreen(from)));

        // Stopped: the timer is off and the state says so.
        QCOMPARE(window_->Animation()->State()->text(), QString("STOPPED"));
        QTRY_VERIFY(!window_->Playback()->Running());
        const int ticks = window_->Playback()->Ticks();
        QTest::qWait(200);
        QCOMPARE(window_->Playback()->Ticks(), ticks);
        QCOMPARE(bar()->Slider()->value(), frame);
    }
};

CORVID_GUI_TEST_MAIN(AnimationTest)
#include "AnimationTest.moc"
