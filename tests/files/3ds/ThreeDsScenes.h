#pragma once
// The scenes the 3DS tests write: objects, groups, materials and lights made
// the way the editor makes them.

#include "files/FilesFixture.h"

#include "platform/Frame.h"
#include "platform/ImageService.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"

#include <gtest/gtest.h>

namespace corvid::testing {

inline void WriteBitmap(const std::string& path, int size, uint8_t red)
{
    Image image;
    image.width = image.height = size;
    image.rgba.assign(static_cast<size_t>(size * size * 4), 255);
    for (size_t i = 0; i < image.rgba.size(); i += 4)
        image.rgba[i] = red;
    ASSERT_TRUE(WriteResizedBmp(image, path, size, size));
}

inline MaterialPtr MakeMaterial(SceneModel& scene, const std::string& name, float red, float power, float alpha,
                         const std::string& texture, const std::string& file)
{
    MaterialPtr material = Material::Create(power);
    auto record = std::make_unique<MaterialRecord>();
    record->id = ++scene.materialIdCounter;
    record->name = name;
    record->diffuse[0] = red;
    record->diffuse[1] = 0.2f;
    record->diffuse[2] = 0.6f;
    record->specular[0] = record->specular[1] = record->specular[2] = 0.4f;
    record->ambient[0] = 0.1f;
    record->power = power;
    record->alpha = alpha;
    record->textureName = texture;
    record->textureFile = file;
    AttachRecord(*material, std::move(record));
    scene.materials.push_back(material);
    return material;
}

// A mesh object named name under parent: a pyramid of four triangles on a
// quad base, turned and moved by its own frame.
inline FramePtr Pyramid(SceneModel& scene, const std::string& name, const FramePtr& parent, const Vec3& at,
                 const MaterialPtr& side, const MaterialPtr& base)
{
    FramePtr frame = scene.NewObjectFrame(parent);
    AttachRecord(*frame, std::make_unique<ObjectRecord>(kObject, name));
    MeshBuilderPtr mesh = MeshBuilder::Create();
    auto record = std::make_unique<MeshRecord>();
    record->owner = frame;
    AttachRecord(*mesh, std::move(record));
    frame->AddVisual(mesh);
    for (const Vec3& p : {Vec3{-1, 0, -1}, Vec3{1, 0, -1}, Vec3{1, 0, 1}, Vec3{-1, 0, 1}, Vec3{0, 2, 0}})
        mesh->AddVertex(p);
    for (int i = 0; i < 5; ++i)
        mesh->SetTextureCoordinates(i, 0.1f * i, 0.05f * i);
    const int sides[4][3] = {{0, 4, 1}, {1, 4, 2}, {2, 4, 3}, {3, 4, 0}};
    for (const auto& f : sides)
        mesh->SetFaceMaterial(mesh->AddFace(f), side);
    const int quad[4] = {0, 1, 2, 3};
    mesh->SetFaceMaterial(mesh->AddFace(quad), base);
    mesh->GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
    frame->AddRotation(Combine::Replace, {0.2f, 1.0f, 0.1f}, 0.6f);
    frame->SetPosition(scene.Scene().get(), at);
    scene.RegisterObject(frame);
    return frame;
}

inline FramePtr Group(SceneModel& scene, const std::string& name, const FramePtr& parent, const Vec3& at)
{
    FramePtr frame = scene.NewObjectFrame(parent);
    AttachRecord(*frame, std::make_unique<ObjectRecord>(kEmpty, name));
    frame->AddRotation(Combine::Replace, {1, 0, 0}, 0.3f);
    frame->SetPosition(scene.Scene().get(), at);
    scene.RegisterObject(frame);
    return frame;
}

inline FramePtr AddLight(SceneModel& scene, LightType type, const FramePtr& parent, const Vec3& at)
{
    LightToolParameters parameters;
    parameters.range = 40;
    parameters.umbra = 0.3f;
    parameters.penumbra = 0.6f;
    parameters.color = {0.5f, 0.25f, 1.0f, 1};
    scene.insertionPoint = at;
    FramePtr frame = scene.CreateLight(type, parameters);
    scene.RegisterObject(frame);
    scene.RegisterLight(frame->GetLights()[0]);
    if (parent)
        parent->AddChild(frame);
    frame->SetPosition(scene.Scene().get(), at);
    frame->SetOrientation(scene.Scene().get(), {0.3f, -1, 0.2f}, {0, 0, 1});
    return frame;
}

// Two nested groups, four pyramids (one under another) with three
// materials, two of them textured, and a light of every type, two of them in
// groups. The texture pictures go into source.
inline void BuildRichScene(Workspace& ws, TempFolder& source)
{
    SceneModel& s = ws.scene;
    WriteBitmap(source.File("brick.bmp"), 16, 200);
    WriteBitmap(source.File("stone.bmp"), 32, 90);
    const MaterialPtr brick = MakeMaterial(s, "Brick", 0.8f, 20, 1.0f, "brick.bmp", source.File("brick.bmp"));
    const MaterialPtr stone = MakeMaterial(s, "Stone", 0.4f, 60, 0.75f, "stone.bmp", source.File("stone.bmp"));
    const MaterialPtr plain = MakeMaterial(s, "Plain", 1.0f, 95, 0.5f, "", "");

    const FramePtr outer = Group(s, "Outer", nullptr, {3, -2, 5});
    const FramePtr inner = Group(s, "Inner", outer, {1, 1, 1});
    Pyramid(s, "Deep", inner, {2, 0, -1}, brick, stone);
    const FramePtr parent = Pyramid(s, "Parent", outer, {-3, 1, 0}, stone, plain);
    Pyramid(s, "Child", parent, {-4, 3, 1}, plain, brick);
    Pyramid(s, "Top", nullptr, {0.5f, 0.25f, -6}, brick, brick);

    AddLight(s, LightType::Point, nullptr, {1, 9, 2});
    AddLight(s, LightType::Spot, outer, {-2, 7, 3});
    AddLight(s, LightType::Ambient, nullptr, {4, 1, -3});
    AddLight(s, LightType::Directional, inner, {0, 5, 5});
    AddLight(s, LightType::ParallelPoint, nullptr, {-6, 2, 0});
}

} // namespace corvid::testing
