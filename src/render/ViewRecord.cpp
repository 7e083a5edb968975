#include "render/ViewRecord.h"

#include "platform/Frame.h"

namespace corvid {

ViewParameters ViewRecord::Parameters() const
{
    ViewParameters p;
    p.field = *field;
    p.projection = projection;
    p.back = 10000.0f;
    return p;
}

void ViewRecord::UseStandardView(int slot)
{
    if (slot < 0 || slot >= kStandardViewCount)
        return;
    auto s = static_cast<size_t>(slot);
    camera = cameras[s];
    field = &fields[s];
    projection = projections[s];
    if (slot != kViewObject)
        standardView = slot;
}

void ViewRecord::CheckView(int command)
{
    menu.Check(viewCommand, false);
    menu.Check(command, true);
    viewCommand = command;
}

int InitialStandardView(int viewport)
{
    switch (viewport) {
    case 1: return kViewPerspective;
    case 2: return kViewLeft;
    case 3: return kViewTop;
    case 4: return kViewFront;
    default: return kViewPerspective;
    }
}

void CreateStandardViews(ViewRecord& view, int viewport, Frame& world, const Frame& scene)
{
    view.viewRoot = Frame::Create(&world);
    view.pivot = Frame::Create(view.viewRoot.get());
    // The perspective camera looks along the pivot's z axis from behind it,
    // so orbiting turns the pivot and dollying slides the camera.
    view.cameras[kViewPerspective] = Frame::Create(view.pivot.get());
    for (int slot = kViewTop; slot <= kViewBack; ++slot)
        view.cameras[static_cast<size_t>(slot)] = Frame::Create(&world);
    ResetStandardViews(view, viewport, world, scene);
}

void ResetStandardViews(ViewRecord& view, int viewport, const Frame& world, const Frame& scene)
{
    view.viewRoot->SetTransform(&world, Matrix4::Identity());
    view.pivot->SetTransform(view.viewRoot.get(), Matrix4::Identity());
    view.pivot->SetOrientation(view.viewRoot.get(), {0.0f, -0.25f, 1.0f}, {0.0f, 1.0f, 0.25f});
    FramePtr perspective = view.cameras[kViewPerspective];
    perspective->SetTransform(view.pivot.get(), Matrix4::Identity());
    perspective->SetPosition(view.pivot.get(), {0.0f, 0.0f, -30.0f});

    struct Preset {
        int slot;
        Vec3 position, direction, up;
    };
    static const Preset presets[] = {
        {kViewTop, {0, 100, 0}, {0, -1, 0}, {0, 0, 1}},
        {kViewBottom, {0, -100, 0}, {0, 1, 0}, {1, 0, 0}},
        {kViewRight, {100, 0, 0}, {-1, 0, 0}, {0, 1, 0}},
        {kViewLeft, {-100, 0, 0}, {1, 0, 0}, {0, 1, 0}},
        {kViewFront, {0, 0, -100}, {0, 0, 1}, {0, 1, 0}},
        {kViewBack, {0, 0, 100}, {0, 0, -1}, {0, 1, 0}},
    };
    for (const Preset& p : presets) {
        Frame& camera = *view.cameras[static_cast<size_t>(p.slot)];
        camera.SetPosition(&scene, p.position);
        camera.SetOrientation(&scene, p.direction, p.up);
    }
    view.cameras[kViewObject].reset();
    view.fields = kStandardFields;

    const int slot = InitialStandardView(viewport);
    view.UseStandardView(slot);
    if (viewport >= 1 && viewport <= 4)
        view.CheckView(kViewCommands[static_cast<size_t>(viewport - 1)][static_cast<size_t>(slot)]);
}

} // namespace corvid
