#pragma once
// Helpers that find the parts of a patch tree CreatePatch built.

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"

#include <cmath>
#include <vector>

namespace corvid::testing {

// What the patch tests look at in a patch tree.
struct PatchParts {
    static FramePtr GroupOf(const FramePtr& patch) { return patch->GetChildren().at(0); }

    static std::vector<FramePtr> ControlPoints(const FramePtr& patch)
    {
        std::vector<FramePtr> out;
        for (const FramePtr& child : GroupOf(patch)->GetChildren())
            if (RecordOf(child.get()) && RecordOf(child.get())->kind == kControlPoint)
                out.push_back(child);
        return out;
    }

    static FramePtr PointAt(const FramePtr& patch, int row, int column)
    {
        for (const FramePtr& p : ControlPoints(patch))
            if (RecordOf(p.get())->cpRow == row && RecordOf(p.get())->cpColumn == column)
                return p;
        return nullptr;
    }

    static MeshBuilder& Surface(const FramePtr& patch) { return *patch->GetVisuals().at(0); }

    // Lifts control point (row, column) by dy in its group's space.
    static void Lift(const FramePtr& patch, int row, int column, float dy)
    {
        FramePtr p = PointAt(patch, row, column);
        Vec3 at = p->GetPosition(p->GetParent());
        p->SetPosition(p->GetParent(), at + Vec3{0.0f, dy, 0.0f});
    }

    static bool Near(const Vec3& a, const Vec3& b, float eps = 1e-5f)
    {
        return std::fabs(a.x - b.x) <= eps && std::fabs(a.y - b.y) <= eps && std::fabs(a.z - b.z) <= eps;
    }
};

} // namespace corvid::testing
