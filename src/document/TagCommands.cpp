// Commands that write HTML around or in place of the selection.
#include "document/Childwin.h"

#include "colormemo/ColMemo.h"

void TEditeur::ReplaceSelection(const QString &text) { Memo1->SetSelText(text); }

void TEditeur::Police(const QString &font)
{
    Memorise();
    if (Memo1->SelLength() == 0)
        return;
    ReplaceSelection(QStringLiteral("<font face=\"") + font + QStringLiteral("\">") + Memo1->SelText()
                     + QStringLiteral("</font>"));
}
