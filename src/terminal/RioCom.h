#pragma once
#include <QByteArray>
#include <QtGlobal>

// The seven operations of the terminal maker's cradle library. Texts are single-byte and passed by
// reference, as the library may write into them; results are 32-bit.
class RioCom
{
public:
    // The layout the library is asked to give the entries in: 55 characters a record.
    static QByteArray entryTemplate()
    {
        return QByteArrayLiteral("[CodBarras][XXXXXXXXXXXXXX][CodArtigo][XXXXX][CodFamilia][XXXXXX][Qtd][XXXXXX]"
                                 "[UnidadeDeContagem][XXXXXXXXXXXXXXX][CentroCusto][XXXXXX][Flags][XXX]");
    }

    virtual ~RioCom() = default;
    virtual qint32 I_OpenCom(qint32 port, qint32 baudRate) = 0;
    virtual qint32 I_CloseCom(qint32 port) = 0;
    // Non-zero when a terminal sits in the cradle.
    virtual qint32 I_CheckTerminal(QByteArray& buffer) = 0;
    // -1 communication error, -2 no terminal, -3 or 0 nothing; above 0 the number of entry characters now
    // held at *address.
    virtual qint32 I_ReadEntries(QByteArray& buffer, QByteArray& entryTemplate, qint32 mode, quintptr* address) = 0;
    virtual qint32 GetStringFromPtr(QByteArray& text, quintptr address, qint32 count) = 0;
    virtual qint32 I_ClearAllEntries(QByteArray& buffer) = 0;
    virtual qint32 I_SendList(QByteArray& buffer, QByteArray& name, QByteArray& list, qint32 length, qint32 mode) = 0;
};
