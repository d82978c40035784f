#include "platform/Clock.h"
#include "support/CellValues.h"
#include "support/LoadedSite.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"
#include "tables/DataCommand.h"
#include "tables/InventoryLoader.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWorkbook.h"
#include "tables/InventoryWriter.h"
#include "values/NumberFormats.h"
#include "workbook/DataControl.h"
#include "workbook/Workbook.h"
#include "workbook/WorkbookPreread.h"
#include "workbook/xls/BiffRecords.h"
#include "workbook/xls/XlsReader.h"
#include "workbook/xls/XlsWorkbook.h"
#include "workbook/xls/XlsWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

void touch(const QString& path)
{
    EXPECT_TRUE(QFile(path).open(QIODevice::WriteOnly)) << path.toStdString();
}

// Adds count rows to a sheet through a data control, row(i) giving the cells of the i-th from the first column.
void addRows(DataControl& data, const QString& sheet, int count, const std::function<QStringList(int)>& row)
{
    QString error;
    data.setRecordSource(sheet);
    ASSERT_TRUE(data.Refresh(&error)) << error.toStdString();
    for (int i = 1; i <= count; ++i) {
        ASSERT_TRUE(data.AddNew(&error)) << error.toStdString();
        const QStringList cells = row(i);
        for (int col = 0; col < cells.size(); ++col)
            data.setField(col, T(cells[col]));
        ASSERT_TRUE(data.Update(&error)) << error.toStdString();
    }
}

