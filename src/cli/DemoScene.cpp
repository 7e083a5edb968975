#include "cli/DemoScene.h"

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/Editor.h"

namespace corvid {

namespace {
void BuildBox(MeshBuilder& mesh, float half)
{
    for (int i = 0; i < 8; ++i)
        mesh.AddVertex({(i & 1) ? half : -half, (i & 2) ? half : -half, (i & 4) ? half : -half});
    const int quads[6][4] = {{0, 2, 3, 1}, {5, 7, 6, 4}, {4, 6, 2, 0}, {1, 3, 7, 5}, {2, 6, 7, 3}, {4, 0, 1, 5}};
    for (const auto& q : quads)
        mesh.AddFace(q);
}
} // namespace

void BuildDemoScene(Editor& editor)
{
    editor.insertionPoint = {0, 0, 0};
    MeshBuilderPtr mesh = editor.BeginObjectCreation();
    BuildBox(*mesh, 0.5f);
    mesh->GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
    editor.FinishObjectCreation("Cube %s", editor.names.cube);
    FramePtr box = editor.SelectedFrame();
    editor.RegisterObject(box);

    FramePtr copy = editor.DuplicateObject(box, editor.Scene());
    copy->SetPosition(editor.Scene().get(), {2, 0, 0});

    editor.insertionPoint = {0, 2, -5};
    FramePtr camera = editor.CreateCamera();
    camera->LookAt(*box, editor.Scene().get());
    editor.RegisterObject(camera);

    // Dim lights: together with the camera light they should not wash the
    // boxes' colours out to white.
    editor.lightTools[static_cast<int>(LightType::Point)].color = {0.35f, 0.35f, 0.3f, 1};
    editor.lightTools[static_cast<int>(LightType::Spot)].color = {0.3f, 0.3f, 0.35f, 1};
    editor.insertionPoint = {3, 4, -2};
    editor.RegisterObject(editor.CreateLight(LightType::Point));
    editor.insertionPoint = {-3, 4, -2};
    FramePtr spot = editor.CreateLight(LightType::Spot);
    spot->LookAt(*box, editor.Scene().get());
    editor.RegisterObject(spot);
    editor.ClearSelection();
}

} // namespace corvid
