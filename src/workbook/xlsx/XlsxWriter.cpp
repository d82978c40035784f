#include "workbook/xlsx/XlsxWriter.h"

#include "platform/AtomicFile.h"
#include "workbook/xlsx/SheetRewriter.h"
#include "workbook/xlsx/XlsxWorkbook.h"
#include "workbook/xlsx/XmlEdits.h"
#include "workbook/xlsx/XmlOutput.h"
#include "workbook/xlsx/XmlScanner.h"

#include <QHash>

#include <charconv>
#include <cmath>
#include <future>
#include <map>

using namespace Qt::StringLiterals;

namespace {

using Token = XmlScanner::Token;

const QByteArray kStylesType = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";

// The first cellXfs entry's font, fill, border and cell style, which the date style copies.
QByteArray defaultXfAttributes(const QByteArray& styles)
{
    XmlScanner scan(styles);
    bool inCellXfs = false;
    while (scan.next() != Token::End && scan.token() != Token::Invalid) {
        if (scan.token() == Token::StartElement && scan.isNamed("cellXfs"))
            inCellXfs = true;
        if (scan.token() == Token::StartElement && scan.isNamed("xf") && inCellXfs) {
            QByteArray attributes;
            for (const char* name : { "fontId", "fillId", "borderId", "xfId" }) {
                const QByteArrayView value = scan.rawAttribute(name);
                if (!value.isNull())
                    attributes += ' ' + QByteArray(name) + "=\"" + value.toByteArray() + '"';
            }
            return attributes;
        }
    }
    return {};
}

bool addDateStyle(const XlsxWorkbook& book, QByteArray& styles, QString* why)
{
    const QByteArray format = QByteArray::number(book.xfFormats[size_t(book.addedDateXf)]);
    bool ok = true;
    if (book.addedFormat >= 0) {
        const QByteArray code = XmlOutput::escaped(book.formats.value(book.addedFormat));
        ok = XmlEdits::appendChild(
            styles, "numFmts", "styleSheet", "<numFmt numFmtId=\"" + format + "\" formatCode=\"" + code + "\"/>");
    }
    const QByteArray xf = "<xf numFmtId=\"" + format + '"' + defaultXfAttributes(styles) + " applyNumberFormat=\"1\"/>";
    if (!ok || !XmlEdits::appendChild(styles, "cellXfs", "styleSheet", xf)) {
        *why = QStringLiteral("não foi possível acrescentar o formato de data aos estilos do livro");
        return false;
    }
    return true;
}

const QByteArray kMinimalStyles = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                                  "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                                  "<fonts count=\"1\"><font><sz val=\"10\"/><name val=\"Arial\"/></font></fonts>"
                                  "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
                                  "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
                                  "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border>"
                                  "</borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
                                  "borderId=\"0\"/></cellStyleXfs><cellXfs count=\"1\"><xf numFmtId=\"0\" "
                                  "fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs></styleSheet>";

struct Parts
{
    std::map<QString, QByteArray> replaced;
    std::map<QString, QByteArray> deflated;
    std::vector<QString> removed;