// Runs one of the other programs (xlrd, Gnumeric) and gives its output; one missing or failing fails the test.
QString runProgram(const QString& program, const QStringList& arguments)
{
    QProcess p;
    // Numbers and texts come out the same whatever the machine's locale.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    environment.insert(u"PYTHONIOENCODING"_s, u"utf-8"_s);
    p.setProcessEnvironment(environment);
    p.start(program, arguments);
    const bool finished = p.waitForStarted(30000) && p.waitForFinished(60000);
    if (finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return QString::fromUtf8(p.readAllStandardOutput());
    p.kill();
    ADD_FAILURE() << program.toStdString() << ' ' << arguments.join(u' ').toStdString() << ": "
                  << (finished ? "exit code " + std::to_string(p.exitCode()) : p.errorString().toStdString()) << '\n'
                  << p.readAllStandardError().toStdString()
                  << "tools/install-deps installs it (python3-xlrd, gnumeric).";
    return u"(no output)"_s;
}

// What xlrd sees in a sheet (read_with_xlrd.py): a line a row, cells joined by "|", dates as D2024-03-15; or
// openpyxl in an .xlsx, shown the same way. Without a sheet: the BIFF version, the date system and the sheet names.
QString readWith(const QString& path, const QString& sheet = QString(), const QString& reader = u"xlrd"_s)
{
    const QString script = QStringLiteral(TARVIK_FIXTURES "/../workbook/read_with_%1.py").arg(reader);
    return runProgram(QStringLiteral(TARVIK_PYTHON3),
        sheet.isEmpty() ? QStringList { script, path } : QStringList { script, path, sheet });
}

// What Gnumeric shows in a sheet: a line a row, the cells as their formats display them, joined by "|".
QString readWithGnumeric(const QString& path, const QString& sheet)
{
    return runProgram(QStringLiteral(TARVIK_SSCONVERT),
        { u"-T"_s, u"Gnumeric_stf:stf_assistant"_s, u"-O"_s,
            u"sheet=%1 separator=| quoting-mode=never format=preserve"_s.arg(sheet), path, u"fd://1"_s });
}

QString fixture(const QString& name)
{
    return QStringLiteral(TARVIK_FIXTURES "/data/") + name;
}

bool copyFixture(const QString& name, const QString& copy)
{
    return QFile::copy(fixture(name), copy) && QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
}

// A raw import's four saves on a copy of a fixture, the tables changed a little; empty, or why they failed.
QString saveAllSheetsOnCopy(const QString& fixture, const QString& copy)
{
    if (!copyFixture(fixture, copy))
        return u"cannot copy "_s + fixture;
    LoadedSite site(copy);
    QString why;
    if (!site.load(&why))
        return why;
    site.tables.AdicionaArtigo(T(u"9999"_s), T(u"61"_s), CellValue::date(46000), T(u"Grão novo €"_s), N(1), T(u"UN"_s),
        T(u"UN"_s), N(1), T(u"Bebidas"_s), CellValue::date(46001), N(0), 0, 5);
    site.tables.AdicionaLeitura(T(u"9999"_s), T(u"61"_s), T(u"Bar"_s), T(u"UN"_s), N(2.5), N(0));
    return site.saveAfterRawImport(&why) ? QString() : why;
}

class Store : public ::testing::Test
{
protected:
    virtual QString extension() const { return u".xls"_s; }

    void SetUp() override
    {
        path = profile.path(u"inv"_s + extension());
        QString error;
        ASSERT_TRUE(InventoryWorkbook::create(path, &error)) << error.toStdString();
        data1.setDatabaseName(path);
    }

    void addArticle(const QString& code, const QString& desc)
    {
        tables.AdicionaArtigo(T(code), T(u"F1"_s), CellValue::date(46000), T(desc), N(2.5), T(u"CX"_s), T(u"UN"_s),
            N(12), T(u"Mercearia"_s), CellValue::date(46001.5), N(3), 0, 3);
    }

    void addReading(const QString& code, const QString& family, double quantity)
    {
        tables.AdicionaLeitura(T(code), T(family), T(u"Bar"_s), T(u"UN"_s), N(quantity), N(0));
    }

    bool save(const std::function<bool(QString*)>& work) { return DataCommand(tables, data1).run(work, &lastError); }

    bool saveWith(bool (InventoryWriter::*write)(QString*))
    {
        return save([&](QString* e) { return (writer.*write)(e); });
    }

    // The article is added inside the command, so a refused save takes it out of the tables again.
    bool addAndSaveArticle(const QString& code, const QString& desc)
    {
        return save([&](QString* e) {
            addArticle(code, desc);
            return writer.GravarArtigos(e);
        });
    }

    // Loads one sheet of the file back as start-up does; it must load.
    InventoryTables reload(bool (InventoryLoader::*load)(QString*))
    {
        DataControl fresh;
        fresh.setDatabaseName(path);
        InventoryTables loaded(ui, clock);
        QString error;
        EXPECT_TRUE((InventoryLoader(fresh, loaded, ui).*load)(&error)) << error.toStdString();
        return loaded;
    }

    // A sheet as an independent reader of the workbook's format sees it.
    QString readBack(const QString& sheet) const
    {
        return readWith(path, sheet, extension() == u".xls" ? u"xlrd"_s : u"openpyxl"_s);
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

// The same store over an .xls and over an .xlsx.
class EitherFormat : public Store, public ::testing::WithParamInterface<const char*>
{
protected:
    QString extension() const override { return QString::fromLatin1(GetParam()); }
};

class XlsxStore : public Store
{
protected:
    QString extension() const override { return u".xlsx"_s; }
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Formats, EitherFormat, ::testing::Values(".xls", ".xlsx"),
    [](const auto& info) { return std::string(info.param + 1); });

// Another program adds a correction between two saves of the articles: it stays beside them. A correction
// replaces the one of the same trimmed code, or is appended.
TEST_P(EitherFormat, SavedArticlesAndCorrectionsLoadBackBesideWorkDoneMeanwhile)
{
    const auto correction = [&](InventoryWriter& by, const QString& code, const QString& desc, QString* e) {
        return by.AdicionaArtigosExcepcao(
            T(code), T(u"F1"_s), T(desc), N(9), T(u"CX"_s), T(u"UN"_s), T(u"12"_s), T(u"Mercearia"_s), e);
    };
    addArticle(u"1001"_s, u"Açúcar branco €"_s);
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarArtigos)) << lastError.toStdString();
    {
        DataControl other;
        other.setDatabaseName(path);
        InventoryWriter otherWriter(other, tables, ui);
        QString error;
        ASSERT_TRUE(correction(otherWriter, u"55"_s, u"De fora"_s, &error) && other.commit(&error))
            << error.toStdString();
    }
    addArticle(u"1002"_s, u"Café"_s);
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarArtigos)) << lastError.toStdString();
    const std::pair<QString, QString> corrections[]
        = { { u" 77 "_s, u"Primeira"_s }, { u"77"_s, u"Segunda"_s }, { u"78"_s, u"Outra"_s } };
    for (const auto& c : corrections)
        ASSERT_TRUE(save([&](QString* e) { return correction(writer, c.first, c.second, e); }))
            << lastError.toStdString();

    const InventoryTables loaded = reload(&InventoryLoader::LerFicheiroArtigos);
    ASSERT_EQ(loaded.NArtigos(), 2);
    EXPECT_EQ(loaded.artigo(1).DescArtigo, u"Açúcar branco €"_s);
    const Artigo& cafe = loaded.artigo(2);
    EXPECT_EQ(std::tuple(cafe.DataUltimaImportacao, cafe.ConversaoCompraStock, cafe.Posicao, cafe.Origem),
        std::tuple(46001.5, 12.0, 3, 3));
    const QString seen = readBack(u"Artigos"_s);
    EXPECT_TRUE(seen.contains(
        u"'1001'|'F1'|D2025-12-09|'Açúcar branco €'|2.5|'CX'|'UN'|12.0|'Mercearia'|D2025-12-10 12:00:00|3.0\n"_s))
        << seen.toStdString();
    EXPECT_EQ(readBack(u"Correccoes"_s).toStdString(),
        "'CodArtigo'|'DescArtigo'|'FamiliaContabilistica'|'DescFamiliaContabilistica'|'PrecoCompraUnitario'|"
        "'UnidadeDeCompra'|'UnidadeDeStock'|'ConversaoCompraStock'\n"
        "'55'|'De fora'|'F1'|'Mercearia'|''|'CX'|'UN'|'12'\n'77'|'Segunda'|'F1'|'Mercearia'|''|'CX'|'UN'|'12'\n"
        "'78'|'Outra'|'F1'|'Mercearia'|''|'CX'|'UN'|'12'\n");
}

