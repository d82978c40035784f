#include "site/Housekeeping.h"

#include "platform/SitePaths.h"
#include "site/Site.h"
#include "site/TerminalProgramFolder.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"
#include "tables/InventoryTables.h"
#include "values/Conversions.h"
#include "workbook/DataControl.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

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

namespace {

class Clean : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(profile.placeSiteWorkbook(), workbook);
        ASSERT_FALSE(site.load().failed());
    }

    TestProfile profile;
    const QString workbook = SitePaths::resolve(u"c:\\InventariosQel.xls"_s);
    ScriptedInteraction ui;
    Site site { ui };
};

} // namespace

// Without its backup nothing is cleared. Cleared, the readings' rows stay blank, and a reload finds none.
TEST_F(Clean, TheCountGoesOnlyOnceItsBackupReadsBackTheSame)
{
    const QByteArray before = fileBytes(workbook);
    const int readings = site.tables().NLeituras();
    ASSERT_GT(readings, 0);
    // A folder where the backup should go: no copy can be made there, whoever runs the test.
    const QString backup = SitePaths::resolve(u"c:\\InventariosQel 6_ 12_ 2026_ 10 30_Bak.xls"_s);
    ASSERT_TRUE(QDir().mkpath(backup));
    const CommandResult refused = site.LimparFicheiro();
    ASSERT_TRUE(refused.failed());
    ASSERT_EQ(refused.messages().size(), 1);
    const QString why = refused.messages()[0];
    EXPECT_TRUE(why.contains(backup) && why.contains(u"não foram apagadas"_s)) << why.toStdString();
    EXPECT_EQ(site.tables().NLeituras(), readings);
    EXPECT_EQ(fileBytes(workbook), before);

    ASSERT_TRUE(QDir().rmdir(backup));
    EXPECT_EQ(site.LimparFicheiro().ending(), CommandResult::Ending::Done);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(site.tables().NLeituras(), 0);
    EXPECT_EQ(fileBytes(backup), before);
    DataControl data1;
    data1.setDatabaseName(workbook);
    data1.setRecordSource(u"Inventario$"_s);
    QString error;
    ASSERT_TRUE(data1.Refresh(&error)) << error.toStdString();
    data1.MoveLast();
    EXPECT_EQ(data1.RecordCount(), 5); // the rows read, blank
    CellValue code;
    ASSERT_TRUE(data1.field(u"CodArtigo"_s, &code, &error));
    EXPECT_TRUE(code.isNull());
    Site reloaded(ui);
    ASSERT_FALSE(reloaded.load().failed());
    EXPECT_EQ(reloaded.tables().NLeituras(), 0);
}

// Cancelled, empty, not a number, not whole or answered No, nothing is deleted or written; confirmed, the articles
// last imported more than that many days ago go, to the minute, and those never imported.
TEST_F(Clean, StaleArticlesGoOnlyOnceAWholeNumberOfDaysIsConfirmed)
{
    InventoryTables& tables = site.tables();
    const int count = tables.NArtigos();
    const QDateTime now(QDate(2026, 12, 6), QTime(10, 30));
    for (int slot = 1; slot <= count; ++slot)
        tables.editArtigo(slot).DataUltimaImportacao = Conversions::dayNumberFromDateTime(now) - 1;
    tables.editArtigo(1).DataUltimaImportacao = Conversions::dayNumberFromDateTime(now) - 90.5;
    tables.editArtigo(2).DataUltimaImportacao = Conversions::dayNumberFromDateTime(now.addDays(-90));
    tables.editArtigo(3).DataUltimaImportacao = Conversions::dayNumberFromDateTime(now) - 91;
    tables.editArtigo(4).DataUltimaImportacao = 0; // never imported
    const QString kept = tables.artigo(2).CodArtigo;
    const QString fifth = tables.artigo(5).CodArtigo;
    const QByteArray before = fileBytes(workbook);
    ui.typedAnswers = { u"90"_s, std::nullopt, QString(), u"noventa"_s, u"9.5"_s, u"90"_s };
    ui.answers = { false, true };
    for (int i = 0; i < 5; ++i)
        site.ApagarArtigosNaoInventariados();
    // Only the whole number reached the question.
    EXPECT_EQ(ui.questions.size(), 1);
    EXPECT_EQ(tables.NArtigos(), count);
    EXPECT_EQ(fileBytes(workbook), before);

    EXPECT_EQ(site.ApagarArtigosNaoInventariados().ending(), CommandResult::Ending::Done);
    EXPECT_EQ(ui.prompts.last(), u"Apagar artigos: Apagar artigos não movimentados á mais de x dias? [90]"_s);
    EXPECT_EQ(ui.questionTitles, QStringList(2, u"Apagar artigos"_s));
    EXPECT_EQ(
        ui.questions.last(), u"Se prosseguir vai apagar todos os artigos com mais de x dias. Deseja prosseguir?"_s);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(tables.NArtigos(), count - 3);
    EXPECT_EQ(tables.artigo(1).CodArtigo, kept);
    EXPECT_EQ(tables.artigo(2).CodArtigo, fifth);
    EXPECT_TRUE(tables.artigo(count - 2).CodArtigo.isEmpty());
    Site again(ui);
    ASSERT_FALSE(again.load().failed());
    EXPECT_EQ(again.tables().NArtigos(), count - 3);
    EXPECT_EQ(again.tables().artigo(1).CodArtigo, kept);
}
