#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>

#include <map>
#include <vector>

// The zip package of an .xlsx: the file's bytes kept as read, its parts listed by name, a part inflated on
// demand. A save copies every part it does not replace as it stands, compressed bytes included.
class XlsxPackage
{
public:
    // No part may inflate to more than this: a few kilobytes of zip can claim gigabytes (a zip bomb).
    static constexpr qint64 kMaxPartSize = qint64(512) << 20;

    // False with the cause (in Portuguese, without the file's name) when the bytes are not a zip archive.
    bool open(const QByteArray& bytes, QString* why);
    const QByteArray& bytes() const { return m_bytes; }

    // The name as stored, found regardless of case (part names are case-insensitive); empty when absent.
    QString partName(const QString& name) const;
    bool contains(const QString& name) const { return !partName(name).isEmpty(); }
    // The size the part says it inflates to, 0 when it is not there.
    qint64 partSize(const QString& name) const;
    // The part inflated whole; false with the cause when it is missing, damaged or larger than the limit.
    // Safe to call from several threads at once.
    bool read(const QString& name, QByteArray* data, QString* why) const;

    // The package with these parts replaced or added (added ones at the end) and those removed; the other
    // parts go out as they were, compressed bytes and all. A part in `deflated` comes as a one-part archive
    // (PartDeflater), and goes in as it is.
    bool compose(const std::map<QString, QByteArray>& replaced, const std::map<QString, QByteArray>& deflated,
        const std::vector<QString>& removed, QByteArray* bytes, QString* why) const;

    // Where a relationship of the part `source` points: its Target resolved against the source's folder,
    // or from the package root when absolute. False when it climbs out of the package.
    static bool resolveTarget(const QString& source, const QString& target, QString* part);
    // "xl/_rels/workbook.xml.rels" for "xl/workbook.xml".
    static QString relationshipsOf(const QString& part);

private:
    QByteArray m_bytes;
    struct Part
    {
        QString name; // as stored
        qint64 size = 0;
    };
    QHash<QString, Part> m_parts; // by lower-case name
};
