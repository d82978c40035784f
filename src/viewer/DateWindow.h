#pragma once
#include <QDate>
#include <QDialog>

class QCalendarWidget;

// Form6 "Alterar data": a month calendar (weeks from Monday, in Portuguese) open on the headers' date, that day
// selected, and "Confirmar", which hands back the day last picked.
class DateWindow : public QDialog
{
    Q_OBJECT
public:
    DateWindow(double dataRelatorio, QWidget* parent = nullptr);

Q_SIGNALS:
    // The picked day as a day number.
    void confirmed(double day);

private:
    QCalendarWidget* m_calendar1;
    QDate m_picked;
};
