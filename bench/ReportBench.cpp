// The report at full capacity, and a large reception import with its save.
#include "platform/Clock.h"
#include "reception/ReceptionImport.h"
#include "report/InventoryReport.h"
#include "tables/InventoryLoader.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWorkbook.h"
#include "workbook/DataControl.h"
#include "workbook/xls/XlsWorkbook.h"
#include "workbook/xls/XlsWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "FullWorkbook.h"
#include "QuietInteraction.h"

namespace {

constexpr int kFull = 99999;
constexpr int kReceptionRows = 50000;

const QString kWords[] = { QStringLiteral("Açúcar"), QStringLiteral("Arroz agulha"), QStringLiteral("Azeite virgem"),
    QStringLiteral("Bacalhau"), QStringLiteral("Café moído"), QStringLiteral("Farinha"),
    QStringLiteral("Leite meio-gordo"), QStringLiteral("Óleo"), QStringLiteral("Pão"),
    QStringLiteral("Queijo flamengo") };

CellValue text(const QString& value)
{
    return CellValue::text(value);
}

// A workbook whose Contabilistica$ holds the 1,000 families, each with its account.
bool writeAccounts(const QString& path, QString* error)
{
    if (!InventoryWorkbook::create(path, error))
        return false;
    DataControl data1;
    data1.setDatabaseName(path);
    data1.setRecordSource(QStringLiteral("Contabilistica$"));
    if (!data1.Refresh(error))
        return false;
    for (int f = 0; f < 1000; ++f) {
        if (!data1.AddNew(error) || !data1.setField(QStringLiteral("CONTA"), text(QString::number(600 + f)), error)
            || !data1.setField(QStringLiteral("CONTACONTABILISTICA"), text(QStringLiteral("61%1").arg(f)), error)
            || !data1.Update(error))
            return false;
    }
    return data1.commit(error);
}

// 99,999 articles and one reading of each, in a random order, over 1,000 families and 10 cost centres.
void BM_Report(benchmark::State& state)
{
    QuietInteraction ui;
    const Clock clock;
    auto tables = std::make_unique<InventoryTables>(ui, clock);
    std::mt19937 rng(5);
    for (int f = 0; f < 1000; ++f) {
        const QString conta = QString::number(600 + f);
        tables->AdicionaContasContabilisticas(conta, text(conta), text(QStringLiteral("61%1").arg(f)),
            text(QStringLiteral("Família contabilística %1").arg(conta)));
    }
    std::vector<int> codes(kFull);
    for (int i = 0; i < kFull; ++i)
        codes[size_t(i)] = i + 1;
    std::shuffle(codes.begin(), codes.end(), rng);
    for (int code : codes) {
        const QString family = QString::number(600 + code % 1000);
        tables->AdicionaArtigo(text(QString::number(code)), text(family), CellValue::date(45000),
            text(kWords[rng() % 10] + QStringLiteral(" %1 kg").arg(rng() % 1000)),
            CellValue::number((rng() % 10000) / 100.0), text(QStringLiteral("CX")), text(QStringLiteral("UN")),
            CellValue::number(rng() % 24 + 1), text(family), CellValue(), CellValue::number(code), 0, 3);
        tables->AdicionaLeitura(text(QString::number(code)), text(family), text(QString::number(rng() % 10 + 1)),
            text(rng() % 2 ? QStringLiteral("UN") : QStringLiteral("CX")), CellValue::number((rng() % 1000) / 4.0),
            CellValue::number(0));
    }
    QTemporaryDir dir;
    QString error;
    if (!writeAccounts(dir.filePath(QStringLiteral("inventario.xls")), &error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    DataControl data1;
    data1.setDatabaseName(dir.filePath(QStringLiteral("inventario.xls")));
    const InventoryTables unsorted = tables->snapshot();
    for (auto _ : state) {
        state.PauseTiming();
        tables->restore(unsorted);
        tables->ProcuraArtigo(QStringLiteral("1")); // the indexes a loaded table has
        state.ResumeTiming();
        InventoryReport report(*tables, data1, ui);
        if (!report.CriarFicheiroDeInventarios(
                dir.filePath(QStringLiteral("Report.txt")), QStringLiteral("100"), &error)) {
            state.SkipWithError(qPrintable(error));
            break;
        }
    }
    state.counters["report_MB"] = double(QFile(dir.filePath(QStringLiteral("Report.txt"))).size()) / 1e6;
}

// Reception rows for articles of the full workbook, each newer than the article. Every tenth row names a family
// that does not exist; of those every tenth has a new code, which is therefore not added (the workbook is full).
bool writeReception(const QString& path, QString* error)
{
    XlsWorkbook book = InventoryWorkbook::withSheets({ { QStringLiteral("FicheirodeRecepcoes"),
        { QStringLiteral("Código Artigo"), QStringLiteral("Familia de Contabilidade"),
            QStringLiteral("Data de Recepção"), QStringLiteral("Descrição do Artigo"),
            QStringLiteral("Preço de Compra Unitário"), QStringLiteral("Unidade de Compra"),
            QStringLiteral("Unidade de Stock"), QStringLiteral("Conversão Un Compra-UnStock") } } });
    if (!XlsWriter::save(book, path, error))
        return false;
    DataControl data;
    data.setDatabaseName(path);
    data.setRecordSource(QStringLiteral("FicheirodeRecepcoes$"));
    if (!data.Refresh(error))
        return false;
    std::mt19937 rng(9);
    for (int i = 1; i <= kReceptionRows; ++i) {
        const int code = i % 100 == 0 ? 65535 + i / 100 : int(rng() % 65535) + 1;
        const QString family = i % 10 == 0 ? QStringLiteral("9999") : QString::number(600 + code % 1000);
        const CellValue row[] = { text(QString::number(code)), text(family), CellValue::date(46000 + rng() % 300),
            text(kWords[rng() % 10] + QStringLiteral(" %1 kg").arg(rng() % 1000)),
            text(QStringLiteral("%1,%2").arg(rng() % 100).arg(rng() % 100)), text(QStringLiteral("CX")),
            text(QStringLiteral("UN")), CellValue::number(rng() % 24) };
        if (!data.AddNew(error))
            return false;
        for (int c = 0; c < 8; ++c)
            data.setField(c, row[c]);
        if (!data.Update(error))
            return false;
    }
    return data.commit(error);
}

// The whole menu command on the full workbook: read the reception workbook, both passes, the description
// refresh, and the articles saved with the workbook written once.
void BM_ReceptionImport(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString reception = dir.filePath(QStringLiteral("recepcoes.xls"));
    const QString workbook = dir.filePath(QStringLiteral("inventario.xls"));
    QString error;
    if (!writeReception(reception, &error) || !QFile::copy(fullWorkbook(), workbook)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    struct ChosenFile : QuietInteraction
    {
        QString file;
        QString chooseFile() override { return file; }
    } ui;
    ui.file = reception;
    const Clock clock;
    for (auto _ : state) {
        state.PauseTiming();
        auto tables = std::make_unique<InventoryTables>(ui, clock);
        DataControl data1;
        data1.setDatabaseName(workbook);
        InventoryLoader loader(data1, *tables, ui);
        QString first, second;
        if (!loader.loadAll(&first, &second)) {
            state.SkipWithError(qPrintable(first + second));
            break;
        }
        DataControl data2;
        state.ResumeTiming();
        ReceptionImport import(*tables, data1, data2, ui, clock);
        const CommandResult imported = import.ImportarFicheiro();
        if (imported.ending() != CommandResult::Ending::Done) {
            state.SkipWithError(qPrintable(imported.messages().join(u' ') + QStringLiteral(" importação recusada")));
            break;
        }
    }
}

} // namespace

BENCHMARK(BM_Report)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReceptionImport)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
