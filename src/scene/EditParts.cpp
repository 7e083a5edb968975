#include "scene/EditParts.h"

#include "platform/Frame.h"
#include "scene/MoveBehaviours.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

namespace corvid {

Matrix4 TransformAspect::Capture(const Frame& frame)
{
    return frame.GetLocalTransform();
}

void TransformAspect::Restore(SceneModel&, Frame& frame, const State& state)
{
    frame.AddTransform(Combine::Replace, state);
}

RecordAspect::State RecordAspect::Capture(const Frame& frame)
{
    State s;
    const ObjectRecord* record = RecordOf(&frame);
    if (!record)
        return s;
    s.hasRecord = true;
    s.name = record->name;
    s.text2 = record->text2;
    s.kind = record->kind;
    s.looksAt = record->looksAt;
    s.lookTarget = record->lookTarget;
    s.turning = frame.HasMoveCallback(kLookAtCallbackTag);
    s.menuCommand = record->menuCommand;
    s.controlPoint = {record->cpRow,      record->cpColumn, record->cpRows,  record->cpColumns,
                      record->patchType, record->cpStepsU, record->cpStepsV};
    return s;
}

void RecordAspect::Restore(SceneModel& scene, Frame& frame, const State& s)
{
    ObjectRecord* record = RecordOf(&frame);
    if (!record || !s.hasRecord)
        return;
    record->name = s.name;
    record->text2 = s.text2;
    record->kind = s.kind;
    if (FramePtr target = s.lookTarget.lock(); s.looksAt && target) {
        record->SetLookTarget(target);
    } else {
        record->ClearLookTarget();
        record->lookTarget = s.lookTarget;
    }
    if (s.turning)
        InstallLookAt(frame, scene.Context());
    else
        RemoveLookAt(frame);
    record->menuCommand = s.menuCommand;
    record->cpRow = s.controlPoint[0];
    record->cpColumn = s.controlPoint[1];
    record->cpRows = s.controlPoint[2];
    record->cpColumns = s.controlPoint[3];
    record->patchType = s.controlPoint[4];
    record->cpStepsU = s.controlPoint[5];
    record->cpStepsV = s.controlPoint[6];
    if (record->treeItem)
        scene.ui().SetTreeItemName(record->treeItem, record->name);
}

bool RecordAspect::Same(const State& a, const State& b)
{
    auto sameTarget = [](const std::weak_ptr<Frame>& x, const std::weak_ptr<Frame>& y) {
        return !x.owner_before(y) && !y.owner_before(x);
    };
    return a.hasRecord == b.hasRecord && a.name == b.name && a.text2 == b.text2 && a.kind == b.kind &&
           a.looksAt == b.looksAt && sameTarget(a.lookTarget, b.lookTarget) && a.turning == b.turning &&
           a.menuCommand == b.menuCommand && a.controlPoint == b.controlPoint;
}

unsigned ShownAspect::Capture(const Frame& frame)
{
    return frame.GetTraversalOptions();
}

void ShownAspect::Restore(SceneModel& scene, Frame& frame, const State& state)
{
    frame.SetTraversalOptions(state);
    if (const ObjectRecord* record = RecordOf(&frame); record && record->treeItem)
        scene.ui().SetTreeItemChecked(record->treeItem, SceneModel::IsShown(frame));
}

ContentsAspect::State ContentsAspect::Capture(const Frame& frame)
{
    return {frame.GetVisuals(), frame.GetLights()};
}

void ContentsAspect::Restore(SceneModel&, Frame& frame, const State& state)
{
    frame.DeleteAllVisuals();
    for (const auto& visual : state.visuals)
        frame.AddVisual(visual);
    for (auto lights = frame.GetLights(); const auto& light : lights)
        frame.DeleteLight(light.get());
    for (const auto& light : state.lights)
        frame.AddLight(light);
}

size_t ContentsAspect::Bytes(const State& state)
{
    return (state.visuals.capacity() + state.lights.capacity()) * sizeof(std::shared_ptr<void>);
}

void MeshAspect::Restore(SceneModel&, MeshBuilder& mesh, const State& state)
{
    mesh.SetContents(state);
}

LightAspect::State LightAspect::Capture(const Light& light)
{
    return {light.GetType(),
            light.GetColor(),
            light.GetConstantAttenuation(),
            light.GetLinearAttenuation(),
            light.GetQuadraticAttenuation(),
            light.GetRange(),
            light.GetUmbra(),
            light.GetPenumbra()};
}

void LightAspect::Restore(SceneModel&, Light& light, const State& s)
{
    light.SetType(s.type);
    light.SetColorRGB(s.color.r, s.color.g, s.color.b);
    light.SetConstantAttenuation(s.constant);
    light.SetLinearAttenuation(s.linear);
    light.SetQuadraticAttenuation(s.quadratic);
    light.SetRange(s.range);
    light.SetUmbra(s.umbra);
    light.SetPenumbra(s.penumbra);
}

void WorldSceneAspect::Restore(SceneModel& scene, Frame& world, const State& state)
{
    world.Scene() = state;
    scene.ui().Notify(Notification::FogPanelChanged);
    scene.ui().Notify(Notification::RedrawRequested);
}

bool WorldSceneAspect::Same(const State& a, const State& b)
{
    return a.fogEnabled == b.fogEnabled && a.fogMode == b.fogMode && a.fogMethod == b.fogMethod &&
           a.fogColor == b.fogColor && a.fogStart == b.fogStart && a.fogEnd == b.fogEnd &&
           a.fogDensity == b.fogDensity && a.background == b.background && a.backgroundImage == b.backgroundImage;
}

void SettingsAspect::Restore(SceneModel& scene, SceneSettings&, const State& state)
{
    scene.RestoreSettings(state);
}

} // namespace corvid
