#pragma once
// The main window: the menus drawn from the core's main-menu model, the
// toolbar, the tool column (scrolling when the window is short) with the
// tool buttons, the creation tools' windows and the material preview,
// the viewport area the core lays the four viewport windows out in, and the
// "Objects List" and object information docks.

#include "app/DisplayChange.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <vector>

class QAction;
class QDockWidget;
class QLabel;
class QMenu;
class QTimer;
class QToolBar;

namespace corvid {

class AnimationPanel;
class Editor;
class LightPropertiesPanel;
class MaterialPanel;
class TexturePanel;
class MappingWindow;
class SceneToolsWindow;
class ObjectInfoPanel;
class ObjectPropertiesPanel;
class PlaybackTimer;
class TransportBar;
class ObjectTreeWidget;
class QtUi;
class ToolButtons;
class ToolWindows;
class SamplerWidget;
class ViewportSetupDialog;
class ViewportWidget;

// Where the web-link item of the Help menu leads.
extern const char* const kWebAddress;
// The manual's file name inside the help directory.
extern const char* const kHelpFileName;

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Editor& editor, QtUi& ui);
    ~MainWindow() override;

    // Draws the menu bar from the editor's main-menu model.
    void InstallMainMenu();
    // Makes the four viewport windows (VIEWPORT_1 visible) and hands them to
    // the editor's view records.
    void CreateViewportWindows();
    // Releases every view device while the windows' contexts still exist.
    void ReleaseViewDevices();

    // Opens the 3D controller's window ("Input Device ..."); set by its owner.
    std::function<void()> onInputDevice;
    ViewportWidget* Viewport(int n) const;  // n = 1..4
    SamplerWidget* Sampler() const { return sampler_; }
    MaterialPanel* Material() const { return materialPanel_; }
    TexturePanel* Textures() const { return texturePanel_; }
    QToolBar* ToolBar() const { return toolBar_; }
    QWidget* ToolColumn() const { return toolColumn_; }
    ToolButtons* Tools() const { return tools_; }
    // The creation tools' button and parameter windows (made during start-up).
    ToolWindows* CreationWindows() const { return toolWindows_; }
    ObjectTreeWidget* ObjectsList() const;
    QDockWidget* ObjectsListDock() const { return treeDock_; }
    ObjectInfoPanel* InfoPanel() const { return info_; }
    QDockWidget* InfoDock() const { return infoDock_; }
    QWidget* ViewportArea() const { return area_; }
    TransportBar* Transport() const { return transportBar_; }
    PlaybackTimer* Playback() const { return playback_; }
    AnimationPanel* Animation() const { return animation_; }
    ObjectPropertiesPanel* ObjectProperties() const { return objectProperties_; }
    LightPropertiesPanel* LightProperties() const { return lightProperties_; }
    QDockWidget* AnimationDock() const { return animationDock_; }
    QDockWidget* ObjectPropertiesDock() const { return objectPropertiesDock_; }
    QDockWidget* LightDock() const { return lightDock_; }
    // The scene tools (fog, background, display switches) and texture-mapping windows.
    SceneToolsWindow* SceneTools() const { return sceneTools_; }
    MappingWindow* Mapping() const { return mapping_; }
    QDockWidget* SceneToolsDock() const { return sceneToolsDock_; }
    QDockWidget* MappingDock() const { return mappingDock_; }
    // The menu-bar action with this command id, or null.
    QAction* FindMenuAction(int command) const;
    QAction* ViewportSetupAction() const { return viewportSetup_; }
    // The status bar's line: what the current tool does with the mouse.
    QLabel* ToolHintLabel() const { return toolHint_; }

    // Runs a main-menu command (ignored when its item is greyed).
    void RunCommand(int command);
    // Opens the layout dialog (window-modal, returns at once).
    ViewportSetupDialog* ShowViewportSetup();

    // The hooks the core's display-change and close logic call back.
    ShellHooks Hooks();
    // Called once when VIEWPORT_1 first gets a size.
    std::function<void()> onViewport1FirstResize;

    // Reads a scene file in place of the scene (the command line's file).
    bool OpenScene(const std::string& path);
    // Starts the autosave timer and offers what an editor that did not end
    // cleanly left behind; once, after start-up.
    void StartAutosave();
    void OfferRecovery();
    // Shows the scene file's name, with a star while it has unsaved changes.
    void RefreshTitle();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createDocks();
    void onNotified(int what);
    void viewportAreaResized();
    void refreshToolHint();
    // Keeps the viewports at least half the window (MainWindow.cpp).
    void placeDocks();
    void refreshMenus();
    void refreshMenu(QMenu& menu);
    void openHelp();
    void watchScreens();
    void checkDisplayDepth();
    void quitWithoutAsking();
    QTimer* autosaveTimer_ = nullptr;

    Editor& editor_;
    QtUi& ui_;
    QToolBar* toolBar_ = nullptr;
    QAction* viewportSetup_ = nullptr;
    QWidget* toolColumn_ = nullptr;
    SamplerWidget* sampler_ = nullptr;
    MaterialPanel* materialPanel_ = nullptr;
    TexturePanel* texturePanel_ = nullptr;
    QDockWidget* materialDock_ = nullptr;
    QDockWidget* textureDock_ = nullptr;
    ToolButtons* tools_ = nullptr;
    ToolWindows* toolWindows_ = nullptr;
    QDockWidget* treeDock_ = nullptr;
    QDockWidget* infoDock_ = nullptr;
    PlaybackTimer* playback_ = nullptr;
    TransportBar* transportBar_ = nullptr;
    AnimationPanel* animation_ = nullptr;
    ObjectPropertiesPanel* objectProperties_ = nullptr;
    LightPropertiesPanel* lightProperties_ = nullptr;
    QDockWidget* animationDock_ = nullptr;
    QDockWidget* objectPropertiesDock_ = nullptr;
    QDockWidget* lightDock_ = nullptr;
    SceneToolsWindow* sceneTools_ = nullptr;
    MappingWindow* mapping_ = nullptr;
    QDockWidget* sceneToolsDock_ = nullptr;
    QDockWidget* mappingDock_ = nullptr;
    int dockWidth_ = 0;           // the docks' width in a wide window
    bool docksNarrowed_ = false;   // narrowed by a narrow window, to grow back
    ObjectInfoPanel* info_ = nullptr;
    QLabel* toolHint_ = nullptr;
    QWidget* area_ = nullptr;
    std::array<ViewportWidget*, 4> viewports_{};
    std::vector<QMenu*> menus_;
    unsigned long menuRevision_ = 0;
    bool closeWithoutAsking_ = false;
};

} // namespace corvid
