#pragma once
// "Insérer liste": the number of items and the kind of a new list.
#include "dialogs/InsertDialog.h"

class QRadioButton;
class TStepperField;

class TListDialog : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TListDialog(QWidget *owner);

    // The list's HTML; empty after Annuler. Throws Platform::PemoError when
    // the number of items is not an integer.
    void Result(QString &text) const;

private:
    TStepperField *m_nombre;
    QRadioButton *m_ordonnee;
    QRadioButton *m_nonOrdonnee;
};
