// A scene with everything a scene file keeps saves, loads into a new scene
// and saves again to the same bytes, with every object where it was.

#include "files/FilesFixture.h"

#include "files/FileIo.h"
#include "files/scene/SceneFile.h"
#include "geometry/Patch.h"
#include "platform/Frame.h"
#include "platform/ImageService.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "platform/Texture.h"
#include "scene/ObjectTree.h"
#include "scene/Records.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace corvid::testing {
namespace {

// Every object below SCENE by its path of names, with its placement.
std::map<std::string, Matrix4> Placements(SceneModel& scene)
{
    std::map<std::string, Matrix4> out;
    std::function<void(const FramePtr&, const std::string&)> walk = [&](const FramePtr& frame, const std::string& path) {
        for (const FramePtr& child : frame->GetChildren()) {
            const ObjectRecord* record = RecordOf(child.get());
            if (!record || record->kind == kControlPoint)
                continue;
            const std::string here = path + "/" + record->name;
            out[here] = child->GetTransform(scene.Scene().get());
            walk(child, here);
        }
    };
    walk(scene.Scene(), "");
    return out;
}

void WriteBitmap(const std::string& path, int size, uint8_t red)
{
    Image image;
    image.width = image.height = size;
    image.rgba.assign(static_cast<size_t>(size * size * 4), 255);
    for (size_t i = 0; i < image.rgba.size(); i += 4)
        image.rgba[i] = red;
    ASSERT_TRUE(WriteResizedBmp(image, path, size, size));
}

class SceneRoundTripTest : public ::testing::Test {
protected:
    SceneRoundTripTest()
    {
        setenv("XDG_CACHE_HOME", cache.Path().c_str(), 1);
    }

    // A box of the scene model's making, named, under parent.
    FramePtr Box(Workspace& ws, const std::string& name, const FramePtr& parent, Vec3 at)
    {
        ws.scene.insertionPoint = {};
        MeshBuilderPtr mesh = ws.scene.BeginObjectCreation();
        for (int i = 0; i < 8; ++i)
            mesh->AddVertex({i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f});
        const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
        for (const auto& f : faces)
            mesh->AddFace(f);
        mesh->GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);
        ws.scene.FinishObjectCreation("Cube %s", ws.scene.names.cube);
        FramePtr frame = ws.scene.SelectedFrame();
        RecordOf(frame.get())->name = name;
        if (parent)
            parent->AddChild(frame);
        frame->SetPosition(ws.scene.Scene().get(), at);
        ws.scene.RegisterObject(frame);
        return frame;
    }

