#pragma once
// Moving a finished output file (a picture, a video) over its target.

#include <string>

namespace corvid {

// Renames temporary (a complete file written beside path) to path. An old
// file of that name is removed first rather than renamed over: renaming over
// an existing file makes ext4 write the new file's data out at once (its
// guard for programs that do not sync), which holds the caller up for the
// disk. Pictures and videos can be rendered again, so they are not worth
// that wait; only a crash between the two calls loses the old file. False,
// with errno set, when the rename fails (a folder of that name stays).
bool MoveOutputIntoPlace(const std::string& temporary, const std::string& path);

} // namespace corvid
