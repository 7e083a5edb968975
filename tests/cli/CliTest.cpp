// corvid-cli as a script runs it: info, convert and save-demo on real files,
// and the exit codes 0 (done), 1 (a file could not be read or written) and
// 2 (a usage error).

#include "cli/CliRunner.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace corvid::test {
namespace {

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

int Occurrences(const std::string& text, const std::string& part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST_F(CliTest, InfoOutlinesTheObjectsAndTotalsOfASceneFile)
{
    const std::string file = SavedDemo();
    const CliResult text = Run({"info", file});
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_EQ(text.err, "");
    for (const char* line : {"\nObject \"Sphere 0\" at (1, 2.5, 1), 482 vertices, 512 faces\n",
                             "\nPatch \"BSpline Patch\" at (2, 0, 11), 289 vertices, 256 faces\n",
                             "\nCamera \"Camera 0\" at (0, 8, -16)\n", "\nLight \"Light 1\" at (-8, 9, -5), spot light\n"})
        EXPECT_TRUE(Contains(text.out, line)) << line << "in\n" << text.out;
    EXPECT_TRUE(EndsWith(text.out, "\n11 objects (8 meshes: 1943 vertices, 1970 faces), 7 materials, 2 lights, "
                                   "1 camera, 0 keys\n"))
        << text.out;
    // Eleven objects and the totals: the patch's control points are part of it.
    EXPECT_EQ(Occurrences(text.out, "\n"), 12);

    const CliResult json = Run({"info", file, "--json"});
    ASSERT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(json.out.rfind("{\"objects\": [\n  {\"name\": \"Cube 0\", \"kind\": \"Object\", \"parent\": null, ", 0), 0u)
        << json.out;
    EXPECT_TRUE(Contains(json.out, "\n  {\"name\": \"Sphere 0\", \"kind\": \"Object\", \"parent\": null, "
                                   "\"vertices\": 482, \"faces\": 512, \"keys\": 0},\n"));
    EXPECT_TRUE(Contains(json.out, "\n  {\"name\": \"Light 1\", \"kind\": \"Light\", \"parent\": null, "
                                   "\"vertices\": 0, \"faces\": 0, \"keys\": 0}\n],\n"));
    EXPECT_TRUE(EndsWith(json.out, "\n\"totals\": {\"objects\": 11, \"meshes\": 8, \"vertices\": 1943, \"faces\": "
                                   "1970, \"materials\": 7, \"lights\": 2, \"cameras\": 1, \"keys\": 0}}\n"))
        << json.out;
    EXPECT_EQ(Occurrences(json.out, "{\"name\": "), 11);
    // The file holds exactly the scene it was saved from.
    EXPECT_EQ(Run({"info", "--json", "--demo"}).out, json.out);
}

TEST_F(CliTest, InfoJsonEscapesTheNamesAFileHolds)
{
    std::string bytes = ReadText(SavedDemo());
    // A name of the same length keeps every chunk's size.
    const std::string name = std::string("Sphere 0") + '\0';
    const size_t at = bytes.find(name);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 8, "q\"\\\x01\xC3\xA9\xFFz");
    WriteText(Path("names.cvd"), bytes);

    const CliResult info = Run({"info", Path("names.cvd"), "--json"});
    ASSERT_EQ(info.code, 0) << info.err;
    EXPECT_TRUE(Contains(info.out, "{\"name\": \"q\\\"\\\\\\u0001\xC3\xA9\\ufffdz\", ")) << info.out;
}

TEST_F(CliTest, FilesThatCannotBeReadExitOneWithTheReason)
{
    const std::string demo = ReadText(SavedDemo());
    WriteText(Path("half.cvd"), demo.substr(0, demo.size() / 2));
    WriteText(Path("cut.cvd"), demo.substr(0, 40));  // inside the first chunk's header
    WriteText(Path("empty.cvd"), "");
    WriteText(Path("text.cvd"), "hello\n");
    std::filesystem::create_directory(Path("folder.cvd"));

    for (const char* name : {"missing.cvd", "half.cvd", "cut.cvd", "empty.cvd", "text.cvd", "folder.cvd"}) {
        const std::string file = Path(name);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"info", file, "--json"}, {"convert", file, Path("out.cvd")},
              {"render", file, "-o", Path("out.bmp")}}) {
            SCOPED_TRACE(args[0] + " " + name);
            const CliResult result = Run(args);
            EXPECT_EQ(result.code, 1);
            EXPECT_EQ(result.out, "");
            // The reader's reason, then the line that names the file.
            EXPECT_NE(result.err.rfind("corvid-cli", 0), 0u) << result.err;
            EXPECT_TRUE(EndsWith(result.err, "corvid-cli " + args[0] + ": could not read '" + file + "'\n"))
                << result.err;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(Path("out.cvd")));
    EXPECT_FALSE(std::filesystem::exists(Path("out.bmp")));
}

