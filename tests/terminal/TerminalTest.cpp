#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "support/CellValues.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWorkbook.h"
#include "terminal/RawImport.h"
#include "terminal/RioCom.h"
#include "terminal/RioComDriver.h"
#include "terminal/SimulatedTerminal.h"
#include "terminal/TerminalLists.h"
#include "terminal/TerminalSession.h"
#include "workbook/DataControl.h"
#include "workbook/xls/XlsReader.h"
#include "workbook/xls/XlsWorkbook.h"

#include <QFile>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

// One 55-character record as the terminal lays it out.
QString record(QStringView barcode, QStringView code, QStringView family, QStringView quantity, QStringView unit,
    QStringView centre, QStringView flags)
{
    return barcode.toString().leftJustified(14, u' ', true) + code.toString().rightJustified(5, u' ', true)
        + family.toString().leftJustified(6, u' ', true) + quantity.toString().rightJustified(6, u' ', true)
        + unit.toString().leftJustified(15, u' ', true) + centre.toString().leftJustified(6, u' ', true)
        + flags.toString().rightJustified(3, u' ', true);
}

// A cradle whose reads fail the way the library reports it.
class FailingTerminal : public SimulatedTerminal
{
public:
    using SimulatedTerminal::SimulatedTerminal;
    qint32 I_ReadEntries(QByteArray&, QByteArray&, qint32, quintptr*) override { return result; }
    qint32 result = -1;
};

class Terminal : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(InventoryWorkbook::create(workbook, &error)) << error.toStdString();
        data1.setDatabaseName(workbook);
        tables.AdicionaContasContabilisticas(u"61"_s, T(u"61"), T(u"6121"), T(u"Mercearia e pão"));
        addArticle(u"123", u"Pão", u"61", u"UN", u"UN", 1);
        addArticle(u"200", u"Queijo", u"61", u"Caixa", u"Kilo", 10);
    }

    void addArticle(QStringView code, QStringView desc, QStringView family, QStringView purchase, QStringView stock,
        double conversion)
    {
        tables.AdicionaArtigo(T(code), T(family), CellValue::date(46000), T(desc), N(1), T(purchase), T(stock),
            N(conversion), T(u"Mercearia"), CellValue(), N(tables.NArtigos() + 1), 0, 3);
    }

    TestProfile profile;
    QString workbook = profile.path(u"inv.xls"_s);
    ScriptedInteraction ui;
    Clock clock;
    InventoryTables tables { ui, clock };
    DataControl data1;
    SettingsStore settings;
    SimulatedTerminal terminal { SimulatedTerminal::defaultFolder() };
};

} // namespace

// A bad quantity anywhere changes nothing, tables nor workbook; the same import without it then runs in full.
TEST_F(Terminal, RawImportAddsReadingsPlaceholdersAndBarcodesOrNothingAtABadQuantity)
{
    const QString bad = record(u"", u"123", u"61", u"000002", u"UN", u"Bar", u"000")
        + record(u"", u"999", u"61", u"12x", u"UN", u"Bar", u"000");
    const QByteArray before = fileBytes(workbook);
    QString error;
    EXPECT_FALSE(RawImport(tables, data1, ui, clock).run(bad, &error));
    EXPECT_TRUE(error.contains(u"registo 2"_s)) << error.toStdString();
    EXPECT_EQ(std::pair(tables.NLeituras(), tables.NArtigos()), std::pair(0, 2));
    EXPECT_EQ(fileBytes(workbook), before);

    const QString entries = record(u"", u"123", u"61", u"000002", u"UN", u"Bar", u"001")
        + record(u"5601", u"200", u"61", u"001500", u"Gramas", u"Cozinh", u"002")
        + record(u"5602", u"123", u"61", u"   250", u"Gramas", u"Bar", u"003")
        + record(u"5699", u"777", u"62", u"000003", u"UN", u"Bar", u"000")
        + record(u"", u"123", u"61", u"000001", u"UN", u"Bar", u"000");
    ASSERT_TRUE(RawImport(tables, data1, ui, clock).run(entries, &error)) << error.toStdString();
    ASSERT_EQ(tables.NLeituras(), 4);
    const Leitura &merged = tables.leitura(1), &kilo = tables.leitura(2), &grams = tables.leitura(3);
    // Merged, the mark of the first one kept; Pão is not stocked in Kilo.
    EXPECT_EQ(std::pair(merged.QtEmUnidadeInventario, merged.LeituraDuvidosa), std::pair(3.0, 2.0));
    EXPECT_EQ(
        std::tuple(kilo.Unidade, kilo.QtEmUnidadeInventario, kilo.LeituraDuvidosa), std::tuple(u"Kilo"_s, 1.5, 0.0));
    EXPECT_EQ(std::pair(grams.Unidade, grams.QtEmUnidadeInventario), std::pair(u"Gramas"_s, 250.0));
    EXPECT_EQ(tables.leitura(4).LeituraDuvidosa, 3);

    ASSERT_EQ(tables.NArtigos(), 3);
    ASSERT_EQ(tables.ProcuraArtigo(u"777"_s), 1); // the placeholder sorts first by its description
    EXPECT_EQ(std::pair(tables.artigo(1).DescArtigo, tables.artigo(1).Origem),
        std::pair(QChar(29) + u"FALTA PREENCHER"_s, 5));
    EXPECT_GT(tables.artigo(tables.ProcuraArtigo(u"123"_s)).DataUltimaImportacao, 46000);

    ASSERT_EQ(tables.NCodBarras(), 3);
    EXPECT_EQ(tables.codigoBarras(1).Unidade.toText(), u"Kilo"_s);

    XlsWorkbook saved;
    ASSERT_TRUE(XlsReader::read(workbook, &saved, &error));
    EXPECT_EQ(saved.sheet(u"Inventario"_s)->rowCount, 5);
    EXPECT_EQ(saved.sheet(u"Artigos"_s)->rowCount, 4);
}

