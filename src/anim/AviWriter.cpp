#include "anim/AviWriter.h"

#include "platform/OutputFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace corvid {

namespace {

struct CodecEntry {
    AviCodecInfo info;
    AVCodecID id;
};

constexpr CodecEntry kCodecs[] = {
    {{AviCodec::FullFrames, "Full Frames (Uncompressed)", "raw"}, AV_CODEC_ID_RAWVIDEO},
    {{AviCodec::MsVideo1, "Microsoft Video 1", "msvideo1"}, AV_CODEC_ID_MSVIDEO1},
    {{AviCodec::Cinepak, "Cinepak Codec (slow)", "cinepak"}, AV_CODEC_ID_CINEPAK},
    {{AviCodec::MotionJpeg, "Motion JPEG", "mjpeg"}, AV_CODEC_ID_MJPEG},
};

// The most encoders that work on frames side by side.
constexpr unsigned kMaxLanes = 4;

std::string AvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

void SetError(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
}

} // namespace

std::vector<AviCodecInfo> AvailableAviCodecs()
{
    std::vector<AviCodecInfo> list;
    for (const CodecEntry& entry : kCodecs)
        if (avcodec_find_encoder(entry.id))
            list.push_back(entry.info);
    return list;
}

std::optional<AviCodec> AviCodecByName(const std::string& name)
{
    for (const CodecEntry& entry : kCodecs)
        if (name == entry.info.cliName)
            return entry.info.codec;
    return std::nullopt;
}

int AviFrameRate(int requested)
{
    return requested > 0 ? requested : 15;
}

// One encoder and what it works with. Every lane has its own, so that lanes
// can code frames at the same time.
struct Lane {
    ~Lane()
    {
        avcodec_free_context(&encoder);
        av_frame_free(&frame);
        av_frame_free(&source);
        av_packet_free(&packet);
        sws_freeContext(scaler);
        for (AVPacket*& p : ready)
            av_packet_free(&p);
    }

    AVCodecContext* encoder = nullptr;
    AVFrame* frame = nullptr;
    AVFrame* source = nullptr;  // the RGBA picture, for swscale
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
    bool used = false;               // the encoder has coded a frame
    std::vector<AVPacket*> ready;    // coded, not yet written
    std::thread thread;
};

struct AviWriter::Impl {
    ~Impl() { Stop(); Close(); }

    // --- set up on the caller's thread before the lanes start ---
    const AVCodec* encoderCodec = nullptr;
    AVFormatContext* format = nullptr;
    AVStream* stream = nullptr;
    AviCodec codec = AviCodec::FullFrames;
    int width = 0, height = 0, frameRate = 15;
    // A fresh encoder for every frame (see Open).
    bool freshEncoders = false;
    std::vector<std::unique_ptr<Lane>> lanes;
    size_t capacity = 2;  // frames waiting in the queue
    std::string tempPath;
    bool headerWritten = false;

    // --- shared with the lanes ---
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::pair<long, std::shared_ptr<const Image>>> queue;
    long queued = 0;      // frames handed over
    long committed = 0;   // frames written, in order: the next one to write
    bool closing = false;  // no more frames come
    bool failed = false;   // a frame could not be encoded or written
    std::string failure;
    std::atomic<long> written{0};

