#pragma once
// Scene-model tests that need a viewport to click in: VIEWPORT_1 with a
// 400 x 300 render surface seen through its perspective camera, which looks
// at SCENE's origin from 30 units away (so the origin is at pixel
// (200, 150) and a pixel there spans 2 * 0.5 * 30 / 400 = 0.075 units), and
// helpers for boxes, hierarchies and tree checks.

#include "scene/EditorFixture.h"

#include "platform/Device.h"
#include "scene/ToolMode.h"

#include <functional>
#include <map>
#include <ostream>

namespace corvid {
inline std::ostream& operator<<(std::ostream& os, const Vec3& v)
{
    return os << "(" << v.x << ", " << v.y << ", " << v.z << ")";
}
} // namespace corvid

namespace corvid::testing {

struct SizedDevice : Device {
    SizedDevice(int w, int h) : width(w), height(h) {}
    int GetWidth() const override { return width; }
    int GetHeight() const override { return height; }
    void SetQuality(unsigned) override {}
    void SetShades(int) override {}
    void SetDither(bool) override {}
    void SetRenderMode(unsigned) override {}
    void SetTextureQuality(TextureQuality) override {}
    void Clear(const Frame&) override {}
    void Render(const Frame&, const Frame&, const ViewParameters&) override {}
    void Update() override {}
    Image ReadPixels() override { return {}; }
    int width, height;
};

constexpr int kCentreX = 200, kCentreY = 150;
constexpr float kUnitsPerPixelAtOrigin = 0.075f;

class ToolTest : public EditorTest {
protected:
    ToolTest()
    {
        editor.Viewport(1).device = std::make_unique<SizedDevice>(400, 300);
        editor.ActivateView(1);
    }

    // A registered box object with corners lo and hi in its own space, its
    // origin at `at` relative to SCENE, under parent (SCENE when null).
    FramePtr Box(const char* name, Vec3 at, Vec3 lo = {-1, -1, -1}, Vec3 hi = {1, 1, 1}, FramePtr parent = nullptr)
    {
        editor.insertionPoint = {};
        MeshBuilderPtr mesh = editor.BeginObjectCreation();
        for (int i = 0; i < 8; ++i)
            mesh->AddVertex({i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z});
        const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
        for (const auto& f : faces)
            mesh->AddFace(f);
        mesh->GenerateNormals(0.0f, 0);
        editor.FinishObjectCreation("Cube %s", editor.names.cube);
        FramePtr frame = editor.SelectedFrame();
        RecordOf(frame.get())->name = name;
        if (parent)
            parent->AddChild(frame);
        frame->SetPosition(editor.Scene().get(), at);
        editor.RegisterObject(frame);
        editor.ClearSelection();
        return frame;
    }

    // Every vertex of frame's meshes, relative to SCENE.
    std::vector<Vec3> ScenePoints(const FramePtr& frame)
    {
        std::vector<Vec3> out;
        Matrix4 toScene = frame->GetTransform(editor.Scene().get());
        for (const auto& mesh : frame->GetVisuals())
            for (const Vec3& v : mesh->GetVertices())
                out.push_back(toScene.TransformPoint(v));
        return out;
    }

    Vec3 At(const FramePtr& frame) { return frame->GetPosition(editor.Scene().get()); }

    void Press(int x, int y, MouseButton b = MouseButton::Left) { editor.ToolPress(b, x, y); }
    void Drag(int x, int y) { editor.ToolDrag(x, y); }
    void Release(int x, int y, MouseButton b = MouseButton::Left) { editor.ToolRelease(b, x, y); }
    // A whole left (or right) drag from one pixel to another in steps.
    void Gesture(int x0, int y0, int x1, int y1, MouseButton b = MouseButton::Left, int steps = 4)
    {
        Press(x0, y0, b);
        for (int i = 1; i <= steps; ++i)
            Drag(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
        Release(x1, y1, b);
    }

    // The tree mirrors the frames: every object below SCENE whose parent is
    // listed has an item under its parent's item, naming it; no item is left
    // for a frame that is gone. Returns a description of the first mismatch.
    std::string TreeMismatch()
    {
        std::map<long, const Frame*> expected;
        std::string problem;
        std::function<void(const FramePtr&)> walk = [&](const FramePtr& frame) {
            ObjectRecord* record = RecordOf(frame.get());
            if (!record)
                return;
            ObjectRecord* parent = RecordOf(frame->GetParent());
            if (parent && parent->treeItem) {
                auto it = ui.tree.find(record->treeItem);
                if (!record->treeItem || it == ui.tree.end())
                    problem = record->name + " has no item";
                else if (it->second.frame != frame.get() || it->second.parent != parent->treeItem)
                    problem = record->name + "'s item is misplaced";
                expected[record->treeItem] = frame.get();
            }
            for (const auto& child : frame->GetChildren())
                walk(child);
        };
        walk(editor.Scene());
        if (!problem.empty())
            return problem;
        for (const auto& [id, item] : ui.tree)
            if (item.frame != editor.World().get() && item.frame != editor.Scene().get() && !expected.count(id))
                return "stray item " + item.name;
        return {};
    }

    // Parent of every object, by name, for comparing before and after.
    std::map<std::string, std::string> Parents()
    {
        std::map<std::string, std::string> out;
        std::function<void(const Frame&)> walk = [&](const Frame& frame) {
            for (const auto& child : frame.GetChildren())
                if (RecordOf(child.get())) {
                    out[NameOf(child)] = RecordOf(&frame)->name;
                    walk(*child);
                }
        };
        walk(*editor.Scene());
        return out;
    }
};

} // namespace corvid::testing
