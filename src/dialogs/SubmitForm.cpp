#include "SubmitForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

TSubmitForm::TSubmitForm(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("SubmitForm"));
    setWindowTitle(QStringLiteral("Résultats du formulaire"));
    setAccessibleName(windowTitle());

    auto addLabel = [this](const QString &caption, QWidget *field) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(field);
        field->setAccessibleName(QString(caption).remove(u':'));
        return label;
    };

    ActionEdit = new QLineEdit(this);
    ActionEdit->setObjectName(QStringLiteral("ActionEdit"));
    ActionEdit->setReadOnly(true);
    MethodeEdit = new QLineEdit(this);
    MethodeEdit->setObjectName(QStringLiteral("MethodeEdit"));
    MethodeEdit->setReadOnly(true);
    Resultat = new QListWidget(this);
    Resultat->setObjectName(QStringLiteral("Resultat"));
    FermerBtn = new QPushButton(QStringLiteral("Fermer"), this);
    FermerBtn->setObjectName(QStringLiteral("FermerBtn"));
    FermerBtn->setAccessibleName(QStringLiteral("Fermer"));
    FermerBtn->setDefault(true);
    connect(FermerBtn, &QPushButton::clicked, this, &QDialog::accept);

    auto *grid = new QGridLayout(this);
    grid->addWidget(addLabel(QStringLiteral("Action:"), ActionEdit), 0, 0);
    grid->addWidget(ActionEdit, 0, 1);
    grid->addWidget(addLabel(QStringLiteral("Methode:"), MethodeEdit), 1, 0);
    grid->addWidget(MethodeEdit, 1, 1);
    grid->addWidget(addLabel(QStringLiteral("Resultat"), Resultat), 2, 0, 1, 2);
    grid->addWidget(Resultat, 3, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(FermerBtn);
    grid->addLayout(buttons, 4, 0, 1, 2);
    resize(420, 320);
}

void TSubmitForm::Init(const QString &action, const QString &method, const QStringList &entries)
{
    ActionEdit->setText(action);
    ActionEdit->setCursorPosition(0);
    MethodeEdit->setText(method);
    Resultat->clear();
    Resultat->addItems(entries);
}
