#pragma once
#include "tables/Artigo.h"
#include "tables/CodigoBarras.h"
#include "tables/ContaContabilistica.h"
#include "tables/Leitura.h"
#include "tables/SlotIndex.h"
#include "values/CellValue.h"
#include "values/Conversions.h"

#include <QHash>
#include <QSet>

#include <optional>
#include <vector>

class Clock;
class UserInteraction;

// The four tables with their counts, MaxPosicao and the add operations. Slot 0 of each table stays empty;
// the used slots are 1 to the count. Lookups go through hash indexes that give the same first match as a
// scan in slot order; writes through the edit accessors keep them current.
class InventoryTables
{
public:
    static constexpr int CapacidadeArtigos = 99999;
    static constexpr int CapacidadeCodBarras = 99999;
    static constexpr int CapacidadeLeituras = 99999;
    static constexpr int CapacidadeContas = 1000;

    InventoryTables(UserInteraction& ui, const Clock& clock);
    // A copy of the used slots, for a command to put back if it fails.
    InventoryTables snapshot() const;
    void restore(const InventoryTables& snapshot);
    // Whether a failed command puts the tables back as they were (the default). A process that runs one command
    // and ends with it does not look at them after a failure, and spares a copy of every table on each command.
    bool restoredAfterFailure() const { return m_restoredAfterFailure; }
    void setRestoredAfterFailure(bool restored) { m_restoredAfterFailure = restored; }

    int NArtigos() const { return m_NArtigos; }
    int NCodBarras() const { return m_NCodBarras; }
    int NContas() const { return m_NContas; }
    int NLeituras() const { return m_NLeituras; }
    qint32 MaxPosicao() const { return m_MaxPosicao; }

    // Slots 0..capacity; a slot past the count reads as whatever it holds (empty when never used).
    const Artigo& artigo(int slot) const { return slotIn(m_TabArtigos, slot, CapacidadeArtigos); }
    const CodigoBarras& codigoBarras(int slot) const;
    // Whether some barcode entry's code, trimmed, equals the code trimmed.
    bool hasBarcode(const QString& code) const { return groupOf(Conversions::trimBlanks(code)) >= 0; }
    const ContaContabilistica& conta(int slot) const { return m_TabContas.at(slot); }
    const Leitura& leitura(int slot) const { return slotIn(m_TabLeituras, slot, CapacidadeLeituras); }

    // Direct writes by the editors, the sorts and the housekeeping.
    Artigo& editArtigo(int slot);
    Leitura& editLeitura(int slot);
    void setNArtigos(int count);
    void setNLeituras(int count);
    // A new record identity, for a record an editor adds.
    quint64 newRecordId() { return ++m_lastRecordId; }
    // Puts the articles now in slots order[0], order[1], ... into slots 1, 2, ...; order holds 1..NArtigos once each.
    void reorderArtigos(const std::vector<int>& order);

    // Returns the slot written, or 0 when nothing was written.
    int AdicionaArtigo(const CellValue& CodArtigo, const CellValue& CodFamContabilista, const CellValue& DataRecepcao,
        const CellValue& DescArtigo, const CellValue& PrecoCompraUnitario, const CellValue& UnidadeDeCompra,
        const CellValue& UnidadeDeStock, const CellValue& ConversaoCompraStock,
        const CellValue& DescFamiliaContabilista, const CellValue& DataUltimaImportacao, const CellValue& Posicao,
        int VerificaContaContabilistica, int Origem);
    void AdicionaCodigosBarras(const CellValue& CodArtigo, const CellValue& Unidade, const CellValue& CodBarras);
    // Conta serves the duplicate test; the three row cells are stored, up to the first empty one.
    void AdicionaContasContabilisticas(
        const QString& Conta, const CellValue& rowConta, const CellValue& rowContaContab, const CellValue& rowDesConta);
    void AdicionaLeitura(const CellValue& CodArtigo, const CellValue& FamiliaContabilista, const CellValue& CentroCusto,
        const CellValue& Unidade, const CellValue& QtEmUnidadeInventario, const CellValue& LeituraDuvidosa);

    // Slot of the first article whose CodArtigo equals the code exactly, or 0. A code whose numeric value is
    // above 99999 is reported ("ERRO CODARTIGO>99999") and gives 0.
    int ProcuraArtigo(const CellValue& code);
    int ProcuraArtigo(const QString& code) { return ProcuraArtigo(CellValue::text(code)); }
    void CalculaQtEmUnidadeCompra(int slot);
    // The same, for a caller that has already found the reading's article (a slot above 0).
    void CalculaQtEmUnidadeCompra(int slot, int articleSlot);
    // The quantity of reading l in the purchase unit of its article a; nullopt when a's conversion is 0 and the
    // reading's unit needs it.
    static std::optional<double> qtEmUnidadeCompra(const Leitura& l, const Artigo& a);

