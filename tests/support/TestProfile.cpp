#include "support/TestProfile.h"

#include "platform/SitePaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

void restore(const char* name, const QByteArray& value)
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

} // namespace

TestProfile::TestProfile(const QByteArray& now)
    : m_oldHome(qgetenv("TARVIK_HOME"))
    , m_oldNow(qgetenv("TARVIK_NOW"))
{
    if (!qEnvironmentVariableIsSet("TARVIK_HOME"))
        m_oldHome = QByteArray();
    if (!qEnvironmentVariableIsSet("TARVIK_NOW"))
        m_oldNow = QByteArray();
    EXPECT_TRUE(m_dir.isValid());
    qputenv("TARVIK_HOME", m_dir.path().toLocal8Bit());
    qputenv("TARVIK_NOW", now);
}

TestProfile::~TestProfile()
{
    restore("TARVIK_HOME", m_oldHome);
    restore("TARVIK_NOW", m_oldNow);
}

QString TestProfile::placeSiteWorkbook(const QString& fixture) const
{
    const QString workbook = SitePaths::resolve(QStringLiteral("c:\\InventariosQel.xls"));
    const bool placed = QDir().mkpath(QFileInfo(workbook).absolutePath())
        && QFile::copy(QStringLiteral(TARVIK_FIXTURES "/") + fixture, workbook)
        && QFile::setPermissions(workbook, QFile::ReadOwner | QFile::WriteOwner);
    return placed ? workbook : QString();
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
