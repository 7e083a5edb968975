// The scene tools and texture-mapping windows in the running editor under
// an X server: the background colour a slider sets fills the viewport, the
// link moves the other colour's slider, the grid switch hides the grid, a
// wrap applied from the window and the gizmo of a mapping tool show in the
// viewport, a gizmo drag is one step of Undo, and a mapping tool without a
// selection says so and keeps the tool.

#include "GuiTestSupport.h"

#include "gui/MainWindow.h"
#include "gui/MappingWindow.h"
#include "gui/QtUi.h"
#include "gui/SceneToolsWindow.h"
#include "gui/ToolButtons.h"
#include "gui/ViewportWidget.h"
#include "scene/ObjectTree.h"
#include "scene/Records.h"
#include "tools/ToolMode.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include <memory>
#include <string>
#include <vector>

using namespace corvid;

namespace {

constexpr int kWait = 30000;

// Pixels of picture within tolerance of colour (ignoring the viewport's edge).
int CountNear(const QImage& image, QColor colour, int tolerance = 12, int margin = 24)
{
    const QImage picture = image.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = margin; y < picture.height() - margin; ++y)
        for (int x = margin; x < picture.width() - margin; ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) <= tolerance && std::abs(c.green() - colour.green()) <= tolerance &&
                std::abs(c.blue() - colour.blue()) <= tolerance)
                ++count;
        }
    return count;
}

} // namespace

class SceneToolsMappingTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<EditorShell> shell_;
    MainWindow* window_ = nullptr;
    Editor* editor_ = nullptr;
    std::vector<std::string> boxes_;

    ViewportWidget* viewport1() const { return window_->Viewport(1); }
    QImage nextPicture(int before)
    {
        [&] { QTRY_VERIFY_WITH_TIMEOUT(viewport1()->PresentCount() > before, kWait); }();
        return viewport1()->grabFramebuffer();
    }

