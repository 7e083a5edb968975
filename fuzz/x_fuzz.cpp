// Feeds arbitrary bytes to the DirectX-format (.x) reader: text, binary and
// compressed files. A damaged file must end the import with its message and
// the scene untouched, never with a crash, a hang or an allocation the bytes
// cannot pay for; what was read must show.
#include "FuzzWorkspace.h"

#include "files/x/XFile.h"
#include "platform/Frame.h"

#include <cstdint>
#include <cstdlib>

using corvid::fuzzing::kNoFolder;

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
