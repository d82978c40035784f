// The terminal link at full capacity: the raw import, the four lists and one poll tick.
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "tables/InventoryLoader.h"
#include "tables/InventoryTables.h"
#include "terminal/RawImport.h"
#include "terminal/SimulatedTerminal.h"
#include "terminal/TerminalLists.h"
#include "terminal/TerminalSession.h"
#include "workbook/DataControl.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

#include "FullWorkbook.h"
#include "QuietInteraction.h"

namespace {

constexpr int kFull = 99999;

QString record(int code, const QString& family, const QString& centre)
{
    return QStringLiteral("560%1").arg(code, 10, 10, QLatin1Char('0')).leftJustified(14)
        + QString::number(code).rightJustified(5) + family.leftJustified(6) + QStringLiteral("000012")
        + QStringLiteral("UN").leftJustified(15) + centre.leftJustified(6) + QStringLiteral("000");
}

struct FullTables
{
    QuietInteraction ui;
    Clock clock;
    InventoryTables tables { ui, clock };

    FullTables()
    {
        for (int i = 1; i <= kFull; ++i) {
            const QString code = QString::number(i);
            tables.AdicionaArtigo(CellValue::text(code), CellValue::text(QString::number(600 + i % 1000)),
                CellValue::date(45000), CellValue::text(QStringLiteral("Artigo de cozinha nº %1").arg(i)),
                CellValue::number(1.5), CellValue::text(QStringLiteral("CX")),
                CellValue::text(i % 7 ? QStringLiteral("UN") : QStringLiteral("Kilo")), CellValue::number(12),
                CellValue::text(QStringLiteral("Família")), CellValue(), CellValue::number(i), 0, 3);
            tables.AdicionaCodigosBarras(CellValue::text(code), CellValue::text(QStringLiteral("UN")),
                CellValue::text(QStringLiteral("560%1").arg(i)));
        }
        for (int f = 0; f < 1000; ++f)
            tables.AdicionaContasContabilisticas(QString::number(600 + f), CellValue::text(QString::number(600 + f)),
                CellValue::text(QStringLiteral("61")), CellValue::text(QStringLiteral("Família contabilística")));
    }
};

void BM_RawImportRecords(benchmark::State& state)
{
    FullTables full;
    DataControl data1;
    QString entries;
    for (int i = 1; i <= kFull; ++i)
        entries += record(i, QString::number(600 + i % 1000), QStringLiteral("Bar"));
    const InventoryTables start = full.tables.snapshot();
    for (auto _ : state) {
        QString error;
        if (!RawImport(full.tables, data1, full.ui, full.clock).addRecords(entries, &error))
            state.SkipWithError(qPrintable(error));
        state.PauseTiming();
        full.tables.restore(start);
        full.tables.ProcuraArtigo(QStringLiteral("1")); // the index a loaded table already has
        state.ResumeTiming();
    }
}

// 65,535 records into the largest workbook BIFF8 holds: the import with its sort and four saves.
void BM_RawImportIntoFullWorkbook(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.xls"));
    QString error;
    if (!writeFullWorkbook(path, &error))
        state.SkipWithError(qPrintable(error));
    QuietInteraction ui;
    Clock clock;
    InventoryTables tables(ui, clock);
    DataControl data1;
    data1.setDatabaseName(path);
    QString first, second;
    if (!InventoryLoader(data1, tables, ui).loadAll(&first, &second))
        state.SkipWithError(qPrintable(first + second));
    QString entries;
    for (int i = 1; i <= 65535; ++i)
        entries += record(i, QString::number(600 + i % 1000), i % 3 ? QStringLiteral("Sala") : QStringLiteral("Bar"));
    for (auto _ : state) {
        if (!RawImport(tables, data1, ui, clock).run(entries, &error))
            state.SkipWithError(qPrintable(error));
    }
    state.counters["file_MB"] = double(QFileInfo(path).size()) / 1e6;
}

void BM_BuildLists(benchmark::State& state)
{
    FullTables full;
    const SettingsStore settings;
    const TerminalLists lists(full.tables, settings, full.ui);
    QByteArray (TerminalLists::*const build[])() const = { &TerminalLists::ListaFamilias,
        &TerminalLists::ListaCodBarras, &TerminalLists::ListaArtigos, &TerminalLists::ListaUnidades };
    double seconds[4] = {};
    for (auto _ : state) {
        for (int i = 0; i < 4; ++i) {
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize((lists.*build[i])().size());
            seconds[i] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
    }
    const char* names[] = { "familias_ms", "codbarras_ms", "artigos_ms", "unidades_ms" };
    for (int i = 0; i < 4; ++i)
        state.counters[names[i]] = seconds[i] * 1000 / double(state.iterations());
}

void BM_PollTick(benchmark::State& state)
{
    QTemporaryDir dir;
    SimulatedTerminal terminal(dir.path());
    QuietInteraction ui;
    Clock clock;
    InventoryTables tables(ui, clock);
    DataControl data1;
    const SettingsStore settings;
    TerminalSession session(terminal, tables, data1, settings, ui, clock);
    for (auto _ : state)
        session.poll();
}

} // namespace

BENCHMARK(BM_RawImportRecords)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RawImportIntoFullWorkbook)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_BuildLists)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PollTick)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
