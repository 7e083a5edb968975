#pragma once
// Reading back what the AVI writer made, with FFmpeg as an independent
// reader: the stream's size, rate and frame count, every packet's key flag,
// and the uncompressed pictures as RGBA, top row first.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "platform/ImageService.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace corvid::testing {

struct AviContents {
    bool opened = false;
    std::string codec;
    int width = 0, height = 0;
    AVRational rate{0, 1};
    int64_t indexFrames = 0;  // the count the header gives
    int packets = 0;
    bool allKeyFrames = true;
    std::vector<Image> pictures;  // decoded, RGBA top row first
};

// eachAlone: every packet goes to a fresh decoder, as when a player starts
// at that frame.
inline AviContents ReadAvi(const std::string& path, bool eachAlone = false)
{
    AviContents out;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, ("file:" + path).c_str(), nullptr, nullptr) < 0)
        return out;
    if (avformat_find_stream_info(format, nullptr) < 0 || format->nb_streams != 1) {
        avformat_close_input(&format);
        return out;
    }
    AVStream* stream = format->streams[0];
    out.opened = true;
    out.codec = avcodec_get_name(stream->codecpar->codec_id);
    out.width = stream->codecpar->width;
    out.height = stream->codecpar->height;
    out.rate = stream->avg_frame_rate;
    out.indexFrames = stream->nb_frames;
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    AVCodecContext* context = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(context, stream->codecpar);
    avcodec_open2(context, decoder, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto receive = [&] {
        while (avcodec_receive_frame(context, frame) == 0) {
            Image picture;
            picture.width = frame->width;
            picture.height = frame->height;
            picture.rgba.resize(static_cast<size_t>(frame->width) * static_cast<size_t>(frame->height) * 4);
            SwsContext* scaler = sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                                frame->width, frame->height, AV_PIX_FMT_RGBA, SWS_POINT, nullptr,
                                                nullptr, nullptr);
            // swscale writes past the end of its rows: into a padded frame first.
            AVFrame* rgba = av_frame_alloc();
            rgba->format = AV_PIX_FMT_RGBA;
            rgba->width = frame->width;
            rgba->height = frame->height;
            av_frame_get_buffer(rgba, 0);
            sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, rgba->data, rgba->linesize);
            for (int y = 0; y < frame->height; ++y)
                std::memcpy(&picture.rgba[static_cast<size_t>(y) * static_cast<size_t>(frame->width) * 4],
                            rgba->data[0] + static_cast<ptrdiff_t>(y) * rgba->linesize[0],
                            static_cast<size_t>(frame->width) * 4);
            av_frame_free(&rgba);
            sws_freeContext(scaler);
            out.pictures.push_back(std::move(picture));
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        ++out.packets;
        if (eachAlone) {
            avcodec_free_context(&context);
            context = avcodec_alloc_context3(decoder);
            avcodec_parameters_to_context(context, stream->codecpar);
            avcodec_open2(context, decoder, nullptr);
        }
        if (!(packet->flags & AV_PKT_FLAG_KEY))
            out.allKeyFrames = false;
        avcodec_send_packet(context, packet);
        av_packet_unref(packet);
        receive();
    }
    avcodec_send_packet(context, nullptr);
    receive();
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    avformat_close_input(&format);
    return out;
}

// A fresh folder under the system's temporary folder, removed with its files.
struct TempFolder {
    TempFolder()
    {
        char pattern[] = "/tmp/corvid-avi-XXXXXX";
        path = ::mkdtemp(pattern);
    }
    ~TempFolder()
    {
        for (const std::string& name : Names())
            ::unlink((path + "/" + name).c_str());
        ::rmdir(path.c_str());
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(path.c_str())) {
            while (dirent* entry = ::readdir(dir))
                if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                    names.push_back(entry->d_name);
            ::closedir(dir);
        }
        return names;
    }
    std::string File(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace corvid::testing
