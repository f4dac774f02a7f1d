// Find and replace, the clipboard and the source pane's font.
#include "document/Childwin.h"

#include "colormemo/ColMemo.h"
#include "platform/CommonDialogs.h"
#include "document/FindDialogs.h"
#include "document/FindReplace.h"
#include "document/RegexSearch.h"
#include "document/FrameServices.h"
#include "platform/Messages.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

bool findRegex(TColorMemo &memo, const QString &pattern, SearchOptions options)
{
    const RegexSearch::Match m =
        RegexSearch::find(memo.Text(), pattern, QString(), memo.SelStart(), memo.SelLength(), options);
    if (m.start < 0)
        return false;
    memo.Select(m.start, m.length);
    return true;
}

void replaceRegex(TEditeur &e, const QString &pattern, const QString &replacement, SearchOptions options, bool all)
{
    TColorMemo &memo = *e.Memo1;
    // The selection is replaced when it is, as a whole, a match; "\1" and
    // "$1" in the replacement take that match's groups.
    QString replaced;
    if (RegexSearch::selectionMatches(memo.SelText(), pattern, replacement, options, &replaced))
        e.ReplaceSelection(replaced);
    if (!all) {
        if (!findRegex(memo, pattern, options))
            Platform::message(&e, FindReplace::replaceNotFound(pattern));
        return;
    }
    const FindReplace::ReplaceAll done =
        RegexSearch::replaceAll(memo.Text(), pattern, replacement, memo.SelStart(), memo.SelLength(), options);
    if (done.count == 0)
        return;
    memo.Select(done.start, done.end - done.start);
    e.ReplaceSelection(done.text);
}

} // namespace

void TEditeur::ensureSearchDialogs()
{
    // One of each per window, created on first use and kept with the window
    // so that their texts and options last as long as it does.
    if (!FindDialog1) {
        FindDialog1 = new TFindDialog(this);
        connect(FindDialog1, &TSearchDialog::findNext, this, [this] { Find(FindDialog1); });
    }
    if (!ReplaceDialog1) {
        ReplaceDialog1 = new TReplaceDialog(this);
        connect(ReplaceDialog1, &TSearchDialog::findNext, this, [this] { Find(ReplaceDialog1); });
        connect(ReplaceDialog1, &TReplaceDialog::replace, this, [this] { Replace(false); });
        connect(ReplaceDialog1, &TReplaceDialog::replaceAll, this, [this] { Replace(true); });
    }
}

void TEditeur::Chercher()
{
    ensureSearchDialogs();
    FindDialog1->showModeless();
}

void TEditeur::Remplacer()
{
    ensureSearchDialogs();
    ReplaceDialog1->showModeless();
}

void TEditeur::Find(TSearchDialog *dialog)
{
    if (!dialog)
        return;
    const QString s = dialog->findText();
    if (dialog->regex()) {
        if (!findRegex(*Memo1, s, dialog->options()))
            Platform::message(this, FindReplace::findNotFound(s));
        return;
    }
    if (!Memo1->SearchText(s, dialog->options()))
        Platform::message(this, FindReplace::findNotFound(s));
}


void TEditeur::Continuer()
{
    ensureSearchDialogs();
    Find(FindDialog1);
}

void TEditeur::Replace(bool all)
{
    ensureSearchDialogs();
    Memorise(); // one snapshot: one "Annuler" undoes a whole replace-all
    const QString s = ReplaceDialog1->findText();
    const QString replacement = ReplaceDialog1->replaceText();
    const SearchOptions options = ReplaceDialog1->options();
    if (ReplaceDialog1->regex()) {
        replaceRegex(*this, s, replacement, options, all);
        return;
    }
    // An empty search text matches nothing, not even an empty selection:
    // otherwise a press would insert the replacement at the caret.
    if (!s.isEmpty() && FindReplace::sameIgnoringCase(Memo1->SelText(), s))
        ReplaceSelection(replacement);
    if (!all) {
        if (!Memo1->SearchText(s, options))
            Platform::message(this, FindReplace::replaceNotFound(s));
        return;
    }
    // Replacing occurrence after occurrence in the pane costs a document
    // edit each; the same result is computed over the text in one pass and
    // set in one edit. The caret ends after the last replacement, where the
    // last unsuccessful search leaves it.
    const QString text = Memo1->Text();
    const FindReplace::ReplaceAll done =
        FindReplace::replaceAll(text, s, replacement, Memo1->SelStart(), Memo1->SelLength(), options);
    if (done.count == 0)
        return;
    Memo1->Select(done.start, done.end - done.start);
    ReplaceSelection(done.text);
}

void TEditeur::ToutSelectionner() { Memo1->selectAll(); }

void TEditeur::Copier()
{
    if (Memo1->SelLength() > 0)
        QGuiApplication::clipboard()->setText(QString(Memo1->SelText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    if (m_frame)
        m_frame->enablePaste();
}

void TEditeur::Couper()
{
    Memorise();
    if (Memo1->SelLength() == 0)
        return;
    QGuiApplication::clipboard()->setText(QString(Memo1->SelText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    ReplaceSelection(QString());
}

void TEditeur::Coller()
{
    Memorise();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return;
    const QString text = data->text();
    if (!text.isEmpty())
        ReplaceSelection(text);
}

void TEditeur::OptEdit()
{
    const std::optional<QFont> font = CommonDialogs::askFont(this, Memo1->font());
    if (font)
        Memo1->setFont(*font);
}
