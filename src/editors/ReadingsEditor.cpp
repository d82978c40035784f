#include "editors/ReadingsEditor.h"

#include "platform/UserInteraction.h"
#include "site/EditorCommands.h"
#include "site/Site.h"
#include "tables/InventoryTables.h"
#include "tables/TextShaping.h"
#include "values/Conversions.h"

#include <QMenu>
#include <QTableView>

#include <algorithm>
#include <cmath>

namespace {

using namespace ReadingColumn;

QColor markColour(double mark)
{
    if (mark <= 0)
        return {};
    return mark <= 2 ? QColor(255, 192, 192) : QColor(128, 255, 128);
}

QString rounded(double value)
{
    return Conversions::numberToSiteText(std::round(value * 100) / 100);
}

} // namespace

ReadingsEditor::ReadingsEditor(Site& site, QWidget* parent)
    : GridEditor(site, "Form5",
        { QStringLiteral("Codigo Artigo"), QStringLiteral("Descricao Artigo"), QStringLiteral("Centro Custo"),
            QStringLiteral("Familia Contabilista"), QStringLiteral("Qt"), QStringLiteral("Unidade"),
            QStringLiteral("Preço"), QStringLiteral("Valor") },
        { 2000, 3000, 2000, 2000, 2000, 2000 }, parent)
{
    grid().setAccessibleName(QStringLiteral("Leituras"));
    const auto add = [this](const char* name, const QString& caption, void (ReadingsEditor::*action)()) {
        QAction* entry = meuMenu().addAction(caption, this, action);
        entry->setObjectName(QString::fromLatin1(name));
    };
    add("ApagarLinha", QStringLiteral("Apagar linha"), &ReadingsEditor::ApagarLinha);
    add("Inserirlinha", QStringLiteral("Inserir linha"), &ReadingsEditor::Inserirlinha);
    add("DesmarcarLeitura", QStringLiteral("Desmarcar leitura"), &ReadingsEditor::DesmarcarLeitura);
}

void ReadingsEditor::open()
{
    const InventoryTables& tables = site().tables();
    std::vector<GridModel::Row> rows;
    rows.reserve(size_t(tables.NLeituras()));
    for (int slot = 1; slot <= tables.NLeituras(); ++slot)
        rows.push_back(rowOf(tables.leitura(slot)));
    PreencheGrelhaLeituras(std::move(rows));
}

// Description, price of one stock unit and value come from the article; an unknown one shows none and "0".
GridModel::Row ReadingsEditor::rowOf(const Leitura& l)
{
    InventoryTables& tables = site().tables();
    const int slot = tables.ProcuraArtigo(l.CodArtigo);
    QString description;
    QString price = QStringLiteral("0");
    QString value = QStringLiteral("0");
    if (slot > 0) {
        const Artigo& a = tables.artigo(slot);
        description = a.DescArtigo;
        price = rounded(
            a.ConversaoCompraStock != 0 ? a.PrecoCompraUnitario / a.ConversaoCompraStock : a.PrecoCompraUnitario);
        value = rounded(InventoryTables::qtEmUnidadeCompra(l, a).value_or(l.QtEmUnidadeCompra) * a.PrecoCompraUnitario);
    }
    const QStringList cells = { l.CodArtigo, description, l.CentroCusto, l.FamiliaContabilista,
        Conversions::numberToSiteText(l.QtEmUnidadeInventario), l.Unidade, price, value };
    return { l.recordId, cells, cells, markColour(l.LeituraDuvidosa), false };
}

void ReadingsEditor::PreencheGrelhaLeituras(std::vector<GridModel::Row> rows)
{
    // Compared by character codes, as the texts are stored. The keys sit side by side with their row's place,
    // so the sort does not chase each row's cells; the rows move once, at the end.
    std::vector<std::pair<QStringView, size_t>> order;
    order.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        order.emplace_back(rows[i].cells.at(DescArtigo), i);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<GridModel::Row> sorted;
    sorted.reserve(rows.size());
    for (const auto& [key, i] : order)
        sorted.push_back(std::move(rows[i]));
    model().setRows(std::move(sorted));
}

