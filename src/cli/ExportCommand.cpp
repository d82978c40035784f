#include "cli/ExportCommand.h"

#include <QTextStream>

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

bool ExportCommand::accepts(const QStringList& arguments) const
{
    return arguments.size() == 1;
}

CommandResult ExportCommand::execute(const QStringList& arguments, CommandContext& context)
{
    const QString path = sitePath(context.workbook);
    QString error;
    if (!Workbook::read(path, &m_book, &error))
        return CommandResult::failed(error);
    const SheetCells* sheet = m_book.worksheet(arguments.first());
    if (!sheet)
        return CommandResult::failed(QStringLiteral("A folha %1 não existe no livro %2.").arg(arguments.first(), path));
    size_t first = 0;
    while (first < sheet->rows.size() && sheet->rows[first].empty())
        ++first;
    for (size_t r = first; r < sheet->rows.size(); ++r) {
        QStringList line;
        for (const SheetCells::Cell& cell : sheet->rows[r]) {
            if (cell.value().isNull())
                continue;
            while (line.size() < cell.col)
                line.append(QString());
            line.append(escaped(cell.value().toText()));
        }
        context.out << line.join(u'\t') << '\n';
    }
    return CommandResult::done();
}
