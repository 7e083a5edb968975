#include "app/Config.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

using namespace corvid;
namespace fs = std::filesystem;

namespace {

class ConfigTest : public ::testing::Test {
protected:
    ConfigTest()
    {
        std::string pattern = (fs::temp_directory_path() / "corvid-config-XXXXXX").string();
        root = mkdtemp(pattern.data()) ? pattern : "/nonexistent";
    }
    ~ConfigTest() override { fs::remove_all(root); }

    BaseDirectory Resolve()
    {
        return ResolveBaseDirectory([this](const char* name) -> const char* {
            auto it = env.find(name);
            return it == env.end() ? nullptr : it->second.c_str();
        });
    }

    std::string root;
    std::map<std::string, std::string> env;
};

} // namespace

TEST_F(ConfigTest, WhereTheBaseDirectoryComesFrom)
{
    const std::string longest = "/" + std::string(254, 'y');  // 255 bytes
    const std::string tooLong = "/" + std::string(255, 'x');
    struct Case {
        const char* name;
        const char* corvidBase;  // null: unset
        bool xdg;                // the file under XDG_CONFIG_HOME, else ~/.config
        std::string config;      // empty: no file
        std::string expected;    // "~" is HOME
        size_t messages;
    } cases[] = {
        {"config file", nullptr, true, "Base=/srv/c\n", "/srv/c", 0},
        {"config under ~/.config", nullptr, false, "Base=/srv/h\n", "/srv/h", 0},
        {"environment wins", "/env", true, "Base=/srv/c\n", "/env", 0},
        {"comments, blanks, other keys, first wins", nullptr, true, "# x\n\nA=1\n Base = /srv/s \nBase=/2\n", "/srv/s", 0},
        {"neither", nullptr, true, "", "~/Corvid", 0},
        {"empty value", nullptr, true, "Base=\n", "~/Corvid", 0},
        {"255 bytes is fine", nullptr, true, "Base=" + longest + "\n", longest, 0},
        {"256 bytes in the file", nullptr, true, "Base=" + longest + "z\n", "~/Corvid", 1},
        {"256 bytes in the environment", tooLong.c_str(), true, "", "~/Corvid", 1},
    };
    int round = 0;
    for (const auto& c : cases) {
        std::string dir = root + "/" + std::to_string(round++);
        env = {{"HOME", dir + "/home"}};
        std::string configHome = c.xdg ? dir + "/xdg" : dir + "/home/.config";
        if (c.xdg)
            env["XDG_CONFIG_HOME"] = configHome;
        if (c.corvidBase)
            env["CORVID_BASE"] = c.corvidBase;
        if (!c.config.empty()) {
            fs::create_directories(configHome + "/corvid");
            std::ofstream(configHome + "/corvid/corvid.conf") << c.config;
        }
        BaseDirectory base = Resolve();
        std::string expected = c.expected[0] == '~' ? env["HOME"] + c.expected.substr(1) : c.expected;
        EXPECT_EQ(base.path, expected) << c.name;
        EXPECT_EQ(base.isDefault, c.expected[0] == '~') << c.name;
        EXPECT_EQ(base.messages.size(), c.messages) << c.name;
    }
}

TEST_F(ConfigTest, WorkingFoldersAreCreatedAndAFileInTheWayIsNamed)
{
    ASSERT_TRUE(CreateWorkingFolders(root + "/Corvid"));
    for (const char* folder : {"Maps", "Objects", "Help", "Scenes", "Images", "Animations"})
        EXPECT_TRUE(fs::is_directory(root + "/Corvid/" + folder)) << folder;

    std::ofstream(root + "/Scenes") << "in the way";
    std::string failed;
    EXPECT_FALSE(CreateWorkingFolders(root, &failed));
    EXPECT_EQ(failed, root + "/Scenes");
}

TEST_F(ConfigTest, TheProcessEnvironmentIsRead)
{
    setenv("CORVID_BASE", (root + "/env").c_str(), 1);
    EXPECT_EQ(ResolveBaseDirectory(SystemEnvironment()).path, root + "/env");
    unsetenv("CORVID_BASE");
}
