#include "anim/Transport.h"

#include "platform/Interpolator.h"
#include "render/RenderGate.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace corvid {

namespace {

constexpr double kMinUserSpeed = 0.01, kMaxUserSpeed = 1000.0;
constexpr double kMinRate = 1.0, kMaxRate = 1000.0;
constexpr double kMinRecordEvery = 0.1, kMaxRecordEvery = 1000.0;

std::string FormatWhole(double value)
{
    return std::to_string(static_cast<long long>(value));
}

// Shortest text of a float for a field ("1", "0.5").
std::string FormatNumber(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

float FrameSpeedStep(FrameSpeed speed)
{
    switch (speed) {
    case FrameSpeed::Fastest:
        return 3.0f;
    case FrameSpeed::Faster:
        return 2.0f;
    case FrameSpeed::Normal:
        return 1.0f;
    case FrameSpeed::Slower:
        return 0.5f;
    case FrameSpeed::Slowest:
        return 0.25f;
    }
    return 1.0f;
}

std::optional<double> ParseTransportNumber(const std::string& text)
{
    // By hand rather than strtod: no locale, no exponents, no "nan" or "inf".
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    double whole = 0.0, fraction = 0.0, scale = 1.0;
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.') {
            if (point)
                return std::nullopt;
            point = true;
        } else if (c >= '0' && c <= '9') {
            digits = true;
            if (point) {
                scale *= 0.1;
                fraction += (c - '0') * scale;
            } else {
                whole = whole * 10.0 + (c - '0');
            }
        } else {
            return std::nullopt;
        }
    }
    if (!digits || !std::isfinite(whole))
        return std::nullopt;
    const double value = whole + fraction;
    return negative ? -value : value;
}

Transport::Transport(Animation& animation, ViewSet& views) : animation_(animation), views_(views)
{
    Reset();
}

void Transport::changed()
{
    views_.ui().Notify(Notification::TransportChanged);
}

// --- the bar ---------------------------------------------------------------------------------

void Transport::setSliderRange(int maximum)
{
    slider_.maximum = maximum;
    slider_.page = std::max(1, maximum / 10);
    setSlider(0);
}

void Transport::setSlider(int position)
{
    slider_.position = std::clamp(position, 0, slider_.maximum);
    window_.currentFrame = std::to_string(slider_.position);
}

void Transport::showFrame(float frame)
{
    animation_.ShowFrame(frame);
    // The marker and the panels follow the selection to where the frame puts it.
    if (views_.scene().HasSelection()) {
        views_.FitSelectionMarker();
        views_.RefreshObjectInfo();
    }
    // A full-screen switch closes the gate: the frame is shown, not drawn.
    if (RenderGate::Pass pass{ProcessRenderGate()})
        views_.RenderAllViews();
}

void Transport::showSliderFrame()
{
    showFrame(static_cast<float>(slider_.position));
    if (animation_.IsAnimating())
        animation_.SetCurrentFrame(static_cast<float>(slider_.position));
}

void Transport::Play(double now)
{
    if (animation_.IsPlaying())
        return;
    animation_.state = TransportState::Playing;
    const float start = static_cast<float>(slider_.position);
    beginPass(now, start);
    changed();
}

void Transport::Stop()
{
    animation_.state = TransportState::Stopped;
    changed();
}

void Transport::Animate()
{
    if (animation_.state != TransportState::Stopped)
        return;
    animation_.state = TransportState::Animating;
    animation_.SetCurrentFrame(static_cast<float>(slider_.position));
    changed();
}

void Transport::StopAnimating()
{
    if (!animation_.IsAnimating())
        return;
    animation_.state = TransportState::Stopped;
    changed();
}

void Transport::MoveSlider(int position)
{
    if (animation_.IsPlaying()) {
        // Navigating stops a playback where it is.
        Stop();
        return;
    }
    setSlider(position);
    showSliderFrame();
    changed();
}

void Transport::GoToStart() { MoveSlider(0); }
void Transport::GoToEnd() { MoveSlider(slider_.maximum); }
void Transport::StepBack() { MoveSlider(slider_.position - 1); }
void Transport::StepForward() { MoveSlider(slider_.position + 1); }

// --- the window ------------------------------------------------------------------------------

