#pragma once
// A plain-text outline of a scene: one line per object frame, indented by
// depth, with kind, name, position relative to SCENE and geometry counts.

#include <string>

namespace corvid {

class SceneModel;

std::string DescribeScene(const SceneModel& scene);

} // namespace corvid
