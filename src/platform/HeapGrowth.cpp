#include "platform/HeapGrowth.h"

#include <cstdlib> // defines __GLIBC__ on glibc

// The address sanitizer brings its own allocator: there is nothing to arrange under it.
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#define TARVIK_LARGE_PAGES 1
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <latch>
#include <malloc.h>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>
#include <thread>
#include <vector>
#endif

namespace HeapGrowth {

#if defined(TARVIK_LARGE_PAGES)
namespace {

// Address space reserved counts as memory committed where overcommit is strict, and against a limit on
// address space: there the reserves would leave the rest of the program short.
bool reservesCostMemory()
{
    for (const int resource : { RLIMIT_AS, RLIMIT_DATA }) {
        rlimit limit {};
        if (getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
            return true;
    }
    std::ifstream overcommit("/proc/sys/vm/overcommit_memory");
    int mode = 0;
    return overcommit >> mode && mode == 2;
}

// Advises each whole mapping that holds one of the addresses, in one read of the map. Where the system gives
// large pages only on request, advice it does not take, or a map it cannot read, leaves the memory as it was.
void adviseMappingsHolding(const std::vector<std::uintptr_t>& addresses) noexcept
{
    try {
        std::ifstream maps("/proc/self/maps");
        for (std::string line; std::getline(maps, line);) {
            unsigned long from = 0;
            unsigned long to = 0;
            const auto inside = [&](std::uintptr_t at) { return from <= at && at < to; };
            if (std::sscanf(line.c_str(), "%lx-%lx", &from, &to) == 2
                && std::any_of(addresses.begin(), addresses.end(), inside))
                madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
        }
    } catch (...) {
        // Unadvised memory only costs more page faults.
    }
}

// Threads that start later take over the heaps of threads that have ended, so heaps made now serve the threads
// that read and write sheets. Each maker holds its heap until all have one, or they would share one. Adds an
// address in each heap to heldAt.
void makeThreadHeaps(std::vector<std::uintptr_t>* heldAt)
{
    constexpr std::size_t kHeaps = 8;
    std::vector<std::uintptr_t> made(kHeaps, 0);
    std::latch allHold(kHeaps);
    std::vector<std::thread> makers;
    makers.reserve(kHeaps);
    try {
        while (makers.size() < kHeaps)
            makers.emplace_back([&allHold, at = &made[makers.size()]] {
                void* const block = malloc(1);
                *at = reinterpret_cast<std::uintptr_t>(block);
                allHold.arrive_and_wait();
                free(block);
            });
    } catch (...) {
        // The heaps made so far serve as they are.
        allHold.count_down(static_cast<std::ptrdiff_t>(kHeaps - makers.size()));
    }
    for (std::thread& maker : makers)
        maker.join();
    heldAt->insert(heldAt->end(), made.begin(), made.end());
}

} // namespace
#endif

void reserveInLargePages()
{
#if defined(TARVIK_LARGE_PAGES)
    if (reservesCostMemory())
        return;
    // Large blocks come from the heaps too, so that they lie in the advised regions.
    mallopt(M_MMAP_MAX, 0);
    // The heaps keep what they take: a heap given back and grown again gets a new mapping, without the advice.
    mallopt(M_TRIM_THRESHOLD, -1);
    // The main heap takes this much address space at once. Only the pages written are backed by memory.
    constexpr int kReserve = 1024 * 1024 * 1024;
    mallopt(M_TOP_PAD, kReserve);
    // A block larger than the whole heap cannot come from a free list: the heap grows now, by the reserve.
    void* const block = malloc(mallinfo2().arena + 1);
    std::vector<std::uintptr_t> heaps { reinterpret_cast<std::uintptr_t>(block) };
    free(block);
    // With the reserve still set, a thread's heap is made whole at once. glibc grows one a page at a time, and
    // each page is written before the mapping could hold a large one.
    makeThreadHeaps(&heaps);
    adviseMappingsHolding(heaps);
    // Beyond the reserve, or where the system refused it, the heaps grow in steps of modest size.
    constexpr int kStep = 32 * 1024 * 1024;
    mallopt(M_TOP_PAD, kStep);
#endif
}

} // namespace HeapGrowth
