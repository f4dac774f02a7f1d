// The document options and structure commands: each runs its dialog and
// puts what it gives back into the source pane.
#include "document/Childwin.h"

#include "colormemo/ColMemo.h"
#include "dialogs/BaliseDialog.h"
#include "dialogs/HRDialog.h"
#include "dialogs/LienAncreDialog.h"
#include "dialogs/ListDialog.h"
#include "dialogs/MailboxDialog.h"
#include "dialogs/StartDialog.h"
#include "dialogs/StructureFragments.h"
#include "dialogs/TableauDialog.h"
#include "document/FragmentInsertion.h"


void TEditeur::Options()
{
    Memorise();
    const QStringList lines = Memo1->Lines();
    QStringList rewritten;
    {
        TStartDialog dialog(this);
        dialog.Init(lines, m_page->folder());
        Fragment::runModal(dialog);
        rewritten = dialog.Result(lines);
    }
    Memo1->replaceLines(0, int(lines.size()), rewritten);
}

void TEditeur::Tableau()
{
    // A confirmed empty fragment replaces (deletes) the selection; a cancelled
    // dialog leaves the page alone.
    insertFragment<TTableauDialog>(*this);
}

void TEditeur::Liste() { insertFragment<TListDialog>(*this); }

void TEditeur::Horizontal() { insertFragment<THR>(*this, Fragment::NoInit{}, FragmentMode::UnlessEmpty); }

void TEditeur::LienAncrage()
{
    const QStringList lines = Memo1->Lines();
    const QString opening = runFragmentDialog<TLienAncre>(*this, [&lines](TLienAncre &d) { d.Init(lines); });
    if (!opening.isEmpty())
        ReplaceSelection(opening + Memo1->SelText() + QStringLiteral("</A>"));
}

void TEditeur::LienMail()
{
    const QString address = runFragmentDialog<TMailbox>(*this);
    // After Annuler the address is empty; a link to no address is of no use,
    // so the page is left alone (the snapshot is taken all the same).
    if (address.isEmpty())
        return;
    ReplaceSelection(StructureFragments::mailLink(address, Memo1->SelText()));
}

void TEditeur::Balises()
{
    QString entry;
    {
        TFBalise dialog(this);
        Fragment::runModal(dialog);
        entry = dialog.selectedEntry();
    }
    if (entry.isEmpty())
        return;
    Memorise();
    ReplaceSelection(StructureFragments::applyTagEntry(entry, Memo1->SelText()));
}
