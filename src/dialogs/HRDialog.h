#pragma once
// "Ligne horizontale": thickness, width and alignment of a rule.
#include "dialogs/InsertDialog.h"

class QRadioButton;
class TNumberField;

class THR : public TInsertDialog
{
    Q_OBJECT
public:
    explicit THR(QWidget *owner);

    // The rule's HTML; empty after Annuler.
    void Result(QString &text) const;

private:
    TNumberField *m_epaisseur;
    TNumberField *m_largeur;
    QRadioButton *m_gauche;
    QRadioButton *m_centre;
    QRadioButton *m_droite;
};
