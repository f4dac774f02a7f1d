#pragma once
// "Récupération de documents": the copies left by a program that stopped
// with unsaved pages, offered back at start-up. "Ouvrir" hands the chosen
// copies to the opener, "Supprimer" throws them away after a question,
// "Fermer" keeps the rest for the next start.
#include "document/Recovery.h"

#include <QDialog>
#include <functional>

class QPushButton;
class QTreeWidget;

class TRecoveryDialog : public QDialog
{
    Q_OBJECT
public:
    // opener answers whether the copy became a window; its copy then
    // leaves the list.
    using Opener = std::function<bool(const Recovery::Entry &)>;
    TRecoveryDialog(const QList<Recovery::Entry> &entries, Opener opener, QWidget *parent = nullptr);

    QTreeWidget *Liste = nullptr;
    QPushButton *OuvrirBtn = nullptr;
    QPushButton *SupprimerBtn = nullptr;
    QPushButton *FermerBtn = nullptr;

    QList<Recovery::Entry> remaining() const { return m_entries; }
    void Ouvrir();
    void Supprimer();

private:
    QList<int> chosenRows() const;
    void removeRow(int row);
    void updateButtons();

    QList<Recovery::Entry> m_entries;
    Opener m_opener;
};
