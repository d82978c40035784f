// The workbook store on the largest workbook BIFF8 holds.
#include "platform/Clock.h"
#include "tables/DataCommand.h"
#include "tables/InventoryLoader.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWriter.h"
#include "workbook/DataControl.h"

#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include "FullWorkbook.h"
#include "QuietInteraction.h"

namespace {

double peakMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// Start-up's four loaders on the full workbook.
struct Loaded
{
    QuietInteraction ui;
    Clock clock;
    InventoryTables tables { ui, clock };
    DataControl data1;

    explicit Loaded(benchmark::State& state)
    {
        data1.setDatabaseName(fullWorkbook());
        InventoryLoader loader(data1, tables, ui);
        QString first, second;
        if (!loader.loadAll(&first, &second))
            state.SkipWithError(qPrintable(first + second));
    }
};

void BM_LoadAllTables(benchmark::State& state)
{
    const QString path = fullWorkbook();
    for (auto _ : state) {
        Loaded loaded(state);
        benchmark::DoNotOptimize(loaded.tables.NArtigos());
    }
    state.counters["file_MB"] = double(QFileInfo(path).size()) / 1e6;
    state.counters["peak_MB"] = peakMegabytes();
}

// The four saves of a raw import, with the atomic replace of the file.
void BM_RawImportSave(benchmark::State& state)
{
    Loaded loaded(state);
    InventoryWriter writer(loaded.data1, loaded.tables, loaded.ui);
    DataCommand command(loaded.tables, loaded.data1);
    for (auto _ : state) {
        loaded.tables.AdicionaLeitura(CellValue::text(QStringLiteral("1")), CellValue::text(QStringLiteral("601")),
            CellValue::text(QStringLiteral("Sala")), CellValue::text(QStringLiteral("UN")), CellValue::number(1),
            CellValue::number(0));
        QString error;
        if (!command.run([&](QString* e) { return writer.saveAfterRawImport(e); }, &error))
            state.SkipWithError(qPrintable(error));
    }
    state.counters["peak_MB"] = peakMegabytes();
}

} // namespace

BENCHMARK(BM_LoadAllTables)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RawImportSave)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
