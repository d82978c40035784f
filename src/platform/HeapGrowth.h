#pragma once

// Lets the allocator grow its heaps in large steps. A full workbook's load allocates about 150 MB, much of it on
// the threads that read sheets beside the main one; glibc grows a thread's heap a page at a time, each step a
// system call that holds the process's memory map against the other thread's page faults.
namespace HeapGrowth {

// Called first thing in main, before any thread starts.
void growInLargeSteps();

} // namespace HeapGrowth