std::optional<QStringList> ReadingsEditor::dropDownEntries(int row, int column)
{
    if (column == CentroCusto || column == FamiliaContabilista)
        return model().distinctTexts(column);
    if (column != Unidade)
        return std::nullopt;
    const InventoryTables& tables = site().tables();
    const QString code = Conversions::trimBlanks(model().text(row, CodArtigo));
    QStringList units;
    for (int slot = 1; slot <= tables.NArtigos(); ++slot) {
        const Artigo& a = tables.artigo(slot);
        if (Conversions::trimBlanks(a.CodArtigo) != code)
            continue;
        if (Conversions::trimBlanks(a.UnidadeDeCompra) != Conversions::trimBlanks(a.UnidadeDeStock)) {
            units << TextShaping::TiraAcentos(a.UnidadeDeCompra) + u':'
                    + Conversions::trimBlanks(Conversions::numberToSiteText(a.ConversaoCompraStock))
                  << a.UnidadeDeStock;
        } else {
            units << a.UnidadeDeCompra;
        }
    }
    return units;
}

bool ReadingsEditor::editableByInput(int column) const
{
    return column == FamiliaContabilista || column == QtEmUnidadeInventario || column == Unidade;
}

void ReadingsEditor::ApagarLinha()
{
    const int row = currentRow();
    if (row < 0)
        return;
    leaveCurrentCell();
    if (const quint64 id = model().row(row).recordId)
        m_removed.insert(id);
    model().removeRowAt(row);
    setChanged();
}

void ReadingsEditor::Inserirlinha()
{
    leaveCurrentCell();
    if (model().rowCount() >= InventoryTables::CapacidadeLeituras) {
        site().ui().showMessage(
            QStringLiteral("A tabela de leituras está cheia (%1 leituras): não é possível inserir outra.")
                .arg(InventoryTables::CapacidadeLeituras));
        return;
    }
    const std::optional<QString> code
        = site().ui().askText(QStringLiteral("Codigo do Artigo a inserir "), QStringLiteral("Tarvik"), QString());
    if (!code || code->isEmpty())
        return;
    InventoryTables& tables = site().tables();
    Leitura l;
    l.CodArtigo = *code;
    l.QtEmUnidadeInventario = 1;
    if (const int slot = tables.ProcuraArtigo(*code)) {
        l.FamiliaContabilista = tables.artigo(slot).CodFamContabilista;
        l.Unidade = tables.artigo(slot).UnidadeDeStock;
    }
    GridModel::Row added = rowOf(l);
    added.recordId = 0;
    added.original.clear();
    std::vector<GridModel::Row> rows = model().rows();
    rows.push_back(std::move(added));
    PreencheGrelhaLeituras(std::move(rows));
    setChanged();
}

void ReadingsEditor::DesmarcarLeitura()
{
    const int row = currentRow();
    if (row < 0)
        return;
    model().setUnmarked(row);
    setChanged();
}

bool ReadingsEditor::confirm()
{
    std::vector<RowEdit> edits;
    edits.reserve(model().rows().size());
    for (int row = 0; row < model().rowCount(); ++row) {
        QHash<int, QString> changed = model().changes(row);
        if (changed.contains(QtEmUnidadeInventario) && !Conversions::siteTextToNumber(changed[QtEmUnidadeInventario])) {
            site().ui().showMessage(
                QStringLiteral("Linha %1, coluna \"Qt\": \"%2\" não é um número. Nada foi alterado.")
                    .arg(row + 1)
                    .arg(changed[QtEmUnidadeInventario]));
            return false;
        }
        // The shown-only columns are never written.
        for (int column : { DescArtigo, Preco, Valor })
            changed.remove(column);
        const GridModel::Row& r = model().row(row);
        edits.push_back({ r.recordId, r.cells.at(CodArtigo), changed, model().originals(row), r.unmarked });
    }
    QStringList lost;
    const CommandResult result = EditorCommands(site()).confirmReadings(edits, m_removed, &lost);
    for (const QString& message : result.messages())
        site().ui().showMessage(message);
    if (!lost.isEmpty())
        site().ui().showMessage(
            QStringLiteral("Outro comando apagou entretanto estas leituras; as alterações feitas nelas não foram "
                           "gravadas: %1.")
                .arg(lost.join(QStringLiteral(", "))));
    return !result.failed();
}

// Marks cleared here stay cleared-but-unconfirmed in the table; nothing else of the grid is kept.
void ReadingsEditor::cancel()
{
    QSet<quint64> unmarked;
    for (const GridModel::Row& row : model().rows()) {
        if (row.unmarked && row.recordId != 0)
            unmarked.insert(row.recordId);
    }
    EditorCommands(site()).keepClearedMarks(unmarked);
}
