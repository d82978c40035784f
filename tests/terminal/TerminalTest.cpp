#include "platform/Clock.h"
#include "platform/SettingsStore.h"
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

namespace {

CellValue T(const QString& text)
{
    return CellValue::text(text);
}

// One 55-character record as the terminal lays it out.
QString record(const QString& barcode, const QString& code, const QString& family, const QString& quantity,
    const QString& unit, const QString& centre, const QString& flags)
{
    return barcode.leftJustified(14, u' ', true) + code.rightJustified(5, u' ', true)
        + family.leftJustified(6, u' ', true) + quantity.rightJustified(6, u' ', true)
        + unit.leftJustified(15, u' ', true) + centre.leftJustified(6, u' ', true)
        + flags.rightJustified(3, u' ', true);
}

class Terminal : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(InventoryWorkbook::create(workbook, &error)) << error.toStdString();
        data1.setDatabaseName(workbook);
        tables.AdicionaContasContabilisticas(QStringLiteral("61"), T(QStringLiteral("61")), T(QStringLiteral("6121")),
            T(QStringLiteral("Mercearia e pão")));
        addArticle(QStringLiteral("123"), QStringLiteral("Pão"), QStringLiteral("61"), QStringLiteral("UN"),
            QStringLiteral("UN"), 1);
        addArticle(QStringLiteral("200"), QStringLiteral("Queijo"), QStringLiteral("61"), QStringLiteral("Caixa"),
            QStringLiteral("Kilo"), 10);
    }

    void addArticle(const QString& code, const QString& desc, const QString& family, const QString& purchase,
        const QString& stock, double conversion)
    {
        tables.AdicionaArtigo(T(code), T(family), CellValue::date(46000), T(desc), CellValue::number(1), T(purchase),
            T(stock), CellValue::number(conversion), T(QStringLiteral("Mercearia")), CellValue(),
            CellValue::number(tables.NArtigos() + 1), 0, 3);
    }

    TestProfile profile;
    QString workbook = profile.path(QStringLiteral("inv.xls"));
    ScriptedInteraction ui;
    Clock clock;
    InventoryTables tables { ui, clock };
    DataControl data1;
    SettingsStore settings;
    SimulatedTerminal terminal { SimulatedTerminal::defaultFolder() };
};

} // namespace

TEST_F(Terminal, RawImportAddsReadingsPlaceholdersAndBarcodes)
{
    const QString entries = record(QString(), QStringLiteral("123"), QStringLiteral("61"), QStringLiteral("000002"),
                                QStringLiteral("UN"), QStringLiteral("Bar"), QStringLiteral("001"))
        + record(QStringLiteral("5601"), QStringLiteral("200"), QStringLiteral("61"), QStringLiteral("001500"),
            QStringLiteral("Gramas"), QStringLiteral("Cozinh"), QStringLiteral("002"))
        + record(QStringLiteral("5602"), QStringLiteral("123"), QStringLiteral("61"), QStringLiteral("   250"),
            QStringLiteral("Gramas"), QStringLiteral("Bar"), QStringLiteral("003"))
        + record(QStringLiteral("5699"), QStringLiteral("777"), QStringLiteral("62"), QStringLiteral("000003"),
            QStringLiteral("UN"), QStringLiteral("Bar"), QStringLiteral("000"))
        + record(QString(), QStringLiteral("123"), QStringLiteral("61"), QStringLiteral("000001"), QStringLiteral("UN"),
            QStringLiteral("Bar"), QStringLiteral("000"));
    QString error;
    ASSERT_TRUE(RawImport(tables, data1, ui, clock).run(entries, &error)) << error.toStdString();

    ASSERT_EQ(tables.NLeituras(), 4);
    EXPECT_EQ(tables.leitura(1).QtEmUnidadeInventario, 3); // merged, and the mark of the first one stays
    EXPECT_EQ(tables.leitura(1).LeituraDuvidosa, 2);
    EXPECT_EQ(tables.leitura(2).Unidade, QStringLiteral("Kilo"));
    EXPECT_EQ(tables.leitura(2).QtEmUnidadeInventario, 1.5);
    EXPECT_EQ(tables.leitura(2).LeituraDuvidosa, 0);
    EXPECT_EQ(tables.leitura(3).Unidade, QStringLiteral("Gramas")); // Pão is not stocked in Kilo
    EXPECT_EQ(tables.leitura(3).QtEmUnidadeInventario, 250);
    EXPECT_EQ(tables.leitura(4).LeituraDuvidosa, 3);

    ASSERT_EQ(tables.NArtigos(), 3);
    const int placeholder = tables.ProcuraArtigo(QStringLiteral("777"));
    ASSERT_GT(placeholder, 0);
    EXPECT_EQ(tables.artigo(placeholder).DescArtigo, QChar(29) + QStringLiteral("FALTA PREENCHER"));
    EXPECT_EQ(tables.artigo(placeholder).Origem, 5);
    EXPECT_EQ(tables.artigo(1).DescArtigo, tables.artigo(placeholder).DescArtigo); // sorted by description
    EXPECT_GT(tables.artigo(tables.ProcuraArtigo(QStringLiteral("123"))).DataUltimaImportacao, 46000);

    ASSERT_EQ(tables.NCodBarras(), 3);
    EXPECT_EQ(tables.codigoBarras(1).Unidade.toText(), QStringLiteral("Kilo"));

    XlsWorkbook saved;
    ASSERT_TRUE(XlsReader::read(workbook, &saved, &error));
    EXPECT_EQ(saved.sheet(QStringLiteral("Inventario"))->rowCount, 5);
    EXPECT_EQ(saved.sheet(QStringLiteral("Artigos"))->rowCount, 4);
}

