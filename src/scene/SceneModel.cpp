#include "scene/SceneModel.h"

#include "platform/Frame.h"
#include "platform/Interpolator.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/EditParts.h"
#include "scene/IconMeshes.h"
#include "scene/MoveBehaviours.h"
#include "scene/ObjectTree.h"
#include "scene/Records.h"
#include "scene/Ui.h"

#include <algorithm>
#include <chrono>
#include <random>

namespace corvid {

namespace {


std::string FormatName(const char* pattern, int counter)
{
    std::string text = pattern;
    auto at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, std::to_string(counter));
    return text;
}

} // namespace

LightPtr ObjectLightOf(const Frame& frame)
{
    const auto& lights = frame.GetLights();
    return lights.empty() ? nullptr : lights.back();
}

SceneModel::SceneModel(Ui& ui)
    : ui_(ui)
    , context_(std::make_shared<SceneContext>())
    , cameras_(kMaxUserCameras)
    , lights_(kMaxUserLights)
{
    auto engine = std::make_shared<std::mt19937>(
        static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
    randomDigit = [engine] { return static_cast<int>((*engine)() % 10); };

    cameraIcon_ = BuildCameraIcon();
    for (int t = 0; t < 5; ++t)
        lightIcons_[t] = BuildLightIcon(static_cast<LightType>(t));
    createSceneRoots();
}

SceneModel::~SceneModel()
{
    // The frames, and the records they own, go with the last handles to them.
    // Nothing is reported through the Ui here: it may already be gone.
    ClearSelection();
}

void SceneModel::createSceneRoots()
{
    master_ = MasterInterpolator::Create();

    world_ = Frame::Create(nullptr);
    AttachRecord(*world_, std::make_unique<ObjectRecord>(kEmpty, "WORLD"));
    world_->Scene().background = {0, 0, 0, 1};
    world_->SetZBufferMode(ZBufferMode::Enable);

    scene_ = Frame::Create(world_.get());
    AttachRecord(*scene_, std::make_unique<ObjectRecord>(kEmpty, "SCENE"));
    context_->scene = scene_;

    // The camera light hangs in an auxiliary frame under WORLD until a view
    // camera takes it.
    cameraLight_ = Light::Create(LightType::Directional, 1.0f, 1.0f, 1.0f);
    cameraLightFrame_ = Frame::Create(world_.get());
    cameraLightFrame_->AddLight(cameraLight_);

    buildSceneAuxiliaries();
    RegisterObject(world_);
    RegisterObject(scene_);
}

void SceneModel::buildSceneAuxiliaries()
{
    scene_->SetZBufferMode(ZBufferMode::Enable);
    gridFrame_ = Frame::Create(scene_.get());
    if (!gridMesh_)
        gridMesh_ = BuildGridMesh(20, 1.0f);
    if (settings_->renderGrid)
        gridFrame_->AddVisual(gridMesh_);
    gridFrame_->SetZBufferMode(ZBufferMode::Disable);
    // The grid is drawn but never picked, so clicks reach what lies behind it.
    gridFrame_->SetTraversalOptions(kRenderEnable);

    markerFrame_ = Frame::Create(gridFrame_.get());
    markerFrame_->AddVisual(BuildMarkerMesh());
    markerFrame_->SetZBufferMode(ZBufferMode::Disable);
    markerFrame_->SetTraversalOptions(0);  // shown once something is selected
}

void SceneModel::SetActiveCamera(const FramePtr& camera)
{
    context_->activeCamera = camera;
    // A frame outside the scene would take the light out of it.
    if (cameraLightOn_ && camera && inScene(*camera))
        camera->AddChild(cameraLightFrame_);
}

void SceneModel::SetCameraLightOn(bool on)
{
    cameraLightOn_ = on;
    if (on) {
        Frame* holder = ActiveCamera() ? ActiveCamera().get() : world_.get();
        holder->AddChild(cameraLightFrame_);
    } else if (Frame* parent = cameraLightFrame_->GetParent()) {
        // Out of the tree, the light lights nothing.
        parent->DeleteChild(cameraLightFrame_.get());
    }
}

// --- registration --------------------------------------------------------------

void SceneModel::RegisterObject(const FramePtr& frame)
{
    ObjectRecord* record = RecordOf(frame.get());
    if (!record)
        return;
    if (record->interpolator)
        master_->DetachObject(record->interpolator);
    record->interpolator = FrameInterpolator::Create();
    record->interpolator->AttachObject(frame);
    master_->AttachObject(record->interpolator);
    record->keyList = std::make_unique<KeyList>(kObjectKeyListType);

    // An object is listed once, at its place under its parent's item; an
    // object whose parent is not listed is not listed either. WORLD is the
    // root item.
    if (record->treeItem)
        return;
    insertTreeItem(frame);
    ui_.Notify(Notification::TreeChanged);
}

void SceneModel::RegisterLight(const LightPtr& light)
{
    if (!light)
        return;
    LightRecord* record = RecordOf(light.get());
    if (!record)
        record = AttachRecord(*light, std::make_unique<LightRecord>());
    if (record->interpolator)
        master_->DetachObject(record->interpolator);
    record->interpolator = LightInterpolator::Create();
    record->interpolator->AttachObject(light);
    master_->AttachObject(record->interpolator);
    record->keyList = std::make_unique<KeyList>(kLightKeyListType);
    record->flags = {};
}

void SceneModel::unregisterAnimation(Frame& frame)
{
    if (ObjectRecord* record = RecordOf(&frame)) {
        if (record->interpolator)
            master_->DetachObject(record->interpolator);
        record->interpolator.reset();
        record->keyList.reset();
    }
}

// --- selection -------------------------------------------------------------------

void SceneModel::ClearSelection()
{
    selectedFrame_.reset();
    currentVisual_.reset();
    pickedLight_.reset();
    hasSelection_ = false;
}

void SceneModel::Select(FramePtr frame)
{
    ClearSelection();
    if (!frame)
        return;
    selectedFrame_ = frame;
    if (!frame->GetVisuals().empty())
        currentVisual_ = frame->GetVisuals().front();
    pickedLight_ = ObjectLightOf(*frame);
    hasSelection_ = true;
}

void SceneModel::SetSelection(FramePtr frame, MeshBuilderPtr visual, LightPtr light)
{
    ClearSelection();
    if (!frame)
        return;
    selectedFrame_ = std::move(frame);
    currentVisual_ = std::move(visual);
    pickedLight_ = std::move(light);
    hasSelection_ = true;
}

FramePtr SceneModel::UserCamera(int n) const
{
    return n >= 0 && n < kMaxUserCameras ? cameras_[n] : nullptr;
}

FramePtr SceneModel::UserLight(int n) const
{
    return n >= 0 && n < kMaxUserLights ? lights_[n] : nullptr;
}

// --- creation ----------------------------------------------------------------------

std::array<float, 3> SceneModel::pastelColor()
{
    std::array<float, 3> rgb{};
    for (float& channel : rgb) {
        int k = randomDigit ? randomDigit() % 10 : 0;
        if (k < 0)
            k = -k;
        channel = static_cast<float>(k) * 0.1f;
        if (channel < 0.5f)
            channel = 1.0f - channel;
    }
    return rgb;
}

MeshBuilderPtr SceneModel::BeginObjectCreation()
{
    ClearSelection();
    FramePtr frame = NewObjectFrame();
    auto mesh = MeshBuilder::Create();
    frame->AddVisual(mesh);
    mesh->SetQuality(kQualityGouraudLitSolid);
    frame->SetPosition(scene_.get(), insertionPoint);
    selectedFrame_ = frame;
    currentVisual_ = mesh;
    hasSelection_ = true;
    return mesh;
}

void SceneModel::FinishObjectCreation(const char* namePattern, int& counter)
{
    if (!selectedFrame_ || !currentVisual_)
        return;
    auto rgb = pastelColor();
    auto record = std::make_unique<MaterialRecord>();
    record->id = ++materialIdCounter;
    record->diffuse[0] = rgb[0];
    record->diffuse[1] = rgb[1];
    record->diffuse[2] = rgb[2];
    auto material = Material::Create(5.0f);
    material->SetSpecular(0, 0, 0);
    material->SetEmissive(0, 0, 0);
    material->SetAmbient(0, 0, 0);
    AttachRecord(*material, std::move(record));
    currentVisual_->SetMaterial(material);
    currentVisual_->SetColorSource(ColorSource::Face);
    currentVisual_->SetColorRGB(rgb[0], rgb[1], rgb[2]);

    auto meshRecord = std::make_unique<MeshRecord>();
    meshRecord->owner = selectedFrame_;
    AttachRecord(*currentVisual_, std::move(meshRecord));

    auto* object = AttachRecord(*selectedFrame_, std::make_unique<ObjectRecord>(kObject, FormatName(namePattern, counter)));
    ++counter;
    history_.Name("Create " + object->name);
    ui_.Notify(Notification::PanelsChanged);
}

void SceneModel::AddCameraEntry(const FramePtr& frame, ObjectRecord& record)
{
    int n = cameraCount_;
    if (n >= kMaxUserCameras)
        return;  // the table is full: the camera exists but gets no menu entry
    ui_.AddUserCameraEntry({"Camera " + std::to_string(n), kCameraMenuBase + n, n});
    cameras_[n] = frame;
    record.menuCommand = kCameraMenuBase + n;
    ++cameraCount_;
    ui_.Notify(Notification::CameraMenusChanged);
}

void SceneModel::AddLightEntry(const FramePtr& frame, ObjectRecord& record)
{
    int n = lightCount_;
    if (n >= kMaxUserLights)
        return;
    ui_.AddUserLightEntry({"Light " + std::to_string(n), kLightMenuBase + n, n});
    lights_[n] = frame;
    record.menuCommand = kLightMenuBase + n;
    ++lightCount_;
    ui_.Notify(Notification::LightMenusChanged);
}

void SceneModel::removeMenuEntry(const ObjectRecord& record)
{
    if (record.kind == kCamera && record.menuCommand >= kCameraMenuBase) {
        int n = record.menuCommand - kCameraMenuBase;
        if (n < kMaxUserCameras)
            cameras_[n].reset();
        ui_.RemoveUserCameraEntry(record.menuCommand);
        ui_.Notify(Notification::CameraMenusChanged);
    } else if (record.kind == kLight && record.menuCommand >= kLightMenuBase) {
        int n = record.menuCommand - kLightMenuBase;
        if (n < kMaxUserLights)
            lights_[n].reset();
        ui_.RemoveUserLightEntry(record.menuCommand);
        ui_.Notify(Notification::LightMenusChanged);
    }
}

FramePtr SceneModel::CreateCamera()
{
    FramePtr frame = NewObjectFrame();
    frame->SetPosition(scene_.get(), insertionPoint);
    frame->AddVisual(cameraIcon_);
    auto* record = AttachRecord(*frame, std::make_unique<ObjectRecord>(kCamera, FormatName("Camera %s", names.camera)));
    ++names.camera;
    history_.Name("Create " + record->name);
    AddCameraEntry(frame, *record);
    Select(frame);
    return frame;
}

FramePtr SceneModel::CreateLight(LightType type, const LightToolParameters& p)
{
    LightPtr light = Light::Create(type, p.color.r, p.color.g, p.color.b);

    FramePtr frame = NewObjectFrame();
    frame->AddVisual(lightIcons_[static_cast<int>(type)]);
    frame->SetPosition(scene_.get(), insertionPoint);

    switch (p.attenuationMode) {
    case 1:
        light->SetConstantAttenuation(0);
        light->SetLinearAttenuation(p.linear);
        light->SetQuadraticAttenuation(0);
        break;
    case 2:
        light->SetConstantAttenuation(0);
        light->SetLinearAttenuation(0);
        light->SetQuadraticAttenuation(p.quadratic);
        break;
    default:
        light->SetConstantAttenuation(p.constant);
        light->SetLinearAttenuation(0);
        light->SetQuadraticAttenuation(0);
        break;
    }
    if (type == LightType::Spot) {
        light->SetRange(p.range);
        light->SetPenumbra(p.penumbra);
        light->SetUmbra(p.umbra);
    }

    frame->AddLight(light);
    auto* record = AttachRecord(*frame, std::make_unique<ObjectRecord>(kLight, FormatName("Light %s", names.light)));
    ++names.light;
    history_.Name("Create " + record->name);
    AttachRecord(*light, std::make_unique<LightRecord>());
    AddLightEntry(frame, *record);

    ClearSelection();
    selectedFrame_ = frame;
    currentVisual_ = lightIcons_[static_cast<int>(type)];
    pickedLight_ = light;
    hasSelection_ = true;
    return frame;
}

// --- duplication --------------------------------------------------------------------

FramePtr SceneModel::DuplicateObject(FramePtr source, FramePtr newParent)
{
    if (!source || !newParent || !RecordOf(source.get()) || source == scene_ || source == world_)
        return nullptr;
    // A copy placed inside its own source would be copied again while the
    // children are walked; copy the children as they were before.
    if (source->IsAncestorOf(newParent.get()))
        return nullptr;
    EditStep step(history_, "Copy " + RecordOf(source.get())->name);
    return duplicate(source, newParent, true);
}

FramePtr SceneModel::duplicate(const FramePtr& source, const FramePtr& newParent, bool top)
{
    const ObjectRecord* sourceRecord = RecordOf(source.get());
    if (!sourceRecord)
        return nullptr;  // auxiliary frames are not copied

    Vec3 position = source->GetPosition(scene_.get());
    Vec3 direction, up;
    source->GetOrientation(scene_.get(), direction, up);
    // The copy of the source comes into the scene; its children come with it.
    FramePtr clone = source->CloneTransformOnly(top ? nullptr : newParent.get());
    if (top)
        reparent(clone, newParent);
    bool topLevel = newParent == scene_;
    if (topLevel) {
        ClearSelection();
        selectedFrame_ = clone;
        hasSelection_ = true;
    }
    clone->SetPosition(scene_.get(), position);
    clone->SetOrientation(scene_.get(), direction, up);

    auto* record = AttachRecord(*clone, std::make_unique<ObjectRecord>());
    record->CopyScalarsFrom(*sourceRecord);
    if (record->looksAt)
        InstallLookAt(*clone, context_);
    RegisterObject(clone);

    if (record->kind == kObject) {
        for (const auto& visual : source->GetVisuals()) {
            const MeshRecord* meshRecord = RecordOf(visual.get());
            if (!meshRecord)
                continue;
            MeshBuilderPtr mesh = visual->Clone();
            AttachRecord(*mesh, meshRecord->CloneFor(clone));
            clone->AddVisual(mesh);
            if (topLevel)
                currentVisual_ = mesh;
            if (meshRecord->liveWrap)
                InstallLiveWrap(*clone, context_);
            else
                RemoveLiveWrap(*clone);
        }
    } else if (record->kind == kLight) {
        for (const auto& sourceLight : source->GetLights()) {
            for (const auto& visual : source->GetVisuals())
                clone->AddVisual(visual);
            LightPtr light = sourceLight->Clone();
            clone->AddLight(light);
            AttachRecord(*light, std::make_unique<LightRecord>());
            RegisterLight(light);
            AddLightEntry(clone, *record);
        }
    } else if (record->kind == kCamera) {
        clone->AddVisual(cameraIcon_);
        AddCameraEntry(clone, *record);
    }

    // Walk a snapshot: children are only ever added to the clone, not the source.
    auto children = source->GetChildren();
    for (const auto& child : children)
        duplicate(child, clone, false);
    return clone;
}

// --- deletion -------------------------------------------------------------------------

void SceneModel::DeleteObjectTree(FramePtr frame)
{
    if (!frame || frame == world_)
        return;
    const ObjectRecord* record = RecordOf(frame.get());
    // Opened first, so that the step knows the selection it clears.
    EditStep step(history_, "Delete " + (record ? record->name : std::string("Object")));
    if (selectedFrame_ && frame->IsAncestorOf(selectedFrame_.get()))
        ClearSelection();
    if (frame == scene_) {
        // Emptying SCENE takes the editor's own frames too, as New Scene
        // does; nothing recorded before can be put back into that.
        deleteTree(frame);
        history_.Clear();
        dirty_ = true;
        ui_.Notify(Notification::TreeChanged);
        objectsRemoved();
        return;
    }
    releaseLookAt(frame);
    // The camera light survives the camera it rode on.
    if (frame->IsAncestorOf(cameraLightFrame_.get()))
        world_->AddChild(cameraLightFrame_);
    removeTreeItems(*frame);
    reparent(frame, nullptr);
    unregisterTree(*frame);
    ui_.Notify(Notification::TreeChanged);
    objectsRemoved();
}

void SceneModel::objectsRemoved()
{
    if (onObjectsRemoved)
        onObjectsRemoved();
}

FramePtr SceneModel::frameOf(const ObjectRecord* record) const
{
    std::vector<Frame*> pending{world_.get()};
    while (!pending.empty()) {
        Frame* frame = pending.back();
        pending.pop_back();
        if (RecordOf(frame) == record)
            return frame->shared_from_this();
        for (const auto& child : frame->GetChildren())
            pending.push_back(child.get());
    }
    return nullptr;
}

void SceneModel::releaseLookAt(const FramePtr& frame)
{
    std::vector<FramePtr> subtree{frame};
    for (size_t i = 0; i < subtree.size(); ++i)
        for (const auto& child : subtree[i]->GetChildren())
            subtree.push_back(child);
    for (const FramePtr& member : subtree) {
        ObjectRecord* record = RecordOf(member.get());
        if (!record)
            continue;
        if (record->looksAt || !record->lookTarget.expired()) {
            history_.Touch<RecordAspect>(member);
            record->ClearLookTarget();
        }
        for (ObjectRecord* looker : std::vector<ObjectRecord*>(record->lookers)) {
            if (FramePtr lookerFrame = frameOf(looker))
                history_.Touch<RecordAspect>(lookerFrame);
            looker->ClearLookTarget();
        }
    }
}

FramePtr SceneModel::NewObjectFrame(const FramePtr& parent)
{
    FramePtr frame = Frame::Create();
    reparent(frame, parent ? parent : scene_);
    return frame;
}

FramePtr SceneModel::nextObjectSibling(const Frame& frame)
{
    const Frame* parent = frame.GetParent();
    if (!parent)
        return nullptr;
    const auto& siblings = parent->GetChildren();
    auto it = std::find_if(siblings.begin(), siblings.end(), [&](const FramePtr& c) { return c.get() == &frame; });
    for (++it; it < siblings.end(); ++it)
        if (RecordOf(it->get()))
            return *it;
    return nullptr;
}

void SceneModel::reparent(const FramePtr& frame, const FramePtr& parent)
{
    FrameMove move;
    move.frame = frame;
    if (Frame* from = frame->GetParent()) {
        move.fromParent = from->shared_from_this();
        move.fromNext = nextObjectSibling(*frame);
    }
    if (parent) {
        if (!parent->AddChild(frame))
            return;
        move.toParent = parent;
    } else if (Frame* from = frame->GetParent()) {
        from->DeleteChild(frame.get());
    }
    history_.Moved(std::move(move));
}

bool SceneModel::inScene(const Frame& frame) const
{
    return world_->IsAncestorOf(&frame);
}

void SceneModel::unregisterTree(Frame& frame)
{
    if (ObjectRecord* record = RecordOf(&frame)) {
        if (record->interpolator)
            master_->DetachObject(record->interpolator);
        if (record->kind == kCamera && record->menuCommand >= kCameraMenuBase &&
            UserCamera(record->menuCommand - kCameraMenuBase).get() == &frame)
            removeMenuEntry(*record);
        else if (record->kind == kLight && record->menuCommand >= kLightMenuBase &&
                 UserLight(record->menuCommand - kLightMenuBase).get() == &frame)
            removeMenuEntry(*record);
    }
    for (const auto& light : frame.GetLights())
        if (LightRecord* lightRecord = RecordOf(light.get()); lightRecord && lightRecord->interpolator)
            master_->DetachObject(lightRecord->interpolator);
    for (const auto& child : frame.GetChildren())
        unregisterTree(*child);
}

void SceneModel::registerTree(const FramePtr& frame)
{
    if (ObjectRecord* record = RecordOf(frame.get())) {
        if (record->interpolator)
            master_->AttachObject(record->interpolator);
        auto restoreEntry = [&](std::vector<FramePtr>& table, int base, bool camera) {
            const int n = record->menuCommand - base;
            if (n < 0 || n >= static_cast<int>(table.size()) || table[static_cast<size_t>(n)])
                return;
            table[static_cast<size_t>(n)] = frame;
            const UserMenuEntry entry{(camera ? "Camera " : "Light ") + std::to_string(n), record->menuCommand, n};
            if (camera) {
                ui_.AddUserCameraEntry(entry);
                ui_.Notify(Notification::CameraMenusChanged);
            } else {
                ui_.AddUserLightEntry(entry);
                ui_.Notify(Notification::LightMenusChanged);
            }
        };
        if (record->kind == kCamera && record->menuCommand >= kCameraMenuBase)
            restoreEntry(cameras_, kCameraMenuBase, true);
        else if (record->kind == kLight && record->menuCommand >= kLightMenuBase)
            restoreEntry(lights_, kLightMenuBase, false);
    }
    for (const auto& light : frame->GetLights())
        if (LightRecord* lightRecord = RecordOf(light.get()); lightRecord && lightRecord->interpolator)
            master_->AttachObject(lightRecord->interpolator);
    for (const auto& child : frame->GetChildren())
        registerTree(child);
}

void SceneModel::ReplayMoves(const std::vector<FrameMove>& moves, bool forward)
{
    if (moves.empty())
        return;
    for (const FrameMove& move : moves)
        removeTreeItems(*move.frame);
    auto place = [](const FrameMove& move, const FramePtr& parent, const FramePtr& next) {
        if (parent)
            parent->InsertChild(move.frame, next && next->GetParent() == parent.get() ? next.get() : nullptr);
        else if (Frame* from = move.frame->GetParent())
            from->DeleteChild(move.frame.get());
    };
    if (forward)
        for (const FrameMove& move : moves)
            place(move, move.toParent, move.toNext);
    else
        for (auto it = moves.rbegin(); it != moves.rend(); ++it)
            place(*it, it->fromParent, it->fromNext);

    bool removed = false;
    for (const FrameMove& move : moves) {
        if (inScene(*move.frame)) {
            registerTree(move.frame);
        } else {
            unregisterTree(*move.frame);
            removed = true;
        }
    }
    for (const FrameMove& move : moves)
        if (inScene(*move.frame))
            if (const ObjectRecord* record = RecordOf(move.frame.get()); record && !record->treeItem)
                insertTreeItem(move.frame);
    ui_.Notify(Notification::TreeChanged);
    if (removed)
        objectsRemoved();
}

void SceneModel::RestoreSelection(const SelectionState& selection)
{
    if (selection.frame && inScene(*selection.frame))
        SetSelection(selection.frame, selection.visual, selection.light);
    else
        ClearSelection();
}

size_t SceneModel::SubtreeBytes(const Frame& frame) const
{
    size_t bytes = 0;
    std::vector<const Frame*> pending{&frame};
    while (!pending.empty()) {
        const Frame* f = pending.back();
        pending.pop_back();
        const ObjectRecord* record = RecordOf(f);
        // Cameras and lights show the shared icons, which the scene keeps.
        if (record && record->kind != kCamera && record->kind != kLight)
            for (const auto& visual : f->GetVisuals())
                bytes += visual->MemoryBytes();
        for (const auto& child : f->GetChildren())
            pending.push_back(child.get());
    }
    return bytes;
}

void SceneModel::SetModified(bool modified)
{
    dirty_ = modified;
    if (!modified)
        history_.MarkSaved();
}

void SceneModel::deleteTree(const FramePtr& frame)
{
    auto children = frame->GetChildren();
    for (const auto& child : children) {
        if (child == cameraLightFrame_) {
            // The camera light survives the camera it rode on.
            world_->AddChild(child);
            continue;
        }
        deleteTree(child);
    }

    auto lights = frame->GetLights();
    for (const auto& light : lights) {
        if (light == cameraLight_)
            continue;
        if (LightRecord* lightRecord = RecordOf(light.get()))
            if (lightRecord->interpolator)
                master_->DetachObject(lightRecord->interpolator);
        light->SetAppData(nullptr);
        frame->DeleteLight(light.get());
    }

    ObjectRecord* record = RecordOf(frame.get());
    if (record) {
        record->ReleaseLookers();
        record->ClearLookTarget();
        if (record->kind != kLight && record->kind != kCamera)
            frame->DeleteAllVisuals();
    }

    unregisterAnimation(*frame);

    if (record) {
        removeMenuEntry(*record);
        if (record->treeItem)
            ui_.RemoveTreeItem(record->treeItem);
        frame->SetAppData(nullptr);
    }
    frame->DeleteMoveCallback(kLookAtCallbackTag);
    frame->DeleteMoveCallback(kLiveWrapCallbackTag);

    if (frame != scene_ && frame->GetParent())
        frame->GetParent()->DeleteChild(frame.get());
}

// --- new scene ----------------------------------------------------------------------------

void SceneModel::NewScene()
{
    // What the steps kept belongs to the scene that goes.
    history_.Clear();
    for (const auto& material : materials)
        material->SetAppData(nullptr);
    materials.clear();
    master_ = MasterInterpolator::Create();
    ClearSelection();

    if (ObjectRecord* sceneRecord = RecordOf(scene_.get()))
        if (sceneRecord->treeItem) {
            ui_.RemoveTreeItem(sceneRecord->treeItem);
            sceneRecord->treeItem = 0;
        }
    deleteTree(scene_);

    cameraCount_ = 0;
    lightCount_ = 0;
    for (auto& c : cameras_)
        c.reset();
    for (auto& l : lights_)
        l.reset();
    ui_.ResetUserMenus();

    AttachRecord(*scene_, std::make_unique<ObjectRecord>(kEmpty, "SCENE"));

    SceneProperties& props = world_->Scene();
    props.fogColor = {0, 0, 0, 1};
    props.fogEnabled = false;
    props.fogMethod = FogMethod::Any;
    props.fogMode = FogMode::Linear;
    props.fogStart = 0.5f;
    props.fogEnd = 100.0f;
    props.fogDensity = 0.0f;
    ui_.Notify(Notification::FogPanelChanged);

    // The picture goes with the scene; the grid and the light symbols show
    // again.
    settings_->fogChangeBoth = false;
    settings_->backgroundImageOn = false;
    settings_->backgroundImageName.clear();
    settings_->backgroundImagePath.clear();
    props.background = {0, 0, 0, 1};
    props.backgroundImage = nullptr;

    settings_->renderGrid = true;
    SetRenderLights(true);
    buildSceneAuxiliaries();
    if (ObjectRecord* worldRecord = RecordOf(world_.get()))
        if (worldRecord->treeItem) {
            ui_.RemoveTreeItem(worldRecord->treeItem);
            worldRecord->treeItem = 0;
        }
    RegisterObject(world_);
    RegisterObject(scene_);
    dirty_ = false;
    history_.MarkSaved();
    objectsRemoved();
    ui_.Notify(Notification::RedrawRequested);
}

void SceneModel::SetRenderGrid(bool on)
{
    if (settings_->renderGrid == on)
        return;
    settings_->renderGrid = on;
    if (on)
        gridFrame_->AddVisual(gridMesh_);
    else
        gridFrame_->DeleteVisual(gridMesh_.get());
    ui_.Notify(Notification::RedrawRequested);
}

void SceneModel::SetRenderLights(bool on)
{
    if (settings_->renderLights == on)
        return;
    settings_->renderLights = on;
    // Every light frame shows one of the five shared symbols, so emptying
    // them hides every symbol at once, those of lights made later too. A
    // hidden symbol cannot be picked either.
    for (size_t t = 0; t < lightIcons_.size(); ++t) {
        MeshBuilder& icon = *lightIcons_[t];
        if (on) {
            icon.SetContents(hiddenLightIcons_[t]);
            hiddenLightIcons_[t] = MeshContents{};
        } else {
            constexpr unsigned geometry = kMeshVertices | kMeshNormals | kMeshTextureCoordinates | kMeshVertexColors | kMeshFaces;
            hiddenLightIcons_[t] = icon.GetContents(geometry);
            icon.Empty();
        }
    }
    ui_.Notify(Notification::RedrawRequested);
}

void SceneModel::SetBackgroundImage(bool on, const std::string& name, const std::string& path)
{
    settings_->backgroundImageOn = on;
    settings_->backgroundImageName = name;
    settings_->backgroundImagePath = path;
}

void SceneModel::RestoreSettings(const SceneSettings& settings)
{
    SetRenderGrid(settings.renderGrid);
    SetRenderLights(settings.renderLights);
    *settings_ = settings;
    ui_.Notify(Notification::FogPanelChanged);
}

} // namespace corvid
