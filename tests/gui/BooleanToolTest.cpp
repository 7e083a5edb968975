// A union as a person makes it, under an X server: the Union button, a
// press on one cube and the release over another that overlaps it; one
// object is left, the viewport shows it where both stood, and undo brings
// the two back.

#include "GuiTestSupport.h"

#include "app/Editor.h"
#include "gui/MainWindow.h"
#include "gui/ToolButtons.h"
#include "gui/ViewportWidget.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/SceneModel.h"
#include "tools/ToolMode.h"

#include <QToolButton>

#include <memory>

using namespace corvid;

namespace {

constexpr int kWait = 30000;
constexpr float kHalf = 4.0f;

} // namespace

class BooleanToolTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<EditorShell> shell_;
    MainWindow* window_ = nullptr;
    Editor* editor_ = nullptr;
    QTemporaryDir folder_;

    ViewportWidget* viewport1() const { return window_->Viewport(1); }
    QPoint onScreen(const Vec3& point) { return test::Viewport1PointOf(*editor_, *viewport1(), point); }
    QRgb seen(const QPoint& at) { return viewport1()->grabFramebuffer().pixel(at); }

    // A closed cube of side 2 kHalf around centre, with its own colour.
    FramePtr makeCube(const Vec3& centre, uint32_t argb)
    {
        SceneModel& scene = editor_->scene;
        MeshBuilderPtr mesh = scene.BeginObjectCreation();
        for (int i = 0; i < 8; ++i)
            mesh->AddVertex({centre.x + (i & 1 ? kHalf : -kHalf), centre.y + (i & 2 ? kHalf : -kHalf),
                             centre.z + (i & 4 ? kHalf : -kHalf)});
        const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
        for (const auto& f : faces)
            mesh->AddFace(f);
        mesh->GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
        scene.FinishObjectCreation("Cube %s", scene.names.cube);
        mesh->SetColor(argb);  // after the creation's own pastel colour
        FramePtr frame = scene.SelectedFrame();
        scene.RegisterObject(frame);
        scene.ClearSelection();
        return frame;
    }

    int objectsInScene() const { return static_cast<int>(editor_->scene.Scene()->GetChildren().size()); }

private slots:
    void initTestCase()
    {
        QVERIFY(folder_.isValid());
        qputenv("XDG_CACHE_HOME", folder_.filePath("cache").toUtf8());
        shell_ = std::make_unique<EditorShell>();
        QVERIFY(test::StartEditorActive(*shell_, kWait));
        window_ = shell_->GetMainWindow();
        editor_ = shell_->GetEditor();
    }

    void cleanupTestCase()
    {
        shell_->Shutdown();
        shell_.reset();
    }

    void pressOnOneCubeAndReleaseOverTheOtherJoinsThem()
    {
        const int before = objectsInScene();
        const FramePtr red = makeCube({-3, 0, 0}, 0xFFE03030);
        const FramePtr blue = makeCube({3, 0, 0}, 0xFF3030E0);
        editor_->views.RenderAllViews();
        QCOMPARE(objectsInScene(), before + 2);
        // Points of the front faces that only one cube covers.
        const QPoint onRed = onScreen({-6, 0, -kHalf});
        const QPoint onBlue = onScreen({6, 0, -kHalf});
        const QPoint between = onScreen({0, 0, -kHalf});
        QVERIFY(qRed(seen(onRed)) > qBlue(seen(onRed)));
        QVERIFY(qBlue(seen(onBlue)) > qRed(seen(onBlue)));

        QToolButton* union_ = window_->Tools()->Button(kModeUnion);
        QVERIFY(union_ && union_->isVisible());
        QTest::mouseClick(union_, Qt::LeftButton);
        QCOMPARE(editor_->tools.mode, int(kModeUnion));
        QTest::mousePress(viewport1(), Qt::LeftButton, {}, onRed);
        QTest::mouseMove(viewport1(), between);
        QTest::mouseRelease(viewport1(), Qt::LeftButton, {}, onBlue);

        // One object where both were, each face keeping its colour.
        QCOMPARE(objectsInScene(), before + 1);
        QVERIFY(!editor_->scene.Scene()->IsAncestorOf(blue.get()));
        QCOMPARE(editor_->scene.History().UndoName(), std::string("Union"));
        QTRY_VERIFY(qRed(seen(onRed)) > qBlue(seen(onRed)));
        QTRY_VERIFY(qBlue(seen(onBlue)) > qRed(seen(onBlue)));

        QVERIFY(editor_->Undo());
        QCOMPARE(objectsInScene(), before + 2);
        QVERIFY(editor_->scene.Scene()->IsAncestorOf(red.get()));
        QVERIFY(editor_->scene.Scene()->IsAncestorOf(blue.get()));
    }
};

CORVID_GUI_TEST_MAIN(BooleanToolTest)
#include "BooleanToolTest.moc"
