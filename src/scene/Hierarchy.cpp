#include "scene/Hierarchy.h"

#include "app/Ui.h"
#include "platform/Frame.h"
#include "scene/Editor.h"
#include "scene/MoveBehaviours.h"
#include "scene/Records.h"

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

bool Editor::isMovableObject(const FramePtr& frame) const
{
    return frame && frame != scene_ && frame != world_ && RecordOf(frame.get()) &&
           scene_->IsAncestorOf(frame.get());
}

void Editor::afterHierarchyChange()
{
    sceneModified = true;
    ui_.Notify(Notification::TreeChanged);
}

bool Editor::Attach(FramePtr source, FramePtr target)
{
    if (!isMovableObject(source) || !target || !RecordOf(target.get()) || !scene_->IsAncestorOf(target.get()))
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

bool Editor::Insert(FramePtr source, FramePtr target)
{
    if (!isMovableObject(source) || !isMovableObject(target))
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

bool Editor::Extract(FramePtr object)
{
    if (!isMovableObject(object))
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

bool Editor::Flatten(FramePtr object)
{
    if (!isMovableObject(object))
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

bool Editor::Unlink(FramePtr object)
{
    if (!isMovableObject(object))
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

bool Editor::LookAt(FramePtr source, FramePtr target)
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
    sceneModified = true;
    return true;
}

bool Editor::StopLookAt(FramePtr object)
{
    if (!object || !RecordOf(object.get()))
        return false;
    RemoveLookAt(*object);
    sceneModified = true;
    return true;
}

} // namespace corvid
