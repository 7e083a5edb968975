// New Scene, Load and Save Scene as with their dialogs and questions, the
// save question when the program ends, and autosave with recovery.

#include "app/Autosave.h"
#include "app/DisplayChange.h"
#include "app/DocumentCommands.h"
#include "app/Editor.h"
#include "app/FileTypes.h"
#include "app/MainMenu.h"
#include "files/Document.h"
#include "files/FileIo.h"
#include "files/scene/SceneFile.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/ObjectTree.h"
#include "scene/Records.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace corvid::testing {
namespace {

namespace fs = std::filesystem;

class DocumentCommandsTest : public ::testing::Test {
protected:
    DocumentCommandsTest()
    {
        folder = fs::temp_directory_path() / ("corvid-doc-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
        fs::remove_all(folder);
        fs::create_directories(folder);
        editor.scenesDirectory = {folder.string(), folder.string()};
        editor.scenesDirectory2 = {folder.string(), folder.string()};
    }
    ~DocumentCommandsTest() override
    {
        std::error_code error;
        fs::remove_all(folder, error);
    }

    // A box called name under SCENE, made as the tools make objects.
    FramePtr AddBox(const std::string& name)
    {
        EditStep step(editor.scene.History(), "Create " + name);
        MeshBuilderPtr mesh = editor.scene.BeginObjectCreation();
        for (int i = 0; i < 8; ++i)
            mesh->AddVertex({i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f});
        const int quad[4] = {0, 2, 3, 1};
        mesh->AddFace(quad);
        mesh->GenerateNormals(0, 0);
        editor.scene.FinishObjectCreation("Cube %s", editor.scene.names.cube);
        FramePtr frame = editor.scene.SelectedFrame();
        RecordOf(frame.get())->name = name;
        editor.scene.RegisterObject(frame);
        return frame;
    }
    bool Has(const std::string& name) { return FindObject(editor.scene.Scene(), name) != nullptr; }
    std::string File(const std::string& name) const { return (folder / name).string(); }
    // Saves the scene as path through the command, answering its dialogs.
    bool SaveAs(const std::string& path)
    {
        ui.files.push_back(path);
        return SaveSceneAsCommand(editor);
    }
    static ImportDialogResult Choice(bool replace)
    {
        ImportDialogResult r;
        r.options = DefaultSceneOptions();
        r.replaceScene = replace;
        return r;
    }

    static inline int serial = 0;
    fs::path folder;
    ScriptedUi ui;
    Editor editor{ui};
};

TEST_F(DocumentCommandsTest, SaveSceneAsAppendsTheExtensionAndMarksTheSceneSaved)
{
    AddBox("Box");
    ASSERT_TRUE(editor.scene.Modified());
    ASSERT_TRUE(SaveAs(File("scene")));
    EXPECT_TRUE(fs::exists(File("scene.cvd")));
    EXPECT_FALSE(editor.scene.Modified());
    EXPECT_EQ(editor.documentPath, File("scene.cvd"));
    EXPECT_EQ(editor.scenesDirectory2.current, File("scene"));
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_TRUE(ui.fileRequests[0].save);
    EXPECT_EQ(ui.fileRequests[0].filter, "Corvid (*.cvd)|*.cvd||");
    EXPECT_EQ(ui.fileRequests[0].directory, folder.string());
    ASSERT_EQ(ui.importRequests.size(), 1u);
    EXPECT_TRUE(ui.importRequests[0].exporting);
    EXPECT_EQ(ui.importRequests[0].fileType, "*.cvd");

    ASSERT_TRUE(SaveAs(File("kept.cvd")));
    EXPECT_TRUE(fs::exists(File("kept.cvd")));
    ASSERT_TRUE(SaveAs(File("LOUD.CVD")));
    EXPECT_TRUE(fs::exists(File("LOUD.CVD.cvd")));
    EXPECT_EQ(WithExtension("a.cvd", ".cvd"), "a.cvd");
    EXPECT_EQ(WithExtension("a", ".cvd"), "a.cvd");
}

TEST_F(DocumentCommandsTest, ASaveThatFailsOrIsCancelledLeavesTheSceneUnsaved)
{
    AddBox("Box");
    EXPECT_FALSE(SaveSceneAsCommand(editor));  // file dialog cancelled
    ui.importResults.push_back(std::nullopt);
    EXPECT_FALSE(SaveAs(File("never")));  // options dialog cancelled
    EXPECT_FALSE(fs::exists(File("never.cvd")));

    EXPECT_FALSE(SaveAs(File("missing/folder/scene")));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Failed to open file\n");
    EXPECT_TRUE(editor.scene.Modified());
    EXPECT_EQ(editor.documentPath, "");
}

TEST_F(DocumentCommandsTest, NewSceneAsksAboutAModifiedScene)
{
    AddBox("Box");
    ui.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(NewSceneCommand(editor));
    EXPECT_TRUE(Has("Box"));
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], "Would you like to save your scene?");

