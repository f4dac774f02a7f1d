// The form-control, special character, smiley and style section commands.
#include "document/Childwin.h"

#include "colormemo/ColMemo.h"
#include "dialogs/CaractsDialog.h"
#include "dialogs/FormDialogs.h"
#include "dialogs/FormFragments.h"
#include "dialogs/SmileysDialog.h"
#include "dialogs/StyleDialog.h"
#include "dialogs/StyleSection.h"
#include "document/FragmentInsertion.h"

#include <QTextBlock>
#include <algorithm>
#include <QTextCursor>

namespace {

// Replaces only the run of lines that differs between before and after, in
// one edit, so that the caret and the lines around keep their place.
void replaceLines(TColorMemo &memo, const QStringList &before, const QStringList &after)
{
    qsizetype head = 0;
    while (head < before.size() && head < after.size() && before.at(head) == after.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head
           && before.at(before.size() - 1 - tail) == after.at(after.size() - 1 - tail))
        ++tail;
    const qsizetype removed = before.size() - head - tail;
    const qsizetype added = after.size() - head - tail;
    if (removed == 0 && added == 0)
        return;

    QTextDocument *document = memo.document();
    const QTextBlock first = document->findBlockByNumber(int(head));
    const QTextBlock next = document->findBlockByNumber(int(head + removed));
    QTextCursor cursor(document);
    if (first.isValid()) {
        cursor.setPosition(first.position());
    } else {
        // Adding after the last line of a text that does not end with one.
        cursor.movePosition(QTextCursor::End);
        if (!document->lastBlock().text().isEmpty())
            cursor.insertText(QStringLiteral("\n"));
    }
    if (next.isValid())
        cursor.setPosition(next.position(), QTextCursor::KeepAnchor);
    else
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    QString text;
    for (qsizetype i = head; i < head + added; ++i)
        text += after.at(i) + u'\n';
    cursor.insertText(text);
}

} // namespace

void TEditeur::FormDef()
{
    const QString text = insertFragment<TFormEmail>(*this, Fragment::NoInit{}, FragmentMode::UnlessEmpty);
    // Back over "</form>" and two line breaks: onto the empty line inside.
    if (!text.isEmpty())
        Memo1->SetSelStart(std::max(0, Memo1->SelStart() - 11));
}

void TEditeur::FormSaisie() { insertFragment<TFormEdit>(*this, Fragment::NoInit{}, FragmentMode::UnlessEmpty); }

void TEditeur::FormTexte() { insertFragment<TFormMemo>(*this, Fragment::NoInit{}, FragmentMode::UnlessEmpty); }

void TEditeur::FormCocher() { insertFragment<TFormCases>(*this, Fragment::NoInit{}, FragmentMode::UnlessEmpty); }

void TEditeur::FormBtnRadio() { insertFragment<TFormRadio>(*this, Fragment::NoInit{}, FragmentMode::UnlessEmpty); }

void TEditeur::FormMenu()
{
    Memorise();
    QString opening, options, closing;
    {
        TFormMenus dialog(this);
        Fragment::runModal(dialog);
        dialog.Result(opening, options, closing);
    }
    const QString menu = opening + options + closing;
    if (!menu.isEmpty())
        ReplaceSelection(menu);
}

void TEditeur::FormEnvoi()
{
    Memorise();
    ReplaceSelection(FormFragments::submitButton());
}

void TEditeur::FormRaz()
{
    Memorise();
    ReplaceSelection(FormFragments::resetButton());
}

// Cancelling the grid or the list leaves the selection as it was.
void TEditeur::Caracts() { insertFragment<TCaractsDialog>(*this); }

void TEditeur::Smil() { insertFragment<TSmileys>(*this); }

void TEditeur::Section()
{
    const QStringList page = Memo1->Lines();
    QString section;
    {
        TStyle dialog(this);
        dialog.Init(StyleSection::gatherRules(page).join(QStringLiteral("\r\n")));
        Fragment::runModal(dialog);
        dialog.Result(section);
    }
    if (section.isEmpty())
        return;
    Memorise();
    replaceLines(*Memo1, page, StyleSection::rewrite(page, section));
}
