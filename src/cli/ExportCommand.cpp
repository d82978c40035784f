#include "cli/ExportCommand.h"

#include <QTextStream>

#include "platform/SitePaths.h"
#include "workbook/xls/XlsReader.h"
#include "workbook/xls/XlsWorkbook.h"

namespace {

QString escaped(QString text)
{
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'\t', QStringLiteral("\\t"));
    text.replace(u'\r', QStringLiteral("\\r"));
    text.replace(u'\n', QStringLiteral("\\n"));
    return text;
}

} // namespace

int ExportCommand::run(const QStringList& arguments, CommandContext& context)
{
    if (arguments.size() != 1) {
        context.err << "Utilização: tarvik-cli [--workbook PATH] export SHEET\n";
        return 2;
    }
    const QString path = SitePaths::resolve(context.workbook);
    XlsWorkbook book;
    QString error;
    if (!XlsReader::read(path, &book, &error)) {
        context.err << error << '\n';
        return 1;
    }
    const XlsSheet* sheet = book.sheet(arguments.first());
    if (!sheet || !sheet->isWorksheet) {
        context.err << QStringLiteral("A folha %1 não existe no livro %2.").arg(arguments.first(), path) << '\n';
        return 1;
    }
    size_t first = 0;
    while (first < sheet->rows.size() && sheet->rows[first].empty())
        ++first;
    for (size_t r = first; r < sheet->rows.size(); ++r) {
        QStringList line;
        for (const XlsSheet::Cell& cell : sheet->rows[r]) {
            if (cell.value.isNull())
                continue;
            while (line.size() < cell.col)
                line.append(QString());
            line.append(escaped(cell.value.toText()));
        }
        context.out << line.join(u'\t') << '\n';
    }
    return 0;
}
