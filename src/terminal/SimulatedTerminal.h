#pragma once
#include "terminal/RioCom.h"

#include <QString>

// A cradle and terminal kept in a folder, so the program runs on any machine: a file "docked" while the
// terminal sits in the cradle, "entries" with the counted records it holds, one file for each list last
// received, and "port" with the port it was opened on.
class SimulatedTerminal : public RioCom
{
public:
    // The folder of the profile in use: <data root>/terminal.
    static QString defaultFolder();

    explicit SimulatedTerminal(const QString& folder);
    QString folder() const { return m_folder; }

    qint32 I_OpenCom(qint32 port, qint32 baudRate) override;
    qint32 I_CloseCom(qint32 port) override;
    qint32 I_CheckTerminal(QByteArray& buffer) override;
    qint32 I_ReadEntries(QByteArray& buffer, QByteArray& entryTemplate, qint32 mode, quintptr* address) override;
    qint32 GetStringFromPtr(QByteArray& text, quintptr address, qint32 count) override;
    qint32 I_ClearAllEntries(QByteArray& buffer) override;
    qint32 I_SendList(QByteArray& buffer, QByteArray& name, QByteArray& list, qint32 length, qint32 mode) override;

    // What a person does at the desk.
    bool setDocked(bool docked, QString* error);
    bool isDocked() const;
    // Entries to hold, as the text of 55-character records (line ends are dropped).
    bool loadEntries(const QByteArray& entries, QString* error);
    // The same from a file; false with the file and the cause when it cannot be read.
    bool loadEntriesFile(const QString& file, QString* error);
    QByteArray entries() const;
    QByteArray list(const QString& name) const;
    QString openedPort() const;

private:
    QString path(const QString& name) const;
    bool writeFile(const QString& name, const QByteArray& bytes, QString* error) const;

    QString m_folder;
    QByteArray m_read; // the entries handed out by the last I_ReadEntries
};
