#include "workbook/xls/CompoundFile.h"

#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>
#include <memory>
#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

using Failure = CompoundFile::ReadFailure;
using ClassIds = QHash<QString, QByteArray>;

struct Unref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using Owned = std::unique_ptr<T, Unref>;

constexpr int kClassIdSize = 16;
// Directory entries hold at most 31 UTF-16 units and a terminator.
constexpr qsizetype kMaxNameLength = 31;
// Far deeper than any writer nests; only a damaged or hostile file gets there.
constexpr int kMaxDepth = 32;

const QByteArray kOleSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
const QByteArray kZipSignature("PK\x03\x04", 4);

// The cause goes inside our own sentence, which brings its full stop.
QString cause(QString text)
{
    text = text.trimmed();
    while (text.endsWith(u'.'))
        text.chop(1);
    return text.isEmpty() ? QStringLiteral("erro desconhecido") : text;
}

QString outputMessage(GsfOutput* output)
{
    const GError* error = output ? gsf_output_error(output) : nullptr;
    return cause(error ? QString::fromUtf8(error->message) : QString());
}

bool validName(const QString& name)
{
    return !name.isEmpty() && name.size() <= kMaxNameLength && !name.contains(u'/');
}

bool isZero(const QByteArray& id)
{
    return id.count('\0') == id.size();
}

QString parentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash);
}

QString nameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QByteArray classIdOf(GsfInput* storage)
{
    guint8 id[kClassIdSize] = {};
    if (!GSF_IS_INFILE_MSOLE(storage) || !gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(storage), id))
        return QByteArray(kClassIdSize, '\0');
    return QByteArray(reinterpret_cast<const char*>(id), kClassIdSize);
}

bool readStorage(GsfInfile* storage, const QString& prefix, int depth, gsf_off_t sourceSize, CompoundFile* loaded,
    ClassIds* storageClassIds, QString* error)
{
    const int count = gsf_infile_num_children(storage);
    for (int i = 0; i < count; ++i) {
        const char* rawName = gsf_infile_name_by_index(storage, i);
        const QString name = rawName ? QString::fromUtf8(rawName) : QString();
        const QString path = prefix.isEmpty() ? name : prefix + u'/' + name;
        if (!validName(name)) {
            *error = QStringLiteral("a entrada \"%1\" tem um nome inválido").arg(path);
            return false;
        }
        Owned<GsfInput> child(gsf_infile_child_by_index(storage, i));
        if (!child) {
            *error = QStringLiteral("não foi possível abrir a entrada %1").arg(path);
            return false;
        }
        GsfInfile* childStorage = GSF_IS_INFILE(child.get()) ? GSF_INFILE(child.get()) : nullptr;
        // libgsf answers -1 for a stream and the count, maybe 0, for a storage.
        if (childStorage && gsf_infile_num_children(childStorage) >= 0) {
            if (depth >= kMaxDepth) {
                *error = QStringLiteral("as pastas internas estão encaixadas a mais de %1 níveis").arg(kMaxDepth);
                return false;
            }
            loaded->entries.push_back({ path, true, {} });
            const QByteArray id = classIdOf(child.get());
            if (!isZero(id))
                storageClassIds->insert(path, id);
            if (!readStorage(childStorage, path, depth + 1, sourceSize, loaded, storageClassIds, error))
                return false;
            continue;
        }
        const gsf_off_t size = gsf_input_size(child.get());
        // A damaged directory can claim any size; never allocate more than the file holds.
        if (size < 0 || size > sourceSize) {
            *error = QStringLiteral("a entrada %1 diz ter mais bytes do que o ficheiro").arg(path);
            return false;
        }
        QByteArray data(qsizetype(size), Qt::Uninitialized);
        if (size > 0 && !gsf_input_read(child.get(), size_t(size), reinterpret_cast<guint8*>(data.data()))) {
            *error = QStringLiteral("não foi possível ler a entrada %1 por inteiro").arg(path);
            return false;
        }
        loaded->entries.push_back({ path, false, data });
    }
    return true;
}

