#pragma once
// The "Objects List": a tree of items mirroring the object frames. WORLD is
// the root item and SCENE its child; every registered object is an item under
// its parent's item. The Ui draws the items; the SceneModel keeps them in
// step with the frames, and tools/ObjectsList.h is what the person does with
// them.
//
// Check boxes: an item is checked exactly when its object is rendered and
// pickable (traversal options 3); switching the box sets both options on or
// both off. New items start checked, as new objects are visible.

#include "platform/Fwd.h"

#include <string>

namespace corvid {

enum TreeIcon : int {
    kTreeIconWorld = 0,
    kTreeIconScene = 1,
    kTreeIconObject = 2,
    kTreeIconLight = 3,
};

// The icon of frame's item.
int TreeIconOf(const Frame& frame, const Frame& world, const Frame& scene);
// The item of frame's parent, or 0 when the parent is not listed.
long ParentTreeItem(const Frame& frame);
// The first frame below root (depth first) whose object is called name, or null.
FramePtr FindObject(const FramePtr& root, const std::string& name);

} // namespace corvid
