#include "app/Editor.h"

#include "app/MainMenu.h"

namespace corvid {

Editor::Editor(Ui& ui) : ui_(ui), mainMenu(BuildMainMenu()), scene(ui), views(scene, mainMenu), tools(scene, views) {}

Editor::~Editor()
{
    // The frames, and the records they own, go with the last handles to them.
    // Nothing is reported through the Ui here: it may already be gone.
    scene.ClearSelection();
}

void Editor::NewScene()
{
    scene.NewScene();
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