    // Yes, then the save is cancelled: nothing is lost.
    ui.answers.push_back(Answer::Yes);
    EXPECT_FALSE(NewSceneCommand(editor));
    EXPECT_TRUE(Has("Box"));

    // Yes and saved: the file holds the box, the scene is new.
    ui.answers.push_back(Answer::Yes);
    ui.files.push_back(File("before-new"));
    EXPECT_TRUE(NewSceneCommand(editor));
    EXPECT_FALSE(Has("Box"));
    EXPECT_TRUE(fs::exists(File("before-new.cvd")));
    EXPECT_EQ(editor.documentPath, "");

    // Unmodified: no question. The camera light comes back on.
    editor.views.ToggleCameraLight();
    const size_t asked = ui.questions.size();
    EXPECT_TRUE(NewSceneCommand(editor));
    EXPECT_EQ(ui.questions.size(), asked);
    EXPECT_TRUE(editor.scene.CameraLightOn());
}

TEST_F(DocumentCommandsTest, LoadReplacingTheSceneOrMergingIntoIt)
{
    AddBox("Saved");
    ASSERT_TRUE(SaveAs(File("saved")));
    AddBox("Unsaved");

    // Replace on a modified scene: Cancel at the question abandons the load.
    ui.files.push_back(File("saved.cvd"));
    ui.importResults.push_back(Choice(true));
    ui.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(LoadCommand(editor));
    EXPECT_TRUE(Has("Unsaved"));
    ASSERT_EQ(ui.importRequests.back().fileType, "*.cvd");
    EXPECT_FALSE(ui.importRequests.back().exporting);

    // No: the scene is the file, unmodified, with nothing to undo.
    ui.files.push_back(File("saved.cvd"));
    ui.importResults.push_back(Choice(true));
    ui.answers.push_back(Answer::No);
    ASSERT_TRUE(LoadCommand(editor));
    EXPECT_TRUE(Has("Saved"));
    EXPECT_FALSE(Has("Unsaved"));
    EXPECT_FALSE(editor.scene.Modified());
    EXPECT_FALSE(editor.scene.History().CanUndo());
    EXPECT_EQ(editor.documentPath, File("saved.cvd"));
    EXPECT_EQ(editor.scenesDirectory.current, File("saved.cvd"));

    // Merge: the file's objects join the scene as one step.
    ui.files.push_back(File("saved.cvd"));
    ui.importResults.push_back(Choice(false));
    ASSERT_TRUE(LoadCommand(editor));
    int saved = 0;
    for (const FramePtr& child : editor.scene.Scene()->GetChildren())
        if (const ObjectRecord* r = RecordOf(child.get()); r && r->name == "Saved")
            ++saved;
    EXPECT_EQ(saved, 2);
    EXPECT_TRUE(editor.scene.Modified());
    EXPECT_EQ(editor.UndoText(), "Undo Merge saved.cvd");
    ASSERT_TRUE(editor.Undo());
    EXPECT_FALSE(editor.scene.Modified());
}

TEST_F(DocumentCommandsTest, ADamagedFileReplacingTheSceneLeavesItModified)
{
    std::ofstream(File("bad.cvd")) << "not a scene file at all, just words";
    EXPECT_FALSE(OpenSceneFile(editor, File("bad.cvd"), DefaultSceneOptions(), true));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], kSceneCorrupted);
    EXPECT_TRUE(editor.scene.Modified());
    EXPECT_EQ(editor.documentPath, "");

    EXPECT_FALSE(OpenSceneFile(editor, File("absent.cvd"), DefaultSceneOptions(), true));
    EXPECT_EQ(ui.messages.back(), "Could not open file.\n");
}

