// The creation tools' windows in the tool column, with the editor started on
// an empty scene under an X server: the buttons choose the tool and bring up
// its parameter window in place of the previous one, typed values show what
// the tool took, "Defaults" restores, the column still fits the smallest main
// window, and a drag with the sphere tool makes a sphere of the size dragged.

#include "GuiTestSupport.h"

#include "app/ToolForms.h"
#include "gui/MainWindow.h"
#include "gui/ObjectTreeWidget.h"
#include "gui/QtUi.h"
#include "gui/ToolButtons.h"
#include "gui/ToolFormWidget.h"
#include "gui/ToolWindows.h"
#include "gui/ViewportWidget.h"
#include "platform/Device.h"
#include "platform/Frame.h"
#include "render/Picking.h"
#include "app/Editor.h"
#include "scene/ObjectTree.h"
#include "tools/ToolMode.h"

#include <QComboBox>
#include <QDockWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>

#include <memory>
#include <string>
#include <vector>

using namespace corvid;

namespace {

constexpr int kWait = 30000;

// Types text into box and presses Enter, as a person would.
void Type(QAbstractSpinBox* box, const QString& text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

} // namespace

class ToolWindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<EditorShell> shell_;
    MainWindow* window_ = nullptr;
    Editor* editor_ = nullptr;
    ToolWindows* windows_ = nullptr;
    std::vector<std::string> boxes_;

    ViewportWidget* viewport1() const { return window_->Viewport(1); }

    // Where a point on SCENE's ground shows in viewport 1, in widget coordinates.
    QPoint onScreen(const Vec3& point) { return test::Viewport1PointOf(*editor_, *viewport1(), point); }

    // The box of frame's meshes relative to SCENE.
    Box SceneBox(const Frame& frame) const
    {
        return frame.GetHierarchyBox().Transformed(frame.GetTransform(editor_->scene.Scene().get()));
    }

    ToolFormWidget* choose(int mode)
    {
        QToolButton* button = window_->Tools()->Button(mode);
        if (!button)
            return nullptr;
        QTest::mouseClick(button, Qt::LeftButton);
        return windows_->Shown();
    }

    template <class T>
    T* field(int mode, const char* key)
    {
        ToolFormWidget* form = windows_->Form(mode);
        return form ? qobject_cast<T*>(form->FieldWidget(key)) : nullptr;
    }

private slots:
    void initTestCase()
    {
        shell_ = std::make_unique<EditorShell>();
        shell_->Ui().boxHook = [this](const std::string& text, Buttons) {
            boxes_.push_back(text);
            return Answer::Ok;
        };
        QVERIFY(shell_->Start({}));  // an empty scene: the first sphere is "Sphere 0"
        window_ = shell_->GetMainWindow();
        editor_ = shell_->GetEditor();
        windows_ = window_->CreationWindows();
        QTRY_VERIFY_WITH_TIMEOUT(shell_->StartupFinished(), kWait);
        QTRY_VERIFY_WITH_TIMEOUT(viewport1()->PresentCount() > 0, kWait);
        QVERIFY(boxes_.empty());
    }

    void cleanupTestCase()
    {
        shell_->Shutdown();
        shell_.reset();
    }

    void startUpMadeEveryWindow()
    {
        for (StartupWindowKind kind : {StartupWindowKind::PrimitiveChooser, StartupWindowKind::LightChooser,
                                       StartupWindowKind::SurfaceChooser, StartupWindowKind::DeformChooser})
            QVERIFY(windows_->Chooser(kind) && windows_->Chooser(kind)->isVisible());
        QCOMPARE(windows_->Chooser(StartupWindowKind::LightChooser)->objectName(), QString("lightWindow"));
        for (const ToolForm& form : ToolForms()) {
            ToolFormWidget* widget = windows_->Form(form.mode);
            QVERIFY2(widget, form.title.c_str());
            QCOMPARE(widget->objectName(), QString("toolWindow%1").arg(form.mode));
            QCOMPARE(widget->DefaultsButton() != nullptr, !form.fields.empty());
        }
        // No creation tool is chosen yet: the slot is empty.
        QCOMPARE(windows_->Shown(), nullptr);
        // Every creation tool has an icon of its own.
        QSet<QByteArray> icons;
        for (const ToolForm& form : ToolForms()) {
            const QImage icon =
                ToolButtons::ToolIcon(form.mode).pixmap(24, 24).toImage().convertToFormat(QImage::Format_ARGB32);
            int inked = 0;
            for (int y = 0; y < icon.height(); ++y)
                for (int x = 0; x < icon.width(); ++x)
                    inked += qAlpha(icon.pixel(x, y)) > 0 ? 1 : 0;
            QVERIFY2(inked > 40, form.title.c_str());
            icons.insert(QByteArray(reinterpret_cast<const char*>(icon.constBits()), icon.sizeInBytes()));
        }
        QCOMPARE(icons.size(), int(ToolForms().size()));
    }

