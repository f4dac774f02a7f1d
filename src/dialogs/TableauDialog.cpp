#include "TableauDialog.h"

#include "dialogs/NumberText.h"
#include "dialogs/StepperField.h"
#include "dialogs/StructureFragments.h"

#include <QLabel>
#include <QPushButton>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

TTableauDialog::TTableauDialog(QWidget *owner)
    : TInsertDialog(owner, QStringLiteral("Insérer tableau"))
{
    setObjectName(QStringLiteral("TableauDialog"));
    const auto stepper = [this](const char *name, const QString &value) {
        auto *field = new TStepperField(value, this);
        field->setObjectName(QString::fromLatin1(name));
        field->setMaxLength(2);
        return field;
    };
    m_lignes = stepper("Lignes", QStringLiteral("2"));
    m_colonnes = stepper("Colonnes", QStringLiteral("2"));
    m_bordure = stepper("Bordure", QStringLiteral("1"));
    m_centre = new QCheckBox(QStringLiteral("Centré"), this);
    m_centre->setObjectName(QStringLiteral("Centre"));
    m_centre->setAccessibleName(QStringLiteral("Centré"));

    auto *form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("Lignes"), m_lignes), m_lignes);
    form->addRow(labelFor(QStringLiteral("Colonnes"), m_colonnes), m_colonnes);
    form->addRow(labelFor(QStringLiteral("Bordure"), m_bordure), m_bordure);
    form->addRow(QString(), m_centre);

    QHBoxLayout *buttons = makeButtonRow();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    m_lignes->setFocus();
}

void TTableauDialog::Result(QString &text) const
{
    text.clear();
    if (!confirmed())
        return;
    const int rows = NumberText::toInteger(m_lignes->text());
    const int columns = NumberText::toInteger(m_colonnes->text());
    text = StructureFragments::table(rows, columns, m_bordure->text(), m_centre->isChecked());
}
