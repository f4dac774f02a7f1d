#include "HRDialog.h"

#include "dialogs/NumberField.h"
#include "dialogs/StructureFragments.h"

#include <QLabel>
#include <QPushButton>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

THR::THR(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Ligne horizontale"))
{
    setObjectName(QStringLiteral("HR"));
    m_epaisseur = new TNumberField(1, 0, 0, this);
    m_epaisseur->setObjectName(QStringLiteral("Epaisseur"));
    m_largeur = new TNumberField(100, 0, 100, this);
    m_largeur->setObjectName(QStringLiteral("Largeur"));

    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Epaisseur"), m_epaisseur), m_epaisseur);
    form->addRow(labelFor(QStringLiteral("Largeur (%)"), m_largeur), m_largeur);

    auto *alignement = new QGroupBox(QStringLiteral("Alignement"), this);
    alignement->setObjectName(QStringLiteral("Alignement"));
    alignement->setAccessibleName(QStringLiteral("Alignement"));
    const auto radio = [alignement](const char *name, const QString &caption) {
        auto *b = new QRadioButton(caption, alignement);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(caption);
        return b;
    };
    m_gauche = radio("Gauche", QStringLiteral("Gauche"));
    m_centre = radio("Centre", QStringLiteral("Centré"));
    m_droite = radio("Droite", QStringLiteral("Droite"));
    m_centre->setChecked(true);
    auto *radios = new QHBoxLayout(alignement);
    radios->addWidget(m_gauche);
    radios->addWidget(m_centre);
    radios->addWidget(m_droite);


    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(alignement);
    layout->addLayout(makeCancelOkRow());
    m_epaisseur->setFocus();
}

void THR::Result(QString &text) const
{
    text.clear();
    if (!confirmed())
        return;
    const auto align = m_gauche->isChecked()   ? StructureFragments::RuleAlign::Left
                       : m_droite->isChecked() ? StructureFragments::RuleAlign::Right
                                               : StructureFragments::RuleAlign::Center;
    text = StructureFragments::horizontalRule(m_epaisseur->number(), m_largeur->number(), align);
}
