// Both editors at full capacity: 99,999 articles and readings in memory; the confirmation over the largest
// workbook BIFF8 holds (65,535 rows a sheet).
#include "editors/ArticleEditor.h"
#include "editors/ReadingsEditor.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "site/Site.h"
#include "tables/InventoryTables.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "FullReport.h"
#include "FullWorkbook.h"
#include "QuietInteraction.h"
#include "WindowBenchmarks.h"

namespace {

// Answers every input box with the code looked for.
struct Answering : QuietInteraction
{
    std::optional<QString> askText(const QString&, const QString&, const QString&) override { return answer; }
    QString answer = QStringLiteral("50000");
};

// A profile whose workbook is a copy of the full one, and the site loaded from it.
struct FullSite
{
    FullSite()
    {
        qputenv("TARVIK_HOME", home.path().toUtf8());
        const QString workbook = home.filePath(QStringLiteral("inventario.xls"));
        QFile::copy(fullWorkbook(), workbook);
        SettingsStore().save({ { SettingsKeys::InventariosQel, workbook } }, &error);
        site = std::make_unique<Site>(ui);
        const CommandResult loaded = site->load();
        if (loaded.failed())
            error = loaded.messages().join(u' ');
    }
    // The tables at 99,999 articles and readings, as no .xls sheet can hold them.
    void fill()
    {
        const Clock clock;
        site->tables().restore(*fullReadings(ui, clock));
    }
    QTemporaryDir home;
    Answering ui;
    std::unique_ptr<Site> site;
    QString error;
};

template <typename Editor> void opens(benchmark::State& state)
{
    FullSite full;
    full.fill();
    for (auto _ : state) {
        Editor editor(*full.site);
        editor.show();
        editor.open();
        editor.repaint();
        state.PauseTiming();
        editor.close();
        state.ResumeTiming();
    }
    state.counters["rows"] = full.site->tables().NArtigos();
}

void BM_ArticleEditorOpens(benchmark::State& state)
{
    opens<ArticleEditor>(state);
}

void BM_ReadingsEditorOpens(benchmark::State& state)
{
    opens<ReadingsEditor>(state);
}

void BM_ArticleEditorSorts(benchmark::State& state)
{
    FullSite full;
    full.fill();
    ArticleEditor editor(*full.site);
    editor.show();
    editor.open();
    auto* option = editor.findChild<QRadioButton*>(QStringLiteral("Option%1").arg(state.range(0)));
    auto* first = editor.findChild<QRadioButton*>(QStringLiteral("Option1"));
    for (auto _ : state) {
        option->click();
        editor.repaint();
        state.PauseTiming();
        first->click();
        state.ResumeTiming();
    }
}

// The drop-down of the family descriptions, and the search of a code near the end.
void BM_ArticleEditorDropDownAndSearch(benchmark::State& state)
{
    FullSite full;
    full.fill();
    ArticleEditor editor(*full.site);
    editor.show();
    editor.open();
    const QModelIndex cell = editor.model().index(0, state.range(0) == 0 ? 4 : 1);
    auto* search = editor.findChild<QAction*>(QStringLiteral("LocalizarCodArtigo"));
    for (auto _ : state) {
        if (state.range(0) == 0)
            Q_EMIT editor.grid().clicked(cell);
        else
            search->trigger();
    }
}

void BM_GridScrollsAPage(benchmark::State& state)
{
    FullSite full;
    full.fill();
    ArticleEditor editor(*full.site);
    editor.resize(1280, 1000);
    editor.show();
    editor.open();
    QApplication::processEvents(); // lays the grid out, giving the scroll bar its range
    QScrollBar* bar = editor.grid().verticalScrollBar();
    if (bar->maximum() == 0) {
        state.SkipWithError("the grid has no scroll range");
        return;
    }
    int at = 0;
    for (auto _ : state) {
        at = (at + bar->pageStep()) % bar->maximum();
        bar->setValue(at);
        editor.grid().viewport()->repaint();
    }
}

// One description changed and confirmed: the merge and the save of 65,535 articles.
void BM_ArticleEditorConfirms(benchmark::State& state)
{
    FullSite full;
    if (!full.error.isEmpty()) {
        state.SkipWithError(qPrintable(full.error));
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto* editor = new ArticleEditor(*full.site);
        editor->show();
        editor->open();
        editor->model().setText(10, 1, QStringLiteral("Descrição corrigida %1").arg(state.iterations()));
        state.ResumeTiming();
        editor->findChild<QPushButton*>(QStringLiteral("Command2"))->click();
        state.PauseTiming();
        delete editor;
        state.ResumeTiming();
    }
    state.counters["rows"] = full.site->tables().NArtigos();
}

} // namespace

BENCHMARK(BM_ArticleEditorOpens)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadingsEditorOpens)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ArticleEditorSorts)->DenseRange(2, 4)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ArticleEditorDropDownAndSearch)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_GridScrollsAPage)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_ArticleEditorConfirms)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
