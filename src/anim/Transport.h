#pragma once
// The animation transport: whether the scene is being animated (edits record
// keys), played back or left alone; the transport bar (a frame slider and
// eight buttons) and the animation window (settings, speed read-outs and the
// real-time recorder), as models the front end draws; playback.
//
// Playback runs on the thread that owns the scene: the front end calls
// Tick(now) from a timer (every TickInterval() seconds while Playing()), with
// now read from a monotonic clock in seconds. A tick shows at most one frame;
// Stop() takes effect at once, and nothing runs while stopped. After every
// change of what the bar or the window show, the Ui hears TransportChanged.

#include "anim/Animation.h"
#include "platform/Fwd.h"

#include <optional>
#include <string>

namespace corvid {

class ViewSet;

enum class FrameSpeed { Fastest, Faster, Normal, Slower, Slowest };
enum class PathStyle { Linear, Spline, Nearest };
enum class PlaybackMode { TimeBased, FrameBased };

// The frames one step of frame-based playback advances at a frame speed.
float FrameSpeedStep(FrameSpeed speed);

// A number typed into the animation window: digits with at most one leading
// sign and one decimal point, read in the C locale whatever the person's
// locale is. Anything else (letters, "nan", "inf", exponents, blanks) is not
// a number.
std::optional<double> ParseTransportNumber(const std::string& text);

// What the animation window shows.
struct AnimationWindow {
    std::string currentFrame = "0";
    std::string maxFrames = "100";
    std::string speedNow = "0";   // frames per second in the running pass
    std::string speedLast = "0";  // in the last finished pass
    bool closed = false;          // "Open/Closed": the end behaviour in force
    PathStyle path = PathStyle::Linear;
    FrameSpeed frameSpeed = FrameSpeed::Normal;
    bool userSpeedTicked = false;
    std::string userSpeed = "1";
    std::string frameRate = "30";
    PlaybackMode mode = PlaybackMode::TimeBased;
    std::string recordingSpeed = "30";
    std::string recordEvery = "1";
    bool recordDown = false;  // "RECORD" reads "STOP" while down
    // Which controls take input.
    bool frameSpeedEnabled = false;
    bool userSpeedBoxEnabled = false;
    bool userSpeedEnabled = false;
    bool frameRateEnabled = true;
};

// The transport bar's slider: range 0..maximum, the page a click beside the
// thumb moves.
struct FrameSlider {
    int position = 0;
    int maximum = 100;
    int page = 10;
};

class Transport {
public:
    Transport(Animation& animation, ViewSet& views);
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    Animation& animation() { return animation_; }
    TransportState State() const { return animation_.state; }
    const char* StateText() const { return TransportStateText(animation_.state); }
    bool Playing() const { return animation_.IsPlaying(); }

    // --- the transport bar --------------------------------------------------------------
    const FrameSlider& Slider() const { return slider_; }
    // The animate button, or in its place while animating the stop-animating button.
    bool StopAnimatingShown() const { return animation_.IsAnimating(); }
    // now: seconds on a monotonic clock, where playback starts counting.
    void Play(double now);
    void Stop();
    void Animate();
    void StopAnimating();
    void GoToStart();
    void GoToEnd();
    void StepBack();
    void StepForward();
    // The slider dragged (or clicked) by the person to position.
    void MoveSlider(int position);

    // --- the animation window --------------------------------------------------------------
    const AnimationWindow& Window() const { return window_; }
    // The typed fields. A text that is not a number is refused (false) and
    // the previous value shows again; a number beyond the field's range is
    // taken at the nearest limit and shown as taken.
    bool EnterCurrentFrame(const std::string& text);  // 0 .. max frames
    bool EnterMaxFrames(const std::string& text);     // 1 .. 10000
    // The frame count from elsewhere (a scene file), clamped the same way.
    void SetMaxFrames(int frames);
    bool EnterUserSpeed(const std::string& text);     // 0.01 .. 1000
    bool EnterFrameRate(const std::string& text);     // 1 .. 1000, whole frames
    bool EnterRecordingSpeed(const std::string& text);  // 1 .. 1000
    bool EnterRecordEvery(const std::string& text);   // 0.1 .. 1000 seconds
    void SetUserSpeedTicked(bool ticked);
    // The user speed from elsewhere (a scene file), held to its range and
    // taken exactly as given.
    void SetUserSpeed(float speed);
    void SetPlaybackMode(PlaybackMode mode);
    // Each list replaces only its own group of interpolation options.
    void SetClosed(bool closed);
    void SetPathStyle(PathStyle style);
    void SetFrameSpeed(FrameSpeed speed);
    // "RECORD": the real-time recorder runs while it is down.
    void SetRecord(bool down);
    // Stops playback, clears every key (one step of the edit history) and
    // resets the window.
    void ClearAnimation();
    // The state and the window as at start-up (New Scene): stopped, options
    // open and linear, frame 0; the frame count stays.
    void Reset();

    // --- playback -------------------------------------------------------------------------
    // One frame of the running pass, when playing and rendering is on: time
    // based, the frame the clock has reached (frame rate x elapsed seconds
    // from the pass's start frame); frame based, the next step. Past the
    // last frame the next pass starts at 0.
    void Tick(double now);
    // How often the front end's timer should call Tick while playing:
    // 1 / frame rate time based, 0 (as often as it can) frame based.
    double TickInterval() const;

    // --- the real-time recorder --------------------------------------------------------------
    // After the 3D input device moved frame: while RECORD is down, a sample
    // every "Record every" seconds keeps frame's position and orientation
    // (relative to reference) at the frame that much real time reaches at
    // "Recording speed"; past the last frame RECORD is released (that
    // sample is still kept). Nothing while playing.
    void RecorderSample(const FramePtr& frame, const FramePtr& reference, double now);

private:
    void changed();
    // Moves the slider (and "Current frame") to position within its range.
    void setSlider(int position);
    void setSliderRange(int maximum);
    // Shows the slider's frame and, while animating, makes it the frame keys
    // are recorded at.
    void showSliderFrame();
    void showFrame(float frame);
    void beginPass(double now, float startFrame);
    void endPass(double now);
    void updateEnabling();
    void updateOptions();

    Animation& animation_;
    ViewSet& views_;
    FrameSlider slider_;
    AnimationWindow window_;

    // The running pass.
    double passStart_ = 0.0;
    float startFrame_ = 0.0f;  // time based
    float frame_ = 0.0f;       // frame based: the next frame to show
    long framesShown_ = 0;
    bool passWaiting_ = false;  // no frame shown yet: the clock starts with the first

    // The recorder.
    bool recorderRunning_ = false;
    double recorderStart_ = 0.0;
    double nextSample_ = 0.0;
};

} // namespace corvid
