#include "tools/PatchGesture.h"

#include "geometry/Patch.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "render/ViewSet.h"
#include "scene/ObjectKind.h"
#include "scene/Ui.h"
#include "tools/ToolDragState.h"
#include "tools/Tools.h"
#include "tools/TransformTools.h"

#include <algorithm>
#include <cmath>

namespace corvid {

namespace {
constexpr float kMinPatchExtent = 0.0001f;
} // namespace

bool BeginPatchGesture(Tools& tools, ToolDragState& drag, int patchType)
{
    if (auto problem = PatchParametersProblem(patchType, tools.patches.Of(patchType))) {
        tools.ui().ShowMessage(*problem);
        drag.frame.reset();
        return false;
    }
    Frame* scene = tools.scene().Scene().get();
    FramePtr box = Frame::Create(scene);
    auto mesh = MeshBuilder::Create();
    for (int i = 0; i < 8; ++i)
        mesh->AddVertex({i & 1 ? 0.5f : -0.5f, i & 2 ? 0.5f : -0.5f, i & 4 ? 0.5f : -0.5f});
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& f : faces)
        mesh->AddFace(f);
    mesh->GenerateNormals(0.0f, 0);
    if (patchType == kPatchCatmullRom)
        mesh->SetColorRGB(1.0f, 0.5f, 0.0f);
    else
        mesh->SetColorRGB(0.0f, 0.5f, 1.0f);
    box->AddVisual(mesh);
    box->SetPosition(scene, tools.scene().insertionPoint);
    drag.frame = box;
    drag.startPosition = tools.scene().insertionPoint;
    return true;
}

void DragPatchGesture(Tools& tools, ToolDragState& drag, int x, int y)
{
    if (!drag.frame)
        return;
    const Vec3 centre = drag.startPosition;
    float sx = 0.0f, sz = 0.0f;
    bool sized = false;
    if (auto ray = CursorRayAt(tools.views(), x, y); ray && std::fabs(ray->direction.y) > 1e-6f) {
        const float t = (centre.y - ray->origin.y) / ray->direction.y;
        if (t > 0.0f) {
            const Vec3 hit = ray->origin + ray->direction * t;
            sx = 2.0f * std::fabs(hit.x - centre.x);
            sz = 2.0f * std::fabs(hit.z - centre.z);
            sized = true;
        }
    }
    if (!sized) {
        // The plane is seen edge-on (or behind the camera): size by pixels.
        auto unit = UnitsPerPixel(tools.views(), centre);
        if (!unit)
            return;
        sx = 2.0f * static_cast<float>(std::abs(x - drag.pressX)) * *unit;
        sz = 2.0f * static_cast<float>(std::abs(y - drag.pressY)) * *unit;
    }
    Frame* scene = tools.scene().Scene().get();
    const Vec3 scale{std::max(sx, kMinPatchExtent), kPatchBoxThickness, std::max(sz, kMinPatchExtent)};
    drag.frame->SetTransform(scene, Matrix4::Scale(scale) * Matrix4::Translation(centre));
    tools.views().RenderAllViews();
}

FramePtr EndPatchGesture(Tools& tools, ToolDragState& drag, int patchType)
{
    FramePtr box = std::move(drag.frame);
    drag.frame.reset();
    if (!box)
        return nullptr;
    Frame* scene = tools.scene().Scene().get();
    const Box bounds = box->GetHierarchyBox().Transformed(box->GetTransform(scene));
    const Vec3 position = box->GetPosition(scene);
    box->DeleteAllVisuals();
    if (Frame* parent = box->GetParent())
        parent->DeleteChild(box.get());
    tools.scene().ClearSelection();
    return CreatePatch(tools.scene(), tools.patches, patchType, position, bounds.max.x - bounds.min.x, bounds.max.z - bounds.min.z);
}

} // namespace corvid
