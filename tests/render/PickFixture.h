#pragma once
// An editor on the fake views with VIEWPORT_1's device built (400 x 300),
// and helpers that put boxes with records into the scene.

#include "render/ViewFakes.h"

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"

namespace corvid::testing {

class PickTest : public ViewTest {
protected:
    PickTest()
    {
        EXPECT_TRUE(views.BuildViewDevice(View(1)));
        views.ActivateView(1);
    }

    // A cube of half size half, centred on the frame's origin.
    static MeshBuilderPtr Cube(float half)
    {
        auto mesh = MeshBuilder::Create();
        for (int i = 0; i < 8; ++i)
            mesh->AddVertex({i & 1 ? half : -half, i & 2 ? half : -half, i & 4 ? half : -half});
        const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
        for (const auto& f : faces)
            mesh->AddFace(f);
        mesh->GenerateNormals(0.0f, 0);
        return mesh;
    }

    // A frame with a record under parent (SCENE by default), at position
    // relative to SCENE, showing a cube when half > 0.
    FramePtr Add(const std::string& name, Vec3 position, float half = 1.0f, FramePtr parent = nullptr,
                 int kind = kObject)
    {
        FramePtr frame = Frame::Create(parent ? parent.get() : scene.Scene().get());
        frame->SetPosition(scene.Scene().get(), position);
        if (half > 0.0f)
            frame->AddVisual(Cube(half));
        AttachRecord(*frame, std::make_unique<ObjectRecord>(kind, name));
        scene.RegisterObject(frame);
        return frame;
    }

    static std::string NameOf(const FramePtr& frame)
    {
        ObjectRecord* record = frame ? RecordOf(frame.get()) : nullptr;
        return record ? record->name : "<none>";
    }
    bool MarkerShown() { return scene.MarkerFrame()->GetTraversalOptions() != 0; }
    static Vec3 Round(Vec3 v)
    {
        auto r = [](float f) { return std::round(f * 1000.0f) / 1000.0f + 0.0f; };
        return {r(v.x), r(v.y), r(v.z)};
    }
};

} // namespace corvid::testing

namespace corvid {
inline std::ostream& operator<<(std::ostream& os, const Vec3& v)
{
    return os << "(" << v.x << ", " << v.y << ", " << v.z << ")";
}
} // namespace corvid
