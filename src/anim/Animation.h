#pragma once
// Key-frame animation of the scene model: the animation settings, the
// transport state, recording keys of objects, lights and the world while
// animating, showing any frame of the animation, and Clear Animation.
//
// Every object and light has an interpolator attached to the scene model's
// master interpolator (the scene model's registration makes them) and a key
// list beside it, which is what a scene file keeps. Showing frame t is one
// interpolation of the master at t. Keys are recorded only while the
// transport is animating, at the master's index (the current frame); each
// key is part of the edit history's open step, so undo takes it back.

#include "platform/Fwd.h"
#include "platform/Math.h"

#include <string>

namespace corvid {

class SceneModel;
struct ObjectRecord;

enum class TransportState { Animating = 0, Playing = 1, Stopped = 2 };

// The texts of the transport states ("ANIMATING", "PLAYING", "STOPPED").
const char* TransportStateText(TransportState state);

constexpr int kMaxAnimationFrames = 10000;

struct AnimationSettings {
    unsigned interpolationOptions = 5;  // open, linear
    int maxFrames = 100;                // 1 .. kMaxAnimationFrames
    float userSpeed = 1.0f;             // frames per step of frame-based playback
    int frameRate = 30;                 // frames per second of time-based playback
    int recordingSpeed = 30;            // frames per second of real time for the recorder
    float recordEvery = 1.0f;           // seconds between two recorder samples
};

// The animated parts of an object, a light and the world.
enum class ObjectProperty { Position, Orientation };
enum class LightProperty { Color, Range, Umbra, Penumbra, Attenuation };
enum class WorldProperty { FogColor, FogParams, Background };

// The six animation flags of an ObjectRecord and of a LightRecord.
enum ObjectAnimFlag : int {
    kAnimated = 0,
    kPositionStarted = 1,      // for WORLD: its fog-colour or background start key
    kOrientationStarted = 2,
    kFogParamsStarted = 4,     // WORLD only
};
enum LightAnimFlag : int {
    kLightAnimated = 0,
    kColorStarted = 1,
    kUmbraStarted = 2,
    kPenumbraStarted = 3,
    kRangeStarted = 4,
    kAttenuationStarted = 5,
};

class Animation {
public:
    explicit Animation(SceneModel& scene);
    Animation(const Animation&) = delete;
    Animation& operator=(const Animation&) = delete;

    SceneModel& scene() { return scene_; }

    AnimationSettings settings;
    TransportState state = TransportState::Stopped;
    bool IsAnimating() const { return state == TransportState::Animating; }
    bool IsPlaying() const { return state == TransportState::Playing; }

    // The master's index: the frame keys are recorded at while animating.
    float CurrentFrame() const;
    void SetCurrentFrame(float frame);

    // --- objects ---------------------------------------------------------------------------
    // While animating: keeps property's value at frame 0 unless that was done
    // before (the start flag), then sets the start flag and "animated".
    // Objects without an interpolator (a patch's control points, frames of
    // the views, unregistered objects) are left alone. False when nothing
    // was recorded.
    bool RecordStartKey(const FramePtr& object, ObjectProperty property);
    // Keeps property's value at time, relative to the object's parent, in
    // the interpolator and the key list. Only while animating.
    bool RecordKey(const FramePtr& object, ObjectProperty property, float time);
    // Both properties: the start keys before an edit, the keys at the
    // current frame after it (what a tool press and release do).
    void RecordStartKeys(const FramePtr& object);
    void RecordCurrentKeys(const FramePtr& object);
    // The real-time recorder's sample: position and orientation keys at time
    // relative to reference, whatever the state but playing; sets the
    // object's animated and start flags.
    bool RecordSample(const FramePtr& object, const FramePtr& reference, float time);

    // --- lights ------------------------------------------------------------------------------
    // While animating, before a change of property: its start key at 0 unless
    // its start flag is set. After the change: its key at the current frame.
    void BeforeLightChange(const LightPtr& light, LightProperty property);
    void AfterLightChange(const LightPtr& light, LightProperty property);

    // --- the world's fog and background -------------------------------------------------------
    // The same for WORLD's interpolator (no key list: world keys are not saved).
    void BeforeWorldChange(WorldProperty property);
    void AfterWorldChange(WorldProperty property);

    // Interpolates the whole scene at frame t with the interpolation options,
    // then moves SCENE by 1.0. The views are the caller's to redraw.
    void ShowFrame(float t);

    // Every object and light gets an empty key list and a fresh interpolator,
    // every start flag is cleared (so the next edit records its frame-0 key
    // again), and the settings keep their values.
    void ClearAnimation();

private:
    bool storeObjectKey(const FramePtr& object, ObjectProperty property, float time, Frame* reference);
    bool recordLightKey(const LightPtr& light, LightProperty property, float time);
    bool recordWorldKey(WorldProperty property, float time);

    SceneModel& scene_;
};

} // namespace corvid
