#pragma once
// The base directory: key Base in $XDG_CONFIG_HOME/corvid/corvid.conf
// (~/.config when XDG_CONFIG_HOME is unset), overridden by the environment
// variable CORVID_BASE. With neither, or with a value longer than 255 bytes,
// ~/Corvid is used and its working folders are created.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvid {

constexpr std::size_t kMaxBaseDirectoryBytes = 255;
// The folders under the base directory.
extern const std::vector<std::string> kWorkingFolders;  // "Maps", "Objects", ...

// Reads an environment variable; null when unset.
using EnvLookup = std::function<const char*(const char*)>;

// The configuration file's path; empty when neither XDG_CONFIG_HOME nor a
// home directory is known.
std::string ConfigFilePath(const EnvLookup& getEnv);
// The home directory: HOME, else the password database.
std::string HomeDirectory(const EnvLookup& getEnv);

// The value of key in a "Key=value" file (first occurrence; blanks around key
// and value dropped; lines starting with '#' or ';' ignored). error is set
// when the file exists but cannot be read.
std::optional<std::string> ReadConfigValue(const std::string& path, const std::string& key,
                                           std::string* error = nullptr);

struct BaseDirectory {
    std::string path;
    bool isDefault = false;            // ~/Corvid, with its folders to be made
    std::vector<std::string> messages;  // what the person should be told
};

// Where the base directory comes from, by the rules above. Messages tell of
// a value that is too long or a config file that cannot be read.
BaseDirectory ResolveBaseDirectory(const EnvLookup& getEnv);

// Creates base and its working folders where missing; false (with the
// failing path in failedPath) when one cannot be made.
bool CreateWorkingFolders(const std::string& base, std::string* failedPath = nullptr);

// The default lookup: std::getenv.
EnvLookup SystemEnvironment();

} // namespace corvid
