#include "Horloge.h"

#include "platform/Messages.h"
#include "tools/SystemClock.h"

#include <QDateEdit>
#include <QDateTime>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

THorloge::THorloge(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("Horloge"));
    setWindowTitle(QStringLiteral("Horloge"));
    setAccessibleName(windowTitle());
    setMinimumWidth(340);

    m_time = new QTimeEdit(this);
    m_time->setObjectName(QStringLiteral("TimeEdit"));
    m_time->setAccessibleName(QStringLiteral("Heure"));
    m_time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    m_date = new QDateEdit(this);
    m_date->setObjectName(QStringLiteral("DateEdit"));
    m_date->setAccessibleName(QStringLiteral("Date"));
    m_date->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    for (QWidget *field : std::initializer_list<QWidget *>{m_time, m_date}) {
        QFont big = field->font();
        big.setPointSizeF(big.pointSizeF() * 1.6);
        field->setFont(big);
    }
    auto *timeLabel = new QLabel(QStringLiteral("&Heure :"), this);
    timeLabel->setBuddy(m_time);
    auto *dateLabel = new QLabel(QStringLiteral("&Date :"), this);
    dateLabel->setBuddy(m_date);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("Status"));
    m_status->setWordWrap(true);

    auto *set = new QPushButton(QStringLiteral("Set"), this);
    set->setObjectName(QStringLiteral("SetBtn"));
    set->setAccessibleName(QStringLiteral("Set"));
    set->setToolTip(QStringLiteral("Mettre l'horloge du système à cette date et cette heure"));
    set->setAutoDefault(false);
    auto *close = new QPushButton(QStringLiteral("Fermer"), this);
    close->setObjectName(QStringLiteral("CloseBtn"));
    close->setAccessibleName(QStringLiteral("Fermer"));
    close->setAutoDefault(false);

    auto *form = new QFormLayout;
    form->addRow(timeLabel, m_time);
    form->addRow(dateLabel, m_date);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(set);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_status);
    layout->addLayout(buttons);

    connect(m_time, &QTimeEdit::timeChanged, this, &THorloge::userEdited);
    connect(m_date, &QDateEdit::dateChanged, this, &THorloge::userEdited);
    connect(set, &QPushButton::clicked, this, &THorloge::setClock);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    m_timer = new QTimer(this);
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &THorloge::tick);
    m_timer->start();
    tick();
}

void THorloge::tick()
{
    if (!m_following)
        return;
    const QDateTime now = QDateTime::currentDateTime();
    m_updating = true;
    m_time->setTime(now.time());
    m_date->setDate(now.date());
    m_updating = false;
}

void THorloge::userEdited()
{
    if (m_updating)
        return;
    // The user is choosing a time to set: stop overwriting it.
    m_following = false;
    m_status->setText(QStringLiteral("Cliquez sur « Set » pour mettre l'horloge du système à cette heure."));
}

void THorloge::setClock()
{
    const QString failure = Tools::setSystemClock(m_date->date(), m_time->time());
    if (!failure.isEmpty()) {
        m_status->setText(failure);
        Platform::error(this, failure);
        return;
    }
    m_status->setText(QStringLiteral("L'horloge du système est à l'heure indiquée."));
    m_following = true;
    tick();
}
