#include "scene/ObjectTree.h"

#include "app/Ui.h"
#include "platform/Frame.h"
#include "scene/Editor.h"
#include "scene/Records.h"

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

bool Editor::IsShown(const Frame& frame)
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

void Editor::removeTreeItems(Frame& frame)
{
    if (ObjectRecord* record = RecordOf(&frame)) {
        if (record->treeItem)
            ui_.RemoveTreeItem(record->treeItem);
        record->treeItem = 0;
    }
    ForgetTreeItems(frame);
}

void Editor::insertTreeItems(const FramePtr& frame)
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

void Editor::recreateTreeItems(const FramePtr& frame)
{
    removeTreeItems(*frame);
    insertTreeItems(frame);
    ui_.Notify(Notification::TreeChanged);
}

// --- what the person does with the items -----------------------------------------------

bool Editor::SelectFromTree(FramePtr frame)
{
    if (!frame || frame == selectedFrame_ || frame->GetVisuals().empty())
        return false;
    Select(frame);
    // The panel and the marker show an object chosen in the tree just as
    // one picked in a viewport.
    RefreshObjectInfo();
    FitSelectionMarker();
    ui_.Notify(Notification::SelectionChanged);
    RenderAllViews();
    return true;
}

bool Editor::RenameFromTree(FramePtr frame, const std::string& text)
{
    ObjectRecord* record = RecordOf(frame.get());
    if (!record || frame == world_ || frame == scene_ || text.empty())
        return false;
    // The tree control keeps the label it edited.
    record->name = text;
    ui_.Notify(Notification::PanelsChanged);
    return true;
}

bool Editor::DropInTree(FramePtr dragged, FramePtr target)
{
    ObjectRecord* draggedRecord = RecordOf(dragged.get());
    ObjectRecord* targetRecord = RecordOf(target.get());
    bool refused = !draggedRecord || !targetRecord || !draggedRecord->treeItem || !targetRecord->treeItem ||
                   !isMovableObject(dragged) || target == world_ ||
                   dragged->IsAncestorOf(target.get()) ||      // itself or a descendant
                   dragged->GetParent() == target.get() ||     // where it already is
                   !scene_->IsAncestorOf(target.get());
    if (refused) {
        ui_.Beep();
        return false;
    }
    target->AddChild(dragged);
    recreateTreeItems(dragged);
    sceneModified = true;
    RenderAllViews();
    return true;
}

bool Editor::DeleteFromTree(FramePtr frame)
{
    if (!frame || !RecordOf(frame.get()))
        return false;
    if (frame == world_) {
        ui_.ShowMessage("Can not delete WORLD");
        return false;
    }
    if (frame == scene_) {
        ui_.ShowMessage("Can not delete SCENE");
        return false;
    }
    DeleteObjectTree(frame);
    ClearSelection();
    HideSelectionMarker();
    ClearObjectInfo();
    ui_.Notify(Notification::SelectionChanged);
    sceneModified = true;
    RenderAllViews();
    return true;
}

bool Editor::SetShownFromTree(FramePtr frame, bool shown)
{
    ObjectRecord* record = RecordOf(frame.get());
    if (!record || frame == world_)
        return false;
    frame->SetTraversalOptions(shown ? (kRenderEnable | kPickEnable) : 0u);
    if (record->treeItem)
        ui_.SetTreeItemChecked(record->treeItem, shown);
    sceneModified = true;
    RenderAllViews();
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
