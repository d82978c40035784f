// .xlsx files made by LibreOffice, Gnumeric, openpyxl and by hand, read as the store reads them.
#include "support/LoadedSite.h"
#include "tables/InventoryTables.h"
#include "workbook/Workbook.h"
#include "workbook/xlsx/XlsxPackage.h"
#include "workbook/xlsx/XlsxReader.h"
#include "workbook/xlsx/XlsxWorkbook.h"

#include <QDataStream>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <tuple>
#include <zlib.h>

using namespace Qt::StringLiterals;

namespace {

QString fixture(const QString& name)
{
    return QStringLiteral(TARVIK_FIXTURES "/xlsx/") + name;
}

// A cell as the tables below write it: "text", a number, D and the date as the site shows it, or its text (empty,
// VERDADEIRO/FALSO, an error).
QString shown(const CellValue& v)
{
    if (v.isText())
        return u'"' + v.storedText() + u'"';
    if (v.isNumber())
        return QString::number(v.numberValue(), 'g', 12);
    return (v.isDate() ? u"D "_s : QString()) + v.toText();
}

QString cell(const SheetCells& sheet, const char* reference)
{
    const int col = reference[0] - 'A';
    const int row = QByteArray(reference + 1).toInt() - 1;
    const SheetCells::Cell* c = sheet.cell(row, col);
    return c ? shown(c->value()) : QString();
}

// Every row of a sheet, its cells by column joined by "|".
QStringList lines(const SheetCells& sheet)
{
    QStringList out;
    for (const auto& row : sheet.rows) {
        QStringList cells;
        for (const auto& c : row) {
            while (cells.size() < c.col)
                cells << QString();
            cells << shown(c.value());
        }
        out << cells.join(u'|');
    }
    return out;
}

const QStringList kSheets { u"Artigos"_s, u"CodBarras"_s, u"Contabilistica"_s, u"Inventario"_s, u"Correccoes"_s,
    u"ArtigosSemCodBarras"_s };

class SmallSite : public ::testing::TestWithParam<const char*>
{
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Writers, SmallSite,
    ::testing::Values(
        "site-gnumeric.xlsx", "site-openpyxl.xlsx", "site-macros.xlsm", "reading-strict.xlsx", "reading-parts.xlsx"),
    [](const auto& info) {
        QString name = QString::fromLatin1(info.param);
        return name.replace(u'-', u'_').replace(u'.', u'_').toStdString();
    });

// The same cells written by other programs, in Strict namespaces, or in parts found only through the
// relationships read as LibreOffice's; the tables load from each as from an .xls.
TEST_P(SmallSite, ReadsAsLibreOfficeWroteIt)
{
    Workbook reference;
    Workbook book;
    QString error;
    ASSERT_TRUE(Workbook::read(fixture(u"site-libreoffice.xlsx"_s), &reference, &error)) << error.toStdString();
    ASSERT_TRUE(Workbook::read(fixture(QString::fromLatin1(GetParam())), &book, &error)) << error.toStdString();
    for (const QString& name : kSheets) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(book.worksheet(name));
        EXPECT_EQ(lines(*book.worksheet(name)), lines(*reference.worksheet(name)));
    }
    const SheetCells& artigos = *reference.worksheet(u"Artigos"_s);
    EXPECT_EQ(lines(artigos).at(1),
        uR"("1001"|"61"|D 02/11/2026|"Açúcar branco 1 kg"|8.5|"Caixa"|"Unidade"|10|"Mercearia"|D 20/11/2026 14:30:00|1)"_s);

    LoadedSite site(fixture(QString::fromLatin1(GetParam())));
    ASSERT_TRUE(site.load(&error)) << error.toStdString();
    EXPECT_EQ(std::tuple(site.tables.NContas(), site.tables.NArtigos(), site.tables.NLeituras()), std::tuple(3, 5, 4));
    EXPECT_EQ(site.tables.artigo(4).DescArtigo, u"Café em grão, torrefacção média"_s);
}

