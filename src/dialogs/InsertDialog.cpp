#include "InsertDialog.h"

#include "dialogs/StepperField.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

TInsertDialog::TInsertDialog(QWidget *owner, const QString &caption)
    : QDialog(owner)
{
    setWindowTitle(caption);
    setAccessibleName(caption);
    setModal(true);
}

QPushButton *TInsertDialog::makeOkButton()
{
    auto *button = new QPushButton(QStringLiteral("OK"), this);
    button->setObjectName(QStringLiteral("OKBtn"));
    button->setAccessibleName(QStringLiteral("OK"));
    button->setDefault(true);
    connect(button, &QPushButton::clicked, this, [this] {
        m_confirmed = true;
        accept();
    });
    return button;
}

QPushButton *TInsertDialog::makeCancelButton()
{
    auto *button = new QPushButton(QStringLiteral("Annuler"), this);
    button->setObjectName(QStringLiteral("CancelBtn"));
    button->setAccessibleName(QStringLiteral("Annuler"));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, &TInsertDialog::reject);
    return button;
}

QLabel *TInsertDialog::labelFor(const QString &caption, QWidget *field)
{
    auto *label = new QLabel(caption, this);
    label->setBuddy(field);
    if (auto *stepper = qobject_cast<TStepperField *>(field))
        stepper->setAccessibleName(caption);
    else
        field->setAccessibleName(caption);
    return label;
}

void TInsertDialog::reject()
{
    m_confirmed = false;
    QDialog::reject();
}

QHBoxLayout *TInsertDialog::makeButtonRow()
{
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(makeOkButton());
    buttons->addWidget(makeCancelButton());
    return buttons;
}

QHBoxLayout *TInsertDialog::makeCancelOkRow()
{
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(makeCancelButton());
    buttons->addWidget(makeOkButton());
    return buttons;
}
