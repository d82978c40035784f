#include "platform/Clock.h"
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

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

namespace {

CellValue T(const QString& text)
{
    return CellValue::text(text);
}

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

void touch(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
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
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("PYTHONIOENCODING"), QStringLiteral("utf-8"));
    p.setProcessEnvironment(environment);
    p.start(program, arguments);
    const bool finished = p.waitForStarted(30000) && p.waitForFinished(60000);
    if (!finished)
        p.kill();
    if (!finished || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << ' ' << arguments.join(u' ').toStdString()
                      << (finished ? " ended with exit code " + std::to_string(p.exitCode())
                                   : " did not run: " + p.errorString().toStdString())
                      << "\n"
                      << p.readAllStandardError().toStdString()
                      << "tools/install-deps installs them (Debian packages python3-xlrd and gnumeric).";
        return QStringLiteral("(no output)");
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

// What openpyxl sees in a sheet of an .xlsx, shown as readWithXlrd shows an .xls.
QString readWithOpenpyxl(const QString& path, const QString& sheet)
{
    return runProgram(QStringLiteral(TARVIK_PYTHON3),
        { QStringLiteral(TARVIK_FIXTURES "/../workbook/read_with_openpyxl.py"), path, sheet });
}

// What xlrd sees in a sheet (read_with_xlrd.py): a line a row, cells joined by "|", dates as D2024-03-15.
// Without a sheet: the BIFF version, the date system and the sheet names.
QString readWithXlrd(const QString& path, const QString& sheet = QString())
{
    QStringList arguments { QStringLiteral(TARVIK_FIXTURES "/../workbook/read_with_xlrd.py"), path };
    if (!sheet.isEmpty())
        arguments << sheet;
    return runProgram(QStringLiteral(TARVIK_PYTHON3), arguments);
}

// What Gnumeric shows in a sheet: a line a row, the cells as their formats display them, joined by "|".
QString readWithGnumeric(const QString& path, const QString& sheet)
{
    return runProgram(QStringLiteral(TARVIK_SSCONVERT),
        { QStringLiteral("-T"), QStringLiteral("Gnumeric_stf:stf_assistant"), QStringLiteral("-O"),
            QStringLiteral("sheet=%1 separator=| quoting-mode=never format=preserve").arg(sheet), path,
            QStringLiteral("fd://1") });
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
        return QStringLiteral("cannot copy ") + fixture;
    LoadedSite site(copy);
    QString why;
    if (!site.load(&why))
        return why;
    InventoryTables& tables = site.tables;
    tables.AdicionaArtigo(T(QStringLiteral("9999")), T(QStringLiteral("61")), CellValue::date(46000),
        T(QStringLiteral("Grão novo €")), CellValue::number(1), T(QStringLiteral("UN")), T(QStringLiteral("UN")),
        CellValue::number(1), T(QStringLiteral("Bebidas")), CellValue::date(46001), CellValue::number(0), 0, 5);
    tables.AdicionaLeitura(T(QStringLiteral("9999")), T(QStringLiteral("61")), T(QStringLiteral("Bar")),
        T(QStringLiteral("UN")), CellValue::number(2.5), CellValue::number(0));
    return site.saveAfterRawImport(&why) ? QString() : why;
}

class Store : public ::testing::Test
{
protected:
    virtual QString extension() const { return QStringLiteral(".xls"); }

    void SetUp() override
    {
        path = profile.path(QStringLiteral("inv") + extension());
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

    void addReading(const QString& code, const QString& family, double quantity)
    {
        tables.AdicionaLeitura(T(code), T(family), T(QStringLiteral("Bar")), T(QStringLiteral("UN")),
            CellValue::number(quantity), CellValue::number(0));
    }

    bool save(const std::function<bool(QString*)>& work)
    {
        DataCommand command(tables, data1);
        QString error;
        const bool ok = command.run(work, &error);
        lastError = error;
        return ok;
    }

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
        InventoryLoader loader(fresh, loaded, ui);
        QString error;
        EXPECT_TRUE((loader.*load)(&error)) << error.toStdString();
        return loaded;
    }

    // A sheet as an independent reader of the workbook's format sees it.
    QString readBack(const QString& sheet) const
    {
        return extension() == u".xls" ? readWithXlrd(path, sheet) : readWithOpenpyxl(path, sheet);
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

// A save killed at any moment leaves the old workbook or the new one, whole.
class CrashDuringSave : public EitherFormat
{
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Formats, EitherFormat, ::testing::Values(".xls", ".xlsx"),
    [](const auto& info) { return std::string(info.param + 1); });
INSTANTIATE_TEST_SUITE_P(Formats, CrashDuringSave, ::testing::Values(".xls", ".xlsx"),
    [](const auto& info) { return std::string(info.param + 1); });

// Another program adds a correction between two saves of the articles: it stays beside them.
TEST_P(EitherFormat, SavedArticlesLoadBackWithTheirTypesBesideWorkDoneMeanwhile)
{
    addArticle(QStringLiteral("1001"), QStringLiteral("Açúcar branco €"));
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarArtigos)) << lastError.toStdString();
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
    addArticle(QStringLiteral("1002"), QStringLiteral("Café"));
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarArtigos)) << lastError.toStdString();
    const InventoryTables loaded = reload(&InventoryLoader::LerFicheiroArtigos);
    ASSERT_EQ(loaded.NArtigos(), 2);
    EXPECT_EQ(loaded.artigo(1).DescArtigo, QStringLiteral("Açúcar branco €"));
    EXPECT_EQ(loaded.artigo(2).DataUltimaImportacao, 46001.5);
    EXPECT_EQ(loaded.artigo(2).ConversaoCompraStock, 12);
    EXPECT_EQ(loaded.artigo(2).Posicao, 3);
    EXPECT_EQ(loaded.artigo(2).Origem, 3);
    const QString seen = readBack(QStringLiteral("Artigos"));
    EXPECT_TRUE(seen.contains(QStringLiteral(
        "'1001'|'F1'|D2025-12-09|'Açúcar branco €'|2.5|'CX'|'UN'|12.0|'Mercearia'|D2025-12-10 12:00:00|3.0\n")))
        << seen.toStdString();
    EXPECT_TRUE(readBack(QStringLiteral("Correccoes")).contains(QStringLiteral("De fora")));
}

