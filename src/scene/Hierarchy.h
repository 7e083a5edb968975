#pragma once
// The texts of the hierarchy tools' refusals. The operations themselves are
// SceneModel members (Attach, Insert, Extract, Flatten, Unlink, LookAt,
// StopLookAt; bodies in Hierarchy.cpp).
//
// Re-parenting keeps a frame's transform relative to its parent, so an object
// moves with its new parent. Only objects below SCENE move; WORLD, SCENE and
// the editor's auxiliary frames (no record) never do, and an auxiliary frame
// hanging under an object (the camera light on a camera) stays with it.

namespace corvid {

inline constexpr const char* kMsgAddToItself = "Cannot add to itself!";
inline constexpr const char* kMsgAddParentToChild = "Cannot add Parent to Child";
inline constexpr const char* kMsgAddAncestorToDescendant = "Cannot make Parent child of it's current child";
inline constexpr const char* kMsgInsertToItself = "Cannot insert to itself!";
// Inserting an object above one of its own descendants would hang it below
// itself.
inline constexpr const char* kMsgInsertIntoOwnBranch = "Cannot insert an object below its own child!";
inline constexpr const char* kMsgNoParent = "Object has no parent";
inline constexpr const char* kMsgLookAtItself = "Object cannot look at itself!";

} // namespace corvid