TEST_F(CliTest, UsageErrorsExitTwoAndWriteNothing)
{
    const std::string file = SavedDemo(), out = Path("out.cvd"), bmp = Path("out.bmp");
    const std::vector<std::vector<std::string>> cases = {
        {}, {"frobnicate"}, {"info"}, {"info", "--json"}, {"info", file, file}, {"info", "--demo", file},
        {"info", file, "--yaml"}, {"convert", file}, {"convert", file, out, out}, {"convert", "--fast", file, out},
        {"render", file}, {"render", file, "-o", bmp, "--width", "0"}, {"render", file, "-o", bmp, "--height", "9x"},
        {"render", file, "-o", bmp, "--view", "sideways"}, {"render", file, file, "-o", bmp}, {"save-demo"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.empty() ? "(nothing)" : args[0] + " ... (" + std::to_string(args.size()) + " words)");
        const CliResult result = Run(args);
        EXPECT_EQ(result.code, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(Contains(result.err, "usage: corvid-cli")) << result.err;
    }

    // A file type that no reader or writer takes, named with the types there are.
    std::filesystem::copy_file(file, Path("scene.xyz"));
    const std::string xyz = Path("scene.xyz");
    for (const auto& [args, verb] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"info", xyz}, "read"}, {{"render", xyz, "-o", bmp}, "read"}, {{"convert", xyz, out}, "read"},
             {{"convert", file, Path("x.xyz")}, "write"}, {{"save-demo", Path("demo")}, "write"}}) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.code, 2) << result.err;
        EXPECT_TRUE(Contains(result.err, "corvid-cli can " + verb + " (it " + verb + "s .cvd")) << result.err;
    }
    for (const char* written : {"out.cvd", "out.bmp", "x.xyz", "demo"})
        EXPECT_FALSE(std::filesystem::exists(Path(written))) << written;
}

TEST_F(CliTest, HelpAndVersionGoToStandardOutput)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"-h"}, {"info", "--help"}, {"render", "-h"}, {"convert", "--help"},
          {"save-demo", "--help"}, {"render", "scene.cvd", "--help"}}) {
        SCOPED_TRACE(args[0] + " " + args.back());
        const CliResult result = Run(args);
        EXPECT_EQ(result.code, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out.rfind("usage: corvid-cli " + (args.size() > 1 ? args[0] : std::string()), 0), 0u)
            << result.out;
    }
    EXPECT_TRUE(Contains(Run({"render", "--help"}).out, "perspective (the default), top, bottom"));
    const CliResult version = Run({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "corvid-cli 1.0\n");
}

TEST_F(CliTest, AUsageErrorNamesTheWordItRefuses)
{
    const std::string file = SavedDemo(), bmp = Path("out.bmp");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"render", file, "-o", bmp, "--view", "sideways"}, "corvid-cli render: unknown view 'sideways'"},
        {{"render", file, "-o", bmp, "--width", "0"}, "corvid-cli render: --width '0' is not a whole number from 1 to 8192"},
        {{"render", file, "-o", bmp, "--height", "9x"}, "corvid-cli render: --height '9x' is not a whole number"},
        {{"render", file, "-o", bmp, "--width", "-3"}, "corvid-cli render: --width '-3' is not"},
        {{"render", file, "-o", bmp, "--height", " 7"}, "corvid-cli render: --height ' 7' is not"},
        {{"render", file, "-o", bmp, "--width"}, "corvid-cli render: --width needs a value"},
        {{"render", file, "-o", bmp, "--size", "9"}, "corvid-cli render: unknown option '--size'"},
        {{"render", file, "-o", bmp, "extra"}, "corvid-cli render: unexpected argument 'extra'"},
        {{"render", "--demo", file, "-o", bmp}, "corvid-cli render: unexpected argument '" + file + "'"},
        {{"render", file}, "corvid-cli render: the picture's file name is missing"},
        {{"render", file, "-o", Path("out.jpg")}, "corvid-cli render: '" + Path("out.jpg") + "' is not a picture type"},
        {{"render", file, "-o", Path("out")}, "corvid-cli render: '" + Path("out") + "' is not a picture type"},
        {{"info", file, "extra"}, "corvid-cli info: unexpected argument 'extra'"},
        {{"info", "--demo", file}, "corvid-cli info: unexpected argument '" + file + "'"},
        {{"info", file, "--yaml"}, "corvid-cli info: unknown option '--yaml'"},
        {{"convert", file, Path("a.cvd"), "extra"}, "corvid-cli convert: unexpected argument 'extra'"},
        {{"convert", "--fast", file, Path("a.cvd")}, "corvid-cli convert: unknown option '--fast'"},
        {{"save-demo", Path("a.cvd"), "extra"}, "corvid-cli save-demo: unexpected argument 'extra'"},
        {{"frobnicate"}, "corvid-cli: 'frobnicate' is not a command"},
    };
    for (const auto& [args, problem] : cases) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.code, 2) << problem;
        EXPECT_EQ(result.err.rfind(problem, 0), 0u) << result.err;
    }
    for (const char* written : {"out.bmp", "out.jpg", "out", "a.cvd"})
        EXPECT_FALSE(std::filesystem::exists(Path(written))) << written;
}

