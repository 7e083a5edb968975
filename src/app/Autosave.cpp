#include "app/Autosave.h"

#include "app/DocumentCommands.h"
#include "app/Editor.h"
#include "files/Document.h"
#include "files/FileIo.h"
#include "files/scene/SceneFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvid {

namespace {

constexpr const char* kPrefix = "autosave-";
constexpr const char* kSourceSuffix = ".source";

int64_t ModifiedAt(const std::string& path)
{
    struct stat s{};
    if (stat(path.c_str(), &s) != 0)
        return -1;
    return static_cast<int64_t>(s.st_mtime);
}

// The process id in "autosave-<pid>.cvd", or 0.
pid_t OwnerOf(const std::string& fileName)
{
    const std::string prefix = kPrefix;
    if (fileName.rfind(prefix, 0) != 0 || fileName.size() <= prefix.size() + 4 ||
        fileName.substr(fileName.size() - 4) != ".cvd")
        return 0;
    const char* first = fileName.data() + prefix.size();
    const char* last = fileName.data() + fileName.size() - 4;
    long pid = 0;
    auto [end, error] = std::from_chars(first, last, pid);
    if (error != std::errc{} || end != last || pid <= 0)
        return 0;
    return static_cast<pid_t>(pid);
}

bool IsRunning(pid_t pid)
{
    return kill(pid, 0) == 0 || errno == EPERM;
}

} // namespace

Autosave::Autosave(Editor& editor) : editor_(editor) {}

Autosave::~Autosave()
{
    Wait();
}

std::string Autosave::DefaultFolder(const EnvLookup& getEnv)
{
    if (const char* state = getEnv("XDG_STATE_HOME"); state && *state == '/')
        return std::string(state) + "/corvid/autosave";
    const std::string home = HomeDirectory(getEnv);
    return home.empty() ? std::string{} : home + "/.local/state/corvid/autosave";
}

int Autosave::ConfiguredSeconds(const EnvLookup& getEnv)
{
    auto parse = [](const std::string& text, int scale) -> std::optional<int> {
        long value = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc{} || end != text.data() + text.size() || value < 0)
            return std::nullopt;
        return static_cast<int>(std::min<long>(value, 24L * 3600 / scale) * scale);
    };
    if (const char* seconds = getEnv("CORVID_AUTOSAVE_SECONDS"))
        if (auto value = parse(seconds, 1))
            return *value;
    const std::string config = ConfigFilePath(getEnv);
    if (!config.empty())
        if (auto minutes = ReadConfigValue(config, "AutosaveMinutes"))
            if (auto value = parse(*minutes, 60))
                return *value;
    return kDefaultAutosaveSeconds;
}

void Autosave::SetFolder(std::string folder)
{
    Wait();
    folder_ = std::move(folder);
    path_ = folder_.empty() ? std::string{} : folder_ + "/" + kPrefix + std::to_string(getpid()) + ".cvd";
}

bool Autosave::Tick()
{
    if (intervalSeconds <= 0 || path_.empty() || !editor_.scene.Modified())
        return false;
    // A gesture half done or a playback running is no state to keep.
    if (editor_.tools.ButtonsDown() || editor_.transport.Playing())
        return false;
    Wait();
    Document document = editor_.document();
    std::vector<uint8_t> bytes =
        WriteSceneBytes(document, DefaultSceneOptions(), folder_, {.copyFiles = false, .nameInScene = false});
    std::string source = editor_.documentPath;
    writer_ = std::thread([folder = folder_, path = path_, source = std::move(source), bytes = std::move(bytes)] {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        const std::vector<uint8_t> sourceBytes(source.begin(), source.end());
        if (WriteFileAtomically(path + kSourceSuffix, sourceBytes) == WriteStatus::Written)
            WriteFileAtomically(path, bytes);
    });
    return true;
}

void Autosave::Wait()
{
    if (writer_.joinable())
        writer_.join();
}

void Autosave::Discard()
{
    Wait();
    if (path_.empty())
        return;
    std::error_code error;
    std::filesystem::remove(path_, error);
    std::filesystem::remove(path_ + kSourceSuffix, error);
}

std::vector<RecoverableScene> Autosave::FindRecoverable(const std::string& folder)
{
    std::vector<RecoverableScene> found;
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error))
        return found;
    for (const auto& item : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = item.path().filename().string();
        const pid_t owner = OwnerOf(name);
        if (owner == 0 || owner == getpid() || IsRunning(owner))
            continue;
        RecoverableScene scene;
        scene.autosavePath = item.path().string();
        scene.savedAt = ModifiedAt(scene.autosavePath);
        std::vector<uint8_t> source;
        if (ReadWholeFile(scene.autosavePath + kSourceSuffix, source) == ReadStatus::Read)
            scene.documentPath.assign(source.begin(), source.end());
        // Saved since: nothing to recover.
        if (!scene.documentPath.empty() && ModifiedAt(scene.documentPath) > scene.savedAt) {
            Forget(scene);
            continue;
        }
        found.push_back(std::move(scene));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.savedAt > b.savedAt; });
    return found;
}

void Autosave::Forget(const RecoverableScene& scene)
{
    std::error_code error;
    std::filesystem::remove(scene.autosavePath, error);
    std::filesystem::remove(scene.autosavePath + kSourceSuffix, error);
}

} // namespace corvid
