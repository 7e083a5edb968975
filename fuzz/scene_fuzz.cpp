// Feeds arbitrary bytes to the scene file's reader, each input into a scene
// of its own. A damaged file must end the load with a message, never with a
// crash, a leak or an allocation the bytes cannot pay for. Whatever was built
// before the damage must still be a scene that shows, that the writer can
// save, and whose saved bytes read back in full.
#include "anim/Animation.h"
#include "anim/Transport.h"
#include "files/Document.h"
#include "files/scene/SceneFile.h"
#include "render/MenuModel.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace corvid;

// A Ui with nobody behind it: messages and progress go nowhere, questions
// are cancelled, and there is no object tree.
class SilentUi : public Ui {
public:
    void ShowMessage(const std::string&) override { ++messages; }
    Answer Ask(const std::string&, Buttons) override { return Answer::Cancel; }
    std::optional<std::string> AskFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<ImportDialogResult> AskImportOptions(const ImportDialogRequest&) override { return std::nullopt; }
    void ShowProgress() override {}
    void SetProgressStatus(const std::string&) override {}
    void SetProgress(int) override {}
    void HideProgress() override {}
    void SetBusy(bool) override {}
    void Notify(Notification) override {}
    long InsertTreeItem(const Frame&, const std::string&, int, long, int) override { return 0; }
    void RemoveTreeItem(long) override {}
    void AddUserCameraEntry(const UserMenuEntry&) override {}
    void RemoveUserCameraEntry(int) override {}
    void AddUserLightEntry(const UserMenuEntry&) override {}
    void RemoveUserLightEntry(int) override {}
    void ResetUserMenus() override {}

    int messages = 0;
};

// One editor's worth of scene: the model with its views, animation and
// transport, as a document to read into.
struct Workspace {
    Workspace() { scene.randomDigit = [] { return 3; }; }
    SilentUi ui;
    SceneModel scene{ui};
    MenuModel menu;
    ViewSet views{scene, menu};
    Animation animation{scene};
    Transport transport{animation, views};
    Document doc() { return {scene, views, animation, transport}; }
};

// Where the reader looks for the texture and background files a file names.
// Nothing can lie below /dev/null, so every lookup misses without touching a
// real folder, and no picture decoder or conversion runs.
constexpr const char* kNoFolder = "/dev/null/corvid-fuzz";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Workspace first;
    Document doc = first.doc();
    const bool read = ReadSceneBytes(doc, data, size, {}, kNoFolder);
    if (!read && first.ui.messages == 0)
        std::abort();  // a refused file must say so
    // What was read shows: a frame of its keys and a redraw, which runs the
    // look-at and live-wrap behaviours the file installed.
    first.animation.ShowFrame(1.0f);
    first.views.RenderAllViews();

    // What was read saves, and the saved bytes read back in full.
    const std::vector<uint8_t> saved = WriteSceneBytes(doc, {}, kNoFolder, {.copyFiles = false});
    Workspace second;
    Document doc2 = second.doc();
    if (!ReadSceneBytes(doc2, saved.data(), saved.size(), {}, kNoFolder))
        std::abort();
    return 0;
}
