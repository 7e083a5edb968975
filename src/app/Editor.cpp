#include "app/Editor.h"

#include "app/MainMenu.h"
#include "render/CommandIds.h"
#include "scene/Ui.h"

namespace corvid {

Editor::Editor(Ui& ui) : ui_(ui), mainMenu(BuildMainMenu()), scene(ui), views(scene, mainMenu), tools(scene, views, transport)
{
    scene.History().onChanged = [this] { refreshEditMenu(); };
    refreshEditMenu();
}

Editor::~Editor()
{
    // The frames, and the records they own, go with the last handles to them.
    // Nothing is reported through the Ui here: it may already be gone.
    scene.History().onChanged = nullptr;
    scene.ClearSelection();
}

void Editor::NewScene()
{
    transport.Stop();
    tools.FinishGesture();
    // The kept capture device holds the old scene's meshes and textures.
    views.ReleaseCaptureDevice();
    scene.NewScene();
    views.RestoreStandardViews();
    transport.Reset();
}

bool Editor::Undo()
{
    if (transport.Playing())
        transport.Stop();
    if (!tools.FinishGesture() || !scene.History().Undo())
        return false;
    afterHistoryMove();
    return true;
}

bool Editor::Redo()
{
    if (transport.Playing())
        transport.Stop();
    if (!tools.FinishGesture() || !scene.History().Redo())
        return false;
    afterHistoryMove();
    return true;
}

void Editor::afterHistoryMove()
{
    views.ShowSelection();
    ui_.Notify(Notification::PanelsChanged);
    views.RenderAllViews();
}

std::string Editor::UndoText() const
{
    const std::string name = scene.History().UndoName();
    return name.empty() ? "Undo" : "Undo " + name;
}

std::string Editor::RedoText() const
{
    const std::string name = scene.History().RedoName();
    return name.empty() ? "Redo" : "Redo " + name;
}

void Editor::refreshEditMenu()
{
    const EditHistory& history = scene.History();
    mainMenu.SetText(kCmdUndo, UndoText());
    mainMenu.SetText(kCmdRedo, RedoText());
    mainMenu.Enable(kCmdUndo, history.CanUndo());
    mainMenu.Enable(kCmdRedo, history.CanRedo());
    ui_.Notify(Notification::HistoryChanged);
}

void Editor::SetBaseDirectory(const std::string& base)
{
    baseDirectory = base;
    auto pair = [&](WorkingDirectory& dir, const char* sub) {
        dir.defaultPath = base + sub;
        dir.current = dir.defaultPath;
    };
    pair(mapsDirectory, "/Maps");
    pair(mapsDirectory2, "/Maps");
    pair(objectsDirectory, "/Objects");
    pair(objectsDirectory2, "/Objects");
    helpDirectory = base + "/Help";
    pair(scenesDirectory, "/Scenes");
    pair(scenesDirectory2, "/Scenes");
    pair(imagesDirectory, "/Images");
    pair(animationsDirectory, "/Animations");
}

} // namespace corvid