TEST_F(CliTest, ConvertWritesTheBytesItRead)
{
    const std::string file = SavedDemo();
    ASSERT_EQ(Run({"convert", file, Path("copy.cvd")}).code, 0);
    EXPECT_EQ(ReadText(Path("copy.cvd")), ReadText(file));

    // Extensions in any case, and the output under exactly the name given.
    std::filesystem::rename(Path("copy.cvd"), Path("COPY.CVD"));
    ASSERT_EQ(Run({"convert", Path("COPY.CVD"), Path("Again.Cvd")}).code, 0);
    EXPECT_EQ(ReadText(Path("Again.Cvd")), ReadText(file));

    const CliResult nowhere = Run({"convert", file, Path("no/folder/out.cvd")});
    EXPECT_EQ(nowhere.code, 1);
    EXPECT_TRUE(EndsWith(nowhere.err, "could not write '" + Path("no/folder/out.cvd") + "'\n")) << nowhere.err;
}

TEST_F(CliTest, AClosedOutputIsAnErrorNotASignal)
{
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    const CliResult result = Run({"info", "--demo", "--json"}, ends[1]);
    close(ends[1]);
    EXPECT_EQ(result.code, 1);
    EXPECT_TRUE(Contains(result.err, "cannot write the output")) << result.err;
}

// cmake --install puts the programs, the desktop entry, its icons and the
// licence where a desktop finds them.
TEST_F(CliTest, InstallPutsTheDesktopEntryAndItsIconInPlace)
{
    const std::filesystem::path build = std::filesystem::path(CORVID_CLI_PATH).parent_path().parent_path();
    ASSERT_TRUE(std::filesystem::exists(build / "src/corvid")) << "build the corvid target before this test";
    const std::string prefix = Path("prefix"), log = Path("install.log");
    const std::string command = "cmake --install '" + build.string() + "' --prefix '" + prefix + "' > '" + log + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadText(log);

    for (const char* file : {"bin/corvid", "bin/corvid-cli", "share/applications/corvid.desktop",
                             "share/icons/hicolor/48x48/apps/corvid.png", "share/icons/hicolor/256x256/apps/corvid.png",
                             "share/doc/corvid/LICENSE"})
        EXPECT_TRUE(std::filesystem::exists(Path("prefix/") + file)) << file;
    const std::string entry = ReadText(Path("prefix/share/applications/corvid.desktop"));
    EXPECT_TRUE(Contains(entry, "\nExec=corvid %f\n")) << entry;
    EXPECT_TRUE(Contains(entry, "\nIcon=corvid\n")) << entry;
    // The installed tool works on its own.
    const std::string version = Path("version.txt");
    ASSERT_EQ(std::system(("'" + prefix + "/bin/corvid-cli' --version > '" + version + "'").c_str()), 0);
    EXPECT_EQ(ReadText(version), "corvid-cli 1.0\n");
}

// data/demo.cvd, which `make run` opens, is what save-demo writes today.
TEST_F(CliTest, TheShippedDemoFileIsCurrent)
{
    const std::string shipped = std::string(CORVID_SOURCE_DIR) + "/data/demo.cvd";
    const CliResult info = Run({"info", shipped, "--json"});
    ASSERT_EQ(info.code, 0) << info.err;
    EXPECT_EQ(info.out, Run({"info", "--demo", "--json"}).out);
    EXPECT_EQ(ReadText(shipped), ReadText(SavedDemo()))
        << "the demo scene or the scene writer changed: run corvid-cli save-demo data/demo.cvd";
}

} // namespace
} // namespace corvid::test