TEST_P(EitherFormat, RewritesInPlaceAndBlanksSurplusRows)
{
    for (int i = 1; i <= 5; ++i)
        addReading(QString::number(i), QStringLiteral("F"), i * 0.5);
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarFicheiroDasLeituras)) << lastError.toStdString();
    tables.setNLeituras(3);
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarFicheiroDasLeituras)) << lastError.toStdString();
    EXPECT_EQ(readBack(QStringLiteral("Inventario")).toStdString(),
        "'CodArtigo'|'FamiliaContabilistica'|'CentroCusto'|'Unidade'|'QtEmUnidadeInventario'|"
        "'LeituraDuvidosa'\n"
        "'1'|'F'|'Bar'|'UN'|'0,5'|0.0\n'2'|'F'|'Bar'|'UN'|'1'|0.0\n'3'|'F'|'Bar'|'UN'|'1,5'|0.0\n");
    EXPECT_EQ(reload(&InventoryLoader::LerFicheiroDasLeituras).NLeituras(), 3);
    data1.setRecordSource(QStringLiteral("Inventario$"));
    QString error;
    ASSERT_TRUE(data1.Refresh(&error));
    data1.MoveLast();
    EXPECT_EQ(data1.RecordCount(), 5); // the blanked rows stay in the sheet

    tables.setNLeituras(5);
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarFicheiroDasLeituras));
    EXPECT_EQ(reload(&InventoryLoader::LerFicheiroDasLeituras).NLeituras(), 5);
}

