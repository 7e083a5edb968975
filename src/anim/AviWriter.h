#pragma once
// Writes a video stream of key frames into an AVI file through FFmpeg.
//
// The file is written beside its target under a temporary name and renamed
// into place only when Finish has written the index and closed it; a writer
// destroyed or abandoned before that removes the temporary file, so whatever
// was at the target stays as it was.
//
// Frames are handed over on the caller's thread and encoded on workers
// ("lanes") through a short queue: AddFrame returns as soon as the frame is
// queued (waiting while the queue is full), so rendering the next frame
// overlaps with encoding the last ones. Compressors whose frames are coded
// each on its own (uncompressed, Motion JPEG, MS Video 1) get a lane per
// processor, up to four, each with its own encoder; the frames are written in
// the order they came all the same. FFmpeg's types stay inside
// AviWriter.cpp.

#include "platform/ImageService.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvid {

// The compressors an AVI file can carry.
enum class AviCodec { FullFrames, MsVideo1, Cinepak, MotionJpeg };

struct AviCodecInfo {
    AviCodec codec;
    const char* text;     // what the compressor chooser lists
    const char* cliName;  // corvid-cli's --codec value
};

// The compressors whose encoders this FFmpeg has, in the chooser's order
// ("Full Frames" first, the default).
std::vector<AviCodecInfo> AvailableAviCodecs();
// The compressor corvid-cli's --codec names (raw, msvideo1, cinepak, mjpeg).
std::optional<AviCodec> AviCodecByName(const std::string& name);

// The rate a writer uses for a requested rate: 15 when it is not positive.
int AviFrameRate(int requested);

enum class AviOpenStatus {
    Opened,
    Unsupported,  // the compressor refuses this picture format (size)
    CannotOpen,   // the temporary file cannot be made or written
};

class AviWriter {
public:
    // Nothing is opened yet. frameRate <= 0 becomes 15.
    AviWriter(std::string path, int frameRate);
    // Abandons an unfinished file (see Abandon).
    ~AviWriter();
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    const std::string& Path() const { return path_; }
    int FrameRate() const { return frameRate_; }
    // The lanes the next Open makes for a compressor that can have several
    // (0, the default: one per processor, up to four).
    void SetLanes(int lanes);

    // Makes the encoder for width x height pictures and the temporary file,
    // writes the header and starts the worker. Unsupported leaves nothing
    // behind and may be retried with another codec; so may CannotOpen.
    AviOpenStatus Open(AviCodec codec, int width, int height, std::string* error = nullptr);
    bool IsOpen() const;

    // Queues one picture (8-bit RGBA, top row first, of the opened size) as
    // the next key frame. False once any frame failed to encode or write, or
    // for a picture of another size; nothing more is written then.
    bool AddFrame(Image picture);
    // The same for a picture the caller keeps looking at: the writer only
    // reads it.
    bool AddFrame(std::shared_ptr<const Image> picture);
    // Frames the worker has written so far.
    long FramesWritten() const;

    // Encodes what is queued, drains the encoder, writes the index, closes
    // the file and renames it over the target. False (with the reason) when
    // any of that failed, or a frame failed before; the temporary file is
    // removed then and the target left as it was.
    bool Finish(std::string* error = nullptr);
    // Stops the worker and removes the temporary file.
    void Abandon();

private:
    struct Impl;
    std::string path_;
    int frameRate_;
    int lanes_ = 0;
    std::unique_ptr<Impl> impl_;
};

} // namespace corvid
