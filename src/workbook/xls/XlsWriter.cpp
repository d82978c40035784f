#include "workbook/xls/XlsWriter.h"

#include "values/Windows1252.h"
#include "workbook/xls/XlsWorkbook.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype kMaxRecordData = 8224;
constexpr qsizetype kMaxRecordDataBiff5 = 2080;
constexpr int kRowsPerBlock = 32;
constexpr quint32 kUnmapped = 0xFFFFFFFF;

quint16 u16(const QByteArray& d, qsizetype at)
{
    return quint16(quint8(d[at]) | quint8(d[at + 1]) << 8);
}

quint32 u32(const QByteArray& d, qsizetype at)
{
    return quint32(u16(d, at)) | quint32(u16(d, at + 2)) << 16;
}

void put16(QByteArray& d, qsizetype at, quint16 v)
{
    d[at] = char(v & 0xFF);
    d[at + 1] = char(v >> 8);
}

void put32(QByteArray& d, qsizetype at, quint32 v)
{
    put16(d, at, quint16(v & 0xFFFF));
    put16(d, at + 2, quint16(v >> 16));
}

void append16(QByteArray& d, quint16 v)
{
    d.append(char(v & 0xFF));
    d.append(char(v >> 8));
}

void append32(QByteArray& d, quint32 v)
{
    append16(d, quint16(v & 0xFFFF));
    append16(d, quint16(v >> 16));
}

void appendRecord(QByteArray& out, quint16 id, const QByteArray& data)
{
    append16(out, id);
    append16(out, quint16(data.size()));
    out.append(data);
}

bool fitsLatin1(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; });
}

class Writer
{
public:
    explicit Writer(const XlsWorkbook& book)
        : m_book(book)
        , m_biff8(book.version == XlsWorkbook::Version::Biff8)
    {
    }

    bool run(QByteArray* stream, QString* error)
    {
        for (const XlsSheet& sheet : m_book.sheets) {
            if (sheet.modified && sheet.rowCount > m_book.maxRows()) {
                *error = QStringLiteral("A folha %1 ficaria com %2 linhas, mas um livro do %3 só leva %4 linhas por "
                                        "folha, cabeçalho incluído.")
                             .arg(sheet.name)
                             .arg(sheet.rowCount)
                             .arg(m_biff8 ? QStringLiteral("Excel 97-2003") : QStringLiteral("Excel 5.0/95"))
                             .arg(m_book.maxRows());
                return false;
            }
        }
        if (m_biff8)
            collectStrings();
        QByteArray out;
        // About the size of the stream read, to spare the copies of a growing buffer.
        qsizetype expected = m_book.globalsSource.size();
        for (const XlsSheet& sheet : m_book.sheets)
            expected = std::max(expected, sheet.source.size());
        out.reserve(expected + expected / 8);
        std::vector<qsizetype> boundSheetAt;
        writeGlobals(out, &boundSheetAt);
        for (size_t i = 0; i < m_book.sheets.size(); ++i) {
            const XlsSheet& sheet = m_book.sheets[i];
            const quint32 offset = quint32(out.size());
            put32(out, boundSheetAt[i], offset);
            if (!sheet.modified) {
                copySheet(out, sheet, offset);
            } else if (!writeSheet(out, sheet, error)) {
                return false;
            }
        }
        *stream = std::move(out);
        return true;
    }

private:
    // The new index of a string a copied LABELSST points at (known after collectStrings()).
    quint32 remapped(const XlsSheet& sheet, quint32 old) const
    {
        if (!sheet.strings || old >= sheet.strings->size())
            return old;
        const auto map = m_remap.constFind(sheet.strings.get());
        return map == m_remap.cend() || map->at(old) >= kUnmapped - 1 ? old : map->at(old);
    }

