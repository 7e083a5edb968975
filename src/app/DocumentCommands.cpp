#include "app/DocumentCommands.h"

#include "app/DisplayChange.h"
#include "app/Editor.h"
#include "app/FileTypes.h"
#include "files/FileIo.h"
#include "files/ImportPipeline.h"
#include "files/scene/SceneFile.h"
#include "platform/Frame.h"
#include "render/CommandIds.h"
#include "scene/Ui.h"

#include <filesystem>
#include <new>

namespace corvid {

namespace {

// Shows the wait cursor for as long as it lives.
class BusyCursor {
public:
    explicit BusyCursor(Ui& ui) : ui_(ui) { ui_.SetBusy(true); }
    ~BusyCursor() { ui_.SetBusy(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    Ui& ui_;
};

// Whatever moves the scene stops before a file is read or written.
void HoldStill(Editor& editor)
{
    if (editor.transport.Playing())
        editor.transport.Stop();
    editor.tools.FinishGesture();
}

// Takes the camera light off the active camera while it lives, so that no
// writer or reader meets it in the tree; the switch itself stays as it is.
class CameraLightAside {
public:
    explicit CameraLightAside(SceneModel& scene) : scene_(scene)
    {
        if (Frame* holder = scene_.CameraLightFrame()->GetParent())
            holder->DeleteChild(scene_.CameraLightFrame().get());
    }
    ~CameraLightAside()
    {
        if (scene_.CameraLightOn())
            scene_.SetActiveCamera(scene_.ActiveCamera());
    }
    CameraLightAside(const CameraLightAside&) = delete;
    CameraLightAside& operator=(const CameraLightAside&) = delete;

private:
    SceneModel& scene_;
};

// Runs a reader or writer; running out of memory in it is reported, not
// fatal.
template <typename Call>
bool Guarded(Editor& editor, Call call)
{
    try {
        return call();
    } catch (const std::bad_alloc&) {
        editor.ui().ShowMessage(kInsufficientMemory);
        return false;
    }
}

WorkingDirectory& OpenFolder(Editor& editor, const FileType& type)
{
    return type.isScene ? editor.scenesDirectory : editor.objectsDirectory;
}

WorkingDirectory& SaveFolder(Editor& editor, const FileType& type)
{
    return type.isScene ? editor.scenesDirectory2 : editor.objectsDirectory2;
}

// The rest of a load or import once the file and the options are chosen:
// New Scene's question when the scene is to be replaced, then the read.
bool ReadChosenFile(Editor& editor, const FileType& type, const std::string& path, const ImportDialogResult& choice)
{
    if (choice.replaceScene && editor.scene.Modified()) {
        // Cancel abandons the whole load.
        const Answer answer = editor.ui().Ask(kSaveQuestion, Buttons::YesNoCancel);
        if (answer != Answer::Yes && answer != Answer::No)
            return false;
        if (answer == Answer::Yes && !SaveSceneAsCommand(editor))
            return false;
    }
    if (choice.replaceScene && !editor.scene.CameraLightOn())
        editor.views.ToggleCameraLight();
    return ReadDocumentFile(editor, type, path, choice.options, choice.replaceScene);
}

// The options dialog for a chosen file (for the types that ask it), then
// the read. Cancel reads nothing.
bool ReadWithOptions(Editor& editor, const FileType& type, const std::string& path)
{
    if (!type.optionsDialog) {
        ImportDialogResult merge;
        merge.options = DefaultOptions(type, false);
        merge.replaceScene = false;
        return ReadChosenFile(editor, type, path, merge);
    }
    ImportDialogRequest request;
    request.fileType = type.pattern;
    request.fileName = FileNameOf(path);
    const std::optional<ImportDialogResult> choice = editor.ui().AskImportOptions(request);
    if (!choice)
        return false;
    return ReadChosenFile(editor, type, path, *choice);
}

void ShowScene(Editor& editor)
{
    // The camera light rides on whichever camera the file left active.
    if (editor.scene.CameraLightOn())
        editor.scene.SetActiveCamera(editor.scene.ActiveCamera());
    editor.views.ShowSelection();
    editor.ui().Notify(Notification::TreeChanged);
    editor.ui().Notify(Notification::SelectionChanged);
    editor.ui().Notify(Notification::TransportChanged);
    editor.views.RenderAllViews();
}

} // namespace

std::string DialogFolder(const WorkingDirectory& directory)
{
    std::error_code error;
    if (directory.current.empty() || std::filesystem::is_directory(directory.current, error))
        return directory.current;
    return FolderOf(directory.current);
}

std::string WithExtension(const std::string& path, const std::string& extension)
{
    if (path.size() >= extension.size() && path.compare(path.size() - extension.size(), extension.size(), extension) == 0)
        return path;
    return path + extension;
}

ImportOptions DefaultOptions(const FileType& type, bool exporting)
{
    ImportDialogRequest request;
    request.exporting = exporting;
    request.fileType = type.pattern;
    return ImportDialogModel::For(request).Result().options;
}

ImportOptions DefaultSceneOptions()
{
    return DefaultOptions(SceneFileType(), false);
}

bool NewSceneCommand(Editor& editor)
{
    if (editor.scene.Modified()) {
        const Answer answer = editor.ui().Ask(kSaveQuestion, Buttons::YesNoCancel);
        if (answer != Answer::Yes && answer != Answer::No)
            return false;
        HoldStill(editor);
        if (answer == Answer::Yes && !SaveSceneAsCommand(editor))
            return false;
    }
    editor.NewScene();
    editor.documentPath.clear();
    editor.autosave.Discard();
    if (!editor.scene.CameraLightOn())
        editor.views.ToggleCameraLight();
    ShowScene(editor);
    return true;
}

bool ReadDocumentFile(Editor& editor, const FileType& type, const std::string& path, const ImportOptions& options,
                      bool replace)
{
    HoldStill(editor);
    BusyCursor busy(editor.ui());
    if (replace) {
        editor.NewScene();
        editor.documentPath.clear();
    }
    Document document = editor.document();
    bool read;
    {
        const char* verb = !type.isScene ? "Import " : replace ? "Load " : "Merge ";
        EditStep step(editor.scene.History(), verb + FileNameOf(path));
        read = Guarded(editor, [&] { return type.read(document, path, options); });
    }
    // The reader took material ids: the next paint makes a record of its own.
    editor.tools.paint.Changed();
    if (replace && type.isScene) {
        // The scene is the file: nothing to undo, nothing unsaved. A file that
        // failed half-way is not what is on the disk.
        editor.scene.History().Clear();
        editor.scene.SetModified(!read);
        if (read)
            editor.documentPath = path;
    }
    ShowScene(editor);
    return read;
}

bool WriteDocumentFile(Editor& editor, const FileType& type, const std::string& requested,
                       const ImportOptions& options)
{
    return WriteFileAs(editor, type, WithExtension(requested, type.extension), options);
}

bool WriteFileAs(Editor& editor, const FileType& type, const std::string& path, const ImportOptions& options)
{
    HoldStill(editor);
    BusyCursor busy(editor.ui());
    Document document = editor.document();
    bool written;
    {
        CameraLightAside aside(editor.scene);
        written = Guarded(editor, [&] { return type.write(document, path, options); });
    }
    if (!written)
        return false;
    if (type.isScene && !options.lastPickedOnly) {
        editor.scene.SetModified(false);
        editor.documentPath = path;
        editor.autosave.Discard();
    }
    editor.ui().Notify(Notification::TreeChanged);
    return true;
}

bool OpenSceneFile(Editor& editor, const std::string& path, const ImportOptions& options, bool replace)
{
    return ReadDocumentFile(editor, SceneFileType(), path, options, replace);
}

bool SaveSceneFile(Editor& editor, const std::string& path, const ImportOptions& options)
{
    return WriteDocumentFile(editor, SceneFileType(), path, options);
}

bool LoadOrImport(Editor& editor, const FileType& type)
{
    Ui& ui = editor.ui();
    WorkingDirectory& folder = OpenFolder(editor, type);
    FileDialogRequest files;
    files.title = type.isScene ? "Load" : "Import";
    files.filter = type.openFilter;
    files.directory = DialogFolder(folder);
    const std::optional<std::string> path = ui.AskFile(files);
    if (!path)
        return false;
    folder.current = *path;
    return ReadWithOptions(editor, type, *path);
}

bool SaveOrExport(Editor& editor, const FileType& type)
{
    Ui& ui = editor.ui();
    WorkingDirectory& folder = SaveFolder(editor, type);
    FileDialogRequest files;
    files.save = true;
    files.title = type.isScene ? "Save Scene as" : "Export";
    files.filter = type.saveFilter;
    files.directory = DialogFolder(folder);
    if (type.isScene)
        files.fileName = FileNameOf(editor.documentPath);
    const std::optional<std::string> path = ui.AskFile(files);
    if (!path)
        return false;
    folder.current = *path;
    ImportDialogRequest request;
    request.exporting = true;
    request.fileType = type.pattern;
    request.fileName = FileNameOf(*path);
    const std::optional<ImportDialogResult> choice = ui.AskImportOptions(request);
    if (!choice)
        return false;
    return WriteDocumentFile(editor, type, *path, choice->options);
}

bool LoadCommand(Editor& editor)
{
    return LoadOrImport(editor, SceneFileType());
}

bool SaveSceneAsCommand(Editor& editor)
{
    return SaveOrExport(editor, SceneFileType());
}

bool AutoDetectCommand(Editor& editor)
{
    Ui& ui = editor.ui();
    FileDialogRequest files;
    files.title = "Auto-Detect 3D Format";
    files.filter = AutoDetectFilter();
    files.directory = DialogFolder(editor.objectsDirectory);
    const std::optional<std::string> path = ui.AskFile(files);
    if (!path)
        return false;
    editor.objectsDirectory.current = *path;
    const std::string name = FileNameOf(*path);
    const size_t dot = name.find_last_of('.');
    const FileType* type = dot == std::string::npos ? nullptr : FileTypeForPattern("*" + name.substr(dot));
    if (!type || type->isScene || !type->read)
        return false;
    return ReadWithOptions(editor, *type, *path);
}

bool RunDocumentCommand(Editor& editor, int command)
{
    switch (command) {
    case kCmdNewScene:
        NewSceneCommand(editor);
        return true;
    case kCmdLoad:
        LoadCommand(editor);
        return true;
    case kCmdSaveSceneAs:
        SaveSceneAsCommand(editor);
        return true;
    case kCmdAutoDetect:
        AutoDetectCommand(editor);
        return true;
    default:
        break;
    }
    const FileType* type = FileTypeForCommand(command);
    if (!type)
        return false;
    if (command == type->importCommand)
        LoadOrImport(editor, *type);
    else
        SaveOrExport(editor, *type);
    return true;
}

} // namespace corvid
