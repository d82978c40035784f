#include "tables/InventoryTables.h"

#include "platform/Clock.h"
#include "platform/UserInteraction.h"
#include "values/Conversions.h"

#include <algorithm>

using Conversions::trimBlanks;

namespace {

CellValue trimmedCell(const CellValue& value)
{
    // A text without blanks around it is shared as it is: each copy of a text takes a turn at its count.
    if (value.isNull()
        || (value.isText() && Conversions::blankTrimmed(value.storedText()).size() == value.storedText().size()))
        return value;
    return CellValue::text(trimBlanks(value.toText()));
}

// Number and date cells always have a text.
bool isEmptyText(const CellValue& value)
{
    return value.isNull() || (value.isText() && value.toText().isEmpty());
}

bool isEmptyTrimmed(const CellValue& value)
{
    return value.isNull() || (value.isText() && trimBlanks(value.toText()).isEmpty());
}

// Seeded per process, as QHash is, so no file can be made to pile its keys into one bucket.
template <typename... Keys> quint32 keyHash(const Keys&... keys)
{
    return SlotIndex::fold(qHashMulti(QHashSeed::globalSeed(), keys...));
}

} // namespace

InventoryTables::InventoryTables(UserInteraction& ui, const Clock& clock)
    : InventoryTables(ui, clock, CapacidadeArtigos + 1)
{
}

InventoryTables::InventoryTables(UserInteraction& ui, const Clock& clock, int slotCount)
    : m_ui(ui)
    , m_clock(clock)
    , m_TabArtigos(size_t(std::min(slotCount, 1)))
    , m_TabContas(size_t(std::min(slotCount, CapacidadeContas + 1)))
    , m_TabLeituras(size_t(std::min(slotCount, 1)))
    , m_barcodeSlots(1)
{
    if (slotCount == 0)
        return;
    m_TabArtigos.reserve(size_t(slotCount));
    m_TabLeituras.reserve(size_t(slotCount));
    m_barcodeEntries.reserve(size_t(CapacidadeCodBarras));
}

InventoryTables InventoryTables::snapshot() const
{
    InventoryTables copy(m_ui, m_clock, 0);
    copy.m_TabArtigos.assign(m_TabArtigos.begin(), m_TabArtigos.begin() + m_NArtigos + 1);
    copy.m_TabContas.assign(m_TabContas.begin(), m_TabContas.begin() + m_NContas + 1);
    copy.m_TabLeituras.assign(m_TabLeituras.begin(), m_TabLeituras.begin() + m_NLeituras + 1);
    copy.m_NArtigos = m_NArtigos;
    copy.m_NCodBarras = m_NCodBarras;
    copy.m_NContas = m_NContas;
    copy.m_NLeituras = m_NLeituras;
    copy.m_MaxPosicao = m_MaxPosicao;
    copy.m_barcodeEntries = m_barcodeEntries;
    copy.m_newestOfGroup = m_newestOfGroup;
    copy.m_groupByCode = m_groupByCode;
    copy.m_newestEntryByBarcode = m_newestEntryByBarcode;
    copy.m_contaCodes = m_contaCodes;
    copy.m_trimmedContaCodes = m_trimmedContaCodes;
    return copy;
}

void InventoryTables::restore(const InventoryTables& snapshot)
{
    // Slots past the counts are left as they are: a slot is cleared when it is used again.
    grownTo(m_TabArtigos, int(snapshot.m_TabArtigos.size()) - 1, CapacidadeArtigos);
    grownTo(m_TabLeituras, int(snapshot.m_TabLeituras.size()) - 1, CapacidadeLeituras);
    std::copy(snapshot.m_TabArtigos.begin(), snapshot.m_TabArtigos.end(), m_TabArtigos.begin());
    std::copy(snapshot.m_TabContas.begin(), snapshot.m_TabContas.end(), m_TabContas.begin());
    std::copy(snapshot.m_TabLeituras.begin(), snapshot.m_TabLeituras.end(), m_TabLeituras.begin());
    m_NArtigos = snapshot.m_NArtigos;
    m_NCodBarras = snapshot.m_NCodBarras;
    m_NContas = snapshot.m_NContas;
    m_NLeituras = snapshot.m_NLeituras;
    m_MaxPosicao = snapshot.m_MaxPosicao;
    m_barcodeEntries = snapshot.m_barcodeEntries;
    m_newestOfGroup = snapshot.m_newestOfGroup;
    m_groupByCode = snapshot.m_groupByCode;
    m_newestEntryByBarcode = snapshot.m_newestEntryByBarcode;
    m_contaCodes = snapshot.m_contaCodes;
    m_trimmedContaCodes = snapshot.m_trimmedContaCodes;
    m_articleIndexesValid = false;
    m_largestPosicaoValid = false;
    m_barcodeSlotsValid = false;
    m_readingIndexValid = false;
}

