#include "platform/Clock.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"
#include "tables/DataCommand.h"
#include "tables/InventoryLoader.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWorkbook.h"
#include "tables/InventoryWriter.h"
#include "workbook/DataControl.h"
#include "workbook/xls/XlsReader.h"
#include "workbook/xls/XlsWorkbook.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

namespace {

CellValue T(const QString& text)
{
    return CellValue::text(text);
}

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// What an independent reader (Debian's xlrd) sees in a sheet: one line a row, cells joined by "|".
QString readWithXlrd(const QString& path, const QString& sheet)
{
    if (!QFile::exists(QStringLiteral("/usr/bin/python3")))
        return QStringLiteral("(no python3)");
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
        { QStringLiteral("-c"),
            QStringLiteral("import sys, xlrd\n"
                           "b = xlrd.open_workbook(sys.argv[1])\n"
                           "s = b.sheet_by_name(sys.argv[2])\n"
                           "for r in range(s.nrows):\n"
                           "    print('|'.join(repr(v) for v in s.row_values(r)))\n"),
            path, sheet });
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

class Store : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = profile.path(QStringLiteral("inv.xls"));
        QString error;
        ASSERT_TRUE(InventoryWorkbook::create(path, &error)) << error.toStdString();
        data1.setDatabaseName(path);
    }

    void addArticle(const QString& code, const QString& desc)
    {
        tables.AdicionaArtigo(T(code), T(QStringLiteral("F1")), CellValue::date(46000), T(desc), CellValue::number(2.5),
            T(QStringLiteral("CX")), T(QStringLiteral("UN")), CellValue::number(12), T(QStringLiteral("Mercearia")),
            CellValue::date(46001.5), CellValue::number(3), 0, 3);
    }

    bool save(const std::function<bool(QString*)>& work)
    {
        DataCommand command(tables, data1);
        QString error;
        const bool ok = command.run(work, &error);
        lastError = error;
        return ok;
    }

    InventoryTables reload()
    {
        DataControl fresh;
        fresh.setDatabaseName(path);
        InventoryTables loaded(ui, clock);
        InventoryLoader loader(fresh, loaded, ui);
        QString error;
        // A sheet with only its heading row fails to load, and loads nothing.
        EXPECT_TRUE(loader.LerFicheiroArtigos(&error) || error.contains(QStringLiteral("não tem linhas")));
        EXPECT_TRUE(loader.LerFicheiroDasLeituras(&error) || error.contains(QStringLiteral("não tem linhas")));
        return loaded;
    }

    TestProfile profile;
    QString path;
    ScriptedInteraction ui;
    Clock clock;
    InventoryTables tables { ui, clock };
    DataControl data1;
    InventoryWriter writer { data1, tables, ui };
    QString lastError;
};

} // namespace

TEST_F(Store, SavedArticlesLoadBackWithTheirTypes)
{
    addArticle(QStringLiteral("1001"), QStringLiteral("Açúcar branco €"));
    addArticle(QStringLiteral("1002"), QStringLiteral("Café"));
    ASSERT_TRUE(save([&](QString* e) { return writer.GravarArtigos(e); })) << lastError.toStdString();
    const InventoryTables loaded = reload();
    ASSERT_EQ(loaded.NArtigos(), 2);
    EXPECT_EQ(loaded.artigo(1).DescArtigo, QStringLiteral("Açúcar branco €"));
    EXPECT_EQ(loaded.artigo(2).DataUltimaImportacao, 46001.5);
    EXPECT_EQ(loaded.artigo(2).ConversaoCompraStock, 12);
    EXPECT_EQ(loaded.artigo(2).Posicao, 3);
    EXPECT_EQ(loaded.artigo(2).Origem, 3);
    const QString seen = readWithXlrd(path, QStringLiteral("Artigos"));
    EXPECT_TRUE(seen.contains(QStringLiteral("'1001'|'F1'|46000.0|'Açúcar branco €'|2.5|'CX'|'UN'|12.0")))
        << seen.toStdString();
}