TEST_F(DocumentCommandsTest, LoadingStopsPlayback)
{
    AddBox("Box");
    ASSERT_TRUE(SaveAs(File("playing")));
    editor.transport.Play(0.0);
    ASSERT_TRUE(editor.transport.Playing());
    ASSERT_TRUE(OpenSceneFile(editor, File("playing.cvd"), DefaultSceneOptions(), false));
    EXPECT_FALSE(editor.transport.Playing());
}

TEST_F(DocumentCommandsTest, AnsweringYesWhenTheProgramEndsSavesTheScene)
{
    AddBox("Box");
    ShellHooks hooks;
    hooks.saveScene = [this] { return SaveSceneAsCommand(editor); };
    ui.answers.push_back(Answer::Yes);
    // The file dialog is cancelled: the program stays.
    EXPECT_EQ(AskBeforeClose(editor, hooks), CloseDecision::Stay);
    ui.answers.push_back(Answer::Yes);
    ui.files.push_back(File("at-exit"));
    EXPECT_EQ(AskBeforeClose(editor, hooks), CloseDecision::Close);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(ReadWholeFile(File("at-exit.cvd"), bytes), ReadStatus::Read);
    EXPECT_TRUE(IsSceneFile(bytes.data(), bytes.size()));
}

// A process id that no process has now.
pid_t DeadPid()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

TEST_F(DocumentCommandsTest, AutosaveKeepsAModifiedSceneAndOffersItAfterACrash)
{
    const std::string autosaves = File("autosave");
    editor.autosave.SetFolder(autosaves);
    EXPECT_FALSE(editor.autosave.Tick());  // nothing changed
    AddBox("Precious");
    ASSERT_TRUE(editor.autosave.Tick());
    editor.autosave.Wait();
    ASSERT_TRUE(fs::exists(editor.autosave.FilePath()));
    EXPECT_TRUE(Autosave::FindRecoverable(autosaves).empty());  // this editor's own
    EXPECT_TRUE(Has("Precious"));
    EXPECT_EQ(RecordOf(editor.scene.Scene().get())->name, "SCENE");

    // As if this editor had been killed: its autosave is found next time.
    const std::string left = autosaves + "/autosave-" + std::to_string(DeadPid()) + ".cvd";
    fs::rename(editor.autosave.FilePath(), left);
    fs::rename(editor.autosave.FilePath() + ".source", left + ".source");
    const std::vector<RecoverableScene> found = Autosave::FindRecoverable(autosaves);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].autosavePath, left);
    EXPECT_EQ(found[0].documentPath, "");

    ScriptedUi ui2;
    Editor next(ui2);
    ASSERT_TRUE(OpenSceneFile(next, found[0].autosavePath, DefaultSceneOptions(), true));
    EXPECT_TRUE(FindObject(next.scene.Scene(), "Precious"));
    Autosave::Forget(found[0]);
    EXPECT_TRUE(Autosave::FindRecoverable(autosaves).empty());
}

TEST_F(DocumentCommandsTest, AnExplicitSaveRemovesTheAutosaveAndAStaleOneIsNotOffered)
{
    const std::string autosaves = File("autosave");
    editor.autosave.SetFolder(autosaves);
    AddBox("Box");
    ASSERT_TRUE(editor.autosave.Tick());
    editor.autosave.Wait();
    ASSERT_TRUE(SaveAs(File("mine")));
    EXPECT_FALSE(fs::exists(editor.autosave.FilePath()));

    // An autosave older than the scene file it came from is not offered.
    AddBox("More");
    ASSERT_TRUE(editor.autosave.Tick());
    editor.autosave.Wait();
    const std::string left = autosaves + "/autosave-" + std::to_string(DeadPid()) + ".cvd";
    fs::rename(editor.autosave.FilePath(), left);
    fs::rename(editor.autosave.FilePath() + ".source", left + ".source");
    fs::last_write_time(left, fs::last_write_time(File("mine.cvd")) - std::chrono::hours(1));
    EXPECT_TRUE(Autosave::FindRecoverable(autosaves).empty());
    EXPECT_FALSE(fs::exists(left));
}

