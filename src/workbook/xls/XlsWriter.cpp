#include "workbook/xls/XlsWriter.h"

#include "values/Bytes.h"
#include "values/Windows1252.h"
#include "workbook/xls/BiffCodec.h"
#include "workbook/xls/ContinuedRecordWriter.h"
#include "workbook/xls/XlsWorkbook.h"

#include <QHash>
#include <QVarLengthArray>

#include <algorithm>
#include <cstring>
#include <future>
#include <memory>
#include <numeric>

namespace {

using BiffCodec::append16;
using BiffCodec::append32;
using BiffCodec::appendRecord;
using BiffCodec::put16;
using BiffCodec::put32;
using BiffCodec::read16;
using BiffCodec::read32;

constexpr int kRowsPerBlock = 32; // rows between two DBCELLs
constexpr quint32 kUnmapped = 0xFFFFFFFF;
constexpr quint32 kUsed = kUnmapped - 1; // an old string the new table takes, before it has its place there
constexpr quint32 kOldString = 0x80000000; // a rewritten cell's text shares this old string (in the low bits)
constexpr size_t kRowsAhead = 2; // rows whose strings' indexes a save asks for before it reads them
constexpr size_t kHashCacheSize = 4096; // texts whose hash a save remembers by address
constexpr qsizetype kPiecesInARow = 12; // cells a row's plan holds before it takes memory of its own
constexpr qint64 kMaxStreamSize = qint64(1) << 31;
constexpr qsizetype kLabelSstSize = Biff::kCellHeaderSize + 4; // the cell's head and the string's index
// INDEX holds stream positions from this byte on: in BIFF8 the DEFCOLWIDTH's first, then each DBCELL's.
constexpr qsizetype kIndexPositionsAt = 12;

// The ROW record: its columns, and what one made for a row that had none holds: the default height, flags with
// only the bit that is always set, the default cell format.
constexpr qsizetype kRowFirstColAt = 2;
constexpr qsizetype kRowColEndAt = 4;
constexpr qsizetype kRowHeightAt = 6;
constexpr qsizetype kRowFlagsAt = 12;
constexpr qsizetype kRowXfAt = 14;
constexpr quint16 kDefaultRowHeight = 0x00FF;
constexpr quint16 kDefaultRowFlags = 0x0100;

class Writer
{
    // A string of the new table, where it stands in the workbook or its cells.
    struct Candidate
    {
        const QString* text;
        const QByteArray* runs;
        const QByteArray* phonetic;
    };

    // The new string table and where each string goes: made once, then only read as the sheets are written.
    struct StringTable
    {
        std::vector<Candidate> strings; // the strings of the workbook and its cells, each once
        QHash<const SharedStrings*, std::vector<quint32>> remap; // each old table's strings, to the new
        std::vector<quint32> cellStrings; // for the rewritten text cells, in sheet and row order
        std::vector<size_t> firstCellString; // of each sheet, in cellStrings
        quint32 stringCells = 0;
        // Where a copied cell goes whose string is missing from the table it was read with: an empty string,
        // rather than whatever string its old index names in the new table.
        quint32 missing = kUnmapped;
    };

public:
    explicit Writer(const XlsWorkbook& book)
        : m_book(book)
        , m_biff8(book.version == XlsWorkbook::Version::Biff8)
        , m_table(m_ownTable)
    {
    }

    // A writer of one sheet beside main, with main's string table.
    explicit Writer(const Writer& main)
        : m_book(main.m_book)
        , m_biff8(main.m_biff8)
        , m_table(main.m_table)
    {
    }

    bool run(std::vector<QByteArray>* stream, QString* error)
    {
        for (const XlsSheet& sheet : m_book.sheets) {
            if (sheet.modified && sheet.rowCount > m_book.maxRows()) {
                *error = QStringLiteral("A folha %1 ficaria com %2 linhas, mas um livro do %3 só leva %4 linhas por "
                                        "folha, cabeçalho incluído: guarde o livro como .xlsx, que leva mais de um "
                                        "milhão de linhas por folha.")
                             .arg(sheet.name)
                             .arg(sheet.rowCount)
                             .arg(m_biff8 ? QStringLiteral("Excel 97-2003") : QStringLiteral("Excel 5.0/95"))
                             .arg(m_book.maxRows());
                return false;
            }
        }
        readRecords();
        if (m_biff8)
            collectStrings();
        // The globals and each sheet are pieces of their own, never joined: a full stream is tens of megabytes.
        QByteArray globals;
        qsizetype expected = 0;
        for (const BiffRecord& r : m_book.globals)
            expected += Biff::kRecordHeaderSize + r.data.size();
        globals.reserve(expected + expected / 8);
        std::vector<qsizetype> boundSheetAt;
        writeGlobals(globals, &boundSheetAt);
        const auto& sheets = m_book.sheets;
        std::vector<QByteArray> parts(sheets.size());
        if (!writeModifiedSheets(&parts, error))
            return false;
        qint64 offset = globals.size();
        for (size_t i = 0; i < sheets.size(); ++i) {
            const XlsSheet& sheet = sheets[i];
            put32(globals, boundSheetAt[i], quint32(offset));
            if (!sheet.modified)
                copySheet(parts[i], sheet, m_records[i], quint32(offset));
            else
                moveIndex(parts[i], quint32(offset));
            offset += parts[i].size();
        }
        // A compound file of 512-byte sectors holds no stream past 2 GB.
        if (offset > kMaxStreamSize) {
            *error = QStringLiteral("O livro ficaria com mais de 2 GB, mais do que um livro do Excel leva; nada foi "
                                    "gravado.");
            return false;
        }
        stream->clear();
        stream->reserve(sheets.size() + 1);
        stream->push_back(std::move(globals));
        for (QByteArray& part : parts)
            stream->push_back(std::move(part));
        return true;
    }

private:
    // Each modified sheet is written apart, as if it began the stream: the first on a second thread while this
    // one writes the others. Each sheet's text cells know their first string, so neither writer waits on the
    // other. A lone modified sheet is written here.
    bool writeModifiedSheets(std::vector<QByteArray>* parts, QString* error)
    {
        const auto& sheets = m_book.sheets;
        const auto modified = [](const XlsSheet& s) { return s.modified; };
        const size_t first = size_t(std::find_if(sheets.begin(), sheets.end(), modified) - sheets.begin());
        const auto writeAt = [this, parts](Writer& writer, size_t i, QString* why) {
            QByteArray& part = (*parts)[i];
            const qsizetype read = bytesRead(m_book.sheets[i], m_records[i]);
            part.reserve(read + read / 8);
            return writer.writeSheetAt(part, i, m_records[i], why);
        };
        if (first == sheets.size())
            return true;
        if (std::count_if(sheets.begin(), sheets.end(), modified) < 2)
            return writeAt(*this, first, error);
        bool asideWritten = true;
        QString asideError;
        std::future<void> aside = std::async(std::launch::async, [&] {
            Writer beside(*this);
            asideWritten = writeAt(beside, first, &asideError);
        });
        bool ok = true;
        for (size_t i = first + 1; i < sheets.size() && ok; ++i) {
            if (sheets[i].modified)
                ok = writeAt(*this, i, error);
        }
        aside.get();
        if (ok && !asideWritten)
            *error = asideError;
        return ok && asideWritten;
    }