TEST_P(EitherFormat, CorrectionsAreReplacedByTrimmedCodeOrAppended)
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
    EXPECT_EQ(readBack(QStringLiteral("Correccoes")).toStdString(),
        "'CodArtigo'|'DescArtigo'|'FamiliaContabilistica'|'DescFamiliaContabilistica'|'PrecoCompraUnitario'|"
        "'UnidadeDeCompra'|'UnidadeDeStock'|'ConversaoCompraStock'\n"
        "'77'|'Segunda'|'F1'|'Mercearia'|''|'CX'|'UN'|'12'\n'78'|'Outra'|'F1'|'Mercearia'|''|'CX'|'UN'|'12'\n");
}

TEST_P(EitherFormat, ArticlesWithoutBarcodeListReusesRowsAndBlanksTheRest)
{
    const auto saveList = [&] {
        return save([&](QString*) {
            writer.GravarArtigosSemCodBarras();
            return true;
        });
    };
    for (int i = 1; i <= 10; ++i)
        addArticle(QString::number(i), QStringLiteral("Artigo %1").arg(i));
    ASSERT_TRUE(saveList());
    for (int i = 1; i <= 6; ++i)
        tables.AdicionaCodigosBarras(
            T(QStringLiteral(" %1 ").arg(i)), T(QStringLiteral("UN")), T(QStringLiteral("560%1").arg(i)));
    ASSERT_TRUE(saveList());
    EXPECT_EQ(readBack(QStringLiteral("ArtigosSemCodBarras")).toStdString(),
        "'CODARTIGO'|'DESCARTIGO'\n'7'|'Artigo 7'\n'8'|'Artigo 8'\n'9'|'Artigo 9'\n'10'|'Artigo 10'\n");
}

// The workbook read ahead while the program starts serves the first read of that file, once; a file changed
// since is read again, never taken stale.
TEST_F(Store, AWorkbookReadAheadServesOnlyTheFileAsItStillIs)
{
    addArticle(QStringLiteral("1001"), QStringLiteral("Arroz"));
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarArtigos)) << lastError.toStdString();
    WorkbookPreread::start(path);
    Workbook book;
    ASSERT_TRUE(WorkbookPreread::take(path, &book));
    ASSERT_TRUE(book.worksheet(QStringLiteral("Artigos")));
    EXPECT_FALSE(WorkbookPreread::take(path, &book));

    WorkbookPreread::start(path);
    addArticle(QStringLiteral("1002"), QStringLiteral("Café"));
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarArtigos)) << lastError.toStdString();
    // Another second, as a file saved later has, whatever the clock's resolution.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QFileInfo(path).lastModified().addSecs(2), QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(reload(&InventoryLoader::LerFicheiroArtigos).NArtigos(), 2);
}

