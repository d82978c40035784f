#include "viewer/ReportPreview.h"

#include "platform/UserInteraction.h"
#include "printing/PrintedReport.h"
#include "report/ReportPages.h"
#include "values/Conversions.h"
#include "viewer/ReportPrinter.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kScreenDpi = 96.0;
constexpr double kZoomStep = 1.25;

QString pointsText(double points)
{
    return Conversions::numberToSiteText(std::round(points * 10) / 10);
}

} // namespace

ReportPreview::ReportPreview(
    std::unique_ptr<ReportPages> pages, const SettingsStore& settings, UserInteraction& ui, QWidget* parent)
    : QDialog(parent)
    , m_pages(std::move(pages))
    , m_printed(std::make_unique<PrintedReport>(*m_pages, settings, PrintedReport::defaultLayout()))
    , m_settings(settings)
    , m_ui(ui)
    , m_scrollArea(new QScrollArea(this))
    , m_pageLabel(new QLabel(this))
    , m_pageSpinBox(new QSpinBox(this))
    , m_zoomLabel(new QLabel(this))
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("Pré-visualizar"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    const int count = m_pages->pageCount();

    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("PreviewToolBar"));
    toolBar->setAccessibleName(QStringLiteral("Pré-visualizar"));
    const auto add = [this, toolBar](const char* name, const QString& caption, QKeySequence shortcut, auto run) {
        QAction* action = toolBar->addAction(caption, this, run);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        return action;
    };
    // The first and last pages by keyboard only: the bar keeps to what fits beside an A4 page.
    const auto addKey = [this](const char* name, const QString& caption, QKeySequence shortcut, auto run) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, run);
        addAction(action);
    };
    addKey(
        "FirstPage", QStringLiteral("Primeira página"), QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { showPage(0); });
    add("PreviousPage", QStringLiteral("Anterior"), QKeySequence::MoveToPreviousPage, [this] { showPage(m_page - 1); });
    m_pageSpinBox->setObjectName(QStringLiteral("pageSpinBox"));
    m_pageSpinBox->setAccessibleName(QStringLiteral("Página"));
    m_pageSpinBox->setRange(1, count);
    m_pageSpinBox->setPrefix(QStringLiteral("Página "));
    m_pageSpinBox->setSuffix(QStringLiteral(" de %1").arg(count));
    toolBar->addWidget(m_pageSpinBox);
    connect(m_pageSpinBox, &QSpinBox::valueChanged, this, [this](int value) { showPage(value - 1); });
    add("NextPage", QStringLiteral("Seguinte"), QKeySequence::MoveToNextPage, [this] { showPage(m_page + 1); });
    addKey("LastPage", QStringLiteral("Última página"), QKeySequence(Qt::CTRL | Qt::Key_End),
        [this] { showPage(m_pages->pageCount() - 1); });
    toolBar->addSeparator();
    add("ZoomOut", QStringLiteral("Reduzir"), QKeySequence::ZoomOut, [this] { setZoom(m_zoom / kZoomStep); });
    m_zoomLabel->setObjectName(QStringLiteral("zoomLabel"));
    m_zoomLabel->setAccessibleName(QStringLiteral("Ampliação"));
    toolBar->addWidget(m_zoomLabel);
    add("ZoomIn", QStringLiteral("Ampliar"), QKeySequence::ZoomIn, [this] { setZoom(m_zoom * kZoomStep); });
    add("FitWidth", QStringLiteral("Largura da página"), {}, [this] { setZoom(fittingZoom(false)); });
    add("FitPage", QStringLiteral("Página inteira"), {}, [this] { setZoom(fittingZoom(true)); });
    toolBar->addSeparator();
    add("Print", QStringLiteral("Imprimir..."), QKeySequence::Print, [this] { print(); });
    add("Close", QStringLiteral("Fechar"), QKeySequence(Qt::Key_Escape), [this] { close(); });

    m_scrollArea->setObjectName(QStringLiteral("pageScrollArea"));
    m_scrollArea->setAccessibleName(QStringLiteral("Página do relatório"));
    m_scrollArea->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scrollArea->setBackgroundRole(QPalette::Dark);
    m_pageLabel->setObjectName(QStringLiteral("pageLabel"));
    m_pageLabel->setAccessibleName(QStringLiteral("Página"));
    m_scrollArea->setWidget(m_pageLabel);

    auto* fontLabel = new QLabel(this);
    fontLabel->setObjectName(QStringLiteral("fontLabel"));
    const double chosen = PrintedReport::settingsFont(settings).pointSizeF();
    fontLabel->setText(m_printed->scaled()
            ? QStringLiteral("A letra foi reduzida de %1 para %2 pontos para que as linhas caibam na página.")
                  .arg(pointsText(chosen), pointsText(m_printed->printedFontSize()))
            : QStringLiteral("Letra de %1 pontos.").arg(pointsText(chosen)));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(toolBar);
    layout->addWidget(m_scrollArea, 1);
    layout->addWidget(fontLabel);
    const QRect screen = this->screen()->availableGeometry();
    resize(std::min(960, screen.width()), std::min(1000, screen.height() * 9 / 10));
    render();
}

ReportPreview::~ReportPreview() = default;

void ReportPreview::showPage(int page)
{
    page = std::clamp(page, 0, m_pages->pageCount() - 1);
    if (page == m_page)
        return;
    m_page = page;
    m_pageSpinBox->setValue(page + 1);
    m_scrollArea->verticalScrollBar()->setValue(0);
    render();
}

void ReportPreview::setZoom(double zoom)
{
    m_zoom = std::clamp(zoom, 0.25, 4.0);
    render();
}

double ReportPreview::fittingZoom(bool wholePage) const
{
    const QSizeF page = m_printed->pageLayout().fullRect(QPageLayout::Point).size() * (kScreenDpi / 72.0);
    const QSize view = m_scrollArea->viewport()->size() - QSize(8, 8);
    const double width = view.width() / page.width();
    return wholePage ? std::min(width, view.height() / page.height()) : width;
}

void ReportPreview::render()
{
    const double ratio = devicePixelRatioF();
    // Four times the screen at most: a page drawn at 400% on a high-density screen would take hundreds of MB.
    const double dpi = std::min(kScreenDpi * m_zoom * ratio, kScreenDpi * 4);
    const QPageLayout& layout = m_printed->pageLayout();
    const QSizeF size = layout.fullRect(QPageLayout::Point).size() * (dpi / 72.0);
    QImage image(qRound(size.width()), qRound(size.height()), QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(layout.paintRect(QPageLayout::Point).topLeft() * (dpi / 72.0));
    m_printed->paintPage(painter, m_page);
    painter.end();
    image.setDevicePixelRatio(ratio);
    m_pageLabel->setPixmap(QPixmap::fromImage(image));
    m_pageLabel->resize(m_pageLabel->sizeHint());
    m_pageLabel->setAccessibleDescription(
        QStringLiteral("Página %1 de %2 do relatório").arg(m_page + 1).arg(m_pages->pageCount()));
    m_zoomLabel->setText(QStringLiteral("%1 %").arg(qRound(m_zoom * 100)));
}

void ReportPreview::print()
{
    QPrinter printer(QPrinter::HighResolution);
    if (ReportPrinter::choose(printer, this) && !ReportPrinter::print(*m_pages, m_settings, printer))
        m_ui.showMessage(QStringLiteral("Erro de impressão!"));
}
