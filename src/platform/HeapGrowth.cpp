#include "platform/HeapGrowth.h"

#include <cstdlib> // defines __GLIBC__ on glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace HeapGrowth {

void growInLargeSteps()
{
#if defined(__GLIBC__)
    // A thread's heap takes this much at once when it is made; the main heap grows by it beyond each request.
    // Only the pages written are ever backed by memory.
    constexpr int kStep = 32 * 1024 * 1024;
    mallopt(M_TOP_PAD, kStep);
    // Setting the step stops glibc from raising the size from which a block is mapped apart as blocks are freed:
    // blocks under a megabyte, a save's buffers among them, come from the heaps and are used again.
    constexpr int kMappedApart = 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, kMappedApart);
#endif
}

} // namespace HeapGrowth
