#include "LienAncreDialog.h"

#include "dialogs/StructureFragments.h"

#include <QPushButton>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

TLienAncre::TLienAncre(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Lien vers ancrage"))
{
    setObjectName(QStringLiteral("LienAncre"));
    m_nom = new QComboBox(this);
    m_nom->setObjectName(QStringLiteral("NomAncrage"));
    m_nom->setEditable(true);
    m_nom->setInsertPolicy(QComboBox::NoInsert);
    m_nom->setMinimumWidth(240);

    QHBoxLayout *buttons = makeButtonRow();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(labelFor(QStringLiteral("Nom du point d'ancrage"), m_nom));
    layout->addWidget(m_nom);
    layout->addLayout(buttons);
    m_nom->setFocus();
}

void TLienAncre::Init(const QStringList &lines)
{
    m_nom->clear();
    const QStringList names = StructureFragments::anchorNames(lines);
    m_nom->addItems(names);
    if (!names.isEmpty())
        m_nom->setCurrentIndex(names.size() - 1);
    m_nom->setEditText(names.isEmpty() ? QString() : names.last());
}

void TLienAncre::Result(QString &text) const
{
    text.clear();
    if (confirmed())
        text = StructureFragments::anchorLink(m_nom->currentText());
}