// A command whose work fails, or whose save another program's lock refuses, changes neither the file nor the
// tables. LibreOffice's lock is ".~lock." and the name and "#"; Excel's "~$" and the name, for a longer name
// with "~$" in place of its first two characters.
TEST_P(EitherFormat, AFailedOrRefusedCommandLeavesFileAndTablesAsTheyWere)
{
    const InventoryTables none = tables.snapshot();
    addArticle(QStringLiteral("1"), QStringLiteral("Um"));
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarArtigos));
    const QByteArray saved = fileHash(path);
    addArticle(QStringLiteral("2"), QStringLiteral("Dois"));
    EXPECT_FALSE(save([&](QString* e) {
        writer.GravarArtigos(e);
        *e = QStringLiteral("falha a meio");
        return false;
    }));
    EXPECT_EQ(lastError, QStringLiteral("falha a meio"));
    EXPECT_EQ(fileHash(path), saved);
    EXPECT_EQ(tables.NArtigos(), 2); // added before the command, so not the command's to take back

    const QString ext = extension();
    const std::pair<const char*, const char*> cases[]
        = { { "inv", ".~lock.inv%1#" }, { "inv", "~$inv%1" }, { "InventariosQel", "~$ventariosQel%1" } };
    // Locks of another workbook in the same folder do not hold this one.
    touch(profile.path(QStringLiteral("~$outro") + ext));
    touch(profile.path(QStringLiteral(".~lock.outro%1#").arg(ext)));
    QString error;
    for (const auto& [name, lockName] : cases) {
        SCOPED_TRACE(lockName);
        tables.restore(none);
        path = profile.path(QString::fromLatin1(name) + ext);
        if (!QFile::exists(path)) {
            ASSERT_TRUE(InventoryWorkbook::create(path, &error)) << error.toStdString();
        }
        data1.setDatabaseName(path);
        addArticle(QStringLiteral("1"), QStringLiteral("Um"));
        ASSERT_TRUE(saveWith(&InventoryWriter::GravarArtigos)) << lastError.toStdString();
        const QByteArray before = fileHash(path);
        const int articles = tables.NArtigos();

        const QString lock = profile.path(QString::fromLatin1(lockName).arg(ext));
        touch(lock);
        EXPECT_FALSE(addAndSaveArticle(QStringLiteral("2"), QStringLiteral("Dois")));
        EXPECT_TRUE(lastError.contains(QStringLiteral("aberto noutro programa")) && lastError.contains(path)
            && lastError.contains(QStringLiteral("nada foi gravado"))
            && lastError.contains(QStringLiteral("apague o ficheiro ") + lock))
            << lastError.toStdString();
        EXPECT_EQ(tables.NArtigos(), articles);
        EXPECT_EQ(fileHash(path), before);

        // Once the other program has let go, the same command goes through.
        ASSERT_TRUE(QFile::remove(lock));
        EXPECT_TRUE(addAndSaveArticle(QStringLiteral("2"), QStringLiteral("Dois"))) << lastError.toStdString();
        EXPECT_EQ(reload(&InventoryLoader::LerFicheiroArtigos).NArtigos(), articles + 1);
    }
}

// Another program took away the sheet the data control stands on while it held a change to another: the save
// merges, and the sheet that is gone reads as empty rather than from the workbook that was replaced.
TEST_F(Store, ASheetTakenAwayMeanwhileReadsEmptyAfterTheMerge)
{
    DataControl before;
    before.setDatabaseName(path);
    addRows(before, QStringLiteral("Contabilistica$"), 1, [](int) { return QStringList { QStringLiteral("F1") }; });
    QString error;
    ASSERT_TRUE(before.commit(&error)) << error.toStdString();
    addRows(data1, QStringLiteral("Artigos$"), 1, [](int) { return QStringList { QStringLiteral("7") }; });
    data1.setRecordSource(QStringLiteral("Contabilistica$"));
    ASSERT_TRUE(data1.Refresh(&error) && data1.MoveFirst(&error)) << error.toStdString();
    ASSERT_EQ(data1.field(0).toText(), QStringLiteral("F1"));

    XlsWorkbook theirs;
    ASSERT_TRUE(XlsReader::read(path, &theirs, &error)) << error.toStdString();
    const auto gone = std::find_if(theirs.sheets.begin(), theirs.sheets.end(),
        [](const XlsSheet& sheet) { return sheet.name == u"Contabilistica"; });
    ASSERT_NE(gone, theirs.sheets.end());
    // Each sheet has its BOUNDSHEET record, in the same order.
    const qsizetype position = gone - theirs.sheets.begin();
    qsizetype boundSheets = 0;
    const auto record = std::find_if(theirs.globals.begin(), theirs.globals.end(),
        [&](const BiffRecord& r) { return r.id == BiffId::BoundSheet && boundSheets++ == position; });
    ASSERT_NE(record, theirs.globals.end());
    theirs.globals.erase(record);
    theirs.sheets.erase(gone);
    ASSERT_TRUE(XlsWriter::save(theirs, path, &error)) << error.toStdString();

    ASSERT_TRUE(data1.commit(&error)) << error.toStdString();
    EXPECT_TRUE(data1.field(0).isNull());
    EXPECT_TRUE(readWithXlrd(path, QStringLiteral("Artigos")).contains(QStringLiteral("\n'7'|")));
}