// The readings and the list of articles without a barcode are rewritten over the rows they had.
TEST_P(EitherFormat, RewritesInPlaceAndBlanksSurplusRows)
{
    for (int i = 1; i <= 5; ++i)
        addReading(QString::number(i), u"F"_s, i * 0.5);
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarFicheiroDasLeituras)) << lastError.toStdString();
    tables.setNLeituras(3);
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarFicheiroDasLeituras)) << lastError.toStdString();
    EXPECT_EQ(readBack(u"Inventario"_s).toStdString(),
        "'CodArtigo'|'FamiliaContabilistica'|'CentroCusto'|'Unidade'|'QtEmUnidadeInventario'|"
        "'LeituraDuvidosa'\n"
        "'1'|'F'|'Bar'|'UN'|'0,5'|0.0\n'2'|'F'|'Bar'|'UN'|'1'|0.0\n'3'|'F'|'Bar'|'UN'|'1,5'|0.0\n");
    EXPECT_EQ(reload(&InventoryLoader::LerFicheiroDasLeituras).NLeituras(), 3);
    data1.setRecordSource(u"Inventario$"_s);
    QString error;
    ASSERT_TRUE(data1.Refresh(&error));
    data1.MoveLast();
    EXPECT_EQ(data1.RecordCount(), 5); // the blanked rows stay in the sheet

    const auto saveList = [&] { return save([&](QString*) { return writer.GravarArtigosSemCodBarras(), true; }); };
    for (int i = 1; i <= 10; ++i)
        addArticle(QString::number(i), u"Artigo %1"_s.arg(i));
    ASSERT_TRUE(saveList());
    for (int i = 1; i <= 6; ++i)
        tables.AdicionaCodigosBarras(T(u" %1 "_s.arg(i)), T(u"UN"_s), T(u"560%1"_s.arg(i)));
    ASSERT_TRUE(saveList());
    EXPECT_EQ(readBack(u"ArtigosSemCodBarras"_s).toStdString(),
        "'CODARTIGO'|'DESCARTIGO'\n'7'|'Artigo 7'\n'8'|'Artigo 8'\n'9'|'Artigo 9'\n'10'|'Artigo 10'\n");
}

// The workbook read ahead while the program starts serves the first read of that file, once; a file changed
// since is read again, never taken stale.
TEST_F(Store, AWorkbookReadAheadServesOnlyTheFileAsItStillIs)
{
    addArticle(u"1001"_s, u"Arroz"_s);
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarArtigos)) << lastError.toStdString();
    WorkbookPreread::start(path);
    Workbook book;
    ASSERT_TRUE(WorkbookPreread::take(path, &book));
    ASSERT_TRUE(book.worksheet(u"Artigos"_s));
    EXPECT_FALSE(WorkbookPreread::take(path, &book));

    WorkbookPreread::start(path);
    addArticle(u"1002"_s, u"Café"_s);
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarArtigos)) << lastError.toStdString();
    // Another second, as a file saved later has, whatever the clock's resolution.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite)
        && file.setFileTime(QFileInfo(path).lastModified().addSecs(2), QFileDevice::FileModificationTime));
    EXPECT_EQ(reload(&InventoryLoader::LerFicheiroArtigos).NArtigos(), 2);
}

