#pragma once
// The application: one object per subsystem (the scene model, its views,
// the animation and its transport, the tools) and what belongs to the program as a whole: the main menu, the
// working folders, playback and exit flags. One Editor per program; every
// window and command holds a pointer to it. Qt-free; the person is reached
// through the Ui.

#include "anim/Animation.h"
#include "anim/AnimationExport.h"
#include "app/Autosave.h"
#include "app/FullScreen.h"
#include "anim/Transport.h"
#include "files/Document.h"
#include "materials/TextureSlots.h"
#include "render/ImageCapture.h"
#include "render/MenuModel.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"
#include "tools/Tools.h"

#include <string>

namespace corvid {

class Ui;

// A working directory: its default under the base directory and the file last
// chosen in a dialog of that kind.
struct WorkingDirectory {
    std::string defaultPath;
    std::string current;
};

class Editor {
public:
    explicit Editor(Ui& ui);
    ~Editor();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    Ui& ui() { return ui_; }

private:
    Ui& ui_;
    void afterHistoryMove();
    void refreshEditMenu();

public:
    // The main menu's state: the items the core enables, greys and checks.
    // Built before the views, which grey the viewport items they do not use.
    MenuModel mainMenu;
    SceneModel scene;
    ViewSet views;
    Animation animation{scene};
    Transport transport{animation, views};
    Tools tools;
    // The texture panel's eight slots; they fill the tools' paint material.
    TextureSlots textureSlots{tools.paint};
    // The scene's autosave (Autosave.h); the front end drives its timer.
    Autosave autosave{*this};
    // Showing a viewport full screen (FullScreen.h).
    FullScreen fullScreen{*this};
    // The scene file the scene was last loaded from or saved to; empty for a
    // new scene.
    std::string documentPath;
    // What the file readers and writers work on.
    Document document() { return {scene, views, animation, transport}; }

    // Empties the scene and forgets the edit history.
    void NewScene();

    // --- the edit history (Edit menu) ----------------------------------------------------
    // Undoes the newest step, or redoes the step undone last, and shows the
    // result. A gesture waiting for its last stage (a camera being aimed) is
    // finished first and is then the step undone; while a mouse button is
    // down nothing happens. False when there was nothing to do.
    bool Undo();
    bool Redo();
    // The Edit menu's texts: "Undo Move", "Redo Delete Sphere 3"; "Undo" and
    // "Redo" when there is nothing to act on.
    std::string UndoText() const;
    std::string RedoText() const;

    // --- application state --------------------------------------------------------
    // The program is ending: set when a playback was stopped for it.
    bool exitRequested = false;
    std::string baseDirectory;
    WorkingDirectory mapsDirectory, objectsDirectory, scenesDirectory, imagesDirectory, animationsDirectory;
    // The second pairs of Maps, Objects and Scenes: Save Scene as uses
    // scenesDirectory2 and the exports objectsDirectory2, while Load and the
    // imports use the first pairs.
    WorkingDirectory mapsDirectory2, objectsDirectory2, scenesDirectory2;
    std::string helpDirectory;
    // What the AVI exporter and the image capture keep between runs.
    AviExportSettings aviExport;
    ImageCaptureSettings imageCapture;
    // Sets the base directory and derives the working directories under it.
    void SetBaseDirectory(const std::string& base);
};

} // namespace corvid