const CodigoBarras& InventoryTables::codigoBarras(int slot) const
{
    static const CodigoBarras empty;
    if (slot < 1 || slot > m_NCodBarras)
        return empty;
    ensureBarcodeSlots();
    return m_barcodeEntries[size_t(m_barcodeSlots[size_t(slot)])].value;
}

Artigo& InventoryTables::editArtigo(int slot)
{
    m_articleIndexesValid = false;
    m_largestPosicaoValid = false;
    return grownTo(m_TabArtigos, slot, CapacidadeArtigos);
}

Leitura& InventoryTables::editLeitura(int slot)
{
    m_readingIndexValid = false;
    return grownTo(m_TabLeituras, slot, CapacidadeLeituras);
}

void InventoryTables::setNArtigos(int count)
{
    m_NArtigos = std::clamp(count, 0, CapacidadeArtigos);
    grownTo(m_TabArtigos, m_NArtigos, CapacidadeArtigos);
    m_articleIndexesValid = false;
    m_largestPosicaoValid = false;
    if (m_NArtigos < CapacidadeArtigos)
        m_artigosLimit.reported = false;
}

void InventoryTables::setNLeituras(int count)
{
    m_NLeituras = std::clamp(count, 0, CapacidadeLeituras);
    grownTo(m_TabLeituras, m_NLeituras, CapacidadeLeituras);
    m_readingIndexValid = false;
    if (m_NLeituras < CapacidadeLeituras)
        m_leiturasLimit.reported = false;
}

void InventoryTables::reorderArtigos(const std::vector<int>& order)
{
    // Each cycle of the order moved round in place: a copy of a full table would be 13 MB of memory mapped anew.
    std::vector<bool> placed(order.size() + 1);
    for (size_t start = 1; start <= order.size(); ++start) {
        if (placed[start])
            continue;
        Artigo held = std::move(m_TabArtigos.at(start));
        for (size_t to = start;;) {
            placed[to] = true;
            const size_t from = size_t(order[to - 1]);
            if (from == start) {
                m_TabArtigos[to] = std::move(held);
                break;
            }
            m_TabArtigos[to] = std::move(m_TabArtigos.at(from));
            to = from;
        }
    }
    m_articleIndexesValid = false;
}

bool InventoryTables::isFull(int count, TableLimit& limit)
{
    if (count < limit.capacity)
        return false;
    if (!limit.reported) {
        limit.reported = true;
        const QString items = QString::fromUtf16(limit.items);
        m_ui.showMessage(QStringLiteral("A tabela de %1 está cheia (%2 %3). %4 %3 que faltam não foram %5.")
                             .arg(QString::fromUtf16(limit.table))
                             .arg(limit.capacity)
                             .arg(items, limit.feminine ? QStringLiteral("As") : QStringLiteral("Os"),
                                 limit.feminine ? QStringLiteral("adicionadas") : QStringLiteral("adicionados")));
    }
    return true;
}

void InventoryTables::setPosicao(int slot, qint32 value)
{
    Artigo& a = m_TabArtigos[size_t(slot)];
    if (m_largestPosicaoValid) {
        if (value >= m_largestPosicao)
            m_largestPosicao = value;
        else if (a.Posicao == m_largestPosicao)
            m_largestPosicaoValid = false;
    }
    a.Posicao = value;
}