    void buttonsChooseTheToolAndItsWindow()
    {
        ToolFormWidget* sphere = choose(kModeSphere);
        QCOMPARE(editor_->tools.mode, int(kModeSphere));
        QVERIFY(sphere && sphere->isVisible() && sphere->title() == QString("Sphere"));
        ToolFormWidget* cube = choose(kModeCube);
        QCOMPARE(editor_->tools.mode, int(kModeCube));
        QVERIFY(cube && cube->isVisible() && cube->title() == QString("Cube"));
        QVERIFY(!sphere->isVisible());
        QVERIFY(!window_->Tools()->Button(kModeSphere)->isChecked());

        // A column tool unchecks the creation button and empties the slot.
        QCOMPARE(choose(kModeMove), nullptr);
        QVERIFY(!cube->isVisible());
        QVERIFY(!window_->Tools()->Button(kModeCube)->isChecked());

        // Every button of the three windows, in turn: one window in view.
        for (const ToolChooser* chooser : {&PrimitiveChooser(), &LightChooser(), &SurfaceChooser(), &DeformChooser()})
            for (int mode : chooser->modes) {
                ToolFormWidget* shown = choose(mode);
                QCOMPARE(editor_->tools.mode, mode);
                QVERIFY(shown && shown == windows_->Form(mode) && shown->isVisible());
                int visible = 0;
                for (const ToolForm& form : ToolForms())
                    visible += windows_->Form(form.mode)->isVisible() ? 1 : 0;
                QCOMPARE(visible, 1);
            }
        QVERIFY(windows_->Form(kModeCamera)->findChild<QWidget*>("usage"));

        // A mode set elsewhere (the command line's --tool) is shown too.
        editor_->tools.mode = kModeCone;
        window_->Tools()->ShowEditorMode();
        QVERIFY(windows_->Form(kModeCone)->isVisible());
        QVERIFY(window_->Tools()->Button(kModeCone)->isChecked());
    }

    void fieldsShowTheValueTakenAndDefaultsRestore()
    {
        choose(kModeSphere);
        QSpinBox* segments = field<QSpinBox>(kModeSphere, "segments");
        QSpinBox* rings = field<QSpinBox>(kModeSphere, "rings");
        QVERIFY(segments && rings);
        QCOMPARE(segments->value(), 32);
        Type(segments, "5000");
        QCOMPARE(editor_->tools.primitives.sphere.segments, kMaxPrimitiveDivisions);
        QCOMPARE(segments->value(), kMaxPrimitiveDivisions);
        Type(rings, "1");
        QCOMPARE(rings->value(), 2);
        segments->stepDown();  // the arrows commit too
        QCOMPARE(editor_->tools.primitives.sphere.segments, kMaxPrimitiveDivisions - 1);

        // Another tool's parameters are left alone by the sphere's Defaults.
        choose(kModeCube);
        QComboBox* sizing = field<QComboBox>(kModeCube, "sizing");
        QVERIFY(sizing);
        QCOMPARE(sizing->currentText(), QString("Box"));
        sizing->setCurrentIndex(0);
        QCOMPARE(editor_->tools.primitives.cube.sizing, SizingStyle::FromCentre);
        choose(kModeSphere);
        QTest::mouseClick(windows_->Form(kModeSphere)->findChild<QPushButton*>("defaults"), Qt::LeftButton);
        QCOMPARE(editor_->tools.primitives.sphere.segments, 32);
        QCOMPARE(segments->value(), 32);
        QCOMPARE(rings->value(), 16);
        QCOMPARE(editor_->tools.primitives.cube.sizing, SizingStyle::FromCentre);
        QVERIFY(boxes_.empty());
    }

    void patchWindowRefusesARowTooLong()
    {
        choose(kModeBSplinePatch);
        QSpinBox* columns = field<QSpinBox>(kModeBSplinePatch, "columns");
        QVERIFY(columns);
        Type(columns, "100");
        QCOMPARE(boxes_.size(), size_t(1));
        QVERIFY(QString::fromStdString(boxes_[0]).contains("100 control points"));
        QCOMPARE(columns->value(), 5);
        QCOMPARE(editor_->tools.patches.bSpline.columns, 5);
        Type(columns, "99");
        QCOMPARE(editor_->tools.patches.bSpline.columns, 99);
        QCOMPARE(boxes_.size(), size_t(1));
        boxes_.clear();
    }