    // What the sheet took in the stream it was read from: about what it takes written again, so a buffer of that
    // size spares the copies (and the memory mapped anew) of one that grows.
    static qsizetype bytesRead(const XlsSheet& sheet, const SubstreamRecords& records)
    {
        if (sheet.source.isEmpty() || records.empty())
            return 0;
        const BiffRecord last = records.back();
        return last.data.constData() + last.data.size() - (sheet.source.constData() + sheet.streamOffset);
    }

    // A sheet written apart goes in at offset: its INDEX (right after its BOF) moves by as much.
    void moveIndex(QByteArray& part, quint32 offset) const
    {
        const qsizetype indexAt = Biff::kRecordHeaderSize + read16(part, 2);
        const qsizetype indexDataAt = indexAt + Biff::kRecordHeaderSize;
        const BiffRecord index { BiffId::Index,
            QByteArray::fromRawData(part.constData() + indexDataAt, read16(part, indexAt + 2)) };
        patchCopied(part, indexDataAt, SheetStrings(), index, offset);
    }

    // Sheet i, whose records are those given; its text cells take the strings from its first one on.
    bool writeSheetAt(QByteArray& out, size_t i, const SubstreamRecords& records, QString* error)
    {
        if (i < m_table.firstCellString.size())
            m_nextCellString = m_table.firstCellString[i];
        return writeSheet(out, m_book.sheets[i], records, error);
    }

    // The records of every sheet, read again from the stream they came in; the largest sheet's on a second
    // thread while this one reads the others.
    void readRecords()
    {
        const auto& sheets = m_book.sheets;
        m_records.resize(sheets.size());
        const auto largest = std::max_element(sheets.begin(), sheets.end(),
            [](const XlsSheet& a, const XlsSheet& b) { return a.rows.size() < b.rows.size(); });
        std::future<void> aside;
        if (largest != sheets.end()) {
            const size_t i = size_t(largest - sheets.begin());
            aside = std::async(std::launch::async, [this, i] { m_records[i] = m_book.sheets[i].allRecords(); });
        }
        for (size_t i = 0; i < sheets.size(); ++i) {
            if (sheets.begin() + qsizetype(i) != largest)
                m_records[i] = sheets[i].allRecords();
        }
        if (aside.valid())
            aside.get();
    }

    // A sheet's string table and where each of its strings goes in the new one (known after collectStrings()):
    // looked up once a sheet, not once a cell.
    struct SheetStrings
    {
        const SharedStrings* table = nullptr;
        const std::vector<quint32>* map = nullptr; // none while the table's strings keep their places
    };
    SheetStrings stringsOf(const XlsSheet& sheet) const
    {
        const auto map = m_table.remap.constFind(sheet.strings.get());
        return { sheet.strings.get(), map == m_table.remap.cend() ? nullptr : &*map };
    }

    // The new index of a string a copied LABELSST points at.
    quint32 remapped(const SheetStrings& strings, quint32 old) const
    {
        if (!strings.table || old >= strings.table->size())
            return m_table.missing == kUnmapped ? old : m_table.missing;
        return !strings.map || strings.map->at(old) >= kUsed ? old : strings.map->at(old);
    }

    // The strings a save may put in its table: the old tables' strings still in use, table by table in their
    // order, then the new texts in the order of their cells.
    struct Candidates
    {
        std::vector<Candidate> old;
        std::vector<quint32*> oldTargets; // where each old one's place in the new table goes
        std::vector<const QString*> texts;

        size_t size() const { return old.size() + texts.size(); }
        Candidate operator[](size_t i) const
        {
            static const QByteArray none;
            return i < old.size() ? old[i] : Candidate { texts[i - old.size()], &none, &none };
        }
    };

