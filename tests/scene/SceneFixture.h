#pragma once
// Shared set-up for the scene-model tests: a scene model on a scripted Ui
// with a fixed sequence of pastel digits, and helpers that make objects and
// compare trees.

#include "platform/Frame.h"
#include "platform/Interpolator.h"
#include "platform/Light.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

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

class SceneTest : public ::testing::Test {
protected:
    SceneTest()
    {
        scene.randomDigit = [this] { return digits[digitIndex++ % digits.size()]; };
    }

    // A one-triangle object made the way every primitive is made.
    FramePtr MakeObject(const char* pattern, int& counter, Vec3 at = {})
    {
        scene.insertionPoint = at;
        MeshBuilderPtr mesh = scene.BeginObjectCreation();
        int v0 = mesh->AddVertex({0, 0, 0});
        int v1 = mesh->AddVertex({0, 1, 0});
        int v2 = mesh->AddVertex({1, 0, 0});
        int tri[3] = {v0, v1, v2};
        mesh->AddFace(tri);
        mesh->GenerateNormals(0.0f, 0);
        scene.FinishObjectCreation(pattern, counter);
        FramePtr frame = scene.SelectedFrame();
        scene.RegisterObject(frame);
        return frame;
    }
    FramePtr MakeSphere(Vec3 at = {}) { return MakeObject("Sphere %s", scene.names.sphere, at); }

    // A registered box object with corners lo and hi in its own space, its
    // origin at `at` relative to SCENE, under parent (SCENE when null).
    FramePtr Box(const char* name, Vec3 at, Vec3 lo = {-1, -1, -1}, Vec3 hi = {1, 1, 1}, FramePtr parent = nullptr)
    {
        scene.insertionPoint = {};
        MeshBuilderPtr mesh = scene.BeginObjectCreation();
        for (int i = 0; i < 8; ++i)
            mesh->AddVertex({i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z});
        const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
        for (const auto& f : faces)
            mesh->AddFace(f);
        mesh->GenerateNormals(0.0f, 0);
        scene.FinishObjectCreation("Cube %s", scene.names.cube);
        FramePtr frame = scene.SelectedFrame();
        RecordOf(frame.get())->name = name;
        if (parent)
            parent->AddChild(frame);
        frame->SetPosition(scene.Scene().get(), at);
        scene.RegisterObject(frame);
        scene.ClearSelection();
        return frame;
    }

    bool MasterHas(const std::shared_ptr<Interpolator>& interpolator) const
    {
        for (const auto& attached : scene.Master()->GetAttached())
            if (attached == interpolator)
                return true;
        return false;
    }

    static std::string NameOf(const FramePtr& frame)
    {
        ObjectRecord* r = frame ? RecordOf(frame.get()) : nullptr;
        return r ? r->name : "<no record>";
    }

    // Every vertex of frame's meshes, relative to SCENE.
    std::vector<Vec3> ScenePoints(const FramePtr& frame)
    {
        std::vector<Vec3> out;
        Matrix4 toScene = frame->GetTransform(scene.Scene().get());
        for (const auto& mesh : frame->GetVisuals())
            for (const Vec3& v : mesh->GetVertices())
                out.push_back(toScene.TransformPoint(v));
        return out;
    }

    Vec3 At(const FramePtr& frame) { return frame->GetPosition(scene.Scene().get()); }

    // The tree mirrors the frames: every registered object below SCENE whose
    // parent is listed has an item under its parent's item, naming it, in the
    // order of the frames; no item is left for a frame that is gone. Returns
    // a description of the first mismatch.
    std::string TreeMismatch()
    {
        std::map<long, const Frame*> expected;
        std::string problem;
        std::function<void(const FramePtr&)> walk = [&](const FramePtr& frame) {
            ObjectRecord* record = RecordOf(frame.get());
            if (!record || !record->interpolator)
                return;  // not an object, or not registered (a patch's control points)
            ObjectRecord* parent = RecordOf(frame->GetParent());
            if (parent && parent->treeItem) {
                auto it = ui.tree.find(record->treeItem);
                if (!record->treeItem || it == ui.tree.end())
                    problem = record->name + " has no item";
                else if (it->second.frame != frame.get() || it->second.parent != parent->treeItem)
                    problem = record->name + "'s item is misplaced";
                else if (it->second.name != record->name)
                    problem = record->name + "'s item reads " + it->second.name;
                expected[record->treeItem] = frame.get();
            }
            std::vector<long> order;
            for (const auto& child : frame->GetChildren())
                if (const ObjectRecord* r = RecordOf(child.get()); r && r->treeItem)
                    order.push_back(r->treeItem);
            if (record->treeItem && order != ui.TreeChildren(record->treeItem) && problem.empty())
                problem = record->name + "'s items are out of order";
            for (const auto& child : frame->GetChildren())
                walk(child);
        };
        walk(scene.Scene());
        if (!problem.empty())
            return problem;
        for (const auto& [id, item] : ui.tree)
            if (item.frame != scene.World().get() && item.frame != scene.Scene().get() && !expected.count(id))
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
        walk(*scene.Scene());
        return out;
    }

    ScriptedUi ui;
    SceneModel scene{ui};
    std::vector<int> digits{0, 3, 7};
    size_t digitIndex = 0;
};

} // namespace corvid::testing