TEST(AutosaveSettings, IntervalFromTheEnvironmentOrTheConfiguration)
{
    const fs::path config = fs::temp_directory_path() / ("corvid-conf-" + std::to_string(getpid()));
    fs::create_directories(config / "corvid");
    std::ofstream(config / "corvid" / "corvid.conf") << "AutosaveMinutes = 5\n";
    const std::string configHome = config.string();
    auto env = [&](const char* seconds) {
        return [seconds, configHome](const char* name) -> const char* {
            if (std::string(name) == "CORVID_AUTOSAVE_SECONDS")
                return seconds;
            if (std::string(name) == "XDG_CONFIG_HOME")
                return configHome.c_str();
            return nullptr;
        };
    };
    EXPECT_EQ(Autosave::ConfiguredSeconds(env("7")), 7);
    EXPECT_EQ(Autosave::ConfiguredSeconds(env("0")), 0);
    EXPECT_EQ(Autosave::ConfiguredSeconds(env(nullptr)), 300);
    EXPECT_EQ(Autosave::ConfiguredSeconds(env("soon")), 300);
    fs::remove_all(config);
    EXPECT_EQ(Autosave::ConfiguredSeconds(env(nullptr)), kDefaultAutosaveSeconds);
    EXPECT_EQ(Autosave::DefaultFolder([](const char* name) -> const char* {
                  return std::string(name) == "XDG_STATE_HOME" ? "/state" : nullptr;
              }),
              "/state/corvid/autosave");
}



// What the stand-in reader and writer below saw.
struct FormatLog {
    int reads = 0;
    int writes = 0;
    bool cameraLightInTree = true;
    bool throwOnRead = false;
};
FormatLog formatLog;

bool ReadStandIn(Document& document, const std::string& path, const ImportOptions&)
{
    ++formatLog.reads;
    if (formatLog.throwOnRead)
        throw std::bad_alloc();
    // One box named after the file, as an importer makes objects.
    MeshBuilderPtr mesh = document.scene.BeginObjectCreation();
    for (int i = 0; i < 8; ++i)
        mesh->AddVertex({i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f});
    document.scene.FinishObjectCreation("Cube %s", document.scene.names.cube);
    FramePtr frame = document.scene.SelectedFrame();
    RecordOf(frame.get())->name = FileNameOf(path);
    document.scene.RegisterObject(frame);
    return true;
}

bool WriteStandIn(Document& document, const std::string& path, const ImportOptions&)
{
    ++formatLog.writes;
    formatLog.cameraLightInTree = document.scene.CameraLightFrame()->GetParent() != nullptr;
    std::ofstream(path) << "model";
    return true;
}

constexpr FileType kStandIn{"*.mdl", ".mdl", "Model (*.mdl)|*.mdl||", "Model (*.mdl)|*.mdl||", ReadStandIn,
                            WriteStandIn, false, 1, "Model ...", 2, "Model ..."};

TEST_F(DocumentCommandsTest, AnImportIsOneUndoableStepAndAskedForWhenItReplaces)
{
    formatLog = {};
    editor.objectsDirectory = {folder.string(), folder.string()};
    ui.files.push_back(File("part.mdl"));
    ui.importResults.push_back(Choice(false));
    ASSERT_TRUE(LoadOrImport(editor, kStandIn));
    EXPECT_EQ(ui.fileRequests.back().filter, "Model (*.mdl)|*.mdl||");
    EXPECT_EQ(ui.fileRequests.back().directory, folder.string());
    EXPECT_EQ(ui.importRequests.back().fileType, "*.mdl");
    EXPECT_EQ(editor.objectsDirectory.current, File("part.mdl"));
    EXPECT_EQ(editor.scenesDirectory.current, folder.string());  // the scene folders are the scene file's
    EXPECT_TRUE(Has("part.mdl"));
    EXPECT_EQ(editor.UndoText(), "Undo Import part.mdl");
    ASSERT_TRUE(editor.Undo());
    EXPECT_FALSE(Has("part.mdl"));
    ASSERT_TRUE(editor.Redo());
    EXPECT_TRUE(Has("part.mdl"));

    // Replacing a modified scene asks New Scene's question; Cancel reads nothing.
    ui.files.push_back(File("other.mdl"));
    ui.importResults.push_back(Choice(true));
    ui.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(LoadOrImport(editor, kStandIn));
    EXPECT_EQ(formatLog.reads, 1);
    EXPECT_TRUE(Has("part.mdl"));

    // No: the scene is the model alone, still unsaved (it is not a scene file).
    ui.files.push_back(File("other.mdl"));
    ui.importResults.push_back(Choice(true));
    ui.answers.push_back(Answer::No);
    ASSERT_TRUE(LoadOrImport(editor, kStandIn));
    EXPECT_FALSE(Has("part.mdl"));
    EXPECT_TRUE(Has("other.mdl"));
    EXPECT_TRUE(editor.scene.Modified());
    EXPECT_EQ(editor.documentPath, "");
}