// A command whose work fails, or whose save another program's lock refuses, changes neither the file nor the
// tables. LibreOffice's lock is ".~lock." and the name and "#"; Excel's "~$" and the name, for a longer name
// with "~$" in place of its first two characters.
TEST_P(EitherFormat, AFailedOrRefusedCommandLeavesFileAndTablesAsTheyWere)
{
    addArticle(u"1"_s, u"Um"_s);
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarArtigos));
    const QByteArray saved = fileBytes(path);
    addArticle(u"2"_s, u"Dois"_s);
    EXPECT_FALSE(save([&](QString* e) {
        writer.GravarArtigos(e);
        *e = u"falha a meio"_s;
        return false;
    }));
    EXPECT_EQ(lastError, u"falha a meio"_s);
    EXPECT_EQ(fileBytes(path), saved);
    EXPECT_EQ(tables.NArtigos(), 2); // added before the command, so not the command's to take back

    const QString ext = extension();
    // Locks of another workbook in the same folder do not hold this one.
    touch(profile.path(u"~$outro"_s + ext));
    touch(profile.path(u".~lock.outro%1#"_s.arg(ext)));
    const std::pair<const char*, const char*> cases[]
        = { { "inv", ".~lock.inv%1#" }, { "inv", "~$inv%1" }, { "InventariosQel", "~$ventariosQel%1" } };
    for (const auto& [name, lockName] : cases) {
        SCOPED_TRACE(lockName);
        path = profile.path(QString::fromLatin1(name) + ext);
        QString error;
        ASSERT_TRUE(QFile::exists(path) || InventoryWorkbook::create(path, &error)) << error.toStdString();
        data1.setDatabaseName(path);
        const QByteArray before = fileBytes(path);
        const int articles = tables.NArtigos();
        const QString code = QString::number(articles + 1);

        const QString lock = profile.path(QString::fromLatin1(lockName).arg(ext));
        touch(lock);
        EXPECT_FALSE(addAndSaveArticle(code, code));
        EXPECT_TRUE(lastError.contains(u"aberto noutro programa"_s) && lastError.contains(path)
            && lastError.contains(u"nada foi gravado"_s) && lastError.contains(u"apague o ficheiro "_s + lock))
            << lastError.toStdString();
        EXPECT_EQ(tables.NArtigos(), articles);
        EXPECT_EQ(fileBytes(path), before);

        // Once the other program has let go, the same command goes through.
        ASSERT_TRUE(QFile::remove(lock));
        EXPECT_TRUE(addAndSaveArticle(code, code)) << lastError.toStdString();
        EXPECT_EQ(reload(&InventoryLoader::LerFicheiroArtigos).NArtigos(), articles + 1);
    }
}

// Another program took away the sheet the data control stands on while it held a change to another: the save
// merges, and the sheet that is gone reads as empty rather than from the workbook that was replaced.
TEST_F(Store, ASheetTakenAwayMeanwhileReadsEmptyAfterTheMerge)
{
    DataControl before;
    before.setDatabaseName(path);
    addRows(before, u"Contabilistica$"_s, 1, [](int) { return QStringList { u"F1"_s }; });
    QString error;
    ASSERT_TRUE(before.commit(&error)) << error.toStdString();
    addRows(data1, u"Artigos$"_s, 1, [](int) { return QStringList { u"7"_s }; });
    data1.setRecordSource(u"Contabilistica$"_s);
    ASSERT_TRUE(data1.Refresh(&error) && data1.MoveFirst(&error)) << error.toStdString();
    ASSERT_EQ(data1.field(0).toText(), u"F1"_s);

    XlsWorkbook theirs;
    ASSERT_TRUE(XlsReader::read(path, &theirs, &error)) << error.toStdString();
    const auto gone = std::find_if(theirs.sheets.begin(), theirs.sheets.end(),
        [](const XlsSheet& sheet) { return sheet.name == u"Contabilistica"; });
    ASSERT_NE(gone, theirs.sheets.end());
    // Each sheet has its BOUNDSHEET record, in the same order.
    qsizetype boundSheets = gone - theirs.sheets.begin();
    const auto record = std::find_if(theirs.globals.begin(), theirs.globals.end(),
        [&](const BiffRecord& r) { return r.id == BiffId::BoundSheet && boundSheets-- == 0; });
    ASSERT_NE(record, theirs.globals.end());
    theirs.globals.erase(record);
    theirs.sheets.erase(gone);
    ASSERT_TRUE(XlsWriter::save(theirs, path, &error)) << error.toStdString();

    ASSERT_TRUE(data1.commit(&error)) << error.toStdString();
    EXPECT_TRUE(data1.field(0).isNull());
    EXPECT_TRUE(readWith(path, u"Artigos"_s).contains(u"\n'7'|"_s));
}

