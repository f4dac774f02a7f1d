#include "ListDialog.h"

#include "dialogs/NumberText.h"
#include "dialogs/StepperField.h"
#include "dialogs/StructureFragments.h"

#include <QLabel>
#include <QPushButton>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

TListDialog::TListDialog(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Insérer liste"))
{
    setObjectName(QStringLiteral("ListDialog"));
    m_nombre = new TStepperField(QStringLiteral("2"), this);
    m_nombre->setObjectName(QStringLiteral("Nombre"));
    // Neither kind is selected at first, which counts as unordered.
    m_ordonnee = new QRadioButton(QStringLiteral("Ordonnée"), this);
    m_ordonnee->setObjectName(QStringLiteral("Ordonnee"));
    m_ordonnee->setAccessibleName(QStringLiteral("Ordonnée"));
    m_nonOrdonnee = new QRadioButton(QStringLiteral("Non ordonnée"), this);
    m_nonOrdonnee->setObjectName(QStringLiteral("NonOrdonnee"));
    m_nonOrdonnee->setAccessibleName(QStringLiteral("Non ordonnée"));

    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Nombre d'éléments"), m_nombre), m_nombre);
    form->addRow(QString(), m_ordonnee);
    form->addRow(QString(), m_nonOrdonnee);

    QHBoxLayout *buttons = makeButtonRow();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    m_nombre->setFocus();
}

void TListDialog::Result(QString &text) const
{
    text.clear();
    if (!confirmed())
        return;
    text = StructureFragments::list(NumberText::toInteger(m_nombre->text()), m_ordonnee->isChecked());
}