qint32 InventoryTables::largestPosicao()
{
    if (!m_largestPosicaoValid) {
        m_largestPosicao = 0;
        for (int i = 1; i <= m_NArtigos; ++i)
            m_largestPosicao = std::max(m_largestPosicao, m_TabArtigos[size_t(i)].Posicao);
        m_largestPosicaoValid = true;
    }
    return m_largestPosicao;
}

void InventoryTables::ensureArticleIndexes()
{
    if (m_articleIndexesValid)
        return;
    m_IndicePorCodigo.clear();
    m_slotByTrimmedCode.clear();
    m_slotByTrimmedCode.reserve(size_t(m_NArtigos));
    m_allCodesTrimmed = true;
    for (int i = 1; i <= m_NArtigos; ++i) {
        const QString& code = m_TabArtigos[size_t(i)].CodArtigo;
        const QString trimmed = trimBlanks(code);
        m_allCodesTrimmed = m_allCodesTrimmed && trimmed.size() == code.size();
        if (slotByTrimmedCode(trimmed) == 0)
            m_slotByTrimmedCode.insert(keyHash(trimmed), i);
    }
    // Codes are stored trimmed; only an edited code with blanks needs an index of its own.
    if (!m_allCodesTrimmed) {
        for (int i = 1; i <= m_NArtigos; ++i) {
            const QString& code = m_TabArtigos[size_t(i)].CodArtigo;
            if (!m_IndicePorCodigo.contains(code))
                m_IndicePorCodigo.insert(code, i);
        }
    }
    m_articleIndexesValid = true;
}

int InventoryTables::slotByTrimmedCode(const QString& trimmed) const
{
    // While every code is stored trimmed, the stored code is the key.
    const int slot = m_slotByTrimmedCode.find(keyHash(trimmed), [&](int s) {
        const QString& code = m_TabArtigos[size_t(s)].CodArtigo;
        return m_allCodesTrimmed ? code == trimmed : trimBlanks(code) == trimmed;
    });
    return slot == SlotIndex::kNone ? 0 : slot;
}

int InventoryTables::groupOf(const QString& trimmedCode) const
{
    return m_groupByCode.find(keyHash(trimmedCode), [&](int group) {
        return m_barcodeEntries[size_t(m_newestOfGroup[size_t(group)])].value.CodArtigo.storedText() == trimmedCode;
    });
}

