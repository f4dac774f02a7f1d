#pragma once
// "Insérer tableau": rows, columns, border and centring of a new table.
#include "dialogs/InsertDialog.h"

class QCheckBox;
class TStepperField;

class TTableauDialog : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TTableauDialog(QWidget *owner);

    // The table's HTML; empty after Annuler. Throws Platform::PemoError when
    // Lignes or Colonnes does not hold an integer.
    void Result(QString &text) const;

private:
    TStepperField *m_lignes;
    TStepperField *m_colonnes;
    TStepperField *m_bordure;
    QCheckBox *m_centre;
};