    // Every string the new stream holds, each once. Strings are grouped by hash after a sort, which keeps
    // the lookups out of a large hash table: the save of a full workbook meets about a million of them.
    void collectStrings()
    {
        struct Candidate
        {
            const QString* text;
            const QByteArray* runs;
            const QByteArray* phonetic;
        };
        static const QByteArray none;
        // Sized exactly: at full size these lists are the largest thing a save holds.
        size_t cellCount = 0;
        for (const XlsSheet& sheet : m_book.sheets) {
            if (sheet.modified) {
                for (const auto& row : sheet.rows)
                    cellCount += row.size();
            }
        }
        std::vector<Candidate> candidates;
        std::vector<quint32*> targets;
        std::vector<const QString*> cellTexts;
        cellTexts.reserve(cellCount);
        for (const XlsSheet& sheet : m_book.sheets) {
            if (sheet.strings) {
                std::vector<quint32>& map = m_remap[sheet.strings.get()];
                if (map.empty())
                    map.assign(sheet.strings->size(), kUnmapped);
            }
            for (const BiffRecord& r : sheet.records) {
                if (r.id != BiffId::LabelSst || r.data.size() < 10 || (sheet.modified && isRewritten(sheet, r)))
                    continue;
                ++m_stringCells;
                const quint32 old = u32(r.data, 6);
                if (sheet.strings && old < sheet.strings->size()) {
                    quint32& target = m_remap[sheet.strings.get()][old];
                    if (target == kUnmapped) {
                        target = kUnmapped - 1;
                        const XlsString& string = (*sheet.strings)[old];
                        candidates.push_back({ &string.text, &string.runs, &string.phonetic });
                        targets.push_back(&target);
                    }
                }
            }
            if (!sheet.modified)
                continue;
            for (const auto& row : sheet.rows) {
                for (const auto& cell : row) {
                    if (cell.rewritten && cell.value.isText() && !cell.value.storedText().isEmpty()) {
                        cellTexts.push_back(&cell.value.storedText());
                        ++m_stringCells;
                    }
                }
            }
        }
        // Candidates past the old tables' strings are the cell texts, which need no list of their own.
        const size_t oldCount = candidates.size();
        m_cellStrings.assign(cellTexts.size(), 0);
        const auto candidate = [&](size_t i) {
            return i < oldCount ? candidates[i] : Candidate { cellTexts[i - oldCount], &none, &none };
        };
        const auto target
            = [&](size_t i) -> quint32& { return i < oldCount ? *targets[i] : m_cellStrings[i - oldCount]; };
        const size_t total = oldCount + cellTexts.size();
        std::vector<std::pair<size_t, quint32>> byHash(total);
        for (size_t i = 0; i < total; ++i) {
            const Candidate c = candidate(i);
            byHash[i] = { qHashMulti(0, *c.text, *c.runs, *c.phonetic), quint32(i) };
        }
        std::sort(byHash.begin(), byHash.end());
        const auto same = [](const XlsString& a, const Candidate& b) {
            return a.text == *b.text && a.runs == *b.runs && a.phonetic == *b.phonetic;
        };
        for (size_t first = 0; first < byHash.size();) {
            size_t end = first;
            while (end < byHash.size() && byHash[end].first == byHash[first].first)
                ++end;
            const size_t groupStart = m_strings.size();
            for (size_t k = first; k < end; ++k) {
                const Candidate c = candidate(byHash[k].second);
                size_t index = groupStart;
                while (index < m_strings.size() && !same(m_strings[index], c))
                    ++index;
                if (index == m_strings.size())
                    m_strings.push_back(XlsString { *c.text, *c.runs, *c.phonetic });
                target(byHash[k].second) = quint32(index);
            }
            first = end;
        }
    }

    static const XlsSheet::Cell* cellAt(const XlsSheet& sheet, int row, int col)
    {
        if (row < 0 || size_t(row) >= sheet.rows.size())
            return nullptr;
        const auto& cells = sheet.rows[size_t(row)];
        const auto it = std::lower_bound(
            cells.begin(), cells.end(), col, [](const XlsSheet::Cell& c, int wanted) { return c.col < wanted; });
        return it != cells.end() && it->col == col ? &*it : nullptr;
    }

    static bool isRewritten(const XlsSheet& sheet, int row, int col)
    {
        const XlsSheet::Cell* c = cellAt(sheet, row, col);
        return c && c->rewritten;
    }

    static bool isRewritten(const XlsSheet& sheet, const BiffRecord& r)
    {
        return isRewritten(sheet, u16(r.data, 0), u16(r.data, 2));
    }

