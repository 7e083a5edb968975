#include "anim/AnimationExport.h"

#include "anim/Animation.h"
#include "anim/Transport.h"
#include "platform/Frame.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace corvid {

namespace {

double SteadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A typed whole number held to lo..hi; nothing for a text that is no number.
std::optional<int> FieldValue(const std::string& text, int lo, int hi)
{
    const std::optional<double> value = ParseTransportNumber(text);
    if (!value)
        return std::nullopt;
    return static_cast<int>(std::clamp(std::trunc(*value), static_cast<double>(lo), static_cast<double>(hi)));
}

int ClampSide(int side)
{
    return std::clamp(side, 1, kMaxAviSide);
}

} // namespace

std::string AviFileName(const std::string& chosen)
{
    const size_t slash = chosen.find_last_of('/');
    const std::string last = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
    if (last.find('.') != std::string::npos)
        return chosen;
    return chosen + ".avi";
}

std::string AviStatusText(int frameNumber, int frameCount, long elapsedSeconds)
{
    if (frameNumber == 0)
        return "Status: Waiting...";
    const long e = std::max(0L, elapsedSeconds);
    return "Status: Rendering Frame " + std::to_string(frameNumber) + " of " + std::to_string(frameCount) +
           ", Time elapsed: " + std::to_string(e / 3600) + ":" + std::to_string(e % 3600 / 60) + ":" +
           std::to_string(e % 3600 % 60);
}

std::pair<int, int> AviFrameRange(const AviExportSettings& settings, int maxFrames)
{
    if (settings.aviFrameMode == 1)
        return {0, maxFrames};
    return {settings.aviFrom, settings.aviTo};
}

// --- the "Animation Exporter" dialog ------------------------------------------------------

AnimationExporterModel::AnimationExporterModel(const AviExportSettings& settings, int viewportWidth,
                                               int viewportHeight)
    : settings_(settings), viewportWidth_(viewportWidth), viewportHeight_(viewportHeight)
{
    if (settings_.resolutionIndex < 0 || settings_.resolutionIndex >= static_cast<int>(kAviResolutions.size()))
        settings_.resolutionIndex = 0;
    if (settings_.aviSizeMode < 1 || settings_.aviSizeMode > 3)
        settings_.aviSizeMode = 3;
}

void AnimationExporterModel::applySizeMode()
{
    switch (settings_.aviSizeMode) {
    case 1:
        settings_.aviWidth = viewportWidth_;
        settings_.aviHeight = viewportHeight_;
        break;
    case 2: {
        const AviResolution& r = kAviResolutions[static_cast<size_t>(settings_.resolutionIndex)];
        settings_.aviWidth = r.width;
        settings_.aviHeight = r.height;
        break;
    }
    default:
        settings_.aviWidth = settings_.customWidth;
        settings_.aviHeight = settings_.customHeight;
        break;
    }
}

void AnimationExporterModel::ChooseCurrentSize()
{
    settings_.aviSizeMode = 1;
    applySizeMode();
}

void AnimationExporterModel::ChooseResolution()
{
    settings_.aviSizeMode = 2;
    applySizeMode();
}

void AnimationExporterModel::ChooseCustomSize()
{
    settings_.aviSizeMode = 3;
    applySizeMode();
}

void AnimationExporterModel::SelectResolution(int index)
{
    if (index < 0 || index >= static_cast<int>(kAviResolutions.size()))
        return;
    settings_.resolutionIndex = index;
    if (settings_.aviSizeMode == 2)
        applySizeMode();
}

void AnimationExporterModel::ChooseAllFrames()
{
    settings_.aviFrameMode = 1;
}

void AnimationExporterModel::ChooseFrameRange()
{
    settings_.aviFrameMode = 2;
}

bool AnimationExporterModel::EnterWidth(const std::string& text)
{
    const std::optional<int> value = FieldValue(text, 0, kMaxAviSide);
    if (!value)
        return false;
    settings_.customWidth = *value;
    settings_.aviWidth = settings_.customWidth;
    settings_.aviHeight = settings_.customHeight;
    return true;
}

bool AnimationExporterModel::EnterHeight(const std::string& text)
{
    const std::optional<int> value = FieldValue(text, 0, kMaxAviSide);
    if (!value)
        return false;
    settings_.customHeight = *value;
    settings_.aviWidth = settings_.customWidth;
    settings_.aviHeight = settings_.customHeight;
    return true;
}

bool AnimationExporterModel::EnterFrom(const std::string& text)
{
    const std::optional<int> value = FieldValue(text, 0, 999999);
    if (value)
        settings_.aviFrom = *value;
    return value.has_value();
}

bool AnimationExporterModel::EnterTo(const std::string& text)
{
    const std::optional<int> value = FieldValue(text, 1, 1000000);
    if (value)
        settings_.aviTo = *value;
    return value.has_value();
}

