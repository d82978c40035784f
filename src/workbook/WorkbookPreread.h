#pragma once
#include <QString>

class Workbook;

// A workbook read on a thread of its own while the program starts (its window system, its window), taken by
// the first read of that file as long as the file has not changed since. For the main thread only.
namespace WorkbookPreread {

// Starts reading file (a path as the file system names it); nothing when there is no such file.
void start(const QString& file);
// The workbook read, when the read started was of file, succeeded, and the file is as it was when the read
// began; false, taking nothing, otherwise. A read is taken once: later reads of the file read it again.
bool take(const QString& file, Workbook* book);

} // namespace WorkbookPreread
