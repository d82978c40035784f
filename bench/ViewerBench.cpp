// The report of 99,999 readings (about 110,000 lines) on screen, in the preview and as a PDF.
#include "platform/SettingsStore.h"
#include "printing/PrintedReport.h"
#include "printing/ReportPdf.h"
#include "report/ReportFile.h"
#include "report/ReportPages.h"
#include "site/Site.h"
#include "viewer/ReportPreview.h"
#include "viewer/ReportViewer.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "FullReport.h"
#include "QuietInteraction.h"
#include "WindowBenchmarks.h"

namespace {

constexpr double k6December2026 = 46362.4375;

// One profile for the run, its FicheiroDeReport the full report.
struct Profile
{
    Profile()
    {
        qputenv("TARVIK_HOME", home.path().toUtf8());
        report = home.filePath(QStringLiteral("Report.txt"));
        SettingsStore().save({ { SettingsKeys::FicheiroDeReport, report } }, &error);
        if (error.isEmpty())
            writeFullReport(report, &error);
    }
    QTemporaryDir home;
    QString report;
    QString error;
};

const Profile& profile()
{
    static const Profile made;
    return made;
}

ReportPages readPages()
{
    QString text;
    QString error;
    ReportFile::read(profile().report, &text, &error);
    return ReportPages(text, SettingsStore(), k6December2026);
}

// From the file to the window painted with the report's first lines.
void BM_ViewerOpens(benchmark::State& state)
{
    if (!profile().error.isEmpty()) {
        state.SkipWithError(qPrintable(profile().error));
        return;
    }
    QuietInteraction ui;
    Site site(ui);
    for (auto _ : state) {
        ReportViewer viewer(site, site.reportPath(), [] { return CommandResult::done(); });
        viewer.open();
        viewer.show();
        viewer.repaint();
        state.PauseTiming();
        viewer.close();
        state.ResumeTiming();
    }
    state.counters["report_MB"] = double(QFile(profile().report).size()) / 1e6;
}

// From the written file to the preview painted with its first page.
void BM_PreviewFirstPage(benchmark::State& state)
{
    QuietInteraction ui;
    const SettingsStore settings;
    for (auto _ : state) {
        ReportPreview preview(std::make_unique<ReportPages>(readPages()), settings, ui);
        preview.show();
        preview.repaint();
        state.counters["pages"] = preview.printedReport().pages().pageCount();
    }
}

void BM_WholePdf(benchmark::State& state)
{
    const SettingsStore settings;
    const QString pdf = profile().home.filePath(QStringLiteral("Report.pdf"));
    for (auto _ : state) {
        const ReportPages pages = readPages();
        QString error;
        if (!ReportPdf::write(PrintedReport(pages, settings, PrintedReport::defaultLayout()), pdf, &error)) {
            state.SkipWithError(qPrintable(error));
            break;
        }
        state.counters["pages"] = pages.pageCount();
    }
    state.counters["pdf_MB"] = double(QFile(pdf).size()) / 1e6;
}

} // namespace

BENCHMARK(BM_ViewerOpens)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PreviewFirstPage)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WholePdf)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