TEST_F(Terminal, RawImportWithABadQuantityChangesNothing)
{
    const QString entries = record(QString(), QStringLiteral("123"), QStringLiteral("61"), QStringLiteral("000002"),
                                QStringLiteral("UN"), QStringLiteral("Bar"), QStringLiteral("000"))
        + record(QString(), QStringLiteral("999"), QStringLiteral("61"), QStringLiteral("12x"), QStringLiteral("UN"),
            QStringLiteral("Bar"), QStringLiteral("000"));
    QFile before(workbook);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    QString error;
    EXPECT_FALSE(RawImport(tables, data1, ui, clock).run(entries, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("registo 2"))) << error.toStdString();
    EXPECT_EQ(tables.NLeituras(), 0);
    EXPECT_EQ(tables.NArtigos(), 2);
    QFile after(workbook);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), bytes);
}

TEST_F(Terminal, ListRecordsAreExactBytes)
{
    tables.AdicionaCodigosBarras(T(QStringLiteral("123")), T(QStringLiteral("UN")), T(QStringLiteral("111")));
    tables.AdicionaCodigosBarras(T(QStringLiteral("123")), T(QStringLiteral("CX")), T(QStringLiteral("222")));
    tables.AdicionaCodigosBarras(T(QStringLiteral("555")), T(QStringLiteral("UN")), T(QStringLiteral("333")));
    addArticle(
        QStringLiteral("300"), QStringLiteral("Sem família"), QString(), QStringLiteral("UN"), QStringLiteral("UN"), 1);
    const TerminalLists lists(tables, settings, ui);

    EXPECT_EQ(lists.ListaFamilias(), QByteArray("61\0\0\0\0\0Mercearia e pao", 22) + QByteArray(10, '\0'));
    const QByteArray articles = lists.ListaArtigos();
    ASSERT_EQ(articles.size(), 2 * 56); // the article without a family is left out
    EXPECT_EQ(articles.left(56), QByteArray("123\0\0\0Pao", 9) + QByteArray(45, '\0') + QByteArray(2, '\0'));
    const QByteArray barcodes = lists.ListaCodBarras();
    ASSERT_EQ(barcodes.size(), 2 * 23); // 555 is not an article
    EXPECT_EQ(barcodes.mid(21, 2), QByteArray("\0\1", 2));
    EXPECT_EQ(barcodes.mid(23 + 21, 2), QByteArray("\0\0", 2));
    const QByteArray units = lists.ListaUnidades();
    ASSERT_EQ(units.size(), 5 * 22);
    EXPECT_EQ(units.mid(22, 22), QByteArray("200\0\0\0Kilo           \0", 22));
    EXPECT_EQ(units.mid(44, 22), QByteArray("200\0\0\0Caixa:10       \0", 22));
    EXPECT_EQ(units.mid(66, 22), QByteArray("200\0\0\0Gramas         \0", 22));
}

