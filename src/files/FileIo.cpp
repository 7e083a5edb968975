#include "files/FileIo.h"

#include "platform/LargeArrays.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvid {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsFile(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

} // namespace

WriteStatus WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes)
{
    const std::string temporary = path + ".writing-" + std::to_string(::getpid());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return WriteStatus::CannotOpen;
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        std::remove(temporary.c_str());
        return WriteStatus::Failed;
    }
    return WriteStatus::Written;
}

ReadStatus ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ReadStatus::CannotOpen;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return ReadStatus::CannotOpen;
    }
    if (static_cast<uint64_t>(info.st_size) > kMaxReadFileBytes) {
        ::close(fd);
        return ReadStatus::Failed;
    }
    bytes.clear();
    ReserveLarge(bytes, static_cast<size_t>(info.st_size));
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return ReadStatus::Failed;
        }
        if (n == 0)
            break;  // shorter than it said: what is there is what is read
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    ::close(fd);
    return ReadStatus::Read;
}

std::string FolderOf(const std::string& path)
{
    const auto at = path.find_last_of('/');
    if (at == std::string::npos)
        return ".";
    return at == 0 ? "/" : path.substr(0, at);
}

std::string FileNameOf(const std::string& path)
{
    const auto at = path.find_last_of('/');
    return at == std::string::npos ? path : path.substr(at + 1);
}

bool IsBareFileName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    if (name.find_first_of("/\\") != std::string::npos)
        return false;
    if (name.size() >= 2 && name[1] == ':')
        return false;
    return name.find('\0') == std::string::npos;
}

std::optional<std::string> FindInFolder(const std::string& folder, const std::string& name)
{
    if (!IsBareFileName(name))
        return std::nullopt;
    const std::string exact = folder + "/" + name;
    if (IsFile(exact))
        return exact;
    const std::string lower = folder + "/" + Lower(name);
    if (IsFile(lower))
        return lower;
    std::error_code ec;
    const std::string wanted = Lower(name);
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec) && Lower(it->path().filename().string()) == wanted)
            return it->path().string();
    return std::nullopt;
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa{}, sb{};
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool CopyFileBeside(const std::string& source, const std::string& folder, const std::string& name)
{
    if (source.empty() || !IsBareFileName(name))
        return false;
    const std::string target = (folder.empty() ? std::string(".") : folder) + "/" + name;
    if (SameFile(source, target))
        return false;
    std::vector<uint8_t> bytes;
    return ReadWholeFile(source, bytes) == ReadStatus::Read && WriteFileAtomically(target, bytes) == WriteStatus::Written;
}

} // namespace corvid
