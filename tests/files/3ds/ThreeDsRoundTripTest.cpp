// A scene with nested groups, textured materials and a light of every type,
// written as 3DS and read into a new scene: the same corners where they
// were, the same materials, the same hierarchy, the lights where they stood.

#include "files/3ds/ThreeDsHand.h"
#include "files/3ds/ThreeDsScenes.h"

#include "files/3ds/ThreeDsFile.h"
#include "files/FileIo.h"
#include "platform/Frame.h"
#include "platform/ImageService.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "platform/Texture.h"
#include "scene/Records.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>

namespace corvid::testing {
namespace {

// What an object's faces look like in the scene: corner positions relative
// to SCENE, triangle by triangle (polygons as fans from their first corner),
// with the material values of each.
struct Triangle {
    Vec3 corners[3];
    const MaterialRecord* material = nullptr;
    bool textured = false;
};

std::vector<Triangle> Triangles(SceneModel& scene, const Frame& frame)
{
    std::vector<Triangle> out;
    const Matrix4 toScene = frame.GetTransform(scene.Scene().get());
    for (const MeshBuilderPtr& mesh : frame.GetVisuals())
        for (int f = 0; f < mesh->GetFaceCount(); ++f) {
            const auto corners = mesh->GetFaceCorners(f);
            const FaceAttributes* face = mesh->GetFaceAttributes(f);
            for (size_t j = 1; j + 1 < corners.size(); ++j) {
                Triangle t;
                const int index[3] = {corners[0].vertex, corners[j].vertex, corners[j + 1].vertex};
                for (int k = 0; k < 3; ++k) {
                    Vec3 v;
                    mesh->GetVertex(index[k], v);
                    t.corners[k] = toScene.TransformPoint(v);
                }
                t.material = face->material ? RecordOf(face->material.get()) : nullptr;
                t.textured = face->texture != nullptr;
                out.push_back(t);
            }
        }
    return out;
}

// Every object below SCENE by its path of names (lights as "light").
void Walk(const FramePtr& frame, const std::string& path, const std::function<void(const FramePtr&, const std::string&)>& visit)
{
    for (const FramePtr& child : frame->GetChildren()) {
        const ObjectRecord* record = RecordOf(child.get());
        if (!record || record->kind == kBaseFrame)
            continue;
        const std::string here = path + "/" + (record->kind == kLight ? std::string("light") : record->name);
        visit(child, here);
        Walk(child, here, visit);
    }
}

class ThreeDsRoundTripTest : public ::testing::Test {
protected:
    ThreeDsRoundTripTest() { setenv("XDG_CACHE_HOME", cache.Path().c_str(), 1); }

