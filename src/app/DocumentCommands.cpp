#include "app/DocumentCommands.h"

#include "app/DisplayChange.h"
#include "app/Editor.h"
#include "files/FileIo.h"
#include "files/ImportPipeline.h"
#include "files/scene/SceneFile.h"
#include "scene/Ui.h"

#include <filesystem>

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

// The folder a file dialog opens in: the working directory's entry is a
// folder until a file has been chosen, then that file.
std::string DialogFolder(const WorkingDirectory& directory)
{
    std::error_code error;
    if (directory.current.empty() || std::filesystem::is_directory(directory.current, error))
        return directory.current;
    return FolderOf(directory.current);
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

std::string WithExtension(const std::string& path, const std::string& extension)
{
    if (path.size() >= extension.size() && path.compare(path.size() - extension.size(), extension.size(), extension) == 0)
        return path;
    return path + extension;
}

ImportOptions DefaultSceneOptions()
{
    ImportDialogRequest request;
    request.fileType = kSceneFilePattern;
    return ImportDialogModel::For(request).Result().options;
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

bool OpenSceneFile(Editor& editor, const std::string& path, const ImportOptions& options, bool replace)
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
        EditStep step(editor.scene.History(), (replace ? "Load " : "Merge ") + FileNameOf(path));
        read = LoadScene(document, path, options);
    }
    if (replace) {
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

bool SaveSceneFile(Editor& editor, const std::string& requested, const ImportOptions& options)
{
    HoldStill(editor);
    BusyCursor busy(editor.ui());
    const std::string path = WithExtension(requested, ".cvd");
    Document document = editor.document();
    if (!SaveScene(document, path, options))
        return false;
    if (!options.lastPickedOnly) {
        editor.scene.SetModified(false);
        editor.documentPath = path;
        editor.autosave.Discard();
    }
    editor.ui().Notify(Notification::TreeChanged);
    return true;
}

bool LoadCommand(Editor& editor)
{
    Ui& ui = editor.ui();
    FileDialogRequest files;
    files.title = "Load";
    files.filter = kSceneFileFilter;
    files.directory = DialogFolder(editor.scenesDirectory);
    const std::optional<std::string> path = ui.AskFile(files);
    if (!path)
        return false;
    editor.scenesDirectory.current = *path;
    ImportDialogRequest request;
    request.fileType = kSceneFilePattern;
    request.fileName = FileNameOf(*path);
    const std::optional<ImportDialogResult> choice = ui.AskImportOptions(request);
    if (!choice)
        return false;
    if (choice->replaceScene && editor.scene.Modified()) {
        // New Scene's question: Cancel abandons the whole load.
        const Answer answer = ui.Ask(kSaveQuestion, Buttons::YesNoCancel);
        if (answer != Answer::Yes && answer != Answer::No)
            return false;
        if (answer == Answer::Yes && !SaveSceneAsCommand(editor))
            return false;
    }
    if (choice->replaceScene && !editor.scene.CameraLightOn())
        editor.views.ToggleCameraLight();
    return OpenSceneFile(editor, *path, choice->options, choice->replaceScene);
}

bool SaveSceneAsCommand(Editor& editor)
{
    Ui& ui = editor.ui();
    FileDialogRequest files;
    files.save = true;
    files.title = "Save Scene as";
    files.filter = kSceneFileFilter;
    files.directory = DialogFolder(editor.scenesDirectory2);
    files.fileName = FileNameOf(editor.documentPath);
    const std::optional<std::string> path = ui.AskFile(files);
    if (!path)
        return false;
    editor.scenesDirectory2.current = *path;
    ImportDialogRequest request;
    request.exporting = true;
    request.fileType = kSceneFilePattern;
    request.fileName = FileNameOf(*path);
    const std::optional<ImportDialogResult> choice = ui.AskImportOptions(request);
    if (!choice)
        return false;
    return SaveSceneFile(editor, *path, choice->options);
}

} // namespace corvid
