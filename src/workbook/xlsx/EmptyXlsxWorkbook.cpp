#include "workbook/xlsx/EmptyXlsxWorkbook.h"

#include "workbook/xlsx/XlsxPackage.h"

#include <map>

namespace {

const QByteArray kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const QByteArray kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const QByteArray kRelationships = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// Normal text, the bold of the headings, and dates.
const QByteArray kStyles = kHead + "<styleSheet xmlns=\"" + kMain
    + "\"><numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"dd/mm/yyyy\"/></numFmts>"
      "<fonts count=\"2\"><font><sz val=\"10\"/><name val=\"Arial\"/><family val=\"2\"/></font>"
      "<font><b/><sz val=\"10\"/><name val=\"Arial\"/><family val=\"2\"/></font></fonts>"
      "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
      "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
      "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
      "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
      "<cellXfs count=\"3\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
      "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\"/>"
      "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/></cellXfs>"
      "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles></styleSheet>";
constexpr int kBoldStyle = 1;

QByteArray escaped(const QString& text)
{
    return text.toHtmlEscaped().toUtf8();
}

QByteArray headingRow(const QStringList& headings)
{
    QByteArray row = "<row r=\"1\">";
    for (qsizetype i = 0; i < headings.size(); ++i) {
        QByteArray ref;
        for (qsizetype c = i + 1; c > 0; c = (c - 1) / 26)
            ref.prepend(char('A' + (c - 1) % 26));
        row += "<c r=\"" + ref + "1\" s=\"" + QByteArray::number(kBoldStyle) + "\" t=\"inlineStr\"><is><t>"
            + escaped(headings[i]) + "</t></is></c>";
    }
    return row + "</row>";
}

} // namespace

namespace EmptyXlsxWorkbook {

bool make(const std::vector<Sheet>& sheets, QByteArray* bytes, QString* error)
{
    std::map<QString, QByteArray> parts;
    QByteArray types = kHead
        + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
          "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
          "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
          "<Override PartName=\"/xl/workbook.xml\" "
          "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
          "<Override PartName=\"/xl/styles.xml\" "
          "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>";
    QByteArray workbook = kHead + "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kRelationships
        + "\"><workbookPr/><bookViews><workbookView activeTab=\"0\"/></bookViews><sheets>";
    QByteArray rels = kHead + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (size_t i = 0; i < sheets.size(); ++i) {
        const QByteArray n = QByteArray::number(qulonglong(i) + 1);
        const QByteArray part = "worksheets/sheet" + n + ".xml";
        types += "<Override PartName=\"/xl/" + part
            + "\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
        workbook += "<sheet name=\"" + escaped(sheets[i].name) + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + kRelationships + "/worksheet\" Target=\"" + part + "\"/>";
        parts[QStringLiteral("xl/") + QString::fromLatin1(part)] = kHead + "<worksheet xmlns=\"" + kMain
            + "\" xmlns:r=\"" + kRelationships + "\"><sheetViews><sheetView workbookViewId=\"0\""
            + (i == 0 ? " tabSelected=\"1\"" : "") + "/></sheetViews><sheetData>" + headingRow(sheets[i].headings)
            + "</sheetData></worksheet>";
    }
    const QByteArray stylesId = "rId" + QByteArray::number(qulonglong(sheets.size()) + 1);
    rels += "<Relationship Id=\"" + stylesId + "\" Type=\"" + kRelationships
        + "/styles\" Target=\"styles.xml\"/></Relationships>";
    parts[QStringLiteral("[Content_Types].xml")] = types + "</Types>";
    parts[QStringLiteral("_rels/.rels")] = kHead
        + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId1\" Type=\""
        + kRelationships + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
    parts[QStringLiteral("xl/workbook.xml")] = workbook + "</sheets></workbook>";
    parts[QStringLiteral("xl/_rels/workbook.xml.rels")] = rels;
    parts[QStringLiteral("xl/styles.xml")] = kStyles;
    QString why;
    if (!XlsxPackage().compose(parts, {}, {}, bytes, &why)) {
        *error = QStringLiteral("Não foi possível compor o livro novo: %1.").arg(why);
        return false;
    }
    return true;
}

} // namespace EmptyXlsxWorkbook