    bool read(const XlsxWorkbook& book, const QString& part, QByteArray* data, QString* why)
    {
        const auto done = replaced.find(part);
        if (done != replaced.end()) {
            *data = done->second;
            return true;
        }
        return book.package.read(part, data, why);
    }
};

bool writeStyles(const XlsxWorkbook& book, Parts& parts, QString* why)
{
    QByteArray styles;
    QString stylesPart = book.stylesPart;
    if (stylesPart.isEmpty()) {
        // A package without styles gets the plainest, and the relationship and content type that name it.
        // Beside the workbook part, so the relationship's target is the bare name.
        const QString folder = book.workbookPart.left(book.workbookPart.lastIndexOf(u'/') + 1);
        const QString name = book.package.contains(folder + u"styles.xml"_s) ? u"tarvik-styles.xml"_s : u"styles.xml"_s;
        stylesPart = folder + name;
        styles = kMinimalStyles;
        QByteArray rels;
        const QString relsPart = XlsxPackage::relationshipsOf(book.workbookPart);
        QByteArray types;
        if (!parts.read(book, relsPart, &rels, why)
            || !parts.read(book, QStringLiteral("[Content_Types].xml"), &types, why))
            return false;
        if (!XmlEdits::appendChild(rels, "Relationships", "Relationships",
                "<Relationship Id=\"rIdTarvikStyles\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                "relationships/styles\" Target=\""
                    + name.toUtf8() + "\"/>")
            || !XmlEdits::appendChild(types, "Types", "Types",
                "<Override PartName=\"/" + stylesPart.toUtf8() + "\" ContentType=\"" + kStylesType + "\"/>")) {
            *why = QStringLiteral("não foi possível acrescentar os estilos ao livro");
            return false;
        }
        parts.replaced[relsPart] = rels;
        parts.replaced[QStringLiteral("[Content_Types].xml")] = types;
    } else if (!book.package.read(stylesPart, &styles, why)) {
        return false;
    }
    if (!addDateStyle(book, styles, why))
        return false;
    parts.replaced[stylesPart] = styles;
    return true;
}

// Excel calls a workbook damaged whose calculation chain names cells that are no longer formulas.
bool dropCalculationChain(const XlsxWorkbook& book, Parts& parts, QString* why)
{
    if (book.calcChainPart.isEmpty())
        return true;
    const QString relsPart = XlsxPackage::relationshipsOf(book.workbookPart);
    const QString typesPart = QStringLiteral("[Content_Types].xml");
    QByteArray rels;
    QByteArray types;
    QByteArray workbook;
    if (!parts.read(book, relsPart, &rels, why) || !parts.read(book, typesPart, &types, why)
        || !parts.read(book, book.workbookPart, &workbook, why))
        return false;
    parts.replaced[relsPart] = XmlEdits::withoutElement(rels, "Relationship", "Id", book.calcChainRelationship);
    parts.replaced[typesPart] = XmlEdits::withoutElement(types, "Override", "PartName", u'/' + book.calcChainPart);
    parts.removed.push_back(book.calcChainPart);
    // Formulas over the cells written are worked out again when Excel opens the workbook.
    parts.replaced[book.workbookPart] = XmlEdits::withAttribute(workbook, "calcPr", "fullCalcOnLoad", "1");
    return true;
}

} // namespace

namespace XlsxWriter {

bool toBytes(const XlsxWorkbook& book, QByteArray* bytes, QString* error)
{
    std::vector<const XlsxSheet*> sheets;
    for (const XlsxSheet& sheet : book.sheets) {
        if (!sheet.modified)
            continue;
        if (sheet.rowCount > XlsxWorkbook::kMaxRows) {
            *error = QStringLiteral("A folha %1 ficaria com %2 linhas, mas uma folha do Excel só leva %3 linhas.")
                         .arg(sheet.name)
                         .arg(sheet.rowCount)
                         .arg(XlsxWorkbook::kMaxRows);
            return false;
        }
        sheets.push_back(&sheet);
    }
    // Each sheet is written and deflated on its own, the largest on a second thread, so that only the deflated
    // parts wait for the package.
    std::vector<QByteArray> deflated(sheets.size());
    std::vector<QString> whys(sheets.size());
    const auto writeOne = [&](size_t i) {
        QByteArray original;
        if (SheetRewriter::needsPart(*sheets[i]) && !book.package.read(sheets[i]->part, &original, &whys[i]))
            return false;
        return SheetRewriter(original, *sheets[i], book.date1904).run(&deflated[i], &whys[i]);
    };
    size_t largest = 0;
    for (size_t i = 0; i < sheets.size(); ++i) {
        if (sheets[i]->rowCount > sheets[largest]->rowCount)
            largest = i;
    }
    std::future<bool> second;
    if (sheets.size() > 1)
        second = std::async(std::launch::async, writeOne, largest);
    bool ok = true;
    for (size_t i = 0; i < sheets.size(); ++i) {
        if (!second.valid() || i != largest)
            ok = writeOne(i) && ok;
    }
    if (second.valid())
        ok = second.get() && ok;
    Parts parts;
    QString why;
    for (size_t i = 0; i < sheets.size(); ++i) {
        if (!whys[i].isEmpty())
            why = whys[i];
        parts.deflated[sheets[i]->part] = std::move(deflated[i]);
    }
    if (!ok || (book.dateXfAppended && !writeStyles(book, parts, &why))
        || (!sheets.empty() && !dropCalculationChain(book, parts, &why))
        || !book.package.compose(parts.replaced, parts.deflated, parts.removed, bytes, &why)) {
        *error = QStringLiteral("Não foi possível gravar o livro: %1. Nada foi gravado.").arg(why);
        return false;
    }
    return true;
}

bool save(const XlsxWorkbook& book, const QString& path, QString* error)
{
    QByteArray bytes;
    return toBytes(book, &bytes, error) && AtomicFile::replace(path, bytes, error);
}

} // namespace XlsxWriter