    // The SST, split into CONTINUE records; a string's characters restart in a CONTINUE with a flags byte.
    void writeStrings(QByteArray& out)
    {
        std::vector<QByteArray> records(1);
        append32(records[0], m_stringCells);
        append32(records[0], quint32(m_strings.size()));
        const int perBucket = std::max(8, int(m_strings.size() / 128) + 1);
        QByteArray extSst;
        append16(extSst, quint16(perBucket));
        const qsizetype sstStart = out.size();
        std::vector<qsizetype> recordStarts { sstStart };
        const auto room = [&] { return kMaxRecordData - records.back().size(); };
        const auto newRecord = [&] {
            recordStarts.push_back(recordStarts.back() + 4 + records.back().size());
            records.emplace_back();
        };
        for (size_t i = 0; i < m_strings.size(); ++i) {
            const XlsString& s = m_strings[i];
            const bool wide = !fitsLatin1(s.text);
            QByteArray header;
            append16(header, quint16(s.text.size()));
            header.append(char((wide ? 0x01 : 0) | (s.runs.isEmpty() ? 0 : 0x08) | (s.phonetic.isEmpty() ? 0 : 0x04)));
            if (!s.runs.isEmpty())
                append16(header, quint16(s.runs.size() / 4));
            if (!s.phonetic.isEmpty())
                append32(header, quint32(s.phonetic.size()));
            if (room() < header.size() + (wide ? 2 : 1))
                newRecord();
            if (i % size_t(perBucket) == 0) {
                append32(extSst, quint32(recordStarts.back() + 4 + records.back().size()));
                append16(extSst, quint16(4 + records.back().size()));
                append16(extSst, 0);
            }
            records.back().append(header);
            const QByteArray chars = wide ? QByteArray(reinterpret_cast<const char*>(s.text.utf16()), s.text.size() * 2)
                                          : s.text.toLatin1();
            const qsizetype width = wide ? 2 : 1;
            qsizetype at = 0;
            while (at < chars.size()) {
                qsizetype take = std::min(chars.size() - at, room() / width * width);
                if (take == 0) {
                    newRecord();
                    records.back().append(char(wide ? 1 : 0));
                    continue;
                }
                records.back().append(chars.constData() + at, take);
                at += take;
            }
            for (const QByteArray* tail : { &s.runs, &s.phonetic }) {
                qsizetype done = 0;
                while (done < tail->size()) {
                    if (room() == 0)
                        newRecord();
                    const qsizetype take = std::min(tail->size() - done, room());
                    records.back().append(tail->constData() + done, take);
                    done += take;
                }
            }
        }
        for (size_t r = 0; r < records.size(); ++r)
            appendRecord(out, r == 0 ? BiffId::Sst : BiffId::Continue, records[r]);
        appendRecord(out, BiffId::ExtSst, extSst);
        std::vector<XlsString>().swap(m_strings);
    }

    void writeGlobals(QByteArray& out, std::vector<qsizetype>* boundSheetAt)
    {
        bool stringsWritten = false;
        const auto& g = m_book.globals;
        for (size_t i = 0; i < g.size(); ++i) {
            const BiffRecord& r = g[i];
            if (r.id == BiffId::Sst) {
                while (i + 1 < g.size() && g[i + 1].id == BiffId::Continue)
                    ++i;
                if (m_biff8 && !stringsWritten)
                    writeStrings(out);
                stringsWritten = true;
                continue;
            }
            if (r.id == BiffId::ExtSst)
                continue;
            if (r.id == BiffId::Eof && m_biff8 && !stringsWritten && !m_strings.empty()) {
                writeStrings(out);
                stringsWritten = true;
            }
            if (r.id == BiffId::BoundSheet)
                boundSheetAt->push_back(out.size() + 4);
            appendRecord(out, r.id, r.data);
        }
    }

