// Scene files as a person uses them, under an X server: Save Scene as, New
// Scene and Load from the File menu bring the scene back; `corvid file.cvd`
// opens the file; quitting a modified scene and answering Yes saves it; an
// editor killed with unsaved work offers its autosave at the next start.
//
// Run with --be-killed, the program is that editor: it makes a change,
// waits for its autosave and kills itself.

#include "GuiTestSupport.h"

#include "app/DisplayChange.h"
#include "app/DocumentCommands.h"
#include "app/Editor.h"
#include "app/FileTypes.h"
#include "gui/ImportOptionsDialog.h"
#include "gui/MainWindow.h"
#include "gui/ObjectTreeWidget.h"
#include "gui/QtUi.h"
#include "platform/Frame.h"
#include "render/CommandIds.h"
#include "scene/ObjectTree.h"
#include "scene/Records.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <memory>

using namespace corvid;

namespace {

constexpr int kWait = 30000;

// Adds a camera called name as one undoable step: the scene is modified.
void AddCamera(Editor& editor, const std::string& name)
{
    EditStep step(editor.scene.History(), "Create " + name);
    FramePtr camera = editor.scene.CreateCamera();
    RecordOf(camera.get())->name = name;
    editor.scene.RegisterObject(camera);
}

// The texts of the Objects List items under SCENE.
QStringList ListedUnderScene(EditorShell& shell)
{
    QStringList names;
    ObjectTreeWidget* tree = shell.Ui().Tree();
    QTreeWidgetItem* scene = tree->ItemOf(shell.GetEditor()->scene.Scene().get());
    for (int i = 0; scene && i < scene->childCount(); ++i)
        names << scene->child(i)->text(0);
    return names;
}

// A started editor whose dialogs answer from the test.
std::unique_ptr<EditorShell> StartEditor(const ShellOptions& options = {}, QStringList* asked = nullptr,
                                         Answer answer = Answer::No)
{
    auto shell = std::make_unique<EditorShell>();
    shell->Ui().boxHook = [asked, answer](const std::string& text, Buttons) {
        if (asked)
            *asked << QString::fromStdString(text);
        return answer;
    };
    if (!shell->Start(options))
        return nullptr;
    return shell;
}

} // namespace

class SceneFileTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder_;
    QString file(const QString& name) const { return folder_.filePath(name); }