TEST_F(DocumentCommandsTest, AnExportGetsItsExtensionAndNeverTheCameraLight)
{
    formatLog = {};
    editor.objectsDirectory2 = {folder.string(), folder.string()};
    AddBox("Box");
    ASSERT_TRUE(editor.scene.CameraLightOn());
    ui.files.push_back(File("out"));
    ASSERT_TRUE(SaveOrExport(editor, kStandIn));
    EXPECT_TRUE(ui.fileRequests.back().save);
    EXPECT_TRUE(ui.importRequests.back().exporting);
    EXPECT_TRUE(fs::exists(File("out.mdl")));
    EXPECT_EQ(editor.objectsDirectory2.current, File("out"));
    EXPECT_FALSE(formatLog.cameraLightInTree);
    // Back on the active camera afterwards; an export does not save the scene.
    EXPECT_EQ(editor.scene.CameraLightFrame()->GetParent(), editor.scene.ActiveCamera().get());
    EXPECT_TRUE(editor.scene.Modified());
    EXPECT_EQ(editor.documentPath, "");
}

TEST_F(DocumentCommandsTest, RunningOutOfMemoryInAReaderIsReported)
{
    formatLog = {};
    formatLog.throwOnRead = true;
    EXPECT_FALSE(ReadDocumentFile(editor, kStandIn, File("huge.mdl"), DefaultOptions(kStandIn, false), false));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Insufficient memory to import file.");
    // The editor goes on.
    AddBox("After");
    EXPECT_TRUE(Has("After"));
}

TEST_F(DocumentCommandsTest, TheFileMenuOffersOnlyFormatsThatCanBeReadOrWritten)
{
    const MenuModel menu = BuildMainMenu();
    bool anyImport = false;
    for (const FileType& type : FileTypes()) {
        if (type.importCommand) {
            EXPECT_EQ(menu.Contains(type.importCommand), type.read != nullptr) << type.pattern;
            anyImport = anyImport || type.read;
        }
        if (type.exportCommand) {
            EXPECT_EQ(menu.Contains(type.exportCommand), type.write != nullptr) << type.pattern;
        }
    }
    EXPECT_EQ(menu.Contains(kCmdAutoDetect), anyImport);
    // Auto-Detect's list names only what can be read, and every file.
    const std::string filter = AutoDetectFilter();
    EXPECT_TRUE(filter.ends_with("All Files (*.*)|*.*||")) << filter;
    for (const char* pattern : {"*.x", "*.3ds", "*.prj", "*.cob", "*.obj", "*.slp", "*.wrl", "*.dxf", "*.stl"}) {
        const FileType* type = FileTypeForPattern(pattern);
        // In a pattern list of its own or of "Known Formats".
        const bool listed = std::any_of(std::begin("|;:"), std::end("|;:") - 1, [&](char before) {
            return filter.find(before + std::string(pattern) + "|") != std::string::npos ||
                   filter.find(before + std::string(pattern) + ";") != std::string::npos ||
                   filter.find(before + std::string(pattern) + ":") != std::string::npos;
        });
        EXPECT_EQ(listed, type && type->read) << pattern << " in " << filter;
    }
}

