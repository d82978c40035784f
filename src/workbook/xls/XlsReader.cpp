#include "workbook/xls/XlsReader.h"

#include "values/Windows1252.h"
#include "workbook/xls/BiffCodec.h"
#include "workbook/xls/ContinuedRecordReader.h"
#include "workbook/xls/SharedStrings.h"
#include "workbook/xls/XlsWorkbook.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <future>

namespace {

using BiffCodec::read16;
using BiffCodec::read32;

// What a formula's cached result is when it is not a number.
constexpr quint8 kFormulaString = 0; // in the STRING record that follows
constexpr quint8 kFormulaBoolean = 1;
constexpr quint8 kFormulaError = 2;

class Reader
{
public:
    Reader(const QByteArray& stream, XlsWorkbook* book)
        : m_stream(stream)
        , m_book(book)
    {
    }

    QString byteString(const QByteArray& d, qsizetype at, qsizetype count)
    {
        if (count < 0 || at + count > d.size())
            throw BiffDamaged { QStringLiteral("texto incompleto") };
        if (m_book->codepage == Biff::kCodepageWindows1252 || m_book->codepage == Biff::kCodepageOldWindows1252
            || !m_decoder.isValid())
            return Windows1252::decode(d.constData() + at, count);
        m_decoder.resetState();
        return m_decoder.decode(QByteArrayView(d.constData() + at, count));
    }

    // A string inside one record: BIFF8 unicode, or BIFF5 bytes in the workbook's code page.
    QString recordString(const QByteArray& d, qsizetype at, bool wideCount)
    {
        if (m_book->version == XlsWorkbook::Version::Biff5) {
            if (at >= d.size())
                throw BiffDamaged { QStringLiteral("texto incompleto") };
            const qsizetype count = wideCount ? read16(d, at) : quint8(d.at(at));
            return byteString(d, at + (wideCount ? 2 : 1), count);
        }
        const QByteArray tail = d.mid(at);
        ContinuedRecordReader p({ &tail });
        return p.unicodeString(wideCount).text;
    }

