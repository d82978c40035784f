// The workbook store on the largest workbook BIFF8 holds.
#include "FullWorkbook.h"

#include "app/Clock.h"
#include "app/UserInteraction.h"
#include "data/DataCommand.h"
#include "data/DataControl.h"
#include "data/InventoryLoader.h"
#include "data/InventoryTables.h"
#include "data/InventoryWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

class Quiet : public UserInteraction
{
public:
    void showMessage(const QString&) override { }
    void setBusy(Window, bool) override { }
    void setProgress(Window, int) override { }
    void processEvents() override { }
};

// TARVIK_FULL_WORKBOOK=PATH keeps the generated workbook (made when missing) for other tools to read.
const QString& fullWorkbook()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString kept = qEnvironmentVariable("TARVIK_FULL_WORKBOOK");
        const QString p = kept.isEmpty() ? dir.filePath(QStringLiteral("full.xls")) : kept;
        QString error;
        if (QFileInfo::exists(p))
            return p;
        if (!writeFullWorkbook(p, &error))
            qFatal("%s", qPrintable(error));
        return p;
    }();
    return path;
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void BM_LoadAllTables(benchmark::State& state)
{
    const QString path = fullWorkbook();
    for (auto _ : state) {
        Quiet ui;
        Clock clock;
        InventoryTables tables(ui, clock);
        DataControl data1;
        data1.setDatabaseName(path);
        InventoryLoader loader(data1, tables, ui);
        QString a, b;
        if (!loader.loadAll(&a, &b))
            state.SkipWithError(qPrintable(a + b));
        benchmark::DoNotOptimize(tables.NArtigos());
    }
    state.counters["file_MB"] = double(QFileInfo(path).size()) / 1e6;
    state.counters["peak_MB"] = peakMegabytes();
}

// The four saves of a raw import, with the atomic replace of the file.
void BM_RawImportSave(benchmark::State& state)
{
    const QString path = fullWorkbook();
    Quiet ui;
    Clock clock;
    InventoryTables tables(ui, clock);
    DataControl data1;
    data1.setDatabaseName(path);
    InventoryLoader loader(data1, tables, ui);
    QString a, b;
    if (!loader.loadAll(&a, &b))
        state.SkipWithError(qPrintable(a + b));
    InventoryWriter writer(data1, tables, ui);
    DataCommand command(tables, data1);
    for (auto _ : state) {
        tables.AdicionaLeitura(CellValue::text(QStringLiteral("1")), CellValue::text(QStringLiteral("601")),
                               CellValue::text(QStringLiteral("Cozinha")), CellValue::text(QStringLiteral("UN")),
                               CellValue::number(1), CellValue::number(0));
        QString error;
        const bool ok = command.run(
            [&](QString* e) {
                const bool saved = writer.GravarFicheiroDasLeituras(e) && writer.GravarArtigos(e)
                                   && writer.GravarCodigosBarras(e);
                writer.GravarArtigosSemCodBarras();
                return saved;
            },
            &error);
        if (!ok)
            state.SkipWithError(qPrintable(error));
    }
    state.counters["peak_MB"] = peakMegabytes();
}

} // namespace

BENCHMARK(BM_LoadAllTables)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RawImportSave)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
