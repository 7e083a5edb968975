#include "scene/DemoScene.h"

#include "scene/SimpleShapes.h"
#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/MeshBuilder.h"
#include "scene/Editor.h"

#include <functional>

namespace corvid {

namespace {

// Makes a mesh object through the editor's creation steps, so it is named,
// coloured and registered like one the person made.
FramePtr MakeObject(Editor& editor, const Vec3& at, const char* pattern, int& counter,
                    const std::function<void(MeshBuilder&)>& build)
{
    editor.insertionPoint = at;
    MeshBuilderPtr mesh = editor.BeginObjectCreation();
    build(*mesh);
    editor.FinishObjectCreation(pattern, counter);
    FramePtr frame = editor.SelectedFrame();
    editor.RegisterObject(frame);
    return frame;
}

} // namespace

void BuildDemoScene(Editor& editor)
{
    // The same colours every time, so pictures of the demo can be compared.
    auto random = editor.randomDigit;
    unsigned state = 20240917u;
    editor.randomDigit = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 16) % 10);
    };

    FramePtr box = MakeObject(editor, {-4.5f, 2.0f, 0.0f}, "Cube %s", editor.names.cube, [](MeshBuilder& mesh) {
        AddBox(mesh, 2.0f, 2.0f, 2.0f);
        mesh.GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
    });
    box->AddRotation(Combine::Before, {0, 1, 0}, 0.5f);

    MakeObject(editor, {1.0f, 2.5f, 1.0f}, "Sphere %s", editor.names.sphere, [](MeshBuilder& mesh) {
        AddUvSphere(mesh, 2.5f, 20, 32);
        mesh.GenerateNormals(kPi, kGenerateNormalsPrecompact);
    });

    FramePtr slab = MakeObject(editor, {6.0f, 1.0f, -2.0f}, "Cube %s", editor.names.cube, [](MeshBuilder& mesh) {
        AddBox(mesh, 1.5f, 1.0f, 3.0f);
        mesh.GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
    });
    FramePtr copy = editor.DuplicateObject(slab, editor.Scene());
    copy->SetPosition(editor.Scene().get(), {6.0f, 3.0f, -2.0f});
    copy->AddRotation(Combine::Before, {0, 1, 0}, 0.8f);

    editor.insertionPoint = {0.0f, 8.0f, -16.0f};
    FramePtr camera = editor.CreateCamera();
    camera->LookAt(*editor.Scene(), editor.Scene().get());
    editor.RegisterObject(camera);

    editor.insertionPoint = {8.0f, 10.0f, -6.0f};
    editor.RegisterObject(editor.CreateLight(LightType::Point));
    editor.insertionPoint = {-8.0f, 9.0f, -5.0f};
    FramePtr spot = editor.CreateLight(LightType::Spot);
    spot->LookAt(*box, editor.Scene().get());
    editor.RegisterObject(spot);

    editor.ClearSelection();
    editor.randomDigit = random;
}

} // namespace corvid
