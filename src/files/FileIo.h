#pragma once
// Whole files in and out. A file is written beside its target under a
// temporary name, flushed to the disk and renamed into place, so a failed or
// cut-off write never destroys what was there. Reads refuse files too large
// to hold in memory.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvid {

enum class WriteStatus {
    Written,
    CannotOpen,  // the folder is missing or not writable
    Failed,      // a write, the flush or the rename failed (a full disk, say)
};

WriteStatus WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);

// The largest file ReadWholeFile reads (1 GiB).
constexpr uint64_t kMaxReadFileBytes = uint64_t{1} << 30;

enum class ReadStatus { Read, CannotOpen, Failed };

// The file's bytes; CannotOpen when it is missing or unreadable, Failed when
// the system reports an error while reading or it is too large.
ReadStatus ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);

// The folder of a path (without its last separator), "." for a bare name.
std::string FolderOf(const std::string& path);
// The last component of a path.
std::string FileNameOf(const std::string& path);

// True when both paths name one existing file.
bool SameFile(const std::string& a, const std::string& b);

// Copies the file at source into folder ("." when empty) under name, a
// bare file name, as a writer puts the pictures a file names beside it;
// never onto itself, never outside folder. False when nothing was copied.
bool CopyFileBeside(const std::string& source, const std::string& folder, const std::string& name);

// A name taken from a file as a bare file name: false for an empty name, one
// with a path separator or a drive letter, "." or "..".
bool IsBareFileName(const std::string& name);

// The file called name in folder: as written, then lower-cased, then any
// name that equals it ignoring case. Nothing for a name that is not bare or
// not there.
std::optional<std::string> FindInFolder(const std::string& folder, const std::string& name);

} // namespace corvid