int InventoryTables::AdicionaArtigo(const CellValue& CodArtigo, const CellValue& CodFamContabilista,
    const CellValue& DataRecepcao, const CellValue& DescArtigo, const CellValue& PrecoCompraUnitario,
    const CellValue& UnidadeDeCompra, const CellValue& UnidadeDeStock, const CellValue& ConversaoCompraStock,
    const CellValue& DescFamiliaContabilista, const CellValue& DataUltimaImportacao, const CellValue& Posicao,
    int VerificaContaContabilistica, int Origem)
{
    if (CodArtigo.isNull())
        return 0;
    const QString code = trimBlanks(CodArtigo.toText());
    if (code.isEmpty())
        return 0;
    const bool createsPositions
        = Origem == Origin::Reception || Origem == Origin::Placeholder || Origem == Origin::RefreshedByRawImport;
    if (createsPositions && m_MaxPosicao == 0)
        m_MaxPosicao = largestPosicao();

    ensureArticleIndexes();
    int i = slotByTrimmedCode(code);
    const bool isNew = i == 0;
    static const Artigo neverUsed;
    if (isNew) {
        i = m_NArtigos + 1;
        // A slot left behind by a deletion must look never used.
        if (i <= CapacidadeArtigos) {
            Artigo& fresh = grownTo(m_TabArtigos, i, CapacidadeArtigos);
            fresh = Artigo();
            fresh.recordId = newRecordId();
        }
    }
    const Artigo& stored = i <= CapacidadeArtigos ? m_TabArtigos[size_t(i)] : neverUsed;

    bool familyKnown = true;
    if (VerificaContaContabilistica == 1)
        familyKnown
            = !CodFamContabilista.isNull() && m_trimmedContaCodes.contains(trimBlanks(CodFamContabilista.toText()));

    double d = 0.0;
    if (Origem == Origin::Placeholder) {
        d = Conversions::dayNumberFromDateTime(m_clock.now());
    } else {
        if (isEmptyTrimmed(DataRecepcao))
            return 0;
        d = Conversions::toDate(DataRecepcao).value_or(0.0);
    }

    if (stored.Origem == Origin::Reception && Origem == Origin::Correction) {
        const auto same = [](const CellValue& input, const QString& storedText) {
            return trimBlanks(input.toText()) == trimBlanks(storedText);
        };
        if (same(ConversaoCompraStock, Conversions::numberToSiteText(stored.ConversaoCompraStock))
            && same(CodArtigo, stored.CodArtigo) && same(DescArtigo, stored.DescArtigo)
            && same(UnidadeDeCompra, stored.UnidadeDeCompra) && same(UnidadeDeStock, stored.UnidadeDeStock)
            && same(CodFamContabilista, stored.CodFamContabilista)
            && same(DescFamiliaContabilista, stored.DescFamiliaContabilista)) {
            // An empty price (corrections are saved without one) is no new price either.
            const std::optional<double> price = Conversions::toNumber(PrecoCompraUnitario);
            if (!price || *price <= 0
                || Conversions::numberToSiteText(*price) == Conversions::numberToSiteText(stored.PrecoCompraUnitario))
                return 0;
        }
    }

    int result = 0;
    if (Origem == Origin::Correction || d >= stored.DataRecepcao) {
        if (isNew) {
            if (!familyKnown)
                return 0;
            if (isFull(m_NArtigos, m_artigosLimit))
                return 0;
            ++m_NArtigos;
            if (!m_allCodesTrimmed && !m_IndicePorCodigo.contains(code))
                m_IndicePorCodigo.insert(code, i);
            m_slotByTrimmedCode.insert(keyHash(code), i);
            if (createsPositions) {
                ++m_MaxPosicao;
                setPosicao(i, m_MaxPosicao);
            }
            if (Origem == Origin::Reception)
                m_TabArtigos[size_t(i)].ArtigoNovo = true;
        }
        Artigo& a = m_TabArtigos[size_t(i)];
        if (a.CodArtigo != code) {
            // An edited code with blanks around it is found again by its trimmed form only.
            if (!isNew)
                m_articleIndexesValid = false;
            a.CodArtigo = code;
        }
        if (!DescArtigo.isNull())
            a.DescArtigo = DescArtigo.toText();
        if (Origem != Origin::Correction)
            a.DataRecepcao = d;
        if (const auto price = Conversions::AsciiToDouble(PrecoCompraUnitario); price && *price > 0)
            a.PrecoCompraUnitario = *price;
        if (!isEmptyText(CodFamContabilista))
            a.CodFamContabilista = CodFamContabilista.toText();
        if (!isEmptyText(DescFamiliaContabilista))
            a.DescFamiliaContabilista = DescFamiliaContabilista.toText();
        if (const auto conversion = Conversions::AsciiToDouble(ConversaoCompraStock); conversion && *conversion > 0) {
            if (!UnidadeDeCompra.isNull())
                a.UnidadeDeCompra = UnidadeDeCompra.toText();
            if (!UnidadeDeStock.isNull())
                a.UnidadeDeStock = UnidadeDeStock.toText();
            a.ConversaoCompraStock = *conversion;
        } else {
            a.UnidadeDeCompra = QStringLiteral("Unidade");
            a.UnidadeDeStock = QStringLiteral("Unidade");
            a.ConversaoCompraStock = 1.0;
        }
        result = i;
    }

    // An article that was never created has no slot to mark.
    if (i > m_NArtigos)
        return result;
    Artigo& a = m_TabArtigos[size_t(i)];
    a.Origem = Origem;
    if (Origem == Origin::Loaded && !Posicao.isNull())
        setPosicao(i, Conversions::roundToWhole(Conversions::numericValue(Posicao)));
    if (Origem != Origin::Correction && !isEmptyTrimmed(DataUltimaImportacao)) {
        if (const auto date = Conversions::toDate(DataUltimaImportacao))
            a.DataUltimaImportacao = *date;
    }
    return result;
}