// A save merges only into a workbook whose cell formats still show what they showed. Another program keeps the
// formats' numbers but one now shows a plain number where it showed a date: merging our sheets in would turn every
// date they hold into a number. Gnumeric opening the workbook and saving it back renumbers the formats our changed
// sheets point at. Each save is refused, the other program's file stays as it left it, and the command run again
// works.
TEST_F(Store, RefusesToMergeWhenAnotherProgramChangedTheFormats)
{
    addArticle(u"1"_s, u"Um"_s);
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarArtigos)) << lastError.toStdString();
    XlsWorkbook dated;
    QString error;
    ASSERT_TRUE(XlsReader::read(path, &dated, &error)) << error.toStdString();
    int changed = 0;
    for (BiffRecord& record : dated.globals) {
        const int index = record.id == BiffId::Format ? quint8(record.data[0]) | quint8(record.data[1]) << 8 : -1;
        if (index >= 0 && NumberFormats::isDate(dated.formats.value(index))) {
            record.data = BiffRecords::format(true, quint16(index), u"0.00"_s);
            ++changed;
        }
    }
    ASSERT_GT(changed, 0);
    ASSERT_TRUE(XlsWriter::save(dated, path, &error)) << error.toStdString();
    const QByteArray theirFile = fileBytes(path);
    EXPECT_FALSE(addAndSaveArticle(u"2"_s, u"Dois"_s));
    EXPECT_EQ(fileBytes(path), theirFile);
    ASSERT_TRUE(addAndSaveArticle(u"2"_s, u"Dois"_s)) << lastError.toStdString();

    // Gnumeric adds a note beside the first article, in a column the program does not write.
    const std::vector<quint16> ourFormats = data1.workbook()->xls()->xfFormats;
    runProgram(QStringLiteral(TARVIK_SSCONVERT),
        { u"--set=L2=nota de fora"_s, u"-T"_s, u"Gnumeric_Excel:excel_biff8"_s, path, path });
    const QByteArray gnumericFile = fileBytes(path);
    XlsWorkbook theirs;
    ASSERT_TRUE(XlsReader::read(path, &theirs, &error)) << error.toStdString();
    ASSERT_NE(theirs.xfFormats, ourFormats);

    EXPECT_FALSE(addAndSaveArticle(u"3"_s, u"Tres"_s));
    EXPECT_TRUE(lastError.contains(path) && lastError.contains(u"alterado por outro programa"_s)
        && lastError.contains(u"Nada foi gravado"_s) && lastError.contains(u"volte a executar"_s))
        << lastError.toStdString();
    EXPECT_EQ(fileBytes(path), gnumericFile);
    EXPECT_EQ(tables.NArtigos(), 2);
    EXPECT_EQ(QDir(profile.home()).entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString(), "inv.xls");

    ASSERT_TRUE(addAndSaveArticle(u"3"_s, u"Tres"_s)) << lastError.toStdString();
    const QString seen = readWith(path, u"Artigos"_s);
    EXPECT_TRUE(seen.contains(u"'1'|'F1'|D2025-12-09|'Um'|"_s) && seen.contains(u"'nota de fora'\n"_s)
        && seen.contains(u"'3'|'F1'|D2025-12-09|'Tres'|"_s))
        << seen.toStdString();
}

// Another program changes the sheet the program writes while the program holds an .xlsx: its note in a column
// the program does not write and the row it added stay, beside what the program writes (an .xls sheet goes over
// whole, as its records hold its strings and formats).
TEST_F(XlsxStore, KeepsAnotherProgramsCellsInTheSheetWritten)
{
    addArticle(u"1"_s, u"Um"_s);
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarArtigos)) << lastError.toStdString();
    // The other program: a note in L2 and a row 40 in Artigos, written straight into the sheet's XML.
    runProgram(QStringLiteral(TARVIK_PYTHON3),
        { u"-c"_s, uR"(import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    parts = {i.filename: z.read(i.filename) for i in z.infolist()}
xml = parts['xl/worksheets/sheet1.xml'].decode()
end2 = xml.index('</row>', xml.index('<row r="2"'))
xml = xml[:end2] + '<c r="L2" t="inlineStr"><is><t>nota de fora</t></is></c>' + xml[end2:]
row40 = '<row r="40"><c r="A40" t="inlineStr"><is><t>linha de fora</t></is></c></row>'
parts['xl/worksheets/sheet1.xml'] = xml.replace('</sheetData>', row40 + '</sheetData>').encode()
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    for name, data in parts.items():
        z.writestr(name, data)
)"_s,
            path });
    ASSERT_TRUE(addAndSaveArticle(u"2"_s, u"Dois"_s)) << lastError.toStdString();
    const QString seen = readBack(u"Artigos"_s);
    EXPECT_TRUE(seen.contains(u"|'nota de fora'\n"_s) && seen.contains(u"\n'linha de fora'|"_s)
        && seen.contains(u"\n'2'|'F1'|D2025-12-09|'Dois'|"_s))
        << seen.toStdString();
}

