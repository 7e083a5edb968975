#include "tools/CreationGestures.h"

#include "scene/Ui.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "render/Picking.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"
#include "tools/Tools.h"
#include "tools/ToolMode.h"
#include "tools/TransformTools.h"

#include <algorithm>
#include <cmath>

namespace corvid {

namespace {

bool IsSuperquadric(int mode) { return mode == kModeSuperEllipsoid || mode == kModeSuperToroid; }
bool HasHeightStage(int mode) { return mode == kModeCube || mode == kModeCylinder || mode == kModeCone; }

float Floor(float extent) { return std::max(std::fabs(extent), kMinScaledExtent); }

// value doubled for every kShapePixels of travel, kept within the range
// the generators accept.
float Shaped(float start, float travelPixels, float most)
{
    return std::clamp(start * std::exp2(travelPixels / kShapePixels), kMinPrimitiveValue, most);
}

// Builds the unit primitive of the state's mode into its (empty) mesh.
bool Build(Tools& tools, CreationState& state)
{
    MeshBuilder& mesh = *state.mesh;
    const PrimitiveParameters& p = tools.primitives;
    switch (state.mode) {
    case kModeSphere:
        return BuildSphere(mesh, Clamp(p.sphere));
    case kModeSquare:
        return BuildSquare(mesh, Clamp(p.square));
    case kModeCube:
        return BuildCube(mesh, Clamp(p.cube));
    case kModeCylinder:
        return BuildCylinder(mesh, Clamp(p.cylinder));
    case kModeCone:
        return BuildCone(mesh, Clamp(p.cone));
    case kModeSuperEllipsoid:
        return BuildSuperellipsoid(mesh, state.ellipsoid);
    case kModeSuperToroid:
        return BuildSupertoroid(mesh, state.toroid);
    default:
        return false;
    }
}

// The normals each generator makes, again after a scale.
void RegenerateNormals(int mode, MeshBuilder& mesh)
{
    switch (mode) {
    case kModeCube:
    case kModeSquare:
        mesh.GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle | kGenerateNormalsPrecompact);
        break;
    case kModeCylinder:
    case kModeCone:
        mesh.GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
        break;
    default:
        mesh.GenerateNormals(0.0f, 0);
        break;
    }
}

// Scales the mesh to the wanted extents (an axis the mesh has no extent
// along, such as the square's height, is left alone) and places the frame.
void Apply(Tools& tools, CreationState& state)
{
    Vec3 current = state.mesh->GetBox().Size();
    auto factor = [](float want, float have) { return have > 1e-12f ? Floor(want) / have : 1.0f; };
    state.mesh->Scale(factor(state.size.x, current.x), factor(state.size.y, current.y),
                      factor(state.size.z, current.z));
    RegenerateNormals(state.mode, *state.mesh);
    state.frame->SetPosition(tools.scene().Scene().get(), state.origin + state.axisX * state.centre.x +
                                                       state.axisY * state.centre.y + state.axisZ * state.centre.z);
}

void Redraw(Tools& tools)
{
    tools.views().FitSelectionMarker();
    tools.views().RefreshObjectInfo();
    tools.ui().Notify(Notification::PanelsChanged);
    tools.views().RenderAllViews();
}

// Makes the object at the insertion point, at unit size. turnToView: turn
// its frame to an orthographic view (the mouse gesture; not the right-press
// creation, which has no sizing to follow).
bool Create(Tools& tools, CreationState& state, int mode, bool turnToView)
{
    state = CreationState{};
    state.mode = mode;
    state.ellipsoid = Clamp(tools.primitives.superellipsoid);
    state.toroid = Clamp(tools.primitives.supertoroid);
    state.mesh = tools.scene().BeginObjectCreation();
    state.frame = tools.scene().SelectedFrame();
    state.origin = tools.scene().insertionPoint;
    if (!state.mesh || !state.frame || !Build(tools, state)) {
        // Unreachable with clamped parameters; leave nothing half made.
        if (state.frame)
            tools.scene().DeleteObjectTree(state.frame);
        state = CreationState{};
        return false;
    }
    NameCounters& names = tools.scene().names;
    switch (mode) {
    case kModeSphere:
        tools.scene().FinishObjectCreation("Sphere %s", names.sphere);
        break;
    case kModeSquare:
    case kModeCube:
        tools.scene().FinishObjectCreation("Cube %s", names.cube);
        break;
    case kModeCylinder:
    case kModeCone:
        tools.scene().FinishObjectCreation("Cylinder %s", names.cylinder);
        break;
    case kModeSuperEllipsoid:
        tools.scene().FinishObjectCreation("SuperEllipsoid %s", names.superEllipsoid);
        break;
    default:
        tools.scene().FinishObjectCreation("SuperToroid %s", names.superToroid);
        break;
    }
    if (turnToView && tools.views().ActiveProjection() == Projection::Orthographic)
        if (auto axes = ActiveViewAxes(tools.views())) {
            // Base in the view plane, height towards the viewer.
            state.axisX = axes->Row(0);
            state.axisY = axes->Row(2) * -1.0f;
            state.axisZ = axes->Row(1);
            state.frame->SetOrientation(tools.scene().Scene().get(), state.axisZ, state.axisY);
        }
    state.size = state.mesh->GetBox().Size();
    state.unitsPerPixel = UnitsPerPixel(tools.views(), state.origin).value_or(0.0f);
    return true;
}

// The cursor's offset from the creation point on the working plane, in the
// object's axes (x and z across the base, y its height). Null off the plane.
std::optional<Vec3> CursorOffset(Tools& tools, const CreationState& state, int x, int y)
{
    auto point = WorkingPlanePoint(tools.views(), state.origin, x, y);
    if (!point)
        return std::nullopt;
    Vec3 offset = *point - state.origin;
    if (tools.scene().grid.on) {
        offset.x = Snap(offset.x, tools.scene().grid.stepX);
        offset.z = Snap(offset.z, tools.scene().grid.stepZ);
        if (tools.views().ActiveProjection() == Projection::Orthographic)
            offset.y = Snap(offset.y, tools.scene().grid.stepZ);
    }
    return Vec3{Dot(offset, state.axisX), Dot(offset, state.axisY), Dot(offset, state.axisZ)};
}

// Upward cursor travel since the stage began, in scene units at the
// creation point.
float UpwardTravel(const CreationState& state, int y)
{
    return static_cast<float>(state.stageY - y) * state.unitsPerPixel;
}

// The first stage: the held button sizes the object from the cursor point.
void SizeFromCursor(Tools& tools, CreationState& state, int x, int y)
{
    auto offset = CursorOffset(tools, state, x, y);
    if (!offset)
        return;
    const float distance = std::sqrt(offset->x * offset->x + offset->z * offset->z);
    const float across = Floor(2.0f * distance);
    switch (state.mode) {
    case kModeSphere:
        state.size = {across, across, across};
        break;
    case kModeSquare:
        state.size = {Floor(2.0f * offset->x), 0.0f, Floor(2.0f * offset->z)};
        break;
    case kModeCube:
    case kModeCylinder:
    case kModeCone: {
        const SizingStyle style = state.mode == kModeCube       ? tools.primitives.cube.sizing
                                  : state.mode == kModeCylinder ? tools.primitives.cylinder.sizing
                                                                : tools.primitives.cone.sizing;
        // The base lies flat until the height stage.
        if (style == SizingStyle::FromCentre) {
            state.size = {across, kMinScaledExtent, across};
            state.centre = {};
        } else {
            state.size = {Floor(offset->x), kMinScaledExtent, Floor(offset->z)};
            state.centre = {offset->x * 0.5f, 0.0f, offset->z * 0.5f};
        }
        break;
    }
    case kModeSuperEllipsoid: {
        // Uniform: the wider of x and z reaches the cursor.
        const SuperellipsoidParameters& p = state.ellipsoid;
        const float k = across / (2.0f * std::max(p.scaleX, p.scaleZ));
        state.size = {Floor(2.0f * p.scaleX * k), Floor(2.0f * p.scaleY * k), Floor(2.0f * p.scaleZ * k)};
        break;
    }
    case kModeSuperToroid: {
        const SupertoroidParameters& p = state.toroid;
        state.size = {across, Floor(across * p.tubeRadius / (p.ringRadius + p.tubeRadius)), across};
        break;
    }
    default:
        return;
    }
    Apply(tools, state);
}

// The height of a cube, cylinder or cone: the base stays on the plane.
void SizeHeight(Tools& tools, CreationState& state, int y)
{
    const float height = UpwardTravel(state, y);
    state.size.y = Floor(height);
    state.centre.y = (height < 0.0f ? -0.5f : 0.5f) * state.size.y;
    Apply(tools, state);
}

// A superquadric's height, stretched about its middle.
void StretchHeight(Tools& tools, CreationState& state, int y)
{
    state.size.y = Floor(state.stageHeight + 2.0f * UpwardTravel(state, y));
    Apply(tools, state);
}

// Rebuilds a superquadric with its new shape, at the size reached.
void Reshape(Tools& tools, CreationState& state)
{
    state.mesh->Empty();
    if (!Build(tools, state))
        return;
    Apply(tools, state);
}

void ShapeExponents(Tools& tools, CreationState& state, int x, int y)
{
    const float e1 = Shaped(state.stageExponent1, static_cast<float>(x - state.stageX), kMaxSuperExponent);
    const float e2 = Shaped(state.stageExponent2, static_cast<float>(state.stageY - y), kMaxSuperExponent);
    if (state.mode == kModeSuperEllipsoid) {
        state.ellipsoid.exponent1 = e1;
        state.ellipsoid.exponent2 = e2;
    } else {
        state.toroid.exponent1 = e1;
        state.toroid.exponent2 = e2;
    }
    Reshape(tools, state);
}

void ShapeTube(Tools& tools, CreationState& state, int y)
{
    SupertoroidParameters& p = state.toroid;
    p.tubeRadius = Shaped(state.stageTube, static_cast<float>(state.stageY - y), kMaxPrimitiveExtent);
    // The outer size stays; the tube's height follows its thickness.
    state.size.y = Floor(state.stageHeight * p.tubeRadius / state.stageTube *
                         (p.ringRadius + state.stageTube) / (p.ringRadius + p.tubeRadius));
    Reshape(tools, state);
}

// Begins a later stage at the cursor (x, y).
void NextStage(Tools& tools, CreationState& state, int x, int y)
{
    ++tools.stage;
    state.stageX = x;
    state.stageY = y;
    const bool ellipsoid = state.mode == kModeSuperEllipsoid;
    state.stageExponent1 = ellipsoid ? state.ellipsoid.exponent1 : state.toroid.exponent1;
    state.stageExponent2 = ellipsoid ? state.ellipsoid.exponent2 : state.toroid.exponent2;
    state.stageTube = state.toroid.tubeRadius;
    state.stageHeight = state.size.y;
}

} // namespace

