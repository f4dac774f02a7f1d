#include "MailboxDialog.h"

#include <QPushButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

TMailbox::TMailbox(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Lien vers maibox"))
{
    setObjectName(QStringLiteral("Mailbox"));
    m_adresse = new QLineEdit(QStringLiteral("VotreMailbox"), this);
    m_adresse->setObjectName(QStringLiteral("Adresse"));
    m_adresse->setMinimumWidth(240);

    QHBoxLayout *buttons = makeButtonRow();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(labelFor(QStringLiteral("Nom du point d'ancrage"), m_adresse));
    layout->addWidget(m_adresse);
    layout->addLayout(buttons);
}

void TMailbox::showEvent(QShowEvent *event)
{
    TInsertDialog::showEvent(event);
    resetConfirmation();
    m_adresse->setFocus();
}

void TMailbox::Result(QString &text) const
{
    text = confirmed() ? m_adresse->text() : QString();
}
