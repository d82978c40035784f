#pragma once
#include "terminal/RioCom.h"

#include <QLibrary>
#include <QString>

// The terminal maker's library, loaded from the file the RioComLibrary setting names; its seven functions
// use the C calling convention (stdcall on 32-bit Windows).
class LibraryDriver : public RioCom
{
public:
    // False with a message naming the file and what is missing when the library cannot be used.
    bool load(const QString& file, QString* error);

    qint32 I_OpenCom(qint32 port, qint32 baudRate) override;
    qint32 I_CloseCom(qint32 port) override;
    qint32 I_CheckTerminal(QByteArray& buffer) override;
    qint32 I_ReadEntries(QByteArray& buffer, QByteArray& entryTemplate, qint32 mode, quintptr* address) override;
    qint32 GetStringFromPtr(QByteArray& text, quintptr address, qint32 count) override;
    qint32 I_ClearAllEntries(QByteArray& buffer) override;
    qint32 I_SendList(QByteArray& buffer, QByteArray& name, QByteArray& list, qint32 length, qint32 mode) override;

private:
#if defined(Q_OS_WIN) && defined(Q_PROCESSOR_X86_32)
#define TARVIK_RIOCOM_CALL __stdcall
#else
#define TARVIK_RIOCOM_CALL
#endif
    using OpenCom = qint32(TARVIK_RIOCOM_CALL*)(qint32, qint32);
    using CloseCom = qint32(TARVIK_RIOCOM_CALL*)(qint32);
    using WithBuffer = qint32(TARVIK_RIOCOM_CALL*)(char*);
    using ReadEntries = qint32(TARVIK_RIOCOM_CALL*)(char*, char*, qint32, qintptr*);
    using StringFromPtr = qint32(TARVIK_RIOCOM_CALL*)(char*, qintptr, qint32);
    using SendList = qint32(TARVIK_RIOCOM_CALL*)(char*, char*, char*, qint32, qint32);

    QLibrary m_library;
    OpenCom m_openCom = nullptr;
    CloseCom m_closeCom = nullptr;
    WithBuffer m_checkTerminal = nullptr;
    ReadEntries m_readEntries = nullptr;
    StringFromPtr m_getStringFromPtr = nullptr;
    WithBuffer m_clearAllEntries = nullptr;
    SendList m_sendList = nullptr;
};