void InventoryTables::ensureBarcodeSlots() const
{
    if (m_barcodeSlotsValid)
        return;
    m_barcodeSlots.clear();
    m_barcodeSlots.reserve(size_t(m_NCodBarras) + 1);
    m_barcodeSlots.push_back(0);
    for (int newest : m_newestOfGroup) {
        for (int e = newest; e >= 0; e = m_barcodeEntries[size_t(e)].older)
            m_barcodeSlots.push_back(e);
    }
    m_barcodeSlotsValid = true;
}

void InventoryTables::AdicionaCodigosBarras(
    const CellValue& CodArtigo, const CellValue& Unidade, const CellValue& CodBarras)
{
    if (CodArtigo.isNull())
        return;
    const QString code = trimBlanks(CodArtigo.toText());
    CellValue barcode = trimmedCell(CodBarras);
    CellValue unit = trimmedCell(Unidade);
    const bool barcodeGiven = !isEmptyText(barcode);

    int group = groupOf(code);
    const QString barcodeText = barcodeGiven ? barcode.toText() : QString();
    const auto barcodeHash = [&] { return keyHash(group, barcodeText); };
    const auto holdsBarcode = [&](int e) {
        const BarcodeEntry& held = m_barcodeEntries[size_t(e)];
        return held.group == group && held.value.CodBarras.toText() == barcodeText;
    };
    if (group >= 0 && barcodeGiven && !isEmptyText(unit)) {
        if (const int entry = m_newestEntryByBarcode.find(barcodeHash(), holdsBarcode); entry != SlotIndex::kNone) {
            m_barcodeEntries[size_t(entry)].value.Unidade = Unidade;
            return;
        }
    }
    if (group < 0 && !barcodeGiven)
        return;
    if (isFull(m_NCodBarras, m_codBarrasLimit))
        return;
    const bool newGroup = group < 0;
    if (newGroup) {
        group = int(m_newestOfGroup.size());
        m_newestOfGroup.push_back(-1);
    }
    // The newest entry of a group comes first in slot order: this one stands in front of the others.
    const int entry = int(m_barcodeEntries.size());
    if (barcodeGiven)
        m_newestEntryByBarcode.assign(barcodeHash(), entry, holdsBarcode);
    m_barcodeEntries.push_back(
        { { CellValue::text(code), std::move(unit), std::move(barcode) }, m_newestOfGroup[size_t(group)], group });
    if (newGroup)
        m_groupByCode.insert(keyHash(code), group);
    m_newestOfGroup[size_t(group)] = entry;
    ++m_NCodBarras;
    m_barcodeSlotsValid = false;
}

void InventoryTables::AdicionaContasContabilisticas(
    const QString& Conta, const CellValue& rowConta, const CellValue& rowContaContab, const CellValue& rowDesConta)
{
    if (Conta.isEmpty() || m_contaCodes.contains(Conta))
        return;
    if (isFull(m_NContas, m_contasLimit))
        return;
    ++m_NContas;
    ContaContabilistica& c = m_TabContas[size_t(m_NContas)];
    // An empty cell stops the filling: it and the fields after it stay empty.
    if (!rowConta.isNull()) {
        c.Conta = rowConta.toText();
        if (!rowContaContab.isNull()) {
            c.ContaContab = rowContaContab.toText();
            if (!rowDesConta.isNull())
                c.DesConta = rowDesConta.toText();
        }
    }
    m_contaCodes.insert(c.Conta);
    m_trimmedContaCodes.insert(trimBlanks(c.Conta));
}

void InventoryTables::ensureReadingIndex()
{
    if (m_readingIndexValid)
        return;
    m_readingIndex.clear();
    for (int i = 1; i <= m_NLeituras; ++i) {
        const Leitura& l = m_TabLeituras[size_t(i)];
        quint32 hash = 0;
        if (findReading(l.CodArtigo, l.FamiliaContabilista, l.CentroCusto, l.Unidade, &hash) == 0)
            m_readingIndex.insert(hash, i);
    }
    m_readingIndexValid = true;
}