Failure readSource(GsfInput* input, CompoundFile* loaded, ClassIds* storageClassIds, QString* error)
{
    const gsf_off_t size = gsf_input_size(input);
    guint8 head[8] = {};
    const bool headRead = size >= 8 && gsf_input_read(input, sizeof head, head);
    const QByteArray start = headRead ? QByteArray(reinterpret_cast<const char*>(head), sizeof head) : QByteArray();
    if (start != kOleSignature)
        return start.startsWith(kZipSignature) ? Failure::ZipPackage : Failure::NotCompound;
    // gsf_input_seek answers TRUE on failure.
    if (gsf_input_seek(input, 0, G_SEEK_SET)) {
        *error = QStringLiteral("não foi possível voltar ao início do ficheiro");
        return Failure::Unreadable;
    }
    GError* gerror = nullptr;
    Owned<GsfInfile> root(gsf_infile_msole_new(input, &gerror));
    *error = cause(gerror ? QString::fromUtf8(gerror->message) : QString());
    g_clear_error(&gerror);
    if (!root)
        return Failure::Damaged;
    loaded->classId = classIdOf(GSF_INPUT(root.get()));
    if (!readStorage(root.get(), QString(), 0, size, loaded, storageClassIds, error))
        return Failure::Damaged;
    return Failure::None;
}

Failure readPath(const QString& path, CompoundFile* loaded, ClassIds* storageClassIds, QString* error)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Failure::Missing;
    if (info.isDir()) {
        *error = QStringLiteral("é uma pasta, não um ficheiro");
        return Failure::Unreadable;
    }
    const QByteArray name = QFile::encodeName(path);
    FILE* fp = std::fopen(name.constData(), "rb");
    if (!fp) {
        const int code = errno;
        *error = cause(qt_error_string(code));
        return code == ENOENT ? Failure::Missing : Failure::Unreadable;
    }
    Owned<GsfInput> input(gsf_input_stdio_new_FILE(name.constData(), fp, FALSE));
    if (!input) {
        std::fclose(fp);
        *error = QStringLiteral("não foi possível abrir o ficheiro");
        return Failure::Unreadable;
    }
    return readSource(input.get(), loaded, storageClassIds, error);
}

bool finishRead(Failure result, const QString& name, const QString& why, CompoundFile&& loaded, CompoundFile* file,
    QString* error, Failure* failure)
{
    if (failure)
        *failure = result;
    if (result == Failure::None) {
        *file = std::move(loaded);
        return true;
    }
    if (!error)
        return false;
    if (result == Failure::Missing)
        *error = QStringLiteral("O ficheiro %1 não existe.").arg(name);
    else if (result == Failure::Unreadable)
        *error = QStringLiteral("Não foi possível ler o ficheiro %1: %2.").arg(name, why);
    else if (result == Failure::NotCompound)
        *error = QStringLiteral("O ficheiro %1 não é um livro .xls do Excel (documento composto OLE2).").arg(name);
    else if (result == Failure::ZipPackage)
        *error = QStringLiteral("O ficheiro %1 é um livro .xlsx ou .ods; grave-o no formato Excel 97-2003 (.xls).")
                     .arg(name);
    else
        *error = QStringLiteral("O ficheiro %1 está danificado: %2.").arg(name, why);
    return false;
}

// libgsf writes whatever names it is given, so a bad tree must be caught before it reaches the file.
bool checkEntries(const CompoundFile& file, QString* error)
{
    if (file.classId.size() != kClassIdSize && !file.classId.isEmpty()) {
        *error = QStringLiteral("o identificador de classe da raiz não tem %1 bytes").arg(kClassIdSize);
        return false;
    }
    QSet<QString> storages;
    QSet<QString> streams;
    for (const CompoundFile::Entry& entry : file.entries) {
        const QStringList names = entry.path.split(u'/');
        if (!std::all_of(names.begin(), names.end(), validName)) {
            *error = QStringLiteral("a entrada \"%1\" tem um nome inválido").arg(entry.path);
            return false;
        }
        for (QString parent = parentOf(entry.path); !parent.isEmpty(); parent = parentOf(parent))
            storages.insert(parent);
        if (!entry.isStorage && streams.contains(entry.path)) {
            *error = QStringLiteral("a entrada %1 aparece duas vezes").arg(entry.path);
            return false;
        }
        (entry.isStorage ? storages : streams).insert(entry.path);
    }
    if (storages.intersects(streams)) {
        *error = QStringLiteral("uma entrada é ao mesmo tempo pasta e dados");
        return false;
    }
    return true;
}

