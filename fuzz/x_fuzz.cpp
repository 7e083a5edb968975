// Feeds arbitrary bytes to the DirectX-format (.x) reader: text, binary and
// compressed files. A damaged file must end the import with its message and
// the scene untouched, never with a crash, a hang or an allocation the bytes
// cannot pay for; what was read must show.
#include "FuzzWorkspace.h"

#include "files/x/XFile.h"
#include "platform/Frame.h"

#include <cstdint>
#include <cstdlib>

// Nothing can lie below /dev/null: texture lookups miss without touching a
// real folder.
constexpr const char* kNoFolder = "/dev/null/corvid-fuzz";

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace corvid;
    fuzzing::Workspace workspace;
    Document doc = workspace.doc();
    const size_t children = workspace.scene.Scene()->GetChildren().size();
    const bool read = ReadXBytes(doc, data, size, kNoFolder);
    if (!read && (workspace.ui.messages != 1 || workspace.scene.Scene()->GetChildren().size() != children ||
                  !workspace.scene.materials.empty()))
        std::abort();  // a refused file says so once and leaves nothing behind
    workspace.views.RenderAllViews();
    return 0;
}
