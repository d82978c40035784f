#pragma once

// Puts the program's memory in large pages. A page fault here costs several microseconds, and a full
// workbook's load writes about 150 MB: some 37,000 faults in pages of 4 KB, under a hundred in pages of 2 MB.
namespace HeapGrowth {

// Called first thing in main, before any other thread starts; it starts and ends threads of its own.
void reserveInLargePages();

} // namespace HeapGrowth
