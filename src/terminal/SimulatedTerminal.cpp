#include "terminal/SimulatedTerminal.h"

#include "platform/SitePaths.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cstring>

namespace {

const QString kDocked = QStringLiteral("docked");
const QString kEntries = QStringLiteral("entries");
const QString kPort = QStringLiteral("port");

bool isListName(const QByteArray& name)
{
    return name == "ListCodFamilias" || name == "ListCodBarras" || name == "ListCodArtigos" || name == "ListUnidades";
}

} // namespace

QString SimulatedTerminal::defaultFolder()
{
    return QDir(SitePaths::dataRoot()).filePath(QStringLiteral("terminal"));
}

SimulatedTerminal::SimulatedTerminal(const QString& folder)
    : m_folder(folder)
{
}

QString SimulatedTerminal::path(const QString& name) const
{
    return QDir(m_folder).filePath(name);
}

bool SimulatedTerminal::writeFile(const QString& name, const QByteArray& bytes, QString* error) const
{
    if (!QDir().mkpath(m_folder)) {
        *error = QStringLiteral("Não foi possível criar a pasta do terminal simulado %1.").arg(m_folder);
        return false;
    }
    QSaveFile file(path(name));
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    *error = QStringLiteral("Não foi possível gravar %1: %2.").arg(file.fileName(), file.errorString());
    return false;
}

qint32 SimulatedTerminal::I_OpenCom(qint32 port, qint32)
{
    QString ignored;
    writeFile(kPort, QByteArray::number(port), &ignored);
    return 0;
}

qint32 SimulatedTerminal::I_CloseCom(qint32)
{
    return 0;
}

qint32 SimulatedTerminal::I_CheckTerminal(QByteArray&)
{
    return isDocked() ? 1 : 0;
}

qint32 SimulatedTerminal::I_ReadEntries(QByteArray&, QByteArray&, qint32, quintptr* address)
{
    if (!isDocked())
        return -2;
    QFile file(path(kEntries));
    if (file.exists() && !file.open(QIODevice::ReadOnly))
        return -1;
    m_read = file.isOpen() ? file.readAll() : QByteArray();
    *address = reinterpret_cast<quintptr>(m_read.constData());
    return qint32(m_read.size());
}

qint32 SimulatedTerminal::GetStringFromPtr(QByteArray& text, quintptr address, qint32 count)
{
    // Only the entries this terminal handed out can be copied.
    if (address != reinterpret_cast<quintptr>(m_read.constData()) || count < 0 || count > m_read.size()
        || count > text.size())
        return -1;
    std::memcpy(text.data(), m_read.constData(), size_t(count));
    return 0;
}

qint32 SimulatedTerminal::I_ClearAllEntries(QByteArray&)
{
    QFile::remove(path(kEntries));
    return 0;
}

qint32 SimulatedTerminal::I_SendList(QByteArray&, QByteArray& name, QByteArray& list, qint32 length, qint32)
{
    if (!isListName(name) || length < 0 || length > list.size())
        return -1;
    QString ignored;
    return writeFile(QString::fromLatin1(name), list.left(length), &ignored) ? 0 : -1;
}

bool SimulatedTerminal::setDocked(bool docked, QString* error)
{
    if (!docked) {
        QFile::remove(path(kDocked));
        return true;
    }
    return writeFile(kDocked, QByteArray(), error);
}

bool SimulatedTerminal::isDocked() const
{
    return QFile::exists(path(kDocked));
}

bool SimulatedTerminal::loadEntries(const QByteArray& entries, QString* error)
{
    QByteArray text = entries;
    text.replace("\r", "").replace("\n", "");
    return writeFile(kEntries, text, error);
}

bool SimulatedTerminal::loadEntriesFile(const QString& file, QString* error)
{
    QFile source(file);
    if (!source.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Não foi possível ler %1: %2.")
                     .arg(file, source.exists() ? source.errorString() : QStringLiteral("o ficheiro não existe"));
        return false;
    }
    return loadEntries(source.readAll(), error);
}

QByteArray SimulatedTerminal::entries() const
{
    QFile file(path(kEntries));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray SimulatedTerminal::list(const QString& name) const
{
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString SimulatedTerminal::openedPort() const
{
    QFile file(path(kPort));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}