    // An encoder for width x height pictures; the reason when it cannot be
    // opened (unsupported tells a refused picture format from the rest).
    std::optional<std::string> OpenEncoder(Lane& lane, bool* unsupported = nullptr)
    {
        avcodec_free_context(&lane.encoder);
        lane.used = false;
        AVCodecContext* c = avcodec_alloc_context3(encoderCodec);
        lane.encoder = c;
        if (!c)
            return std::string("out of memory");
        c->width = width;
        c->height = height;
        c->time_base = AVRational{1, frameRate};
        c->framerate = AVRational{frameRate, 1};
        c->gop_size = 1;
        c->keyint_min = 1;
        c->max_b_frames = 0;
        switch (codec) {
        case AviCodec::FullFrames:
            c->pix_fmt = AV_PIX_FMT_BGR24;
            break;
        case AviCodec::MotionJpeg:
            c->pix_fmt = AV_PIX_FMT_YUVJ420P;
            c->flags |= AV_CODEC_FLAG_QSCALE;
            c->global_quality = FF_QP2LAMBDA * 3;
            break;
        default:
            c->pix_fmt = encoderCodec->pix_fmts ? encoderCodec->pix_fmts[0] : AV_PIX_FMT_RGB24;
            break;
        }
        // One thread each: the lanes are the encoders' threads, and some
        // encoders would hold frames back for their own.
        c->thread_count = 1;
        if (format && (format->oformat->flags & AVFMT_GLOBALHEADER))
            c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        const int code = avcodec_open2(c, encoderCodec, nullptr);
        if (code < 0) {
            if (unsupported)
                *unsupported = true;
            return "the compressor refuses " + std::to_string(width) + " x " + std::to_string(height) +
                   " pictures: " + AvError(code);
        }
        return std::nullopt;
    }

    // The lane's encoder, frames, packet and converter.
    std::optional<std::string> OpenLane(Lane& lane, bool* unsupported = nullptr)
    {
        if (auto problem = OpenEncoder(lane, unsupported))
            return problem;
        lane.packet = av_packet_alloc();
        if (!lane.packet)
            return std::string("out of memory");
        // Uncompressed frames go straight into their packets: no frame, no
        // converter.
        if (codec == AviCodec::FullFrames)
            return std::nullopt;
        lane.frame = av_frame_alloc();
        if (!lane.frame)
            return std::string("out of memory");
        lane.frame->format = lane.encoder->pix_fmt;
        lane.frame->width = width;
        lane.frame->height = height;
        if (av_frame_get_buffer(lane.frame, 0) < 0)
            return std::string("out of memory");
        lane.scaler = sws_getContext(width, height, AV_PIX_FMT_RGBA, width, height, lane.encoder->pix_fmt,
                                     SWS_POINT, nullptr, nullptr, nullptr);
        lane.source = av_frame_alloc();
        if (!lane.scaler || !lane.source) {
            if (unsupported)
                *unsupported = true;
            return std::string("cannot convert pictures for this compressor");
        }
        lane.source->format = AV_PIX_FMT_RGBA;
        lane.source->width = width;
        lane.source->height = height;
        if (av_frame_get_buffer(lane.source, 0) < 0)
            return std::string("out of memory");
        std::memset(lane.source->buf[0]->data, 0, lane.source->buf[0]->size);
        return std::nullopt;
    }

    // Fills the lane's frame from an RGBA picture for the lane's converter.
    void Fill(Lane& lane, const Image& picture)
    {
        AVFrame* frame = lane.frame;
        // swscale reads past the end of its rows: it gets a padded copy.
        AVFrame* source = lane.source;
        for (int y = 0; y < height; ++y)
            std::memcpy(source->data[0] + static_cast<ptrdiff_t>(y) * source->linesize[0],
                        &picture.rgba[static_cast<size_t>(y) * static_cast<size_t>(width) * 4],
                        static_cast<size_t>(width) * 4);
        sws_scale(lane.scaler, source->data, source->linesize, 0, height, frame->data, frame->linesize);
    }

    // Sends input (null: drain) to the lane's encoder and keeps what comes
    // out in lane.ready. The reason on failure.
    std::optional<std::string> Encode(Lane& lane, AVFrame* input)
    {
        int code = avcodec_send_frame(lane.encoder, input);
        if (code < 0)
            return "cannot encode a frame: " + AvError(code);
        for (;;) {
            code = avcodec_receive_packet(lane.encoder, lane.packet);
            if (code == AVERROR(EAGAIN) || code == AVERROR_EOF)
                return std::nullopt;
            if (code < 0)
                return "cannot encode a frame: " + AvError(code);
            if (auto problem = KeepPacket(lane))
                return problem;
        }
    }