// An article without a family, or whose family sits after the 256th, is left out; the user is told once.
TEST_F(Terminal, ListRecordsAreExactBytesAndArticlesGoAbbreviatedOrAreLeftOut)
{
    tables.AdicionaCodigosBarras(T(u"123"), T(u"UN"), T(u"111"));
    tables.AdicionaCodigosBarras(T(u"123"), T(u"CX"), T(u"222"));
    tables.AdicionaCodigosBarras(T(u"555"), T(u"UN"), T(u"333"));
    addArticle(u"300", u"Sem família", u"", u"UN", u"UN", 1);
    const TerminalLists lists(tables, settings, ui);

    EXPECT_EQ(lists.ListaFamilias(), QByteArray("61\0\0\0\0\0Mercearia e pao", 22) + QByteArray(10, '\0'));
    const QByteArray articles = lists.ListaArtigos();
    ASSERT_EQ(articles.size(), 2 * 56); // the article without a family is left out
    EXPECT_EQ(articles.left(56), QByteArray("123\0\0\0Pao", 9) + QByteArray(45, '\0') + QByteArray(2, '\0'));
    const QByteArray barcodes = lists.ListaCodBarras();
    ASSERT_EQ(barcodes.size(), 2 * 23); // 555 is not an article
    EXPECT_EQ(barcodes.mid(21, 2) + barcodes.mid(23 + 21, 2), QByteArray("\0\1\0\0", 4));
    const QByteArray units = lists.ListaUnidades();
    ASSERT_EQ(units.size(), 5 * 22);
    EXPECT_EQ(units.mid(22, 22), QByteArray("200\0\0\0Kilo           \0", 22));
    EXPECT_EQ(units.mid(44, 22), QByteArray("200\0\0\0Caixa:10       \0", 22));
    EXPECT_EQ(units.mid(66, 22), QByteArray("200\0\0\0Gramas         \0", 22));

    settings.setValue(SettingsKeys::AutoAbrevia, SettingsKeys::checkBoxForm(true));
    addArticle(u"400", u"Chocolate preto de culinária com setenta por cento de cacau", u"61", u"UN", u"UN", 1);
    for (int i = 2; i <= 300; ++i)
        tables.AdicionaContasContabilisticas(QString::number(1000 + i), T(QString::number(1000 + i)), T(u"6"), T(u"F"));
    addArticle(u"500", u"Longe", u"1299", u"UN", u"UN", 1);
    addArticle(u"501", u"Perto", u"1200", u"UN", u"UN", 1);
    const QByteArray abbreviated = lists.ListaArtigos();
    ASSERT_EQ(abbreviated.size(), 4 * 56);
    EXPECT_EQ(abbreviated.mid(2 * 56 + 6, 48).indexOf('\0'), -1); // abbreviated to fill the field, not cut
    EXPECT_EQ(quint8(abbreviated.at(4 * 56 - 1)), 199);
    EXPECT_TRUE(ui.messages.size() == 1 && ui.messages[0].startsWith(u"1 artigos"_s))
        << ui.messages.join(u'\n').toStdString();
}

