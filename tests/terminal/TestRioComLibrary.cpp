// A stand-in for the terminal maker's library: the seven functions over the simulated terminal of the
// profile in TARVIK_HOME, with the library's C interface.
#include "terminal/SimulatedTerminal.h"

#include <cstring>

namespace {

SimulatedTerminal& terminal()
{
    static SimulatedTerminal simulated(SimulatedTerminal::defaultFolder());
    return simulated;
}

QByteArray buffer(const char* text)
{
    return QByteArray(text);
}

} // namespace

extern "C" {

Q_DECL_EXPORT qint32 I_OpenCom(qint32 port, qint32 baudRate)
{
    return terminal().I_OpenCom(port, baudRate);
}

Q_DECL_EXPORT qint32 I_CloseCom(qint32 port)
{
    return terminal().I_CloseCom(port);
}

Q_DECL_EXPORT qint32 I_CheckTerminal(char* terminalBuffer)
{
    QByteArray b = buffer(terminalBuffer);
    return terminal().I_CheckTerminal(b);
}

Q_DECL_EXPORT qint32 I_ReadEntries(char* terminalBuffer, char* entryTemplate, qint32 mode, qintptr* address)
{
    QByteArray b = buffer(terminalBuffer);
    QByteArray t = buffer(entryTemplate);
    quintptr at = 0;
    const qint32 count = terminal().I_ReadEntries(b, t, mode, &at);
    *address = qintptr(at);
    return count;
}

Q_DECL_EXPORT qint32 GetStringFromPtr(char* text, qintptr address, qint32 count)
{
    QByteArray copy(count, ' ');
    const qint32 result = terminal().GetStringFromPtr(copy, quintptr(address), count);
    std::memcpy(text, copy.constData(), size_t(count));
    return result;
}

Q_DECL_EXPORT qint32 I_ClearAllEntries(char* terminalBuffer)
{
    QByteArray b = buffer(terminalBuffer);
    return terminal().I_ClearAllEntries(b);
}

Q_DECL_EXPORT qint32 I_SendList(char* terminalBuffer, char* name, char* list, qint32 length, qint32 mode)
{
    QByteArray b = buffer(terminalBuffer);
    QByteArray n = buffer(name);
    QByteArray l(list, length);
    return terminal().I_SendList(b, n, l, length, mode);
}
}