TEST_F(Store, RefusesASaveThatDoesNotFitTheSheet)
{
    for (int i = 1; i <= 66000; ++i)
        addReading(QString::number(i % 99999 + 1), QString::number(i), 1);
    const QByteArray before = fileBytes(path);
    EXPECT_FALSE(saveWith(&InventoryWriter::GravarFicheiroDasLeituras));
    EXPECT_TRUE(lastError.contains(u"Inventario"_s) && lastError.contains(u"65536"_s)) << lastError.toStdString();
    EXPECT_EQ(fileBytes(path), before);
}

// A workbook that is not there says so. The barcodes load beside the readings; a sheet that fills their table
// still says so after the readings spoke.
TEST_P(EitherFormat, LoadersSpeakInTheirOrder)
{
    QString first, second;
    DataControl missing;
    missing.setDatabaseName(profile.path(u"nada.xls"_s));
    EXPECT_FALSE(InventoryLoader(missing, tables, ui).loadAll(&first, &second));
    EXPECT_TRUE(second.contains(u"não existe"_s)) << second.toStdString();

    const int barcodeRows = extension() == u".xlsx" ? InventoryTables::CapacidadeCodBarras + 1 : 3;
    addRows(data1, u"Contabilistica$"_s, 1, [](int) { return QStringList { u"F1"_s, u"Mercearia"_s, u"61"_s }; });
    addRows(data1, u"CodBarras$"_s, barcodeRows, [](int i) {
        return QStringList { QString::number(i), u"UN"_s, QString::number(5600000000000 + i) };
    });
    addArticle(u"1"_s, u"Arroz"_s);
    addReading(u"123456"_s, u"F1"_s, 2);
    addReading(u"1"_s, u"F1"_s, 2);
    ASSERT_TRUE(save([&](QString* e) { return writer.GravarArtigos(e) && writer.GravarFicheiroDasLeituras(e); }))
        << lastError.toStdString();

    LoadedSite site(path);
    ASSERT_TRUE(site.load(&second)) << second.toStdString();
    const InventoryTables& loaded = site.tables;
    EXPECT_EQ(loaded.NLeituras(), 2);
    EXPECT_EQ(loaded.leitura(2).QtEmUnidadeCompra, 2.0 / 12);
    EXPECT_EQ(loaded.NCodBarras(), std::min(barcodeRows, InventoryTables::CapacidadeCodBarras));
    EXPECT_EQ(loaded.codigoBarras(3).CodBarras.toText(), u"5600000000003"_s);
    QStringList expected { u"ERRO CODARTIGO>99999"_s };
    if (barcodeRows > InventoryTables::CapacidadeCodBarras)
        expected << u"A tabela de códigos de barras está cheia (99999 códigos). Os códigos que faltam "
                    u"não foram adicionados."_s;
    EXPECT_EQ(site.ui.messages.join(u'\n').toStdString(), expected.join(u'\n').toStdString());
}

TEST(LosslessSave, KeepsFormatsFormulasAndOtherSheets)
{
    TestProfile profile;
    const QString copy = profile.path(u"lossless.xls"_s);
    ASSERT_EQ(saveAllSheetsOnCopy(u"lossless-lo.xls"_s, copy).toStdString(), "");
    const QString report = runProgram(QStringLiteral(TARVIK_PYTHON3),
        { QStringLiteral(TARVIK_FIXTURES "/../workbook/compare_formatting.py"), fixture(u"lossless-lo.xls"_s), copy });
    EXPECT_TRUE(report.contains(u"compared"_s) && !report.contains(u"DIFF"_s)) << report.toStdString();
}

