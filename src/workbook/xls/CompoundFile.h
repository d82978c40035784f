#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

// The streams and storages of an OLE2 compound file, read whole and written back with libgsf.
class CompoundFile
{
public:
    struct Entry
    {
        // names joined by "/", e.g. "Workbook", "\u0005SummaryInformation", "_VBA_PROJECT_CUR/VBA/dir"
        QString path;
        bool isStorage = false; // a storage (folder) entry, listed so empty storages survive
        QByteArray data; // a stream's bytes
        // A stream set in pieces goes on with these, never joined: a workbook's stream is tens of megabytes.
        std::vector<QByteArray> moreData = {};
    };
    enum class ReadFailure
    {
        None,
        Missing,
        Unreadable,
        NotCompound,
        ZipPackage,
        Damaged
    };

    // Reads every stream and storage in file order. False with a Portuguese message naming the file and the
    // cause: missing, unreadable (permissions), not a compound file (ZipPackage when it starts with "PK\3\4",
    // an .xlsx or .ods), damaged (libgsf refuses it or a stream cannot be read whole).
    static bool read(const QString& path, CompoundFile* file, QString* error, ReadFailure* failure = nullptr);
    // Same from bytes in memory (for the fuzzer and tests); the message names `name`.
    static bool readBytes(const QByteArray& bytes, const QString& name, CompoundFile* file, QString* error,
        ReadFailure* failure = nullptr);

    // Writes every entry to path as one atomic replace; on any failure the old file stays as it was and the
    // message names the file and the cause.
    bool write(const QString& path, QString* error) const;
    // The same compound file as bytes (what write() would put in the file).
    bool toBytes(QByteArray* bytes, QString* error) const;

    const QByteArray* stream(const QString& path) const; // nullptr when absent; the first piece of one set in pieces
    void setStream(const QString& path, const QByteArray& data); // replaces, or appends a new top-level/nested stream
    void setStream(const QString& path, std::vector<QByteArray> pieces); // the same, its bytes the pieces in turn

    QByteArray classId = QByteArray(16, '\0'); // the root storage's 16-byte class id (all zero when none)
    std::vector<Entry> entries;

private:
    // Class ids of the storages below the root that have one (embedded objects), by path.
    QHash<QString, QByteArray> m_storageClassIds;
};
