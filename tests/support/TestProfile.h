#pragma once
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh TARVIK_HOME and a fixed TARVIK_NOW for one test; the old environment comes back after it.
class TestProfile
{
public:
    explicit TestProfile(const QByteArray& now = "2026-12-06T10:30:00");
    ~TestProfile();

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString home() const { return m_dir.path(); }
    // Copies a fixture (a path under tests/fixtures) to the site's workbook, c:\\InventariosQel.xls, writable, and
    // returns where it went; the empty text when it cannot.
    QString placeSiteWorkbook(const QString& fixture = QStringLiteral("data/inventory-lo.xls")) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
    QByteArray m_oldNow;
};

// The file's bytes; none when it cannot be read.
QByteArray fileBytes(const QString& path);
