#include "app/Config.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace corvid {

const std::vector<std::string> kWorkingFolders{"Maps", "Objects", "Help", "Scenes", "Images", "Animations"};

namespace {

std::string Trim(const std::string& text)
{
    const char* blanks = " \t\r\n";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::string NonEmpty(const EnvLookup& getEnv, const char* name)
{
    const char* value = getEnv ? getEnv(name) : nullptr;
    return value && *value ? std::string(value) : std::string();
}

} // namespace

EnvLookup SystemEnvironment()
{
    return [](const char* name) -> const char* { return std::getenv(name); };
}

std::string HomeDirectory(const EnvLookup& getEnv)
{
    std::string home = NonEmpty(getEnv, "HOME");
    if (!home.empty())
        return home;
    // No HOME: ask the password database.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_dir)
        return result->pw_dir;
    return {};
}

std::string ConfigFilePath(const EnvLookup& getEnv)
{
    std::string configHome = NonEmpty(getEnv, "XDG_CONFIG_HOME");
    if (configHome.empty()) {
        std::string home = HomeDirectory(getEnv);
        if (home.empty())
            return {};
        configHome = home + "/.config";
    }
    return configHome + "/corvid/corvid.conf";
}

std::optional<std::string> ReadConfigValue(const std::string& path, const std::string& key, std::string* error)
{
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec))
        return std::nullopt;
    if (!std::filesystem::is_regular_file(path, ec)) {
        if (error)
            *error = "not a file";
        return std::nullopt;
    }
    std::ifstream in(path);
    if (!in) {
        if (error)
            *error = std::strerror(errno);
        return std::nullopt;
    }
    std::string line;
    while (std::getline(in, line)) {
        std::string text = Trim(line);
        if (text.empty() || text[0] == '#' || text[0] == ';')
            continue;
        auto eq = text.find('=');
        if (eq == std::string::npos)
            continue;
        if (Trim(text.substr(0, eq)) == key)
            return Trim(text.substr(eq + 1));
    }
    if (in.bad() && error)
        *error = "read error";
    return std::nullopt;
}

BaseDirectory ResolveBaseDirectory(const EnvLookup& getEnv)
{
    BaseDirectory result;
    std::string value = NonEmpty(getEnv, "CORVID_BASE");
    std::string source = "CORVID_BASE";
    if (value.empty()) {
        std::string path = ConfigFilePath(getEnv);
        std::string error;
        if (auto configured = ReadConfigValue(path, "Base", &error))
            value = *configured;
        else if (!error.empty())
            result.messages.push_back("Cannot read the configuration file\n " + path + " (" + error + ").");
        source = "Base in " + path;
    }

    std::string home = HomeDirectory(getEnv);
    std::string fallback = (home.empty() ? std::string(".") : home) + "/Corvid";
    if (value.size() > kMaxBaseDirectoryBytes) {
        result.messages.push_back("The base directory given by " + source + " is longer than " +
                                  std::to_string(kMaxBaseDirectoryBytes) + " bytes.\n Using " + fallback +
                                  " instead.");
        value.clear();
    }
    if (value.empty()) {
        result.path = fallback;
        result.isDefault = true;
    } else {
        // "/data/corvid/" and "/data/corvid" name the same base.
        while (value.size() > 1 && value.back() == '/')
            value.pop_back();
        result.path = value;
    }
    return result;
}

bool CreateWorkingFolders(const std::string& base, std::string* failedPath)
{
    std::error_code ec;
    std::filesystem::create_directories(base, ec);
    if (ec || !std::filesystem::is_directory(base, ec)) {
        if (failedPath)
            *failedPath = base;
        return false;
    }
    for (const auto& folder : kWorkingFolders) {
        std::string path = base + "/" + folder;
        std::filesystem::create_directories(path, ec);
        if (ec || !std::filesystem::is_directory(path, ec)) {
            if (failedPath)
                *failedPath = path;
            return false;
        }
    }
    return true;
}

} // namespace corvid
