// Painting as a person does it, under an X server: a checker picture loaded
// into texture slot 1 with the right button, chosen with the left, painted on
// a cube with the paint-object tool, and the viewport shows the checker on
// the cube; undo takes it off again.

#include "GuiTestSupport.h"

#include "gui/MainWindow.h"
#include "gui/QtUi.h"
#include "gui/TexturePanel.h"
#include "gui/ToolButtons.h"
#include "gui/ViewportWidget.h"
#include "platform/Frame.h"
#include "platform/ImageService.h"
#include "platform/MeshBuilder.h"
#include "app/Editor.h"
#include "scene/SceneModel.h"
#include "tools/ToolMode.h"

#include <QDockWidget>
#include <QToolButton>

#include <memory>

using namespace corvid;

namespace {

constexpr int kWait = 30000;
constexpr float kHalf = 5.0f;

// Which of red and blue the pixel leans to: +1 red, -1 blue, 0 neither.
int Lean(QRgb pixel)
{
    const int red = qRed(pixel), blue = qBlue(pixel);
    return red > blue + 40 ? 1 : blue > red + 40 ? -1 : 0;
}

} // namespace

class PaintTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<EditorShell> shell_;
    MainWindow* window_ = nullptr;
    Editor* editor_ = nullptr;
    QTemporaryDir folder_;

    ViewportWidget* viewport1() const { return window_->Viewport(1); }
    QPoint onScreen(const Vec3& point) { return test::Viewport1PointOf(*editor_, *viewport1(), point); }
    QRgb seen(const QPoint& at) { return viewport1()->grabFramebuffer().pixel(at); }

    // A 10-unit cube at the origin whose front (z = -5) face carries the
    // whole picture: u runs with x, v down with y.
    void makeCube()
    {
        SceneModel& scene = editor_->scene;
        scene.insertionPoint = {};
        MeshBuilderPtr mesh = scene.BeginObjectCreation();
        for (int i = 0; i < 8; ++i) {
            const Vec3 p{i & 1 ? kHalf : -kHalf, i & 2 ? kHalf : -kHalf, i & 4 ? kHalf : -kHalf};
            const int v = mesh->AddVertex(p);
            mesh->SetTextureCoordinates(v, (p.x + kHalf) / (2 * kHalf), (kHalf - p.y) / (2 * kHalf));
        }
        const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
        for (const auto& f : faces)
            mesh->AddFace(f);
        mesh->GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
        scene.FinishObjectCreation("Cube %s", scene.names.cube);
        scene.RegisterObject(scene.SelectedFrame());
        scene.ClearSelection();
        editor_->views.RenderAllViews();
    }

    // A 64 x 64 picture in four squares: red top-left and bottom-right,
    // blue in the other two.
    QString writeChecker()
    {
        Image image{64, 64, {}};
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const bool red = (x < 32) == (y < 32);
                image.rgba.insert(image.rgba.end(), {uint8_t(red ? 230 : 20), 20, uint8_t(red ? 20 : 230), 255});
            }
        const QString path = folder_.filePath("checker.bmp");
        if (!WriteImageFile(image, path.toStdString(), ImageFileType::Bmp))
            return {};
        return path;
    }

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

    void aPictureInSlotOnePaintedOnACubeShowsInTheViewport()
    {
        makeCube();
        const QString picture = writeChecker();
        QVERIFY(!picture.isEmpty());
        // Quarters of the front face, and what they show before painting.
        const QPoint upperLeft = onScreen({-kHalf / 2, kHalf / 2, -kHalf});
        const QPoint upperRight = onScreen({kHalf / 2, kHalf / 2, -kHalf});
        const QPoint lowerRight = onScreen({kHalf / 2, -kHalf / 2, -kHalf});
        const QPoint centre = onScreen({0, 0, -kHalf});
        QCOMPARE(seen(upperLeft), seen(upperRight));  // one pastel colour

        // Slot 1: the right button loads the picture, the left chooses it.
        shell_->Ui().fileHook = [&](const FileDialogRequest&) { return std::optional<std::string>(picture.toStdString()); };
        TexturePanel* panel = window_->Textures();
        QVERIFY(panel);
        auto* dock = window_->findChild<QDockWidget*>("textureDock");
        QVERIFY(dock);
        dock->raise();
        QTRY_VERIFY(panel->isVisible());
        QTest::mouseClick(panel->Slot(1), Qt::RightButton);
        shell_->Ui().fileHook = nullptr;
        QVERIFY(editor_->textureSlots.Slot(1).texture);
        QVERIFY(!panel->Slot(1)->pixmap().isNull());  // the thumbnail
        QCOMPARE(panel->FileLabel()->toolTip(), picture);
        QTest::mouseClick(panel->Slot(0), Qt::LeftButton);  // an empty slot clears the paint texture
        QVERIFY(!editor_->tools.paint.paintTexture);
        QTest::mouseClick(panel->Slot(1), Qt::LeftButton);
        QCOMPARE(editor_->tools.paint.paintTexture, editor_->textureSlots.Slot(1).texture);

        // The paint-object tool on the cube. Its button brings the Material
        // window to the front of its place, which it shares with the texture
        // slots but not with the object information.
        auto* materialDock = window_->findChild<QDockWidget*>("materialDock");
        auto* infoDock = window_->findChild<QDockWidget*>("objectInfoDock");
        QVERIFY(materialDock && infoDock);
        QVERIFY(window_->tabifiedDockWidgets(materialDock).contains(dock));
        QVERIFY(!window_->tabifiedDockWidgets(materialDock).contains(infoDock));
        QVERIFY(materialDock->visibleRegion().isEmpty());
        QTest::mouseClick(window_->Tools()->Button(kModePaintObject), Qt::LeftButton);
        QCOMPARE(editor_->tools.mode, int(kModePaintObject));
        QTRY_VERIFY(!materialDock->visibleRegion().isEmpty());
        QVERIFY(infoDock->isVisible());
        QTest::mouseClick(viewport1(), Qt::LeftButton, {}, centre);
        QCOMPARE(editor_->scene.History().UndoName(), std::string("Paint Object"));

        // The checker: diagonal quarters alike, neighbouring ones opposite.
        const int a = Lean(seen(upperLeft)), b = Lean(seen(upperRight)), c = Lean(seen(lowerRight));
        QVERIFY2(a != 0 && b != 0, qPrintable(QString("leans %1 %2 %3").arg(a).arg(b).arg(c)));
        QCOMPARE(a, c);
        QCOMPARE(b, -a);

        // Undone, the texture is gone again.
        QVERIFY(editor_->Undo());
        QCOMPARE(seen(upperLeft), seen(upperRight));
    }
};

CORVID_GUI_TEST_MAIN(PaintTest)
#include "PaintTest.moc"