TEST_F(Store, RewritesInPlaceAndBlanksSurplusRows)
{
    for (int i = 1; i <= 5; ++i)
        tables.AdicionaLeitura(T(QString::number(i)), T(QStringLiteral("F")), T(QStringLiteral("Bar")),
            T(QStringLiteral("UN")), CellValue::number(i * 0.5), CellValue::number(0));
    ASSERT_TRUE(save([&](QString* e) { return writer.GravarFicheiroDasLeituras(e); })) << lastError.toStdString();
    tables.setNLeituras(3);
    ASSERT_TRUE(save([&](QString* e) { return writer.GravarFicheiroDasLeituras(e); })) << lastError.toStdString();
    const QString seen = readWithXlrd(path, QStringLiteral("Inventario"));
    EXPECT_TRUE(seen.contains(QStringLiteral("'1'|'Bar'|'F'|'0,5'|'UN'|0.0")) || seen.contains(QStringLiteral("'0,5'")))
        << seen.toStdString();
    EXPECT_FALSE(seen.contains(QStringLiteral("'4'"))) << seen.toStdString();
    EXPECT_EQ(reload().NLeituras(), 3);
    data1.setRecordSource(QStringLiteral("Inventario$"));
    QString error;
    ASSERT_TRUE(data1.Refresh(&error));
    data1.MoveLast();
    EXPECT_EQ(data1.RecordCount(), 5); // the blanked rows stay in the sheet

    tables.setNLeituras(5);
    ASSERT_TRUE(save([&](QString* e) { return writer.GravarFicheiroDasLeituras(e); }));
    EXPECT_EQ(reload().NLeituras(), 5);
}

TEST_F(Store, CorrectionsAreReplacedByTrimmedCodeOrAppended)
{
    const auto add = [&](const QString& code, const QString& desc) {
        return save([&](QString* e) {
            return writer.AdicionaArtigosExcepcao(T(code), T(QStringLiteral("F1")), T(desc), CellValue::number(9),
                T(QStringLiteral("CX")), T(QStringLiteral("UN")), T(QStringLiteral("12")),
                T(QStringLiteral("Mercearia")), e);
        });
    };
    ASSERT_TRUE(add(QStringLiteral(" 77 "), QStringLiteral("Primeira"))) << lastError.toStdString();
    ASSERT_TRUE(add(QStringLiteral("77"), QStringLiteral("Segunda")));
    ASSERT_TRUE(add(QStringLiteral("78"), QStringLiteral("Outra")));
    const QString seen = readWithXlrd(path, QStringLiteral("Correccoes"));
    EXPECT_TRUE(seen.contains(QStringLiteral("'77'|'Segunda'|'F1'|'Mercearia'|''|'CX'|'UN'|'12'")))
        << seen.toStdString();
    EXPECT_FALSE(seen.contains(QStringLiteral("Primeira")));
    EXPECT_TRUE(seen.contains(QStringLiteral("'78'|'Outra'")));
}

TEST_F(Store, ArticlesWithoutBarcodeListReusesRowsAndBlanksTheRest)
{
    for (int i = 1; i <= 10; ++i)
        addArticle(QString::number(i), QStringLiteral("Artigo %1").arg(i));
    ASSERT_TRUE(save([&](QString* e) {
        writer.GravarArtigosSemCodBarras();
        Q_UNUSED(e);
        return true;
    }));
    for (int i = 1; i <= 6; ++i)
        tables.AdicionaCodigosBarras(
            T(QStringLiteral(" %1 ").arg(i)), T(QStringLiteral("UN")), T(QStringLiteral("560%1").arg(i)));
    ASSERT_TRUE(save([&](QString*) {
        writer.GravarArtigosSemCodBarras();
        return true;
    }));
    const QString seen = readWithXlrd(path, QStringLiteral("ArtigosSemCodBarras"));
    EXPECT_TRUE(seen.startsWith(
        QStringLiteral("'CODARTIGO'|'DESCARTIGO'\n'7'|'Artigo 7'\n'8'|'Artigo 8'\n'9'|'Artigo 9'\n'10'|'Artigo 10'\n")))
        << seen.toStdString();
    EXPECT_FALSE(seen.contains(QStringLiteral("Artigo 1'")));
}

