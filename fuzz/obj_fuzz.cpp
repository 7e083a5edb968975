// Feeds arbitrary bytes to the Wavefront OBJ reader. A damaged file must end
// the import with a message, never with a crash, a hang or an allocation the
// bytes cannot pay for; what was read must show.
#include "FuzzWorkspace.h"

#include "files/obj/ObjFile.h"

#include <cstdint>
#include <cstdlib>

using corvid::fuzzing::kNoFolder;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace corvid;
    fuzzing::Workspace workspace;
    Document doc = workspace.doc();
    ImportOptions options;
    options.addMaterials = true;
    options.addTextures = true;
    options.winding = size % 2 == 0 ? 0 : 1;
    const bool read = ReadObjBytes(doc, data, size, options, kNoFolder, "fuzz.obj");
    if (!read && workspace.ui.messages == 0)
        std::abort();  // a refused file must say so
    workspace.views.RenderAllViews();
    return 0;
}
