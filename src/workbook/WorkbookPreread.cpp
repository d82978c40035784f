#include "workbook/WorkbookPreread.h"

#include "workbook/FileStamp.h"
#include "workbook/Workbook.h"

#include <QFileInfo>

#include <future>
#include <optional>

namespace {

struct Pending
{
    QString file;
    FileStamp stamp;
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
    if (!QFileInfo(file).isFile())
        return;
    Pending& p = pending();
    p.file = file;
    p.stamp = FileStamp::of(file);
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
    if (!read || !(FileStamp::of(file) == p.stamp))
        return false;
    *book = std::move(*read);
    return true;
}

} // namespace WorkbookPreread
