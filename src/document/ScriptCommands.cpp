// The script commands: each runs its generator's dialog and puts the code
// it gives back into the page.
#include "document/Childwin.h"

#include "colormemo/ColMemo.h"
#include "document/FragmentInsertion.h"
#include "platform/Messages.h"
#include "scripts/EffectDialogs.h"
#include "scripts/PageScriptDialogs.h"
#include "scripts/ScriptEffects.h"
#include "scripts/SkeletonDialogs.h"

#include <algorithm>

namespace {

// Dialogs that give a head piece and a body piece: the snapshot waits until
// there is something to place.
template <typename Dialog, typename Prepare = void (*)(Dialog &)>
void placeFromDialog(TEditeur &editor, Prepare prepare = [](Dialog &) {})
{
    QString head;
    QString body;
    {
        Dialog dialog(&editor);
        prepare(dialog);
        Fragment::runModal(dialog);
        dialog.Result(head, body);
    }
    editor.PlaceScript(head, body);
}

// Dialogs that give one text: likewise, no snapshot after Annuler.
template <typename Dialog>
void insertUnlessCancelled(TEditeur &editor)
{
    QString text;
    {
        Dialog dialog(&editor);
        Fragment::runModal(dialog);
        dialog.Result(text);
    }
    if (text.isEmpty())
        return;
    editor.Memorise();
    editor.ReplaceSelection(text);
}

// Loops and conditions leave the caret on the empty line of their last
// braces, three characters before the end ("\r\n}").
template <typename Dialog>
void insertBlock(TEditeur &editor)
{
    const QString text = runFragmentDialog<Dialog>(editor);
    if (text.isEmpty())
        return;
    editor.ReplaceSelection(text);
    editor.Memo1->SetSelStart(editor.Memo1->SelStart() - 3);
}

} // namespace

void TEditeur::JsScript()
{
    const int start = Memo1->SelStart();
    const QString selected = Memo1->SelText();
    const QString text = runFragmentDialog<TScript>(*this, [&selected](TScript &d) { d.Init(selected); });
    if (text.isEmpty())
        return;
    ReplaceSelection(text);
    // 39 puts the caret after the first character of the code; with no code
    // that would be inside a line break, so the caret goes to the start of
    // the empty line instead.
    int caret = 39;
    if (text.size() > 38 && text.at(38) == u'\r')
        caret = 38;
    Memo1->SetSelStart(start + caret);
}

void TEditeur::JsFor() { insertBlock<TBoucleFor>(*this); }

void TEditeur::JsWhile() { insertBlock<TBoucleWhile>(*this); }

void TEditeur::JsIf() { insertBlock<TConditionIf>(*this); }

void TEditeur::JsCles()
{
    QString entry;
    {
        TMotsCle dialog(this);
        Fragment::runModal(dialog);
        entry = dialog.selectedEntry();
    }
    if (entry.isEmpty())
        return;
    Memorise();
    ReplaceSelection(entry);
}

void TEditeur::Applet()
{
    const int start = Memo1->SelStart();
    const QString folder = m_page->folder();
    const QString text = runFragmentDialog<TJava>(*this, [&folder](TJava &d) { d.Init(folder); });
    if (text.isEmpty())
        return;
    ReplaceSelection(text);
    // Past the line break that follows the element.
    Memo1->SetSelStart(std::min<int>(start + int(text.size()) + 2, Memo1->TextLength()));
}

void TEditeur::Ilot()
{
    // A confirmed island without an id gives nothing, which still replaces
    // (deletes) the selection; cancelling leaves the page alone.
    const QString folder = m_page->folder();
    insertFragment<TIlotxml>(*this, [&folder](TIlotxml &d) { d.Init(folder); });
}

void TEditeur::JsDefile() { placeFromDialog<TDefile>(*this); }

void TEditeur::JsDegrade() { placeFromDialog<TDegrade>(*this); }

void TEditeur::JsAnime() { placeFromDialog<TAnime>(*this); }

void TEditeur::JsMessalea() { placeFromDialog<TMsgalea>(*this); }

void TEditeur::JsCompte() { insertUnlessCancelled<TCompte>(*this); }

void TEditeur::JsImgalea()
{
    // An unsaved page has no folder of its own yet.
    const QString folder = m_page->path().isEmpty() ? QString() : m_page->folder();
    placeFromDialog<TImgalea>(*this, [&folder](TImgalea &d) { d.Init(folder); });
}

void TEditeur::JsRollover()
{
    const QString folder = m_page->path().isEmpty() ? QString() : m_page->folder();
    placeFromDialog<TRollover>(*this, [&folder](TRollover &d) { d.Init(folder); });
}

void TEditeur::JsFavoris() { placeFromDialog<TFavoris>(*this); }

void TEditeur::JsImprime() { insertUnlessCancelled<TImprime>(*this); }

void TEditeur::JsCookie()
{
    if (Platform::confirm(this, QStringLiteral("Insérer le script cookie ?"), Platform::Buttons::OkCancel)
        != Platform::Answer::Ok)
        return;
    const ScriptEffects::Pieces pieces = ScriptEffects::visitorCookie();
    PlaceScript(pieces.head, pieces.body);
}

void TEditeur::PlaceScript(const QString &head, const QString &body)
{
    if (head.isEmpty())
        return;
    Memorise();
    ReplaceSelection(body);
    const QStringList lines = Memo1->Lines();
    const int headEnd = ScriptEffects::headEndLine(lines);
    if (headEnd < 0)
        return;
    int offset = 0;
    for (int i = 0; i < headEnd; ++i)
        offset += int(lines.at(i).size()) + 2;
    // The caret stays after the body piece, wherever the head piece lands.
    int caret = Memo1->SelStart();
    Memo1->Select(offset, 0);
    ReplaceSelection(head + QStringLiteral("\r\n"));
    if (offset <= caret)
        caret += int(head.size()) + 2;
    Memo1->SetSelStart(caret);
}
