#pragma once
// "Caractères spéciaux": a grid of characters; choosing one puts its entity
// into the field below, which the user may still edit.
#include "dialogs/InsertDialog.h"

class QLineEdit;
class QTableWidget;

class TCaractsDialog : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TCaractsDialog(QWidget *owner);

    // The entity field's text; empty after Annuler.
    void Result(QString &text) const;

    QTableWidget *grid() const { return m_grid; }

private:
    void choose(int row, int column);

    QTableWidget *m_grid;
    QLineEdit *m_entite;
};
