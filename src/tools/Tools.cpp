#include "tools/Tools.h"

#include "render/ViewSet.h"

namespace corvid {

Tools::Tools(SceneModel& scene, ViewSet& views) : scene_(scene), views_(views) {}

} // namespace corvid