bool Transport::EnterCurrentFrame(const std::string& text)
{
    const auto value = ParseTransportNumber(text);
    if (!value) {
        changed();  // the field shows its value again
        return false;
    }
    const int frame = static_cast<int>(std::clamp(*value, 0.0, static_cast<double>(slider_.maximum)));
    if (animation_.IsPlaying()) {
        Stop();
        return true;
    }
    setSlider(frame);
    showSliderFrame();
    changed();
    return true;
}

bool Transport::EnterMaxFrames(const std::string& text)
{
    const auto value = ParseTransportNumber(text);
    if (value) {
        const int frames = static_cast<int>(std::clamp(*value, 1.0, static_cast<double>(kMaxAnimationFrames)));
        animation_.settings.maxFrames = frames;
        setSliderRange(frames);
    }
    window_.maxFrames = std::to_string(animation_.settings.maxFrames);
    changed();
    return value.has_value();
}

void Transport::SetMaxFrames(int frames)
{
    animation_.settings.maxFrames = std::clamp(frames, 1, kMaxAnimationFrames);
    window_.maxFrames = std::to_string(animation_.settings.maxFrames);
    setSliderRange(animation_.settings.maxFrames);
    changed();
}

bool Transport::EnterUserSpeed(const std::string& text)
{
    const auto value = ParseTransportNumber(text);
    if (value) {
        const double speed = std::clamp(*value, kMinUserSpeed, kMaxUserSpeed);
        window_.userSpeed = FormatNumber(speed);
        if (window_.userSpeedTicked)
            animation_.settings.userSpeed = static_cast<float>(speed);
    }
    changed();
    return value.has_value();
}

bool Transport::EnterFrameRate(const std::string& text)
{
    const auto value = ParseTransportNumber(text);
    if (value)
        animation_.settings.frameRate = static_cast<int>(std::clamp(*value, kMinRate, kMaxRate));
    window_.frameRate = std::to_string(animation_.settings.frameRate);
    changed();
    return value.has_value();
}

bool Transport::EnterRecordingSpeed(const std::string& text)
{
    const auto value = ParseTransportNumber(text);
    if (value)
        animation_.settings.recordingSpeed = static_cast<int>(std::clamp(*value, kMinRate, kMaxRate));
    window_.recordingSpeed = std::to_string(animation_.settings.recordingSpeed);
    changed();
    return value.has_value();
}

bool Transport::EnterRecordEvery(const std::string& text)
{
    const auto value = ParseTransportNumber(text);
    if (value)
        animation_.settings.recordEvery = static_cast<float>(std::clamp(*value, kMinRecordEvery, kMaxRecordEvery));
    window_.recordEvery = FormatNumber(animation_.settings.recordEvery);
    changed();
    return value.has_value();
}

void Transport::updateEnabling()
{
    const bool frameBased = window_.mode == PlaybackMode::FrameBased;
    window_.frameRateEnabled = !frameBased;
    window_.userSpeedBoxEnabled = frameBased;
    window_.userSpeedEnabled = frameBased && window_.userSpeedTicked;
    window_.frameSpeedEnabled = frameBased && !window_.userSpeedTicked;
}

void Transport::SetUserSpeedTicked(bool ticked)
{
    window_.userSpeedTicked = ticked;
    if (ticked)
        if (auto value = ParseTransportNumber(window_.userSpeed))
            animation_.settings.userSpeed = static_cast<float>(*value);
    updateEnabling();
    changed();
}

void Transport::SetUserSpeed(float speed)
{
    const double taken = std::clamp(static_cast<double>(speed), kMinUserSpeed, kMaxUserSpeed);
    animation_.settings.userSpeed = static_cast<float>(taken);
    window_.userSpeed = FormatNumber(taken);
    changed();
}

void Transport::SetPlaybackMode(PlaybackMode mode)
{
    window_.mode = mode;
    updateEnabling();
    changed();
}

void Transport::updateOptions()
{
    unsigned options = window_.closed ? kInterpolationClosed : kInterpolationOpen;
    switch (window_.path) {
    case PathStyle::Linear:
        options |= kInterpolationLinear;
        break;
    case PathStyle::Spline:
        options |= kInterpolationSpline;
        break;
    case PathStyle::Nearest:
        options |= kInterpolationNearest;
        break;
    }
    animation_.settings.interpolationOptions = options;
}