TEST_F(Store, AFailedCommandLeavesFileAndTablesAsTheyWere)
{
    addArticle(QStringLiteral("1"), QStringLiteral("Um"));
    ASSERT_TRUE(save([&](QString* e) { return writer.GravarArtigos(e); }));
    const QByteArray before = fileHash(path);
    addArticle(QStringLiteral("2"), QStringLiteral("Dois"));
    EXPECT_FALSE(save([&](QString* e) {
        writer.GravarArtigos(e);
        *e = QStringLiteral("falha a meio");
        return false;
    }));
    EXPECT_EQ(lastError, QStringLiteral("falha a meio"));
    EXPECT_EQ(fileHash(path), before);
    // The tables are restored by the caller's snapshot only for what the command itself changed.
    QFile lock(profile.path(QStringLiteral(".~lock.inv.xls#")));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    EXPECT_FALSE(save([&](QString* e) {
        addArticle(QStringLiteral("3"), QStringLiteral("Três"));
        return writer.GravarArtigos(e);
    }));
    EXPECT_TRUE(lastError.contains(QStringLiteral("aberto noutro programa"))) << lastError.toStdString();
    EXPECT_EQ(tables.NArtigos(), 2);
    EXPECT_EQ(fileHash(path), before);
}

TEST_F(Store, KeepsWorkDoneMeanwhileOnOtherSheets)
{
    addArticle(QStringLiteral("1"), QStringLiteral("Um"));
    ASSERT_TRUE(save([&](QString* e) { return writer.GravarArtigos(e); }));
    // Someone else adds a correction to the file while the program holds it.
    {
        DataControl other;
        other.setDatabaseName(path);
        InventoryTables none(ui, clock);
        InventoryWriter otherWriter(other, none, ui);
        QString error;
        ASSERT_TRUE(otherWriter.AdicionaArtigosExcepcao(T(QStringLiteral("55")), T(QStringLiteral("F")),
            T(QStringLiteral("De fora")), CellValue(), CellValue(), CellValue(), CellValue(), CellValue(), &error))
            << error.toStdString();
        ASSERT_TRUE(other.commit(&error)) << error.toStdString();
    }
    addArticle(QStringLiteral("2"), QStringLiteral("Dois"));
    ASSERT_TRUE(save([&](QString* e) { return writer.GravarArtigos(e); })) << lastError.toStdString();
    EXPECT_TRUE(readWithXlrd(path, QStringLiteral("Correccoes")).contains(QStringLiteral("De fora")));
    EXPECT_EQ(reload().NArtigos(), 2);
}

TEST_F(Store, RefusesASaveThatDoesNotFitTheSheet)
{
    for (int i = 1; i <= 66000; ++i)
        tables.AdicionaLeitura(T(QString::number(i % 99999 + 1)), T(QString::number(i)), T(QStringLiteral("C")),
            T(QStringLiteral("UN")), CellValue::number(1), CellValue::number(0));
    const QByteArray before = fileHash(path);
    EXPECT_FALSE(save([&](QString* e) { return writer.GravarFicheiroDasLeituras(e); }));
    EXPECT_TRUE(lastError.contains(QStringLiteral("Inventario"))) << lastError.toStdString();
    EXPECT_TRUE(lastError.contains(QStringLiteral("65536")));
    EXPECT_EQ(fileHash(path), before);
}

TEST_F(Store, LoadersReportTheSheetAndTheCause)
{
    InventoryLoader loader(data1, tables, ui);
    QString first, second;
    EXPECT_FALSE(loader.loadAll(&first, &second));
    EXPECT_EQ(first, QStringLiteral("Erro a ler o ficheiro ") + path);
    EXPECT_TRUE(second.startsWith(QStringLiteral("Erro em 'Contabilistica' A folha"))) << second.toStdString();

    DataControl missing;
    missing.setDatabaseName(profile.path(QStringLiteral("nada.xls")));
    InventoryLoader none(missing, tables, ui);
    EXPECT_FALSE(none.loadAll(&first, &second));
    EXPECT_TRUE(second.contains(QStringLiteral("não existe"))) << second.toStdString();
}

