#include "tools/Tools.h"

#include "render/ViewSet.h"

namespace corvid {

Tools::Tools(SceneModel& scene, ViewSet& views, Transport& transport)
    : scene_(scene), views_(views), transport_(transport)
{
}

} // namespace corvid
