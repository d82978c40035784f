#include "cli/ReportCommand.h"

#include "platform/Clock.h"
#include "platform/SitePaths.h"
#include "printing/PrintedReport.h"
#include "printing/ReportPdf.h"
#include "report/ReportFile.h"
#include "report/ReportPages.h"
#include "site/Site.h"
#include "values/Conversions.h"

#include <QTextStream>

std::optional<ReportCommand::Files> ReportCommand::files(const QStringList& arguments)
{
    Files files;
    for (qsizetype i = 0; i < arguments.size(); i += 2) {
        const QString& option = arguments.at(i);
        QString* file = option == u"--out" ? &files.out : option == u"--pdf" ? &files.pdf : nullptr;
        if (!file || !file->isEmpty() || i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
            return std::nullopt;
        *file = arguments.at(i + 1);
    }
    return files;
}

bool ReportCommand::accepts(const QStringList& arguments) const
{
    return files(arguments).has_value();
}

CommandResult ReportCommand::executeOnSite(Site& site, const QStringList& arguments, CommandContext& context)
{
    const Files chosen = *files(arguments);
    const CommandResult result
        = site.CriarFicheiroDeInventarios(site.settings().value(SettingsKeys::NumerodeCaracteres), chosen.out);
    if (result.failed())
        return result;
    const QString report = chosen.out.isEmpty() ? site.reportPath() : sitePath(chosen.out);
    context.out << "Relatório: " << report << '\n';
    if (chosen.pdf.isEmpty())
        return result;

    QString text;
    QString error;
    if (!ReportFile::read(report, &text, &error))
        return CommandResult::failed(error);
    const ReportPages pages(text, site.settings(), Conversions::dayNumberFromDateTime(site.clock().now()));
    const PrintedReport printed(pages, site.settings(), PrintedReport::defaultLayout());
    const QString pdf = sitePath(chosen.pdf);
    if (!ReportPdf::write(printed, pdf, &error))
        return CommandResult::failed(error);
    context.out << "PDF: " << pdf << " (" << pages.pageCount() << (pages.pageCount() == 1 ? " página" : " páginas");
    if (printed.scaled())
        context.out << ", letra reduzida para "
                    << Conversions::numberToSiteText(qRound(printed.printedFontSize() * 10) / 10.0) << " pontos";
    context.out << ")\n";
    return result;
}
