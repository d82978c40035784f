#include "editors/ArticleEditor.h"

#include "platform/UserInteraction.h"
#include "site/EditorCommands.h"
#include "site/Site.h"
#include "tables/ArticleSorts.h"
#include "tables/InventoryTables.h"
#include "values/Conversions.h"

#include <QButtonGroup>
#include <QHash>
#include <QMenu>
#include <QProgressBar>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

using namespace ArticleColumn;

QColor originColour(const Artigo& a)
{
    switch (a.Origem) {
    case Origin::Reception:
        return a.ArtigoNovo ? QColor(255, 0, 0) : QColor(255, 255, 192);
    case Origin::Correction:
        return QColor(128, 255, 128);
    case Origin::Placeholder:
        return QColor(192, 192, 255);
    default:
        return {};
    }
}

QStringList cellsOf(const Artigo& a)
{
    return { a.CodArtigo, a.DescArtigo, QString(), a.CodFamContabilista, a.DescFamiliaContabilista, a.UnidadeDeCompra,
        a.UnidadeDeStock, Conversions::numberToSiteText(a.ConversaoCompraStock),
        Conversions::numberToSiteText(a.PrecoCompraUnitario) };
}

// The sorts report their progress to ProgressBar1; everything else goes to the site's own interaction.
class SortProgress : public UserInteraction
{
public:
    SortProgress(UserInteraction& ui, QProgressBar& bar)
        : m_ui(ui)
        , m_bar(bar)
    {
    }
    void showMessage(const QString& text) override { m_ui.showMessage(text); }
    bool askYesNo(const QString& text, const QString& title) override { return m_ui.askYesNo(text, title); }
    std::optional<QString> askText(const QString& prompt, const QString& title, const QString& answer) override
    {
        return m_ui.askText(prompt, title, answer);
    }
    QString chooseFile() override { return m_ui.chooseFile(); }
    QString chooseSaveFile(const QString& path, const QString& filter) override
    {
        return m_ui.chooseSaveFile(path, filter);
    }
    void setBusy(Window window, bool busy) override { m_ui.setBusy(window, busy); }
    void setProgress(Window, int percent) override { m_bar.setValue(percent); }
    void setStatus(Status surface, const QString& text) override { m_ui.setStatus(surface, text); }
    void processEvents() override { m_ui.processEvents(); }

private:
    UserInteraction& m_ui;
    QProgressBar& m_bar;
};

} // namespace

ArticleEditor::ArticleEditor(Site& site, QWidget* parent)
    : GridEditor(site, "Form2",
        { QStringLiteral("Artigos"), QStringLiteral("Descrições"), QString(), QStringLiteral("Fam. Contabilista"),
            QStringLiteral("Descrição"), QStringLiteral("Unidade Compra"), QStringLiteral("Unidade Stock"),
            QStringLiteral("Conversão Compra-Stock"), QStringLiteral("Preço Compra") },
        { -1, 4500, 0, -1, 3500 }, parent)
    , m_options(new QButtonGroup(this))
    , m_progressBar1(new QProgressBar(this))
{
    grid().setAccessibleName(QStringLiteral("Artigos"));
    m_progressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar1->setAccessibleName(QStringLiteral("Progresso da ordenação"));
    m_progressBar1->hide();
    controls().addWidget(m_progressBar1);
    const QString captions[] = { QStringLiteral("Ordenado por descrição"),
        QStringLiteral("Ordenado por data de movimentação"), QStringLiteral("Ordenado por codigo de artigo"),
        QStringLiteral("Ordenado por ordem de entrada no ficheiro de artigos( mais recentes primeiro)") };
    for (int option = 0; option < 4; ++option) {
        auto* button = new QRadioButton(captions[option], this);
        button->setObjectName(QStringLiteral("Option%1").arg(option + 1));
        m_options->addButton(button, option + 1);
        controls().addWidget(button);
    }
    connect(m_options, &QButtonGroup::idClicked, this, &ArticleEditor::sort);

    const auto add = [this](const char* name, const QString& caption, void (ArticleEditor::*action)()) {
        QAction* entry = meuMenu().addAction(caption, this, action);
        entry->setObjectName(QString::fromLatin1(name));
    };
    add("Apagarlinha", QStringLiteral("Apagar linha"), &ArticleEditor::Apagarlinha);
    add("LocalizarCodArtigo", QStringLiteral("Localizar Codigo de artigo"), &ArticleEditor::LocalizarCodArtigo);
    add("ColocarExcepcao", QStringLiteral("Colocar no ficheiro de excepções"), &ArticleEditor::ColocarExcepcao);
}

void ArticleEditor::open()
{
    m_options->button(1)->setChecked(true);
    sort(1);
}

