#include "workbook/xls/XlsReader.h"

#include "values/Windows1252.h"
#include "workbook/xls/XlsWorkbook.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace {

// Thrown inside the reader only, for a record whose contents cannot be what they claim.
struct Damaged
{
    QString what;
};

quint16 u16(const QByteArray& d, qsizetype at)
{
    if (at < 0 || at + 2 > d.size())
        throw Damaged { QStringLiteral("registo incompleto") };
    return quint16(quint8(d[at]) | quint8(d[at + 1]) << 8);
}

quint32 u32(const QByteArray& d, qsizetype at)
{
    return quint32(u16(d, at)) | quint32(u16(d, at + 2)) << 16;
}

double f64(const QByteArray& d, qsizetype at)
{
    if (at + 8 > d.size())
        throw Damaged { QStringLiteral("registo incompleto") };
    quint64 bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | quint8(d[at + i]);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

double rkValue(quint32 rk)
{
    double v;
    if (rk & 0x02) {
        v = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return (rk & 0x01) ? v / 100.0 : v;
}

// Reads the pieces of one logical record that CONTINUE records split; characters of a string that cross into
// a CONTINUE restart there with a flags byte of their own.
class Pieces
{
public:
    explicit Pieces(std::vector<const QByteArray*> pieces)
        : m_pieces(std::move(pieces))
    {
    }

    bool atEnd()
    {
        skipEmpty();
        return m_piece >= m_pieces.size();
    }

    QByteArray bytes(qsizetype count)
    {
        QByteArray out;
        while (count > 0) {
            skipEmpty();
            if (m_piece >= m_pieces.size())
                throw Damaged { QStringLiteral("texto partido a meio") };
            const QByteArray& p = *m_pieces[m_piece];
            const qsizetype take = std::min(count, p.size() - m_pos);
            out.append(p.constData() + m_pos, take);
            m_pos += take;
            count -= take;
        }
        return out;
    }

    quint8 byte() { return quint8(bytes(1)[0]); }
    quint16 word() { return u16(bytes(2), 0); }
    quint32 dword() { return u32(bytes(4), 0); }

    QString characters(qsizetype count, bool wide)
    {
        QString text;
        text.reserve(count);
        while (count > 0) {
            if (m_piece < m_pieces.size() && m_pos >= m_pieces[m_piece]->size()) {
                ++m_piece;
                m_pos = 0;
                wide = byte() & 0x01;
            }
            if (m_piece >= m_pieces.size())
                throw Damaged { QStringLiteral("texto partido a meio") };
            const QByteArray& p = *m_pieces[m_piece];
            const qsizetype width = wide ? 2 : 1;
            const qsizetype take = std::min(count, (p.size() - m_pos) / width);
            if (take == 0)
                throw Damaged { QStringLiteral("carácter partido a meio") };
            const char* data = p.constData() + m_pos;
            if (wide)
                text.append(QStringView(reinterpret_cast<const char16_t*>(data), take));
            else
                text.append(QLatin1StringView(data, take));
            m_pos += take * width;
            count -= take;
        }
        return text;
    }

    // A BIFF8 unicode string: count, flags, optional run and phonetic sizes, characters, runs, phonetic data.
    XlsString unicodeString(bool wideCount = true)
    {
        const qsizetype count = wideCount ? word() : byte();
        const quint8 flags = byte();
        const qsizetype runCount = (flags & 0x08) ? word() : 0;
        const qsizetype phoneticSize = (flags & 0x04) ? qsizetype(dword()) : 0;
        XlsString s;
        s.text = characters(count, flags & 0x01);
        s.runs = bytes(runCount * 4);
        s.phonetic = bytes(phoneticSize);
        return s;
    }

private:
    void skipEmpty()
    {
        while (m_piece < m_pieces.size() && m_pos >= m_pieces[m_piece]->size()) {
            ++m_piece;
            m_pos = 0;
        }
    }

    std::vector<const QByteArray*> m_pieces;
    size_t m_piece = 0;
    qsizetype m_pos = 0;
};

class Reader
{
public:
    Reader(const QByteArray& stream, XlsWorkbook* book)
        : m_stream(stream)
        , m_book(book)
    {
    }

    // Records from offset up to the EOF that closes the substream starting there.
    std::vector<BiffRecord> substream(qsizetype offset)
    {
        std::vector<BiffRecord> records;
        int depth = 0;
        qsizetype pos = offset;
        while (true) {
            if (pos + 4 > m_stream.size())
                throw Damaged { QStringLiteral("o livro termina antes do fim de uma folha") };
            BiffRecord r;
            r.id = u16(m_stream, pos);
            const qsizetype length = u16(m_stream, pos + 2);
            if (pos + 4 + length > m_stream.size())
                throw Damaged { QStringLiteral("um registo passa do fim do ficheiro") };
            // A view into the stream, which the sheet keeps alive as its source.
            r.data = QByteArray::fromRawData(m_stream.constData() + pos + 4, length);
            pos += 4 + length;
            if (r.id == BiffId::Bof)
                ++depth;
            else if (r.id == BiffId::Eof)
                --depth;
            records.push_back(std::move(r));
            if (depth <= 0)
                return records;
        }
    }

    QString byteString(const QByteArray& d, qsizetype at, qsizetype count)
    {
        if (count < 0 || at + count > d.size())
            throw Damaged { QStringLiteral("texto incompleto") };
        if (m_book->codepage == 1252 || m_book->codepage == 0x8001 || !m_decoder.isValid())
            return Windows1252::decode(d.constData() + at, count);
        m_decoder.resetState();
        return m_decoder.decode(QByteArrayView(d.constData() + at, count));
    }

    // A string inside one record: BIFF8 unicode, or BIFF5 bytes in the workbook's code page.
    QString recordString(const QByteArray& d, qsizetype at, bool wideCount)
    {
        if (m_book->version == XlsWorkbook::Version::Biff5) {
            const qsizetype count = wideCount ? u16(d, at) : quint8(d.at(at));
            return byteString(d, at + (wideCount ? 2 : 1), count);
        }
        const QByteArray tail = d.mid(at);
        Pieces p({ &tail });
        return p.unicodeString(wideCount).text;
    }

    void readGlobals()
    {
        m_book->globals = substream(0);
        m_book->globalsSource = m_stream;
        const auto& g = m_book->globals;
        std::vector<const QByteArray*> sstPieces;
        bool inSst = false;
        for (size_t i = 0; i < g.size(); ++i) {
            const BiffRecord& r = g[i];
            if (r.id == BiffId::Continue && inSst) {
                sstPieces.push_back(&r.data);
                continue;
            }
            inSst = false;
            switch (r.id) {
            case BiffId::Filepass:
                throw Protected {};
            case BiffId::Codepage:
                m_book->codepage = u16(r.data, 0);
                if (m_book->codepage != 1200 && m_book->codepage != 1252 && m_book->codepage != 0x8001)
                    m_decoder = QStringDecoder(QByteArray("windows-" + QByteArray::number(m_book->codepage)));
                break;
            case BiffId::DateMode:
                m_book->date1904 = u16(r.data, 0) == 1;
                break;
            case BiffId::Format: {
                const int index = u16(r.data, 0);
                m_book->formats.insert(index, recordString(r.data, 2, m_book->version == XlsWorkbook::Version::Biff8));
                break;
            }
            case BiffId::Xf:
                m_book->xfFormats.push_back(u16(r.data, 2));
                break;
            case BiffId::BoundSheet: {
                XlsSheet sheet;
                sheet.streamOffset = u32(r.data, 0);
                sheet.boundSheetFlags = r.data.mid(4, 2);
                sheet.name = recordString(r.data, 6, false);
                m_book->sheets.push_back(std::move(sheet));
                break;
            }
            case BiffId::Sst:
                sstPieces = { &r.data };
                inSst = true;
                break;
            default:
                break;
            }
        }
        auto strings = std::make_shared<std::vector<XlsString>>();
        if (!sstPieces.empty()) {
            Pieces p(sstPieces);
            p.dword();
            const quint32 unique = p.dword();
            strings->reserve(std::min<quint32>(unique, 1u << 20));
            for (quint32 i = 0; i < unique && !p.atEnd(); ++i)
                strings->push_back(p.unicodeString());
        }
        m_strings = strings;
        m_book->classifyFormats();
    }

    void readSheet(XlsSheet& sheet)
    {
        if (sheet.streamOffset >= quint32(m_stream.size()))
            throw Damaged { QStringLiteral("a folha %1 aponta para fora do livro").arg(sheet.name) };
        sheet.records = substream(qsizetype(sheet.streamOffset));
        sheet.source = m_stream;
        sheet.strings = m_strings;
        const BiffRecord& bof = sheet.records.front();
        if (bof.id != BiffId::Bof)
            throw Damaged { QStringLiteral("a folha %1 não começa onde o livro diz").arg(sheet.name) };
        sheet.isWorksheet = u16(bof.data, 2) == 0x0010;
        if (!sheet.isWorksheet)
            return;
        int depth = 0;
        int dimensionRows = 0;
        for (size_t i = 0; i < sheet.records.size(); ++i) {
            const BiffRecord& r = sheet.records[i];
            if (r.id == BiffId::Bof)
                ++depth;
            else if (r.id == BiffId::Eof)
                --depth;
            if (depth != 1)
                continue; // a chart inside the sheet
            if (r.id == BiffId::Dimensions)
                dimensionRows = int(m_book->version == XlsWorkbook::Version::Biff8 ? u32(r.data, 4) : u16(r.data, 2));
            else
                readCell(sheet, i);
        }
        sheet.rowCount = std::min(std::max(dimensionRows, int(sheet.rows.size())), XlsWorkbook::kMaxRowsBiff8);
        sheet.rows.resize(size_t(sheet.rowCount));
        for (auto& row : sheet.rows) {
            // The last record for a cell wins, as in the spreadsheet programs.
            std::stable_sort(row.begin(), row.end(), [](const auto& a, const auto& b) { return a.col < b.col; });
            auto last
                = std::unique(row.rbegin(), row.rend(), [](const auto& a, const auto& b) { return a.col == b.col; });
            row.erase(row.begin(), last.base());
        }
    }

private:
    struct Protected
    {
    };

    CellValue numberCell(int xf, double v) const
    {
        if (m_book->isDateXf(xf))
            return CellValue::date(m_book->date1904 ? v + 1462 : v);
        return CellValue::number(v);
    }

    void put(XlsSheet& sheet, int row, int col, int xf, CellValue value)
    {
        if (size_t(row) >= sheet.rows.size())
            sheet.rows.resize(size_t(row) + 1);
        sheet.rows[size_t(row)].push_back(XlsSheet::Cell { quint16(col), quint16(xf), false, std::move(value) });
    }

    void readCell(XlsSheet& sheet, size_t index)
    {
        const BiffRecord& r = sheet.records[index];
        const QByteArray& d = r.data;
        switch (r.id) {
        case BiffId::Number:
            put(sheet, u16(d, 0), u16(d, 2), u16(d, 4), numberCell(u16(d, 4), f64(d, 6)));
            break;
        case BiffId::Rk:
            put(sheet, u16(d, 0), u16(d, 2), u16(d, 4), numberCell(u16(d, 4), rkValue(u32(d, 6))));
            break;
        case BiffId::MulRk: {
            const int row = u16(d, 0);
            const int first = u16(d, 2);
            for (qsizetype at = 4, col = first; at + 6 + 2 <= d.size(); at += 6, ++col)
                put(sheet, row, int(col), u16(d, at), numberCell(u16(d, at), rkValue(u32(d, at + 2))));
            break;
        }
        case BiffId::Blank:
            put(sheet, u16(d, 0), u16(d, 2), u16(d, 4), CellValue());
            break;
        case BiffId::MulBlank: {
            const int row = u16(d, 0);
            const int first = u16(d, 2);
            for (qsizetype at = 4, col = first; at + 2 + 2 <= d.size(); at += 2, ++col)
                put(sheet, row, int(col), u16(d, at), CellValue());
            break;
        }
        case BiffId::LabelSst: {
            const quint32 i = u32(d, 6);
            const auto& strings = *m_strings;
            put(sheet, u16(d, 0), u16(d, 2), u16(d, 4),
                i < strings.size() ? CellValue::text(strings[i].text) : CellValue());
            break;
        }
        case BiffId::Label:
        case BiffId::RString:
            put(sheet, u16(d, 0), u16(d, 2), u16(d, 4), CellValue::text(recordString(d, 6, true)));
            break;
        case BiffId::BoolErr:
            if (d.size() < 8)
                throw Damaged { QStringLiteral("registo incompleto") };
            put(sheet, u16(d, 0), u16(d, 2), u16(d, 4),
                d.at(7) ? CellValue::error(quint8(d.at(6))) : CellValue::boolean(d.at(6) != 0));
            break;
        case BiffId::Formula:
            put(sheet, u16(d, 0), u16(d, 2), u16(d, 4), formulaResult(sheet, index));
            break;
        default:
            break;
        }
    }

    // The value a formula showed when the file was saved.
    CellValue formulaResult(const XlsSheet& sheet, size_t index)
    {
        const QByteArray& d = sheet.records[index].data;
        if (u16(d, 12) != 0xFFFF)
            return numberCell(u16(d, 4), f64(d, 6));
        switch (quint8(d.at(6))) {
        case 0: {
            size_t next = index + 1;
            while (next < sheet.records.size()
                && (sheet.records[next].id == BiffId::ShrFmla || sheet.records[next].id == BiffId::Array
                    || sheet.records[next].id == BiffId::Table))
                ++next;
            if (next >= sheet.records.size() || sheet.records[next].id != BiffId::String)
                return CellValue::text(QString());
            if (m_book->version == XlsWorkbook::Version::Biff5)
                return CellValue::text(recordString(sheet.records[next].data, 0, true));
            std::vector<const QByteArray*> pieces { &sheet.records[next].data };
            for (size_t c = next + 1; c < sheet.records.size() && sheet.records[c].id == BiffId::Continue; ++c)
                pieces.push_back(&sheet.records[c].data);
            Pieces p(pieces);
            return CellValue::text(p.unicodeString().text);
        }
        case 1:
            return CellValue::boolean(d.at(8) != 0);
        case 2:
            return CellValue::error(quint8(d.at(8)));
        default:
            return CellValue::text(QString());
        }
    }

public:
    bool run(QString* why, bool* isProtected)
    {
        try {
            readGlobals();
            for (XlsSheet& sheet : m_book->sheets)
                readSheet(sheet);
            return true;
        } catch (const Damaged& d) {
            *why = d.what;
        } catch (const Protected&) {
            *isProtected = true;
        }
        return false;
    }

private:
    const QByteArray& m_stream;
    XlsWorkbook* m_book;
    XlsStrings m_strings;
    QStringDecoder m_decoder;
};

QString damagedMessage(const QString& name, const QString& why)
{
    return QStringLiteral("O livro %1 está danificado (%2). Abra-o no Excel ou no LibreOffice para o reparar.")
        .arg(name, why);
}

bool isOldExcel(const QByteArray& bytes)
{
    if (bytes.size() < 6)
        return false;
    const quint16 id = u16(bytes, 0);
    return id == 0x0009 || id == 0x0209 || id == 0x0409 || (id == BiffId::Bof && u16(bytes, 4) < 0x0500);
}

const QString kOldFormat = QStringLiteral("O livro %1 está num formato do Excel anterior ao Excel 5.0. Abra-o no Excel "
                                          "e grave-o como Livro do Excel 97-2003 (.xls).");

bool readWorkbookStream(XlsWorkbook* book, const QString& name, QString* error)
{
    const QByteArray* stream = book->container.stream(QStringLiteral("Workbook"));
    book->streamName = QStringLiteral("Workbook");
    if (!stream) {
        stream = book->container.stream(QStringLiteral("Book"));
        book->streamName = QStringLiteral("Book");
    }
    if (!stream) {
        *error = QStringLiteral("O ficheiro %1 não é um livro do Excel: não tem folhas de cálculo.").arg(name);
        return false;
    }
    if (stream->size() < 8 || u16(*stream, 0) != BiffId::Bof) {
        *error = isOldExcel(*stream) ? kOldFormat.arg(name)
                                     : damagedMessage(name, QStringLiteral("não começa por um registo BOF"));
        return false;
    }
    const quint16 version = u16(*stream, 4);
    if (version < 0x0500) {
        *error = kOldFormat.arg(name);
        return false;
    }
    book->version = version >= 0x0600 ? XlsWorkbook::Version::Biff8 : XlsWorkbook::Version::Biff5;
    QString why;
    bool isProtected = false;
    // The records point into the stream; the compound file need not hold a second copy of it.
    const QByteArray streamData = *stream;
    book->container.setStream(book->streamName, QByteArray());
    Reader reader(streamData, book);
    if (reader.run(&why, &isProtected))
        return true;
    *error = isProtected ? QStringLiteral("O livro %1 está protegido por palavra-passe. Abra-o no Excel, retire a "
                                          "palavra-passe e grave-o de novo.")
                               .arg(name)
                         : damagedMessage(name, why);
    return false;
}

bool finish(bool compoundRead, CompoundFile::ReadFailure failure, const QByteArray& head, XlsWorkbook* book,
    const QString& name, QString* error)
{
    if (compoundRead)
        return readWorkbookStream(book, name, error);
    if (failure == CompoundFile::ReadFailure::ZipPackage) {
        *error = QStringLiteral("O ficheiro %1 está num formato mais recente (.xlsx ou .ods). Abra-o e grave-o como "
                                "Livro do Excel 97-2003 (.xls).")
                     .arg(name);
    } else if (failure == CompoundFile::ReadFailure::NotCompound) {
        *error = isOldExcel(head) ? kOldFormat.arg(name)
                                  : QStringLiteral("O ficheiro %1 não é um livro do Excel.").arg(name);
    }
    return false;
}

} // namespace

namespace XlsReader {

bool read(const QString& path, XlsWorkbook* book, QString* error)
{
    *book = XlsWorkbook();
    CompoundFile::ReadFailure failure = CompoundFile::ReadFailure::None;
    const bool ok = CompoundFile::read(path, &book->container, error, &failure);
    QByteArray head;
    if (!ok && failure == CompoundFile::ReadFailure::NotCompound) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            head = file.read(16);
    }
    return finish(ok, failure, head, book, path, error);
}

bool readBytes(const QByteArray& bytes, const QString& name, XlsWorkbook* book, QString* error)
{
    *book = XlsWorkbook();
    CompoundFile::ReadFailure failure = CompoundFile::ReadFailure::None;
    const bool ok = CompoundFile::readBytes(bytes, name, &book->container, error, &failure);
    return finish(ok, failure, bytes.left(16), book, name, error);
}

bool readStream(const QByteArray& stream, const QString& name, XlsWorkbook* book, QString* error)
{
    *book = XlsWorkbook();
    book->container.setStream(QStringLiteral("Workbook"), stream);
    return readWorkbookStream(book, name, error);
}

} // namespace XlsReader
