#include "app/Controller.h"

#include "app/Editor.h"
#include "geometry/Patch.h"
#include "platform/Frame.h"
#include "render/MenuModel.h"
#include "scene/EditParts.h"

#include <algorithm>

namespace corvid {

namespace {

constexpr float kStepScale = 0.0002f;
constexpr const char* kClientName = "Corvid";
constexpr const char* kStepName = "Controller Move";

// The unit vector of axis 0, 1 or 2.
Vec3 Unit(int axis)
{
    return {axis == 0 ? 1.0f : 0.0f, axis == 1 ? 1.0f : 0.0f, axis == 2 ? 1.0f : 0.0f};
}

float& Component(Vec3& v, int axis)
{
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

} // namespace

void ShowInputDeviceItem(MenuModel& mainMenu, bool available)
{
    MenuItem* options = mainMenu.FindPopup("Options");
    if (!options)
        return;
    auto& items = options->items;
    const auto found =
        std::find_if(items.begin(), items.end(), [](const MenuItem& i) { return i.command == kCmdInputDevice; });
    if (available == (found != items.end()))
        return;
    if (available)
        items.push_back(MenuItem::Command(kCmdInputDevice, kInputDeviceText));
    else
        items.erase(found);
    mainMenu.Touch();
}

void ComputeSteps(ControllerSettings& settings, const ControllerMotion& motion)
{
    const int raw[kControllerAxisCount] = {motion.x, motion.y, -motion.z, -motion.rx, -motion.ry, motion.rz};
    for (int i = 0; i < kControllerAxisCount; ++i) {
        ControllerAxis& axis = settings.axes[static_cast<size_t>(i)];
        axis.step = axis.enabled ? static_cast<float>(raw[i]) * axis.sensitivity * kStepScale : 0.0f;
    }
}

Controller::Controller(Editor& editor) : editor_(editor) {}

Controller::~Controller()
{
    EndBurst();
}

bool Controller::Connect(std::unique_ptr<ControllerLink> link)
{
    disconnect();
    if (!link || !link->Open(kClientName))
        return false;
    link_ = std::move(link);
    return true;
}

int Controller::Fd() const
{
    return link_ ? link_->Fd() : -1;
}

void Controller::disconnect()
{
    EndBurst();
    if (link_)
        link_->Close();
    link_.reset();
}

void Controller::EndBurst()
{
    if (!burst_)
        return;
    burst_ = false;
    editor_.scene.History().End();
}

Controller::PumpResult Controller::Pump(double now)
{
    if (!link_)
        return PumpResult::Disconnected;
    // Only the last motion counts: the queue is emptied before anything moves.
    bool motion = false;
    ControllerMotion last;
    ControllerEvent event;
    for (;;) {
        const ControllerLink::Read read = link_->Next(event);
        if (read == ControllerLink::Read::Closed) {
            disconnect();
            return PumpResult::Disconnected;
        }
        if (read == ControllerLink::Read::Empty)
            break;
        // Buttons are recognised and do nothing.
        if (event.kind == ControllerEvent::Kind::Motion) {
            motion = true;
            last = event.motion;
        }
    }
    if (!motion || editor_.fullScreen.Switching())
        return PumpResult::Idle;
    ComputeSteps(settings, last);
    return MoveTarget(now) ? PumpResult::Moved : PumpResult::Idle;
}

bool Controller::MoveTarget(double now)
{
    SceneModel& scene = editor_.scene;
    ViewSet& views = editor_.views;
    FramePtr target;
    bool isCamera = false;
    if (settings.target == kTargetObject) {
        if (scene.HasSelection())
            target = scene.SelectedFrame();
    } else {
        // Only a camera the viewport looks through (an object, a user camera
        // or light) is flown; the standard views stay put. Full screen, the
        // viewport it came from decides.
        const int n = views.activeViewport == 0 ? editor_.fullScreen.SourceViewport() : views.activeViewport;
        if (n >= 1 && n <= 4) {
            const ViewRecord& view = views.Viewport(n);
            if (view.camera && view.camera == view.cameras[kViewObject])
                target = view.camera;
        }
        isCamera = true;
    }
    if (!target)
        return false;

    if (!burst_) {
        scene.History().Begin(kStepName);
        burst_ = true;
    }
    scene.History().Touch<TransformAspect>(target);
    moveFrame(*target, isCamera);
    if (!isCamera)
        ReevaluatePatch(scene, editor_.tools.patches, *target);  // a control point re-shapes its patch
    editor_.transport.RecorderSample(target, scene.Scene(), now);

    scene.Scene()->Move(1.0f);
    views.RefreshObjectInfo();
    views.FitSelectionMarker();
    views.RenderAllViews();
    return true;
}

void Controller::moveFrame(Frame& frame, bool isCamera)
{
    const Frame* sceneRoot = editor_.scene.Scene().get();
    const Frame* camera = editor_.scene.ActiveCamera().get();
    auto referenceOf = [&](int reference) -> const Frame* {
        if (reference == kReferenceScene)
            return sceneRoot;
        if (isCamera)  // the camera's own axes; "own" means nothing more for it
            return reference == kReferenceCamera ? &frame : nullptr;
        if (reference == kReferenceOwn)
            return &frame;
        return reference == kReferenceCamera ? camera : nullptr;
    };

    for (int i = 0; i < 3; ++i) {
        const ControllerAxis& axis = settings.axes[static_cast<size_t>(i)];
        const Frame* reference = axis.enabled ? referenceOf(axis.reference) : nullptr;
        if (!reference || axis.step == 0.0f)
            continue;
        if (reference == &frame) {
            frame.AddTranslation(Combine::Before, Unit(i) * axis.step);
        } else {
            Vec3 position = frame.GetPosition(reference);
            Component(position, i) += axis.step;
            frame.SetPosition(reference, position);
        }
    }
    for (int i = 0; i < 3; ++i) {
        const ControllerAxis& axis = settings.axes[static_cast<size_t>(kAxisRx + i)];
        const Frame* reference = axis.enabled ? referenceOf(axis.reference) : nullptr;
        if (!reference || axis.step == 0.0f)
            continue;
        frame.SetRotation(reference, Unit(i), axis.step);
        frame.Move(1.0f);
        frame.SetRotation(reference, Unit(i), 0.0f);
    }
}

} // namespace corvid
