#include "platform/LargeArrays.h"

#include <cstdint>
#include <sys/mman.h>

namespace corvid {

void AdviseHugePages(const void* data, size_t bytes)
{
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    if (!data || bytes < 2 * kHugePage)
        return;
    const auto begin = reinterpret_cast<uintptr_t>(data);
    const uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t last = (begin + bytes) & ~(kHugePage - 1);
    if (last > first)
        (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

} // namespace corvid