TEST(FileTypes, ANameTellsItsTypeByTheLastExtensionInAnyCase)
{
    ASSERT_NE(FileTypeForName("/models/Part.OBJ"), nullptr);
    EXPECT_STREQ(FileTypeForName("/models/Part.OBJ")->pattern, "*.obj");
    EXPECT_STREQ(FileTypeForName("scene.v2.cvd")->pattern, "*.cvd");
    EXPECT_EQ(FileTypeForName("/home/me/.obj"), nullptr);     // a hidden name has no extension
    EXPECT_EQ(FileTypeForName("/data.obj/readme"), nullptr);  // the folder's dot is not the file's
    EXPECT_EQ(FileTypeForName("model.blend"), nullptr);
}

TEST_F(DocumentCommandsTest, TheDirectXImportAsksNoOptions)
{
    editor.objectsDirectory = {folder.string(), folder.string()};
    std::ofstream(File("tri.x")) << "xof 0303txt 0032\nMesh {\n 3;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 0.0;1.0;0.0;;\n"
                                    " 1;\n 3;0,1,2;;\n}\n";
    ui.files.push_back(File("tri.x"));
    ASSERT_TRUE(RunDocumentCommand(editor, kCmdImportX));
    EXPECT_EQ(ui.fileRequests.back().filter, "DirectX   (*.x)  |*.x||");
    EXPECT_TRUE(ui.importRequests.empty());
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
    EXPECT_EQ(editor.UndoText(), "Undo Import tri.x");
    // Auto-Detect reads it the same way.
    ui.files.push_back(File("tri.x"));
    EXPECT_TRUE(AutoDetectCommand(editor));
    EXPECT_TRUE(ui.importRequests.empty());
}

TEST_F(DocumentCommandsTest, AutoDetectTellsTheFormatByTheExtensionAsWritten)
{
    const FileType* studio = FileTypeForPattern("*.3ds");
    ASSERT_TRUE(studio && studio->read && studio->write);
    editor.objectsDirectory = {folder.string(), folder.string()};
    editor.objectsDirectory2 = {folder.string(), folder.string()};
    AddBox("Box");
    ui.files.push_back(File("box"));
    ASSERT_TRUE(RunDocumentCommand(editor, kCmdExport3ds));
    ASSERT_TRUE(fs::exists(File("box.3ds")));
    EXPECT_EQ(ui.fileRequests.back().filter, "3D Studio (*.3ds)|*.3ds||");
    fs::copy_file(File("box.3ds"), File("BOX.3DS"));

    // An extension in capitals is not one Auto-Detect knows: nothing happens.
    const size_t asked = ui.importRequests.size();
    ui.files.push_back(File("BOX.3DS"));
    EXPECT_FALSE(AutoDetectCommand(editor));
    EXPECT_EQ(ui.importRequests.size(), asked);
    EXPECT_EQ(ui.messages.size(), 0u);

    ImportDialogResult merge;
    merge.options = DefaultOptions(*studio, false);
    merge.replaceScene = false;
    ui.files.push_back(File("box.3ds"));
    ui.importResults.push_back(merge);
    ASSERT_TRUE(AutoDetectCommand(editor));
    EXPECT_EQ(ui.importRequests.back().fileType, "*.3ds");
    EXPECT_EQ(editor.objectsDirectory.current, File("box.3ds"));
    EXPECT_EQ(editor.UndoText(), "Undo Import box.3ds");
    EXPECT_GT(editor.scene.Scene()->GetChildren().size(), 1u);
    // The camera light is back on the active camera.
    EXPECT_EQ(editor.scene.CameraLightFrame()->GetParent(), editor.scene.ActiveCamera().get());

    // VRML both ways through the same commands.
    const FileType* world = FileTypeForPattern("*.wrl");
    ASSERT_TRUE(world && world->read && world->write);
    ui.files.push_back(File("box"));
    ASSERT_TRUE(RunDocumentCommand(editor, kCmdExportVrml));
    ASSERT_TRUE(fs::exists(File("box.wrl")));
    EXPECT_EQ(ui.fileRequests.back().filter, "VRML      (*.wrl)|*.wrl||");
    merge.options = DefaultOptions(*world, false);
    ui.files.push_back(File("box.wrl"));
    ui.importResults.push_back(merge);
    ASSERT_TRUE(AutoDetectCommand(editor));
    EXPECT_EQ(editor.UndoText(), "Undo Import box.wrl");
}

} // namespace
} // namespace corvid::testing
