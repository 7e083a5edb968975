#include "app/Startup.h"
#include "render/ViewFakes.h"
#include "app/Editor.h"

#include <filesystem>
#include <map>

using namespace corvid;
using namespace corvid::testing;

namespace {

// A Ui and a machine that write into one log, so the order of splash lines
// and platform calls can be checked.
struct LoggingUi : ScriptedUi {
    explicit LoggingUi(CallLog& l) : log(l) {}
    void SetStartupStatus(const std::string& s) override { log.push_back("status " + s); }
    void ShowMessage(const std::string& s) override { log.push_back("message " + s); }
    CallLog& log;
};

struct FakePlatform : StartupPlatform {
    FakePlatform(CallLog& l, Editor* e) : log(l), editor(e) {}
    std::optional<GlVersion> ProbeOpenGl() override { return gl; }
    std::string ProbeDiagnostic() override { return "no context: " + probeError; }
    void WriteDiagnostic(const std::string& line) override { log.push_back("diagnostic " + line); }
    int DesktopColorDepth() override { return depth; }
    void ShowSplash() override { log.push_back("splash"); }
    void CloseSplash() override { log.push_back("close splash"); }
    std::optional<std::vector<RendererInfo>> EnumerateRenderers() override { return renderers; }
    std::optional<std::vector<ZFormatInfo>> ZBufferFormats(const DriverRecord& d) override
    {
        log.push_back("zformats " + d.key);
        return zFormats.count(d.key) ? std::optional(zFormats[d.key]) : std::nullopt;
    }
    std::optional<std::vector<DisplayMode>> DisplayModes() override { return std::vector<DisplayMode>{}; }
    void SetMainWindowTitle(const std::string& t) override { log.push_back("title " + t); }
    void CreateViewportWindows() override
    {
        log.push_back("viewports");
        for (int n = 1; n <= 4; ++n)
            editor->views.Viewport(n).window = &windows[n - 1];
    }
    void ShowMainWindowMaximized() override { log.push_back("show"); }
    void LoadCommandLineScene(const std::string& f) override { log.push_back("load " + f); }

    CallLog& log;
    Editor* editor;
    std::optional<GlVersion> gl = GlVersion{4, 6};
    std::string probeError = "EGL_BAD_ACCESS";
    int depth = 32;
    std::optional<std::vector<RendererInfo>> renderers;
    std::map<std::string, std::vector<ZFormatInfo>> zFormats;
    FakeWindow windows[4]{{"v1", log}, {"v2", log}, {"v3", log}, {"v4", log}};
};

RendererInfo Renderer(const std::string& key, std::vector<int> depths)
{
    return {key, key + " renderer", key, true, true, true, std::move(depths)};
}

class StartupTest : public ::testing::Test {
protected:
    StartupTest()
    {
        editor.views.deviceFactory = &factory;
        platform.renderers = std::vector{Renderer("display", {32}), Renderer("soft", {16, 32}), Renderer("egl", {16})};
        platform.zFormats = {{"display", {{24, 1}, {32, 2}}}, {"soft", {{16, 3}}}};
        base = std::filesystem::temp_directory_path() / ("corvid-startup-" + std::to_string(getpid()));
        options.getEnv = [this](const char* name) -> const char* {
            return std::string(name) == "CORVID_BASE" ? base.c_str() : nullptr;
        };
    }

    CallLog log;
    LoggingUi ui{log};
    FakeFactory factory{log};
    Editor editor{ui};
    FakePlatform platform{log, &editor};
    std::string base;
    StartupOptions options;
};

} // namespace

TEST(MachineCheck, OldOpenGlAndUnusableDesktopsEndTheProgramBeforeTheSplash)
{
    struct Case {
        std::optional<GlVersion> gl;
        int depth;
        std::string outcome;
    } cases[] = {
        {GlVersion{4, 6}, 32, "splash"},
        {GlVersion{3, 3}, 16, "splash"},
        {GlVersion{2, 1}, 32, "message (WARNING: OpenGL 2.1 found) Please Install OpenGL 3.3"},
        {GlVersion{3, 2}, 24, "message (WARNING: OpenGL 3.2 found) Please Install OpenGL 3.3"},
        {std::nullopt, 32,
         "diagnostic corvid: OpenGL probe failed: no context: EGL_BAD_ACCESS\n"
         "message (WARNING: OpenGL not installed) Please Install OpenGL 3.3"},
        {GlVersion{4, 6}, 24, "message Must run in 16 or 32 bit color depth"},
        {GlVersion{4, 6}, 8, "message Must run in 16 or 32 bit color depth"},
        {GlVersion{4, 6}, 15, "message Unknown color depth"},
    };
    for (const auto& c : cases) {
        CallLog log;
        LoggingUi ui{log};
        FakePlatform platform{log, nullptr};
        platform.gl = c.gl;
        platform.depth = c.depth;
        EXPECT_EQ(CheckMachine(platform, ui), c.outcome == "splash") << c.outcome;
        std::string lines;
        for (const std::string& entry : log)
            lines += (lines.empty() ? "" : "\n") + entry;
        EXPECT_EQ(lines, c.outcome);
    }
}