    TempFolder source, target, cache;
};

TEST_F(ThreeDsRoundTripTest, ObjectsMaterialsLightsAndHierarchyComeBack)
{
    Workspace first;
    BuildRichScene(first, source);
    Document doc = first.doc();
    const std::string path = target.File("scene.3ds");
    ASSERT_TRUE(Export3ds(doc, path, {}));
    EXPECT_TRUE(first.ui.messages.empty());
    EXPECT_EQ(first.ui.statusLines,
              (std::vector<std::string>{kThreeDsCollecting, kThreeDsWriting, kThreeDsWritten}));
    // The textures lie beside the file.
    EXPECT_TRUE(std::filesystem::exists(target.File("brick.bmp")));
    EXPECT_TRUE(std::filesystem::exists(target.File("stone.bmp")));

    Workspace second;
    Document doc2 = second.doc();
    ImportOptions options;
    options.winding = 1;  // the dialog's choice for 3DS files
    ASSERT_TRUE(Import3ds(doc2, path, options));
    EXPECT_TRUE(second.ui.messages.empty()) << second.ui.messages.front();

    std::map<std::string, FramePtr> before, after;
    // Same paths are told apart by their order.
    auto collect = [](SceneModel& scene, std::map<std::string, FramePtr>& out) {
        std::map<std::string, int> seen;
        Walk(scene.Scene(), "", [&](const FramePtr& f, const std::string& p) { out[p + "#" + std::to_string(seen[p]++)] = f; });
    };
    collect(first.scene, before);
    collect(second.scene, after);
    std::vector<std::string> namesBefore, namesAfter;
    for (const auto& [p, f] : before)
        namesBefore.push_back(p);
    for (const auto& [p, f] : after)
        namesAfter.push_back(p);
    EXPECT_EQ(namesAfter, namesBefore);

    int meshes = 0, lights = 0;
    for (const auto& [p, original] : before) {
        if (!after.count(p))
            continue;
        const FramePtr& copy = after.at(p);
        const ObjectRecord& record = *RecordOf(original.get());
        if (record.kind == kObject) {
            ++meshes;
            const std::vector<Triangle> a = Triangles(first.scene, *original), b = Triangles(second.scene, *copy);
            ASSERT_EQ(a.size(), b.size()) << p;
            for (size_t t = 0; t < a.size(); ++t) {
                for (int k = 0; k < 3; ++k)
                    EXPECT_TRUE(NearlyEqual(a[t].corners[k], b[t].corners[k], 1e-4f)) << p << " triangle " << t;
                ASSERT_TRUE(b[t].material);
                const MaterialRecord& m = *a[t].material;
                const MaterialRecord& n = *b[t].material;
                EXPECT_EQ(n.name, m.name);
                EXPECT_FLOAT_EQ(n.power, m.power);
                EXPECT_FLOAT_EQ(n.alpha, m.alpha);
                for (int c = 0; c < 3; ++c) {
                    EXPECT_NEAR(n.diffuse[c], m.diffuse[c], 1.0f / 255) << p;
                    EXPECT_NEAR(n.specular[c], m.specular[c], 1.0f / 255) << p;
                    EXPECT_NEAR(n.ambient[c], m.ambient[c], 1.0f / 255) << p;
                }
                EXPECT_EQ(n.textureName, m.textureName);
                EXPECT_EQ(b[t].textured, !m.textureName.empty()) << p;
            }
        } else if (record.kind == kLight) {
            ++lights;
            EXPECT_TRUE(NearlyEqual(copy->GetPosition(second.scene.Scene().get()),
                                    original->GetPosition(first.scene.Scene().get()), 1e-4f))
                << p;
            const LightType type = original->GetLights()[0]->GetType();
            const bool spot = type != LightType::Point && type != LightType::Ambient;
            EXPECT_EQ(copy->GetLights()[0]->GetType(), spot ? LightType::Spot : LightType::Point) << p;
            EXPECT_EQ(copy->GetLights()[0]->GetColor(), original->GetLights()[0]->GetColor()) << p;
            if (spot) {
                Vec3 d1, u1, d2, u2;
                original->GetOrientation(first.scene.Scene().get(), d1, u1);
                copy->GetOrientation(second.scene.Scene().get(), d2, u2);
                EXPECT_TRUE(NearlyEqual(Normalize(d1), Normalize(d2), 1e-4f)) << p;
                EXPECT_FLOAT_EQ(copy->GetLights()[0]->GetRange(), original->GetLights()[0]->GetRange());
            }
        }
    }
    EXPECT_EQ(meshes, 4);
    EXPECT_EQ(lights, 5);
}

TEST_F(ThreeDsRoundTripTest, TheLastPickedObjectAloneIsWrittenWithoutItsChildren)
{
    Workspace ws;
    BuildRichScene(ws, source);
    FramePtr parent;
    Walk(ws.scene.Scene(), "", [&](const FramePtr& f, const std::string& p) {
        if (p == "/Outer/Parent")
            parent = f;
    });
    ASSERT_TRUE(parent);
    ws.scene.Select(parent);
    ImportOptions options;
    options.lastPickedOnly = true;
    Document doc = ws.doc();
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(Write3dsBytes(doc, options, target.Path(), bytes));
    const auto objects = ChunksWithId(bytes, 0x4000);
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes.data() + objects[0].body), "Parent");
    const auto nodes = ChunksWithId(bytes, 0xB002);
    ASSERT_EQ(nodes.size(), 1u);
}

} // namespace
} // namespace corvid::testing
