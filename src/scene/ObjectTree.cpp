#include "scene/ObjectTree.h"

#include "platform/Frame.h"
#include "scene/SceneModel.h"
#include "scene/EditParts.h"
#include "scene/Records.h"
#include "scene/Ui.h"

namespace corvid {

int TreeIconOf(const Frame& frame, const Frame& world, const Frame& scene)
{
    if (&frame == &world)
        return kTreeIconWorld;
    if (&frame == &scene)
        return kTreeIconScene;
    const ObjectRecord* record = RecordOf(&frame);
    return record && record->kind == kLight ? kTreeIconLight : kTreeIconObject;
}

long ParentTreeItem(const Frame& frame)
{
    ObjectRecord* parent = RecordOf(frame.GetParent());
    return parent ? parent->treeItem : 0;
}

bool SceneModel::IsShown(const Frame& frame)
{
    return frame.IsRenderEnabled() && frame.IsPickEnabled();
}

// --- keeping the items in step with the frames ---------------------------------------

namespace {
// The tree control drops an item's whole subtree with it: the handles below
// are only forgotten.
void ForgetTreeItems(const Frame& frame)
{
    for (const auto& child : frame.GetChildren())
        if (ObjectRecord* record = RecordOf(child.get())) {
            record->treeItem = 0;
            ForgetTreeItems(*child);
        }
}
} // namespace

void SceneModel::removeTreeItems(Frame& frame)
{
    if (ObjectRecord* record = RecordOf(&frame)) {
        if (record->treeItem)
            ui_.RemoveTreeItem(record->treeItem);
        record->treeItem = 0;
    }
    ForgetTreeItems(frame);
}

void SceneModel::insertTreeItem(const FramePtr& frame)
{
    // Only registered objects are listed (not the parts of a patch, say).
    ObjectRecord* record = RecordOf(frame.get());
    if (!record || !record->interpolator || record->treeItem)
        return;
    long parentItem = ParentTreeItem(*frame);
    if (!parentItem && frame != world_)
        return;
    // Its place among the listed siblings, as the frames stand.
    int position = 0;
    if (const Frame* parent = frame->GetParent())
        for (const FramePtr& sibling : parent->GetChildren()) {
            if (sibling == frame)
                break;
            if (const ObjectRecord* r = RecordOf(sibling.get()); r && r->treeItem)
                ++position;
        }
    record->treeItem =
        ui_.InsertTreeItem(*frame, record->name, TreeIconOf(*frame, *world_, *scene_), parentItem, position);
    if (!record->treeItem)
        return;
    ui_.SetTreeItemChecked(record->treeItem, IsShown(*frame));
    for (const auto& child : frame->GetChildren())
        insertTreeItem(child);
}

// --- the changes the Objects List asks for -------------------------------------------

bool SceneModel::Rename(FramePtr frame, const std::string& text)
{
    ObjectRecord* record = RecordOf(frame.get());
    if (!record || frame == world_ || frame == scene_ || text.empty())
        return false;
    EditStep step(history_, "Rename " + record->name);
    history_.Touch<RecordAspect>(frame);
    record->name = text;
    if (record->treeItem)
        ui_.SetTreeItemName(record->treeItem, text);
    ui_.Notify(Notification::PanelsChanged);
    return true;
}

bool SceneModel::SetShown(FramePtr frame, bool shown)
{
    ObjectRecord* record = RecordOf(frame.get());
    if (!record || frame == world_)
        return false;
    EditStep step(history_, (shown ? "Show " : "Hide ") + record->name);
    history_.Touch<ShownAspect>(frame);
    frame->SetTraversalOptions(shown ? (kRenderEnable | kPickEnable) : 0u);
    if (record->treeItem)
        ui_.SetTreeItemChecked(record->treeItem, shown);
    return true;
}

bool SceneModel::MoveUnder(FramePtr object, FramePtr target)
{
    if (!IsMovableObject(object) || !target || !RecordOf(target.get()) || target == world_ ||
        object->IsAncestorOf(target.get()) || object->GetParent() == target.get() ||
        !scene_->IsAncestorOf(target.get()))
        return false;
    EditStep step(history_, "Move " + RecordOf(object.get())->name + " under " + RecordOf(target.get())->name);
    removeTreeItems(*object);
    reparent(object, target);
    insertTreeItem(object);
    ui_.Notify(Notification::TreeChanged);
    return true;
}

FramePtr FindObject(const FramePtr& root, const std::string& name)
{
    for (const FramePtr& child : root->GetChildren()) {
        const ObjectRecord* record = RecordOf(child.get());
        if (record && record->name == name)
            return child;
        if (FramePtr found = FindObject(child, name))
            return found;
    }
    return nullptr;
}

} // namespace corvid
