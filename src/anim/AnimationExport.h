#pragma once
// Rendering the animation into an AVI file: the settings kept from one export
// to the next, the "Animation Exporter" dialog's model, and the run itself.
//
// The run renders every frame on the caller's thread (the one that owns the
// scene and the render device) and hands the pictures to an AviWriter, which
// encodes them on its worker. A front end calls Step() once per frame, so it
// can keep its window painted and take Cancel between two frames.

#include "anim/AviWriter.h"
#include "platform/Device.h"
#include "platform/ImageService.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvid {

class Animation;
class Transport;
class Ui;
class ViewSet;

constexpr int kMaxAviSide = 2048;

// The export settings: kept in the Editor between exports.
struct AviExportSettings {
    std::string aviPath;
    int aviSizeMode = 3;  // 1 current size, 2 resolution, 3 custom
    int aviWidth = 320, aviHeight = 240;
    int customWidth = 320, customHeight = 240;
    int resolutionIndex = 0;
    int aviFrameMode = 1;  // 1 all frames, 2 aviFrom..aviTo
    int aviFrom = 0, aviTo = 100;
    int aviFrameRate = 30;
};

struct AviResolution {
    const char* text;
    int width, height;
};
constexpr std::array<AviResolution, 12> kAviResolutions{{
    {"640 x 480  TV-OUT", 640, 480},
    {"800 x 600  TV-OUT", 800, 600},
    {"720 x 480  NTSC  ", 720, 480},
    {"720 x 486  NTSC", 720, 486},
    {"720 x 576  PAL", 720, 576},
    {"768 x 676  PAL", 768, 676},
    {"352 x 240  NTSC  MPEG-1", 352, 240},
    {"352 x 288  PAL     MPEG-1", 352, 288},
    {"384 x 288  PAL     MPEG-1", 384, 288},
    {"704 x 480  NTSC  MPEG-2", 704, 480},
    {"704 x 576  PAL     MPEG-2", 704, 576},
    {"736 x 398  LETTER BOX", 736, 398},
}};

constexpr const char* kAviFileFilter = "AVI Files (*.avi)|*.avi|All Files (*.*)|*.*||";
constexpr const char* kAviCompleteMessage = "AVI Animation complete";
constexpr const char* kCompressionNotSupported = "Compression not Supported.";
constexpr const char* kAviLoadingTitle = "Status: Loading...";
constexpr const char* kAviCancelledTitle = "Animation Rendering Canceled";

// The chosen file name with ".avi" appended when its last component has no
// extension; a name with any extension is kept.
std::string AviFileName(const std::string& chosen);

// The rendering window's status line for frame number (i - first) of
// (last - first), elapsed whole seconds after the second frame started:
// "Status: Waiting..." for the first frame, otherwise "Status: Rendering
// Frame 3 of 10, Time elapsed: 1:2:5" (hours, minutes, seconds, no padding).
std::string AviStatusText(int frameNumber, int frameCount, long elapsedSeconds);

// The first and last frame to write: 0..maxFrames for "All frames", the
// range otherwise (first > last: nothing).
std::pair<int, int> AviFrameRange(const AviExportSettings& settings, int maxFrames);

// The "Animation Exporter" dialog. Opens on a copy of the settings with the
// viewport's client size; Accept gives the settings to keep, with the
// picture size computed from the chosen mode and held to 1..2048.
class AnimationExporterModel {
public:
    AnimationExporterModel(const AviExportSettings& settings, int viewportWidth, int viewportHeight);

    const AviExportSettings& Settings() const { return settings_; }

    // The size radios and the resolution list.
    void ChooseCurrentSize();
    void ChooseResolution();
    void ChooseCustomSize();
    void SelectResolution(int index);  // ignored outside the list
    // The frame radios.
    void ChooseAllFrames();
    void ChooseFrameRange();

    // The number fields: a text that is not a number (letters, "nan", "inf")
    // is refused (false) and the field keeps its value; a number beyond the
    // field's range is taken at the nearest limit. Fractions are cut.
    bool EnterWidth(const std::string& text);      // 0 .. 2048
    bool EnterHeight(const std::string& text);     // 0 .. 2048
    bool EnterFrom(const std::string& text);       // 0 .. 999999
    bool EnterTo(const std::string& text);         // 1 .. 1000000
    bool EnterFrameRate(const std::string& text);  // 1 .. 500

    // The settings as OK keeps them.
    AviExportSettings Accept() const;

private:
    void applySizeMode();

    AviExportSettings settings_;
    int viewportWidth_, viewportHeight_;
};

// The front end's compressor chooser: the compressors present, and the one
// picked; nothing when the person cancels.
using CompressorChooser = std::function<std::optional<AviCodec>(const std::vector<AviCodecInfo>&)>;

// What one export writes and how.
struct AviExportJob {
    std::string path;  // the target file
    int width = 320, height = 240;
    int first = 0, last = 100;
    int frameRate = 30;
};

enum class AviExportOutcome {
    Running,
    Completed,    // every frame written and the file in place
    Cancelled,    // stopped by the person; the frames written are in place
    NothingToDo,  // first > last: no file, no word
    Failed,       // no file written (chooser cancelled, open or write failure)
};

class AnimationExportRun {
public:
    // Renders through device (already made at job.width x job.height, its
    // render states set), from camera with view. clock gives seconds on a
    // monotonic clock (default: the steady clock).
    AnimationExportRun(Animation& animation, Transport& transport, ViewSet& views, Device& device, const Frame& camera,
                       const ViewParameters& view, AviExportJob job, CompressorChooser chooser,
                       std::function<double()> clock = {});
    ~AnimationExportRun();
    AnimationExportRun(const AnimationExportRun&) = delete;
    AnimationExportRun& operator=(const AnimationExportRun&) = delete;

    // Renders and queues the next frame (the first asks for the compressor).
    // False once the run has nothing more to do; then call Finish.
    bool Step();
    // The person's Cancel: the run ends before the next frame and keeps what
    // it wrote. Safe from any thread.
    void Cancel();
    bool CancelRequested() const { return cancelled_.load(); }

    // Finishes the file (the queued frames, the index, the rename), shows the
    // scene at the slider's frame again with its selection marker, and, when
    // every frame was written, shows "AVI Animation complete". Once.
    AviExportOutcome Finish();

    const AviExportJob& Job() const { return job_; }
    // The status line for the frame rendered last.
    const std::string& Status() const { return status_; }
    // The picture rendered last (empty before the first).
    const Image& LastPicture() const;
    // Frames handed to the writer.
    int FramesQueued() const { return queued_; }
    // Why the run failed, when it did.
    const std::string& Error() const { return error_; }

private:
    bool openWriter();

    Animation& animation_;
    Transport& transport_;
    ViewSet& views_;
    Device& device_;
    const Frame& camera_;
    ViewParameters view_;
    AviExportJob job_;
    CompressorChooser chooser_;
    std::function<double()> clock_;
    AviWriter writer_;

    std::atomic<bool> cancelled_{false};
    int next_;
    int queued_ = 0;
    long startSecond_ = 0;
    bool failed_ = false;
    bool started_ = false;
    bool finished_ = false;
    std::string status_;
    std::string error_;
    std::shared_ptr<const Image> last_;  // shared with the writer's queue
};

} // namespace corvid