    void BuildRichScene(Workspace& ws)
    {
        SceneModel& s = ws.scene;
        // A rotated, scaled group with a box and a spot light inside it.
        FramePtr group = s.NewObjectFrame();
        AttachRecord(*group, std::make_unique<ObjectRecord>(kEmpty, "Group"));
        s.RegisterObject(group);
        group->AddRotation(Combine::Replace, {0.3f, 1.0f, 0.2f}, 0.7f);
        group->AddScale(Combine::After, {1.5f, 1.5f, 1.5f});
        group->AddTranslation(Combine::After, {3, -2, 5});
        FramePtr inner = Box(ws, "Inner", group, {1, 2, 3});
        inner->AddRotation(Combine::Before, {1, 0, 0}, 0.4f);
        FramePtr outer = Box(ws, "Outer", nullptr, {-4, 0, 1});

        // A textured material on the outer box with a colour key, and a wrap.
        const std::string texture = folder.File("Brick.bmp");
        WriteBitmap(texture, 16, 200);
        MaterialRecord& brick = *RecordOf(outer->GetVisuals()[0]->GetFaceAttributes(0)->material.get());
        brick.name = "Brick";
        brick.textureName = "Brick.bmp";
        brick.textureFile = texture;
        brick.colorKey = true;
        brick.colorKeyRGB[0] = 1.0f;
        MeshRecord& wrap = *RecordOf(outer->GetVisuals()[0].get());
        wrap.wrapType = 1;
        wrap.wrap = {0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 1};
        outer->GetVisuals()[0]->SetTextureCoordinates(3, 0.25f, 0.75f);

        LightToolParameters spot;
        spot.range = 12;
        s.insertionPoint = {0, 4, 0};
        FramePtr light = s.CreateLight(LightType::Spot, spot);
        s.RegisterObject(light);
        s.RegisterLight(light->GetLights()[0]);
        group->AddChild(light);
        light->SetOrientation(s.Scene().get(), {0, -1, 0.2f}, {0, 0, 1});
        s.insertionPoint = {0, 8, 0};
        FramePtr point = s.CreateLight(LightType::Point, {});
        s.RegisterObject(point);
        s.RegisterLight(point->GetLights()[0]);

        // A camera looking at the inner box; the main view looks through it.
        s.insertionPoint = {0, 3, -10};
        FramePtr camera = s.CreateCamera();
        s.RegisterObject(camera);
        ASSERT_TRUE(s.LookAt(camera, inner));
        ASSERT_TRUE(ws.views.ViewCommand(1, RecordOf(camera.get())->menuCommand));

        PatchParameters patches;
        ASSERT_TRUE(CreatePatch(s, patches, kPatchCatmullRom, {5, 0, 5}, 4, 4));

        // Keys: the outer box moves from frame 0 to 30; the spot's umbra too.
        ws.transport.MoveSlider(30);
        ws.transport.Animate();
        ws.animation.RecordStartKeys(outer);
        outer->SetPosition(s.Scene().get(), {-4, 2, 1});
        ws.animation.RecordCurrentKeys(outer);
        const LightPtr spotLight = light->GetLights()[0];
        ws.animation.BeforeLightChange(spotLight, LightProperty::Umbra);
        spotLight->SetUmbra(0.3f);
        ws.animation.AfterLightChange(spotLight, LightProperty::Umbra);
        ws.transport.StopAnimating();
        ws.transport.SetMaxFrames(240);
        ws.transport.SetPathStyle(PathStyle::Spline);

        // Fog and a background picture.
        SceneProperties& world = s.World()->Scene();
        world.fogEnabled = true;
        world.fogColor = {0.2f, 0.4f, 0.6f, 1};
        world.fogStart = 2;
        world.fogEnd = 50;
        world.background = {0.1f, 0.2f, 0.3f, 1};
        WriteBitmap(folder.File("sky.bmp"), 32, 10);
        s.SetBackgroundImage(true, "sky.bmp", folder.File("sky.bmp"));
        s.SetRenderGrid(false);
        ws.views.RenderAllViews();
    }

    TempFolder folder;
    TempFolder cache;
};

TEST_F(SceneRoundTripTest, SavesLoadsAndSavesAgainToTheSameBytes)
{
    Workspace first;
    BuildRichScene(first);
    Document doc = first.doc();
    const std::string path = folder.File("rich.cvd");
    ASSERT_TRUE(SaveScene(doc, path, {}));
    EXPECT_TRUE(first.ui.messages.empty());
    std::vector<uint8_t> saved;
    ASSERT_EQ(ReadWholeFile(path, saved), ReadStatus::Read);
    EXPECT_EQ(ChunkTags(saved), (std::vector<std::string>{
                                    "CVDMAT", "CVDMAT", "CVDTEX", "CVDCKY", "CVDMAT", "CVDSCN", "CVDGRO", "CVDGRO",
                                    "CVDMES", "CVDLIG", "CVDMES", "CVDWRP", "CVDLIG", "CVDCAM", "CVDMES", "CVDPAT",
                                    "CVDGRO", "CVDLKA", "CVDANF", "CVDANI", "CVDANI", "CVDFOG", "CVDBKG", "CVDVPT"}));

    Workspace second;
    Document doc2 = second.doc();
    ASSERT_TRUE(LoadScene(doc2, path, {}));
    EXPECT_TRUE(second.ui.messages.empty()) << second.ui.messages.front();
    const std::string again = folder.File("again.cvd");
    ASSERT_TRUE(SaveScene(doc2, again, {}));
    std::vector<uint8_t> resaved;
    ASSERT_EQ(ReadWholeFile(again, resaved), ReadStatus::Read);
    EXPECT_EQ(FirstDifference(resaved, saved), "");

    // Every object is where it was, nested ones included.
    const auto before = Placements(first.scene);
    const auto after = Placements(second.scene);
    for (const auto& [name, transform] : before) {
        if (name.find("Patch/") != std::string::npos)
            continue;  // the control points are not kept
        ASSERT_TRUE(after.count(name)) << name;
        EXPECT_TRUE(after.at(name).NearlyEquals(transform, 1e-4f)) << name;
    }
    // What the file holds besides the objects.
    EXPECT_TRUE(second.scene.World()->Scene().fogEnabled);
    EXPECT_EQ(second.scene.Settings().backgroundImageName, "sky.bmp");
    EXPECT_TRUE(second.scene.World()->Scene().backgroundImage);
    EXPECT_FALSE(second.scene.Settings().renderGrid);
    EXPECT_EQ(second.animation.settings.maxFrames, 240);
    EXPECT_EQ(second.transport.Window().path, PathStyle::Spline);
    ASSERT_GE(second.views.Viewport(1).viewCommand, kCameraMenuBase);
    const FramePtr& viewCamera = second.views.Viewport(1).cameras[kViewObject];
    EXPECT_EQ(RecordOf(viewCamera.get())->name, "Camera 0");
    EXPECT_TRUE(RecordOf(viewCamera.get())->looksAt);
}