    void columnFitsTheSmallestWindow()
    {
        const QRect before = window_->geometry();
        window_->showNormal();
        window_->resize(640, 480);
        choose(kModeSpotLight);  // the tallest window
        QTRY_COMPARE(window_->size(), QSize(640, 480));
        QCoreApplication::processEvents();

        // Every tool button is whole and clear of the others.
        QWidget* column = window_->ToolColumn();
        std::vector<QRect> rects;
        for (QToolButton* button : column->findChildren<QToolButton*>()) {
            if (!button->isVisible())
                continue;
            const QRect r(button->mapTo(column, QPoint(0, 0)), button->size());
            QVERIFY2(r.width() >= 30 && r.height() >= 30, qPrintable(button->objectName()));
            for (const QRect& other : rects)
                QVERIFY2(!r.intersects(other), qPrintable(button->objectName() + " overlaps another"));
            rects.push_back(r);
        }
        QVERIFY(rects.size() >= 24 + 15);
        // The parameter window gets the height it asks for, inside the column
        // (which scrolls), and below the buttons.
        ToolFormWidget* spot = windows_->Shown();
        QVERIFY(spot);
        QVERIFY(spot->height() >= spot->minimumSizeHint().height());
        const QRect form(spot->mapTo(column, QPoint(0, 0)), spot->size());
        QVERIFY(column->rect().contains(form));
        for (const QRect& r : rects)
            QVERIFY(!r.intersects(form));
        auto* scroll = window_->findChild<QScrollArea*>("toolColumnScroll");
        QVERIFY(scroll && scroll->verticalScrollBar()->maximum() > 0);
        QVERIFY(spot->FieldWidget("umbra")->width() >= 50);

        // The viewports share what the column and the docks leave, and the
        // editor places them there.
        const QWidget* area = window_->ViewportArea();
        QCOMPARE(area->x(), scroll->x() + scroll->width());
        QVERIFY2(area->width() >= 80, qPrintable(QString("%1 pixels").arg(area->width())));
        QCOMPARE(editor_->views.viewportArea.width, area->width());
        QCOMPARE(editor_->views.viewportArea.height, area->height());
        QCOMPARE(viewport1()->parentWidget(), area);
        QVERIFY(area->rect().contains(viewport1()->geometry()));
        QVERIFY(viewport1()->width() > area->width() / 2);

        window_->setGeometry(before);
        window_->showMaximized();
        QTRY_VERIFY(window_->width() > 640);
    }

    void draggingWithTheSphereToolMakesASphereOfThatRadius()
    {
        choose(kModeSphere);
        QCOMPARE(FindObject(editor_->scene.Scene(), "Sphere 0"), nullptr);
        // From the origin to a ground point 3 units away: the radius.
        const float radius = 3.0f;
        const QPoint from = onScreen({0, 0, 0});
        const QPoint to = onScreen({radius, 0, 0});
        QVERIFY(viewport1()->rect().adjusted(20, 20, -20, -20).contains(from));
        QVERIFY(viewport1()->rect().contains(to));
        QVERIFY((to - from).manhattanLength() > 40);

        QTest::mousePress(viewport1(), Qt::LeftButton, {}, from);
        for (int step = 1; step <= 5; ++step)
            QTest::mouseMove(viewport1(), from + (to - from) * step / 5);
        QTest::mouseRelease(viewport1(), Qt::LeftButton, {}, to);

        const FramePtr sphere = FindObject(editor_->scene.Scene(), "Sphere 0");
        QVERIFY(sphere);
        ObjectTreeWidget* tree = window_->ObjectsList();
        QTreeWidgetItem* item = tree->ItemOf(sphere.get());
        QVERIFY(item);
        QCOMPARE(item->text(0), QString("Sphere 0"));
        QCOMPARE(item->parent(), tree->ItemOf(editor_->scene.Scene().get()));

        const Box box = SceneBox(*sphere);
        const Vec3 size = box.Size();
        const Vec3 centre = box.Center();
        // A pixel's rounding at each end of the drag is about 0.04 units.
        for (float extent : {size.x, size.y, size.z})
            QVERIFY2(std::abs(extent - 2.0f * radius) < 0.05f * radius,
                     qPrintable(QString("size %1 %2 %3").arg(size.x).arg(size.y).arg(size.z)));
        QVERIFY(std::abs(centre.x) < 0.1f && std::abs(centre.y) < 0.1f && std::abs(centre.z) < 0.1f);
        QCOMPARE(editor_->tools.stage, 0);
        QVERIFY(!editor_->tools.Creation().Pending());
    }

    void rightPressMakesAUnitSphereAtOnce()
    {
        choose(kModeSphere);
        const int items = window_->ObjectsList()->ItemCount();
        QTest::mouseClick(viewport1(), Qt::RightButton, {}, onScreen({-3, 0, 0}));
        const FramePtr sphere = FindObject(editor_->scene.Scene(), "Sphere 1");
        QVERIFY(sphere);
        QCOMPARE(window_->ObjectsList()->ItemCount(), items + 1);
        QVERIFY(window_->ObjectsList()->ItemOf(sphere.get()));
        const Vec3 size = SceneBox(*sphere).Size();
        QVERIFY2(std::abs(size.x - 2.0f) < 1e-3f && std::abs(size.y - 2.0f) < 1e-3f,
                 qPrintable(QString("size %1 %2").arg(size.x).arg(size.y)));
        QVERIFY(!editor_->tools.Creation().Pending());
    }
};

CORVID_GUI_TEST_MAIN(ToolWindowsTest)
#include "ToolWindowsTest.moc"
