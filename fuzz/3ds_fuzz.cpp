// Feeds arbitrary bytes to the 3DS reader, each input into a scene of its
// own. A damaged file must end the import with a message, never with a
// crash, a leak or an allocation the bytes cannot pay for. Whatever was
// built before the damage must still be a scene that shows, that the 3DS
// writer can write, and whose written bytes read back in full.
#include "FuzzWorkspace.h"

#include "files/3ds/ThreeDsFile.h"

#include <cstdint>
#include <cstdlib>
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