TEST_F(Terminal, AbbreviatesWhenTheBoxIsTickedAndSaysOnceWhatCannotBeSent)
{
    settings.setValue(SettingsKeys::AutoAbrevia, SettingsKeys::checkBoxForm(true));
    addArticle(QStringLiteral("400"), QStringLiteral("Chocolate preto de culinária com setenta por cento de cacau"),
        QStringLiteral("61"), QStringLiteral("UN"), QStringLiteral("UN"), 1);
    for (int i = 2; i <= 300; ++i)
        tables.AdicionaContasContabilisticas(
            QString::number(1000 + i), T(QString::number(1000 + i)), T(QStringLiteral("6")), T(QStringLiteral("F")));
    addArticle(QStringLiteral("500"), QStringLiteral("Longe"), QStringLiteral("1299"), QStringLiteral("UN"),
        QStringLiteral("UN"), 1);
    addArticle(QStringLiteral("501"), QStringLiteral("Perto"), QStringLiteral("1200"), QStringLiteral("UN"),
        QStringLiteral("UN"), 1);
    const QByteArray articles = TerminalLists(tables, settings, ui).ListaArtigos();
    ASSERT_EQ(articles.size(), 4 * 56);
    EXPECT_EQ(articles.mid(2 * 56 + 6, 48).indexOf('\0'), -1); // abbreviated to fill the field, not cut
    EXPECT_EQ(quint8(articles.at(4 * 56 - 1)), 199);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].startsWith(QStringLiteral("1 artigos"))) << ui.messages[0].toStdString();
}

TEST_F(Terminal, CollectsWhenDockedImportsAndOnlyThenClears)
{
    settings.setValue(SettingsKeys::AutoDescarrega, QStringLiteral(" 1"));
    TerminalSession session(terminal, tables, data1, settings, ui, clock);
    QString error;
    const QString entries = record(QStringLiteral("5601"), QStringLiteral("123"), QStringLiteral("61"),
        QStringLiteral("000004"), QStringLiteral("UN"), QStringLiteral("Bar"), QStringLiteral("000"));
    ASSERT_TRUE(terminal.loadEntries(entries.toLatin1(), &error));
    EXPECT_FALSE(session.poll());
    EXPECT_EQ(ui.statusTexts[UserInteraction::Status::Panel2].last(), QStringLiteral("Port Open ( 1) OFF"));
    ASSERT_TRUE(terminal.setDocked(true, &error));
    // The tick only says the collection is due; it runs once no other command is running.
    ASSERT_TRUE(session.poll());
    EXPECT_EQ(ui.statusTexts[UserInteraction::Status::Panel2].last(), QStringLiteral("Port Open ( 1) ON"));
    EXPECT_EQ(tables.NLeituras(), 0);
    EXPECT_EQ(session.collect().ending(), CommandResult::Ending::Done);
    EXPECT_EQ(tables.NLeituras(), 1);
    EXPECT_TRUE(terminal.entries().isEmpty());
    QFile raw(TerminalSession::rawFilePath());
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_EQ(raw.readAll(), entries.toLatin1() + "\r\n");

    // Still docked: no second collection.
    ASSERT_TRUE(terminal.loadEntries(entries.toLatin1(), &error));
    EXPECT_FALSE(session.poll());
    EXPECT_EQ(tables.NLeituras(), 1);
    EXPECT_EQ(tables.leitura(1).QtEmUnidadeInventario, 4);
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join(u'\n').toStdString();
}

TEST_F(Terminal, AFailedImportKeepsTheEntriesInTheTerminalAndTheFile)
{
    TerminalSession session(terminal, tables, data1, settings, ui, clock);
    EXPECT_EQ(
        session.ReceberDados().messages(), QStringList { QStringLiteral("Por favor coloque terminal no suporte!") });
    QString error;
    const QByteArray entries = record(QString(), QStringLiteral("123"), QStringLiteral("61"), QStringLiteral("000004"),
        QStringLiteral("UN"), QStringLiteral("Bar"), QStringLiteral("000"))
                                   .toLatin1();
    ASSERT_TRUE(terminal.loadEntries(entries, &error));
    ASSERT_TRUE(terminal.setDocked(true, &error));
    QFile lock(profile.path(QStringLiteral(".~lock.inv.xls#")));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    session.poll();
    const CommandResult refused = session.ReceberDados();
    ASSERT_EQ(refused.messages().size(), 1);
    EXPECT_TRUE(refused.messages()[0].contains(QStringLiteral("As leituras ficam no terminal")))
        << refused.messages()[0].toStdString();
    EXPECT_EQ(terminal.entries(), entries);
    EXPECT_EQ(tables.NLeituras(), 0);
    EXPECT_EQ(ui.statusTexts[UserInteraction::Status::Label1].last(), QString());

    QFile::remove(lock.fileName());
    ui.answers = { false, true };
    EXPECT_EQ(session.ImpRaw().ending(), CommandResult::Ending::Cancelled);
    EXPECT_EQ(tables.NLeituras(), 0);
    EXPECT_EQ(session.ImpRaw().ending(), CommandResult::Ending::Done);
    EXPECT_EQ(tables.NLeituras(), 1);
}