// Gnumeric opening the workbook and saving it back renumbers the cell formats our changed sheets point at: the
// save is refused, Gnumeric's file stays as Gnumeric left it, and the command run again works.
TEST_F(Store, RefusesToMergeWhenAnotherProgramChangedTheFormats)
{
    addArticle(QStringLiteral("1"), QStringLiteral("Um"));
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarArtigos)) << lastError.toStdString();
    const std::vector<quint16> ourFormats = data1.workbook()->xls()->xfFormats;

    // A note beside the first article, in a column the program does not write.
    runProgram(QStringLiteral(TARVIK_SSCONVERT),
        { QStringLiteral("--set=L2=nota de fora"), QStringLiteral("-T"), QStringLiteral("Gnumeric_Excel:excel_biff8"),
            path, path });
    const QByteArray gnumericFile = fileHash(path);
    XlsWorkbook theirs;
    QString error;
    ASSERT_TRUE(XlsReader::read(path, &theirs, &error)) << error.toStdString();
    ASSERT_NE(theirs.xfFormats, ourFormats);

    EXPECT_FALSE(addAndSaveArticle(QStringLiteral("2"), QStringLiteral("Dois")));
    EXPECT_TRUE(lastError.contains(path) && lastError.contains(QStringLiteral("alterado por outro programa"))
        && lastError.contains(QStringLiteral("Nada foi gravado"))
        && lastError.contains(QStringLiteral("volte a executar")))
        << lastError.toStdString();
    EXPECT_EQ(fileHash(path), gnumericFile);
    EXPECT_EQ(tables.NArtigos(), 1);
    EXPECT_EQ(QDir(profile.home()).entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString(), "inv.xls");

    ASSERT_TRUE(addAndSaveArticle(QStringLiteral("2"), QStringLiteral("Dois"))) << lastError.toStdString();
    const QString seen = readWithXlrd(path, QStringLiteral("Artigos"));
    EXPECT_TRUE(seen.contains(QStringLiteral("'1'|'F1'|D2025-12-09|'Um'|"))
        && seen.contains(QStringLiteral("'nota de fora'\n"))
        && seen.contains(QStringLiteral("'2'|'F1'|D2025-12-09|'Dois'|")))
        << seen.toStdString();
}

// The cell formats keep their numbers but one now shows a plain number where it showed a date: merging our
// sheets in would turn every date they hold into a number.
TEST_F(Store, RefusesToMergeWhenAnotherProgramChangedWhatAFormatShows)
{
    addArticle(QStringLiteral("1"), QStringLiteral("Um"));
    ASSERT_TRUE(saveWith(&InventoryWriter::GravarArtigos)) << lastError.toStdString();
    XlsWorkbook theirs;
    QString error;
    ASSERT_TRUE(XlsReader::read(path, &theirs, &error)) << error.toStdString();
    int changed = 0;
    for (BiffRecord& record : theirs.globals) {
        const int index = record.id == BiffId::Format ? quint8(record.data[0]) | quint8(record.data[1]) << 8 : -1;
        if (index >= 0 && NumberFormats::isDate(theirs.formats.value(index))) {
            record.data = BiffRecords::format(true, quint16(index), QStringLiteral("0.00"));
            ++changed;
        }
    }
    ASSERT_GT(changed, 0);
    ASSERT_TRUE(XlsWriter::save(theirs, path, &error)) << error.toStdString();
    const QByteArray theirFile = fileHash(path);

    EXPECT_FALSE(addAndSaveArticle(QStringLiteral("2"), QStringLiteral("Dois")));
    EXPECT_TRUE(lastError.contains(QStringLiteral("alterado por outro programa"))) << lastError.toStdString();
    EXPECT_EQ(fileHash(path), theirFile);
}

TEST_F(Store, RefusesASaveThatDoesNotFitTheSheet)
{
    for (int i = 1; i <= 66000; ++i)
        addReading(QString::number(i % 99999 + 1), QString::number(i), 1);
    const QByteArray before = fileHash(path);
    EXPECT_FALSE(saveWith(&InventoryWriter::GravarFicheiroDasLeituras));
    EXPECT_TRUE(lastError.contains(QStringLiteral("Inventario")) && lastError.contains(QStringLiteral("65536")))
        << lastError.toStdString();
    EXPECT_EQ(fileHash(path), before);
}

