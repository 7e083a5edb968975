#pragma once
// What the move callbacks (look-at, live wrap) need to know of the editor.
// They hold it weakly, so a callback that outlives the editor does nothing.

#include "platform/Fwd.h"

#include <memory>

namespace corvid {

struct SceneContext {
    FramePtr scene;         // SCENE
    FramePtr activeCamera;  // the active view's camera, or null
};

} // namespace corvid
