#include "cli/RenderCommand.h"

#include "cli/Arguments.h"
#include "cli/ConsoleUi.h"
#include "cli/SceneFormats.h"
#include "platform/Frame.h"
#include "platform/ImageService.h"
#include "platform/headless/HeadlessRenderer.h"
#include "render/ViewRecord.h"
#include "app/Editor.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace corvid {

namespace {

constexpr const char* kRenderUsage =
    "usage: corvid-cli render FILE|--demo -o OUT.bmp|OUT.png [--width W] [--height H] [--view NAME]\n"
    "  draw a scene off-screen into a 24-bit BMP or a PNG, as OUT's extension says\n"
    "  --width, --height  the picture's size in pixels, 1 to 8192 (640 x 480)\n"
    "  --view             perspective (the default), top, bottom, left, right, front or back\n";

constexpr int kMaxPictureSide = 8192;

struct RenderArguments {
    SceneSource source;
    std::string output;
    ImageFileType type = ImageFileType::Bmp;
    int width = 640;
    int height = 480;
    int view = kViewPerspective;
};

constexpr struct {
    const char* name;
    int slot;
} kViews[] = {{"perspective", kViewPerspective}, {"top", kViewTop},     {"bottom", kViewBottom},
              {"left", kViewLeft},               {"right", kViewRight}, {"front", kViewFront},
              {"back", kViewBack}};

std::optional<int> ViewSlot(const std::string& name)
{
    for (const auto& v : kViews)
        if (name == v.name)
            return v.slot;
    return std::nullopt;
}

std::optional<int> ParseSize(const std::string& text)
{
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])))
        return std::nullopt;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || value < 1 || value > kMaxPictureSide)
        return std::nullopt;
    return static_cast<int>(value);
}

// The picture type out's extension names (in any case); nothing for another.
std::optional<ImageFileType> PictureType(const std::string& out)
{
    const size_t slash = out.find_last_of('/'), dot = out.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    std::string extension = out.substr(dot);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".bmp")
        return ImageFileType::Bmp;
    if (extension == ".png")
        return ImageFileType::Png;
    return std::nullopt;
}

// Reads the arguments into args; the usage error's problem when they are wrong.
std::optional<std::string> Parse(int argc, char** argv, RenderArguments& args)
{
    auto take = [&args](const std::string& option, const std::string& value) -> std::optional<std::string> {
        if (option == "-o" || option == "--output") {
            args.output = value;
        } else if (option == "--view") {
            const std::optional<int> slot = ViewSlot(value);
            if (!slot)
                return "unknown view '" + value + "' (perspective, top, bottom, left, right, front or back)";
            args.view = *slot;
        } else {
            const std::optional<int> size = ParseSize(value);
            if (!size)
                return option + " '" + value + "' is not a whole number from 1 to " + std::to_string(kMaxPictureSide);
            (option == "--width" ? args.width : args.height) = *size;
        }
        return std::nullopt;
    };
    if (std::optional<std::string> problem =
            ReadSceneCommandWords(argc, argv, args.source, {"-o", "--output", "--width", "--height", "--view"}, take))
        return problem;
    if (args.output.empty())
        return std::string("the picture's file name is missing (-o OUT.bmp or -o OUT.png)");
    const std::optional<ImageFileType> type = PictureType(args.output);
    if (!type)
        return "'" + args.output + "' is not a picture type corvid-cli can write (it writes .bmp, .png)";
    args.type = *type;
    return std::nullopt;
}

} // namespace

int RunRenderCommand(int argc, char** argv)
{
    if (AsksForHelp(argc, argv))
        return PrintHelp(kRenderUsage);
    RenderArguments args;
    if (const std::optional<std::string> problem = Parse(argc, argv, args))
        return UsageError("render", *problem, kRenderUsage);

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
    if (!WriteImageFile(*image, args.output, args.type, &error)) {
        std::fprintf(stderr, "corvid-cli render: cannot write %s: %s\n", args.output.c_str(), error.c_str());
        return 1;
    }
    std::printf("wrote %s (%d x %d)\n", args.output.c_str(), image->width, image->height);
    return 0;
}

} // namespace corvid
