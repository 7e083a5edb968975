// Feeds arbitrary bytes to the 3DS reader, each input into a scene of its
// own. A damaged file must end the import with a message, never with a
// crash, a leak or an allocation the bytes cannot pay for. Whatever was
// built before the damage must still be a scene that shows, that the 3DS
// writer can write, and whose written bytes read back in full.
#include "anim/Animation.h"
#include "anim/Transport.h"
#include "files/3ds/ThreeDsFile.h"
#include "files/Document.h"
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

// A Ui with nobody behind it: messages are counted, progress goes nowhere,
// questions are cancelled, and there is no object tree.
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

// Where the reader looks for the texture files a file names. Nothing can
// lie below /dev/null, so every lookup misses without touching a real
// folder, and no picture decoder or conversion runs.
constexpr const char* kNoFolder = "/dev/null/corvid-fuzz";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Workspace first;
    Document doc = first.doc();
    ImportOptions options;
    options.winding = 1;
    options.scaleToViewport = (size & 1) != 0;  // both ways, chosen by the input
    const bool read = Read3dsBytes(doc, data, size, options, kNoFolder);
    if (!read && first.ui.messages == 0)
        std::abort();  // a refused file must say so
    first.views.RenderAllViews();

    // What was read writes, and the written bytes read back in full.
    std::vector<uint8_t> written;
    const int before = first.ui.messages;
    if (!Write3dsBytes(doc, {}, kNoFolder, written, {.copyTextures = false})) {
        if (first.ui.messages == before)
            std::abort();  // a refusal must say so
        return 0;
    }
    Workspace second;
    Document doc2 = second.doc();
    if (!Read3dsBytes(doc2, written.data(), written.size(), {}, kNoFolder))
        std::abort();
    return 0;
}
