#include "Calendrier.h"

#include "tools/CalendarText.h"

#include <QCalendarWidget>
#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>

TCalendrier::TCalendrier(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("Calendrier"));
    setWindowTitle(QStringLiteral("Calendrier"));
    setAccessibleName(windowTitle());

    // Both buttons read "Mois"; the arrow and the accessible name tell them apart.
    m_previous = new QPushButton(style()->standardIcon(QStyle::SP_ArrowLeft), QStringLiteral("Mois"), this);
    m_previous->setObjectName(QStringLiteral("MoisPrecedent"));
    m_previous->setAccessibleName(QStringLiteral("Mois précédent"));
    m_previous->setToolTip(QStringLiteral("Mois précédent (Page préc.)"));
    m_next = new QPushButton(style()->standardIcon(QStyle::SP_ArrowRight), QStringLiteral("Mois"), this);
    m_next->setObjectName(QStringLiteral("MoisSuivant"));
    m_next->setAccessibleName(QStringLiteral("Mois suivant"));
    m_next->setToolTip(QStringLiteral("Mois suivant (Page suiv.)"));
    m_next->setLayoutDirection(Qt::RightToLeft); // arrow after the word
    for (QPushButton *b : {m_previous, m_next}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
    }

    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("MonthCaption"));
    m_caption->setAlignment(Qt::AlignCenter);
    QFont big = m_caption->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    m_caption->setFont(big);
    m_caption->setMinimumWidth(m_caption->fontMetrics().horizontalAdvance(QStringLiteral("septembre  0000")) + 16);

    m_calendar = new QCalendarWidget(this);
    m_calendar->setObjectName(QStringLiteral("Calendar"));
    m_calendar->setAccessibleName(QStringLiteral("Jours du mois"));
    m_calendar->setLocale(QLocale(QLocale::French, QLocale::France));
    m_calendar->setFirstDayOfWeek(Qt::Monday);
    m_calendar->setNavigationBarVisible(false);
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendar->setGridVisible(true);

    auto *close = new QPushButton(QStringLiteral("Fermer"), this);
    close->setObjectName(QStringLiteral("CloseBtn"));
    close->setAccessibleName(QStringLiteral("Fermer"));
    close->setAutoDefault(false);

    auto *top = new QHBoxLayout;
    top->addWidget(m_previous);
    top->addWidget(m_caption, 1);
    top->addWidget(m_next);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_calendar, 1);
    layout->addLayout(bottom);

    connect(m_previous, &QPushButton::clicked, this, &TCalendrier::previousMonth);
    connect(m_next, &QPushButton::clicked, this, &TCalendrier::nextMonth);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_calendar, &QCalendarWidget::currentPageChanged, this, &TCalendrier::updateCaption);
    // Window shortcuts take the keys before the day grid would use them.
    auto *pageUp = new QShortcut(QKeySequence(Qt::Key_PageUp), this);
    connect(pageUp, &QShortcut::activated, this, &TCalendrier::previousMonth);
    auto *pageDown = new QShortcut(QKeySequence(Qt::Key_PageDown), this);
    connect(pageDown, &QShortcut::activated, this, &TCalendrier::nextMonth);

    showMonth(QDate::currentDate());
    m_calendar->setFocus();
}

void TCalendrier::showMonth(const QDate &date)
{
    m_calendar->setSelectedDate(date);
    m_calendar->setCurrentPage(date.year(), date.month());
    updateCaption();
}

void TCalendrier::previousMonth() { m_calendar->showPreviousMonth(); }
void TCalendrier::nextMonth() { m_calendar->showNextMonth(); }

QDate TCalendrier::shownMonth() const { return QDate(m_calendar->yearShown(), m_calendar->monthShown(), 1); }

QString TCalendrier::caption() const { return m_caption->text(); }

void TCalendrier::updateCaption()
{
    m_caption->setText(Tools::monthCaption(shownMonth()));
    m_caption->setAccessibleName(m_caption->text());
}
