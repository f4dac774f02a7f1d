#pragma once
// "Smileys": a list of text smileys; "Insérer" gives the one selected.
#include "dialogs/InsertDialog.h"

class QListWidget;

class TSmileys : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TSmileys(QWidget *owner);

    // The selected smiley after "Insérer"; empty otherwise.
    void Result(QString &text) const;

    QListWidget *list() const { return m_liste; }

private:
    QListWidget *m_liste;
};
