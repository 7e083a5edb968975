#include "anim/AviWriter.h"

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

// Frames waiting for the worker; two keep it busy while the next renders.
constexpr size_t kQueueCapacity = 3;

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

struct AviWriter::Impl {
    ~Impl() { Stop(); Close(); }

    // --- set up on the caller's thread before the worker starts ---
    AVCodecContext* encoder = nullptr;
    AVFormatContext* format = nullptr;
    AVStream* stream = nullptr;
    AVFrame* frame = nullptr;
    AVFrame* source = nullptr;  // the RGBA picture, for swscale
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
    AviCodec codec = AviCodec::FullFrames;
    int width = 0, height = 0;
    std::string tempPath;
    bool headerWritten = false;

    // --- shared with the worker ---
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Image> queue;
    bool closing = false;  // no more frames come
    bool failed = false;   // a frame could not be encoded or written
    std::string failure;
    std::atomic<long> written{0};
    std::thread worker;

    // Fills frame from an RGBA picture. Uncompressed frames are stored as
    // the AVI reader expects them: BGR, bottom row first.
    void Fill(const Image& picture)
    {
        if (codec == AviCodec::FullFrames) {
            for (int y = 0; y < height; ++y) {
                const uint8_t* src = &picture.rgba[static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) * 4];
                uint8_t* dst = frame->data[0] + static_cast<ptrdiff_t>(y) * frame->linesize[0];
                for (int x = 0; x < width; ++x, src += 4, dst += 3) {
                    dst[0] = src[2];
                    dst[1] = src[1];
                    dst[2] = src[0];
                }
            }
            return;
        }
        // swscale reads past the end of its rows: it gets a padded copy.
        for (int y = 0; y < height; ++y)
            std::memcpy(source->data[0] + static_cast<ptrdiff_t>(y) * source->linesize[0],
                        &picture.rgba[static_cast<size_t>(y) * static_cast<size_t>(width) * 4],
                        static_cast<size_t>(width) * 4);
        sws_scale(scaler, source->data, source->linesize, 0, height, frame->data, frame->linesize);
    }

    // Sends frame (null: drain) to the encoder and writes what comes out.
    // The reason on failure.
    std::optional<std::string> Encode(AVFrame* input)
    {
        int code = avcodec_send_frame(encoder, input);
        if (code < 0)
            return "cannot encode a frame: " + AvError(code);
        for (;;) {
            code = avcodec_receive_packet(encoder, packet);
            if (code == AVERROR(EAGAIN) || code == AVERROR_EOF)
                return std::nullopt;
            if (code < 0)
                return "cannot encode a frame: " + AvError(code);
            // Every frame stands alone.
            packet->flags |= AV_PKT_FLAG_KEY;
            packet->stream_index = stream->index;
            av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
            code = av_interleaved_write_frame(format, packet);
            av_packet_unref(packet);
            if (code < 0)
                return "cannot write a frame: " + AvError(code);
        }
    }

    void Run()
    {
        long index = 0;
        for (;;) {
            Image picture;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return !queue.empty() || closing; });
                if (queue.empty())
                    return;
                picture = std::move(queue.front());
                queue.pop_front();
                changed.notify_all();
            }
            std::optional<std::string> problem;
            if (av_frame_make_writable(frame) < 0) {
                problem = "out of memory";
            } else {
                Fill(picture);
                frame->pts = index;
                frame->pict_type = AV_PICTURE_TYPE_I;
                frame->key_frame = 1;
                problem = Encode(frame);
            }
            if (problem) {
                std::lock_guard lock(mutex);
                failed = true;
                failure = *problem;
                queue.clear();
                changed.notify_all();
                return;
            }
            ++index;
            written.store(index);
        }
    }

    void Stop()
    {
        {
            std::lock_guard lock(mutex);
            closing = true;
        }
        changed.notify_all();
        if (worker.joinable())
            worker.join();
    }

    // Releases everything FFmpeg holds; the temporary file stays.
    void Close()
    {
        if (format && format->pb)
            avio_closep(&format->pb);
        avformat_free_context(format);
        format = nullptr;
        avcodec_free_context(&encoder);
        av_frame_free(&frame);
        av_frame_free(&source);
        av_packet_free(&packet);
        sws_freeContext(scaler);
        scaler = nullptr;
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
    const CodecEntry* entry = nullptr;
    for (const CodecEntry& e : kCodecs)
        if (e.info.codec == codec)
            entry = &e;
    const AVCodec* encoderCodec = entry ? avcodec_find_encoder(entry->id) : nullptr;
    if (!encoderCodec) {
        SetError(error, "this compressor is not available");
        return AviOpenStatus::Unsupported;
    }

    // The encoder first: a compressor that refuses the size leaves no file.
    AVCodecContext* c = avcodec_alloc_context3(encoderCodec);
    impl->encoder = c;
    if (!c) {
        SetError(error, "out of memory");
        return AviOpenStatus::CannotOpen;
    }
    c->width = width;
    c->height = height;
    c->time_base = AVRational{1, frameRate_};
    c->framerate = AVRational{frameRate_, 1};
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
    // One thread: the worker is the encoder's thread, and some encoders
    // would hold frames back for their own.
    c->thread_count = 1;
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
    if (impl->format->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    code = avcodec_open2(c, encoderCodec, nullptr);
    if (code < 0) {
        SetError(error, "the compressor refuses " + std::to_string(width) + " x " + std::to_string(height) +
                            " pictures: " + AvError(code));
        return AviOpenStatus::Unsupported;
    }

    impl->frame = av_frame_alloc();
    impl->packet = av_packet_alloc();
    if (!impl->frame || !impl->packet) {
        SetError(error, "out of memory");
        return AviOpenStatus::CannotOpen;
    }
    impl->frame->format = c->pix_fmt;
    impl->frame->width = width;
    impl->frame->height = height;
    if (av_frame_get_buffer(impl->frame, 0) < 0) {
        SetError(error, "out of memory");
        return AviOpenStatus::CannotOpen;
    }
    if (codec != AviCodec::FullFrames) {
        impl->scaler = sws_getContext(width, height, AV_PIX_FMT_RGBA, width, height, c->pix_fmt, SWS_POINT, nullptr,
                                      nullptr, nullptr);
        impl->source = av_frame_alloc();
        if (!impl->scaler || !impl->source) {
            SetError(error, "cannot convert pictures for this compressor");
            return AviOpenStatus::Unsupported;
        }
        impl->source->format = AV_PIX_FMT_RGBA;
        impl->source->width = width;
        impl->source->height = height;
        if (av_frame_get_buffer(impl->source, 0) < 0) {
            SetError(error, "out of memory");
            return AviOpenStatus::CannotOpen;
        }
        std::memset(impl->source->buf[0]->data, 0, impl->source->buf[0]->size);
    }

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
    // it replaces.
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
    impl->worker = std::thread([raw] { raw->Run(); });
    impl_ = std::move(impl);
    return AviOpenStatus::Opened;
}

bool AviWriter::AddFrame(Image picture)
{
    if (!IsOpen() || picture.width != impl_->width || picture.height != impl_->height || !IsValidImage(picture))
        return false;
    std::unique_lock lock(impl_->mutex);
    impl_->changed.wait(lock, [&] { return impl_->queue.size() < kQueueCapacity || impl_->failed; });
    if (impl_->failed || impl_->closing)
        return false;
    impl_->queue.push_back(std::move(picture));
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
    if (!problem)
        problem = impl.Encode(nullptr);
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
    if (!problem) {
        const int fd = ::open(impl.tempPath.c_str(), O_WRONLY);
        if (fd < 0 || ::fsync(fd) != 0)
            problem = std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
    }
    if (!problem && ::rename(impl.tempPath.c_str(), path_.c_str()) != 0)
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