TEST(XlsReaderBadInput, SaysWhatTheFileIs)
{
    TestProfile profile;
    XlsWorkbook book;
    QString error;
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(profile.path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    EXPECT_FALSE(XlsReader::read(write(QStringLiteral("a.xls"), "CodArtigo;Desc\n1;Arroz\n"), &book, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("não é um livro do Excel"))) << error.toStdString();
    EXPECT_FALSE(XlsReader::read(
        write(QStringLiteral("b.xlsx"), QByteArray("PK\x03\x04", 4) + QByteArray(600, 'x')), &book, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("97-2003"))) << error.toStdString();
    EXPECT_FALSE(
        XlsReader::read(write(QStringLiteral("c.xls"), QByteArray::fromHex("0902060000001000")), &book, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("anterior ao Excel 5.0"))) << error.toStdString();

    ASSERT_TRUE(InventoryWorkbook::create(profile.path(QStringLiteral("ok.xls")), &error));
    QFile ok(profile.path(QStringLiteral("ok.xls")));
    ASSERT_TRUE(ok.open(QIODevice::ReadOnly));
    const QByteArray good = ok.readAll();
    for (qsizetype cut : { qsizetype(100), good.size() / 2, good.size() - 1 }) {
        EXPECT_FALSE(XlsReader::readBytes(good.left(cut), QStringLiteral("cortado.xls"), &book, &error));
        EXPECT_TRUE(error.contains(QStringLiteral("cortado.xls"))) << error.toStdString();
    }
}

namespace {

// Runs a raw import's four saves on a copy of a fixture after changing the tables a little.
QString saveAllSheetsOnCopy(const QString& fixture, const QString& copy, QString* error)
{
    QFile::copy(QStringLiteral(TARVIK_FIXTURES "/data/") + fixture, copy);
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    ScriptedInteraction ui;
    Clock clock;
    InventoryTables tables(ui, clock);
    DataControl data1;
    data1.setDatabaseName(copy);
    InventoryLoader loader(data1, tables, ui);
    QString first, second;
    if (!loader.loadAll(&first, &second))
        return first + u' ' + second;
    tables.AdicionaArtigo(T(QStringLiteral("9999")), T(QStringLiteral("61")), CellValue::date(46000),
        T(QStringLiteral("Artigo novo")), CellValue::number(1), T(QStringLiteral("UN")), T(QStringLiteral("UN")),
        CellValue::number(1), T(QStringLiteral("Bebidas")), CellValue::date(46001), CellValue::number(0), 0, 5);
    tables.AdicionaLeitura(T(QStringLiteral("9999")), T(QStringLiteral("61")), T(QStringLiteral("Bar")),
        T(QStringLiteral("UN")), CellValue::number(2.5), CellValue::number(0));
    InventoryWriter writer(data1, tables, ui);
    DataCommand command(tables, data1);
    command.run([&](QString* e) { return writer.saveAfterRawImport(e); }, error);
    return QString();
}

QString runPython(const QStringList& arguments)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), arguments);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

} // namespace

TEST(LosslessSave, KeepsFormatsFormulasAndOtherSheets)
{
    TestProfile profile;
    const QString copy = profile.path(QStringLiteral("lossless.xls"));
    QString error;
    ASSERT_EQ(saveAllSheetsOnCopy(QStringLiteral("lossless-lo.xls"), copy, &error), QString());
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const QString report = runPython({ QStringLiteral(TARVIK_FIXTURES "/../workbook/compare_formatting.py"),
        QStringLiteral(TARVIK_FIXTURES "/data/lossless-lo.xls"), copy });
    EXPECT_TRUE(report.contains(QStringLiteral("compared"))) << report.toStdString();
    EXPECT_FALSE(report.contains(QStringLiteral("DIFF"))) << report.toStdString();
}