// The whole count through the library interface, with the test library standing in for the maker's. The lists go
// out with the timer stopped, so no tick runs between the sends. The entries leave the terminal only once imported
// and saved; until then they stay there and in the raw file.
TEST_F(Terminal, RunsThroughTheLibraryDriverAndClearsTheTerminalOnlyOnceTheEntriesAreSaved)
{
    settings.setValue(SettingsKeys::AutoDescarrega, u" 1"_s);
    settings.setValue(SettingsKeys::RioComLibrary, QStringLiteral(TARVIK_TEST_RIOCOM));
    QString error;
    const std::unique_ptr<RioCom> driver = RioComDriver::create(settings, &error);
    ASSERT_TRUE(driver) << error.toStdString();
    TerminalSession session(*driver, tables, data1, settings, ui, clock);
    QList<bool> timer;
    session.setTimerControl([&](bool running) { timer.append(running); });
    driver->I_OpenCom(3, 19200);
    EXPECT_EQ(terminal.openedPort(), u"3"_s);
    const QByteArray entries = record(u"5601", u"123", u"61", u"000004", u"UN", u"Bar", u"000").toLatin1();
    ASSERT_TRUE(terminal.loadEntries(entries, &error));
    EXPECT_FALSE(session.poll());
    ASSERT_TRUE(terminal.setDocked(true, &error));
    // The tick only says the collection is due; it runs once no other command is running.
    ASSERT_TRUE(session.poll());
    EXPECT_EQ(tables.NLeituras(), 0);

    session.EnviarDados();
    EXPECT_EQ(timer, (QList<bool> { false, true }));
    EXPECT_EQ(ui.statusTexts[UserInteraction::Status::Panel1],
        (QStringList { u"0%"_s, u"25%"_s, u"50%"_s, u"75%"_s, QString() }));
    EXPECT_EQ(terminal.list(u"ListCodArtigos"_s).size(), 2 * 56);

    QFile lock(profile.path(u".~lock.inv.xls#"_s));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    const QStringList refused = session.collect().messages();
    EXPECT_TRUE(refused.size() == 1 && refused[0].contains(u"As leituras ficam no terminal"_s))
        << refused.join(u'\n').toStdString();
    EXPECT_EQ(terminal.entries(), entries);
    EXPECT_EQ(fileBytes(TerminalSession::rawFilePath()), entries + "\r\n");
    EXPECT_EQ(tables.NLeituras(), 0);
    EXPECT_EQ(ui.statusTexts[UserInteraction::Status::Label1].last(), QString());
    QFile::remove(lock.fileName());
    ui.answers = { false, true };
    EXPECT_EQ(session.ImpRaw().ending(), CommandResult::Ending::Cancelled);
    EXPECT_EQ(tables.NLeituras(), 0);
    EXPECT_EQ(session.ImpRaw().ending(), CommandResult::Ending::Done);

    // The entries are still in the terminal: collected again, they add to the same reading.
    ui.messages.clear();
    EXPECT_EQ(session.collect().ending(), CommandResult::Ending::Done);
    EXPECT_TRUE(terminal.entries().isEmpty());
    EXPECT_EQ(fileBytes(TerminalSession::rawFilePath()), entries + "\r\n");
    // Still docked: no second collection.
    ASSERT_TRUE(terminal.loadEntries(entries, &error));
    EXPECT_FALSE(session.poll());
    ASSERT_EQ(tables.NLeituras(), 1);
    EXPECT_EQ(tables.leitura(1).QtEmUnidadeInventario, 8);
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join(u'\n').toStdString();
}

TEST_F(Terminal, ReportsWhatTheTerminalAnswersAndOddEntries)
{
    FailingTerminal failing(SimulatedTerminal::defaultFolder());
    QString error;
    ASSERT_TRUE(failing.setDocked(true, &error));
    TerminalSession session(failing, tables, data1, settings, ui, clock);
    session.poll();
    QStringList told;
    for (qint32 result : { -1, -2, -3, 0 }) {
        failing.result = result;
        const CommandResult ended = session.ReceberDados();
        EXPECT_EQ(ended.ending(),
            result < 0 && result > -3 ? CommandResult::Ending::Failed : CommandResult::Ending::NothingToDo);
        told += ended.messages();
    }
    EXPECT_EQ(told, (QStringList { u"Erro de comunicação!"_s, u"Por favor coloque terminal no suporte!"_s }));

    ui.answers = { true };
    const QStringList missing = session.ImpRaw().messages();
    EXPECT_TRUE(missing.size() == 1 && missing[0].contains(u"Tarvik.raw"_s)) << missing.join(u'\n').toStdString();

    // A last record cut short and characters above 127 still import.
    const QString entries = record(u"", u"123", u"61", u"000001", u"UN", u"Bar", u"000")
        + record(u"ÿ€", u"124", u"61", u"000002", u"Caixa ç", u"", u"").left(40);
    ASSERT_TRUE(RawImport(tables, data1, ui, clock).run(entries, &error)) << error.toStdString();
    ASSERT_EQ(tables.NLeituras(), 2);
    EXPECT_EQ(
        std::pair(tables.leitura(2).Unidade, tables.leitura(2).QtEmUnidadeInventario), std::pair(u"Caixa ç"_s, 2.0));
    EXPECT_EQ(tables.codigoBarras(1).CodBarras.toText(), u"ÿ€"_s);
    EXPECT_TRUE(RawImport(tables, data1, ui, clock).run(QString(), &error)) << error.toStdString();
}
