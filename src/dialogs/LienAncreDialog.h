#pragma once
// "Lien vers ancrage": picks one of the page's anchor names (or takes a
// typed one) for a link.
#include "dialogs/InsertDialog.h"

#include <QStringList>

class QComboBox;

class TLienAncre : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TLienAncre(QWidget *owner);

    // Lists the page's anchor names; the field shows the last one.
    void Init(const QStringList &lines);
    // The link's opening tag; empty after Annuler.
    void Result(QString &text) const;

private:
    QComboBox *m_nom;
};