int InventoryTables::findReading(
    const QString& code, const QString& family, const QString& centre, const QString& unit, quint32* hash) const
{
    *hash = keyHash(code, family, centre, unit);
    const int slot = m_readingIndex.find(*hash, [&](int s) {
        const Leitura& l = m_TabLeituras[size_t(s)];
        return l.CodArtigo == code && l.FamiliaContabilista == family && l.CentroCusto == centre && l.Unidade == unit;
    });
    return slot == SlotIndex::kNone ? 0 : slot;
}

void InventoryTables::AdicionaLeitura(const CellValue& CodArtigo, const CellValue& FamiliaContabilista,
    const CellValue& CentroCusto, const CellValue& Unidade, const CellValue& QtEmUnidadeInventario,
    const CellValue& LeituraDuvidosa)
{
    if (CodArtigo.isNull())
        return;
    // Readings are stored with a trimmed code, so the trimmed code is what finds them again.
    QString code = trimBlanks(CodArtigo.toText()), family = FamiliaContabilista.toText(), centre = CentroCusto.toText(),
            unit = Unidade.toText();
    ensureReadingIndex();
    const std::optional<double> quantity = Conversions::toNumber(QtEmUnidadeInventario);
    const std::optional<double> mark = Conversions::toNumber(LeituraDuvidosa);
    quint32 hash = 0;
    if (const int found = findReading(code, family, centre, unit, &hash); found != 0) {
        Leitura& l = m_TabLeituras[size_t(found)];
        if (quantity)
            l.QtEmUnidadeInventario += *quantity;
        if (mark && *mark > 0)
            l.LeituraDuvidosa = *mark;
        CalculaQtEmUnidadeCompra(found);
        return;
    }
    if (code.isEmpty())
        return;
    if (isFull(m_NLeituras, m_leiturasLimit))
        return;
    const int slot = ++m_NLeituras;
    Leitura& l = grownTo(m_TabLeituras, slot, CapacidadeLeituras);
    l = Leitura();
    l.recordId = newRecordId();
    l.CodArtigo = std::move(code);
    l.CentroCusto = std::move(centre);
    l.FamiliaContabilista = std::move(family);
    l.Unidade = std::move(unit);
    if (quantity)
        l.QtEmUnidadeInventario = *quantity;
    if (mark)
        l.LeituraDuvidosa = *mark;
    m_readingIndex.insert(hash, slot);
    CalculaQtEmUnidadeCompra(slot);
}

int InventoryTables::ProcuraArtigo(const CellValue& code)
{
    if (Conversions::numericValue(code) > 99999) {
        m_ui.showMessage(QStringLiteral("ERRO CODARTIGO>99999"));
        return 0;
    }
    if (code.isNull())
        return 0;
    ensureArticleIndexes();
    const QString text = code.toText();
    if (!m_allCodesTrimmed)
        return m_IndicePorCodigo.value(text, 0);
    return trimBlanks(text).size() == text.size() ? slotByTrimmedCode(text) : 0;
}

void InventoryTables::CalculaQtEmUnidadeCompra(int slot)
{
    CalculaQtEmUnidadeCompra(slot, ProcuraArtigo(m_TabLeituras.at(size_t(slot)).CodArtigo));
}

void InventoryTables::CalculaQtEmUnidadeCompra(int slot, int articleSlot)
{
    Leitura& l = m_TabLeituras.at(size_t(slot));
    if (const std::optional<double> quantity = qtEmUnidadeCompra(l, m_TabArtigos.at(size_t(articleSlot))))
        l.QtEmUnidadeCompra = *quantity;
}

std::optional<double> InventoryTables::qtEmUnidadeCompra(const Leitura& l, const Artigo& a)
{
    if (a.UnidadeDeCompra == a.UnidadeDeStock || l.Unidade != a.UnidadeDeStock)
        return l.QtEmUnidadeInventario;
    if (a.ConversaoCompraStock != 0)
        return l.QtEmUnidadeInventario / a.ConversaoCompraStock;
    return std::nullopt;
}
