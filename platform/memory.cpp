#include "platform/memory.h"

#include <sys/mman.h>

#include <cstdint>

namespace quenlo::memory {

void preferHugePages(void* data, std::size_t size) {
    constexpr std::uintptr_t kHugePage = 2 * 1024 * 1024;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (start + size) & ~(kHugePage - 1);
    if (last <= first) return;
#ifdef MADV_HUGEPAGE
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

}  // namespace quenlo::memory
