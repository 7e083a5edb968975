// Feeds arbitrary bytes to the scene file's reader, each input into a scene
// of its own. A damaged file must end the load with a message, never with a
// crash, a leak or an allocation the bytes cannot pay for. Whatever was built
// before the damage must still be a scene that shows, that the writer can
// save, and whose saved bytes read back in full.
#include "FuzzWorkspace.h"

#include "files/scene/SceneFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace corvid;
using fuzzing::Workspace;

using corvid::fuzzing::kNoFolder;

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