TEST_F(StartupTest, StatusLinesComeInOrderAndDriversAreRecorded)
{
    platform.depth = 16;
    options.toolWindows = {{"Initializing tool window ...", [this] { log.push_back("create tool"); }},
                           {"Initializing Sphere window ...", [this] { log.push_back("create sphere"); }}};
    options.commandLineFile = "scene.cvd";
    ASSERT_TRUE(InitializeMainWindow(editor, platform, options));
    EXPECT_EQ(log, (CallLog{"status Enumerating Devices ...", "status Enumerating ZBuffer Formats ...",
                            "zformats display", "zformats soft", "zformats egl",
                            "message Enum ZBuffer Formats Error\n egl", "status Enumerating Display Modes ...",
                            "status Checking registry ...", "title Corvid 1.0", "status Setting up main menu ...",
                            "status Getting desktop information ...", "status Initializing tool window ...",
                            "create tool", "status Initializing Sphere window ...", "create sphere",
                            "status Finished ...", "viewports", "show", "load scene.cvd"}));
    EXPECT_EQ(editor.baseDirectory, base);
    EXPECT_EQ(editor.scenesDirectory2.current, base + "/Scenes");
    EXPECT_EQ(editor.objectsDirectory2.defaultPath, base + "/Objects");
    EXPECT_EQ(editor.mapsDirectory2.defaultPath, base + "/Maps");
    EXPECT_EQ(editor.helpDirectory, base + "/Help");
    EXPECT_EQ(editor.views.shadeColorDepth, 16);

    EXPECT_TRUE(editor.views.drivers[0].HasZDepth(24) && editor.views.drivers[0].HasZDepth(32));
    EXPECT_FALSE(editor.views.drivers[0].rendersAtDesktopDepth);
    EXPECT_TRUE(editor.views.drivers[1].rendersAtDesktopDepth && editor.views.drivers[1].HasZDepth(16));
    for (int v : {kFullScreenView, kViewport1, kViewport2, kViewport3, kViewport4})
        EXPECT_EQ(editor.views.records[v].driver.key, "egl") << "view " << v;

    log.clear();
    FinishStartup(editor, platform);
    EXPECT_EQ(log, (CallLog{"close splash", "clear v1", "render v1", "update v1", "present v1"}));
}

TEST_F(StartupTest, TheDriverTableHoldsOneToFiveRenderers)
{
    platform.renderers = std::vector<RendererInfo>{};
    EXPECT_FALSE(InitializeMainWindow(editor, platform, options));
    EXPECT_EQ(log.back(), "status Enumerating Display Modes ...");

    log.clear();
    platform.renderers = std::vector<RendererInfo>(6, Renderer("gpu", {32}));
    EXPECT_TRUE(InitializeMainWindow(editor, platform, options));
    EXPECT_EQ(std::count(log.begin(), log.end(), "zformats gpu"), 5) << "only the first five are kept";

    log.clear();
    platform.renderers = std::nullopt;
    EXPECT_FALSE(InitializeMainWindow(editor, platform, options));
    EXPECT_EQ(log, (CallLog{"status Enumerating Devices ...", "close splash", "message Enum Devices Error"}));
}

// The two renderers as the editor lists them: the headless one first, so
// that the default (the second of two) is the display's.
TEST_F(StartupTest, WhenTheDefaultRendererFailsTheViewIsBuiltOnTheOther)
{
    platform.renderers = std::vector{Renderer("headless", {16, 32}), Renderer("display", {32})};
    platform.zFormats = {{"headless", {{16, 1}, {24, 2}}}, {"display", {{16, 3}, {24, 4}}}};
    ASSERT_TRUE(InitializeMainWindow(editor, platform, options));
    ASSERT_EQ(editor.views.Viewport(1).driver.key, "display");

    factory.failing = {1};
    log.clear();
    FinishStartup(editor, platform);
    ViewRecord& view = editor.views.Viewport(1);
    ASSERT_TRUE(view.device) << "no picture: the fall-back never reached the headless renderer";
    EXPECT_EQ(view.driverIndex, 0);
    EXPECT_EQ(view.driver.key, "headless");
    EXPECT_EQ(log, (CallLog{"close splash", "clear v1", "render v1", "update v1", "present v1"}));
    // Tried once each: a failing fall-back does not go round in circles.
    factory.failing = {0, 1};
    factory.requests.clear();
    EXPECT_FALSE(editor.views.BuildViewDevice(view));
    EXPECT_EQ(factory.requests.size(), 2u);
}

// Whatever the machine offers, every view starts on a renderer the table
// holds, and view 1's first device is asked of that renderer.
TEST_F(StartupTest, EveryViewStartsOnARendererTheTableHolds)
{
    for (int count = 1; count <= 6; ++count) {
        SCOPED_TRACE(std::to_string(count) + " renderers");
        std::vector<RendererInfo> renderers;
        for (int i = 0; i < count; ++i)
            renderers.push_back(Renderer("r" + std::to_string(i), {32}));
        platform.renderers = renderers;
        platform.zFormats.clear();
        for (const RendererInfo& r : renderers)
            platform.zFormats[r.key] = {{16, 1}};
        ScriptedUi quiet;
        Editor fresh(quiet);
        fresh.views.deviceFactory = &factory;
        platform.editor = &fresh;
        ASSERT_TRUE(InitializeMainWindow(fresh, platform, options));
        ASSERT_LE(fresh.views.drivers.size(), 5u);
        for (int v : {kFullScreenView, kViewport1, kViewport2, kViewport3, kViewport4}) {
            const ViewRecord& view = fresh.views.records[v];
            ASSERT_GE(view.driverIndex, 0);
            ASSERT_LT(view.driverIndex, static_cast<int>(fresh.views.drivers.size()));
            EXPECT_EQ(view.driver.key, fresh.views.drivers[static_cast<size_t>(view.driverIndex)].key);
        }
        factory.requests.clear();
        FinishStartup(fresh, platform);
        ASSERT_EQ(factory.requests.size(), 1u);
        EXPECT_EQ(factory.requests[0].driver->key, fresh.views.Viewport(1).driver.key);
        EXPECT_TRUE(fresh.views.Viewport(1).device);
        for (int n = 1; n <= 4; ++n)
            fresh.views.Viewport(n).window = nullptr;
    }
    platform.editor = &editor;
}