bool IsCreationMode(int mode)
{
    return (mode >= kModeSphere && mode <= kModeSuperToroid) || mode == kModeCone;
}

namespace creation {

void Settle(Tools& tools, CreationState& state)
{
    tools.stage = 0;
    if (!state.Pending())
        return;
    CreationState done = std::move(state);
    state = CreationState{};
    // Deleted while it was being made: nothing left to register.
    if (!tools.scene().Scene()->IsAncestorOf(done.frame.get()) || done.frame == tools.scene().Scene())
        return;
    tools.scene().RegisterObject(done.frame);
}

void Press(Tools& tools, CreationState& state, bool left, bool first, int x, int y)
{
    const int mode = tools.mode;
    if (!left) {
        // (A right press during a creation cancels it before reaching here.)
        if (first && !state.Pending() &&
            (mode == kModeSphere || mode == kModeCylinder || mode == kModeCone)) {
            if (Create(tools, state, mode, false))
                Settle(tools, state);
            Redraw(tools);
        }
        return;
    }
    if (!first)
        return;
    const int stage = tools.stage;
    if (state.Pending() && state.mode == mode && stage >= 2) {
        if (HasHeightStage(mode))
            tools.stage = 0;  // the height is fixed; the release registers
        else if (stage == (mode == kModeSuperEllipsoid ? 3 : 4))
            Settle(tools, state);
        else
            NextStage(tools, state, x, y);
        return;
    }
    Settle(tools, state);  // anything left from an interrupted gesture
    tools.views().Pick(x, y);
    if (!Create(tools, state, mode, true))
        return;
    state.stageX = x;
    state.stageY = y;
    // Unit size until the cursor moves, so a click alone leaves a usable object.
    tools.stage = 1;
}

void Move(Tools& tools, CreationState& state, bool buttonDown, int x, int y)
{
    if (!state.Pending() || state.mode != tools.mode)
        return;
    const int stage = tools.stage;
    if (stage == 1) {
        if (!buttonDown)
            return;
        SizeFromCursor(tools, state, x, y);
    } else if (stage == 2 && HasHeightStage(state.mode)) {
        SizeHeight(tools, state, y);
    } else if (stage == 2 && IsSuperquadric(state.mode)) {
        ShapeExponents(tools, state, x, y);
    } else if (stage == 3 && state.mode == kModeSuperToroid) {
        ShapeTube(tools, state, y);
    } else if (stage >= 3 && IsSuperquadric(state.mode)) {
        StretchHeight(tools, state, y);
    } else {
        return;
    }
    Redraw(tools);
}

void Release(Tools& tools, CreationState& state, bool left, int x, int y)
{
    if (!left || !state.Pending() || state.mode != tools.mode)
        return;
    const int stage = tools.stage;
    if (stage == 1 && (state.mode == kModeSphere || state.mode == kModeSquare)) {
        Settle(tools, state);
    } else if (stage == 1) {
        NextStage(tools, state, x, y);
    } else if (stage == 0) {
        Settle(tools, state);  // the press fixed the height
    }
}

} // namespace creation
} // namespace corvid