// The barcodes load beside the readings; a sheet that fills their table still says so after the readings spoke.
TEST_P(EitherFormat, LoadersSpeakInTheirOrder)
{
    const int barcodeRows = extension() == u".xlsx" ? InventoryTables::CapacidadeCodBarras + 1 : 3;
    addRows(data1, QStringLiteral("Contabilistica$"), 1, [](int) {
        return QStringList { QStringLiteral("F1"), QStringLiteral("Mercearia"), QStringLiteral("61") };
    });
    addRows(data1, QStringLiteral("CodBarras$"), barcodeRows, [](int i) {
        return QStringList { QString::number(i), QStringLiteral("UN"), QString::number(5600000000000 + i) };
    });
    addArticle(QStringLiteral("1"), QStringLiteral("Arroz"));
    addReading(QStringLiteral("123456"), QStringLiteral("F1"), 2);
    addReading(QStringLiteral("1"), QStringLiteral("F1"), 2);
    ASSERT_TRUE(save([&](QString* e) { return writer.GravarArtigos(e) && writer.GravarFicheiroDasLeituras(e); }))
        << lastError.toStdString();
    ui.messages.clear();

    DataControl fresh;
    fresh.setDatabaseName(path);
    InventoryTables loaded(ui, clock);
    QString first, second;
    ASSERT_TRUE(InventoryLoader(fresh, loaded, ui).loadAll(&first, &second)) << second.toStdString();
    EXPECT_EQ(loaded.NLeituras(), 2);
    EXPECT_EQ(loaded.leitura(2).QtEmUnidadeCompra, 2.0 / 12);
    EXPECT_EQ(loaded.NCodBarras(), std::min(barcodeRows, InventoryTables::CapacidadeCodBarras));
    EXPECT_EQ(loaded.codigoBarras(3).CodBarras.toText(), QStringLiteral("5600000000003"));
    QStringList expected { QStringLiteral("ERRO CODARTIGO>99999") };
    if (barcodeRows > InventoryTables::CapacidadeCodBarras)
        expected << QStringLiteral("A tabela de códigos de barras está cheia (99999 códigos). Os códigos que faltam "
                                   "não foram adicionados.");
    EXPECT_EQ(ui.messages.join(u'\n').toStdString(), expected.join(u'\n').toStdString());
}

TEST_P(EitherFormat, LoadersReportTheSheetAndTheCause)
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

TEST(LosslessSave, KeepsFormatsFormulasAndOtherSheets)
{
    TestProfile profile;
    const QString copy = profile.path(QStringLiteral("lossless.xls"));
    ASSERT_EQ(saveAllSheetsOnCopy(QStringLiteral("lossless-lo.xls"), copy).toStdString(), "");
    const QString report = runProgram(QStringLiteral(TARVIK_PYTHON3),
        { QStringLiteral(TARVIK_FIXTURES "/../workbook/compare_formatting.py"),
            fixture(QStringLiteral("lossless-lo.xls")), copy });
    EXPECT_TRUE(report.contains(QStringLiteral("compared"))) << report.toStdString();
    EXPECT_FALSE(report.contains(QStringLiteral("DIFF"))) << report.toStdString();
}

