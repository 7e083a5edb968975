#include "app/DemoScene.h"

#include "geometry/Patch.h"
#include "geometry/Primitives.h"
#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/MeshBuilder.h"
#include "app/Editor.h"
#include "scene/ObjectKind.h"
#include "scene/Records.h"

#include <functional>

namespace corvid {

namespace {

// Makes a mesh object through the editor's creation steps, so it is named,
// coloured and registered like one the person made.
FramePtr MakeObject(Editor& editor, const Vec3& at, const char* pattern, int& counter,
                    const std::function<void(MeshBuilder&)>& build)
{
    editor.scene.insertionPoint = at;
    MeshBuilderPtr mesh = editor.scene.BeginObjectCreation();
    build(*mesh);
    editor.scene.FinishObjectCreation(pattern, counter);
    FramePtr frame = editor.scene.SelectedFrame();
    editor.scene.RegisterObject(frame);
    return frame;
}

} // namespace

void BuildDemoScene(Editor& editor)
{
    // The same colours every time, so pictures of the demo can be compared.
    auto random = editor.scene.randomDigit;
    unsigned state = 20240917u;
    editor.scene.randomDigit = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 16) % 10);
    };

    // The primitives as their tools make them, sized as a drag would.
    FramePtr box = MakeObject(editor, {-4.5f, 2.0f, 0.0f}, "Cube %s", editor.scene.names.cube, [](MeshBuilder& mesh) {
        BuildCube(mesh, CubeParameters{});
        mesh.Scale(4.0f, 4.0f, 4.0f);
    });
    box->AddRotation(Combine::Before, {0, 1, 0}, 0.5f);

    MakeObject(editor, {1.0f, 2.5f, 1.0f}, "Sphere %s", editor.scene.names.sphere, [](MeshBuilder& mesh) {
        BuildSphere(mesh, SphereParameters{});
        mesh.Scale(2.5f, 2.5f, 2.5f);
    });

    FramePtr slab = MakeObject(editor, {6.0f, 1.0f, -2.0f}, "Cube %s", editor.scene.names.cube, [](MeshBuilder& mesh) {
        BuildCube(mesh, CubeParameters{});
        mesh.Scale(3.0f, 2.0f, 6.0f);
    });
    FramePtr copy = editor.scene.DuplicateObject(slab, editor.scene.Scene());
    copy->SetPosition(editor.scene.Scene().get(), {6.0f, 3.0f, -2.0f});
    copy->AddRotation(Combine::Before, {0, 1, 0}, 0.8f);

    // To the sides and behind, out of the way of the shapes in front.
    MakeObject(editor, {-11.0f, 0.6f, 2.0f}, "SuperToroid %s", editor.scene.names.superToroid, [](MeshBuilder& mesh) {
        BuildSupertoroid(mesh, SupertoroidParameters{});
        mesh.Scale(3.0f, 3.0f, 3.0f);
    });
    MakeObject(editor, {11.0f, 1.75f, 2.0f}, "Cylinder %s", editor.scene.names.cylinder, [](MeshBuilder& mesh) {
        BuildCone(mesh, CylinderParameters{32, 3, true, SizingStyle::FromCentre});
        mesh.Scale(1.75f, 3.5f, 1.75f);
    });
    MakeObject(editor, {-8.0f, 1.5f, -8.0f}, "SuperEllipsoid %s", editor.scene.names.superEllipsoid, [](MeshBuilder& mesh) {
        BuildSuperellipsoid(mesh, SuperellipsoidParameters{});
        mesh.Scale(1.5f, 1.5f, 1.5f);
    });

    // A B-spline patch behind them, its middle pulled up into a hill.
    if (FramePtr patch = CreatePatch(editor.scene, editor.tools.patches, kPatchBSpline, {2.0f, 0.0f, 11.0f}, 12.0f, 6.0f)) {
        for (const FramePtr& point : patch->GetChildren().at(0)->GetChildren()) {
            const ObjectRecord* record = RecordOf(point.get());
            if (record && record->kind == kControlPoint && record->cpRow == 3 && record->cpColumn == 3) {
                point->AddTranslation(Combine::Before, {0.0f, 8.0f, 0.0f});
                ReevaluatePatch(editor.scene, editor.tools.patches, *point);
            }
        }
    }

    editor.scene.insertionPoint = {0.0f, 8.0f, -16.0f};
    FramePtr camera = editor.scene.CreateCamera();
    camera->LookAt(*editor.scene.Scene(), editor.scene.Scene().get());
    editor.scene.RegisterObject(camera);

    editor.scene.insertionPoint = {8.0f, 10.0f, -6.0f};
    FramePtr point = editor.scene.CreateLight(LightType::Point, editor.tools.lightTools[static_cast<int>(LightType::Point)]);
    editor.scene.RegisterObject(point);
    editor.scene.RegisterLight(point->GetLights()[0]);
    editor.scene.insertionPoint = {-8.0f, 9.0f, -5.0f};
    FramePtr spot = editor.scene.CreateLight(LightType::Spot, editor.tools.lightTools[static_cast<int>(LightType::Spot)]);
    spot->LookAt(*box, editor.scene.Scene().get());
    editor.scene.RegisterObject(spot);
    // Lights are animated through their own interpolators and key lists.
    editor.scene.RegisterLight(spot->GetLights()[0]);

    editor.scene.ClearSelection();
    editor.scene.randomDigit = random;
    // The demo is where the person starts: nothing to undo, nothing to save.
    editor.scene.History().Clear();
    editor.scene.SetModified(false);
}

} // namespace corvid
