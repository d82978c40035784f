#include "platform/HeapGrowth.h"

#include <cstdlib> // defines __GLIBC__ on glibc

#if defined(__GLIBC__)
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <latch>
#include <malloc.h>
#include <string>
#include <sys/mman.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>
#endif

namespace HeapGrowth {

#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
namespace {

// Advises the mapping that holds the address, with the reserve that follows a thread's heap.
void adviseMappingOf(const void* address)
{
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream maps("/proc/self/maps");
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    for (std::string line; std::getline(maps, line);) {
        unsigned long from = 0;
        unsigned long to = 0;
        char access[5] = {};
        if (std::sscanf(line.c_str(), "%lx-%lx %4s", &from, &to, access) != 3)
            continue;
        if (end == 0 && from <= at && at < to) {
            start = from;
            end = to;
        } else if (end != 0) {
            if (from == end && std::strcmp(access, "---p") == 0)
                end = to;
            break;
        }
    }
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

// Threads take over the heaps of threads that have ended, so heaps made now, advised, serve the threads that
// read and write sheets later. Each maker holds its heap until all have one, or they would share one.
void makeAdvisedThreadHeaps()
{
    constexpr std::size_t kHeaps = 8;
    std::latch allHold(kHeaps);
    std::vector<std::thread> makers;
    makers.reserve(kHeaps);
    try {
        while (makers.size() < kHeaps)
            makers.emplace_back([&allHold] {
                void* volatile block = malloc(1);
                adviseMappingOf(block);
                allHold.arrive_and_wait();
                free(block);
            });
    } catch (const std::system_error&) {
        // The heaps made so far serve as they are.
        allHold.count_down(static_cast<std::ptrdiff_t>(kHeaps - makers.size()));
    }
    for (std::thread& maker : makers)
        maker.join();
}

} // namespace
#endif

void reserveInLargePages()
{
#if defined(__GLIBC__)
    // Large blocks come from the heaps too, so that all the program's memory lies in the regions advised below.
    mallopt(M_MMAP_MAX, 0);
    // The main heap takes this much address space at once and keeps it: given back, its end could not be
    // advised again. Only the pages written are backed by memory.
    constexpr int kReserve = 1024 * 1024 * 1024;
    mallopt(M_TRIM_THRESHOLD, kReserve);
    mallopt(M_TOP_PAD, kReserve);
    // A block larger than the whole heap cannot come from a free list: the heap grows now, by the reserve.
    const void* const before = sbrk(0);
    void* volatile block = malloc(mallinfo2().arena + 1); // volatile: the pair must not be optimised away
    free(block);
#if defined(MADV_HUGEPAGE)
    // Where the system gives large pages only on request; advice it does not take changes nothing.
    if (sbrk(0) != before)
        adviseMappingOf(static_cast<const char*>(sbrk(0)) - 1);
    // With the reserve still set, a thread's heap is made whole at once. glibc grows one a page at a time,
    // and no large page fits a mapping that grows so.
    makeAdvisedThreadHeaps();
#endif
    // Beyond the reserve, or where the system refused it, the heaps grow in steps of modest size.
    constexpr int kStep = 32 * 1024 * 1024;
    mallopt(M_TOP_PAD, kStep);
#endif
}

} // namespace HeapGrowth
