#include "platform/AtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#else
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int kRandomPart = 6;

// Hidden, and named after the file it replaces, so that only this file's leftovers are ever removed.
QString tempPrefix(const QFileInfo& target)
{
    return u'.' + target.fileName() + QStringLiteral(".tarvik-");
}

QString resolvedTarget(const QString& path)
{
    // The file a link names is replaced and the link stays; 40 hops, as the kernel allows.
    QFileInfo info(path);
    for (int hops = 0; hops < 40 && info.isSymLink(); ++hops)
        info.setFile(info.symLinkTarget());
    return info.absoluteFilePath();
}

// A replace killed between creating its temporary file and the rename leaves the file behind. One that began
// before this replace can no longer be running in this process, and another process's would be newer.
void removeLeftovers(const QFileInfo& target, const QDateTime& started)
{
    const QString prefix = tempPrefix(target);
    const QDir folder = target.absoluteDir();
    // Compared as text, not as a name filter: a workbook's name may hold "[" or "*".
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (name.size() != prefix.size() + kRandomPart || !name.startsWith(prefix))
            continue;
        const QFileInfo leftover(folder.filePath(name));
        if (leftover.lastModified() < started)
            QFile::remove(leftover.absoluteFilePath());
    }
}

QString cause(QString text)
{
    text = text.trimmed();
    while (text.endsWith(u'.'))
        text.chop(1);
    return text.isEmpty() ? QStringLiteral("erro desconhecido") : text;
}

#ifdef Q_OS_WIN

QString lastError()
{
    return qt_error_string(int(GetLastError()));
}

bool writeAndRename(const QString& target, const AtomicFile::Writer& write, QString* why)
{
    const QFileInfo info(target);
    if (info.exists() && !info.isWritable()) {
        *why = QStringLiteral("o ficheiro só pode ser lido");
        return false;
    }
    QString temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temp = info.absoluteDir().filePath(tempPrefix(info)
            + QString::number(QDateTime::currentMSecsSinceEpoch() % 1000000 + attempt).rightJustified(6, u'0'));
        file = CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(temp).utf16()), GENERIC_WRITE, 0,
            nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) {
        *why = lastError();
        return false;
    }
    const QString nativeTempName = QDir::toNativeSeparators(temp);
    const auto nativeTemp = reinterpret_cast<const wchar_t*>(nativeTempName.utf16());
    // The descriptor owns the handle from here: closing it closes the file.
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY);
    if (fd < 0) {
        *why = lastError();
        CloseHandle(file);
        DeleteFileW(nativeTemp);
        return false;
    }
    bool ok = false;
    try {
        ok = write(fd, why);
    } catch (...) {
        _close(fd);
        DeleteFileW(nativeTemp);
        throw;
    }
    if (ok && !FlushFileBuffers(file)) {
        *why = lastError();
        ok = false;
    }
    _close(fd);
    if (ok
        && !MoveFileExW(nativeTemp, reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(target).utf16()),
            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        *why = lastError();
        ok = false;
    }
    if (!ok) {
        DeleteFileW(nativeTemp);
        return false;
    }
    // The temporary file was hidden; the workbook it became is not.
    SetFileAttributesW(
        reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(target).utf16()), FILE_ATTRIBUTE_NORMAL);
    return true;
}

bool writeAll(int fd, const QByteArray& bytes, QString* why)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const int chunk = int(qMin<qint64>(bytes.size() - done, 1 << 24));
        const int written = _write(fd, bytes.constData() + done, unsigned(chunk));
        if (written <= 0) {
            *why = qt_error_string(errno);
            return false;
        }
        done += written;
    }
    return true;
}

#else

mode_t currentUmask()
{
    // umask() can only be read by setting it, which races with other threads creating files.
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:"))
                return mode_t(std::strtoul(line.mid(6).trimmed().constData(), nullptr, 8));
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

void syncFolder(const QByteArray& folder)
{
    // Best effort: the rename has happened, so the new file is what the caller must believe; failing now would
    // make it undo a change that is already on disk.
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool writeAll(int fd, const QByteArray& bytes, QString* why)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            *why = qt_error_string(errno);
            return false;
        }
        done += written;
    }
    return true;
}

bool writeAndRename(const QString& target, const AtomicFile::Writer& write, QString* why)
{
    const QByteArray targetName = QFile::encodeName(target);
    struct stat old = {};
    const bool existed = ::stat(targetName.constData(), &old) == 0;
    // Replacing by rename would go round a read-only mark, which the user set for a reason; a file nobody may
    // write stays so even for root, whom access() lets through.
    if (existed && ::access(targetName.constData(), W_OK) != 0) {
        *why = qt_error_string(errno);
        return false;
    }
    if (existed && (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        *why = QStringLiteral("o ficheiro só pode ser lido");
        return false;
    }
    // Same folder as the target, so the rename cannot cross a filesystem.
    const QFileInfo info(target);
    QByteArray tempName = QFile::encodeName(info.absoluteDir().filePath(tempPrefix(info) + QString(kRandomPart, u'X')));
    const int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
    if (fd < 0) {
        *why = qt_error_string(errno);
        return false;
    }
    // mkstemp made it 0600; the mode goes in before the fsync so that it is durable too.
    const mode_t mode = existed ? (old.st_mode & 07777) : (0666 & ~currentUmask());
    bool ok = false;
    try {
        ok = write(fd, why);
    } catch (...) {
        ::close(fd);
        ::unlink(tempName.constData());
        throw;
    }
    if (ok && (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)) {
        *why = qt_error_string(errno);
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        *why = qt_error_string(errno);
        ok = false;
    }
    if (ok && ::rename(tempName.constData(), targetName.constData()) != 0) {
        *why = qt_error_string(errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(tempName.constData());
        return false;
    }
    syncFolder(QFile::encodeName(info.absolutePath()));
    return true;
}

#endif

} // namespace

namespace AtomicFile {

QString failureMessage(const QString& path, const QString& why)
{
    if (QFileInfo::exists(path))
        return QStringLiteral("Não foi possível gravar o ficheiro %1: %2; o ficheiro não foi alterado.")
            .arg(path, cause(why));
    return QStringLiteral("Não foi possível gravar o ficheiro %1: %2.").arg(path, cause(why));
}

bool replace(const QString& path, const QByteArray& bytes, QString* error)
{
    return replace(
        path, [&bytes](int fd, QString* why) { return writeAll(fd, bytes, why); }, error);
}

bool replace(const QString& path, const Writer& write, QString* error)
{
    const QDateTime started = QDateTime::currentDateTime();
    const QString target = resolvedTarget(path);
    removeLeftovers(QFileInfo(target), started);
    QString why;
    if (writeAndRename(target, write, &why))
        return true;
    if (error)
        *error = failureMessage(path, why);
    return false;
}

} // namespace AtomicFile