    void copySheet(QByteArray& out, const XlsSheet& sheet, quint32 offset)
    {
        const qint64 shift = qint64(offset) - qint64(sheet.streamOffset);
        for (const BiffRecord& r : sheet.records) {
            if (r.id == BiffId::LabelSst && m_biff8 && r.data.size() >= 10) {
                QByteArray d = r.data;
                put32(d, 6, remapped(sheet, u32(d, 6)));
                appendRecord(out, r.id, d);
            } else if (r.id == BiffId::Index) {
                // Absolute positions of the DEFCOLWIDTH (BIFF8) and DBCELL records move with the sheet.
                QByteArray d = r.data;
                for (qsizetype at = 12; at + 4 <= d.size(); at += 4) {
                    const quint32 pos = u32(d, at);
                    if (pos != 0)
                        put32(d, at, quint32(qint64(pos) + shift));
                }
                appendRecord(out, r.id, d);
            } else {
                appendRecord(out, r.id, r.data);
            }
        }
    }

    static bool isTailRecord(quint16 id)
    {
        switch (id) {
        case 0x001C: // NOTE
        case 0x001D: // SELECTION
        case 0x0041: // PANE
        case 0x005D: // OBJ
        case 0x00A0: // SCL
        case 0x00E5: // MERGEDCELLS
        case 0x00EC: // MSODRAWING
        case 0x01B6: // TXO
        case 0x023E: // WINDOW2
            return true;
        default:
            return false;
        }
    }

    static bool isTableRecord(quint16 id)
    {
        switch (id) {
        case BiffId::Row:
        case BiffId::DbCell:
        case BiffId::Number:
        case BiffId::Rk:
        case BiffId::MulRk:
        case BiffId::Blank:
        case BiffId::MulBlank:
        case BiffId::LabelSst:
        case BiffId::Label:
        case BiffId::RString:
        case BiffId::BoolErr:
        case BiffId::Formula:
        case BiffId::String:
        case BiffId::ShrFmla:
        case BiffId::Array:
        case BiffId::Table:
            return true;
        default:
            return false;
        }
    }

    // One cell as it goes into the table: where the bytes of its record(s) stand in m_cells.
    struct Piece
    {
        quint32 at;
        quint32 size;
        quint16 col;
    };

    // A cell record (row, column, format, then the payload) appended to m_cells.
    void cellRecord(quint16 id, int row, const XlsSheet::Cell& cell, const char* payload, qsizetype size)
    {
        char head[10];
        const quint16 fields[5] = { id, quint16(6 + size), quint16(row), cell.col, cell.xf };
        for (int i = 0; i < 5; ++i) {
            head[2 * i] = char(fields[i] & 0xFF);
            head[2 * i + 1] = char(fields[i] >> 8);
        }
        m_cells.append(head, 10);
        if (size > 0)
            m_cells.append(payload, size);
    }

    // Appends the cell's record to m_cells; a Null cell in the default format needs none.
    bool encodeCell(int row, const XlsSheet::Cell& cell, QString* error)
    {
        const CellValue& v = cell.value;
        switch (v.type()) {
        case CellValue::Type::Null:
            if (cell.xf != defaultXf())
                cellRecord(BiffId::Blank, row, cell, nullptr, 0);
            return true;
        case CellValue::Type::Text: {
            const QString& text = v.storedText();
            if (text.isEmpty()) {
                if (cell.xf != defaultXf())
                    cellRecord(BiffId::Blank, row, cell, nullptr, 0);
                return true;
            }
            if (m_biff8) {
                const quint32 index = m_cellStrings[m_nextCellString++];
                const char bytes[4]
                    = { char(index & 0xFF), char(index >> 8 & 0xFF), char(index >> 16 & 0xFF), char(index >> 24) };
                cellRecord(BiffId::LabelSst, row, cell, bytes, 4);
                return true;
            }
            QByteArray label;
            const QByteArray bytes = Windows1252::encode(text);
            if (bytes.size() > kMaxRecordDataBiff5 - 8) {
                *error
                    = QStringLiteral("O texto da célula da linha %1 tem %2 caracteres, mais do que um livro do Excel "
                                     "5.0/95 leva numa célula.")
                          .arg(row + 1)
                          .arg(text.size());
                return false;
            }
            append16(label, quint16(bytes.size()));
            label.append(bytes);
            cellRecord(BiffId::Label, row, cell, label.constData(), label.size());
            return true;
        }
        case CellValue::Type::Number:
        case CellValue::Type::Date: {
            double number = v.numberValue();
            if (v.isDate() && m_book.date1904)
                number -= 1462;
            char raw[8];
            std::memcpy(raw, &number, 8);
            cellRecord(BiffId::Number, row, cell, raw, 8);
            return true;
        }
        case CellValue::Type::Boolean:
        case CellValue::Type::Error: {
            const char raw[2] = { char(int(v.numberValue())), char(v.isBoolean() ? 0 : 1) };
            cellRecord(BiffId::BoolErr, row, cell, raw, 2);
            return true;
        }
        }
        return true;
    }

