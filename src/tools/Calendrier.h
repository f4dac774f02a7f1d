#pragma once
// The calendar tool window: one month at a time, "Mois" buttons (or Page Up
// and Page Down) to go back and forth, Escape to close.
#include <QDialog>

class QCalendarWidget;
class QLabel;
class QPushButton;

class TCalendrier : public QDialog
{
    Q_OBJECT
public:
    explicit TCalendrier(QWidget *owner);

    // Shows the month of the given date.
    void showMonth(const QDate &date);
    void previousMonth();
    void nextMonth();
    QDate shownMonth() const; // first day of the month shown
    QString caption() const;

private:
    void updateCaption();

    QCalendarWidget *m_calendar;
    QLabel *m_caption;
    QPushButton *m_previous;
    QPushButton *m_next;
};