void ArticleEditor::PreencheGrelhaArtigos()
{
    QHash<quint64, GridModel::Row> edited;
    for (const GridModel::Row& row : model().rows()) {
        if (row.cells != row.original)
            edited.insert(row.recordId, row);
    }
    const InventoryTables& tables = site().tables();
    std::vector<GridModel::Row> rows;
    rows.reserve(size_t(tables.NArtigos()));
    for (int slot = 1; slot <= tables.NArtigos(); ++slot) {
        const Artigo& a = tables.artigo(slot);
        if (m_removed.contains(a.recordId))
            continue;
        const auto kept = edited.constFind(a.recordId);
        if (kept != edited.cend()) {
            rows.push_back(*kept);
            continue;
        }
        const QStringList cells = cellsOf(a);
        rows.push_back({ a.recordId, cells, cells, originColour(a), false });
    }
    model().setRows(std::move(rows));
}

// Sorts the table itself; the edits made here stay with their rows.
void ArticleEditor::sort(int option)
{
    leaveCurrentCell();
    m_progressBar1->setValue(0);
    m_progressBar1->show();
    setEnabled(false);
    SortProgress progress(site().ui(), *m_progressBar1);
    ArticleSorts sorts(site().tables(), progress);
    void (ArticleSorts::*const orders[])() = { &ArticleSorts::OrdenarArtigos, &ArticleSorts::OrdenarArtigosPorData,
        &ArticleSorts::OrdenarArtigosPorCodigo, &ArticleSorts::OrdenarArtigosPorPosicao };
    (sorts.*orders[option - 1])();
    m_progressBar1->setValue(100);
    PreencheGrelhaArtigos();
    setEnabled(true);
    m_progressBar1->hide();
}

std::optional<QStringList> ArticleEditor::dropDownEntries(int, int column)
{
    if (column < CodFamContabilista || column > UnidadeDeStock)
        return std::nullopt;
    return model().distinctTexts(column);
}

void ArticleEditor::cellChanged(int row, int column)
{
    if (column == DescFamiliaContabilista)
        model().setText(row, CodFamContabilista,
            EditorCommands(site()).Consulta_CodFamContabilisticaPorDesc(model().text(row, column)));
}

void ArticleEditor::Apagarlinha()
{
    const int row = currentRow();
    if (row < 0)
        return;
    leaveCurrentCell();
    m_removed.insert(model().row(row).recordId);
    model().removeRowAt(row);
    setChanged();
}

void ArticleEditor::LocalizarCodArtigo()
{
    const std::optional<QString> code
        = site().ui().askText(QStringLiteral("Codigo do Artigo"), QStringLiteral("Tarvik"), QString());
    if (!code || code->isEmpty())
        return;
    const std::vector<GridModel::Row>& rows = model().rows();
    for (int row = int(rows.size()) - 1; row >= 0; --row) {
        if (rows[size_t(row)].cells.at(CodArtigo) == *code) {
            const QModelIndex found = model().index(row, CodArtigo);
            grid().setCurrentIndex(found);
            grid().scrollTo(found);
            grid().setFocus();
            return;
        }
    }
}

void ArticleEditor::ColocarExcepcao()
{
    const int row = currentRow();
    if (row < 0)
        return;
    leaveCurrentCell();
    const CommandResult result = EditorCommands(site()).AdicionaArtigosExcepcao(model().row(row).cells);
    for (const QString& message : result.messages())
        site().ui().showMessage(message);
}

bool ArticleEditor::confirm()
{
    std::vector<RowEdit> edits;
    edits.reserve(model().rows().size());
    const QString headers[] = { QStringLiteral("Conversão Compra-Stock"), QStringLiteral("Preço Compra") };
    for (int row = 0; row < model().rowCount(); ++row) {
        const QHash<int, QString> changed = model().changes(row);
        for (int column : { ConversaoCompraStock, PrecoCompraUnitario }) {
            if (changed.contains(column) && !Conversions::siteTextToNumber(changed[column])) {
                site().ui().showMessage(
                    QStringLiteral("Linha %1, coluna \"%2\": \"%3\" não é um número. Nada foi alterado.")
                        .arg(row + 1)
                        .arg(headers[column - ConversaoCompraStock], changed[column]));
                return false;
            }
        }
        const GridModel::Row& r = model().row(row);
        edits.push_back({ r.recordId, r.cells.at(CodArtigo), changed, model().originals(row), false });
    }
    QStringList lost;
    const CommandResult result = EditorCommands(site()).confirmArticles(edits, m_removed, &lost);
    for (const QString& message : result.messages())
        site().ui().showMessage(message);
    if (!lost.isEmpty())
        site().ui().showMessage(
            QStringLiteral("Outro comando apagou entretanto estes artigos; as alterações feitas neles não foram "
                           "gravadas: %1.")
                .arg(lost.join(QStringLiteral(", "))));
    return !result.failed();
}
