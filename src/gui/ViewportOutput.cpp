#include "gui/ViewportOutput.h"

#include "app/Editor.h"
#include "gui/AnimationExporterDialog.h"
#include "gui/AviRenderWindow.h"
#include "gui/ImageSizeDialog.h"
#include "render/CommandIds.h"
#include "render/ViewWindow.h"
#include "scene/Ui.h"

namespace corvid {

namespace {

void SaveImage(Editor& editor, int n, QWidget* parent)
{
    FileDialogRequest request;
    request.save = true;
    request.title = "Save image";
    request.filter = kImageFileFilter;
    request.directory = editor.imagesDirectory.current.empty() ? editor.imagesDirectory.defaultPath
                                                               : editor.imagesDirectory.current;
    const std::optional<std::string> chosen = editor.ui().AskFile(request);
    if (!chosen)
        return;
    TakeCurrentSize(editor.views, n, editor.imageCapture);
    ImageSizeDialog dialog(editor.imageCapture, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    editor.imageCapture = dialog.Result();
    editor.imagesDirectory.current = *chosen;
    CaptureViewImage(editor.views, n, editor.imageCapture, ImageFileName(*chosen));
}

void SaveAvi(Editor& editor, int n, QWidget* parent)
{
    FileDialogRequest request;
    request.save = true;
    request.title = "Save AVI animation";
    request.filter = kAviFileFilter;
    request.directory = !editor.aviExport.aviPath.empty() ? editor.aviExport.aviPath
                                                          : editor.animationsDirectory.current;
    const std::optional<std::string> chosen = editor.ui().AskFile(request);
    if (!chosen)
        return;
    editor.aviExport.aviPath = *chosen;
    editor.animationsDirectory.current = *chosen;
    const std::string path = AviFileName(*chosen);
    ViewRecord& view = editor.views.Viewport(n);
    const Size client = view.window ? view.window->ClientSize() : Size{0, 0};
    AnimationExporterDialog dialog(editor.aviExport, client.width, client.height, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    editor.aviExport = dialog.Result();
    AviRenderWindow window(editor, n, path, parent);
    window.Run();
}

} // namespace

bool RunViewportOutputCommand(Editor& editor, int n, int command, QWidget* parent)
{
    if (command == kCmdSaveImage)
        SaveImage(editor, n, parent);
    else if (command == kCmdSaveAvi)
        SaveAvi(editor, n, parent);
    else
        return false;
    return true;
}

} // namespace corvid
