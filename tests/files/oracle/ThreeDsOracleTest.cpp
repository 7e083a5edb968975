// Files the 3DS writer makes, read by two independent readers (lib3ds and
// Assimp): the same objects, triangles, points, materials and lights, the
// points where they are in the scene. And a file with a keyframer pose read
// by lib3ds and by our reader: every vertex where lib3ds puts it.

#include "files/3ds/ThreeDsHand.h"
#include "files/3ds/ThreeDsScenes.h"

#include "files/3ds/ThreeDsFile.h"
#include "files/FileIo.h"

#include <assimp/cimport.h>
#include <assimp/scene.h>
#include <lib3ds/file.h>
#include <lib3ds/light.h>
#include <lib3ds/material.h>
#include <lib3ds/matrix.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#include <lib3ds/vector.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>

namespace corvid::testing {
namespace {

struct Lib3dsDeleter {
    void operator()(Lib3dsFile* f) const { lib3ds_file_free(f); }
};
struct AssimpDeleter {
    void operator()(const aiScene* s) const { aiReleaseImport(s); }
};

// What our scene holds, counted the way a 3DS file holds it.
struct Counts {
    int objects = 0, triangles = 0, points = 0, lights = 0, spots = 0;
};

Counts CountScene(SceneModel& scene)
{
    Counts c;
    std::vector<FramePtr> stack{scene.Scene()};
    while (!stack.empty()) {
        FramePtr frame = stack.back();
        stack.pop_back();
        if (const ObjectRecord* record = RecordOf(frame.get())) {
            if (record->kind == kObject)
                for (const MeshBuilderPtr& mesh : frame->GetVisuals()) {
                    ++c.objects;
                    c.points += mesh->GetVertexCount();
                    for (int f = 0; f < mesh->GetFaceCount(); ++f)
                        c.triangles += mesh->GetFaceVertexCount(f) - 2;
                }
            if (record->kind == kLight)
                for (const LightPtr& light : frame->GetLights()) {
                    ++c.lights;
                    if (light->GetType() != LightType::Point && light->GetType() != LightType::Ambient)
                        ++c.spots;
                }
        }
        for (const FramePtr& child : frame->GetChildren())
            stack.push_back(child);
    }
    return c;
}

class ThreeDsOracleTest : public ::testing::Test {
protected:
    ThreeDsOracleTest() { setenv("XDG_CACHE_HOME", cache.Path().c_str(), 1); }
    TempFolder source, target, cache;
};

TEST_F(ThreeDsOracleTest, Lib3dsAndAssimpReadOurFileWithTheSameCounts)
{
    Workspace ws;
    BuildRichScene(ws, source);
    Document doc = ws.doc();
    const std::string path = target.File("rich.3ds");
    ASSERT_TRUE(Export3ds(doc, path, {}));
    const Counts ours = CountScene(ws.scene);
    ASSERT_EQ(ours.objects, 4);

    // lib3ds
    std::unique_ptr<Lib3dsFile, Lib3dsDeleter> file(lib3ds_file_load(path.c_str()));
    ASSERT_TRUE(file);
    int meshes = 0, faces = 0, points = 0, lights = 0, spots = 0, materials = 0, nodes = 0;
    for (Lib3dsMesh* m = file->meshes; m; m = m->next) {
        ++meshes;
        faces += static_cast<int>(m->faces);
        points += static_cast<int>(m->points);
        EXPECT_EQ(m->texels, m->points) << m->name;
        // Every face names one of the file's materials.
        for (Lib3dsDword f = 0; f < m->faces; ++f)
            EXPECT_TRUE(lib3ds_file_material_by_name(file.get(), m->faceL[f].material)) << m->name << " " << f;
    }
    for (Lib3dsLight* l = file->lights; l; l = l->next) {
        ++lights;
        spots += l->spot_light ? 1 : 0;
    }
    for (Lib3dsMaterial* m = file->materials; m; m = m->next)
        ++materials;
    std::vector<Lib3dsNode*> stack;
    for (Lib3dsNode* n = file->nodes; n; n = n->next)
        stack.push_back(n);
    while (!stack.empty()) {
        Lib3dsNode* n = stack.back();
        stack.pop_back();
        ++nodes;
        for (Lib3dsNode* c = n->childs; c; c = c->next)
            stack.push_back(c);
    }
    EXPECT_EQ(meshes, ours.objects);
    EXPECT_EQ(faces, ours.triangles);
    EXPECT_EQ(points, ours.points);
    EXPECT_EQ(lights, ours.lights);
    EXPECT_EQ(spots, ours.spots);
    EXPECT_EQ(materials, 3);
    // SCENE, two groups, four objects and five lights, all linked.
    EXPECT_EQ(nodes, 1 + 2 + 4 + 5);

    // The pose lib3ds evaluates puts each point where it is in our scene.
    lib3ds_file_eval(file.get(), 0);
    Lib3dsMesh* deep = lib3ds_file_mesh_by_name(file.get(), "Deep");
    ASSERT_TRUE(deep);
    Lib3dsNode* node = lib3ds_node_by_name(file->nodes, "Deep", LIB3DS_OBJECT_NODE);
    ASSERT_TRUE(node);
    FramePtr frame;
    std::vector<FramePtr> frames{ws.scene.Scene()};
    while (!frames.empty() && !frame) {
        FramePtr f = frames.back();
        frames.pop_back();
        if (const ObjectRecord* r = RecordOf(f.get()); r && r->name == "Deep")
            frame = f;
        for (const FramePtr& c : f->GetChildren())
            frames.push_back(c);
    }
    ASSERT_TRUE(frame);
    const MeshBuilder& mesh = *frame->GetVisuals()[0];
    Lib3dsMatrix toWorld;
    lib3ds_matrix_copy(toWorld, node->matrix);
    Lib3dsMatrix inverse;
    lib3ds_matrix_copy(inverse, deep->matrix);
    lib3ds_matrix_inv(inverse);
    lib3ds_matrix_translate_xyz(toWorld, -node->data.object.pivot[0], -node->data.object.pivot[1],
                                -node->data.object.pivot[2]);
    lib3ds_matrix_mult(toWorld, inverse);
    for (int i = 0; i < mesh.GetVertexCount(); ++i) {
        Vec3 v;
        mesh.GetVertex(i, v);
        const Vec3 world = frame->GetTransform(ws.scene.Scene().get()).TransformPoint(v);
        Lib3dsVector out;
        lib3ds_vector_transform(out, toWorld, deep->pointL[i].pos);
        EXPECT_NEAR(out[0], world.x, 1e-4f);
        EXPECT_NEAR(out[1], world.z, 1e-4f);
        EXPECT_NEAR(out[2], world.y, 1e-4f);
    }

    // Assimp splits objects by material and unshares their points, but
    // keeps the triangles and the lights.
    std::unique_ptr<const aiScene, AssimpDeleter> scene(aiImportFile(path.c_str(), 0));
    ASSERT_TRUE(scene) << aiGetErrorString();
    int assimpFaces = 0;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m)
        assimpFaces += static_cast<int>(scene->mMeshes[m]->mNumFaces);
    EXPECT_EQ(assimpFaces, ours.triangles);
    EXPECT_EQ(static_cast<int>(scene->mNumLights), ours.lights);
    EXPECT_GE(scene->mNumMaterials, 3u);
    for (const char* name : {"Deep", "Parent", "Child", "Top"})
        EXPECT_TRUE(scene->mRootNode->FindNode(name)) << name;
}

TEST_F(ThreeDsOracleTest, AKeyframerPosePlacesEveryVertexWhereLib3dsDoes)
{
    // A mesh whose matrix moves it, under a turned dummy, with a pivot and
    // position, rotation and scale tracks of its own.
    Hand3ds h;
    auto track = [&](uint16_t id, std::initializer_list<float> values) {
        h.begin(id).u16(0x40).u16(0).u16(0).u16(0).u16(0).u32(1).u32(0).u16(0).f32s(values).end();
    };
    h.begin(0x4D4D).begin(0x3D3D);
    h.begin(0x4000).str("Wedge").begin(0x4100);
    h.points({1, 2, 3, 4, 2, 3, 1, 5, 3, 1, 2, 7});
    h.begin(0x4160).f32s({1, 0, 0, 0, 1, 0, 0, 0, 1, 2, 3, 4}).end();
    h.faces({0, 1, 2, 0, 0, 2, 3, 0, 0, 3, 1, 0, 1, 3, 2, 0}).end();
    h.end().end();
    h.end();
    h.begin(0xB000);
    h.begin(0xB002).begin(0xB030).u16(0).end().begin(0xB010).str("$$$DUMMY").u16(0).u16(0).u16(0xFFFF).end();
    h.begin(0xB011).str("Holder").end().begin(0xB013).f32s({0, 0, 0}).end();
    track(0xB020, {5, -1, 2});
    track(0xB021, {0.7f, 0, 0, 1});
    track(0xB022, {1, 1, 1});
    h.end();
    h.begin(0xB002).begin(0xB030).u16(1).end().begin(0xB010).str("Wedge").u16(0).u16(0).u16(0).end();
    h.begin(0xB013).f32s({0.5f, 0.25f, 1}).end();
    track(0xB020, {1, 2, 0.5f});
    track(0xB021, {0.4f, 1, 1, 0});
    track(0xB022, {2, 1, 0.5f});
    h.end();
    h.end().end();
    const std::string path = target.File("pose.3ds");
    ASSERT_EQ(WriteFileAtomically(path, h.bytes), WriteStatus::Written);

    std::unique_ptr<Lib3dsFile, Lib3dsDeleter> file(lib3ds_file_load(path.c_str()));
    ASSERT_TRUE(file);
    lib3ds_file_eval(file.get(), 0);
    Lib3dsMesh* wedge = lib3ds_file_mesh_by_name(file.get(), "Wedge");
    Lib3dsNode* node = lib3ds_node_by_name(file->nodes, "Wedge", LIB3DS_OBJECT_NODE);
    ASSERT_TRUE(wedge && node);
    Lib3dsMatrix toWorld, inverse;
    lib3ds_matrix_copy(toWorld, node->matrix);
    lib3ds_matrix_copy(inverse, wedge->matrix);
    lib3ds_matrix_inv(inverse);
    lib3ds_matrix_translate_xyz(toWorld, -0.5f, -0.25f, -1);
    lib3ds_matrix_mult(toWorld, inverse);

    Workspace ws;
    Document doc = ws.doc();
    ASSERT_TRUE(Import3ds(doc, path, {}));
    ASSERT_TRUE(ws.ui.messages.empty()) << ws.ui.messages.front();
    FramePtr frame = ws.scene.SelectedFrame();
    std::vector<FramePtr> frames{ws.scene.Scene()};
    frame = nullptr;
    FramePtr holder;
    while (!frames.empty()) {
        FramePtr f = frames.back();
        frames.pop_back();
        if (const ObjectRecord* r = RecordOf(f.get())) {
            if (r->name == "Wedge")
                frame = f;
            if (r->name == "Holder")
                holder = f;
        }
        for (const FramePtr& c : f->GetChildren())
            frames.push_back(c);
    }
    ASSERT_TRUE(frame && holder);
    EXPECT_EQ(frame->GetParent(), holder.get());
    const MeshBuilder& mesh = *frame->GetVisuals()[0];
    ASSERT_EQ(mesh.GetVertexCount(), 4);
    for (int i = 0; i < 4; ++i) {
        Vec3 v;
        mesh.GetVertex(i, v);
        const Vec3 world = frame->GetTransform(ws.scene.Scene().get()).TransformPoint(v);
        Lib3dsVector out;
        lib3ds_vector_transform(out, toWorld, wedge->pointL[i].pos);
        EXPECT_NEAR(world.x, out[0], 1e-4f) << i;
        EXPECT_NEAR(world.y, out[2], 1e-4f) << i;
        EXPECT_NEAR(world.z, out[1], 1e-4f) << i;
    }
}

} // namespace
} // namespace corvid::testing