private slots:
    void initTestCase()
    {
        shell_ = std::make_unique<EditorShell>();
        shell_->Ui().boxHook = [this](const std::string& text, Buttons) {
            boxes_.push_back(text);
            return Answer::Ok;
        };
        QVERIFY(test::StartEditor(*shell_, kWait));
        window_ = shell_->GetMainWindow();
        editor_ = shell_->GetEditor();
        QVERIFY(window_->SceneTools() && window_->Mapping());
    }

    void cleanupTestCase()
    {
        shell_->Shutdown();
        shell_.reset();
    }

    void backgroundSlidersFillTheViewportAndTheLinkFollows()
    {
        window_->SceneToolsDock()->raise();
        SceneToolsWindow& tools = *window_->SceneTools();
        int before = viewport1()->PresentCount();
        tools.Background().sliders[0]->setValue(200);
        tools.Background().sliders[2]->setValue(40);
        QImage picture = nextPicture(before);
        QVERIFY2(CountNear(picture, QColor(200, 0, 40)) > picture.width() * picture.height() / 4,
                 "the background colour fills most of the view");
        QCOMPARE(tools.Background().values[0]->text(), QString("200"));
        QCOMPARE(tools.Background().swatch->palette().color(QPalette::Window), QColor(200, 0, 40));

        // With "Change Both" the background follows the fog's green slider.
        tools.findChild<QCheckBox*>("changeBoth")->click();
        QVERIFY(editor_->scene.Settings().fogChangeBoth);
        tools.Fog().sliders[1]->setValue(40);
        QCOMPARE(tools.Background().sliders[1]->value(), 40);
        QCOMPARE(editor_->scene.World()->Scene().background, editor_->scene.World()->Scene().fogColor);
        tools.findChild<QCheckBox*>("changeBoth")->click();

        // The grid switch hides the grid's lines and Undo brings them back.
        QCheckBox* grid = tools.findChild<QCheckBox*>("renderGrid");
        QVERIFY(grid->isChecked());
        grid->click();
        QVERIFY(editor_->scene.GridFrame()->GetVisuals().empty());
        QVERIFY(editor_->Undo());
        QTRY_VERIFY(grid->isChecked());
        QVERIFY(!editor_->scene.GridFrame()->GetVisuals().empty());
        QVERIFY2(!tools.findChild<QCheckBox*>("backgroundOn")->isEnabled(), "no picture yet");
    }

    void aMappingToolWithoutASelectionSaysSo()
    {
        editor_->scene.ClearSelection();
        editor_->tools.mode = kModeMove;
        window_->Tools()->ShowEditorMode();
        boxes_.clear();
        QTest::mouseClick(window_->Mapping()->ToolButton(kModeMappingFirst), Qt::LeftButton);
        QCOMPARE(boxes_, std::vector<std::string>{"No object selected"});
        QCOMPARE(editor_->tools.mode, kModeMove);
        QVERIFY(window_->Tools()->Button(kModeMove)->isChecked());
    }

    void aWrapAndItsGizmoShowAndAGizmoDragIsOneStep()
    {
        window_->MappingDock()->raise();
        MappingWindow& mapping = *window_->Mapping();
        // A sphere in the middle of viewport 1, selected.
        editor_->tools.mode = kModeSphere;
        window_->Tools()->ShowEditorMode();
        QTest::mouseClick(viewport1(), Qt::RightButton, {}, test::Viewport1PointOf(*editor_, *viewport1(), {}));
        const FramePtr sphere = FindObject(editor_->scene.Scene(), "Sphere 0");
        QVERIFY(sphere);
        QVERIFY(editor_->scene.SelectedFrame() == sphere);

        QTest::mouseClick(mapping.PresetButton(0), Qt::LeftButton);  // flat
        QCOMPARE(editor_->tools.mapping.CurrentType(), 0);
        QTest::mouseClick(mapping.findChild<QPushButton*>("applyMapping"), Qt::LeftButton);
        const MeshRecord* record = RecordOf(sphere->GetVisuals()[0].get());
        QCOMPARE(record->wrapType, 0);

        // The move tool shows the flat gizmo over the sphere.
        const int before = viewport1()->PresentCount();
        QTest::mouseClick(mapping.ToolButton(kModeMappingFirst), Qt::LeftButton);
        QCOMPARE(editor_->tools.mode, kModeMappingFirst);
        QCOMPARE(editor_->tools.mappingGizmo.Shown(), GizmoShape::Flat);
        const QImage picture = nextPicture(before);
        QVERIFY2(CountNear(picture, QColor(255, 204, 51), 20) > 20, "the gizmo's lines are seen");

        // A drag moves the wrap's origin; Undo takes the whole drag back.
        const float originBefore = record->wrap[0];
        const size_t steps = editor_->scene.History().UndoCount();
        const QPoint from = test::Viewport1PointOf(*editor_, *viewport1(), {});
        QTest::mousePress(viewport1(), Qt::LeftButton, {}, from);
        for (int i = 1; i <= 4; ++i) {
            QMouseEvent move(QEvent::MouseMove, from + QPoint(10 * i, 0), viewport1()->mapToGlobal(from + QPoint(10 * i, 0)),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport1(), &move);
        }
        QTest::mouseRelease(viewport1(), Qt::LeftButton, {}, from + QPoint(40, 0));
        QVERIFY(record->wrap[0] != originBefore);
        QCOMPARE(editor_->scene.History().UndoCount(), steps + 1);
        QVERIFY(std::abs(mapping.findChild<QLineEdit*>("position0")->text().toFloat() - record->wrap[0]) < 1e-3f);
        QVERIFY(editor_->Undo());
        QCOMPARE(record->wrap[0], originBefore);

        // Another tool takes the gizmo away.
        QTest::mouseClick(window_->Tools()->Button(kModeMove), Qt::LeftButton);
        QCOMPARE(editor_->tools.mappingGizmo.Shown(), GizmoShape::None);
    }
};

CORVID_GUI_TEST_MAIN(SceneToolsMappingTest)
#include "SceneToolsMappingTest.moc"