TEST(XlsxReadingRules, StringsNumbersFormulasAndDates)
{
    Workbook book;
    QString error;
    ASSERT_TRUE(Workbook::read(fixture(u"reading-rules.xlsx"_s), &book, &error)) << error.toStdString();
    const SheetCells& s = *book.worksheet(u"Folha1"_s);
    const std::pair<const char*, QString> expected[]
        = { { "B2", u"\"Pão de forma\""_s }, { "B3", u"\"Açúcar\""_s }, // runs joined, phonetic text left out
              { "B4", u"\"  Leite meio-gordo  \""_s }, { "B5", u"\"Café & chá <2 €>\""_s },
              { "B6", u"\"Linha 1\r\nLinha 2\tfim\""_s }, { "B7", u"\"Código_x000D_\""_s }, { "B8", u"\"Bebidas\""_s },
              { "B9", u"\"Lacticínios e ovos\""_s }, { "B10", u"42"_s }, { "C10", u"420"_s }, { "C11", u"23.4"_s },
              { "B12", u"0.0015"_s }, { "C12", u"-2500"_s }, { "B13", u"VERDADEIRO"_s }, { "B14", u"FALSO"_s },
              { "B15", u"#DIV/0!"_s }, { "C15", u"#N/D"_s }, { "B16", u"84"_s }, { "B17", u"\"Total: 42\""_s },
              { "B18", u"VERDADEIRO"_s }, { "B19", u"#DIV/0!"_s },
              { "B20", QString() }, // a formula not worked out: no value, and certainly not 0
              { "B21", u"7"_s }, { "C21", u"\"oito\""_s }, { "A22", u"\"linha sem r\""_s }, { "B22", u"9"_s },
              { "C24", u"10"_s }, { "D24", u"11"_s }, { "B26", u"D 02/11/2026"_s }, { "B29", u"D 02/11/2026"_s },
              { "B31", u"D 02/11/2026 14:30:00"_s }, { "B34", u"D 02/11/2026 14:30:00"_s },
              { "B35", u"D 30/12/1899 00:15:00"_s }, { "B36", u"D 31/12/1899 12:00:00"_s },
              { "B37", u"D 30/12/1899 00:01:00"_s }, { "B38", u"D 02/11/2026 14:30:00"_s },
              { "B39", u"D 31/12/1899 12:00:00"_s }, { "B40", u"D 02/11/2026 14:30:00"_s },
              { "B41", u"46328"_s }, // quoted text is not a date code
              { "B42", u"46328"_s }, // nor is the d of [Red]
              { "B43", u"46328"_s }, { "B45", QString() }, { "C45", QString() }, { "B46", u"D 02/11/2026 14:30:00"_s },
              { "B47", u"\"Fim\""_s } };
    for (const auto& [reference, value] : expected)
        EXPECT_EQ(cell(s, reference), value) << reference;
    EXPECT_TRUE(s.cell(19, 1)) << "a formula cell without a value stays in the sheet";

    // The same days in a workbook of the 1904 date system.
    ASSERT_TRUE(Workbook::read(fixture(u"reading-rules-1904.xlsx"_s), &book, &error)) << error.toStdString();
    const SheetCells& s1904 = *book.worksheet(u"Folha1"_s);
    EXPECT_EQ(QStringList({ cell(s1904, "A2"), cell(s1904, "A3"), cell(s1904, "B3"), cell(s1904, "B4") }),
        QStringList({ u"D 01/01/1904"_s, u"D 02/11/2026"_s, u"D 02/11/2026 14:30:00"_s, u"D 02/01/1908"_s }));
}