TEST_F(SceneRoundTripTest, KeysPlayBackAfterLoading)
{
    Workspace first;
    BuildRichScene(first);
    Document doc = first.doc();
    const std::string path = folder.File("keys.cvd");
    ASSERT_TRUE(SaveScene(doc, path, {}));

    Workspace second;
    Document doc2 = second.doc();
    ASSERT_TRUE(LoadScene(doc2, path, {}));
    const FramePtr outer = FindObject(second.scene.Scene(), "Outer");
    ASSERT_TRUE(outer);
    second.animation.ShowFrame(0);
    EXPECT_NEAR(outer->GetPosition(second.scene.Scene().get()).y, 0.0f, 1e-4f);
    second.animation.ShowFrame(15);
    EXPECT_NEAR(outer->GetPosition(second.scene.Scene().get()).y, 1.0f, 1e-4f);
    second.animation.ShowFrame(30);
    EXPECT_NEAR(outer->GetPosition(second.scene.Scene().get()).y, 2.0f, 1e-4f);
}

TEST_F(SceneRoundTripTest, AMergeIsOneStepThatUndoesAndRedoes)
{
    Workspace first;
    BuildRichScene(first);
    Document doc = first.doc();
    const std::string path = folder.File("merge.cvd");
    ASSERT_TRUE(SaveScene(doc, path, {}));

    Workspace target;
    Box(target, "Mine", nullptr, {0, 0, 0});
    target.scene.History().Clear();
    const auto mine = Placements(target.scene);
    const SceneProperties look = target.scene.World()->Scene();
    Document doc2 = target.doc();
    {
        EditStep step(target.scene.History(), "Merge merge.cvd");
        ASSERT_TRUE(LoadScene(doc2, path, {}));
    }
    const auto merged = Placements(target.scene);
    ASSERT_GT(merged.size(), mine.size());
    EXPECT_EQ(target.scene.History().UndoCount(), 1u);

    ASSERT_TRUE(target.scene.History().Undo());
    EXPECT_EQ(Placements(target.scene).size(), mine.size());
    EXPECT_FALSE(target.scene.World()->Scene().fogEnabled);
    EXPECT_EQ(target.scene.World()->Scene().background, look.background);
    EXPECT_TRUE(target.scene.Settings().renderGrid);

    ASSERT_TRUE(target.scene.History().Redo());
    EXPECT_EQ(Placements(target.scene).size(), merged.size());
    EXPECT_TRUE(target.scene.World()->Scene().fogEnabled);
    EXPECT_FALSE(target.scene.Settings().renderGrid);
}

} // namespace
} // namespace corvid::testing
