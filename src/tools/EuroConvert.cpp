#include "EuroConvert.h"

#include "tools/EuroConversion.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Tools;

TEuroConvert::TEuroConvert(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("EuroConvert"));
    setWindowTitle(QStringLiteral("Convertisseur Euro"));
    setAccessibleName(windowTitle());

    m_currency = new QComboBox(this);
    m_currency->setObjectName(QStringLiteral("Monnaie"));
    m_currency->setAccessibleName(QStringLiteral("Monnaie"));
    for (const EuroCurrency &c : euroCurrencies())
        m_currency->addItem(QStringLiteral("%1 (%2)").arg(c.name, c.code));
    m_rate = new QLabel(this);
    m_rate->setObjectName(QStringLiteral("Taux"));

    m_national = new QLineEdit(this);
    m_national->setObjectName(QStringLiteral("MontantNational"));
    m_euro = new QLineEdit(this);
    m_euro->setObjectName(QStringLiteral("MontantEuro"));
    m_euro->setAccessibleName(QStringLiteral("Montant en euros"));
    for (QLineEdit *field : {m_national, m_euro}) {
        field->setAlignment(Qt::AlignRight);
        field->setMaxLength(24);
    }
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("Status"));

    auto *currencyLabel = new QLabel(QStringLiteral("&Monnaie :"), this);
    currencyLabel->setBuddy(m_currency);
    m_nationalLabel = new QLabel(this);
    m_nationalLabel->setBuddy(m_national);
    auto *euroLabel = new QLabel(QStringLiteral("Montant en &euros :"), this);
    euroLabel->setBuddy(m_euro);

    auto *close = new QPushButton(QStringLiteral("Fermer"), this);
    close->setObjectName(QStringLiteral("CloseBtn"));
    close->setAccessibleName(QStringLiteral("Fermer"));
    close->setAutoDefault(false);

    auto *form = new QFormLayout;
    form->addRow(currencyLabel, m_currency);
    form->addRow(QString(), m_rate);
    form->addRow(m_nationalLabel, m_national);
    form->addRow(euroLabel, m_euro);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(bottom);

    connect(m_currency, &QComboBox::currentIndexChanged, this, &TEuroConvert::currencyChanged);
    connect(m_national, &QLineEdit::textEdited, this, &TEuroConvert::nationalEdited);
    connect(m_euro, &QLineEdit::textEdited, this, &TEuroConvert::euroEdited);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    currencyChanged();
    m_national->setFocus();
}

void TEuroConvert::currencyChanged()
{
    const EuroCurrency &c = euroCurrencies().at(qMax(0, m_currency->currentIndex()));
    m_rate->setText(QStringLiteral("1 € = %1 %2").arg(formatRate(c), c.code));
    m_rate->setAccessibleName(QStringLiteral("Taux : ") + m_rate->text());
    m_nationalLabel->setText(QStringLiteral("Mo&ntant en %1 :").arg(c.code));
    m_national->setAccessibleName(QStringLiteral("Montant en %1").arg(c.code));
    // Keep the amount the user typed; convert it at the new rate.
    if (m_lastEditedEuro)
        euroEdited();
    else
        nationalEdited();
}

void TEuroConvert::nationalEdited()
{
    m_lastEditedEuro = false;
    const EuroCurrency &c = euroCurrencies().at(qMax(0, m_currency->currentIndex()));
    if (m_national->text().trimmed().isEmpty()) {
        m_euro->clear();
        m_status->clear();
    } else if (const auto amount = parseAmount(m_national->text())) {
        m_euro->setText(formatAmount(toEuro(*amount, c)));
        m_status->clear();
    } else {
        m_euro->clear();
        m_status->setText(QStringLiteral("Montant non valable"));
    }
}

void TEuroConvert::euroEdited()
{
    m_lastEditedEuro = true;
    const EuroCurrency &c = euroCurrencies().at(qMax(0, m_currency->currentIndex()));
    if (m_euro->text().trimmed().isEmpty()) {
        m_national->clear();
        m_status->clear();
    } else if (const auto amount = parseAmount(m_euro->text())) {
        m_national->setText(formatAmount(fromEuro(*amount, c)));
        m_status->clear();
    } else {
        m_national->clear();
        m_status->setText(QStringLiteral("Montant non valable"));
    }
}
