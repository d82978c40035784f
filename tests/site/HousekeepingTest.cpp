#include "site/Housekeeping.h"

#include "platform/SitePaths.h"
#include "site/TerminalProgramFolder.h"
#include "support/TestProfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(BackupName, WritesEachPartWithItsSignBlankAndNoZeros)
{
    EXPECT_EQ(
        Housekeeping::backupName(QStringLiteral("c:\\InventariosQel.xls"), QDateTime(QDate(2026, 12, 5), QTime(4, 7))),
        QStringLiteral("c:\\InventariosQel 5_ 12_ 2026_ 4 7_Bak.xls"));
    EXPECT_EQ(
        Housekeeping::backupName(QStringLiteral("c:\\dados\\inv.xls"), QDateTime(QDate(2027, 3, 1), QTime(13, 5))),
        QStringLiteral("c:\\dados\\inv 1_ 3_ 2027_ 13 5_Bak.xls"));
    EXPECT_EQ(Housekeeping::backupName(QStringLiteral("/srv/x.xls"), QDateTime(QDate(2027, 1, 1), QTime(0, 0))),
        QStringLiteral("/srv/x 1_ 1_ 2027_ 0 0_Bak.xls"));
    // An .xlsx or .xlsm copy keeps its own four letters.
    EXPECT_EQ(Housekeeping::backupName(QStringLiteral("/srv/inv.xlsx"), QDateTime(QDate(2027, 1, 1), QTime(0, 0))),
        QStringLiteral("/srv/inv 1_ 1_ 2027_ 0 0_Bak.xlsx"));
    EXPECT_EQ(Housekeeping::backupName(QStringLiteral("/srv/inv.XLSM"), QDateTime(QDate(2027, 1, 1), QTime(0, 0))),
        QStringLiteral("/srv/inv 1_ 1_ 2027_ 0 0_Bak.XLSM"));
}

TEST(BackupName, RefusesAPathTooShortForAnExtension)
{
    EXPECT_TRUE(Housekeeping::backupName(QStringLiteral("a.x"), QDateTime(QDate(2027, 1, 1), QTime(0, 0))).isEmpty());
}

TEST(TerminalProgramFolder, EmptiesTheFolderAndCopiesWhatThereIs)
{
    TestProfile profile;
    QTemporaryDir program;
    QFile bin(QDir(program.path()).filePath(QStringLiteral("Tarvik.bin")));
    ASSERT_TRUE(bin.open(QIODevice::WriteOnly));
    bin.write("programa");
    bin.close();
    const QDir folder(TerminalProgramFolder::path());
    EXPECT_EQ(folder.path(), SitePaths::resolve(QStringLiteral("c:\\qel\\bin_offline")));
    ASSERT_TRUE(QDir().mkpath(folder.path()));
    QFile stale(folder.filePath(QStringLiteral("Tarvik.hea")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();

    TerminalProgramFolder::refresh(program.path());
    // Tarvik.hea is missing beside the program: the old copy goes and none takes its place.
    EXPECT_EQ(folder.entryList(QDir::Files), QStringList { QStringLiteral("Tarvik.bin") });
    QFile copied(folder.filePath(QStringLiteral("Tarvik.bin")));
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(copied.readAll(), QByteArray("programa"));
}
