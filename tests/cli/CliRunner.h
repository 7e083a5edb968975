#pragma once
// Runs the real corvid-cli (CORVID_CLI_PATH) with its output caught in
// files, in a folder of the test's own.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace corvid::test {

struct CliResult {
    bool exited = false;  // false: ended by a signal
    int code = -1;
    std::string out, err;
};

inline std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteText(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvid-cli-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string Path(const std::string& name) const { return (dir / name).string(); }

    // stdoutFd >= 0: the program writes its standard output there.
    CliResult Run(std::vector<std::string> args, int stdoutFd = -1)
    {
        const std::string outPath = Path(".stdout"), errPath = Path(".stderr");
        args.insert(args.begin(), CORVID_CLI_PATH);
        std::vector<char*> argv;
        for (std::string& word : args)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            const int out = stdoutFd >= 0 ? stdoutFd : open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (out >= 0 && err >= 0 && dup2(out, 1) >= 0 && dup2(err, 2) >= 0)
                execv(argv[0], argv.data());
            _exit(127);
        }
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        CliResult result;
        result.exited = WIFEXITED(status);
        result.code = result.exited ? WEXITSTATUS(status) : -WTERMSIG(status);
        result.out = stdoutFd >= 0 ? std::string() : ReadText(outPath);
        result.err = ReadText(errPath);
        EXPECT_TRUE(result.exited) << "corvid-cli was ended by signal " << -result.code;
        return result;
    }

    // The demo scene, written by save-demo into the test's folder.
    std::string SavedDemo()
    {
        const CliResult saved = Run({"save-demo", Path("demo.cvd")});
        EXPECT_EQ(saved.code, 0) << saved.err;
        return Path("demo.cvd");
    }

    std::filesystem::path dir;
};

} // namespace corvid::test
