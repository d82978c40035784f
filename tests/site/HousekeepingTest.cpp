#include "site/Housekeeping.h"

#include "site/TerminalProgramFolder.h"
#include "support/TestProfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

TEST(BackupName, WritesEachPartWithItsSignBlankAndNoZeros)
{
    const QDateTime newYear(QDate(2027, 1, 1), QTime(0, 0));
    const std::tuple<const char*, QDateTime, const char*> cases[] = {
        { "c:\\InventariosQel.xls", QDateTime(QDate(2026, 12, 5), QTime(4, 7)),
            "c:\\InventariosQel 5_ 12_ 2026_ 4 7_Bak.xls" },
        { "c:\\dados\\inv.xls", QDateTime(QDate(2027, 3, 1), QTime(13, 5)), "c:\\dados\\inv 1_ 3_ 2027_ 13 5_Bak.xls" },
        { "/srv/x.xls", newYear, "/srv/x 1_ 1_ 2027_ 0 0_Bak.xls" },
        // An .xlsx or .xlsm copy keeps its own four letters.
        { "/srv/inv.xlsx", newYear, "/srv/inv 1_ 1_ 2027_ 0 0_Bak.xlsx" },
        { "/srv/inv.XLSM", newYear, "/srv/inv 1_ 1_ 2027_ 0 0_Bak.XLSM" },
        { "a.x", newYear, "" }, // too short for an extension: no name at all
    };
    for (const auto& [path, at, expected] : cases)
        EXPECT_EQ(Housekeeping::backupName(QString::fromLatin1(path), at), QString::fromLatin1(expected)) << path;
}

TEST(TerminalProgramFolder, EmptiesTheFolderAndCopiesWhatThereIs)
{
    TestProfile profile;
    QTemporaryDir program;
    QFile bin(QDir(program.path()).filePath(QStringLiteral("Tarvik.bin")));
    ASSERT_TRUE(bin.open(QIODevice::WriteOnly) && bin.write("programa") == 8);
    bin.close();
    const QDir folder(TerminalProgramFolder::path());
    ASSERT_TRUE(QDir().mkpath(folder.path()));
    ASSERT_TRUE(QFile(folder.filePath(QStringLiteral("Tarvik.hea"))).open(QIODevice::WriteOnly));

    TerminalProgramFolder::refresh(program.path());
    // Tarvik.hea is missing beside the program: the old copy goes and none takes its place.
    EXPECT_EQ(folder.entryList(QDir::Files), QStringList { QStringLiteral("Tarvik.bin") });
    QFile copied(folder.filePath(QStringLiteral("Tarvik.bin")));
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(copied.readAll(), QByteArray("programa"));
}
