#include "scene/Hierarchy.h"

#include "platform/Frame.h"
#include "scene/SceneModel.h"
#include "scene/MoveBehaviours.h"
#include "scene/Records.h"
#include "scene/Ui.h"

#include <vector>

namespace corvid {

namespace {

// The descendants of frame that are objects (have a record), deepest first,
// children in order. Auxiliary frames and what hangs below them are left out.
void CollectObjectsDepthFirst(const Frame& frame, std::vector<FramePtr>& out)
{
    for (const auto& child : frame.GetChildren()) {
        if (!RecordOf(child.get()))
            continue;
        CollectObjectsDepthFirst(*child, out);
        out.push_back(child);
    }
}

} // namespace

bool SceneModel::IsMovableObject(const FramePtr& frame) const
{
    return frame && frame != scene_ && frame != world_ && RecordOf(frame.get()) &&
           scene_->IsAncestorOf(frame.get());
}

void SceneModel::afterHierarchyChange()
{
    modified_ = true;
    ui_.Notify(Notification::TreeChanged);
}

bool SceneModel::Attach(FramePtr source, FramePtr target)
{
    if (!IsMovableObject(source) || !target || !RecordOf(target.get()) || !scene_->IsAncestorOf(target.get()))
        return false;
    if (source == target) {
        ui_.ShowMessage(kMsgAddToItself);
        return false;
    }
    if (target->GetParent() == source.get()) {
        ui_.ShowMessage(kMsgAddParentToChild);
        return false;
    }
    if (source->IsAncestorOf(target.get())) {
        ui_.ShowMessage(kMsgAddAncestorToDescendant);
        return false;
    }
    if (!target->AddChild(source))
        return false;
    recreateTreeItems(source);
    Select(target);
    ui_.Notify(Notification::SelectionChanged);
    afterHierarchyChange();
    return true;
}

bool SceneModel::Insert(FramePtr source, FramePtr target)
{
    if (!IsMovableObject(source) || !IsMovableObject(target))
        return false;
    if (source == target) {
        ui_.ShowMessage(kMsgInsertToItself);
        return false;
    }
    if (source->IsAncestorOf(target.get())) {
        ui_.ShowMessage(kMsgInsertIntoOwnBranch);
        return false;
    }
    FramePtr parent = target->GetParent()->shared_from_this();
    removeTreeItems(*target);
    removeTreeItems(*source);
    parent->AddChild(source);
    source->AddChild(target);
    insertTreeItems(source);
    afterHierarchyChange();
    return true;
}

bool SceneModel::Extract(FramePtr object)
{
    if (!IsMovableObject(object))
        return false;
    FramePtr parent = object->GetParent()->shared_from_this();
    std::vector<FramePtr> children;
    for (const auto& child : object->GetChildren())
        if (RecordOf(child.get()))
            children.push_back(child);
    removeTreeItems(*object);
    scene_->AddChild(object);
    for (const auto& child : children)
        parent->AddChild(child);
    insertTreeItems(object);
    for (const auto& child : children)
        insertTreeItems(child);
    afterHierarchyChange();
    return true;
}

bool SceneModel::Flatten(FramePtr object)
{
    if (!IsMovableObject(object))
        return false;
    std::vector<FramePtr> order;
    CollectObjectsDepthFirst(*object, order);
    order.push_back(object);
    removeTreeItems(*object);
    for (const auto& frame : order)
        scene_->AddChild(frame);
    for (const auto& frame : order)
        insertTreeItems(frame);
    afterHierarchyChange();
    return true;
}

bool SceneModel::Unlink(FramePtr object)
{
    if (!IsMovableObject(object))
        return false;
    if (object->GetParent() == scene_.get()) {
        ui_.ShowMessage(kMsgNoParent);
        return false;
    }
    scene_->AddChild(object);
    recreateTreeItems(object);
    afterHierarchyChange();
    return true;
}

bool SceneModel::LookAt(FramePtr source, FramePtr target)
{
    if (!source)
        return false;
    if (!target || target == source) {
        ui_.ShowMessage(kMsgLookAtItself);
        return false;
    }
    ObjectRecord* record = RecordOf(source.get());
    if (!record || !RecordOf(target.get()))
        return false;
    InstallLookAt(*source, context_);
    record->SetLookTarget(target);
    // An edit move: the turn itself comes with the next redraw.
    source->Move(kEditMoveDelta);
    modified_ = true;
    return true;
}

bool SceneModel::StopLookAt(FramePtr object)
{
    if (!object || !RecordOf(object.get()))
        return false;
    RemoveLookAt(*object);
    modified_ = true;
    return true;
}

} // namespace corvid
