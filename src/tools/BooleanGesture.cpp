#include "tools/BooleanGesture.h"

#include "geometry/BooleanOperation.h"
#include "platform/Frame.h"
#include "render/ViewSet.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"
#include "tools/ToolMode.h"
#include "tools/Tools.h"

namespace corvid {

namespace {

bool IsOrdinaryObject(const FramePtr& frame)
{
    const ObjectRecord* record = RecordOf(frame.get());
    return record && record->kind != kLight && record->kind != kCamera && record->kind != kControlPoint;
}

} // namespace

bool IsBooleanMode(int mode) { return mode >= kModeBooleanFirst && mode <= kModeBooleanLast; }

std::optional<BooleanKind> BooleanKindOf(int mode)
{
    switch (mode) {
    case kModeBooleanFirst:
        return BooleanKind::Union;
    case kModeBooleanFirst + 1:
        return BooleanKind::Intersection;
    case kModeBooleanFirst + 2:
        return BooleanKind::Difference;
    default:
        return std::nullopt;
    }
}

void PressBoolean(Tools& tools, int x, int y) { tools.views().PickObjectOnly(x, y); }

void ReleaseBoolean(Tools& tools, int mode, int x, int y)
{
    SceneModel& scene = tools.scene();
    const FramePtr frameA = scene.SelectedFrame();
    const MeshBuilderPtr meshA = scene.CurrentVisual();
    const auto kind = BooleanKindOf(mode);
    if (!kind || !frameA || !meshA || !IsOrdinaryObject(frameA))
        return;
    scene.ClearSelection();
    const bool hit = tools.views().Pick(x, y);
    const FramePtr frameB = scene.SelectedFrame();
    const MeshBuilderPtr meshB = scene.CurrentVisual();
    auto keepA = [&] { scene.SetSelection(frameA, meshA, nullptr); };
    if (!hit || !frameB || !meshB || meshB == meshA) {
        keepA();
        return;
    }
    if (!IsOrdinaryObject(frameB)) {
        scene.ClearSelection();
        return;
    }
    if (!BooleanOperation(scene, *kind, frameA, meshA, frameB, meshB))
        keepA();  // refused: the message is shown, the scene is as it was
    scene.ui().Notify(Notification::SelectionChanged);
}

} // namespace corvid