private slots:
    void saveNewSceneAndLoadBringTheSceneBack()
    {
        auto shell = StartEditor();
        QVERIFY(shell);
        QTRY_VERIFY_WITH_TIMEOUT(shell->StartupFinished(), kWait);
        MainWindow* window = shell->GetMainWindow();
        Editor& editor = *shell->GetEditor();
        AddCamera(editor, "Keeper");
        QTRY_VERIFY_WITH_TIMEOUT(window->windowTitle().startsWith("*"), kWait);

        // Save Scene as: the options dialog shows its export form.
        const QString saved = file("kept");
        shell->Ui().fileHook = [&](const FileDialogRequest& request) -> std::optional<std::string> {
            return request.save ? saved.toStdString() : (saved + ".cvd").toStdString();
        };
        bool exportForm = false, replaceChosen = false;
        shell->Ui().optionsHook = [&](ImportOptionsDialog& dialog) {
            if (dialog.lastPickedBox()->isEnabled())
                exportForm = !dialog.replaceButton()->isEnabled();
            else
                replaceChosen = dialog.replaceButton()->isChecked() && dialog.mergeButton()->isEnabled();
            return true;
        };
        window->FindMenuAction(kCmdSaveSceneAs)->trigger();
        QVERIFY(exportForm);
        QVERIFY(QFileInfo::exists(saved + ".cvd"));
        QCOMPARE(window->windowTitle(), QString("kept.cvd - Corvid 1.0"));

        window->FindMenuAction(kCmdNewScene)->trigger();
        QVERIFY(!ListedUnderScene(*shell).contains("Keeper"));

        window->FindMenuAction(kCmdLoad)->trigger();
        QVERIFY(replaceChosen);
        QVERIFY(ListedUnderScene(*shell).contains("Keeper"));
        QVERIFY(FindObject(editor.scene.Scene(), "Keeper"));
        QCOMPARE(window->windowTitle(), QString("kept.cvd - Corvid 1.0"));
        QCOMPARE(shell->Ui().UserCameraEntries().size(), size_t{1});
    }

    void modelsComeInAndGoOutThroughTheGeometryMenus()
    {
        auto shell = StartEditor();
        QVERIFY(shell);
        QTRY_VERIFY_WITH_TIMEOUT(shell->StartupFinished(), kWait);
        MainWindow* window = shell->GetMainWindow();
        Editor& editor = *shell->GetEditor();
        const QString model = file("wedge.obj");
        {
            QFile obj(model);
            QVERIFY(obj.open(QIODevice::WriteOnly));
            obj.write("o Wedge\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 2 3\nf 1 3 4\nf 1 4 2\nf 2 4 3\n");
        }
        std::vector<FileDialogRequest> asked;
        shell->Ui().fileHook = [&](const FileDialogRequest& request) -> std::optional<std::string> {
            asked.push_back(request);
            return request.save ? file("wedge").toStdString() : model.toStdString();
        };
        bool texturesOffered = false;
        shell->Ui().optionsHook = [&](ImportOptionsDialog& dialog) {
            texturesOffered = dialog.texturesBox()->isEnabled();
            dialog.mergeButton()->click();
            return true;
        };
        QAction* import = window->FindMenuAction(kCmdImportObj);
        QVERIFY(import);
        QCOMPARE(import->text(), QString("Wavefront .obj ..."));
        import->trigger();
        QCOMPARE(QString::fromStdString(asked.back().filter), QString("WaveFront (*.obj)|*.obj||"));
        QVERIFY(texturesOffered);
        // The model hangs under its base frame in the Objects List.
        QVERIFY(ListedUnderScene(*shell).contains("BaseFrame"));
        QVERIFY(FindObject(editor.scene.Scene(), "Wedge"));
        QVERIFY(window->FindMenuAction(kCmdUndo)->text().contains("Import wedge.obj"));

        window->FindMenuAction(kCmdExport3ds)->trigger();
        QVERIFY(asked.back().save);
        QVERIFY(QFileInfo::exists(file("wedge.3ds")));
    }

    void aSceneFileOnTheCommandLineIsOpened()
    {
        const QString path = file("opened.cvd");
        {
            auto writer = StartEditor();
            QVERIFY(writer);
            AddCamera(*writer->GetEditor(), "FromTheCommandLine");
            writer->Ui().fileHook = [&](const FileDialogRequest&) { return std::optional(path.toStdString()); };
            writer->Ui().optionsHook = [](ImportOptionsDialog&) { return true; };
            QVERIFY(SaveSceneAsCommand(*writer->GetEditor()));
        }
        ShellOptions options;
        options.sceneFile = path.toStdString();
        QStringList asked;
        auto shell = StartEditor(options, &asked);
        QVERIFY(shell);
        QTRY_VERIFY_WITH_TIMEOUT(shell->StartupFinished(), kWait);
        QVERIFY(ListedUnderScene(*shell).contains("FromTheCommandLine"));
        QCOMPARE(shell->GetMainWindow()->windowTitle(), QString("opened.cvd - Corvid 1.0"));
        QVERIFY(!shell->GetEditor()->scene.Modified());
        QVERIFY(asked.isEmpty());
    }

    void aModelFileOnTheCommandLineIsImported()
    {
        const QString path = file("Wedge.OBJ");
        {
            QFile obj(path);
            QVERIFY(obj.open(QIODevice::WriteOnly));
            obj.write("o Wedge\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
        }
        ShellOptions options;
        options.sceneFile = path.toStdString();
        QStringList asked;
        auto shell = StartEditor(options, &asked);
        QVERIFY(shell);
        QTRY_VERIFY_WITH_TIMEOUT(shell->StartupFinished(), kWait);
        QVERIFY(ListedUnderScene(*shell).contains("BaseFrame"));
        QVERIFY(FindObject(shell->GetEditor()->scene.Scene(), "Wedge"));
        QVERIFY(asked.isEmpty());  // no message: it was not taken for a scene file
        // Not a scene file of its own: the title names none and shows the change.
        QVERIFY(shell->GetMainWindow()->windowTitle().startsWith("*"));
    }

    void quittingAModifiedSceneAndAnsweringYesSavesIt()
    {
        QStringList asked;
        auto shell = StartEditor({}, &asked, Answer::Yes);
        QVERIFY(shell);
        QTRY_VERIFY_WITH_TIMEOUT(shell->StartupFinished(), kWait);
        AddCamera(*shell->GetEditor(), "Unsaved");
        const QString path = file("at-exit");
        shell->Ui().fileHook = [&](const FileDialogRequest&) { return std::optional(path.toStdString()); };
        shell->Ui().optionsHook = [](ImportOptionsDialog&) { return true; };
        MainWindow* window = shell->GetMainWindow();
        QVERIFY(window->close());
        QCOMPARE(asked, QStringList{kSaveQuestion});
        QVERIFY(!window->isVisible());
        QVERIFY(QFileInfo::exists(path + ".cvd"));

        // The file holds the change: a new editor opens it with the camera.
        ShellOptions options;
        options.sceneFile = (path + ".cvd").toStdString();
        auto again = StartEditor(options);
        QVERIFY(again);
        QVERIFY(ListedUnderScene(*again).contains("Unsaved"));
    }

    void aKilledEditorOffersItsAutosaveAtTheNextStart()
    {
        const QString state = file("state");
        QProcess killed;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_STATE_HOME", state);
        env.insert("CORVID_AUTOSAVE_SECONDS", "1");
        killed.setProcessEnvironment(env);
        killed.start(QCoreApplication::applicationFilePath(), {"--be-killed"});
        QVERIFY(killed.waitForFinished(60000));
        QCOMPARE(killed.exitStatus(), QProcess::CrashExit);
        QVERIFY2(!QDir(state + "/corvid/autosave").entryList({"autosave-*.cvd"}).isEmpty(),
                 qPrintable(killed.readAllStandardError()));

        const QByteArray before = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", state.toUtf8());
        QStringList asked;
        auto shell = StartEditor({}, &asked, Answer::Yes);
        QVERIFY(shell);
        QTRY_VERIFY_WITH_TIMEOUT(!asked.isEmpty(), kWait);
        qputenv("XDG_STATE_HOME", before);
        QVERIFY(asked.front().startsWith("Corvid ended without saving a new scene."));
        QVERIFY(asked.front().endsWith("Would you like to recover it?"));
        QTRY_VERIFY_WITH_TIMEOUT(ListedUnderScene(*shell).contains("Survivor"), kWait);
        // What came back is unsaved work.
        QVERIFY(shell->GetEditor()->scene.Modified());
        QVERIFY(shell->GetMainWindow()->windowTitle().startsWith("*Untitled"));
        // Offered once: the next start finds nothing.
        QVERIFY(Autosave::FindRecoverable((state + "/corvid/autosave").toStdString()).empty());
    }
};

namespace {

// The editor that is killed: a change, its autosave, SIGKILL.
int BeKilled()
{
    auto shell = StartEditor();
    if (!shell)
        return 1;
    auto poll = new QTimer;
    bool changed = false;
    QObject::connect(poll, &QTimer::timeout, [&] {
        Editor& editor = *shell->GetEditor();
        if (!shell->StartupFinished())
            return;
        if (!changed) {
            AddCamera(editor, "Survivor");
            changed = true;
            return;
        }
        editor.autosave.Wait();
        if (QFileInfo::exists(QString::fromStdString(editor.autosave.FilePath())))
            std::raise(SIGKILL);
    });
    poll->start(100);
    QTimer::singleShot(50000, [] { std::fputs("no autosave came\n", stderr), std::exit(3); });
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "%s needs an X server: run it under xvfb-run -a\n", argv[0]);
        return 1;
    }
    PrepareQtForOpenGl();
    QApplication app(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "--be-killed")
        return BeKilled();
    // Autosaves and converted textures of this run stay in its own folders.
    QTemporaryDir home;
    qputenv("XDG_STATE_HOME", (home.path() + "/state").toUtf8());
    qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
    SceneFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SceneFileTest.moc"