    // Every string the new stream holds, each once, in the order of the candidates. A text that still shares an
    // old string is known by its address; the others, and each old string once, are grouped by hash.
    void collectStrings()
    {
        Candidates candidates;
        bool stringMissing = false;
        const std::vector<const SharedStrings*> tables = markStrings(&candidates.texts, &stringMissing);
        static const QString empty = QStringLiteral("");
        const size_t missingText = candidates.texts.size();
        if (stringMissing)
            candidates.texts.push_back(&empty);
        for (const SharedStrings* table : tables) {
            std::vector<quint32>& map = m_table.remap[table];
            for (size_t k = 0; k < map.size(); ++k) {
                if (map[k] == kUsed) {
                    const XlsString& string = (*table)[k];
                    candidates.old.push_back({ &string.text, &string.runs(), &string.phonetic() });
                    candidates.oldTargets.push_back(&map[k]);
                }
            }
        }
        // In candidate order, each first one takes the next place and the others the place of theirs.
        std::vector<quint32> place = firstEqual(candidates);
        for (size_t i = 0; i < place.size(); ++i) {
            if (place[i] == i) {
                place[i] = quint32(m_table.strings.size());
                m_table.strings.push_back(candidates[i]);
            } else {
                place[i] = place[place[i]];
            }
        }
        const size_t oldCount = candidates.old.size();
        for (size_t i = 0; i < oldCount; ++i)
            *candidates.oldTargets[i] = place[i];
        if (stringMissing)
            m_table.missing = place[oldCount + missingText];
        for (size_t s = 0; s < m_book.sheets.size(); ++s) {
            const size_t end
                = s + 1 < m_book.sheets.size() ? m_table.firstCellString[s + 1] : m_table.cellStrings.size();
            const SharedStrings* table = m_book.sheets[s].strings.get();
            const std::vector<quint32>* map = table ? &m_table.remap[table] : nullptr;
            for (size_t j = m_table.firstCellString[s]; j < end; ++j) {
                quint32& string = m_table.cellStrings[j];
                string = string & kOldString ? (*map)[string & ~kOldString] : place[oldCount + string];
            }
        }
    }

    // Marks the old strings the copied cells and the rewritten ones use, and lists the rewritten cells' other
    // texts; returns the old tables in the order first met. missing is set when a copied cell's string is not
    // in its table.
    std::vector<const SharedStrings*> markStrings(std::vector<const QString*>* newTexts, bool* missing)
    {
        // Sized up front: at full size these lists are the largest thing a save holds.
        size_t cellCount = 0;
        for (const XlsSheet& sheet : m_book.sheets) {
            if (sheet.modified) {
                for (const auto& row : sheet.rows)
                    cellCount += row.size();
            }
        }
        newTexts->reserve(cellCount);
        m_table.cellStrings.reserve(cellCount);
        std::vector<const SharedStrings*> tables;
        for (size_t s = 0; s < m_book.sheets.size(); ++s) {
            const XlsSheet& sheet = m_book.sheets[s];
            m_table.firstCellString.push_back(m_table.cellStrings.size());
            const SharedStrings* table = sheet.strings.get();
            // Looked up once a sheet, not once a cell: nothing is added to the hash while its cells are read.
            std::vector<quint32>* map = nullptr;
            if (table) {
                map = &m_table.remap[table];
                if (map->size() != table->size()) {
                    map->assign(table->size(), kUnmapped);
                    tables.push_back(table);
                }
            }
            for (const BiffRecord& r : m_records[s]) {
                if (r.id != BiffId::LabelSst || r.data.size() < kLabelSstSize
                    || (sheet.modified && isRewritten(sheet, r)))
                    continue;
                ++m_table.stringCells;
                const quint32 old = read32(r.data, Biff::kCellHeaderSize);
                if (map && old < map->size())
                    (*map)[old] = kUsed;
                else
                    *missing = true;
            }
            if (sheet.modified)
                markCellTexts(sheet, map, newTexts);
        }
        return tables;
    }

    void markCellTexts(const XlsSheet& sheet, std::vector<quint32>* map, std::vector<const QString*>* newTexts)
    {
        const SharedStrings* table = sheet.strings.get();
        const auto& rows = sheet.rows;
        for (size_t r = 0; r < rows.size(); ++r) {
            if (table && r + kRowsAhead < rows.size()) {
                for (const auto& ahead : rows[r + kRowsAhead]) {
                    if (ahead.rewritten && ahead.value().isText())
                        SharedStrings::prefetchIndexOf(ahead.value().storedText());
                }
            }
            for (const auto& cell : rows[r]) {
                if (!cell.rewritten || !cell.value().isText() || cell.value().storedText().isEmpty())
                    continue;
                ++m_table.stringCells;
                const QString& text = cell.value().storedText();
                // A rich old string keeps its runs for the cells it was read in; a text written anew is plain.
                const qsizetype old = table ? table->indexOf(text) : -1;
                if (old >= 0 && (*table)[size_t(old)].runs().isEmpty() && (*table)[size_t(old)].phonetic().isEmpty()) {
                    (*map)[size_t(old)] = kUsed;
                    m_table.cellStrings.push_back(quint32(old) | kOldString);
                } else {
                    m_table.cellStrings.push_back(quint32(newTexts->size()));
                    newTexts->push_back(&text);
                }
            }
        }
    }

