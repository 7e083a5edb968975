#include "PickFixture.h"

#include "render/ObjectInfo.h"
#include "render/SelectionMarker.h"

using namespace corvid;
using namespace corvid::testing;

TEST(MarkerScaleTest, ConstantApparentSizeRules)
{
    struct Case {
        const char* name;
        Projection projection;
        float distance, field;
        Vec3 extent, expected;
    } cases[] = {
        {"perspective", Projection::Perspective, 60, 0.5f, {2, 2, 2}, {0.5f, 0.5f, 1.0f}},
        {"perspective y follows x", Projection::Perspective, 30, 0.5f, {1, 4, 0.5f}, {0.5f, 0.5f, 2.0f}},
        {"orthographic", Projection::Orthographic, 999, 20, {2, 2, 2}, {0.25f, 0.25f, 0.5f}},
        {"orthographic per axis", Projection::Orthographic, 0, 40, {1, 2, 4}, {1.0f, 0.5f, 0.5f}},
        {"at the camera", Projection::Perspective, 0, 0.5f, {2, 2, 2}, {0.001f, 0.001f, 0.001f}},
        {"flat shape", Projection::Orthographic, 0, 20, {0, 2, 0}, {0.001f, 0.25f, 0.001f}},
        {"negative field", Projection::Orthographic, 0, -20, {2, 2, 2}, {0.001f, 0.001f, 0.001f}},
    };
    for (const auto& c : cases) {
        Vec3 s = MarkerScale(c.projection, c.distance, c.field, c.extent);
        EXPECT_FLOAT_EQ(s.x, c.expected.x) << c.name;
        EXPECT_FLOAT_EQ(s.y, c.expected.y) << c.name;
        EXPECT_FLOAT_EQ(s.z, c.expected.z) << c.name;
    }
}

TEST_F(PickTest, TheMarkerSitsOnThePickedObjectWithItsHandlesOnTheBoxFaces)
{
    FramePtr box = Add("Box", {0, 0, 0}, 2.0f);
    box->SetOrientation(scene.Scene().get(), {1, 0, 0}, {0, 1, 0});
    ASSERT_TRUE(views.Pick(200, 150));
    const Frame* sceneFrame = scene.Scene().get();
    const Matrix4 m = scene.MarkerFrame()->GetTransform(sceneFrame);
    // The unit-cube marker (extent 2) is d / 60 wide at distance d = 30.
    const float d = Length(scene.ActiveCamera()->GetPosition(sceneFrame));
    EXPECT_NEAR(Length(m.Row(0)) * 2.0f, d / 60.0f, 1e-4f);
    EXPECT_NEAR(Length(m.Row(2)) * 2.0f, d / 30.0f, 1e-4f);
    EXPECT_EQ(Round(Normalize(m.Row(2))), Round({1, 0, 0})) << "turned like the object";
    EXPECT_EQ(Round(scene.MarkerFrame()->GetPosition(box.get())), Round({2, 2, 2}));

    const Vec3 centres[] = {{-2, 0, 0}, {2, 0, 0}, {0, -2, 0}, {0, 2, 0}, {0, 0, -2}, {0, 0, 2}};
    for (int i = 0; i < kMarkerHandleCount; ++i) {
        ASSERT_TRUE(views.markerHandles[i]) << i;
        EXPECT_EQ(views.markerHandles[i]->GetParent(), scene.MarkerFrame().get());
        EXPECT_EQ(Round(views.markerHandles[i]->GetPosition(box.get())), Round(centres[i])) << i;
    }

    // In the Top view the size follows the field, not the distance.
    ASSERT_TRUE(views.ViewCommand(1, kViewCommands[0][kViewTop]));
    EXPECT_NEAR(Length(scene.MarkerFrame()->GetTransform(sceneFrame).Row(1)) * 2.0f, 20 * 0.025f, 1e-4f);

    // Markers off: the next fit hides it.
    views.markersEnabled = false;
    views.FitSelectionMarker();
    EXPECT_FALSE(MarkerShown());
    views.Pick(200, 150);
    EXPECT_FALSE(MarkerShown());
}

TEST_F(PickTest, NewSceneGivesTheNewMarkerItsOwnHandles)
{
    Add("Box", {0, 0, 0});
    ASSERT_TRUE(views.Pick(200, 150));
    scene.NewScene();
    EXPECT_FALSE(views.Pick(200, 150));
    Add("Box", {0, 0, 0});
    ASSERT_TRUE(views.Pick(200, 150));
    for (const FramePtr& handle : views.markerHandles)
        EXPECT_EQ(handle->GetParent(), scene.MarkerFrame().get());
}

TEST(ObjectInfoTest, OrientationAngles)
{
    struct Case {
        Vec3 direction, up, expected;  // heading, elevation, bank
    } cases[] = {
        {{0, 0, 1}, {0, 1, 0}, {0, 0, 0}},
        {{1, 0, 0}, {0, 1, 0}, {90, 0, 0}},
        {{-1, 0, 0}, {0, 1, 0}, {-90, 0, 0}},
        {{0, 0, -1}, {0, 1, 0}, {180, 0, 0}},
        {{0, 1, 1}, {0, 1, -1}, {0, 45, 0}},
        {{1, -1, 0}, {1, 1, 0}, {90, -45, 0}},
        {{0, 0, 1}, {1, 0, 0}, {0, 0, 90}},
        {{0, 0, 1}, {-1, 1, 0}, {0, 0, -45}},
        {{0, 1, 0}, {0, 0, -1}, {0, 90, 0}},
    };
    for (const auto& c : cases) {
        Vec3 a = OrientationAngles(c.direction, c.up);
        EXPECT_NEAR(a.x, c.expected.x, 1e-3f) << c.direction << " " << c.up;
        EXPECT_NEAR(a.y, c.expected.y, 1e-3f) << c.direction << " " << c.up;
        EXPECT_NEAR(a.z, c.expected.z, 1e-3f) << c.direction << " " << c.up;
    }
}

TEST_F(PickTest, TheInformationPanelFormatsRealsAndCounts)
{
    FramePtr box = Add("Crate 7", {1.5f, -2.0f, 0.25f}, 0.5f);
    box->SetOrientation(scene.Scene().get(), {1, 0, 0}, {0, 1, 0});
    scene.Select(box);
    views.RefreshObjectInfo();
    const ObjectInfo& info = views.objectInfo;
    struct Case {
        const char* name;
        const std::string& text;
        const char* expected;
    } cases[] = {
        {"name", info.name, "Crate 7"},          {"kind", info.kindName, "Object"},
        {"x", info.positionX, "1.500000"},        {"y", info.positionY, "-2.000000"},
        {"z", info.positionZ, "0.250000"},        {"heading", info.heading, "90.000000"},
        {"elevation", info.elevation, "0.000000"}, {"bank", info.bank, "0.000000"},
        {"size x", info.sizeX, "1.000000"},       {"size y", info.sizeY, "1.000000"},
        {"size z", info.sizeZ, "1.000000"},       {"faces", info.faceCount, "6"},
        {"vertices", info.vertexCount, "8"},      {"normals", info.normalCount, "8"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, c.expected) << c.name;

    views.ClearObjectInfo();
    for (const std::string* text : {&info.name, &info.kindName, &info.positionX, &info.heading, &info.sizeZ,
                                    &info.faceCount, &info.normalCount})
        EXPECT_EQ(*text, "");
    EXPECT_EQ(FormatReal(-0.125f), "-0.125000");
    EXPECT_EQ(FormatInteger(-42), "-42");
}