// Gnumeric's Excel 95 workbook saved by the program: xlrd and Gnumeric read it back as Excel 95, with the values
// written, and the sheets the program does not write as they were.
TEST(Biff5Save, OtherReadersSeeTheValuesWrittenAndTheOtherSheetsUnchanged)
{
    TestProfile profile;
    const QString original = fixture(QStringLiteral("inventory-gnumeric-biff5.xls"));
    const QString copy = profile.path(QStringLiteral("biff5.xls"));
    ASSERT_EQ(saveAllSheetsOnCopy(QStringLiteral("inventory-gnumeric-biff5.xls"), copy).toStdString(), "");

    EXPECT_EQ(readWithXlrd(copy).toStdString(),
        "biff 50 datemode 0 Artigos|CodBarras|Contabilistica|Inventario|Correccoes|ArtigosSemCodBarras\n");
    // The Windows-1252 texts (€ is 0x80), the dates and the 14:30 under a date-only format.
    const QString articles = readWithXlrd(copy, QStringLiteral("Artigos"));
    EXPECT_TRUE(articles.contains(QStringLiteral("3.0|'1001'|'Açúcar branco 1 kg'|'61'|'Mercearia e pão'|'CX'|"
                                                 "'UN'|10.0|8.5|D2024-03-04|D2024-03-15 14:30:00\n")))
        << articles.toStdString();
    EXPECT_TRUE(articles.contains(QStringLiteral("|'Detergente loiça (promoção 2 €)'|"))) << articles.toStdString();
    EXPECT_TRUE(articles.contains(
        QStringLiteral("'9999'|'Grão novo €'|'61'|'Bebidas'|'UN'|'UN'|1.0|1.0|D2025-12-09|D2025-12-10\n")))
        << articles.toStdString();
    const QString shown = readWithGnumeric(copy, QStringLiteral("Artigos"));
    EXPECT_TRUE(shown.contains(QStringLiteral("|9999|Grão novo €|61|Bebidas|UN|UN|1|1|09/12/2025|10/12/2025\n")))
        << shown.toStdString();
    const QString readings = readWithGnumeric(copy, QStringLiteral("Inventario"));
    EXPECT_TRUE(readings.contains(QStringLiteral("9999|61|Bar|UN|2,5|0\n"))) << readings.toStdString();
    // This sheet grows past the three rows it had.
    EXPECT_EQ(readWithGnumeric(copy, QStringLiteral("ArtigosSemCodBarras")).toStdString(),
        "CODARTIGO|DESCARTIGO\n1003|Café em grão, torrefacção média\n1005|Pão de forma\n"
        "1006|Detergente loiça (promoção 2 €)\n1007|Feijão encarnado\n1008|Manteiga com sal, limões e ovos\n");

    for (const QString& sheet : { QStringLiteral("Contabilistica"), QStringLiteral("Correccoes") }) {
        EXPECT_EQ(readWithXlrd(copy, sheet).toStdString(), readWithXlrd(original, sheet).toStdString());
        EXPECT_EQ(readWithGnumeric(copy, sheet).toStdString(), readWithGnumeric(original, sheet).toStdString());
    }
}