    // Each candidate's first equal one, itself when it is the first. Equal strings are grouped by hash after a
    // sort, which keeps the lookups out of a large hash table: a full save meets about a million texts.
    static std::vector<quint32> firstEqual(const Candidates& candidates)
    {
        const size_t oldCount = candidates.old.size();
        const size_t total = candidates.size();
        std::vector<quint32> first(total);
        std::iota(first.begin(), first.end(), 0u);
        struct Keyed
        {
            size_t hash;
            const QChar* chars;
            quint32 size : 31;
            quint32 rich : 1; // with runs or phonetic data
            quint32 index;
        };
        struct CachedHash
        {
            const QChar* chars = nullptr;
            qsizetype size = -1;
            quint32 index = 0;
        };
        // Left uninitialised: the copies leave much of it unused, and a page never written is never mapped.
        const std::unique_ptr<Keyed[]> byHash(new Keyed[total]);
        // Keys [begin, end) into byHash from begin on; returns where the keyed ones end. Most new texts share
        // their characters with others (a unit in every row): a small cache on the characters' address finds
        // most such copies, which need no key. The old strings each have characters of their own.
        const auto keyRange = [&](size_t begin, size_t end) {
            std::vector<CachedHash> cache(kHashCacheSize);
            size_t keyed = begin;
            for (size_t i = begin; i < end; ++i) {
                const Candidate c = candidates[i];
                const QChar* chars = c.text->constData();
                const bool rich = !c.runs->isEmpty() || !c.phonetic->isEmpty();
                if (i >= oldCount) {
                    CachedHash& cached = cache[(quintptr(chars) >> 4 ^ quintptr(c.text->size())) % kHashCacheSize];
                    if (cached.chars == chars && cached.size == c.text->size()) {
                        first[i] = cached.index;
                        continue;
                    }
                    cached = { chars, c.text->size(), quint32(i) };
                }
                // Rich or phonetic strings differ from the plain ones with their text; the hash says so too.
                const size_t hash = rich ? qHashMulti(1, *c.text, *c.runs, *c.phonetic) : qHash(*c.text);
                byHash[keyed++] = { hash, chars, quint32(c.text->size()), rich, quint32(i) };
            }
            return keyed;
        };
        const auto byHashOrder
            = [](const Keyed& a, const Keyed& b) { return a.hash < b.hash || (a.hash == b.hash && a.index < b.index); };
        // Each half keyed and sorted on a thread of its own, then the two merged.
        size_t asideEnd = 0;
        std::future<void> aside = std::async(std::launch::async, [&] {
            asideEnd = keyRange(total / 2, total);
            std::sort(byHash.get() + total / 2, byHash.get() + asideEnd, byHashOrder);
        });
        const size_t firstEnd = keyRange(0, total / 2);
        std::sort(byHash.get(), byHash.get() + firstEnd, byHashOrder);
        aside.get();
        Keyed* const merged = std::move(byHash.get() + total / 2, byHash.get() + asideEnd, byHash.get() + firstEnd);
        std::inplace_merge(byHash.get(), byHash.get() + firstEnd, merged, byHashOrder);
        const size_t keyedCount = size_t(merged - byHash.get());
        const auto same = [&](const Keyed& a, const Keyed& b) {
            if (a.chars == b.chars && a.size == b.size && !a.rich && !b.rich)
                return true;
            const Candidate x = candidates[a.index];
            const Candidate y = candidates[b.index];
            return *x.text == *y.text && *x.runs == *y.runs && *x.phonetic == *y.phonetic;
        };
        // Within a hash, in candidate order: the first of equal strings comes first.
        std::vector<size_t> distinct;
        for (size_t begin = 0; begin < keyedCount;) {
            size_t end = begin;
            while (end < keyedCount && byHash[end].hash == byHash[begin].hash)
                ++end;
            distinct.clear();
            for (size_t k = begin; k < end; ++k) {
                const auto equal = std::find_if(
                    distinct.begin(), distinct.end(), [&](size_t d) { return same(byHash[d], byHash[k]); });
                if (equal == distinct.end())
                    distinct.push_back(k);
                else
                    first[byHash[k].index] = byHash[*equal].index;
            }
            begin = end;
        }
        return first;
    }

    static bool isRewritten(const XlsSheet& sheet, int row, int col)
    {
        const XlsSheet::Cell* c = sheet.cell(row, col);
        return c && c->rewritten;
    }

    static bool isRewritten(const XlsSheet& sheet, const BiffRecord& r)
    {
        return isRewritten(sheet, read16(r.data, 0), read16(r.data, 2));
    }

    // The SST and its CONTINUE records, then the EXTSST that points into it.
    void writeStrings(QByteArray& out)
    {
        ContinuedRecordWriter sst(BiffId::Sst, out.size());
        QByteArray counts;
        append32(counts, m_table.stringCells);
        append32(counts, quint32(m_table.strings.size()));
        sst.append(counts);
        const int perBucket = std::max(8, int(m_table.strings.size() / 128) + 1);
        QByteArray extSst;
        append16(extSst, quint16(perBucket));
        for (size_t i = 0; i < m_table.strings.size(); ++i) {
            const Candidate& s = m_table.strings[i];
            const ContinuedRecordWriter::Position at = sst.appendString(*s.text, *s.runs, *s.phonetic);
            if (i % size_t(perBucket) == 0) {
                append32(extSst, quint32(at.inStream));
                append16(extSst, quint16(at.inRecord));
                append16(extSst, 0);
            }
        }
        sst.writeTo(out);
        appendRecord(out, BiffId::ExtSst, extSst);
        std::vector<Candidate>().swap(m_table.strings);
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
            if (r.id == BiffId::Eof && m_biff8 && !stringsWritten && !m_table.strings.empty()) {
                writeStrings(out);
                stringsWritten = true;
            }
            if (r.id == BiffId::BoundSheet)
                boundSheetAt->push_back(out.size() + Biff::kRecordHeaderSize);
            appendRecord(out, r.id, r.data);
        }
    }

    // Record r of a sheet with those strings, copied as read with its data at dataAt in out: a LABELSST there now
    // points at its string's place in the new table, an INDEX at the positions its sheet has moved to by shift.
    void patchCopied(
        QByteArray& out, qsizetype dataAt, const SheetStrings& strings, const BiffRecord& r, qint64 shift) const
    {
        if (r.id == BiffId::LabelSst && m_biff8 && r.data.size() >= kLabelSstSize) {
            put32(out, dataAt + Biff::kCellHeaderSize, remapped(strings, read32(r.data, Biff::kCellHeaderSize)));
        } else if (r.id == BiffId::Index) {
            // Absolute positions of the DEFCOLWIDTH (BIFF8) and DBCELL records.
            for (qsizetype p = kIndexPositionsAt; p + 4 <= r.data.size(); p += 4) {
                if (const quint32 pos = read32(r.data, p); pos != 0)
                    put32(out, dataAt + p, quint32(qint64(pos) + shift));
            }
        }
    }

