#pragma once
// "Lien vers maibox": the address of a mail link.
#include "dialogs/InsertDialog.h"

class QLineEdit;

class TMailbox : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TMailbox(QWidget *owner);

    // The address as typed; empty after Annuler.
    void Result(QString &text) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_adresse;
};
