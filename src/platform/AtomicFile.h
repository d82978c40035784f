#pragma once
#include <QByteArray>
#include <QString>

#include <functional>

// Writing a whole file so that a crash leaves the old contents or the new, never a mix.
namespace AtomicFile {

// Writes bytes to a temporary file in path's folder, flushes it to disk and renames it over path (the file a
// link names is replaced, the link stays; the old file's permissions are kept). A read-only file is refused.
// Temporary files that earlier replaces of the same file left behind when killed are removed first. False
// with a message naming the file and the cause, and the old file as it was, on any failure.
bool replace(const QString& path, const QByteArray& bytes, QString* error);

// The same with the contents written by write into the temporary file, open for writing as the descriptor it is
// given, which it must leave open; false with the cause when it cannot write them all.
using Writer = std::function<bool(int fd, QString* why)>;
bool replace(const QString& path, const Writer& write, QString* error);

// The message replace() gives when it fails for the reason why.
QString failureMessage(const QString& path, const QString& why);

} // namespace AtomicFile
