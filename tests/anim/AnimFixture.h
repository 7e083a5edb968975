#pragma once
// The scene model with its views, the animation and the transport, and
// helpers that read keys back.

#include "scene/SceneFixture.h"

#include "anim/Animation.h"
#include "anim/KeyLists.h"
#include "anim/Transport.h"
#include "render/MenuModel.h"
#include "render/ViewSet.h"

namespace corvid::testing {

class AnimTest : public SceneTest {
protected:
    AnimTest() { scene.History().Clear(); }

    KeyList& Keys(const FramePtr& frame) { return *RecordOf(frame.get())->keyList; }
    FrameInterpolator& Interpolator(const FramePtr& frame) { return *RecordOf(frame.get())->interpolator; }
    const std::array<uint8_t, 6>& Flags(const FramePtr& frame) { return RecordOf(frame.get())->animFlags; }
    // A registered point light at the origin.
    std::pair<FramePtr, LightPtr> MakeLight(LightType type = LightType::Spot)
    {
        FramePtr frame = scene.CreateLight(type, {});
        scene.RegisterObject(frame);
        LightPtr light = frame->GetLights()[0];
        scene.RegisterLight(light);
        return {frame, light};
    }
    // Animates at frame: the transport's way into the animating state.
    void AnimateAt(int frame)
    {
        transport.MoveSlider(frame);
        transport.Animate();
    }

    MenuModel menu;
    ViewSet views{scene, menu};
    Animation animation{scene};
    Transport transport{animation, views};
};

} // namespace corvid::testing
