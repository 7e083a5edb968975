#include "platform/OutputFile.h"

#include <cstdio>
#include <unistd.h>

namespace corvid {

bool MoveOutputIntoPlace(const std::string& temporary, const std::string& path)
{
    // A failed unlink (no old file, or a folder) is left to the rename to
    // report.
    (void)::unlink(path.c_str());
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

} // namespace corvid
