#include "platform/AtomicFile.h"

#include "support/TestProfile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

void writeOld(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.flush();
    file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
}

} // namespace

// Through a link, the file it names gets the new contents; only that file's own leftovers go, even when its name
// holds what a name filter would take as a pattern.
TEST(AtomicFile, ReplacesWhatALinkNamesRemovingOnlyItsOwnLeftoversAndRefusesAReadOnlyFile)
{
    QTemporaryDir dir;
    const QDir folder(dir.path());
    const QString target = folder.filePath(u"a[1].xls"_s);
    writeOld(target, "old");
    writeOld(folder.filePath(u".a[1].xls.tarvik-AbC123"_s), "killed");
    writeOld(folder.filePath(u".a1.xls.tarvik-AbC123"_s), "another workbook's");
    writeOld(folder.filePath(u".a[1].xls.tarvik-notas"_s), "not ours");
    const QString link = folder.filePath(u"atalho.xls"_s);
    ASSERT_TRUE(QFile::link(target, link));
    QString error;
    ASSERT_TRUE(AtomicFile::replace(link, "new", &error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(fileBytes(target), "new");
    EXPECT_EQ(folder.entryList(QDir::Files | QDir::Hidden),
        (QStringList { u".a1.xls.tarvik-AbC123"_s, u".a[1].xls.tarvik-notas"_s, u"a[1].xls"_s, u"atalho.xls"_s }));

    // Root may write anywhere; the program still keeps to the mark the user set.
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup));
    EXPECT_FALSE(AtomicFile::replace(target, "newer", &error));
    EXPECT_TRUE(error.contains(target) && error.contains(u"não foi alterado"_s)) << error.toStdString();
    EXPECT_EQ(fileBytes(target), "new");
}
