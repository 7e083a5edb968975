#include "scene/ObjectTree.h"

#include "platform/Frame.h"
#include "scene/SceneModel.h"
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

void SceneModel::insertTreeItems(const FramePtr& frame)
{
    ObjectRecord* record = RecordOf(frame.get());
    if (!record)
        return;
    long parentItem = ParentTreeItem(*frame);
    if (!parentItem)
        return;
    record->treeItem = ui_.InsertTreeItem(*frame, record->name, TreeIconOf(*frame, *world_, *scene_), parentItem);
    if (!record->treeItem)
        return;
    ui_.SetTreeItemChecked(record->treeItem, IsShown(*frame));
    for (const auto& child : frame->GetChildren())
        insertTreeItems(child);
}

void SceneModel::recreateTreeItems(const FramePtr& frame)
{
    removeTreeItems(*frame);
    insertTreeItems(frame);
    ui_.Notify(Notification::TreeChanged);
}

// --- the changes the Objects List asks for -------------------------------------------

bool SceneModel::Rename(FramePtr frame, const std::string& text)
{
    ObjectRecord* record = RecordOf(frame.get());
    if (!record || frame == world_ || frame == scene_ || text.empty())
        return false;
    record->name = text;
    modified_ = true;
    ui_.Notify(Notification::PanelsChanged);
    return true;
}

bool SceneModel::SetShown(FramePtr frame, bool shown)
{
    ObjectRecord* record = RecordOf(frame.get());
    if (!record || frame == world_)
        return false;
    frame->SetTraversalOptions(shown ? (kRenderEnable | kPickEnable) : 0u);
    if (record->treeItem)
        ui_.SetTreeItemChecked(record->treeItem, shown);
    modified_ = true;
    return true;
}

bool SceneModel::MoveUnder(FramePtr object, FramePtr target)
{
    if (!IsMovableObject(object) || !target || !RecordOf(target.get()) || target == world_ ||
        object->IsAncestorOf(target.get()) || object->GetParent() == target.get() ||
        !scene_->IsAncestorOf(target.get()))
        return false;
    target->AddChild(object);
    recreateTreeItems(object);
    modified_ = true;
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
