#include "SmileysDialog.h"

#include "dialogs/CharacterGrid.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TSmileys::TSmileys(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Smileys"))
{
    setObjectName(QStringLiteral("Smileys"));
    m_liste = new QListWidget(this);
    m_liste->setObjectName(QStringLiteral("Liste"));
    m_liste->setAccessibleName(QStringLiteral("Smileys"));
    m_liste->addItems(CharacterGrid::smileys());
    QFont fixed = m_liste->font();
    fixed.setFamily(QStringLiteral("Liberation Mono"));
    fixed.setStyleHint(QFont::Monospace);
    m_liste->setFont(fixed);
    m_liste->setMinimumSize(260, 300);

    QPushButton *inserer = makeOkButton();
    inserer->setText(QStringLiteral("Insérer"));
    inserer->setObjectName(QStringLiteral("InsererBtn"));
    inserer->setAccessibleName(QStringLiteral("Insérer"));
    connect(m_liste, &QListWidget::itemDoubleClicked, inserer, &QPushButton::click);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(makeCancelButton());
    buttons->addWidget(inserer);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_liste);
    layout->addLayout(buttons);
    m_liste->setFocus();
}

void TSmileys::Result(QString &text) const
{
    text.clear();
    const QListWidgetItem *item = m_liste->currentItem();
    if (confirmed() && item && item->isSelected())
        text = CharacterGrid::smileyOf(item->text());
}