// Gnumeric's Excel 95 workbook saved by the program: xlrd and Gnumeric read it back as Excel 95, with the values
// written, and the sheets the program does not write as they were.
TEST(Biff5Save, OtherReadersSeeTheValuesWrittenAndTheOtherSheetsUnchanged)
{
    TestProfile profile;
    const QString original = fixture(u"inventory-gnumeric-biff5.xls"_s);
    const QString copy = profile.path(u"biff5.xls"_s);
    ASSERT_EQ(saveAllSheetsOnCopy(u"inventory-gnumeric-biff5.xls"_s, copy).toStdString(), "");

    EXPECT_EQ(readWith(copy).toStdString(),
        "biff 50 datemode 0 Artigos|CodBarras|Contabilistica|Inventario|Correccoes|ArtigosSemCodBarras\n");
    // The Windows-1252 texts (€ is 0x80), the dates and the 14:30 under a date-only format.
    const QString articles = readWith(copy, u"Artigos"_s);
    EXPECT_TRUE(articles.contains(u"3.0|'1001'|'Açúcar branco 1 kg'|'61'|'Mercearia e pão'|'CX'|"
                                  u"'UN'|10.0|8.5|D2024-03-04|D2024-03-15 14:30:00\n"_s))
        << articles.toStdString();
    EXPECT_TRUE(articles.contains(u"'9999'|'Grão novo €'|'61'|'Bebidas'|'UN'|'UN'|1.0|1.0|D2025-12-09|D2025-12-10\n"_s))
        << articles.toStdString();
    const QString readings = readWithGnumeric(copy, u"Inventario"_s);
    EXPECT_TRUE(readings.contains(u"9999|61|Bar|UN|2,5|0\n"_s)) << readings.toStdString();
    // This sheet grows past the three rows it had.
    EXPECT_EQ(readWithGnumeric(copy, u"ArtigosSemCodBarras"_s).toStdString(),
        "CODARTIGO|DESCARTIGO\n1003|Café em grão, torrefacção média\n1005|Pão de forma\n"
        "1006|Detergente loiça (promoção 2 €)\n1007|Feijão encarnado\n1008|Manteiga com sal, limões e ovos\n");

    for (const QString& sheet : { u"Contabilistica"_s, u"Correccoes"_s }) {
        EXPECT_EQ(readWith(copy, sheet).toStdString(), readWith(original, sheet).toStdString());
        EXPECT_EQ(readWithGnumeric(copy, sheet).toStdString(), readWithGnumeric(original, sheet).toStdString());
    }
}

// Dates written into a workbook of the 1904 date system read back as the same days in xlrd, which counts from
// its 1904-01-01, and in our own reader.
TEST(Date1904Save, WrittenDatesKeepTheirCalendarDay)
{
    TestProfile profile;
    const QString copy = profile.path(u"datas.xls"_s);
    ASSERT_TRUE(copyFixture(u"date1904-lo.xls"_s, copy));
    // Day numbers as the program keeps them, from 1899-12-30: 2024-03-15 at 14:30, 2000-02-29, 2100-03-01 06:15:30.
    // The first row changed and two added; day 0, the empty import date, is before the first day a 1904 workbook
    // holds.
    const double day = 45366;
    const std::pair<double, double> rows[]
        = { { day, day + 52200 / 86400.0 }, { 36585, 73110 + 22530 / 86400.0 }, { 0, day } };
    QString error;
    DataControl datas;
    datas.setDatabaseName(copy);
    datas.setRecordSource(u"Datas$"_s);
    ASSERT_TRUE(datas.Refresh(&error) && datas.MoveFirst(&error)) << error.toStdString();
    for (const auto& [date, dateTime] : rows) {
        ASSERT_TRUE((&date == &rows[0].first ? datas.Edit(&error) : datas.AddNew(&error))
            && datas.setField(u"Data"_s, CellValue::date(date), &error)
            && datas.setField(u"DataHora"_s, CellValue::date(dateTime), &error) && datas.Update(&error))
            << error.toStdString();
    }
    ASSERT_TRUE(datas.commit(&error)) << error.toStdString();
    EXPECT_EQ(readWith(copy, u"Datas"_s).toStdString(),
        "'Data'|'DataHora'\nD2024-03-15|D2024-03-15 14:30:00\nD2000-02-29|D2024-03-15 14:30:00\n"
        "D2024-03-15|D2024-12-31 23:59:59\nD2100-03-01|D2100-03-01 06:15:30\nD2000-02-29|D2100-03-01 06:15:30\n"
        "''|D2024-03-15\n");

    // A new name, the same file: the next Refresh reads what was written.
    datas.setDatabaseName(copy);
    ASSERT_TRUE(datas.Refresh(&error) && datas.MoveFirst(&error)) << error.toStdString();
    const auto row = [&] {
        QString shown;
        for (int column : { 0, 1 })
            shown += (datas.field(column).isDate() ? u"|D "_s : u"|"_s) + datas.field(column).toText();
        return shown;
    };
    EXPECT_EQ(row(), u"|D 15/03/2024|D 15/03/2024 14:30:00"_s);
    datas.MoveLast();
    EXPECT_EQ(row(), u"||D 15/03/2024"_s);
}