    InventoryTables(const InventoryTables&) = default;

private:
    // Tables of that many slots (0 for none), with no room set aside in the indexes.
    InventoryTables(UserInteraction& ui, const Clock& clock, int slotCount);

    // The article and reading tables hold their slots up to the last one used, with room for all of them set
    // aside: the memory of slots never used is never touched. A slot past them reads as never used.
    template <typename T> static const T& slotIn(const std::vector<T>& table, int slot, int capacity)
    {
        static const T neverUsed;
        if (slot >= 0 && slot <= capacity && size_t(slot) >= table.size())
            return neverUsed;
        return table.at(size_t(slot));
    }
    // The slot, the table grown to it first when it has not reached it.
    template <typename T> static T& grownTo(std::vector<T>& table, int slot, int capacity)
    {
        if (slot >= 0 && slot <= capacity && size_t(slot) >= table.size()) {
            table.reserve(size_t(capacity) + 1); // only a snapshot's table has less room
            table.resize(size_t(slot) + 1);
        }
        return table.at(size_t(slot));
    }

    // Entries of one article stand together, newest first; groups keep the order they were first seen in.
    // Each entry links to the next older one of its group, so no group needs a list of its own.
    struct BarcodeEntry
    {
        CodigoBarras value;
        int older = -1;
        int group = -1; // of the entries with its code
    };

    // A full table refuses the add and says so once.
    struct TableLimit
    {
        int capacity;
        const char16_t* table;
        const char16_t* items;
        bool feminine;
        bool reported = false;
    };
    // True when count fills the table; the first time, the user is told.
    bool isFull(int count, TableLimit& limit);
    void setPosicao(int slot, qint32 value);
    void ensureArticleIndexes();
    // The first article slot whose code, trimmed, equals trimmed; 0 for none.
    int slotByTrimmedCode(const QString& trimmed) const;
    // The group of the barcode entries of that trimmed code; -1 for none.
    int groupOf(const QString& trimmedCode) const;
    // The slot of a reading with that identity, 0 for none; *hash is the identity's, to file a new one under.
    int findReading(
        const QString& code, const QString& family, const QString& centre, const QString& unit, quint32* hash) const;
    void ensureBarcodeSlots() const;
    void ensureReadingIndex();
    qint32 largestPosicao();

    UserInteraction& m_ui;
    const Clock& m_clock;

    std::vector<Artigo> m_TabArtigos;
    std::vector<ContaContabilistica> m_TabContas;
    std::vector<Leitura> m_TabLeituras;
    int m_NArtigos = 0;
    int m_NCodBarras = 0;
    int m_NContas = 0;
    int m_NLeituras = 0;
    qint32 m_MaxPosicao = 0;
    quint64 m_lastRecordId = 0;

    // IndicePorCodigo: exact code -> first slot, kept only while some code has blanks around it; beside it
    // trimmed code -> first slot.
    QHash<QString, int> m_IndicePorCodigo;
    SlotIndex m_slotByTrimmedCode;
    bool m_allCodesTrimmed = true;
    bool m_articleIndexesValid = true;
    qint32 m_largestPosicao = 0;
    bool m_largestPosicaoValid = true;

    std::vector<BarcodeEntry> m_barcodeEntries; // in the order they were added
    std::vector<int> m_newestOfGroup;
    SlotIndex m_groupByCode; // trimmed code -> group
    // (group, trimmed barcode) -> the group's newest entry with that barcode, the first one in slot order.
    SlotIndex m_newestEntryByBarcode;
    mutable std::vector<int> m_barcodeSlots; // entry of each slot
    mutable bool m_barcodeSlotsValid = true;

    QSet<QString> m_contaCodes;
    QSet<QString> m_trimmedContaCodes;
    bool m_restoredAfterFailure = true;
    SlotIndex m_readingIndex; // by code, family, cost centre and unit
    bool m_readingIndexValid = true;

    TableLimit m_artigosLimit { CapacidadeArtigos, u"artigos", u"artigos", false };
    TableLimit m_codBarrasLimit { CapacidadeCodBarras, u"códigos de barras", u"códigos", false };
    TableLimit m_contasLimit { CapacidadeContas, u"famílias contabilísticas", u"famílias", true };
    TableLimit m_leiturasLimit { CapacidadeLeituras, u"leituras", u"leituras", true };
};
