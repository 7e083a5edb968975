#include "tools/ToolFixture.h"

#include "scene/ObjectTree.h"

using namespace corvid;
using corvid::testing::ToolTest;

namespace {

class ObjectTreeTest : public ToolTest {
protected:
    const ScriptedUi::TreeItem& ItemOf(const FramePtr& frame) { return ui.tree.at(RecordOf(frame.get())->treeItem); }
};

TEST_F(ObjectTreeTest, RegistrationListsObjectsUnderListedParentsOnly)
{
    FramePtr box = Box("Box", {});
    FramePtr light = scene.CreateLight(LightType::Point, {});
    scene.RegisterObject(light);

    struct Row {
        const char* name;
        FramePtr frame;
        int icon;
        long parent;
    };
    const Row rows[] = {
        {"WORLD", scene.World(), kTreeIconWorld, 0},
        {"SCENE", scene.Scene(), kTreeIconScene, RecordOf(scene.World().get())->treeItem},
        {"Box", box, kTreeIconObject, RecordOf(scene.Scene().get())->treeItem},
        {"Light", light, kTreeIconLight, RecordOf(scene.Scene().get())->treeItem},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const auto& item = ItemOf(r.frame);
        EXPECT_EQ(item.frame, r.frame.get());
        EXPECT_EQ(item.icon, r.icon);
        EXPECT_EQ(item.parent, r.parent);
        EXPECT_TRUE(item.checked);  // visible objects start checked
    }

    // An object hanging below an unlisted frame is not listed; registering
    // again does not list anything twice.
    FramePtr holder = Frame::Create(scene.Scene().get());
    FramePtr hidden = Box("Hidden", {}, {-1, -1, -1}, {1, 1, 1}, holder);
    EXPECT_EQ(RecordOf(hidden.get())->treeItem, 0);
    size_t items = ui.tree.size();
    scene.RegisterObject(box);
    EXPECT_EQ(ui.tree.size(), items);
    EXPECT_EQ(TreeMismatch(), "");

    // Found by name at any depth, the first in tree order.
    EXPECT_EQ(FindObject(scene.Scene(), "Hidden"), hidden);
    EXPECT_EQ(FindObject(scene.Scene(), "Box"), box);
    EXPECT_EQ(FindObject(scene.Scene(), "Nothing"), nullptr);
}

TEST_F(ObjectTreeTest, SelectingAnItemSelectsItsObject)
{
    FramePtr box = Box("Box", {});
    EXPECT_TRUE(tools.SelectFromTree(box));
    EXPECT_EQ(scene.SelectedFrame(), box);
    EXPECT_EQ(scene.CurrentVisual(), box->GetVisuals().front());
    // The information panel shows it as a viewport pick would.
    EXPECT_EQ(views.objectInfo.name, "Box");
    EXPECT_FALSE(tools.SelectFromTree(box));  // already selected
    // Roots show nothing: the selection stays.
    EXPECT_FALSE(tools.SelectFromTree(scene.Scene()));
    EXPECT_FALSE(tools.SelectFromTree(nullptr));
    EXPECT_EQ(scene.SelectedFrame(), box);
}

TEST_F(ObjectTreeTest, RenamingRefusesTheRootsAndEmptyText)
{
    FramePtr box = Box("Box", {});
    struct Case {
        FramePtr frame;
        std::string text;
        bool accepted;
        std::string nameAfter;
    };
    const Case cases[] = {
        {scene.Scene(), "Stage", false, "SCENE"},
        {scene.World(), "Universe", false, "WORLD"},
        {box, "", false, "Box"},
        {box, "Crate", true, "Crate"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nameAfter);
        EXPECT_EQ(tools.RenameFromTree(c.frame, c.text), c.accepted);
        EXPECT_EQ(NameOf(c.frame), c.nameAfter);
    }
}

TEST_F(ObjectTreeTest, RefusedDropsBeepAndChangeNothing)
{
    FramePtr group = Box("Group", {});
    FramePtr part = Box("Part", {2, 0, 0}, {-1, -1, -1}, {1, 1, 1}, group);
    FramePtr bolt = Box("Bolt", {2, 1, 0}, {-1, -1, -1}, {1, 1, 1}, part);
    struct Case {
        const char* name;
        FramePtr dragged, target;
    };
    const Case cases[] = {
        {"onto itself", part, part},
        {"onto its child", group, part},
        {"onto its grandchild", group, bolt},
        {"onto its current parent", bolt, part},
        {"a top-level object onto SCENE", group, scene.Scene()},
        {"onto WORLD", part, scene.World()},
        {"SCENE itself", scene.Scene(), part},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int beeps = ui.beeps;
        auto parents = Parents();
        auto items = ui.tree.size();
        long item = RecordOf(c.dragged.get())->treeItem;
        EXPECT_FALSE(tools.DropInTree(c.dragged, c.target));
        EXPECT_EQ(ui.beeps, beeps + 1);
        EXPECT_EQ(Parents(), parents);
        EXPECT_EQ(ui.tree.size(), items);
        EXPECT_EQ(RecordOf(c.dragged.get())->treeItem, item);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ObjectTreeTest, DropReparentsAndRecreatesTheSubtreeItems)
{
    FramePtr group = Box("Group", {});
    FramePtr part = Box("Part", {2, 0, 0}, {-1, -1, -1}, {1, 1, 1}, group);
    FramePtr bolt = Box("Bolt", {2, 1, 0}, {-1, -1, -1}, {1, 1, 1}, part);
    FramePtr shelf = Box("Shelf", {-4, 0, 0});
    tools.SetShownFromTree(bolt, false);
    long oldPart = RecordOf(part.get())->treeItem;
    long oldBolt = RecordOf(bolt.get())->treeItem;

    ASSERT_TRUE(tools.DropInTree(part, shelf));
    EXPECT_EQ(part->GetParent(), shelf.get());
    EXPECT_EQ(bolt->GetParent(), part.get());
    EXPECT_EQ(ui.tree.count(oldPart), 0u);
    EXPECT_EQ(ui.tree.count(oldBolt), 0u);
    EXPECT_EQ(ItemOf(part).parent, RecordOf(shelf.get())->treeItem);
    EXPECT_EQ(ItemOf(bolt).parent, RecordOf(part.get())->treeItem);
    EXPECT_EQ(ItemOf(bolt).name, "Bolt");
    EXPECT_EQ(ItemOf(bolt).icon, kTreeIconObject);
    EXPECT_FALSE(ItemOf(bolt).checked);  // the re-made box still tells the truth
    EXPECT_EQ(TreeMismatch(), "");
    EXPECT_EQ(ui.beeps, 0);
}

TEST_F(ObjectTreeTest, DeleteRefusesTheRootsAndRemovesObjects)
{
    FramePtr group = Box("Group", {});
    FramePtr part = Box("Part", {2, 0, 0}, {-1, -1, -1}, {1, 1, 1}, group);
    scene.Select(part);

    EXPECT_FALSE(tools.DeleteFromTree(scene.World()));
    EXPECT_FALSE(tools.DeleteFromTree(scene.Scene()));
    EXPECT_EQ(ui.messages, (std::vector<std::string>{"Can not delete WORLD", "Can not delete SCENE"}));
    EXPECT_EQ(group->GetParent(), scene.Scene().get());

    ASSERT_TRUE(tools.DeleteFromTree(group));
    EXPECT_EQ(group->GetParent(), nullptr);
    EXPECT_EQ(RecordOf(part.get())->treeItem, 0);
    EXPECT_FALSE(scene.HasSelection());
    EXPECT_EQ(scene.SelectedFrame(), nullptr);
    EXPECT_EQ(ui.tree.size(), 2u);  // WORLD and SCENE
}

TEST_F(ObjectTreeTest, CheckBoxesFollowRenderedAndPickable)
{
    FramePtr box = Box("Box", {});
    struct Step {
        bool shown;
        unsigned traversal;
    };
    const Step steps[] = {{false, 0u}, {false, 0u}, {true, kRenderEnable | kPickEnable}, {false, 0u}};
    for (const Step& s : steps) {
        EXPECT_TRUE(tools.SetShownFromTree(box, s.shown));
        EXPECT_EQ(box->GetTraversalOptions(), s.traversal);
        EXPECT_EQ(ItemOf(box).checked, s.shown);
    }
    // A hidden object is not picked by a click on it.
    EXPECT_FALSE(views.Pick(corvid::testing::kCentreX, corvid::testing::kCentreY));
    EXPECT_FALSE(tools.SetShownFromTree(scene.World(), false));
    EXPECT_TRUE(scene.World()->IsRenderEnabled());
}

} // namespace