void Transport::SetClosed(bool closed)
{
    window_.closed = closed;
    updateOptions();
    changed();
}

void Transport::SetPathStyle(PathStyle style)
{
    window_.path = style;
    updateOptions();
    changed();
}

void Transport::SetFrameSpeed(FrameSpeed speed)
{
    window_.frameSpeed = speed;
    changed();
}

void Transport::SetRecord(bool down)
{
    window_.recordDown = down;
    changed();
}

void Transport::ClearAnimation()
{
    if (animation_.IsPlaying())
        Stop();
    animation_.ClearAnimation();
    Reset();
}

void Transport::Reset()
{
    animation_.state = TransportState::Stopped;
    window_.closed = false;
    window_.path = PathStyle::Linear;
    window_.frameSpeed = FrameSpeed::Normal;
    updateOptions();
    window_.maxFrames = std::to_string(animation_.settings.maxFrames);
    window_.speedNow = "0";
    window_.frameRate = std::to_string(animation_.settings.frameRate);
    window_.recordingSpeed = std::to_string(animation_.settings.recordingSpeed);
    window_.recordEvery = FormatNumber(animation_.settings.recordEvery);
    window_.userSpeed = FormatNumber(animation_.settings.userSpeed);
    updateEnabling();
    setSliderRange(animation_.settings.maxFrames);
    changed();
}

// --- playback ----------------------------------------------------------------------------------

void Transport::beginPass(double now, float startFrame)
{
    passStart_ = now;
    startFrame_ = startFrame;
    frame_ = startFrame;
    framesShown_ = 0;
    passWaiting_ = true;
}

void Transport::endPass(double now)
{
    window_.speedLast = window_.speedNow;
    beginPass(now, 0.0f);
}

double Transport::TickInterval() const
{
    if (window_.mode == PlaybackMode::FrameBased)
        return 0.0;
    return 1.0 / std::max(1, animation_.settings.frameRate);
}

void Transport::Tick(double now)
{
    if (!animation_.IsPlaying() || !views_.renderingEnabled)
        return;
    if (passWaiting_) {
        // The pass's clock starts with its first frame.
        passStart_ = now;
        passWaiting_ = false;
    }
    const float last = static_cast<float>(animation_.settings.maxFrames);
    const double elapsed = now - passStart_;
    float frame = 0.0f;
    if (window_.mode == PlaybackMode::TimeBased) {
        frame = static_cast<float>(animation_.settings.frameRate * elapsed) + startFrame_;
        if (frame > last) {
            endPass(now);
            passWaiting_ = false;
            frame = 0.0f;
        }
    } else {
        if (frame_ > last) {
            endPass(now);
            passWaiting_ = false;
        }
        frame = frame_;
        const float step = window_.userSpeedTicked ? animation_.settings.userSpeed : FrameSpeedStep(window_.frameSpeed);
        frame_ += std::max(step, 0.001f);
    }
    setSlider(static_cast<int>(frame));
    const double passTime = now - passStart_;
    window_.speedNow = passTime > 0.0 ? FormatWhole(static_cast<double>(framesShown_) / passTime) : "0";
    showFrame(frame);
    ++framesShown_;
    changed();
}

// --- the recorder ------------------------------------------------------------------------------

void Transport::RecorderSample(const FramePtr& frame, const FramePtr& reference, double now)
{
    if (!window_.recordDown) {
        recorderRunning_ = false;
        nextSample_ = 0.0;
        return;
    }
    if (animation_.IsPlaying())
        return;
    if (!recorderRunning_) {
        recorderStart_ = now;
        recorderRunning_ = true;
    }
    const double elapsed = now - recorderStart_;
    if (elapsed <= nextSample_)
        return;
    const double at = elapsed * animation_.settings.recordingSpeed;
    if (at > animation_.settings.maxFrames)
        window_.recordDown = false;  // this sample is still taken
    setSlider(static_cast<int>(at));
    {
        EditStep step(animation_.scene().History(), "Record Key");
        animation_.RecordSample(frame, reference, static_cast<float>(at));
    }
    nextSample_ += animation_.settings.recordEvery;
    changed();
}

} // namespace corvid
