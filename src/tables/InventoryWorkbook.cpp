#include "tables/InventoryWorkbook.h"

#include "workbook/xls/XlsWorkbook.h"
#include "workbook/xls/XlsWriter.h"

#include <QDir>
#include <QFileInfo>

namespace InventoryWorkbook {

namespace {

constexpr int kDateXf = 16;
constexpr int kHeadingXf = 17;

void add16(QByteArray& d, quint16 v)
{
    d.append(char(v & 0xFF)).append(char(v >> 8));
}

void add32(QByteArray& d, quint32 v)
{
    add16(d, quint16(v & 0xFFFF));
    add16(d, quint16(v >> 16));
}

QByteArray bof(quint16 type)
{
    QByteArray d;
    add16(d, 0x0600);
    add16(d, type);
    add16(d, 0x0DBB);
    add16(d, 0x07CC);
    add32(d, 0);
    add32(d, 0x06);
    return d;
}

QByteArray font(quint16 weight)
{
    QByteArray d;
    add16(d, 200);
    add16(d, 0);
    add16(d, 0x7FFF);
    add16(d, weight);
    add16(d, 0);
    d.append(QByteArray(4, '\0'));
    d.append(char(5)).append(char(0)).append("Arial");
    return d;
}

QByteArray xf(quint16 font, quint16 format, bool style, quint8 usedAttributes)
{
    QByteArray d;
    add16(d, font);
    add16(d, format);
    add16(d, style ? 0xFFF5 : 0x0001);
    d.append(char(0x20)).append(char(0)).append(char(0)).append(char(usedAttributes));
    d.append(QByteArray(8, '\0'));
    add16(d, 0x20C0);
    return d;
}

} // namespace

const std::vector<Sheet>& sheets()
{
    static const std::vector<Sheet> all {
        { QStringLiteral("Artigos"),
            { QStringLiteral("CodArtigo"), QStringLiteral("FamiliaContabilistica"), QStringLiteral("DataRecepcao"),
                QStringLiteral("DescArtigo"), QStringLiteral("PrecoCompraUnitario"), QStringLiteral("UnidadeDeCompra"),
                QStringLiteral("UnidadeDeStock"), QStringLiteral("ConversaoCompraStock"),
                QStringLiteral("DescFamiliaContabilistica"), QStringLiteral("DataUltimaImportacao"),
                QStringLiteral("Posicao") } },
        { QStringLiteral("CodBarras"),
            { QStringLiteral("CodArtigo"), QStringLiteral("Unidade"), QStringLiteral("CodBarras") } },
        { QStringLiteral("Contabilistica"),
            { QStringLiteral("CONTA"), QStringLiteral("DESCRICAO CONTA"), QStringLiteral("CONTACONTABILISTICA") } },
        { QStringLiteral("Inventario"),
            { QStringLiteral("CodArtigo"), QStringLiteral("FamiliaContabilistica"), QStringLiteral("CentroCusto"),
                QStringLiteral("Unidade"), QStringLiteral("QtEmUnidadeInventario"),
                QStringLiteral("LeituraDuvidosa") } },
        { QStringLiteral("Correccoes"),
            { QStringLiteral("CodArtigo"), QStringLiteral("DescArtigo"), QStringLiteral("FamiliaContabilistica"),
                QStringLiteral("DescFamiliaContabilistica"), QStringLiteral("PrecoCompraUnitario"),
                QStringLiteral("UnidadeDeCompra"), QStringLiteral("UnidadeDeStock"),
                QStringLiteral("ConversaoCompraStock") } },
        { QStringLiteral("ArtigosSemCodBarras"), { QStringLiteral("CODARTIGO"), QStringLiteral("DESCARTIGO") } },
    };
    return all;
}

XlsWorkbook empty()
{
    return withSheets(sheets());
}

XlsWorkbook withSheets(const std::vector<Sheet>& definitions)
{
    XlsWorkbook book;
    book.version = XlsWorkbook::Version::Biff8;
    book.streamName = QStringLiteral("Workbook");
    book.codepage = 1200;
    auto& g = book.globals;
    g.push_back({ BiffId::Bof, bof(0x0005) });
    QByteArray codepage;
    add16(codepage, 1200);
    g.push_back({ BiffId::Codepage, codepage });
    QByteArray window1;
    for (quint16 v : { 0, 0, 0x3A98, 0x2328, 0x0038, 0, 0, 1, 0x0258 })
        add16(window1, v);
    g.push_back({ 0x003D, window1 });
    g.push_back({ BiffId::Font, font(400) });
    g.push_back({ BiffId::Font, font(700) });
    const QString datePattern = QStringLiteral("dd/mm/yyyy");
    QByteArray format;
    add16(format, 164);
    add16(format, quint16(datePattern.size()));
    format.append(char(0)).append(datePattern.toLatin1());
    g.push_back({ BiffId::Format, format });
    for (int i = 0; i < 15; ++i)
        g.push_back({ BiffId::Xf, xf(0, 0, true, 0) });
    g.push_back({ BiffId::Xf, xf(0, 0, false, 0) });
    g.push_back({ BiffId::Xf, xf(0, 164, false, 0x04) });
    g.push_back({ BiffId::Xf, xf(1, 0, false, 0x02) });
    QByteArray style;
    add16(style, 0x8000);
    style.append(char(0)).append(char(0xFF));
    g.push_back({ 0x0293, style });
    book.xfFormats.assign(16, 0);
    book.xfFormats.push_back(164);
    book.xfFormats.push_back(0);
    book.formats.insert(164, datePattern);
    book.classifyFormats();
    book.addedDateXf = kDateXf;

    bool first = true;
    for (const Sheet& def : definitions) {
        QByteArray boundSheet;
        add32(boundSheet, 0);
        boundSheet.append(char(0)).append(char(0));
        boundSheet.append(char(def.name.size())).append(char(0)).append(def.name.toLatin1());
        g.push_back({ BiffId::BoundSheet, boundSheet });

        XlsSheet sheet;
        sheet.name = def.name;
        sheet.boundSheetFlags = QByteArray(2, '\0');
        sheet.isWorksheet = true;
        QByteArray window2;
        for (quint16 v : { quint16(first ? 0x06B6 : 0x00B6), quint16(0), quint16(0), quint16(0x40), quint16(0),
                 quint16(0), quint16(0), quint16(0), quint16(0) })
            add16(window2, v);
        sheet.records = { { BiffId::Bof, bof(0x0010) }, { 0x023E, window2 }, { BiffId::Eof, {} } };
        sheet.rows.resize(1);
        for (int c = 0; c < def.columns.size(); ++c)
            sheet.rows[0].push_back({ quint16(c), quint16(kHeadingXf), true, CellValue::text(def.columns[c]) });
        sheet.rowCount = 1;
        sheet.modified = true;
        book.sheets.push_back(std::move(sheet));
        first = false;
    }
    g.push_back({ BiffId::Eof, {} });
    return book;
}

bool create(const QString& path, QString* error)
{
    if (QFileInfo::exists(path)) {
        *error = QStringLiteral("O ficheiro %1 já existe; escolha outro nome.").arg(path);
        return false;
    }
    // A site's drive folder may not be there yet on a new machine.
    QDir().mkpath(QFileInfo(path).absolutePath());
    XlsWorkbook book = empty();
    return XlsWriter::save(book, path, error);
}

} // namespace InventoryWorkbook
