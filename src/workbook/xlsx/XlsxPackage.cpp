#include "workbook/xlsx/XlsxPackage.h"

#include <QStringList>
#include <QUrl>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <zip.h>

namespace {

struct ArchiveCloser
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

struct FileCloser
{
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

QString zipError(zip_error_t* error)
{
    return QString::fromUtf8(zip_error_strerror(error));
}

// The archive over bytes that must outlive it, or null with the cause. One opened for writing works on a
// copy of its own: libzip 1.7 frees the buffer it wrote over, whoever owned it.
Archive openArchive(const QByteArray& bytes, int flags, zip_source_t** sourceOut, QString* why)
{
    zip_error_t error;
    zip_error_init(&error);
    void* data = const_cast<char*>(bytes.constData());
    if (sourceOut && !bytes.isEmpty()) {
        data = std::malloc(size_t(bytes.size()));
        if (!data) {
            *why = QStringLiteral("memória insuficiente");
            return {};
        }
        std::memcpy(data, bytes.constData(), size_t(bytes.size()));
    }
    zip_source_t* source
        = zip_source_buffer_create(data, zip_uint64_t(bytes.size()), sourceOut && !bytes.isEmpty() ? 1 : 0, &error);
    if (!source) {
        if (sourceOut && !bytes.isEmpty())
            std::free(data);
        *why = zipError(&error);
        zip_error_fini(&error);
        return {};
    }
    zip_t* archive = zip_open_from_source(source, flags, &error);
    if (!archive) {
        *why = zip_error_code_zip(&error) == ZIP_ER_NOZIP ? QStringLiteral("não é um arquivo zip")
                                                          : QStringLiteral("zip danificado: %1").arg(zipError(&error));
        zip_source_free(source);
        zip_error_fini(&error);
        return {};
    }
    zip_error_fini(&error);
    if (sourceOut)
        *sourceOut = source;
    return Archive(archive);
}

} // namespace

bool XlsxPackage::open(const QByteArray& bytes, QString* why)
{
    m_bytes = bytes;
    m_parts.clear();
    const Archive archive = openArchive(m_bytes, ZIP_RDONLY, nullptr, why);
    if (!archive)
        return false;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive.get(), zip_uint64_t(i), ZIP_FL_ENC_GUESS, &stat) != 0
            || !(stat.valid & ZIP_STAT_NAME))
            continue;
        const QString name = QString::fromUtf8(stat.name);
        m_parts.insert(name.toLower(), { name, (stat.valid & ZIP_STAT_SIZE) ? qint64(stat.size) : 0 });
    }
    return true;
}

QString XlsxPackage::partName(const QString& name) const
{
    const QString bare = name.startsWith(u'/') ? name.mid(1) : name;
    return m_parts.value(bare.toLower()).name;
}

qint64 XlsxPackage::partSize(const QString& name) const
{
    return m_parts.value(partName(name).toLower()).size;
}

bool XlsxPackage::read(const QString& name, QByteArray* data, QString* why) const
{
    const QString stored = partName(name);
    if (stored.isEmpty()) {
        *why = QStringLiteral("falta a parte %1").arg(name);
        return false;
    }
    const Archive archive = openArchive(m_bytes, ZIP_RDONLY, nullptr, why);
    if (!archive)
        return false;
    const QByteArray utf8 = stored.toUtf8();
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive.get(), utf8.constData(), 0, &stat) != 0) {
        *why = QStringLiteral("a parte %1 está danificada").arg(name);
        return false;
    }
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(kMaxPartSize)) {
        *why = QStringLiteral("a parte %1 ocupa mais de %2 MB descomprimida").arg(name).arg(kMaxPartSize >> 20);
        return false;
    }
    const std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen(archive.get(), utf8.constData(), 0));
    if (!file) {
        *why = QStringLiteral("a parte %1 não se pode ler: %2")
                   .arg(name, QString::fromUtf8(zip_strerror(archive.get())));
        return false;
    }
    // The size in the directory may lie: the limit holds on what actually comes out.
    QByteArray out;
    // Sized as the directory says, but not beyond 64 MB at first: the size may be a lie.
    out.resize(qsizetype(std::min<zip_uint64_t>(stat.size, zip_uint64_t(64) << 20)) + 1);
    qsizetype used = 0;
    while (true) {
        if (used == out.size()) {
            if (out.size() > kMaxPartSize) {
                *why = QStringLiteral("a parte %1 ocupa mais de %2 MB descomprimida").arg(name).arg(kMaxPartSize >> 20);
                return false;
            }
            out.resize(std::min<qsizetype>(out.size() * 2, kMaxPartSize + 1));
        }
        const zip_int64_t n = zip_fread(file.get(), out.data() + used, zip_uint64_t(out.size() - used));
        if (n < 0) {
            *why = QStringLiteral("a parte %1 está danificada: %2")
                       .arg(name, QString::fromUtf8(zip_file_strerror(file.get())));
            return false;
        }
        if (n == 0)
            break;
        used += qsizetype(n);
    }
    out.resize(used);
    *data = std::move(out);
    return true;
}

namespace {

// 1 January 1980, the first day a zip entry can hold, in the local time zone the entry's time is kept in.
const time_t kPartTime = [] {
    std::tm day {};
    day.tm_year = 80;
    day.tm_mday = 1;
    day.tm_isdst = -1;
    return std::mktime(&day);
}();

} // namespace