namespace {

// A zip of one part whose deflated data inflates to `size` zero bytes (whole mebibytes), saying it holds `declared`.
QByteArray zipOfZeros(const QByteArray& name, qint64 size, qint64 declared)
{
    z_stream z {};
    deflateInit2(&z, 1, Z_DEFLATED, -15, 9, Z_RLE);
    QByteArray data;
    const QByteArray zeros(1 << 20, '\0');
    uLong crc = crc32(0, nullptr, 0);
    QByteArray chunk(1 << 16, Qt::Uninitialized);
    for (qint64 left = size; left > 0; left -= zeros.size()) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.constData()));
        z.avail_in = uInt(zeros.size());
        crc = crc32(crc, z.next_in, z.avail_in);
        do { // all the input is taken once deflate leaves room in the output
            z.next_out = reinterpret_cast<Bytef*>(chunk.data());
            z.avail_out = uInt(chunk.size());
            deflate(&z, left > zeros.size() ? Z_NO_FLUSH : Z_FINISH);
            data.append(chunk.constData(), chunk.size() - qsizetype(z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    QByteArray zip;
    QDataStream out(&zip, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    // What the local header and the directory entry share: flags, method, time, CRC, sizes, name length.
    const auto entry = [&] {
        out << quint16(0) << quint16(8) << quint32(0) << quint32(crc) << quint32(data.size()) << quint32(declared)
            << quint16(name.size());
    };
    out << quint32(0x04034b50) << quint16(20);
    entry();
    out << quint16(0);
    out.writeRawData(name.constData(), int(name.size()));
    out.writeRawData(data.constData(), int(data.size()));
    const quint32 directory = quint32(zip.size());
    out << quint32(0x02014b50) << quint16(20) << quint16(20);
    entry();
    // Extra and comment lengths, disk, attributes, the local header at 0.
    out << quint32(0) << quint32(0) << quint32(0) << quint32(0);
    out.writeRawData(name.constData(), int(name.size()));
    const quint32 directorySize = quint32(zip.size()) - directory;
    out << quint32(0x06054b50) << quint32(0) << quint16(1) << quint16(1) << directorySize << directory << quint16(0);
    return zip;
}

} // namespace

// Each refusal names the file and says what it is; nothing outside the package is read, nor more than a part may
// hold.
TEST(XlsxBadInput, SaysWhatTheFileIs)
{
    const std::pair<const char*, QString> cases[] = {
        { "bad-truncated.xlsx", u"está danificado"_s },
        { "bad-no-workbook.xlsx", u"falta a parte xl/workbook.xml"_s },
        { "bad-outside-target.xlsx", u"aponta para fora do pacote"_s },
        { "bad-xxe.xlsx", u"(DTD)"_s },
        { "bad-billion-laughs.xlsx", u"(DTD)"_s },
        { "bad-encrypted.xlsx", u"protegido por palavra-passe"_s },
        { "bad-xlsb.xlsb", u"(.xlsb)"_s },
        { "site.ods", u"OpenDocument (.ods)"_s },
    };
    for (const auto& [name, cause] : cases) {
        SCOPED_TRACE(name);
        Workbook book;
        QString error;
        EXPECT_FALSE(Workbook::read(fixture(QString::fromLatin1(name)), &book, &error));
        EXPECT_TRUE(error.contains(cause) && error.contains(QString::fromLatin1(name))) << error.toStdString();
        EXPECT_FALSE(error.contains(u"root:"_s));
        EXPECT_FALSE(book.worksheet(u"Artigos"_s));
    }
    // A few kilobytes that inflate to more than a part may hold, whether the zip says so or not.
    const qint64 size = XlsxPackage::kMaxPartSize + (1 << 20);
    for (const qint64 declared : { size, qint64(1000) }) {
        const QByteArray bomb = zipOfZeros("_rels/.rels", size, declared);
        EXPECT_LT(bomb.size(), 1 << 20);
        XlsxWorkbook book;
        QString error;
        EXPECT_FALSE(XlsxReader::readBytes(bomb, u"bomba.xlsx"_s, &book, &error));
        EXPECT_TRUE(error.contains(u"bomba.xlsx"_s) && error.contains(u"_rels/.rels"_s)) << error.toStdString();
    }
}

// What the fuzzer found (tests/fixtures/xlsx/fuzz, the first byte saying a whole file or a bare sheet):
// each reads or is refused with a reason, in bounded memory.
TEST(XlsxReaderFuzzFindings, RefuseOrReadWithinBounds)
{
    const QDir folder(QStringLiteral(TARVIK_FIXTURES "/xlsx/fuzz"));
    const QStringList found = folder.entryList(QDir::Files);
    ASSERT_FALSE(found.isEmpty());
    for (const QString& name : found) {
        SCOPED_TRACE(name.toStdString());
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray input = file.readAll();
        XlsxWorkbook book;
        QString error;
        const bool read = input.at(0) & 1 ? XlsxReader::readSheetXml(input.mid(1), &book, &error)
                                          : XlsxReader::readBytes(input.mid(1), name, &book, &error);
        EXPECT_TRUE(read || !error.isEmpty());
        for (const XlsxSheet& sheet : book.sheets) {
            for (const auto& row : sheet.rows) {
                for (const auto& cell : row)
                    EXPECT_LT(cell.value().storedText().size(), input.size());
            }
        }
    }
}
