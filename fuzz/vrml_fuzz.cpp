// Feeds arbitrary text to the VRML reader, each input into a scene of its
// own. A file that is refused must say so; nothing may crash, leak or
// allocate more than the text pays for. Whatever was built (before any
// damage) must export to a world that reads back in full.
#include "FuzzWorkspace.h"

#include "files/vrml/VrmlFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace corvid;
using corvid::fuzzing::Workspace;

using corvid::fuzzing::kNoFolder;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Workspace first;
    Document doc = first.doc();
    ImportOptions options;
    options.winding = size % 2 == 0 ? 1 : 0;
    const bool read = ReadVrmlText(doc, text, options, kNoFolder);
    if (!read && first.ui.messages == 0)
        std::abort();  // a refused file must say so
    first.views.RenderAllViews();

    // What was read exports, and the export reads back in full.
    const std::string written =
        WriteVrmlText(doc, {}, std::string(kNoFolder) + "/out.wrl", {.copyFiles = false, .time = 0});
    Workspace second;
    Document doc2 = second.doc();
    if (!ReadVrmlText(doc2, written, {}, kNoFolder))
        std::abort();
    return 0;
}
