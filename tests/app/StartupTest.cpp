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
        {std::nullopt, 32, "message (WARNING: OpenGL not installed) Please Install OpenGL 3.3"},
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
        EXPECT_EQ(log, CallLog{c.outcome});
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
                            "zformats display", "zformats soft", "zformats egl", "status Enumerating Display Modes ...",
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