bool AnimationExporterModel::EnterFrameRate(const std::string& text)
{
    const std::optional<int> value = FieldValue(text, 1, 500);
    if (value)
        settings_.aviFrameRate = *value;
    return value.has_value();
}

AviExportSettings AnimationExporterModel::Accept() const
{
    // The size follows the mode chosen, whatever was typed after choosing it.
    AnimationExporterModel model = *this;
    model.applySizeMode();
    model.settings_.aviWidth = ClampSide(model.settings_.aviWidth);
    model.settings_.aviHeight = ClampSide(model.settings_.aviHeight);
    return model.settings_;
}

// --- the run ----------------------------------------------------------------------------------

AnimationExportRun::AnimationExportRun(Animation& animation, Transport& transport, ViewSet& views, Device& device,
                                       const Frame& camera, const ViewParameters& view, AviExportJob job,
                                       CompressorChooser chooser, std::function<double()> clock)
    : animation_(animation),
      transport_(transport),
      views_(views),
      device_(device),
      camera_(camera),
      view_(view),
      job_(std::move(job)),
      chooser_(std::move(chooser)),
      clock_(clock ? std::move(clock) : std::function<double()>(SteadySeconds)),
      writer_(job_.path, job_.frameRate),
      next_(job_.first)
{
    job_.width = ClampSide(job_.width);
    job_.height = ClampSide(job_.height);
    job_.frameRate = writer_.FrameRate();
}

AnimationExportRun::~AnimationExportRun()
{
    if (started_ && !finished_)
        Finish();
}

void AnimationExportRun::Cancel()
{
    cancelled_.store(true);
}

bool AnimationExportRun::openWriter()
{
    for (;;) {
        const std::optional<AviCodec> codec = chooser_ ? chooser_(AvailableAviCodecs()) : std::nullopt;
        if (!codec) {
            if (error_.empty())
                error_ = "no compressor was chosen";
            return false;
        }
        const AviOpenStatus status = writer_.Open(*codec, job_.width, job_.height, &error_);
        if (status == AviOpenStatus::Opened)
            return true;
        if (status == AviOpenStatus::CannotOpen)
            return false;
        views_.ui().ShowMessage(kCompressionNotSupported);
    }
}

bool AnimationExportRun::Step()
{
    if (finished_ || failed_ || cancelled_.load() || next_ > job_.last)
        return false;
    SceneModel& scene = animation_.scene();
    if (!started_) {
        started_ = true;
        views_.HideSelectionMarker();
    }
    const int i = next_;
    const long now = static_cast<long>(std::floor(clock_()));
    if (i == job_.first + 1)
        startSecond_ = now;
    status_ = AviStatusText(i - job_.first, job_.last - job_.first, i == job_.first ? 0 : now - startSecond_);

    // The frame: interpolated with the master off the recording frame, then
    // the two moves that let look-at and live wraps catch up.
    animation_.SetCurrentFrame(static_cast<float>(animation_.settings.maxFrames + 1));
    animation_.ShowFrame(static_cast<float>(i));
    scene.Scene()->Move(4.0f);
    device_.Clear(*scene.World());
    device_.Render(*scene.World(), camera_, view_);
    device_.Update();
    auto picture = std::make_shared<const Image>(device_.ReadPixels());
    if (picture->width != job_.width || picture->height != job_.height || !IsValidImage(*picture)) {
        error_ = "the frame could not be rendered";
        failed_ = true;
        return false;
    }
    if (i == job_.first && !openWriter()) {
        failed_ = true;
        return false;
    }
    last_ = picture;
    if (!writer_.AddFrame(std::move(picture))) {
        failed_ = true;
        return false;
    }
    ++queued_;
    ++next_;
    return next_ <= job_.last && !cancelled_.load();
}

const Image& AnimationExportRun::LastPicture() const
{
    static const Image kNone;
    return last_ ? *last_ : kNone;
}

AviExportOutcome AnimationExportRun::Finish()
{
    if (finished_)
        return AviExportOutcome::Failed;
    finished_ = true;
    if (!started_)
        return AviExportOutcome::NothingToDo;

    bool written = false;
    // A run that failed keeps nothing; a finished or cancelled one keeps
    // every frame it wrote.
    if (writer_.IsOpen() && !failed_) {
        std::string reason;
        written = writer_.Finish(&reason);
        if (!written && error_.empty())
            error_ = reason;
    }
    if (!written)
        writer_.Abandon();

    // The scene shows the frame it showed before, with its marker.
    const float slider = static_cast<float>(transport_.Slider().position);
    animation_.SetCurrentFrame(slider);
    animation_.ShowFrame(slider);
    views_.FitSelectionMarker();

    if (!written)
        return AviExportOutcome::Failed;
    if (cancelled_.load() && queued_ < job_.last - job_.first + 1)
        return AviExportOutcome::Cancelled;
    views_.ui().ShowMessage(kAviCompleteMessage);
    return AviExportOutcome::Completed;
}

} // namespace corvid