    int defaultXf() const { return 15; }

    // The cells of one row, untouched ones as they were read and rewritten ones encoded anew.
    struct RowPlan
    {
        QByteArray rowRecord;
        std::vector<Piece> pieces;
    };

    bool writeSheet(QByteArray& out, const XlsSheet& sheet, QString* error)
    {
        std::vector<RowPlan> rows(size_t(std::max(sheet.rowCount, int(sheet.rows.size()))));
        m_cells.clear();
        m_cells.reserve(1 << 20);
        std::vector<const BiffRecord*> prefix, suffix;
        bool tableSeen = false;
        int depth = 0;
        const auto& recs = sheet.records;
        for (size_t i = 0; i < recs.size(); ++i) {
            const BiffRecord& r = recs[i];
            if (r.id == BiffId::Bof)
                ++depth;
            if (depth == 1 && isTableRecord(r.id)) {
                tableSeen = true;
                i = planRecord(sheet, i, rows);
                continue;
            }
            // A sheet without cells: the window settings and drawings still go after the (new) table.
            if (depth == 1 && i > 0 && (isTailRecord(r.id) || r.id == BiffId::Eof))
                tableSeen = true;
            if (r.id == BiffId::Eof)
                --depth;
            if (depth == 1 && (r.id == BiffId::Index || r.id == BiffId::Dimensions))
                continue;
            if (depth == 1 && r.id == BiffId::Continue && i > 0 && isTableRecord(recs[i - 1].id))
                continue;
            (tableSeen ? suffix : prefix).push_back(&r);
        }
        for (size_t row = 0; row < sheet.rows.size(); ++row) {
            for (const auto& cell : sheet.rows[row]) {
                if (!cell.rewritten)
                    continue;
                const qsizetype at = m_cells.size();
                if (!encodeCell(int(row), cell, error))
                    return false;
                if (m_cells.size() > at) {
                    auto& pieces = rows[row].pieces;
                    if (pieces.empty())
                        pieces.reserve(sheet.rows[row].size());
                    pieces.push_back(Piece { quint32(at), quint32(m_cells.size() - at), cell.col });
                }
            }
        }
        int firstRow = -1, lastRow = -1, firstCol = 256, lastCol = -1;
        for (size_t row = 0; row < rows.size(); ++row) {
            auto& pieces = rows[row].pieces;
            std::stable_sort(
                pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) { return a.col < b.col; });
            if (pieces.empty())
                continue;
            firstRow = firstRow < 0 ? int(row) : firstRow;
            lastRow = int(row);
            firstCol = std::min(firstCol, int(pieces.front().col));
            lastCol = std::max(lastCol, int(pieces.back().col) + lastColumnSpan(pieces.back()));
        }
        // Blank rows at the end still belong to the sheet.
        const int rowsInSheet = std::max(lastRow + 1, sheet.rowCount);

