#pragma once
// Shared set-up for the scene-model tests: an editor on a scripted Ui with a
// fixed sequence of pastel digits, and small helpers to make objects.

#include "app/ScriptedUi.h"
#include "platform/Frame.h"
#include "platform/Interpolator.h"
#include "platform/Light.h"
#include "platform/MeshBuilder.h"
#include "scene/Editor.h"
#include "scene/Records.h"

#include <gtest/gtest.h>

namespace corvid::testing {

class EditorTest : public ::testing::Test {
protected:
    EditorTest()
    {
        editor.randomDigit = [this] { return digits[digitIndex++ % digits.size()]; };
    }

    // A one-triangle object made the way every primitive is made.
    FramePtr MakeObject(const char* pattern, int& counter, Vec3 at = {})
    {
        editor.insertionPoint = at;
        MeshBuilderPtr mesh = editor.BeginObjectCreation();
        int v0 = mesh->AddVertex({0, 0, 0});
        int v1 = mesh->AddVertex({0, 1, 0});
        int v2 = mesh->AddVertex({1, 0, 0});
        int tri[3] = {v0, v1, v2};
        mesh->AddFace(tri);
        mesh->GenerateNormals(0.0f, 0);
        editor.FinishObjectCreation(pattern, counter);
        FramePtr frame = editor.SelectedFrame();
        editor.RegisterObject(frame);
        return frame;
    }
    FramePtr MakeSphere(Vec3 at = {}) { return MakeObject("Sphere %s", editor.names.sphere, at); }

    bool MasterHas(const std::shared_ptr<Interpolator>& interpolator) const
    {
        for (const auto& attached : editor.Master()->GetAttached())
            if (attached == interpolator)
                return true;
        return false;
    }

    static std::string NameOf(const FramePtr& frame)
    {
        ObjectRecord* r = RecordOf(frame.get());
        return r ? r->name : "<no record>";
    }

    ScriptedUi ui;
    Editor editor{ui};
    std::vector<int> digits{0, 3, 7};
    size_t digitIndex = 0;
};

} // namespace corvid::testing
