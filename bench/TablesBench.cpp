// The tables at full capacity: 99,999 articles, barcode entries and readings.
#include "platform/Clock.h"
#include "tables/ArticleSorts.h"
#include "tables/InventoryTables.h"

#include <QFile>

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <random>

#include "QuietInteraction.h"

namespace {

constexpr int kFull = 99999;

const QString kWords[] = { QStringLiteral("Açúcar"), QStringLiteral("Arroz agulha"), QStringLiteral("Azeite virgem"),
    QStringLiteral("Bacalhau"), QStringLiteral("Café moído"), QStringLiteral("Farinha"),
    QStringLiteral("Leite meio-gordo"), QStringLiteral("Óleo"), QStringLiteral("Pão"),
    QStringLiteral("Queijo flamengo") };

struct Fixture
{
    QuietInteraction ui;
    Clock clock;
    std::unique_ptr<InventoryTables> tables = std::make_unique<InventoryTables>(ui, clock);
};

// Rows as a loader hands them over: code, family, date, description, last import, position.
std::vector<std::array<CellValue, 6>> articleRows(std::mt19937& rng)
{
    std::vector<std::array<CellValue, 6>> rows;
    for (int i = 1; i <= kFull; ++i)
        rows.push_back({ CellValue::text(QString::number(rng() % 2 ? i : kFull + 1 - i)),
            CellValue::text(QStringLiteral("F%1").arg(i % 50)), CellValue::date(45000 + i % 900),
            CellValue::text(kWords[rng() % 10] + QStringLiteral(" %1 kg").arg(rng() % 1000)),
            CellValue::date(45000 + rng() % 900), CellValue::number(i) });
    return rows;
}

void addArticles(InventoryTables& tables, const std::vector<std::array<CellValue, 6>>& rows)
{
    static const CellValue price = CellValue::number(1.25), cx = CellValue::text(QStringLiteral("CX")),
                           un = CellValue::text(QStringLiteral("UN")), conversion = CellValue::number(12),
                           family = CellValue::text(QStringLiteral("Família"));
    for (const auto& r : rows)
        tables.AdicionaArtigo(r[0], r[1], r[2], r[3], price, cx, un, conversion, family, r[4], r[5], 0, 3);
}

void addArticles(InventoryTables& tables, std::mt19937& rng)
{
    addArticles(tables, articleRows(rng));
}

void BM_AdicionaArtigo(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Fixture f;
        std::mt19937 rng(1);
        const auto rows = articleRows(rng);
        state.ResumeTiming();
        addArticles(*f.tables, rows);
        benchmark::DoNotOptimize(f.tables->NArtigos());
        state.PauseTiming();
        f.tables.reset();
        state.ResumeTiming();
    }
}

void BM_AdicionaCodigosBarras(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Fixture f;
        std::mt19937 rng(2);
        // About three entries an article, arriving in mixed order.
        std::vector<std::array<CellValue, 3>> rows;
        for (int i = 1; i <= kFull; ++i)
            rows.push_back({ CellValue::text(QString::number(rng() % 33333 + 1)), CellValue::text(QStringLiteral("UN")),
                CellValue::text(QStringLiteral("560%1").arg(i, 10, 10, QLatin1Char('0'))) });
        state.ResumeTiming();
        for (const auto& r : rows)
            f.tables->AdicionaCodigosBarras(r[0], r[1], r[2]);
        benchmark::DoNotOptimize(f.tables->codigoBarras(kFull).CodBarras);
        state.PauseTiming();
        f.tables.reset();
        state.ResumeTiming();
    }
}

void BM_AdicionaLeitura(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Fixture f;
        std::mt19937 rng(3);
        addArticles(*f.tables, rng);
        std::vector<std::array<CellValue, 2>> rows;
        for (int i = 1; i <= kFull; ++i)
            rows.push_back({ CellValue::text(QString::number(i)), CellValue::number(rng() % 40) });
        const CellValue family = CellValue::text(QStringLiteral("F1")),
                        centre = CellValue::text(QStringLiteral("Cozinha")),
                        unit = CellValue::text(QStringLiteral("UN")), mark = CellValue::number(0);
        state.ResumeTiming();
        for (const auto& r : rows)
            f.tables->AdicionaLeitura(r[0], family, centre, unit, r[1], mark);
        benchmark::DoNotOptimize(f.tables->NLeituras());
        state.PauseTiming();
        f.tables.reset();
        state.ResumeTiming();
    }
}

void BM_Sort(benchmark::State& state)
{
    Fixture f;
    std::mt19937 rng(4);
    addArticles(*f.tables, rng);
    ArticleSorts sorts(*f.tables, f.ui);
    void (ArticleSorts::*const kinds[])() = { &ArticleSorts::OrdenarArtigos, &ArticleSorts::OrdenarArtigosPorData,
        &ArticleSorts::OrdenarArtigosPorCodigo, &ArticleSorts::OrdenarArtigosPorPosicao };
    const auto sort = kinds[state.range(0)];
    for (auto _ : state) {
        state.PauseTiming();
        sorts.OrdenarArtigosPorCodigo(); // the same unsorted start for every kind
        state.ResumeTiming();
        (sorts.*sort)();
    }
}

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

void BM_FullTablesResident(benchmark::State& state)
{
    for (auto _ : state) {
        const long before = residentKilobytes();
        Fixture f;
        std::mt19937 rng(5);
        addArticles(*f.tables, rng);
        for (int i = 1; i <= kFull; ++i) {
            f.tables->AdicionaCodigosBarras(CellValue::text(QString::number(i)), CellValue::text(QStringLiteral("UN")),
                CellValue::text(QStringLiteral("560%1").arg(i, 10, 10, QLatin1Char('0'))));
            f.tables->AdicionaLeitura(CellValue::text(QString::number(i)), CellValue::text(QStringLiteral("F1")),
                CellValue::text(QStringLiteral("Cozinha")), CellValue::text(QStringLiteral("UN")), CellValue::number(1),
                CellValue::number(0));
        }
        for (int i = 1; i <= 1000; ++i)
            f.tables->AdicionaContasContabilisticas(QString::number(i), CellValue::text(QString::number(i)),
                CellValue::text(QStringLiteral("611")), CellValue::text(QStringLiteral("Família contabilística")));
        benchmark::DoNotOptimize(f.tables->codigoBarras(kFull));
        state.counters["table_MB"] = double(residentKilobytes() - before) / 1024.0;
        state.counters["process_MB"] = double(residentKilobytes()) / 1024.0;
    }
}

} // namespace

BENCHMARK(BM_AdicionaArtigo)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AdicionaCodigosBarras)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AdicionaLeitura)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Sort)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FullTablesResident)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
