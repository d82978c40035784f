// The report at full capacity, and a large reception import with its save.
#include "platform/Clock.h"
#include "reception/ReceptionImport.h"
#include "report/CountSummary.h"
#include "report/InventoryReport.h"
#include "report/Variance.h"
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

#include "FullReport.h"
#include "FullWorkbook.h"
#include "QuietInteraction.h"

namespace {

constexpr int kReceptionRows = 50000;

CellValue text(const QString& value)
{
    return CellValue::text(value);
}

// The report of 99,999 readings in a random order.
void BM_Report(benchmark::State& state)
{
    QuietInteraction ui;
    const Clock clock;
    const std::unique_ptr<InventoryTables> tables = fullReadings(ui, clock);
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
            text(kArticleWords[rng() % 10] + QStringLiteral(" %1 kg").arg(rng() % 1000)),
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

// Two counts of 99,999 readings over the 99,999 articles: every quantity moved.
void BM_Variance(benchmark::State& state)
{
    QuietInteraction ui;
    const Clock clock;
    const std::unique_ptr<InventoryTables> current = fullReadings(ui, clock);
    InventoryTables previous = current->snapshot();
    for (int slot = 1; slot <= previous.NLeituras(); ++slot)
        previous.editLeitura(slot).QtEmUnidadeInventario += slot % 7;
    for (auto _ : state) {
        const Variance variance(previous, *current);
        benchmark::DoNotOptimize(variance.text(QStringLiteral("Variação")));
        state.counters["lines"] = double(variance.lines().size());
    }
}

// What the main window's glance reads after each command.
void BM_Glance(benchmark::State& state)
{
    QuietInteraction ui;
    const Clock clock;
    const std::unique_ptr<InventoryTables> current = fullReadings(ui, clock);
    for (auto _ : state)
        benchmark::DoNotOptimize(CountSummary(*current).total().value);
}

} // namespace

BENCHMARK(BM_Variance)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Glance)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Report)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReceptionImport)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
