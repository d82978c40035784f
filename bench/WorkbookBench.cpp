// The workbook store on the largest workbook BIFF8 holds.
#include "platform/Clock.h"
#include "tables/DataCommand.h"
#include "tables/InventoryLoader.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWriter.h"
#include "workbook/DataControl.h"
#include "workbook/Workbook.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <optional>
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

    Loaded(benchmark::State& state, const QString& path)
    {
        data1.setDatabaseName(path);
        InventoryLoader loader(data1, tables, ui);
        QString first, second;
        if (!loader.loadAll(&first, &second))
            state.SkipWithError(qPrintable(first + second));
    }
};

// What is loaded is taken apart outside the time: no command frees it before the process ends (the command
// line ends at once, the window keeps the tables), so it is no part of a load.
template <typename TakeApart> void untimed(benchmark::State& state, TakeApart takeApart)
{
    state.PauseTiming();
    takeApart();
    state.ResumeTiming();
}

// The largest .xls (state.range(0) == 0) or .xlsx.
const QString& workbookFor(const benchmark::State& state)
{
    return state.range(0) == 0 ? fullWorkbook() : fullXlsxWorkbook();
}

void BM_LoadAllTables(benchmark::State& state)
{
    const QString path = workbookFor(state);
    for (auto _ : state) {
        std::optional<Loaded> loaded;
        loaded.emplace(state, path);
        benchmark::DoNotOptimize(loaded->tables.NArtigos());
        untimed(state, [&] { loaded.reset(); });
    }
    state.counters["file_MB"] = double(QFileInfo(path).size()) / 1e6;
    state.counters["peak_MB"] = peakMegabytes();
}

// The workbook read into memory, without the loaders.
void BM_ReadWorkbook(benchmark::State& state)
{
    const QString path = workbookFor(state);
    for (auto _ : state) {
        std::optional<Workbook> book;
        book.emplace();
        QString error;
        if (!Workbook::read(path, &*book, &error))
            state.SkipWithError(qPrintable(error));
        benchmark::DoNotOptimize(book->worksheet(QStringLiteral("Artigos")));
        untimed(state, [&] { book.reset(); });
    }
    state.counters["peak_MB"] = peakMegabytes();
}

// The four saves of a raw import, with the atomic replace of the file.
void BM_RawImportSave(benchmark::State& state)
{
    // On a copy: the full workbook stays as it was made for the other benchmarks.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QFileInfo(workbookFor(state)).fileName());
    QFile::copy(workbookFor(state), copy);
    Loaded loaded(state, copy);
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

BENCHMARK(BM_ReadWorkbook)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadAllTables)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RawImportSave)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
