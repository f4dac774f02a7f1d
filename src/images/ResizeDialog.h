#pragma once
// "Redimensionner": asks for a new picture size, keeping the proportions of
// the current size while "Conserver les proportions" is checked.
#include "dialogs/InsertDialog.h"

#include <QSize>

class QCheckBox;
class TNumberField;

class TResizeDialog : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TResizeDialog(QWidget *owner);
    void Init(QSize current);
    // The size asked for; invalid after Annuler or for a size below 1 x 1.
    QSize Result() const;

    TNumberField *Largeur = nullptr;
    TNumberField *Hauteur = nullptr;
    QCheckBox *Proportions = nullptr;

private:
    void follow(bool fromWidth);
    QSize m_current;
};