using OpenStorages = std::vector<std::pair<QString, Owned<GsfOutput>>>;

// The storage at path, made (with its parents) the first time it is needed.
GsfOutfile* storageAt(GsfOutfile* root, const QString& path, const ClassIds& storageClassIds, OpenStorages* open)
{
    if (path.isEmpty())
        return root;
    for (const auto& [openPath, output] : *open) {
        if (openPath == path)
            return GSF_OUTFILE(output.get());
    }
    GsfOutfile* parent = storageAt(root, parentOf(path), storageClassIds, open);
    if (!parent)
        return nullptr;
    Owned<GsfOutput> child(gsf_outfile_new_child(parent, nameOf(path).toUtf8().constData(), TRUE));
    if (!child)
        return nullptr;
    const QByteArray id = storageClassIds.value(path);
    if (id.size() == kClassIdSize)
        gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(child.get()), reinterpret_cast<const guint8*>(id.constData()));
    open->emplace_back(path, std::move(child));
    return GSF_OUTFILE(open->back().second.get());
}

bool writeStream(GsfOutfile* parent, const CompoundFile::Entry& entry, QString* error)
{
    Owned<GsfOutput> output(gsf_outfile_new_child(parent, nameOf(entry.path).toUtf8().constData(), FALSE));
    const auto write = [&output](const QByteArray& piece) {
        return piece.isEmpty()
            || gsf_output_write(output.get(), size_t(piece.size()), reinterpret_cast<const guint8*>(piece.constData()));
    };
    const bool ok = output && write(entry.data) && std::all_of(entry.moreData.begin(), entry.moreData.end(), write)
        && gsf_output_close(output.get());
    if (!ok)
        *error
            = QStringLiteral("não foi possível escrever a entrada %1: %2").arg(entry.path, outputMessage(output.get()));
    return ok;
}

// Builds the compound file into sink and closes the root, which closes the sink too.
bool build(GsfOutput* sink, const CompoundFile& file, const ClassIds& storageClassIds, QString* error)
{
    if (!checkEntries(file, error))
        return false;
    Owned<GsfOutfile> root(gsf_outfile_msole_new(sink));
    if (!root) {
        *error = QStringLiteral("o libgsf não criou o documento composto");
        return false;
    }
    if (!file.classId.isEmpty() && !isZero(file.classId))
        gsf_outfile_msole_set_class_id(
            GSF_OUTFILE_MSOLE(root.get()), reinterpret_cast<const guint8*>(file.classId.constData()));
    {
        OpenStorages open;
        for (const CompoundFile::Entry& entry : file.entries) {
            GsfOutfile* parent
                = storageAt(root.get(), entry.isStorage ? entry.path : parentOf(entry.path), storageClassIds, &open);
            if (!parent) {
                *error = QStringLiteral("não foi possível criar a pasta interna de %1").arg(entry.path);
                return false;
            }
            if (!entry.isStorage && !writeStream(parent, entry, error))
                return false;
        }
        // Every child must be closed before the root, innermost first.
        for (auto it = open.rbegin(); it != open.rend(); ++it) {
            if (!gsf_output_close(it->second.get())) {
                *error = QStringLiteral("não foi possível fechar a pasta interna %1: %2")
                             .arg(it->first, outputMessage(it->second.get()));
                return false;
            }
        }
    }
    // Only here does the file reach the sink, so this is where a full disk shows.
    if (!gsf_output_close(GSF_OUTPUT(root.get()))) {
        const GError* rootError = gsf_output_error(GSF_OUTPUT(root.get()));
        *error = rootError ? cause(QString::fromUtf8(rootError->message)) : outputMessage(sink);
        return false;
    }
    return true;
}

void ignoreLibraryLog(const gchar*, GLogLevelFlags, const gchar*, gpointer)
{
}

// libgsf logs what it finds wrong in a damaged file before it returns its error; the user reads our message.
void quietLibraryLog()
{
    static const bool quiet = [] {
        for (const char* domain : { "libgsf:msole", static_cast<const char*>(nullptr) })
            g_log_set_handler(
                domain, GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL), ignoreLibraryLog, nullptr);
        return true;
    }();
    Q_UNUSED(quiet);
}

} // namespace

