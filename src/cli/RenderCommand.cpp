#include "cli/RenderCommand.h"

#include "cli/ConsoleUi.h"
#include "cli/SceneFormats.h"
#include "platform/Frame.h"
#include "platform/headless/HeadlessRenderer.h"
#include "render/ViewRecord.h"
#include "app/Editor.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace corvid {

namespace {

struct RenderArguments {
    SceneSource source;
    std::string output;
    int width = 640;
    int height = 480;
    int view = kViewPerspective;
};

int ViewSlot(const std::string& name)
{
    static const struct {
        const char* name;
        int slot;
    } views[] = {{"perspective", kViewPerspective}, {"top", kViewTop}, {"bottom", kViewBottom}, {"left", kViewLeft},
                 {"right", kViewRight}, {"front", kViewFront}, {"back", kViewBack}};
    for (const auto& v : views)
        if (name == v.name)
            return v.slot;
    return -1;
}

bool ParseSize(const char* text, int& out)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (!end || *end != '\0' || value < 1 || value > 8192)
        return false;
    out = static_cast<int>(value);
    return true;
}

bool Parse(int argc, char** argv, RenderArguments& args)
{
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        bool hasValue = i + 1 < argc;
        if (a == "--demo")
            args.source.demo = true;
        else if ((a == "-o" || a == "--output") && hasValue)
            args.output = argv[++i];
        else if (a == "--width" && hasValue) {
            if (!ParseSize(argv[++i], args.width))
                return false;
        } else if (a == "--height" && hasValue) {
            if (!ParseSize(argv[++i], args.height))
                return false;
        } else if (a == "--view" && hasValue) {
            args.view = ViewSlot(argv[++i]);
            if (args.view < 0)
                return false;
        } else if (a.empty() || a[0] != '-') {
            if (!args.source.path.empty())
                return false;  // one scene at a time
            args.source.path = a;
        } else
            return false;
    }
    return args.source.Valid() && !args.output.empty();
}

} // namespace

int RunRenderCommand(int argc, char** argv)
{
    RenderArguments args;
    if (!Parse(argc, argv, args)) {
        std::fputs("usage: corvid-cli render FILE|--demo -o out.bmp [--width W] [--height H]\n"
                   "                          [--view perspective|top|front|left|right|bottom|back]\n",
                   stderr);
        return 2;
    }

    ConsoleUi ui;
    Editor editor(ui);
    if (const int code = LoadSceneSource(editor, ui, args.source, "render"))
        return code;

    std::string error;
    auto renderer = HeadlessRenderer::Create(&error);
    if (!renderer) {
        std::fprintf(stderr, "corvid-cli render: no OpenGL context: %s\n", error.c_str());
        return 1;
    }

    // The view as the first viewport would show it, with its render states.
    ViewRecord& view = editor.views.Viewport(1);
    view.UseStandardView(args.view);
    editor.scene.Scene()->Move(4.0f);  // the move every render starts with
    HeadlessRenderOptions options;
    options.quality = view.Quality();
    options.textureQuality = static_cast<TextureQuality>(view.textureQuality);
    options.dither = view.dither;
    auto image = renderer->RenderToImage(*editor.scene.World(), *view.camera, view.Parameters(), args.width, args.height,
                                         options, &error);
    if (!image) {
        std::fprintf(stderr, "corvid-cli render: %s\n", error.c_str());
        return 1;
    }
    if (!WriteResizedBmp(*image, args.output, image->width, image->height)) {
        std::fprintf(stderr, "corvid-cli render: cannot write %s\n", args.output.c_str());
        return 1;
    }
    std::printf("wrote %s (%d x %d)\n", args.output.c_str(), image->width, image->height);
    return 0;
}

} // namespace corvid
