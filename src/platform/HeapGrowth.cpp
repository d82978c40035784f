#include "platform/HeapGrowth.h"

#include <cstdint>
#include <cstdlib> // defines __GLIBC__ on glibc

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace HeapGrowth {

void reserveInLargePages()
{
#if defined(__GLIBC__)
    // Every thread allocates from the main heap, and large blocks come from it too, so that all the program's
    // memory lies in the one region advised below. The threads that read sheets barely contend for it.
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_MAX, 0);
    // The heap takes this much address space at once and keeps it: given back, its end could not be advised
    // again. Only the pages written are backed by memory.
    constexpr int kReserve = 1024 * 1024 * 1024;
    mallopt(M_TRIM_THRESHOLD, kReserve);
    mallopt(M_TOP_PAD, kReserve);
    // A block larger than the whole heap cannot come from a free list: the heap grows now, by the reserve.
    const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    void* volatile block = malloc(mallinfo2().arena + 1); // volatile: the pair must not be optimised away
    free(block);
    const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // Beyond the reserve, or where the system refused it, the heap grows in steps of modest size.
    constexpr int kStep = 32 * 1024 * 1024;
    mallopt(M_TOP_PAD, kStep);
#if defined(MADV_HUGEPAGE)
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t start = (before + page - 1) & ~(page - 1);
    // Where the system gives large pages only on request; advice it does not take changes nothing.
    if (after > start)
        madvise(reinterpret_cast<void*>(start), after - start, MADV_HUGEPAGE);
#endif
#endif
}

} // namespace HeapGrowth