bool CompoundFile::read(const QString& path, CompoundFile* file, QString* error, ReadFailure* failure)
{
    quietLibraryLog();
    CompoundFile loaded;
    QString why;
    const Failure result = readPath(path, &loaded, &loaded.m_storageClassIds, &why);
    return finishRead(result, path, why, std::move(loaded), file, error, failure);
}

bool CompoundFile::readBytes(
    const QByteArray& bytes, const QString& name, CompoundFile* file, QString* error, ReadFailure* failure)
{
    quietLibraryLog();
    CompoundFile loaded;
    QString why;
    Failure result = Failure::NotCompound;
    if (bytes.size() >= kOleSignature.size()) {
        Owned<GsfInput> input(
            gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.constData()), bytes.size(), FALSE));
        result = input ? readSource(input.get(), &loaded, &loaded.m_storageClassIds, &why) : Failure::Unreadable;
    }
    return finishRead(result, name, why, std::move(loaded), file, error, failure);
}

bool CompoundFile::toBytes(QByteArray* bytes, QString* error) const
{
    QString why;
    Owned<GsfOutput> sink(gsf_output_memory_new());
    if (sink && build(sink.get(), *this, m_storageClassIds, &why)) {
        const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
        *bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(gsf_output_size(sink.get())));
        return true;
    }
    if (error)
        *error = QStringLiteral("Não foi possível compor o ficheiro .xls em memória: %1.").arg(cause(why));
    return false;
}

bool CompoundFile::write(const QString& path, QString* error) const
{
#ifdef Q_OS_WIN
    // libgsf may use a C runtime of its own, which a stream opened here would not be.
    QByteArray bytes;
    return toBytes(&bytes, error) && AtomicFile::replace(path, bytes, error);
#else
    // Composed straight into the file rather than in memory first: a full workbook is tens of megabytes.
    const auto composeInto = [this](int fd, QString* why) {
        // libgsf writes through a stdio stream of its own, on a copy of the descriptor that it closes.
        const int copy = ::dup(fd);
        FILE* file = copy >= 0 ? ::fdopen(copy, "wb") : nullptr;
        if (!file) {
            *why = qt_error_string(errno);
            if (copy >= 0)
                ::close(copy);
            return false;
        }
        Owned<GsfOutput> sink(gsf_output_stdio_new_FILE("", file, FALSE));
        if (!sink) {
            std::fclose(file);
            *why = QStringLiteral("o libgsf não abriu o ficheiro");
            return false;
        }
        if (!build(sink.get(), *this, m_storageClassIds, why))
            return false;
        // A write that failed on the way (a full disk) may leave the close itself successful.
        if (const GError* failed = gsf_output_error(sink.get())) {
            *why = cause(QString::fromUtf8(failed->message));
            return false;
        }
        return true;
    };
    return AtomicFile::replace(path, composeInto, error);
#endif
}

const QByteArray* CompoundFile::stream(const QString& path) const
{
    for (const Entry& entry : entries) {
        if (!entry.isStorage && entry.path == path)
            return &entry.data;
    }
    return nullptr;
}

void CompoundFile::setStream(const QString& path, const QByteArray& data)
{
    setStream(path, std::vector<QByteArray> { data });
}

void CompoundFile::setStream(const QString& path, std::vector<QByteArray> pieces)
{
    QByteArray first;
    if (!pieces.empty()) {
        first = std::move(pieces.front());
        pieces.erase(pieces.begin());
    }
    for (Entry& entry : entries) {
        if (!entry.isStorage && entry.path == path) {
            entry.data = std::move(first);
            entry.moreData = std::move(pieces);
            return;
        }
    }
    // List the missing storages on the way, so the entries read back are the ones written.
    for (qsizetype slash = path.indexOf(u'/'); slash > 0; slash = path.indexOf(u'/', slash + 1)) {
        const QString storage = path.left(slash);
        const bool listed = std::any_of(entries.begin(), entries.end(),
            [&](const Entry& entry) { return entry.isStorage && entry.path == storage; });
        if (!listed)
            entries.push_back({ storage, true, {} });
    }
    entries.push_back({ path, false, std::move(first), std::move(pieces) });
}