// A save killed at any moment leaves the old workbook or the new one, whole.
TEST(CrashDuringSave, LeavesTheOldOrTheNewWorkbook)
{
    TestProfile profile;
    const QString path = profile.path(QStringLiteral("inv.xls"));
    {
        ScriptedInteraction ui;
        Clock clock;
        InventoryTables tables(ui, clock);
        QString error;
        ASSERT_TRUE(InventoryWorkbook::create(path, &error));
        DataControl data1;
        data1.setDatabaseName(path);
        for (int i = 1; i <= 1500; ++i) {
            tables.AdicionaArtigo(CellValue::text(QString::number(i)), T(QStringLiteral("61")), CellValue::date(46000),
                T(QStringLiteral("Artigo número %1 com descrição").arg(i)), CellValue::number(1),
                T(QStringLiteral("CX")), T(QStringLiteral("UN")), CellValue::number(6), T(QStringLiteral("Mercearia")),
                CellValue::date(46001), CellValue::number(i), 0, 3);
            tables.AdicionaCodigosBarras(CellValue::text(QString::number(i)), T(QStringLiteral("UN")),
                CellValue::text(QStringLiteral("560%1").arg(i)));
        }
        InventoryWriter writer(data1, tables, ui);
        DataCommand command(tables, data1);
        ASSERT_TRUE(
            command.run([&](QString* e) { return writer.GravarArtigos(e) && writer.GravarCodigosBarras(e); }, &error));
    }
    const QString original = profile.path(QStringLiteral("original.xls"));
    ASSERT_TRUE(QFile::copy(path, original));
    const QByteArray oldHash = fileHash(path);

    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(QProcess::execute(QStringLiteral(TARVIK_SAVE_CHILD), { path }), 0);
    const qint64 saveMs = std::max<qint64>(timer.elapsed(), 5);
    const QByteArray newHash = fileHash(path);
    ASSERT_NE(newHash, oldHash);

    std::srand(11);
    int old = 0, whole = 0;
    for (int run = 0; run < 20; ++run) {
        QFile::remove(path);
        QFile::copy(original, path);
        QProcess child;
        child.start(QStringLiteral(TARVIK_SAVE_CHILD), { path });
        ASSERT_TRUE(child.waitForStarted());
        // The first run is killed at once, the last one not before the save is done.
        QThread::msleep(run == 0 ? 0 : run == 19 ? 2 * saveMs : std::rand() % saveMs);
        child.kill();
        child.waitForFinished();
        const QByteArray now = fileHash(path);
        ASSERT_TRUE(now == oldHash || now == newHash) << "run " << run;
        (now == oldHash ? old : whole)++;
        XlsWorkbook book;
        QString error;
        ASSERT_TRUE(XlsReader::read(path, &book, &error)) << error.toStdString();
    }
    EXPECT_GT(old, 0);
    EXPECT_GT(whole, 0);

    // The next save removes what the killed ones left of this workbook, and nothing else.
    const QDir folder(profile.home());
    const QStringList hidden { QStringLiteral(".inv.xls.tarvik-*") };
    for (const char* name : { ".inv.xls.tarvik-AbC123", ".outro.xls.tarvik-AbC123", ".inv.xls.tarvik-notas.txt" }) {
        QFile planted(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
        planted.write("x");
        planted.close();
    }
    ASSERT_GE(folder.entryList(hidden, QDir::Files | QDir::Hidden).size(), 2);
    ASSERT_EQ(QProcess::execute(QStringLiteral(TARVIK_SAVE_CHILD), { path }), 0);
    EXPECT_EQ(folder.entryList(hidden, QDir::Files | QDir::Hidden),
        QStringList { QStringLiteral(".inv.xls.tarvik-notas.txt") });
    EXPECT_TRUE(folder.exists(QStringLiteral(".outro.xls.tarvik-AbC123")));
}
