#pragma once
#include <QDateTime>
#include <QString>

// A file's size and modification time: the same stamp later means nobody saved the file meanwhile.
struct FileStamp
{
    qint64 size = -1;
    QDateTime modified;

    // The stamp of the file at path now; size -1 when there is no such file.
    static FileStamp of(const QString& path);
    bool operator==(const FileStamp&) const = default;
};