    // Moves the lane's packet onto its list of packets ready to write.
    static std::optional<std::string> KeepPacket(Lane& lane)
    {
        AVPacket* kept = av_packet_alloc();
        if (!kept) {
            av_packet_unref(lane.packet);
            return std::string("out of memory");
        }
        av_packet_move_ref(kept, lane.packet);
        lane.ready.push_back(kept);
        return std::nullopt;
    }

    // Writes the lane's coded packets into the file. Only the lane whose turn
    // it is (or the caller once the lanes stopped) calls this.
    std::optional<std::string> WriteReady(Lane& lane)
    {
        std::optional<std::string> problem;
        for (AVPacket*& p : lane.ready) {
            if (!problem) {
                // Every frame stands alone.
                p->flags |= AV_PKT_FLAG_KEY;
                p->stream_index = stream->index;
                av_packet_rescale_ts(p, lane.encoder->time_base, stream->time_base);
                const int code = av_interleaved_write_frame(format, p);
                if (code < 0)
                    problem = "cannot write a frame: " + AvError(code);
            }
            av_packet_free(&p);
        }
        lane.ready.clear();
        return problem;
    }

    // An uncompressed frame goes straight into its packet, as the AVI reader
    // expects it: BGR, bottom row first, rows packed.
    std::optional<std::string> CodeUncompressed(Lane& lane, const Image& picture, long index)
    {
        const size_t row = static_cast<size_t>(width) * 3;
        if (av_new_packet(lane.packet, static_cast<int>(row * static_cast<size_t>(height))) < 0)
            return std::string("out of memory");
        for (int y = 0; y < height; ++y)
            RgbaRowToBgr(&picture.rgba[static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) * 4],
                         lane.packet->data + static_cast<size_t>(y) * row, width);
        lane.packet->pts = lane.packet->dts = index;
        lane.packet->duration = 1;
        return KeepPacket(lane);
    }

    // Codes one frame on the lane.
    std::optional<std::string> Code(Lane& lane, const Image& picture, long index)
    {
        if (codec == AviCodec::FullFrames)
            return CodeUncompressed(lane, picture, index);
        if (freshEncoders && lane.used) {
            if (auto problem = OpenEncoder(lane))
                return problem;
        }
        if (av_frame_make_writable(lane.frame) < 0)
            return std::string("out of memory");
        Fill(lane, picture);
        lane.frame->pts = index;
        lane.frame->pict_type = AV_PICTURE_TYPE_I;
        lane.frame->key_frame = 1;
        lane.used = true;
        return Encode(lane, lane.frame);
    }

    void Fail(const std::string& problem)
    {
        std::lock_guard lock(mutex);
        if (!failed) {
            failed = true;
            failure = problem;
        }
        queue.clear();
        changed.notify_all();
    }

    // A lane: takes the next frame, codes it, waits for its turn and writes
    // it. Frames are written in the order they were handed over.
    void Run(Lane& lane)
    {
        for (;;) {
            long index = 0;
            std::shared_ptr<const Image> picture;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return !queue.empty() || closing || failed; });
                if (failed || queue.empty())
                    return;
                index = queue.front().first;
                picture = std::move(queue.front().second);
                queue.pop_front();
                changed.notify_all();
            }
            std::optional<std::string> problem = Code(lane, *picture, index);
            picture.reset();
            if (problem) {
                Fail(*problem);
                return;
            }
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return committed == index || failed; });
                if (failed)
                    return;
            }
            problem = WriteReady(lane);
            if (problem) {
                Fail(*problem);
                return;
            }
            {
                std::lock_guard lock(mutex);
                committed = index + 1;
                written.store(committed);
            }
            changed.notify_all();
        }
    }

    void Stop()
    {
        {
            std::lock_guard lock(mutex);
            closing = true;
        }
        changed.notify_all();
        for (auto& lane : lanes)
            if (lane->thread.joinable())
                lane->thread.join();
    }

    // Releases everything FFmpeg holds; the temporary file stays.
    void Close()
    {
        if (format && format->pb)
            avio_closep(&format->pb);
        avformat_free_context(format);
        format = nullptr;
        lanes.clear();
    }

    void RemoveTemporary()
    {
        if (!tempPath.empty())
            ::unlink(tempPath.c_str());
        tempPath.clear();
    }
};

