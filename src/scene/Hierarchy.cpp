#include "scene/Hierarchy.h"

#include "platform/Frame.h"
#include "scene/SceneModel.h"
#include "scene/EditParts.h"
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
    EditStep step(history_, "Attach " + RecordOf(source.get())->name);
    removeTreeItems(*source);
    reparent(source, target);
    insertTreeItem(source);
    ui_.Notify(Notification::TreeChanged);
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
    EditStep step(history_, "Insert " + RecordOf(source.get())->name);
    FramePtr parent = target->GetParent()->shared_from_this();
    removeTreeItems(*target);
    removeTreeItems(*source);
    reparent(source, parent);
    reparent(target, source);
    insertTreeItem(source);
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
    EditStep step(history_, "Extract " + RecordOf(object.get())->name);
    removeTreeItems(*object);
    reparent(object, scene_);
    for (const auto& child : children)
        reparent(child, parent);
    insertTreeItem(object);
    for (const auto& child : children)
        insertTreeItem(child);
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
    EditStep step(history_, "Flatten " + RecordOf(object.get())->name);
    removeTreeItems(*object);
    for (const auto& frame : order)
        reparent(frame, scene_);
    for (const auto& frame : order)
        insertTreeItem(frame);
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
    EditStep step(history_, "Unlink " + RecordOf(object.get())->name);
    removeTreeItems(*object);
    reparent(object, scene_);
    insertTreeItem(object);
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
    EditStep step(history_, "Look At " + RecordOf(target.get())->name);
    history_.Touch<RecordAspect>(source);
    // The turn comes with the next redraw, after the step: undo turns back.
    history_.Touch<TransformAspect>(source, true);
    InstallLookAt(*source, context_);
    record->SetLookTarget(target);
    // An edit move: the turn itself comes with the next redraw.
    source->Move(kEditMoveDelta);
    return true;
}

bool SceneModel::StopLookAt(FramePtr object)
{
    if (!object || !RecordOf(object.get()))
        return false;
    EditStep step(history_, "Stop Look At");
    history_.Touch<RecordAspect>(object);
    RemoveLookAt(*object);
    return true;
}

} // namespace corvid
