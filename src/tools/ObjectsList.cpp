// What the "Objects List" does with its items: select, rename, drop, delete
// and the check boxes. The items themselves are kept in step with the frames
// by the scene model (scene/ObjectTree.h). Each change is a step of its own:
// a gesture waiting for its last click (a camera being aimed) is finished
// first, so the two are never one step.

#include "platform/Frame.h"
#include "anim/Transport.h"
#include "render/ViewSet.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"
#include "tools/Tools.h"

namespace corvid {

bool Tools::SelectFromTree(FramePtr frame)
{
    if (!frame || frame == scene_.SelectedFrame() || frame->GetVisuals().empty())
        return false;
    scene_.Select(frame);
    // The panel and the marker show an object chosen in the tree just as
    // one picked in a viewport; the move-axis markers wait for a pick.
    moveMarkers_.Hide();
    showSelection();
    views_.RenderAllViews();
    return true;
}

bool Tools::RenameFromTree(FramePtr frame, const std::string& text)
{
    FinishGesture();
    // The tree control keeps the label it edited.
    if (!scene_.Rename(frame, text))
        return false;
    showSelection();
    return true;
}

bool Tools::DropInTree(FramePtr dragged, FramePtr target)
{
    FinishGesture();
    const ObjectRecord* draggedRecord = RecordOf(dragged.get());
    const ObjectRecord* targetRecord = RecordOf(target.get());
    if (!draggedRecord || !targetRecord || !draggedRecord->treeItem || !targetRecord->treeItem ||
        !scene_.MoveUnder(dragged, target)) {
        ui().Beep();
        return false;
    }
    // The dropped object now moves with its new parent: the panel shows
    // where that puts it, and the list its row again.
    showSelection();
    views_.RenderAllViews();
    return true;
}

bool Tools::DeleteFromTree(FramePtr frame)
{
    FinishGesture();
    if (transport_.Playing())
        transport_.Stop();
    if (!frame || !RecordOf(frame.get()))
        return false;
    if (frame == scene_.World()) {
        ui().ShowMessage("Can not delete WORLD");
        return false;
    }
    if (frame == scene_.Scene()) {
        ui().ShowMessage("Can not delete SCENE");
        return false;
    }
    scene_.DeleteObjectTree(frame);
    scene_.ClearSelection();
    moveMarkers_.Hide();
    showSelection();
    views_.RenderAllViews();
    return true;
}

bool Tools::SetShownFromTree(FramePtr frame, bool shown)
{
    FinishGesture();
    if (!scene_.SetShown(frame, shown))
        return false;
    views_.RenderAllViews();
    return true;
}

} // namespace corvid