    void readGlobals()
    {
        const SubstreamRecords globals(m_stream, 0);
        m_book->globals.assign(globals.begin(), globals.end());
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
                m_book->codepage = read16(r.data, 0);
                if (m_book->codepage != Biff::kCodepageUtf16 && m_book->codepage != Biff::kCodepageWindows1252
                    && m_book->codepage != Biff::kCodepageOldWindows1252)
                    m_decoder = QStringDecoder(QByteArray("windows-" + QByteArray::number(m_book->codepage)));
                break;
            case BiffId::DateMode:
                m_book->date1904 = read16(r.data, 0) == 1;
                break;
            case BiffId::Format: {
                const int index = read16(r.data, 0);
                m_book->formats.insert(index, recordString(r.data, 2, m_book->version == XlsWorkbook::Version::Biff8));
                break;
            }
            case BiffId::Xf:
                m_book->xfFormats.push_back(read16(r.data, 2));
                break;
            case BiffId::BoundSheet: {
                XlsSheet sheet;
                sheet.streamOffset = read32(r.data, 0);
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
        qsizetype sstBytes = 0;
        for (const QByteArray* piece : sstPieces)
            sstBytes += piece->size();
        auto strings = std::make_shared<SharedStrings>();
        if (!sstPieces.empty()) {
            ContinuedRecordReader p(sstPieces);
            p.dword();
            const quint32 unique = p.dword();
            strings->reserve(std::min<quint64>(unique, quint64(sstBytes) / 3));
            for (quint32 i = 0; i < unique && !p.atEnd(); ++i) {
                const ContinuedRecordReader::StringHead head = p.stringHead();
                p.characters(head.count, head.wide, strings->room(head.count));
                QByteArray runs = p.bytes(head.runsSize);
                strings->add(head.count, std::move(runs), p.bytes(head.phoneticSize));
            }
        }
        m_strings = strings;
        m_book->classifyFormats();
    }

    void readSheet(XlsSheet& sheet)
    {
        if (sheet.streamOffset >= quint32(m_stream.size()))
            throw BiffDamaged { QStringLiteral("a folha %1 aponta para fora do livro").arg(sheet.name) };
        sheet.source = m_stream;
        sheet.strings = m_strings;
        qsizetype pos = qsizetype(sheet.streamOffset);
        BiffRecord r;
        BiffCodec::nextRecord(m_stream, &pos, &r);
        if (r.id != BiffId::Bof)
            throw BiffDamaged { QStringLiteral("a folha %1 não começa onde o livro diz").arg(sheet.name) };
        sheet.isWorksheet = read16(r.data, 2) == Biff::kBofWorksheet;
        if (!sheet.isWorksheet) {
            SubstreamRecords(m_stream, qsizetype(sheet.streamOffset)); // it must still end
            return;
        }
        int depth = 1;
        int dimensionRows = 0;
        {
            // A text cell shares its string with the shared-string table; taking a share reads the string's entry
            // there, at random in a large table. Asking for it some records ahead hides most of that wait. The
            // lender's shares count once this block ends, before any cell can go (the duplicates below).
            Lookahead ahead(m_stream, pos, *m_strings);
            SharedStrings::Lender lender(*m_strings);
            while (depth > 0) {
                BiffCodec::nextRecord(m_stream, &pos, &r);
                ahead.step();
                if (r.id == BiffId::Bof)
                    ++depth;
                else if (r.id == BiffId::Eof)
                    --depth;
                if (depth != 1)
                    continue; // a chart inside the sheet, or the EOF
                if (r.id == BiffId::Dimensions)
                    dimensionRows
                        = int(m_book->version == XlsWorkbook::Version::Biff8 ? read32(r.data, 4) : read16(r.data, 2));
                else
                    readCell(sheet, r, pos, lender);
            }
        }
        sheet.rowCount = std::min(std::max(dimensionRows, int(sheet.rows.size())), Biff::kMaxRowsBiff8);
        // Rows past the last cell stay unallocated: a small file whose sheets each claim 65,536 rows would
        // otherwise take gigabytes.
        if (sheet.rows.size() > size_t(sheet.rowCount))
            sheet.rows.resize(size_t(sheet.rowCount));
        for (auto& row : sheet.rows) {
            // Cells come in column order, one record each, but for odd files.
            const auto outOfOrder = [](const auto& a, const auto& b) { return a.col >= b.col; };
            if (std::adjacent_find(row.begin(), row.end(), outOfOrder) == row.end())
                continue;
            // The last record for a cell wins, as in the spreadsheet programs.
            std::stable_sort(row.begin(), row.end(), [](const auto& a, const auto& b) { return a.col < b.col; });
            auto last
                = std::unique(row.rbegin(), row.rend(), [](const auto& a, const auto& b) { return a.col == b.col; });
            row.erase(row.begin(), last.base());
        }
    }

private:
    // A cursor some records ahead of the reading one, which asks for the table entries of the text cells it
    // passes.
    class Lookahead
    {
    public:
        Lookahead(const QByteArray& stream, qsizetype pos, const SharedStrings& strings)
            : m_stream(stream)
            , m_strings(strings)
            , m_pos(pos)
        {
            for (int i = 0; i < kAhead; ++i)
                step();
        }

        void step()
        {
            BiffRecord r;
            if (BiffCodec::readRecord(m_stream, &m_pos, &r) != BiffCodec::RecordRead::Ok) {
                m_pos = m_stream.size();
                return;
            }
            if (r.id != BiffId::LabelSst || r.data.size() < Biff::kCellHeaderSize + 4)
                return;
            const quint32 index = read32(r.data, Biff::kCellHeaderSize);
#if defined(__GNUC__)
            if (index < m_strings.size())
                __builtin_prefetch(&m_strings[index]);
#endif
        }

    private:
        static constexpr int kAhead = 32;

        const QByteArray& m_stream;
        const SharedStrings& m_strings;
        qsizetype m_pos;
    };

    struct Protected
    {
    };

    CellValue numberCell(int xf, double v) const
    {
        if (m_book->isDateXf(xf))
            return CellValue::date(m_book->date1904 ? v + Biff::kDate1904Offset : v);
        return CellValue::number(v);
    }

    void put(XlsSheet& sheet, int row, int col, int xf, CellValue value)
    {
        if (size_t(row) >= sheet.rows.size())
            sheet.rows.resize(size_t(row) + 1);
        auto& cells = sheet.rows[size_t(row)];
        // Rows of a table are as wide as the one above: room for that many, rather than growth by doubling.
        if (cells.empty() && row > 0)
            cells.reserve(std::max<size_t>(sheet.rows[size_t(row) - 1].size(), 1));
        cells.emplace_back(quint16(col), quint16(xf), false, std::move(value));
    }

    // Files value under the row, column and XF of the cell record d.
    void putCell(XlsSheet& sheet, const QByteArray& d, CellValue value)
    {
        put(sheet, read16(d, 0), read16(d, 2), read16(d, 4), std::move(value));
    }

    // The cell record r; next is where the records after it start.
    void readCell(XlsSheet& sheet, const BiffRecord& r, qsizetype next, SharedStrings::Lender& lender)
    {
        const QByteArray& d = r.data;
        const qsizetype value = Biff::kCellHeaderSize;
        switch (r.id) {
        case BiffId::Number:
            putCell(sheet, d, numberCell(read16(d, 4), BiffCodec::readDouble(d, value)));
            break;
        case BiffId::Rk:
            putCell(sheet, d, numberCell(read16(d, 4), BiffCodec::rkValue(read32(d, value))));
            break;
        case BiffId::MulRk: {
            const int row = read16(d, 0);
            const int first = read16(d, 2);
            // Each entry is an XF and an RK; the last column closes the record.
            for (qsizetype at = Biff::kMulFirstEntryAt, col = first; at + Biff::kMulRkEntrySize + 2 <= d.size();
                 at += Biff::kMulRkEntrySize, ++col)
                put(sheet, row, int(col), read16(d, at),
                    numberCell(read16(d, at), BiffCodec::rkValue(read32(d, at + 2))));
            break;
        }
        case BiffId::Blank:
            putCell(sheet, d, CellValue());
            break;
        case BiffId::MulBlank: {
            const int row = read16(d, 0);
            const int first = read16(d, 2);
            for (qsizetype at = Biff::kMulFirstEntryAt, col = first; at + Biff::kMulBlankEntrySize + 2 <= d.size();
                 at += Biff::kMulBlankEntrySize, ++col)
                put(sheet, row, int(col), read16(d, at), CellValue());
            break;
        }
        case BiffId::LabelSst: {
            const quint32 i = read32(d, value);
            putCell(sheet, d, i < m_strings->size() ? CellValue::text(lender.share(i)) : CellValue());
            break;
        }
        case BiffId::Label:
        case BiffId::RString:
            putCell(sheet, d, CellValue::text(recordString(d, value, true)));
            break;
        case BiffId::BoolErr:
            // The value, then whether it is an error code.
            if (d.size() < value + 2)
                throw BiffDamaged { QStringLiteral("registo incompleto") };
            putCell(sheet, d,
                d.at(value + 1) ? CellValue::error(quint8(d.at(value))) : CellValue::boolean(d.at(value) != 0));
            break;
        case BiffId::Formula:
            putCell(sheet, d, formulaResult(d, next));
            sheet.rows[read16(d, 0)].back().formula = true;
            break;
        default:
            break;
        }
    }

    // The value a formula showed when the file was saved: a number, unless the last two bytes of the result
    // are 0xFFFF and its first byte says what it is.
    CellValue formulaResult(const QByteArray& d, qsizetype next)
    {
        const qsizetype result = Biff::kCellHeaderSize;
        if (read16(d, result + 6) != 0xFFFF)
            return numberCell(read16(d, 4), BiffCodec::readDouble(d, result));
        switch (quint8(d.at(result))) {
        case kFormulaString: {
            BiffRecord r;
            const auto read = [&] { return BiffCodec::readRecord(m_stream, &next, &r) == BiffCodec::RecordRead::Ok; };
            bool found = read();
            while (found && (r.id == BiffId::ShrFmla || r.id == BiffId::Array || r.id == BiffId::Table))
                found = read();
            if (!found || r.id != BiffId::String)
                return CellValue::text(QString());
            if (m_book->version == XlsWorkbook::Version::Biff5)
                return CellValue::text(recordString(r.data, 0, true));
            std::vector<QByteArray> pieces { r.data };
            while (read() && r.id == BiffId::Continue)
                pieces.push_back(r.data);
            std::vector<const QByteArray*> views;
            for (const QByteArray& piece : pieces)
                views.push_back(&piece);
            ContinuedRecordReader p(views);
            return CellValue::text(p.unicodeString().text);
        }
        case kFormulaBoolean:
            return CellValue::boolean(d.at(result + 2) != 0);
        case kFormulaError:
            return CellValue::error(quint8(d.at(result + 2)));
        default:
            return CellValue::text(QString());
        }
    }

public:
    bool run(QString* why, bool* isProtected)
    {
        try {
            readGlobals();
            readSheets();
            return true;
        } catch (const BiffDamaged& d) {
            *why = d.what;
        } catch (const Protected&) {
            *isProtected = true;
        }
        return false;
    }

private:
    // The largest sheet is read on a second thread while this one reads the others: each sheet fills only its
    // own records and cells. A code page other than Windows-1252 needs the one decoder, which keeps state, so
    // such a workbook is read on one thread.
    void readSheets()
    {
        std::vector<XlsSheet>& sheets = m_book->sheets;
        if (sheets.size() < 2 || m_decoder.isValid()) {
            for (XlsSheet& sheet : sheets)
                readSheet(sheet);
            return;
        }
        std::vector<quint32> offsets;
        for (const XlsSheet& sheet : sheets)
            offsets.push_back(sheet.streamOffset);
        std::sort(offsets.begin(), offsets.end());
        const auto extent = [&](const XlsSheet& sheet) {
            const auto next = std::upper_bound(offsets.begin(), offsets.end(), sheet.streamOffset);
            return (next == offsets.end() ? quint32(m_stream.size()) : *next) - sheet.streamOffset;
        };
        const auto largest = std::max_element(
            sheets.begin(), sheets.end(), [&](const XlsSheet& a, const XlsSheet& b) { return extent(a) < extent(b); });
        std::future<void> aside = std::async(std::launch::async, [this, largest] { readSheet(*largest); });
        for (auto sheet = sheets.begin(); sheet != sheets.end(); ++sheet) {
            if (sheet != largest)
                readSheet(*sheet);
        }
        aside.get();
    }

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
    const quint16 id = read16(bytes, 0);
    return id == BiffId::Bof2 || id == BiffId::Bof3 || id == BiffId::Bof4
        || (id == BiffId::Bof && read16(bytes, 4) < Biff::kVersionBiff5);
}

const QString kOldFormat = QStringLiteral("O livro %1 está num formato do Excel anterior ao Excel 5.0. Abra-o no Excel "
                                          "e grave-o como Livro do Excel 97-2003 (.xls).");

const QString kProtected = QStringLiteral("O livro %1 está protegido por palavra-passe. Abra-o no Excel, retire a "
                                          "palavra-passe e grave-o de novo.");

bool readWorkbookStream(XlsWorkbook* book, const QString& name, QString* error)
{
    const QByteArray* stream = book->container.stream(QStringLiteral("Workbook"));
    book->streamName = QStringLiteral("Workbook");
    if (!stream) {
        stream = book->container.stream(QStringLiteral("Book"));
        book->streamName = QStringLiteral("Book");
    }
    if (!stream && book->container.stream(QStringLiteral("EncryptedPackage"))) {
        // How Excel and LibreOffice keep an .xlsx saved with a password.
        *error = kProtected.arg(name);
        return false;
    }
    if (!stream) {
        *error = QStringLiteral("O ficheiro %1 não é um livro do Excel: não tem folhas de cálculo.").arg(name);
        return false;
    }
    if (stream->size() < 8 || read16(*stream, 0) != BiffId::Bof) {
        *error = isOldExcel(*stream) ? kOldFormat.arg(name)
                                     : damagedMessage(name, QStringLiteral("não começa por um registo BOF"));
        return false;
    }
    // The version is the BOF's first field: one read past a shorter BOF would be the next record's bytes.
    if (read16(*stream, 2) < 2) {
        *error = damagedMessage(name, QStringLiteral("o registo BOF está incompleto"));
        return false;
    }
    const quint16 version = read16(*stream, 4);
    if (version < Biff::kVersionBiff5) {
        *error = kOldFormat.arg(name);
        return false;
    }
    book->version = version >= Biff::kVersionBiff8 ? XlsWorkbook::Version::Biff8 : XlsWorkbook::Version::Biff5;
    QString why;
    bool isProtected = false;
    // The records point into the stream; the compound file need not hold a second copy of it.
    const QByteArray streamData = *stream;
    book->container.setStream(book->streamName, QByteArray());
    Reader reader(streamData, book);
    if (reader.run(&why, &isProtected))
        return true;
    *error = isProtected ? kProtected.arg(name) : damagedMessage(name, why);
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
