#pragma once
// The editor's start-up path, shared by main() and the GUI tests: the Ui, the
// machine checks, the Editor, the device factory, the main-window
// initialisation, and the last step when VIEWPORT_1 first gets a size. Also
// the orderly end: devices go before the windows whose contexts hold them.

#include <functional>
#include <memory>
#include <string>

namespace corvid {

class ControllerWindow;
class Editor;
class FullScreenWindow;
class GlDeviceFactory;
class MainWindow;
class QtStartupPlatform;
class QtUi;

struct ShellOptions {
    std::string sceneFile;  // the command line's scene, loaded once start-up is done
    bool demo = false;      // build the demo scene before the first picture
};

class EditorShell {
public:
    EditorShell();
    ~EditorShell();
    EditorShell(const EditorShell&) = delete;
    EditorShell& operator=(const EditorShell&) = delete;

    // Runs start-up up to the main window being shown. False (after the
    // reason was shown) when the program must end.
    bool Start(const ShellOptions& options);
    // True once VIEWPORT_1 got its size and its first picture was drawn.
    bool StartupFinished() const { return finished_; }
    // Called right after that first picture.
    std::function<void()> onStartupFinished;

    QtUi& Ui() { return *ui_; }
    QtStartupPlatform& Platform() { return *platform_; }
    Editor* GetEditor() const { return editor_.get(); }
    MainWindow* GetMainWindow() const { return window_.get(); }
    GlDeviceFactory& Factory() { return *factory_; }
    FullScreenWindow* GetFullScreenWindow() const { return fullScreen_.get(); }
    ControllerWindow* GetControllerWindow() const { return controller_.get(); }

    // Releases the devices and closes the windows; the destructor does it
    // when it has not been done.
    void Shutdown();

private:
    std::unique_ptr<QtUi> ui_;
    std::unique_ptr<QtStartupPlatform> platform_;
    std::unique_ptr<GlDeviceFactory> factory_;
    std::unique_ptr<Editor> editor_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<FullScreenWindow> fullScreen_;
    std::unique_ptr<ControllerWindow> controller_;
    bool finished_ = false;
};

// Qt settings that must be made before the QApplication exists: one shared
// OpenGL context family and a 3.3 core default format with a depth buffer.
void PrepareQtForOpenGl();

} // namespace corvid