        // BOF first, then INDEX (positions patched below), the rest of the head, the table, the tail.
        const BiffRecord* bof = prefix.front();
        appendRecord(out, bof->id, bof->data);
        std::vector<size_t> blocksWithRows;
        for (size_t b = 0; b * kRowsPerBlock < rows.size(); ++b) {
            for (size_t row = b * kRowsPerBlock; row < std::min(rows.size(), (b + 1) * kRowsPerBlock); ++row) {
                if (!rows[row].pieces.empty() || !rows[row].rowRecord.isEmpty()) {
                    blocksWithRows.push_back(b);
                    break;
                }
            }
        }
        QByteArray index;
        append32(index, 0);
        if (m_biff8) {
            append32(index, quint32(std::max(firstRow, 0)));
            append32(index, quint32(lastRow + 1));
        } else {
            append16(index, quint16(std::max(firstRow, 0)));
            append16(index, quint16(lastRow + 1));
        }
        append32(index, 0);
        const qsizetype indexDataAt = out.size() + 4;
        const qsizetype positionsAt = indexDataAt + index.size();
        for (size_t n = 0; n < blocksWithRows.size(); ++n)
            append32(index, 0);
        appendRecord(out, BiffId::Index, index);
        QByteArray dimensions;
        if (m_biff8) {
            append32(dimensions, quint32(std::max(firstRow, 0)));
            append32(dimensions, quint32(rowsInSheet));
        } else {
            append16(dimensions, quint16(std::max(firstRow, 0)));
            append16(dimensions, quint16(rowsInSheet));
        }
        append16(dimensions, quint16(lastCol < 0 ? 0 : firstCol));
        append16(dimensions, quint16(lastCol + 1));
        append16(dimensions, 0);
        for (size_t p = 1; p < prefix.size(); ++p) {
            if (prefix[p]->id == BiffId::DefColWidth && m_biff8)
                put32(out, indexDataAt + 12, quint32(out.size()));
            appendRecord(out, prefix[p]->id, prefix[p]->data);
        }
        appendRecord(out, BiffId::Dimensions, dimensions);

