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

#include <algorithm>

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
    Memo1->replaceLines(0, int(page.size()), StyleSection::rewrite(page, section));
}
