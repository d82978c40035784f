#include "cli/VarianceCommand.h"

#include "printing/PrintedReport.h"
#include "printing/ReportPdf.h"
#include "report/ReportFile.h"
#include "report/ReportPages.h"
#include "report/Variance.h"
#include "site/CountComparison.h"
#include "site/Site.h"
#include "values/Conversions.h"

#include <QTextStream>

namespace {

// The value after each option that takes one, or nullopt when the arguments are not these options.
std::optional<QHash<QString, QString>> options(const QStringList& arguments)
{
    QHash<QString, QString> found;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments.at(i);
        if (found.contains(option))
            return std::nullopt;
        if (option == u"--tsv") {
            found.insert(option, {});
        } else if (option == u"--previous" || option == u"--out" || option == u"--pdf") {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
                return std::nullopt;
            found.insert(option, arguments.at(++i));
        } else {
            return std::nullopt;
        }
    }
    return found;
}

} // namespace

bool VarianceCommand::accepts(const QStringList& arguments) const
{
    return options(arguments).has_value();
}

CommandResult VarianceCommand::executeOnSite(Site& site, const QStringList& arguments, CommandContext& context)
{
    const QHash<QString, QString> chosen = *options(arguments);
    std::unique_ptr<Variance> variance;
    CountComparison::PreviousCount used;
    const CommandResult compared
        = CountComparison(site).compare(chosen.value(QStringLiteral("--previous")), &variance, &used);
    if (compared.failed())
        return compared;
    const QString text = variance->text(CountComparison::title(used));
    QString error;
    if (chosen.contains(QStringLiteral("--out"))) {
        const QString out = sitePath(chosen.value(QStringLiteral("--out")));
        if (!ReportFile::write(out, text, &error))
            return CommandResult::failed(error);
        context.out << "Variação: " << out << '\n';
    }
    if (chosen.contains(QStringLiteral("--pdf"))) {
        const ReportPages pages(text, site.settings(), Conversions::dayNumberFromDateTime(site.clock().now()));
        const QString pdf = sitePath(chosen.value(QStringLiteral("--pdf")));
        if (!ReportPdf::write(PrintedReport(pages, site.settings(), PrintedReport::defaultLayout()), pdf, &error))
            return CommandResult::failed(error);
        context.out << "PDF: " << pdf << '\n';
    }
    if (chosen.contains(QStringLiteral("--tsv")))
        context.out << variance->tsv();
    else if (!chosen.contains(QStringLiteral("--out")) && !chosen.contains(QStringLiteral("--pdf")))
        context.out << text;
    return CommandResult::done();
}
