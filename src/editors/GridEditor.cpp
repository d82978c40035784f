#include "editors/GridEditor.h"

#include "platform/UserInteraction.h"
#include "site/Site.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kCombo1Text = QStringLiteral("Combo1");

} // namespace

GridEditor::GridEditor(
    Site& site, const char* name, const QStringList& headers, const QList<int>& widths, QWidget* parent)
    : QWidget(parent)
    , m_site(site)
    , m_model(new GridModel(headers, this))
    , m_gr(new QTableView(this))
    , m_combo1(new QComboBox(m_gr->viewport()))
    , m_meuMenu(new QMenu(this))
    , m_controls(new QVBoxLayout)
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(QStringLiteral("Tarvik"));
    setWindowFlag(Qt::Window);

    m_gr->setObjectName(QStringLiteral("GR"));
    m_gr->setModel(m_model);
    m_gr->setSelectionMode(QAbstractItemView::SingleSelection);
    m_gr->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_gr->setContextMenuPolicy(Qt::CustomContextMenu);
    // A header sized to its contents would measure every row of a full table.
    m_gr->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_gr->verticalHeader()->setDefaultSectionSize(m_gr->fontMetrics().height() + 6);
    for (int column = 0; column < headers.size(); ++column) {
        const int width = widths.value(column, -1);
        if (width == 0)
            m_gr->setColumnHidden(column, true);
        else if (width > 0)
            m_gr->setColumnWidth(column, width / 15);
        else // wide enough for its heading
            m_gr->setColumnWidth(column,
                std::max(m_gr->columnWidth(column), m_gr->fontMetrics().horizontalAdvance(headers[column]) + 16));
    }

    m_combo1->setObjectName(QStringLiteral("Combo1"));
    m_combo1->setAccessibleName(QStringLiteral("Valor da célula"));
    m_combo1->setEditable(true);
    m_combo1->setInsertPolicy(QComboBox::NoInsert);
    m_combo1->setEditText(kCombo1Text);
    m_combo1->hide();

    m_meuMenu->setObjectName(QStringLiteral("MeuMenu"));
    connect(m_gr, &QTableView::customContextMenuRequested, this,
        [this](const QPoint& at) { m_meuMenu->popup(m_gr->viewport()->mapToGlobal(at)); });
    connect(m_gr, &QTableView::clicked, this, &GridEditor::showDropDown);
    connect(m_gr, &QTableView::doubleClicked, this, &GridEditor::askValue);
    connect(m_gr->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex& current, const QModelIndex& previous) {
            leave(previous);
            enter(current);
        });
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_combo1->hide();
        m_entered = QPersistentModelIndex();
    });

    auto* command1 = new QPushButton(QStringLiteral("Cancelar"), this);
    command1->setObjectName(QStringLiteral("Command1"));
    auto* command2 = new QPushButton(QStringLiteral("Confirmar alterações"), this);
    command2->setObjectName(QStringLiteral("Command2"));
    connect(command1, &QPushButton::clicked, this, [this] {
        m_dropping = true;
        close();
        m_dropping = false;
    });
    connect(command2, &QPushButton::clicked, this, [this] {
        leaveCurrentCell();
        if (confirm()) {
            m_changed = false;
            close();
        }
    });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(command1);
    buttons->addWidget(command2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_gr, 1);
    layout->addLayout(m_controls);
    layout->addLayout(buttons);
    // Wide enough for every column, as far as the screen allows.
    int width = m_gr->verticalHeader()->sizeHint().width() + m_gr->verticalScrollBar()->sizeHint().width() + 40;
    for (int column = 0; column < headers.size(); ++column)
        width += m_gr->isColumnHidden(column) ? 0 : m_gr->columnWidth(column);
    const QRect screen = this->screen()->availableGeometry();
    resize(std::min(width, screen.width()), std::min(700, screen.height() * 9 / 10));
}

int GridEditor::currentRow() const
{
    return m_gr->currentIndex().row();
}

void GridEditor::enter(const QModelIndex& index)
{
    m_entered = index;
    m_enteredText = index.isValid() ? m_model->text(index.row(), index.column()) : QString();
    m_combo1->setEditText(m_enteredText);
}

// Only a choice the user made in the drop-down is written back, so an edit typed in the input box lasts too.
void GridEditor::leave(const QModelIndex& index)
{
    if (!index.isValid() || index != m_entered)
        return;
    const int row = index.row();
    const int column = index.column();
    if (m_combo1->isVisible() && m_combo1->currentText() != m_enteredText && m_combo1->currentText() != kCombo1Text)
        m_model->setText(row, column, m_combo1->currentText());
    m_combo1->hide();
    if (m_model->text(row, column) != m_enteredText) {
        m_changed = true;
        cellChanged(row, column);
    }
    m_enteredText = m_model->text(row, column);
}

void GridEditor::leaveCurrentCell()
{
    leave(m_gr->currentIndex());
}

void GridEditor::showDropDown(const QModelIndex& index)
{
    const std::optional<QStringList> entries = dropDownEntries(index.row(), index.column());
    if (!entries)
        return;
    m_combo1->clear();
    m_combo1->addItems(*entries);
    m_combo1->setEditText(m_model->text(index.row(), index.column()));
    m_combo1->setGeometry(m_gr->visualRect(index));
    m_combo1->show();
    m_combo1->setFocus();
}

void GridEditor::askValue(const QModelIndex& index)
{
    if (!editableByInput(index.column()))
        return;
    m_combo1->hide();
    const std::optional<QString> answer = m_site.ui().askText(
        QStringLiteral("Alteração de valor"), QStringLiteral("Tarvik"), m_model->text(index.row(), index.column()));
    if (answer && !answer->isEmpty())
        m_model->setText(index.row(), index.column(), *answer);
}

void GridEditor::closeEvent(QCloseEvent* event)
{
    if (!m_dropping)
        leaveCurrentCell();
    if (m_changed && !m_dropping
        && !m_site.ui().askYesNo(QStringLiteral("As alterações não confirmadas vão perder-se. Fechar o editor?"),
            QStringLiteral("Tarvik"))) {
        event->ignore();
        return;
    }
    // However the changes are dropped, the table keeps the same of them.
    if (m_changed || m_dropping)
        cancel();
    m_changed = false;
    event->accept();
}
