#include "terminal/LibraryDriver.h"

#include <QStringList>

bool LibraryDriver::load(const QString& file, QString* error)
{
    m_library.setFileName(file);
    if (!m_library.load()) {
        *error = QStringLiteral("Não foi possível carregar a biblioteca do terminal %1: %2.")
                     .arg(file, m_library.errorString());
        return false;
    }
    QStringList missing;
    const auto resolve = [&](const char* name, auto* function) {
        *function = reinterpret_cast<std::remove_pointer_t<decltype(function)>>(m_library.resolve(name));
        if (!*function)
            missing << QString::fromLatin1(name);
    };
    resolve("I_OpenCom", &m_openCom);
    resolve("I_CloseCom", &m_closeCom);
    resolve("I_CheckTerminal", &m_checkTerminal);
    resolve("I_ReadEntries", &m_readEntries);
    resolve("GetStringFromPtr", &m_getStringFromPtr);
    resolve("I_ClearAllEntries", &m_clearAllEntries);
    resolve("I_SendList", &m_sendList);
    if (missing.isEmpty())
        return true;
    *error = QStringLiteral("A biblioteca do terminal %1 não tem as funções %2.")
                 .arg(file, missing.join(QStringLiteral(", ")));
    m_library.unload();
    return false;
}

qint32 LibraryDriver::I_OpenCom(qint32 port, qint32 baudRate)
{
    return m_openCom(port, baudRate);
}

qint32 LibraryDriver::I_CloseCom(qint32 port)
{
    return m_closeCom(port);
}

qint32 LibraryDriver::I_CheckTerminal(QByteArray& buffer)
{
    return m_checkTerminal(buffer.data());
}

qint32 LibraryDriver::I_ReadEntries(QByteArray& buffer, QByteArray& entryTemplate, qint32 mode, quintptr* address)
{
    qintptr raw = 0;
    const qint32 count = m_readEntries(buffer.data(), entryTemplate.data(), mode, &raw);
    *address = quintptr(raw);
    return count;
}

qint32 LibraryDriver::GetStringFromPtr(QByteArray& text, quintptr address, qint32 count)
{
    // The library writes count characters: never more than the text holds.
    if (count < 0 || count > text.size())
        return -1;
    return m_getStringFromPtr(text.data(), qintptr(address), count);
}

qint32 LibraryDriver::I_ClearAllEntries(QByteArray& buffer)
{
    return m_clearAllEntries(buffer.data());
}

qint32 LibraryDriver::I_SendList(QByteArray& buffer, QByteArray& name, QByteArray& list, qint32 length, qint32 mode)
{
    return m_sendList(buffer.data(), name.data(), list.data(), length, mode);
}