bool XlsxPackage::compose(const std::map<QString, QByteArray>& replaced, const std::map<QString, QByteArray>& deflated,
    const std::vector<QString>& removed, QByteArray* bytes, QString* why) const
{
    // libzip writes the new archive into the buffer source, which then holds it; the old bytes stay ours.
    zip_source_t* source = nullptr;
    Archive archive = openArchive(m_bytes, m_bytes.isEmpty() ? ZIP_CREATE | ZIP_TRUNCATE : 0, &source, why);
    if (!archive)
        return false;
    zip_source_keep(source);
    const std::unique_ptr<zip_source_t, decltype(&zip_source_free)> keep(source, &zip_source_free);
    const auto failed = [&](const QString& what) {
        *why = QStringLiteral("%1: %2").arg(what, QString::fromUtf8(zip_strerror(archive.get())));
        return false;
    };
    for (const QString& name : removed) {
        const QString stored = partName(name);
        const zip_int64_t index
            = stored.isEmpty() ? -1 : zip_name_locate(archive.get(), stored.toUtf8().constData(), 0);
        if (index >= 0 && zip_delete(archive.get(), zip_uint64_t(index)) != 0)
            return failed(QStringLiteral("não foi possível retirar a parte %1").arg(name));
    }
    // The archives of the parts deflated beforehand are read when the package is closed.
    std::vector<Archive> alone;
    zip_int64_t index = -1;
    const auto put = [&](const QString& name, zip_source_t* part) {
        if (!part)
            return failed(QStringLiteral("não foi possível preparar a parte %1").arg(name));
        const QString stored = partName(name);
        const QByteArray utf8 = (stored.isEmpty() ? name : stored).toUtf8();
        const zip_int64_t existing = stored.isEmpty() ? -1 : zip_name_locate(archive.get(), utf8.constData(), 0);
        index = existing;
        if (existing >= 0 ? zip_file_replace(archive.get(), zip_uint64_t(existing), part, 0) != 0
                          : (index = zip_file_add(archive.get(), utf8.constData(), part, ZIP_FL_ENC_UTF_8)) < 0) {
            zip_source_free(part);
            return failed(QStringLiteral("não foi possível gravar a parte %1").arg(name));
        }
        // Dated as Excel dates its parts, so the same workbook saved twice is the same file.
        zip_file_set_mtime(archive.get(), zip_uint64_t(index), kPartTime, 0);
        return true;
    };
    for (const auto& [name, data] : deflated) {
        alone.push_back(openArchive(data, ZIP_RDONLY, nullptr, why));
        if (!alone.back() || !put(name, zip_source_zip(archive.get(), alone.back().get(), 0, 0, 0, -1)))
            return false;
    }
    for (const auto& [name, data] : replaced) {
        // What the part was stored with, before put() replaces it.
        zip_stat_t stat;
        zip_stat_init(&stat);
        const QString stored = partName(name);
        const bool wasDeflated = !stored.isEmpty()
            && zip_stat(archive.get(), stored.toUtf8().constData(), ZIP_FL_UNCHANGED, &stat) == 0
            && (stat.valid & ZIP_STAT_COMP_METHOD) && stat.comp_method == ZIP_CM_DEFLATE;
        if (!put(name, zip_source_buffer(archive.get(), data.constData(), zip_uint64_t(data.size()), 0)))
            return false;
        // The fastest level: at a few megabytes more it saves nine tenths of a large sheet's save. libzip 1.7
        // forgets the level when the method asked is the one the part had, so a part deflated before is asked
        // for the default method (which deflates).
        zip_set_file_compression(archive.get(), zip_uint64_t(index), wasDeflated ? ZIP_CM_DEFAULT : ZIP_CM_DEFLATE, 1);
    }
    zip_t* closing = archive.release();
    if (zip_close(closing) != 0) {
        *why = QStringLiteral("não foi possível compor o pacote: %1").arg(QString::fromUtf8(zip_strerror(closing)));
        zip_discard(closing);
        return false;
    }
    zip_stat_t stat;
    if (zip_source_stat(source, &stat) != 0 || zip_source_open(source) != 0) {
        *why = QStringLiteral("não foi possível ler o pacote composto");
        return false;
    }
    QByteArray out(qsizetype(stat.size), Qt::Uninitialized);
    const zip_int64_t n = zip_source_read(source, out.data(), zip_uint64_t(out.size()));
    zip_source_close(source);
    if (n != zip_int64_t(out.size())) {
        *why = QStringLiteral("não foi possível ler o pacote composto");
        return false;
    }
    *bytes = std::move(out);
    return true;
}

bool XlsxPackage::resolveTarget(const QString& source, const QString& target, QString* part)
{
    const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
    QStringList pieces;
    if (!decoded.startsWith(u'/')) {
        pieces = source.split(u'/', Qt::SkipEmptyParts);
        if (!pieces.isEmpty())
            pieces.removeLast();
    }
    for (const QString& piece : decoded.split(u'/', Qt::SkipEmptyParts)) {
        if (piece == u"..") {
            if (pieces.isEmpty())
                return false;
            pieces.removeLast();
        } else if (piece != u".") {
            pieces.append(piece);
        }
    }
    if (pieces.isEmpty())
        return false;
    *part = pieces.join(u'/');
    return true;
}

QString XlsxPackage::relationshipsOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}