// Dates written into a workbook of the 1904 date system read back as the same days in xlrd and Gnumeric,
// which count from its 1904-01-01, and in our own reader.
TEST(Date1904Save, WrittenDatesKeepTheirCalendarDay)
{
    TestProfile profile;
    const QString copy = profile.path(QStringLiteral("datas.xls"));
    ASSERT_TRUE(copyFixture(QStringLiteral("date1904-lo.xls"), copy));
    // Day numbers as the program keeps them, from 1899-12-30.
    const double day = 45366; // 2024-03-15
    const double afternoon = day + (14 * 3600 + 30 * 60) / 86400.0;
    const double leapDay = 36585; // 2000-02-29
    const double later = 73110 + (6 * 3600 + 15 * 60 + 30) / 86400.0; // 2100-03-01 06:15:30
    const QString data = QStringLiteral("Data"), dataHora = QStringLiteral("DataHora");
    // The first row changed and two added; day 0, the empty import date, is before the first day a 1904
    // workbook holds.
    const std::pair<double, double> rows[] = { { day, afternoon }, { leapDay, later }, { 0, day } };
    QString error;
    {
        DataControl datas;
        datas.setDatabaseName(copy);
        datas.setRecordSource(QStringLiteral("Datas$"));
        ASSERT_TRUE(datas.Refresh(&error) && datas.MoveFirst(&error)) << error.toStdString();
        for (const auto& [date, dateTime] : rows) {
            ASSERT_TRUE((&date == &rows[0].first ? datas.Edit(&error) : datas.AddNew(&error))
                && datas.setField(data, CellValue::date(date), &error)
                && datas.setField(dataHora, CellValue::date(dateTime), &error) && datas.Update(&error))
                << error.toStdString();
        }
        ASSERT_TRUE(datas.commit(&error)) << error.toStdString();
    }
    EXPECT_EQ(readWithXlrd(copy, QStringLiteral("Datas")).toStdString(),
        "'Data'|'DataHora'\n"
        "D2024-03-15|D2024-03-15 14:30:00\n"
        "D2000-02-29|D2024-03-15 14:30:00\n"
        "D2024-03-15|D2024-12-31 23:59:59\n"
        "D2100-03-01|D2100-03-01 06:15:30\n"
        "D2000-02-29|D2100-03-01 06:15:30\n"
        "''|D2024-03-15\n");
    EXPECT_EQ(readWithGnumeric(copy, QStringLiteral("Datas")).toStdString(),
        "Data|DataHora\n"
        "15/03/2024|15/03/2024 14:30:00\n"
        "29/02/2000|15/03/2024 14:30:00\n"
        "15/03/2024|31/12/2024 23:59:59\n"
        "01/03/2100|01/03/2100 06:15:30\n"
        "29/02/2000|01/03/2100 06:15:30\n"
        "|15/03/2024 00:00:00\n");

    DataControl back;
    back.setDatabaseName(copy);
    back.setRecordSource(QStringLiteral("Datas$"));
    ASSERT_TRUE(back.Refresh(&error) && back.MoveFirst(&error)) << error.toStdString();
    const auto seconds = [&](const QString& column) {
        CellValue v;
        EXPECT_TRUE(back.field(column, &v, &error) && v.isDate()) << error.toStdString();
        return std::llround(v.numberValue() * 86400);
    };
    EXPECT_EQ(seconds(data), std::llround(day * 86400));
    EXPECT_EQ(seconds(dataHora), std::llround(afternoon * 86400));
    back.MoveLast();
    CellValue empty;
    EXPECT_TRUE(back.field(data, &empty, &error) && empty.isNull());
    EXPECT_EQ(seconds(dataHora), std::llround(day * 86400));
}

TEST_P(CrashDuringSave, LeavesTheOldOrTheNewWorkbook)
{
    for (int i = 1; i <= 1500; ++i) {
        addArticle(QString::number(i), QStringLiteral("Artigo número %1 com descrição").arg(i));
        tables.AdicionaCodigosBarras(T(QString::number(i)), T(QStringLiteral("UN")), T(QStringLiteral("560%1").arg(i)));
    }
    ASSERT_TRUE(save([&](QString* e) { return writer.GravarArtigos(e) && writer.GravarCodigosBarras(e); }))
        << lastError.toStdString();
    const QString ext = extension();
    const QString original = profile.path(QStringLiteral("original") + ext);
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
        Workbook book;
        QString error;
        ASSERT_TRUE(Workbook::read(path, &book, &error)) << error.toStdString();
    }
    EXPECT_GT(old, 0);
    EXPECT_GT(whole, 0);

    // The next save removes what the killed ones left of this workbook, and nothing else.
    const QDir folder(profile.home());
    const QStringList hidden { QStringLiteral(".inv%1.tarvik-*").arg(ext) };
    for (const char* name : { ".inv%1.tarvik-AbC123", ".outro%1.tarvik-AbC123", ".inv%1.tarvik-notas.txt" })
        touch(folder.filePath(QString::fromLatin1(name).arg(ext)));
    ASSERT_GE(folder.entryList(hidden, QDir::Files | QDir::Hidden).size(), 2);
    ASSERT_EQ(QProcess::execute(QStringLiteral(TARVIK_SAVE_CHILD), { path }), 0);
    EXPECT_EQ(folder.entryList(hidden, QDir::Files | QDir::Hidden),
        QStringList { QStringLiteral(".inv%1.tarvik-notas.txt").arg(ext) });
    EXPECT_TRUE(folder.exists(QStringLiteral(".outro%1.tarvik-AbC123").arg(ext)));
}
