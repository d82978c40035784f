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
#endif
}

} // namespace HeapGrowth
