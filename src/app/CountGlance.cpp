#include "app/CountGlance.h"

#include "platform/SettingsStore.h"
#include "report/CountSummary.h"
#include "report/ReportText.h"
#include "site/Site.h"
#include "terminal/TerminalSession.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString moment(const QDateTime& at)
{
    return at.toString(QStringLiteral("dd/MM/yyyy hh:mm"));
}

} // namespace

CountGlance::CountGlance(Site& site, QWidget* parent)
    : QWidget(parent)
    , m_site(site)
    , m_siteLabel(new QLabel(this))
    , m_workbookLabel(new QLabel(this))
    , m_terminalLabel(new QLabel(this))
    , m_table(new QTableWidget(0, 4, this))
{
    setObjectName(QStringLiteral("countGlance"));
    m_siteLabel->setObjectName(QStringLiteral("siteLabel"));
    QFont big = m_siteLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    m_siteLabel->setFont(big);
    m_workbookLabel->setObjectName(QStringLiteral("workbookLabel"));
    m_workbookLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_terminalLabel->setObjectName(QStringLiteral("terminalLabel"));
    m_table->setObjectName(QStringLiteral("glanceTable"));
    m_table->setAccessibleName(QStringLiteral("Contagem por centro de custo"));
    m_table->setHorizontalHeaderLabels({ QStringLiteral("Centro de custo"), QStringLiteral("Leituras"),
        QStringLiteral("Duvidosas"), QStringLiteral("Valor") });
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_siteLabel);
    layout->addWidget(m_workbookLabel);
    layout->addWidget(m_terminalLabel);
    layout->addWidget(m_table, 1);
}

void CountGlance::refresh(const QDateTime& lastCollection)
{
    m_siteLabel->setText(m_site.settings().value(SettingsKeys::NomeEstabelecimento));
    const QFileInfo workbook(m_site.workbookPath());
    m_workbookLabel->setText(workbook.exists()
            ? QStringLiteral("Livro: %1 (gravado em %2)").arg(workbook.filePath(), moment(workbook.lastModified()))
            : QStringLiteral("Livro: %1 (não existe)").arg(workbook.filePath()));
    QString terminal = QStringLiteral("Terminal: ");
    const TerminalSession* session = m_site.session();
    terminal += !session               ? QStringLiteral("indisponível")
        : session->TerminalNoSuporte() ? QStringLiteral("no suporte")
                                       : QStringLiteral("fora do suporte");
    terminal += lastCollection.isValid() ? QStringLiteral("; última recolha em %1").arg(moment(lastCollection))
                                         : QStringLiteral("; nenhuma recolha desde que o programa abriu");
    m_terminalLabel->setText(terminal);

    const CountSummary summary(m_site.tables());
    std::vector<CountSummary::Row> rows = summary.rows();
    rows.push_back(summary.total());
    m_table->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const CountSummary::Row& row = rows[size_t(r)];
        const QString cells[] = { row.CentroCusto, QString::number(row.readings), QString::number(row.doubtful),
            ReportText::valueText(row.value, 20).trimmed() };
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            if (r + 1 == int(rows.size())) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            m_table->setItem(r, c, item);
        }
    }
}