    // The sheet into out, which holds the stream from offset on.
    void copySheet(QByteArray& out, const XlsSheet& sheet, const SubstreamRecords& records, quint32 offset)
    {
        const qint64 shift = qint64(offset) - qint64(sheet.streamOffset);
        const qint64 base = out.size() - qint64(sheet.streamOffset);
        const SheetStrings strings = stringsOf(sheet);
        // A sheet read lies in its source as it goes out: copied in one piece, then patched where it changes.
        if (!sheet.source.isEmpty()) {
            const BiffRecord last = records.back();
            out.append(sheet.source.constData() + sheet.streamOffset,
                last.data.constData() + last.data.size() - (sheet.source.constData() + sheet.streamOffset));
        }
        for (const BiffRecord& r : records) {
            if (sheet.source.isEmpty())
                appendRecord(out, r.id, r.data);
            const qsizetype dataAt = sheet.source.isEmpty() ? out.size() - r.data.size()
                                                            : (r.data.constData() - sheet.source.constData()) + base;
            patchCopied(out, dataAt, strings, r, shift);
        }
    }

    // Window settings and drawings: what follows the cell table.
    static bool isTailRecord(quint16 id)
    {
        switch (id) {
        case BiffId::Note:
        case BiffId::Selection:
        case BiffId::Pane:
        case BiffId::Obj:
        case BiffId::Scl:
        case BiffId::MergedCells:
        case BiffId::MsoDrawing:
        case BiffId::Txo:
        case BiffId::Window2:
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

    // One cell as it goes into the table, written only then: records of the sheet read (from the one at ref on,
    // extra of them), an entry of a MULRK or MULBLANK read (the one at ref; extra is the entry's place there), or a
    // rewritten cell (at ref in its row; extra is its string's place in the sheet's list, for a BIFF8 text).
    struct Piece
    {
        enum Kind : quint8
        {
            Copied,
            MulEntry,
            Rewritten
        };
        quint32 ref;
        quint32 extra;
        quint16 col;
        Kind kind;
    };

    static void cellHead(QByteArray& out, quint16 id, int row, const XlsSheet::Cell& cell, qsizetype valueSize)
    {
        BiffCodec::appendCellHead(out, id, quint16(row), cell.col, cell.style, valueSize);
    }

    // A blank cell in the default format needs no record.
    static bool needsNoRecord(const XlsSheet::Cell& cell)
    {
        const CellValue& v = cell.value();
        return cell.style == Biff::kDefaultCellXf && (v.isNull() || (v.isText() && v.storedText().isEmpty()));
    }

    // Appends the cell's record to out (none when needsNoRecord()).
    bool encodeCell(QByteArray& out, int row, const XlsSheet::Cell& cell, quint32 string, QString* error)
    {
        const CellValue& v = cell.value();
        switch (v.type()) {
        case CellValue::Type::Null:
            if (cell.style != Biff::kDefaultCellXf)
                cellHead(out, BiffId::Blank, row, cell, 0);
            return true;
        case CellValue::Type::Text: {
            const QString& text = v.storedText();
            if (text.isEmpty()) {
                if (cell.style != Biff::kDefaultCellXf)
                    cellHead(out, BiffId::Blank, row, cell, 0);
                return true;
            }
            if (m_biff8) {
                cellHead(out, BiffId::LabelSst, row, cell, 4);
                append32(out, m_table.cellStrings[string]);
                return true;
            }
            const QByteArray bytes = Windows1252::encode(text);
            // The cell's head and the length take 8 bytes of the record.
            if (bytes.size() > Biff::kMaxRecordDataBiff5 - 8) {
                *error
                    = QStringLiteral("O texto da célula da linha %1 tem %2 caracteres, mais do que um livro do Excel "
                                     "5.0/95 leva numa célula.")
                          .arg(row + 1)
                          .arg(text.size());
                return false;
            }
            cellHead(out, BiffId::Label, row, cell, 2 + bytes.size());
            append16(out, quint16(bytes.size()));
            out.append(bytes);
            return true;
        }
        case CellValue::Type::Number:
        case CellValue::Type::Date: {
            double number = v.numberValue();
            if (v.isDate() && m_book.date1904)
                number -= Biff::kDate1904Offset;
            // A 1904 workbook holds no day before 1 January 1904; other programs reject the cell. The one such
            // date written here is the empty import date, day 0, which a blank cell keeps.
            if (v.isDate() && number < 0 && m_book.date1904) {
                cellHead(out, BiffId::Blank, row, cell, 0);
                return true;
            }
            cellHead(out, BiffId::Number, row, cell, 8);
            BiffCodec::appendDouble(out, number);
            return true;
        }
        case CellValue::Type::Boolean:
        case CellValue::Type::Error: {
            cellHead(out, BiffId::BoolErr, row, cell, 2);
            out.append(char(int(v.numberValue()))).append(char(v.isBoolean() ? 0 : 1));
            return true;
        }
        }
        return true;
    }

    // The cells of one row, untouched ones as they were read and rewritten ones encoded anew.
    struct RowPlan
    {
        QByteArray rowRecord;
        // Held in the plan for a row as wide as a table's: a save plans a row for each of its rows.
        QVarLengthArray<Piece, kPiecesInARow> pieces;

        bool isEmpty() const { return pieces.empty() && rowRecord.isEmpty(); }
    };

    // The records of a sheet sorted for writing: its cell table row by row, what comes before and after it.
    struct SheetPlan
    {
        std::vector<BiffRecord> head;
        std::vector<RowPlan> rows;
        std::vector<BiffRecord> tail;
    };

    // The rows and columns the table covers; -1 (and 256 for the first column) when it holds no cells.
    struct TableExtent
    {
        int firstRow = -1;
        int lastRow = -1;
        int firstCol = Biff::kMaxColumns;
        int lastCol = -1;
    };

    // INDEX, DIMENSIONS and the row blocks are made anew; the other records go out as they came, in their order.
    bool writeSheet(QByteArray& out, const XlsSheet& sheet, const SubstreamRecords& records, QString* error)
    {
        m_sheet = &sheet;
        m_sheetRecords = &records;
        m_sheetStrings = stringsOf(sheet);
        SheetPlan plan = planSheet(sheet, records);
        planRewrittenCells(plan.rows);
        sortCells(plan.rows);
        const TableExtent extent = extentOf(plan.rows);
        const std::vector<size_t> blocks = blocksWithRows(plan.rows);
        const qsizetype blockPositionsAt = writeSheetHead(out, plan.head, extent, sheet.rowCount, blocks.size());
        for (size_t n = 0; n < blocks.size(); ++n) {
            if (!writeRowBlock(out, plan.rows, blocks[n], blockPositionsAt + qsizetype(n) * 4, error))
                return false;
        }
        for (const BiffRecord& r : plan.tail)
            appendRecord(out, r.id, r.data);
        return true;
    }

    // Files the cell records read under their rows, the cells the program rewrote left out, and splits the other
    // records into those before the table and those after it. The old INDEX, DIMENSIONS and DBCELLs are dropped.
    SheetPlan planSheet(const XlsSheet& sheet, const SubstreamRecords& recs)
    {
        SheetPlan plan;
        plan.rows.resize(size_t(std::max(sheet.rowCount, int(sheet.rows.size()))));
        bool tableSeen = false;
        int depth = 0;
        for (size_t i = 0; i < recs.size(); ++i) {
            const BiffRecord r = recs[i];
            if (r.id == BiffId::Bof)
                ++depth;
            if (depth == 1 && isTableRecord(r.id)) {
                tableSeen = true;
                i = planRecord(sheet, recs, i, plan.rows);
                continue;
            }
            // A sheet without cells: the window settings and drawings still go after the (new) table.
            if (depth == 1 && i > 0 && (isTailRecord(r.id) || r.id == BiffId::Eof))
                tableSeen = true;
            if (r.id == BiffId::Eof)
                --depth;
            if (depth == 1 && (r.id == BiffId::Index || r.id == BiffId::Dimensions))
                continue;
            if (depth == 1 && r.id == BiffId::Continue && i > 0 && isTableRecord(recs.id(i - 1)))
                continue;
            (tableSeen ? plan.tail : plan.head).push_back(r);
        }
        return plan;
    }

    // Files the rewritten cells that need a record under their rows, each text with its string, taken in the
    // order the strings were found in.
    void planRewrittenCells(std::vector<RowPlan>& rows)
    {
        const XlsSheet& sheet = *m_sheet;
        for (size_t row = 0; row < sheet.rows.size(); ++row) {
            const auto& cells = sheet.rows[row];
            for (size_t k = 0; k < cells.size(); ++k) {
                const XlsSheet::Cell& cell = cells[k];
                if (!cell.rewritten || needsNoRecord(cell))
                    continue;
                const bool hasString = m_biff8 && cell.value().isText() && !cell.value().storedText().isEmpty();
                auto& pieces = rows[row].pieces;
                if (pieces.empty())
                    pieces.reserve(qsizetype(cells.size()));
                pieces.push_back(
                    Piece { quint32(k), hasString ? quint32(m_nextCellString++) : 0, cell.col, Piece::Rewritten });
            }
        }
    }

    // Cells read and cells rewritten were filed apart; the table wants each row in column order. A row whose
    // cells were all rewritten, or none, is in order already, and its sort would only allocate a buffer.
    static void sortCells(std::vector<RowPlan>& rows)
    {
        const auto byColumn = [](const Piece& a, const Piece& b) { return a.col < b.col; };
        for (RowPlan& row : rows) {
            auto& pieces = row.pieces;
            if (std::is_sorted(pieces.begin(), pieces.end(), byColumn))
                continue;
            if (pieces.size() > kPiecesInARow) {
                std::stable_sort(pieces.begin(), pieces.end(), byColumn);
                continue;
            }
            // A table's row holds a few cells: sorted by insertion, which keeps equal columns in their order
            // without the buffer a merge sort takes for each row.
            for (qsizetype i = 1; i < pieces.size(); ++i) {
                const Piece moved = pieces[i];
                qsizetype j = i;
                for (; j > 0 && moved.col < pieces[j - 1].col; --j)
                    pieces[j] = pieces[j - 1];
                pieces[j] = moved;
            }
        }
    }

    TableExtent extentOf(const std::vector<RowPlan>& rows) const
    {
        TableExtent extent;
        for (size_t row = 0; row < rows.size(); ++row) {
            const auto& pieces = rows[row].pieces;
            if (pieces.empty())
                continue;
            extent.firstRow = extent.firstRow < 0 ? int(row) : extent.firstRow;
            extent.lastRow = int(row);
            extent.firstCol = std::min(extent.firstCol, int(pieces.front().col));
            extent.lastCol = std::max(extent.lastCol, int(pieces.back().col) + lastColumnSpan(pieces.back()));
        }
        return extent;
    }

    // The blocks of 32 rows that hold a row record or a cell; each gets a DBCELL.
    static std::vector<size_t> blocksWithRows(const std::vector<RowPlan>& rows)
    {
        std::vector<size_t> blocks;
        for (size_t b = 0; b * kRowsPerBlock < rows.size(); ++b) {
            for (size_t row = b * kRowsPerBlock; row < std::min(rows.size(), (b + 1) * kRowsPerBlock); ++row) {
                if (!rows[row].isEmpty()) {
                    blocks.push_back(b);
                    break;
                }
            }
        }
        return blocks;
    }

    // BOF, INDEX, the rest of the head, DIMENSIONS. Returns where INDEX keeps the blocks' positions, patched as
    // the blocks are written.
    qsizetype writeSheetHead(QByteArray& out, const std::vector<BiffRecord>& head, const TableExtent& extent,
        int rowCount, size_t blockCount)
    {
        appendRecord(out, head.front().id, head.front().data);
        const qsizetype indexDataAt = out.size() + Biff::kRecordHeaderSize;
        QByteArray index = indexData(extent);
        const qsizetype blockPositionsAt = indexDataAt + index.size();
        index.append(QByteArray(qsizetype(blockCount) * 4, '\0'));
        appendRecord(out, BiffId::Index, index);
        for (size_t p = 1; p < head.size(); ++p) {
            if (head[p].id == BiffId::DefColWidth && m_biff8)
                put32(out, indexDataAt + kIndexPositionsAt, quint32(out.size()));
            appendRecord(out, head[p].id, head[p].data);
        }
        // Blank rows at the end still belong to the sheet.
        const int rowsInSheet = std::max(extent.lastRow + 1, rowCount);
        appendRecord(out, BiffId::Dimensions, dimensionsData(extent, rowsInSheet));
        return blockPositionsAt;
    }

    // INDEX without its block positions: the rows of the table, then the DEFCOLWIDTH's position (BIFF8; patched
    // when that record is written) or four reserved bytes (BIFF5).
    QByteArray indexData(const TableExtent& extent) const
    {
        QByteArray index;
        append32(index, 0);
        appendRows(index, quint32(std::max(extent.firstRow, 0)), quint32(extent.lastRow + 1));
        append32(index, 0);
        return index;
    }

    QByteArray dimensionsData(const TableExtent& extent, int rowsInSheet) const
    {
        QByteArray dimensions;
        appendRows(dimensions, quint32(std::max(extent.firstRow, 0)), quint32(rowsInSheet));
        append16(dimensions, quint16(extent.lastCol < 0 ? 0 : extent.firstCol));
        append16(dimensions, quint16(extent.lastCol + 1));
        append16(dimensions, 0);
        return dimensions;
    }

    // A first row and a row past the last: four bytes each in BIFF8, two in BIFF5.
    void appendRows(QByteArray& d, quint32 first, quint32 end) const
    {
        if (m_biff8) {
            append32(d, first);
            append32(d, end);
        } else {
            append16(d, quint16(first));
            append16(d, quint16(end));
        }
    }

    // The ROW records of one block of 32 rows, their cells, and the DBCELL that points back at them.
    bool writeRowBlock(
        QByteArray& out, const std::vector<RowPlan>& rows, size_t block, qsizetype indexEntryAt, QString* error)
    {
        const size_t end = std::min(rows.size(), (block + 1) * kRowsPerBlock);
        qsizetype firstRowRecord = -1;
        std::vector<size_t> blockRows;
        for (size_t row = block * kRowsPerBlock; row < end; ++row) {
            if (rows[row].isEmpty())
                continue;
            if (firstRowRecord < 0)
                firstRowRecord = out.size();
            appendRowRecord(out, rows[row], row);
            blockRows.push_back(row);
        }
        const qsizetype secondRowRecord = firstRowRecord + Biff::kRecordHeaderSize + Biff::kRowRecordSize;
        QByteArray dbcell;
        append32(dbcell, 0);
        qsizetype previousCell = secondRowRecord;
        for (size_t row : blockRows) {
            const qsizetype cellStart = out.size();
            for (const Piece& piece : rows[row].pieces) {
                if (!writePiece(out, int(row), piece, error))
                    return false;
            }
            append16(dbcell, quint16(cellStart - previousCell));
            previousCell = cellStart;
        }
        put32(dbcell, 0, quint32(out.size() - firstRowRecord));
        put32(out, indexEntryAt, quint32(out.size()));
        appendRecord(out, BiffId::DbCell, dbcell);
        return true;
    }

    // The cell's record(s): those read, copied (a LABELSST then points at its string's place in the new table),
    // a MULRK's or MULBLANK's entry as a record of its own, or a rewritten cell's value.
    bool writePiece(QByteArray& out, int row, const Piece& piece, QString* error)
    {
        const SubstreamRecords& recs = *m_sheetRecords;
        switch (piece.kind) {
        case Piece::Copied:
            for (size_t k = piece.ref; k < size_t(piece.ref) + piece.extra; ++k) {
                const BiffRecord r = recs[k];
                appendRecord(out, r.id, r.data);
                patchCopied(out, out.size() - r.data.size(), m_sheetStrings, r, 0);
            }
            return true;
        case Piece::MulEntry: {
            const BiffRecord r = recs[piece.ref];
            const qsizetype step = r.id == BiffId::MulRk ? Biff::kMulRkEntrySize : Biff::kMulBlankEntrySize;
            const qsizetype at = Biff::kMulFirstEntryAt + qsizetype(piece.extra) * step;
            const XlsSheet::Cell entry { piece.col, read16(r.data, at), false, CellValue() };
            if (r.id == BiffId::MulRk) {
                cellHead(out, BiffId::Rk, row, entry, 4);
                Bytes::append(out, r.data.constData() + at + 2, 4);
            } else {
                cellHead(out, BiffId::Blank, row, entry, 0);
            }
            return true;
        }
        case Piece::Rewritten:
            return encodeCell(out, row, m_sheet->rows[size_t(row)][piece.ref], piece.extra, error);
        }
        return true;
    }

    // The row's ROW record as read, or a default one, spanning the columns its cells now cover. Made in place at
    // the end of out: a save writes one for each of its rows.
    void appendRowRecord(QByteArray& out, const RowPlan& plan, size_t row) const
    {
        const qsizetype at = out.size() + Biff::kRecordHeaderSize;
        if (plan.rowRecord.size() >= Biff::kRowRecordSize) {
            appendRecord(out, BiffId::Row, plan.rowRecord);
        } else {
            append16(out, BiffId::Row);
            append16(out, quint16(Biff::kRowRecordSize));
            std::memset(Bytes::appendRoom(out, Biff::kRowRecordSize), 0, size_t(Biff::kRowRecordSize));
            put16(out, at, quint16(row));
            put16(out, at + kRowHeightAt, kDefaultRowHeight);
            put16(out, at + kRowFlagsAt, kDefaultRowFlags);
            put16(out, at + kRowXfAt, Biff::kDefaultCellXf);
        }
        put16(out, at + kRowFirstColAt, plan.pieces.empty() ? 0 : plan.pieces.front().col);
        put16(out, at + kRowColEndAt,
            plan.pieces.empty() ? 0 : quint16(plan.pieces.back().col + 1 + lastColumnSpan(plan.pieces.back())));
    }

    // A MULRK or MULBLANK covers more than its first column.
    int lastColumnSpan(const Piece& piece) const
    {
        if (piece.kind != Piece::Copied)
            return 0;
        const BiffRecord r = (*m_sheetRecords)[piece.ref];
        if (r.id != BiffId::MulRk && r.id != BiffId::MulBlank)
            return 0;
        return read16(r.data, r.data.size() - 2) - read16(r.data, 2);
    }

    // Files the original table record at i (with the records that belong to it) under its row; returns the
    // index of the last record it took.
    size_t planRecord(const XlsSheet& sheet, const SubstreamRecords& recs, size_t i, std::vector<RowPlan>& rows)
    {
        const BiffRecord r = recs[i];
        if (r.data.size() < 4 || r.id == BiffId::DbCell || r.id == BiffId::String || r.id == BiffId::ShrFmla
            || r.id == BiffId::Array || r.id == BiffId::Table)
            return i;
        const int row = read16(r.data, 0);
        if (size_t(row) >= rows.size())
            rows.resize(size_t(row) + 1);
        if (r.id == BiffId::Row) {
            rows[size_t(row)].rowRecord = r.data;
            return i;
        }
        const int col = read16(r.data, 2);
        if (r.id == BiffId::MulRk || r.id == BiffId::MulBlank) {
            planMulRecord(sheet, r, quint32(i), rows[size_t(row)]);
            return i;
        }
        size_t last = i;
        if (r.id == BiffId::Formula) {
            while (last + 1 < recs.size()
                && (recs.id(last + 1) == BiffId::ShrFmla || recs.id(last + 1) == BiffId::Array
                    || recs.id(last + 1) == BiffId::Table || recs.id(last + 1) == BiffId::String
                    || (recs.id(last + 1) == BiffId::Continue && recs.id(last) == BiffId::String)))
                ++last;
        }
        if (isRewritten(sheet, row, col))
            return last;
        rows[size_t(row)].pieces.push_back(Piece { quint32(i), quint32(last - i + 1), quint16(col), Piece::Copied });
        return last;
    }

    // A MULRK or MULBLANK (the record at ref) goes on whole when none of its cells was rewritten; else the others
    // go on one by one.
    static void planMulRecord(const XlsSheet& sheet, const BiffRecord& r, quint32 ref, RowPlan& plan)
    {
        const int row = read16(r.data, 0);
        const int col = read16(r.data, 2);
        const qsizetype step = r.id == BiffId::MulRk ? Biff::kMulRkEntrySize : Biff::kMulBlankEntrySize;
        // The cells the reader made of it, one an entry: a last column that claims more is not believed.
        const int last = col + int((r.data.size() - Biff::kMulFirstEntryAt - 2) / step) - 1;
        bool anyRewritten = false;
        for (int c = col; c <= last; ++c)
            anyRewritten = anyRewritten || isRewritten(sheet, row, c);
        if (!anyRewritten) {
            plan.pieces.push_back(Piece { ref, 1, quint16(col), Piece::Copied });
            return;
        }
        for (int c = col; c <= last; ++c) {
            if (!isRewritten(sheet, row, c))
                plan.pieces.push_back(Piece { ref, quint32(c - col), quint16(c), Piece::MulEntry });
        }
    }

    const XlsWorkbook& m_book;
    const bool m_biff8;
    std::vector<SubstreamRecords> m_records; // of each sheet
    StringTable m_ownTable;
    StringTable& m_table; // this writer's own, or the one of the writer it writes a sheet beside
    const XlsSheet* m_sheet = nullptr; // the sheet being written
    const SubstreamRecords* m_sheetRecords = nullptr; // and its records
    size_t m_nextCellString = 0;
    SheetStrings m_sheetStrings; // and its strings
};

} // namespace

namespace {

// A record the reader let through may still be too short for the writer: that is a refusal, not a crash. name
// is the file's, when there is one.
bool writeNamed(const XlsWorkbook& book, const QString& name, std::vector<QByteArray>* stream, QString* error)
{
    try {
        Writer writer(book);
        return writer.run(stream, error);
    } catch (const BiffDamaged& damaged) {
        *error = QStringLiteral("O livro%1 tem um registo danificado (%2) e não pode ser gravado; nada foi gravado.")
                     .arg(name.isEmpty() ? QString() : u' ' + name, damaged.what);
        return false;
    }
}

} // namespace

namespace XlsWriter {

bool writeStream(const XlsWorkbook& book, QByteArray* stream, QString* error)
{
    std::vector<QByteArray> pieces;
    if (!writeNamed(book, QString(), &pieces, error))
        return false;
    qsizetype size = 0;
    for (const QByteArray& piece : pieces)
        size += piece.size();
    stream->clear();
    stream->reserve(size);
    for (const QByteArray& piece : pieces)
        stream->append(piece);
    return true;
}

bool save(XlsWorkbook& book, const QString& path, QString* error)
{
    std::vector<QByteArray> pieces;
    if (!writeNamed(book, path, &pieces, error))
        return false;
    CompoundFile container = book.container;
    container.setStream(book.streamName, std::move(pieces));
    if (!container.write(path, error))
        return false;
    // As after a read, the container keeps only the other streams: the workbook's is made anew at each save.
    container.setStream(book.streamName, QByteArray());
    book.container = std::move(container);
    return true;
}

} // namespace XlsWriter