        for (size_t n = 0; n < blocksWithRows.size(); ++n) {
            const size_t b = blocksWithRows[n];
            const size_t end = std::min(rows.size(), (b + 1) * kRowsPerBlock);
            qsizetype firstRowRecord = -1;
            std::vector<size_t> blockRows;
            for (size_t row = b * kRowsPerBlock; row < end; ++row) {
                RowPlan& plan = rows[row];
                if (plan.pieces.empty() && plan.rowRecord.isEmpty())
                    continue;
                QByteArray rowData = plan.rowRecord;
                if (rowData.size() < 16) {
                    rowData = QByteArray(16, '\0');
                    put16(rowData, 0, quint16(row));
                    put16(rowData, 6, 0x00FF);
                    put16(rowData, 12, 0x0100);
                    put16(rowData, 14, 0x000F);
                }
                put16(rowData, 2, plan.pieces.empty() ? 0 : plan.pieces.front().col);
                put16(rowData, 4,
                    plan.pieces.empty() ? 0 : quint16(plan.pieces.back().col + 1 + lastColumnSpan(plan.pieces.back())));
                if (firstRowRecord < 0)
                    firstRowRecord = out.size();
                appendRecord(out, BiffId::Row, rowData);
                blockRows.push_back(row);
            }
            const qsizetype secondRowRecord = firstRowRecord + 4 + 16;
            QByteArray dbcell;
            append32(dbcell, 0);
            qsizetype previousCell = secondRowRecord;
            for (size_t row : blockRows) {
                const qsizetype cellStart = out.size();
                for (const Piece& piece : rows[row].pieces)
                    out.append(m_cells.constData() + piece.at, piece.size);
                append16(dbcell, quint16(cellStart - previousCell));
                previousCell = cellStart;
            }
            put32(dbcell, 0, quint32(out.size() - firstRowRecord));
            put32(out, positionsAt + qsizetype(n) * 4, quint32(out.size()));
            appendRecord(out, BiffId::DbCell, dbcell);
        }
        for (const BiffRecord* r : suffix)
            appendRecord(out, r->id, r->data);
        return true;
    }

    // A MULRK or MULBLANK covers more than its first column.
    int lastColumnSpan(const Piece& piece) const
    {
        const quint16 id = u16(m_cells, piece.at);
        if (id != BiffId::MulRk && id != BiffId::MulBlank)
            return 0;
        const qsizetype end = piece.at + 4 + u16(m_cells, piece.at + 2);
        return u16(m_cells, end - 2) - u16(m_cells, piece.at + 6);
    }

    // Appends a record of the original sheet to m_cells as (part of) the piece for col.
    void rawRecord(Piece& piece, quint16 id, const QByteArray& data)
    {
        appendRecord(m_cells, id, data);
        piece.size = quint32(m_cells.size() - piece.at);
    }

    // Files the original table record at i (with the records that belong to it) under its row; returns the
    // index of the last record it took.
    size_t planRecord(const XlsSheet& sheet, size_t i, std::vector<RowPlan>& rows)
    {
        const auto& recs = sheet.records;
        const BiffRecord& r = recs[i];
        if (r.data.size() < 4 || r.id == BiffId::DbCell || r.id == BiffId::String || r.id == BiffId::ShrFmla
            || r.id == BiffId::Array || r.id == BiffId::Table)
            return i;
        const int row = u16(r.data, 0);
        if (size_t(row) >= rows.size())
            rows.resize(size_t(row) + 1);
        if (r.id == BiffId::Row) {
            rows[size_t(row)].rowRecord = r.data;
            return i;
        }
        const int col = u16(r.data, 2);
        if (r.id == BiffId::MulRk || r.id == BiffId::MulBlank) {
            const qsizetype step = r.id == BiffId::MulRk ? 6 : 2;
            const int last = u16(r.data, r.data.size() - 2);
            bool anyRewritten = false;
            for (int c = col; c <= last; ++c)
                anyRewritten = anyRewritten || isRewritten(sheet, row, c);
            if (!anyRewritten) {
                Piece piece { quint32(m_cells.size()), 0, quint16(col) };
                rawRecord(piece, r.id, r.data);
                rows[size_t(row)].pieces.push_back(piece);
                return i;
            }
            for (int c = col; c <= last; ++c) {
                if (isRewritten(sheet, row, c))
                    continue;
                const qsizetype at = 4 + qsizetype(c - col) * step;
                const XlsSheet::Cell part { quint16(c), u16(r.data, at), false, CellValue() };
                Piece piece { quint32(m_cells.size()), 0, quint16(c) };
                if (r.id == BiffId::MulRk)
                    cellRecord(BiffId::Rk, row, part, r.data.constData() + at + 2, 4);
                else
                    cellRecord(BiffId::Blank, row, part, nullptr, 0);
                piece.size = quint32(m_cells.size() - piece.at);
                rows[size_t(row)].pieces.push_back(piece);
            }
            return i;
        }
        size_t last = i;
        if (r.id == BiffId::Formula) {
            while (last + 1 < recs.size()
                && (recs[last + 1].id == BiffId::ShrFmla || recs[last + 1].id == BiffId::Array
                    || recs[last + 1].id == BiffId::Table || recs[last + 1].id == BiffId::String
                    || (recs[last + 1].id == BiffId::Continue && recs[last].id == BiffId::String)))
                ++last;
        }
        if (isRewritten(sheet, row, col))
            return last;
        Piece piece { quint32(m_cells.size()), 0, quint16(col) };
        for (size_t k = i; k <= last; ++k) {
            QByteArray d = recs[k].data;
            if (recs[k].id == BiffId::LabelSst && m_biff8 && d.size() >= 10)
                put32(d, 6, remapped(sheet, u32(d, 6)));
            rawRecord(piece, recs[k].id, d);
        }
        rows[size_t(row)].pieces.push_back(piece);
        return last;
    }

    const XlsWorkbook& m_book;
    const bool m_biff8;
    std::vector<XlsString> m_strings;
    QHash<const std::vector<XlsString>*, std::vector<quint32>> m_remap;
    std::vector<quint32> m_cellStrings; // for the rewritten text cells, in sheet and row order
    QByteArray m_cells; // the cell records of the sheet being written
    size_t m_nextCellString = 0;
    quint32 m_stringCells = 0;
};

} // namespace

namespace XlsWriter {

bool writeStream(const XlsWorkbook& book, QByteArray* stream, QString* error)
{
    Writer writer(book);
    return writer.run(stream, error);
}

bool save(XlsWorkbook& book, const QString& path, QString* error)
{
    QByteArray stream;
    if (!writeStream(book, &stream, error))
        return false;
    CompoundFile container = book.container;
    container.setStream(book.streamName, stream);
    if (!container.write(path, error))
        return false;
    book.container = std::move(container);
    return true;
}

} // namespace XlsWriter
