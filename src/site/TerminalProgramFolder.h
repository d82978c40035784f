#pragma once
#include <QString>

// The folder the terminal maker's tools load the terminal program from, c:\qel\bin_offline.
namespace TerminalProgramFolder {

QString path();
// Empties the folder and copies Tarvik.bin and Tarvik.hea into it from programFolder. Every failure is
// ignored: a missing file is simply not copied, and start-up goes on.
void refresh(const QString& programFolder);

} // namespace TerminalProgramFolder
