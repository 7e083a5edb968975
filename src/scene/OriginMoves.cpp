// Moving an object's origin without moving what it shows: the pivot and
// origin-to-centre tools.

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/EditParts.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"

#include <algorithm>
#include <vector>

namespace corvid {

// --- origin moves ----------------------------------------------------------------------

namespace {

// Moves frame's origin to centre (in the frame's own coordinates) and its
// meshes and children back by as much.
void ShiftOrigin(EditHistory& history, const FramePtr& object, const Vec3& centre)
{
    Frame& frame = *object;
    EditStep step(history, "Move Origin of " + RecordOf(&frame)->name);
    history.Touch<TransformAspect>(object);
    for (const auto& visual : frame.GetVisuals())
        history.Touch<MeshAspect>(visual);
    for (const auto& child : frame.GetChildren())
        history.Touch<TransformAspect>(child);
    frame.AddTranslation(Combine::Before, centre);
    std::vector<MeshBuilder*> done;
    for (const auto& visual : frame.GetVisuals()) {
        if (std::find(done.begin(), done.end(), visual.get()) != done.end())
            continue;
        done.push_back(visual.get());
        visual->Translate(-centre.x, -centre.y, -centre.z);
    }
    for (const auto& child : frame.GetChildren())
        child->AddTranslation(Combine::After, -centre);
}

bool MayMoveOrigin(const Frame* frame)
{
    // Cameras and lights show shared icons, which must stay as they are.
    const ObjectRecord* record = RecordOf(frame);
    return record && record->kind != kLight && record->kind != kCamera;
}

} // namespace

bool SceneModel::MoveOriginTo(FramePtr object, const Vec3& point)
{
    if (!object || object == scene_ || object == world_ || !MayMoveOrigin(object.get()))
        return false;
    Vec3 local = object->InverseTransform(scene_->Transform(point));
    ShiftOrigin(history_, object, local);
    return true;
}

bool SceneModel::MoveOriginToCentre(FramePtr object)
{
    if (!object || object == scene_ || object == world_ || !MayMoveOrigin(object.get()) ||
        object->GetVisuals().empty())
        return false;
    Box box = object->GetVisuals().front()->GetBox();
    if (box.IsEmpty())
        return false;
    ShiftOrigin(history_, object, box.Center());
    return true;
}

} // namespace corvid
