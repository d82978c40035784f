#include "viewer/DateWindow.h"

#include "values/Conversions.h"

#include <QCalendarWidget>
#include <QPushButton>
#include <QVBoxLayout>

DateWindow::DateWindow(double dataRelatorio, QWidget* parent)
    : QDialog(parent)
    , m_calendar1(new QCalendarWidget(this))
    , m_picked(Conversions::dateTimeFromDayNumber(dataRelatorio).date())
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Alterar data"));
    m_calendar1->setObjectName(QStringLiteral("Calendar1"));
    m_calendar1->setAccessibleName(QStringLiteral("Data do relatório"));
    m_calendar1->setLocale(QLocale(QLocale::Portuguese, QLocale::Portugal));
    m_calendar1->setFirstDayOfWeek(Qt::Monday);
    m_calendar1->setGridVisible(true);
    // Open on the headers' own day, so confirming without a pick keeps it.
    m_calendar1->setSelectedDate(m_picked);
    connect(m_calendar1, &QCalendarWidget::selectionChanged, this, [this] { m_picked = m_calendar1->selectedDate(); });

    auto* command1 = new QPushButton(QStringLiteral("Confirmar"), this);
    command1->setObjectName(QStringLiteral("Command1"));
    command1->setDefault(true);
    connect(command1, &QPushButton::clicked, this, [this] {
        Q_EMIT confirmed(Conversions::dayNumberFromDateTime(m_picked.startOfDay(Qt::UTC)));
        close();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_calendar1);
    layout->addWidget(command1, 0, Qt::AlignRight);
}