// A save killed at any moment leaves the old workbook or the new one, whole.
TEST_P(EitherFormat, CrashDuringSaveLeavesTheOldOrTheNewWorkbook)
{
    for (int i = 1; i <= 1500; ++i) {
        addArticle(QString::number(i), u"Artigo número %1 com descrição"_s.arg(i));
        tables.AdicionaCodigosBarras(T(QString::number(i)), T(u"UN"_s), T(u"560%1"_s.arg(i)));
    }
    ASSERT_TRUE(save([&](QString* e) { return writer.GravarArtigos(e) && writer.GravarCodigosBarras(e); }))
        << lastError.toStdString();
    const QString original = profile.path(u"original"_s + extension());
    ASSERT_TRUE(QFile::copy(path, original));
    const QByteArray oldFile = fileBytes(path);

    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(QProcess::execute(QStringLiteral(TARVIK_SAVE_CHILD), { path }), 0);
    const qint64 saveMs = std::max<qint64>(timer.elapsed(), 5);
    const QByteArray newFile = fileBytes(path);
    ASSERT_NE(newFile, oldFile);

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
        const QByteArray now = fileBytes(path);
        ASSERT_TRUE(now == oldFile || now == newFile) << "run " << run;
        (now == oldFile ? old : whole)++;
    }
    EXPECT_GT(old, 0);
    EXPECT_GT(whole, 0);
}

// An .xls cell given back the value and format it holds goes back as it was read, rich text runs and all; the
// same text written into another cell is plain there. A formula given back its last result becomes that value,
// as any other value written over it.
TEST(UnchangedCells, GoBackAsReadButAFormulaGivesWayToTheValueWritten)
{
    TestProfile profile;
    for (const char* name : { "richtext-lo.xls", "formulas-lo.xls" })
        ASSERT_TRUE(copyFixture(QString::fromLatin1(name), profile.path(QString::fromLatin1(name))));
    const auto open = [&](const QString& name, const QString& sheet, DataControl& data) {
        data.setDatabaseName(profile.path(name));
        data.setRecordSource(sheet);
        QString error;
        EXPECT_TRUE(data.Refresh(&error) && data.MoveFirst(&error)) << error.toStdString();
    };
    QString error;
    {
        // The first row's own text back, and into the second row.
        DataControl data;
        open(u"richtext-lo.xls"_s, u"Textos$"_s, data);
        const CellValue rich = data.field(0);
        for (int row = 0; row < 2; ++row, data.MoveNext())
            ASSERT_TRUE(data.Edit(&error) && data.setField(0, rich) && data.Update(&error)) << error.toStdString();
        ASSERT_TRUE(data.commit(&error)) << error.toStdString();
    }
    {
        DataControl data;
        open(u"formulas-lo.xls"_s, u"Formulas$"_s, data);
        ASSERT_TRUE(data.Edit(&error)) << error.toStdString();
        data.setField(0, N(4));
        data.setField(1, T(u"Total: 10"_s));
        data.setField(3, N(41));
        ASSERT_TRUE(data.Update(&error) && data.commit(&error)) << error.toStdString();
    }

    XlsWorkbook book;
    ASSERT_TRUE(XlsReader::read(profile.path(u"richtext-lo.xls"_s), &book, &error)) << error.toStdString();
    const auto& strings = *book.sheets[0].strings;
    EXPECT_EQ(std::count_if(strings.begin(), strings.end(),
                  [](const XlsString& s) { return s.text == u"Normal, negrito e azul"_s && !s.runs().isEmpty(); }),
        1);
    EXPECT_EQ(std::count_if(strings.begin(), strings.end(),
                  [](const XlsString& s) { return s.text == u"Normal, negrito e azul"_s && s.runs().isEmpty(); }),
        1);
    EXPECT_EQ(book.sheets[0].rows[2][0].storedText(), u"Normal, negrito e azul"_s);

    ASSERT_TRUE(XlsReader::read(profile.path(u"formulas-lo.xls"_s), &book, &error)) << error.toStdString();
    const XlsSheet::Cell* const row = book.sheets[0].rows[1].data();
    EXPECT_EQ(row[0].toText() + row[1].toText() + row[3].toText(), u"4Total: 1041"_s);
    EXPECT_FALSE(row[0].formula || row[1].formula || row[3].formula);
    EXPECT_TRUE(row[2].formula); // not given
}