AviWriter::AviWriter(std::string path, int frameRate) : path_(std::move(path)), frameRate_(AviFrameRate(frameRate)) {}

AviWriter::~AviWriter()
{
    Abandon();
}

bool AviWriter::IsOpen() const
{
    return impl_ && impl_->headerWritten;
}

long AviWriter::FramesWritten() const
{
    return impl_ ? impl_->written.load() : 0;
}

void AviWriter::SetLanes(int lanes)
{
    lanes_ = lanes;
}

AviOpenStatus AviWriter::Open(AviCodec codec, int width, int height, std::string* error)
{
    Abandon();
    if (width <= 0 || height <= 0) {
        SetError(error, "the picture is empty");
        return AviOpenStatus::Unsupported;
    }
    auto impl = std::make_unique<Impl>();
    impl->codec = codec;
    impl->width = width;
    impl->height = height;
    impl->frameRate = frameRate_;
    const CodecEntry* entry = nullptr;
    for (const CodecEntry& e : kCodecs)
        if (e.info.codec == codec)
            entry = &e;
    impl->encoderCodec = entry ? avcodec_find_encoder(entry->id) : nullptr;
    if (!impl->encoderCodec) {
        SetError(error, "this compressor is not available");
        return AviOpenStatus::Unsupported;
    }
    // The library's own log would print its notes (pixel format remarks, a
    // refused size) on the editor's standard error; every failure reaches
    // the person through the status returned here instead.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
    int code = avformat_alloc_output_context2(&impl->format, nullptr, "avi", nullptr);
    if (code < 0 || !impl->format) {
        SetError(error, "cannot make an AVI file: " + AvError(code));
        return AviOpenStatus::CannotOpen;
    }

    // Uncompressed, Motion JPEG and MS Video 1 frames are coded each on its
    // own, so several lanes can code them side by side; they are written in
    // order all the same. MS Video 1 carries its last picture and a random
    // generator from one frame to the next (a frame after the first may skip
    // blocks of the one before, and its colours depend on the frames coded
    // before it): each of its frames gets a fresh encoder, which makes every
    // frame a key frame of its own and the file the same on any number of
    // lanes. Other compressors keep one lane and one encoder.
    const bool standalone = codec == AviCodec::FullFrames || codec == AviCodec::MotionJpeg ||
                            codec == AviCodec::MsVideo1;
    impl->freshEncoders = codec == AviCodec::MsVideo1;
    unsigned laneCount = 1;
    if (standalone && !(impl->encoderCodec->capabilities & AV_CODEC_CAP_DELAY)) {
        laneCount = lanes_ > 0 ? static_cast<unsigned>(lanes_) : std::max(1u, std::thread::hardware_concurrency());
        laneCount = std::min(laneCount, kMaxLanes);
    }
    // A frame for each lane and one more waiting keep the lanes busy while
    // the next frame renders.
    impl->capacity = laneCount + 1;

    // The encoders first: a compressor that refuses the size leaves no file.
    for (unsigned i = 0; i < laneCount; ++i) {
        impl->lanes.push_back(std::make_unique<Lane>());
        bool unsupported = false;
        if (auto problem = impl->OpenLane(*impl->lanes.back(), &unsupported)) {
            SetError(error, *problem);
            return unsupported ? AviOpenStatus::Unsupported : AviOpenStatus::CannotOpen;
        }
    }
    AVCodecContext* c = impl->lanes.front()->encoder;

    impl->stream = avformat_new_stream(impl->format, nullptr);
    if (!impl->stream || avcodec_parameters_from_context(impl->stream->codecpar, c) < 0) {
        SetError(error, "out of memory");
        return AviOpenStatus::CannotOpen;
    }
    impl->stream->time_base = c->time_base;
    impl->stream->avg_frame_rate = c->framerate;
    impl->stream->r_frame_rate = c->framerate;
    if (codec == AviCodec::FullFrames) {
        // Rows go bottom up: the header says so with a positive height.
        static const char kBottomUp[] = "BottomUp";
        AVCodecParameters* par = impl->stream->codecpar;
        par->extradata = static_cast<uint8_t*>(av_mallocz(sizeof kBottomUp + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!par->extradata) {
            SetError(error, "out of memory");
            return AviOpenStatus::CannotOpen;
        }
        std::memcpy(par->extradata, kBottomUp, sizeof kBottomUp);
        par->extradata_size = sizeof kBottomUp;
    }

    // The temporary file beside the target, with the permissions of the file
    // it replaces. It is not synced to the disk at the end: a
    // video can be rendered again, a sync would hold every export up for the
    // disk, and the file only replaces an old one once it is complete.
    std::string pattern = path_ + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        SetError(error, std::strerror(errno));
        return AviOpenStatus::CannotOpen;
    }
    struct stat old {};
    const mode_t mode = ::stat(path_.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    (void)::fchmod(fd, mode);
    ::close(fd);
    impl->tempPath = name.data();
    code = avio_open(&impl->format->pb, ("file:" + impl->tempPath).c_str(), AVIO_FLAG_WRITE);
    if (code < 0) {
        SetError(error, AvError(code));
        impl->Close();
        impl->RemoveTemporary();
        return AviOpenStatus::CannotOpen;
    }
    code = avformat_write_header(impl->format, nullptr);
    if (code < 0) {
        SetError(error, "cannot write the file's header: " + AvError(code));
        impl->Close();
        impl->RemoveTemporary();
        return AviOpenStatus::CannotOpen;
    }
    impl->headerWritten = true;
    Impl* raw = impl.get();
    for (auto& lane : impl->lanes) {
        Lane* l = lane.get();
        l->thread = std::thread([raw, l] { raw->Run(*l); });
    }
    impl_ = std::move(impl);
    return AviOpenStatus::Opened;
}

bool AviWriter::AddFrame(Image picture)
{
    return AddFrame(std::make_shared<const Image>(std::move(picture)));
}

bool AviWriter::AddFrame(std::shared_ptr<const Image> picture)
{
    if (!IsOpen() || !picture || picture->width != impl_->width || picture->height != impl_->height ||
        !IsValidImage(*picture))
        return false;
    std::unique_lock lock(impl_->mutex);
    impl_->changed.wait(lock, [&] { return impl_->queue.size() < impl_->capacity || impl_->failed; });
    if (impl_->failed || impl_->closing)
        return false;
    impl_->queue.emplace_back(impl_->queued++, std::move(picture));
    impl_->changed.notify_all();
    return true;
}

bool AviWriter::Finish(std::string* error)
{
    if (!IsOpen()) {
        SetError(error, "the file was never opened");
        return false;
    }
    Impl& impl = *impl_;
    impl.Stop();
    std::optional<std::string> problem;
    if (impl.failed)
        problem = impl.failure;
    // What the encoders still hold (only a lone encoder holds frames back).
    for (auto& lane : impl.lanes) {
        if (!problem)
            problem = impl.Encode(*lane, nullptr);
        if (!problem)
            problem = impl.WriteReady(*lane);
    }
    if (!problem) {
        const int code = av_write_trailer(impl.format);
        if (code < 0)
            problem = "cannot write the file's index: " + AvError(code);
    }
    if (!problem) {
        const int code = avio_closep(&impl.format->pb);
        if (code < 0)
            problem = "cannot close the file: " + AvError(code);
    }
    if (!problem && !MoveOutputIntoPlace(impl.tempPath, path_))
        problem = std::strerror(errno);
    if (problem) {
        SetError(error, *problem);
        Abandon();
        return false;
    }
    impl.tempPath.clear();
    impl.Close();
    impl.headerWritten = false;
    return true;
}

void AviWriter::Abandon()
{
    if (!impl_)
        return;
    impl_->Stop();
    impl_->Close();
    impl_->RemoveTemporary();
    impl_.reset();
}

} // namespace corvid