TEST_F(Terminal, SendsTheFourListsWithTheTimerStopped)
{
    TerminalSession session(terminal, tables, data1, settings, ui, clock);
    QList<bool> timer;
    session.setTimerControl([&](bool running) { timer.append(running); });
    QString error;
    ASSERT_TRUE(terminal.setDocked(true, &error));
    session.poll();
    session.EnviarDados();
    EXPECT_EQ(timer, (QList<bool> { false, true }));
    EXPECT_EQ(ui.statusTexts[UserInteraction::Status::Panel1],
        (QStringList {
            QStringLiteral("0%"), QStringLiteral("25%"), QStringLiteral("50%"), QStringLiteral("75%"), QString() }));
    EXPECT_EQ(terminal.list(QStringLiteral("ListCodArtigos")).size(), 2 * 56);
    EXPECT_EQ(terminal.list(QStringLiteral("ListUnidades")).size(), 4 * 22);
}

// The whole count through the library interface, with the test library standing in for the maker's.
TEST_F(Terminal, RunsThroughTheLibraryDriver)
{
    settings.setValue(SettingsKeys::RioComLibrary, QStringLiteral(TARVIK_TEST_RIOCOM));
    QString error;
    const std::unique_ptr<RioCom> driver = RioComDriver::create(settings, &error);
    ASSERT_TRUE(driver) << error.toStdString();
    TerminalSession session(*driver, tables, data1, settings, ui, clock);
    driver->I_OpenCom(3, 19200);
    EXPECT_EQ(terminal.openedPort(), QStringLiteral("3"));
    ASSERT_TRUE(terminal.setDocked(true, &error));
    session.poll();
    session.EnviarDados();
    EXPECT_EQ(terminal.list(QStringLiteral("ListCodFamilias")).size(), 32);
    const QByteArray entries = record(QString(), QStringLiteral("200"), QStringLiteral("61"), QStringLiteral("002500"),
        QStringLiteral("Gramas"), QStringLiteral("Bar"), QStringLiteral("000"))
                                   .toLatin1();
    ASSERT_TRUE(terminal.loadEntries(entries, &error));
    session.ReceberDados();
    ASSERT_EQ(tables.NLeituras(), 1);
    EXPECT_EQ(tables.leitura(1).QtEmUnidadeInventario, 2.5);
    EXPECT_TRUE(terminal.entries().isEmpty());
    EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join(u'\n').toStdString();

    settings.setValue(SettingsKeys::RioComLibrary, profile.path(QStringLiteral("nada.so")));
    EXPECT_FALSE(RioComDriver::create(settings, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("nada.so"))) << error.toStdString();
}

namespace {

// A cradle whose reads fail the way the library reports it.
class FailingTerminal : public SimulatedTerminal
{
public:
    using SimulatedTerminal::SimulatedTerminal;
    qint32 I_ReadEntries(QByteArray&, QByteArray&, qint32, quintptr*) override { return result; }
    qint32 result = -1;
};

} // namespace

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
    EXPECT_EQ(told,
        (QStringList {
            QStringLiteral("Erro de comunicação!"), QStringLiteral("Por favor coloque terminal no suporte!") }));

    ui.answers = { true };
    const CommandResult missing = session.ImpRaw();
    ASSERT_EQ(missing.messages().size(), 1);
    EXPECT_TRUE(missing.messages()[0].contains(QStringLiteral("Tarvik.raw"))) << missing.messages()[0].toStdString();

    // A last record cut short and characters above 127 still import.
    const QString entries = record(QString(), QStringLiteral("123"), QStringLiteral("61"), QStringLiteral("000001"),
                                QStringLiteral("UN"), QStringLiteral("Bar"), QStringLiteral("000"))
        + record(QStringLiteral("ÿ€"), QStringLiteral("124"), QStringLiteral("61"), QStringLiteral("000002"),
            QStringLiteral("Caixa ç"), QString(), QString())
              .left(40);
    ASSERT_TRUE(RawImport(tables, data1, ui, clock).run(entries, &error)) << error.toStdString();
    ASSERT_EQ(tables.NLeituras(), 2);
    EXPECT_EQ(tables.leitura(2).Unidade, QStringLiteral("Caixa ç"));
    EXPECT_EQ(tables.leitura(2).QtEmUnidadeInventario, 2);
    EXPECT_EQ(tables.codigoBarras(1).CodBarras.toText(), QStringLiteral("ÿ€"));
    EXPECT_TRUE(RawImport(tables, data1, ui, clock).run(QString(), &error)) << error.toStdString();
}
