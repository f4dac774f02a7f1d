#pragma once
// How every dialog command puts its fragment into the page:
//   1. snapshot (Memorise) before anything else, so that "&Annuler" after a
//      cancelled dialog still restores the text as it was;
//   2. create the dialog with the document window as owner;
//   3. optionally prime it (Init);
//   4. show it modally;
//   5. read its fragment from Result (empty when the user cancelled);
//   6. free the dialog;
//   7. replace the selection by the fragment (never after a cancel).
//
// Usage:
//   insertFragment<TListeDlg>(editor);                          // no Init
//   insertFragment<TTableDlg>(editor, [&](TTableDlg &d) { d.Init(x); });
//   insertFragment<TLinkDlg>(editor, prime, FragmentMode::UnlessEmpty);
//   QString text = runFragmentDialog<TScrollDlg>(editor, prime); // no replace
//
// A dialog only needs a constructor taking its owner (QWidget *) and one of
//   void Result(QString &text)  or  QString Result()
// It never sees the document window: it is given what it needs through Init.
#include "document/Childwin.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <utility>

namespace Fragment {

// Shows a dialog modally. Tests replace this with setModalRunner to fill the
// fields and press a button instead of a person.
void runModal(QDialog &dialog);

// The handler gets the dialog before it would be shown; it must close it the
// way a user would (click OKBtn or the cancel button). Empty = real exec().
using ModalRunner = std::function<void(QDialog &)>;
void setModalRunner(ModalRunner runner);

// Reads a dialog's fragment whichever Result form it offers.
template <typename Dialog>
QString resultOf(Dialog &dialog)
{
    if constexpr (requires(Dialog &d, QString &s) { d.Result(s); }) {
        QString text;
        dialog.Result(text);
        return text;
    } else {
        return dialog.Result();
    }
}

// Whether the user closed the dialog with Annuler, Escape or the close box.
// Dialogs without a confirmation flag are never taken as cancelled.
template <typename Dialog>
bool cancelledOf(const Dialog &dialog)
{
    if constexpr (requires(const Dialog &d) { d.confirmed(); })
        return !dialog.confirmed();
    else
        return false;
}

struct Outcome {
    QString text;
    bool cancelled = false;
};

struct NoInit {
    template <typename Dialog>
    void operator()(Dialog &) const {}
};

} // namespace Fragment

enum class FragmentMode {
    Always,      // a confirmed dialog replaces the selection even by an empty fragment
    UnlessEmpty, // an empty fragment leaves the selection alone
};

// Steps 1 to 6 with the way the dialog was closed.
template <typename Dialog, typename Prime = Fragment::NoInit>
Fragment::Outcome runFragmentDialogOutcome(TEditeur &editor, Prime &&prime = {})
{
    editor.Memorise();
    Fragment::Outcome outcome;
    {
        Dialog dialog(&editor);
        std::forward<Prime>(prime)(dialog);
        Fragment::runModal(dialog);
        outcome.text = Fragment::resultOf(dialog);
        outcome.cancelled = Fragment::cancelledOf(dialog);
    }
    return outcome;
}

// Steps 1 to 6: the fragment, without touching the selection. For commands
// that place their text elsewhere (head pieces, rewritten lines).
template <typename Dialog, typename Prime = Fragment::NoInit>
QString runFragmentDialog(TEditeur &editor, Prime &&prime = {})
{
    return runFragmentDialogOutcome<Dialog>(editor, std::forward<Prime>(prime)).text;
}

// The whole pattern; answers the fragment that was inserted (or not).
// Cancelling never touches the page: the user's selection is kept.
template <typename Dialog, typename Prime = Fragment::NoInit>
QString insertFragment(TEditeur &editor, Prime &&prime = {}, FragmentMode mode = FragmentMode::Always)
{
    const Fragment::Outcome outcome = runFragmentDialogOutcome<Dialog>(editor, std::forward<Prime>(prime));
    if (outcome.cancelled)
        return {};
    if (mode == FragmentMode::Always || !outcome.text.isEmpty())
        editor.ReplaceSelection(outcome.text);
    return outcome.text;
}
