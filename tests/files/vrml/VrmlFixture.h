#pragma once
// What the VRML tests share: a workspace per scene, scratch folders, meshes
// and materials made by hand, and the faces of a mesh as the positions of
// their corners relative to SCENE.

#include "files/FilesFixture.h"

#include "files/vrml/VrmlFile.h"
#include "platform/Frame.h"
#include "platform/ImageService.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <vector>

namespace corvid::testing {

// Where the hand-made files of these tests lie.
inline std::string VrmlDataFolder()
{
    return CORVID_TESTS_DIR "/files/vrml";
}

// A material with its record, named and coloured as given.
inline MaterialPtr MakeMaterial(SceneModel& scene, const std::string& name, Vec3 diffuse, float power, float alpha)
{
    MaterialPtr material = Material::Create(power);
    auto record = std::make_unique<MaterialRecord>();
    record->id = ++scene.materialIdCounter;
    record->name = name;
    record->diffuse[0] = diffuse.x;
    record->diffuse[1] = diffuse.y;
    record->diffuse[2] = diffuse.z;
    record->specular[0] = 0.25f;
    record->specular[1] = 0.5f;
    record->specular[2] = 0.75f;
    record->emissive[2] = 0.125f;
    record->power = power;
    record->alpha = alpha;
    AttachRecord(*material, std::move(record));
    scene.materials.push_back(material);
    return material;
}

// An object under parent (SCENE when null) showing a mesh of the given
// points and faces; face i gets materials[i % size] (none when empty).
inline FramePtr MakeMeshObject(SceneModel& scene, const std::string& name, const FramePtr& parent,
                               const std::vector<Vec3>& points, const std::vector<std::vector<int>>& faces,
                               const std::vector<MaterialPtr>& materials)
{
    FramePtr frame = scene.NewObjectFrame(parent);
    AttachRecord(*frame, std::make_unique<ObjectRecord>(kObject, name));
    MeshBuilderPtr mesh = MeshBuilder::Create();
    auto record = std::make_unique<MeshRecord>();
    record->owner = frame;
    AttachRecord(*mesh, std::move(record));
    for (const Vec3& p : points)
        mesh->AddVertex(p);
    for (size_t i = 0; i < faces.size(); ++i) {
        const int face = mesh->AddFace(faces[i]);
        if (!materials.empty())
            mesh->SetFaceMaterial(face, materials[i % materials.size()]);
    }
    for (int v = 0; v < mesh->GetVertexCount(); ++v)
        mesh->SetTextureCoordinates(v, 0.125f * static_cast<float>(v), 1.0f - 0.0625f * static_cast<float>(v));
    mesh->GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
    frame->AddVisual(mesh);
    scene.RegisterObject(frame);
    return frame;
}

// A group object under parent (SCENE when null).
inline FramePtr MakeGroup(SceneModel& scene, const std::string& name, const FramePtr& parent)
{
    FramePtr frame = scene.NewObjectFrame(parent);
    AttachRecord(*frame, std::make_unique<ObjectRecord>(kEmpty, name));
    scene.RegisterObject(frame);
    return frame;
}

inline void WriteBitmap(const std::string& path, int size, uint8_t red)
{
    Image image;
    image.width = image.height = size;
    image.rgba.assign(static_cast<size_t>(size * size * 4), 255);
    for (size_t i = 0; i < image.rgba.size(); i += 4)
        image.rgba[i] = red;
    ASSERT_TRUE(WriteResizedBmp(image, path, size, size));
}

using FaceCorners = std::vector<Vec3>;

// The faces of mesh on frame (those of material when given), each as the
// positions of its corners relative to SCENE, in corner order.
inline std::vector<FaceCorners> FacesOf(SceneModel& scene, const Frame& frame, const MeshBuilder& mesh,
                                        const Material* material = nullptr)
{
    const Matrix4 toScene = frame.GetTransform(scene.Scene().get());
    std::vector<FaceCorners> faces;
    for (int f = 0; f < mesh.GetFaceCount(); ++f) {
        if (material && mesh.GetFaceAttributes(f)->material.get() != material)
            continue;
        FaceCorners corners;
        for (const Corner& c : mesh.GetFaceCorners(f))
            corners.push_back(toScene.TransformPoint(mesh.GetVertices()[static_cast<size_t>(c.vertex)]));
        faces.push_back(corners);
    }
    return faces;
}

// The object frames directly under SCENE of kind, in order.
inline std::vector<FramePtr> TopObjects(SceneModel& scene, int32_t kind)
{
    std::vector<FramePtr> out;
    for (const FramePtr& child : scene.Scene()->GetChildren())
        if (const ObjectRecord* record = RecordOf(child.get()); record && record->kind == kind)
            out.push_back(child);
    return out;
}

// Reads text into the workspace's scene with the options, from folder.
inline bool ReadText(Workspace& ws, const std::string& text, const ImportOptions& options = {},
                     const std::string& folder = "/dev/null/none")
{
    Document doc = ws.doc();
    return ReadVrmlText(doc, text, options, folder);
}

// The start every file of ours has, for hand-made files.
constexpr const char* kOurHeader = "#VRML V2.0 utf8\n#CVD EXPORT\n\n";

} // namespace corvid::testing
