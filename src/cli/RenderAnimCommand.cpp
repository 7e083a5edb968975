#include "cli/RenderAnimCommand.h"

#include "anim/AnimationExport.h"
#include "app/Editor.h"
#include "cli/Arguments.h"
#include "cli/ConsoleUi.h"
#include "cli/SceneFormats.h"
#include "platform/Frame.h"
#include "platform/headless/HeadlessRenderer.h"
#include "render/ViewRecord.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace corvid {

namespace {

constexpr const char* kRenderAnimUsage =
    "usage: corvid-cli render-anim FILE|--demo -o OUT.avi [--codec raw|msvideo1|cinepak|mjpeg]\n"
    "                              [--from N] [--to N] [--fps N] [--width W] [--height H]\n"
    "  render the scene's animation off-screen into an AVI file of key frames\n"
    "  --codec           raw (uncompressed, the default), msvideo1, cinepak or mjpeg\n"
    "  --from, --to      the frames to write (0 to the scene's last frame)\n"
    "  --fps             frames per second (30; 0 or less writes 15)\n"
    "  --width, --height the picture's size, held to 1 to 2048 (320 x 240)\n";

struct RenderAnimArguments {
    SceneSource source;
    std::string output;
    AviCodec codec = AviCodec::FullFrames;
    std::optional<int> from, to;
    int fps = 30;
    int width = 320, height = 240;
};

// A whole number, with an optional sign.
std::optional<long> ParseWhole(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    const size_t digits = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (digits >= text.size() || !std::isdigit(static_cast<unsigned char>(text[digits])))
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || value < -1000000000L || value > 1000000000L)
        return std::nullopt;
    return value;
}

std::optional<std::string> Parse(int argc, char** argv, RenderAnimArguments& args)
{
    auto take = [&args](const std::string& option, const std::string& value) -> std::optional<std::string> {
        if (option == "-o" || option == "--output") {
            args.output = value;
            return std::nullopt;
        }
        if (option == "--codec") {
            const std::optional<AviCodec> codec = AviCodecByName(value);
            if (!codec)
                return "unknown codec '" + value + "' (raw, msvideo1, cinepak or mjpeg)";
            args.codec = *codec;
            return std::nullopt;
        }
        const std::optional<long> number = ParseWhole(value);
        if (!number)
            return option + " '" + value + "' is not a whole number";
        const int n = static_cast<int>(*number);
        if (option == "--from" || option == "--to") {
            if (n < 0)
                return option + " '" + value + "' is before frame 0";
            (option == "--from" ? args.from : args.to) = n;
        } else if (option == "--fps") {
            args.fps = n;
        } else {
            (option == "--width" ? args.width : args.height) = std::clamp(n, 1, kMaxAviSide);
        }
        return std::nullopt;
    };
    if (std::optional<std::string> problem = ReadSceneCommandWords(
            argc, argv, args.source, {"-o", "--output", "--codec", "--from", "--to", "--fps", "--width", "--height"},
            take))
        return problem;
    if (args.output.empty())
        return std::string("the video's file name is missing (-o OUT.avi)");
    if (args.from && args.to && *args.from > *args.to)
        return "--from " + std::to_string(*args.from) + " is after --to " + std::to_string(*args.to);
    return std::nullopt;
}

} // namespace

int RunRenderAnimCommand(int argc, char** argv)
{
    if (AsksForHelp(argc, argv))
        return PrintHelp(kRenderAnimUsage);
    RenderAnimArguments args;
    if (const std::optional<std::string> problem = Parse(argc, argv, args))
        return UsageError("render-anim", *problem, kRenderAnimUsage);

    ConsoleUi ui;
    Editor editor(ui);
    if (const int code = LoadSceneSource(editor, ui, args.source, "render-anim"))
        return code;

    AviExportJob job;
    job.path = AviFileName(args.output);
    job.width = args.width;
    job.height = args.height;
    job.first = args.from.value_or(0);
    job.last = args.to.value_or(editor.animation.settings.maxFrames);
    job.frameRate = args.fps;
    if (job.first > job.last)
        return UsageError("render-anim",
                          "no frames from " + std::to_string(job.first) + " to " + std::to_string(job.last) +
                              " (the scene's last frame is " + std::to_string(editor.animation.settings.maxFrames) + ")",
                          kRenderAnimUsage);

    std::string error;
    auto renderer = HeadlessRenderer::Create(&error);
    if (!renderer) {
        std::fprintf(stderr, "corvid-cli render-anim: no OpenGL context: %s\n", error.c_str());
        return 1;
    }
    auto device = renderer->CreateDevice(job.width, job.height, 24, &error);
    if (!device) {
        std::fprintf(stderr, "corvid-cli render-anim: %s\n", error.c_str());
        return 1;
    }
    // The first viewport's camera and render states.
    ViewRecord& view = editor.views.Viewport(1);
    device->SetQuality(view.Quality());
    device->SetShades(editor.views.ShadeCount());
    device->SetDither(view.dither);
    device->SetRenderMode(kDefaultRenderMode);
    device->SetTextureQuality(static_cast<TextureQuality>(view.textureQuality));

    // The codec asked for, once: a refusal ends the run.
    bool asked = false;
    const AviCodec codec = args.codec;
    auto chooser = [&asked, codec](const std::vector<AviCodecInfo>& available) -> std::optional<AviCodec> {
        if (asked)
            return std::nullopt;
        asked = true;
        for (const AviCodecInfo& info : available)
            if (info.codec == codec)
                return codec;
        return std::nullopt;
    };
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    AviExportOutcome outcome;
    int frames = 0;
    std::string reason;
    {
        AnimationExportRun run(editor.animation, editor.transport, editor.views, *device, *view.camera,
                               view.Parameters(), job, chooser);
        while (run.Step())
            if (terminal)
                std::fprintf(stderr, "\r%s   ", run.Status().c_str());
        if (terminal && run.FramesQueued() > 0)
            std::fprintf(stderr, "\r%s   \n", run.Status().c_str());
        outcome = run.Finish();
        frames = run.FramesQueued();
        reason = run.Error();
        job = run.Job();
    }
    if (outcome != AviExportOutcome::Completed) {
        if (asked && reason.empty())
            reason = "this FFmpeg has no such encoder";
        std::fprintf(stderr, "corvid-cli render-anim: cannot write %s: %s\n", job.path.c_str(),
                     reason.empty() ? "failed" : reason.c_str());
        return 1;
    }
    std::printf("wrote %s (%d frames, %d x %d, %d fps)\n", job.path.c_str(), frames, job.width, job.height,
                job.frameRate);
    return 0;
}

} // namespace corvid
