// The painting modes as a press in a viewport runs them: what is under the
// cursor gets painted or picked up, a press on nothing does nothing, and a
// paint is one step of the edit history.

#include "tools/ToolFixture.h"

#include "materials/Painting.h"
#include "platform/Material.h"

#include <algorithm>

using namespace corvid;
using corvid::testing::kCentreX;
using corvid::testing::kCentreY;
using corvid::testing::ToolTest;

namespace {

class PaintToolTest : public ToolTest {
protected:
    PaintToolTest()
    {
        box = Box("Box", {});
        mesh = box->GetVisuals().front();
        original = mesh->GetFaceAttributes(0)->material;
        tools.paint.paintMaterial.diffuse[0] = 0.25f;
        tools.paint.Changed();
    }
    void Click(int mode, int x = kCentreX, int y = kCentreY)
    {
        tools.mode = mode;
        Press(x, y);
        Release(x, y);
    }
    int FacesWith(const MaterialPtr& material) const
    {
        int n = 0;
        for (int f = 0; f < mesh->GetFaceCount(); ++f)
            n += mesh->GetFaceAttributes(f)->material == material;
        return n;
    }

    FramePtr box;
    MeshBuilderPtr mesh;
    MaterialPtr original;
};

TEST_F(PaintToolTest, EachModePaintsWhatItsPressPicked)
{
    Click(kModePaintFace);
    const int face = views.pickDetails.face;
    ASSERT_GE(face, 0);
    EXPECT_EQ(scene.SelectedFrame(), box);
    EXPECT_NE(mesh->GetFaceAttributes(face)->material, original);
    EXPECT_EQ(FacesWith(original), 5) << "one face painted";
    EXPECT_EQ(scene.History().UndoName(), "Paint Face");

    tools.paint.Changed();
    Click(kModePaintMatching);  // the picked face no longer matches the other five
    EXPECT_EQ(FacesWith(original), 5);
    EXPECT_EQ(scene.History().UndoName(), "Paint Matching Faces");

    mesh->SetFaceMaterial(face, original);
    Click(kModePaintMatching);
    EXPECT_EQ(FacesWith(original), 0);
    EXPECT_EQ(FacesWith(mesh->GetFaceAttributes(0)->material), 6);

    Click(kModePaintObject);
    EXPECT_EQ(scene.History().UndoName(), "Paint Object");
    EXPECT_EQ(mesh->GetFaceAttributes(face)->material, mesh->GetMaterial());
}

TEST_F(PaintToolTest, PickingUpTakesThePickedFacesMaterialAndChangesNothing)
{
    RecordOf(original.get())->power = 33.0f;
    const size_t steps = scene.History().UndoCount();
    Click(kModePickUpMaterial);
    EXPECT_FLOAT_EQ(tools.paint.paintMaterial.power, 33.0f);
    EXPECT_TRUE(tools.paint.freshRecord);
    EXPECT_EQ(scene.History().UndoCount(), steps);
    EXPECT_NE(std::find(ui.notifications.begin(), ui.notifications.end(), Notification::PanelsChanged), ui.notifications.end());
}

TEST_F(PaintToolTest, APressOnNothingOrOnALightPaintsNothing)
{
    const size_t steps = scene.History().UndoCount();
    for (int mode : {kModePaintFace, kModePaintObject, kModePickUpMaterial, kModePaintMatching}) {
        SCOPED_TRACE(mode);
        Click(mode, 5, 5);
        EXPECT_FALSE(scene.HasSelection());
        EXPECT_EQ(FacesWith(original), 6);
    }
    EXPECT_EQ(scene.History().UndoCount(), steps);
    EXPECT_TRUE(tools.paint.freshRecord);
}

TEST_F(PaintToolTest, AToolPaintIsUndoneAndRedoneAsOneStep)
{
    Click(kModePaintObject);
    const MeshContents painted = mesh->GetContents();
    ASSERT_TRUE(scene.History().Undo());
    EXPECT_EQ(FacesWith(original), 6);
    ASSERT_TRUE(scene.History().Redo());
    EXPECT_EQ(mesh->GetContents().faces, painted.faces);
    EXPECT_EQ(mesh->GetColor(), PaintColor(tools.paint.paintMaterial));
}

} // namespace
