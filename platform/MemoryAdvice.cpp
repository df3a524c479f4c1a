#include "platform/MemoryAdvice.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

void AdviseLargePages(const void* data, std::size_t bytes)
{
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (!data || pageSize <= 0)
        return;
    const std::uintptr_t page = static_cast<std::uintptr_t>(pageSize);
    const std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(data) + page - 1) & ~(page - 1);
    const std::uintptr_t last = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(page - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}
