#include "workbook/WorkbookPreread.h"

#include "workbook/Workbook.h"

#include <QDateTime>
#include <QFileInfo>

#include <future>
#include <optional>

namespace {

struct Pending
{
    QString file;
    qint64 size = -1;
    QDateTime modified;
    std::future<std::optional<Workbook>> read;
};

Pending& pending()
{
    static Pending p;
    return p;
}

} // namespace

namespace WorkbookPreread {

void start(const QString& file)
{
    const QFileInfo info(file);
    if (!info.isFile())
        return;
    Pending& p = pending();
    p.file = file;
    p.size = info.size();
    p.modified = info.lastModified();
    p.read = std::async(std::launch::async, [file]() -> std::optional<Workbook> {
        Workbook book;
        QString error; // a failed read is read again by its taker, who then reports it
        if (!Workbook::read(file, &book, &error))
            return std::nullopt;
        return book;
    });
}

bool take(const QString& file, Workbook* book)
{
    Pending& p = pending();
    if (!p.read.valid() || p.file != file)
        return false;
    std::optional<Workbook> read = p.read.get();
    const QFileInfo info(file);
    if (!read || info.size() != p.size || info.lastModified() != p.modified)
        return false;
    *book = std::move(*read);
    return true;
}

} // namespace WorkbookPreread
