// Commands that write HTML around or in place of the selection.
#include "dialogs/HtmlEntity.h"
#include "document/Childwin.h"

#include "colormemo/ColMemo.h"
#include "platform/CommonDialogs.h"
#include "document/PageCommands.h"
#include "document/TagText.h"
#include "platform/FileDialogs.h"
#include "platform/Paths.h"

#include <QFileInfo>

void TEditeur::ReplaceSelection(const QString &text) { m_page->SetSelText(text); }

void TEditeur::wrap(const QString &open, const QString &close) { PageCommands::wrap(*m_page, open, close); }

void TEditeur::Police(const QString &font)
{
    PageCommands::wrapSelected(*m_page, QStringLiteral("<font face=\"") + font + QStringLiteral("\">"),
                               QStringLiteral("</font>"));
}

void TEditeur::Gras() { wrap(QStringLiteral("<b>"), QStringLiteral("</b>")); }
void TEditeur::Italique() { wrap(QStringLiteral("<i>"), QStringLiteral("</i>")); }
void TEditeur::Souligne() { wrap(QStringLiteral("<u>"), QStringLiteral("</u>")); }
void TEditeur::Barre() { wrap(QStringLiteral("<strike>"), QStringLiteral("</strike>")); }
void TEditeur::Indice() { wrap(QStringLiteral("<sub>"), QStringLiteral("</sub>")); }
void TEditeur::Exposant() { wrap(QStringLiteral("<sup>"), QStringLiteral("</sup>")); }
void TEditeur::Preformat() { wrap(QStringLiteral("<pre>"), QStringLiteral("</pre>")); }
void TEditeur::Gauche() { wrap(QStringLiteral("<p align=\"left\">"), QStringLiteral("</p>")); }
void TEditeur::Droite() { wrap(QStringLiteral("<p align=\"right\">"), QStringLiteral("</p>")); }
void TEditeur::Centre() { wrap(QStringLiteral("<center>"), QStringLiteral("</center>")); }
void TEditeur::H1() { wrap(QStringLiteral("<h1>"), QStringLiteral("</h1>")); }
void TEditeur::H2() { wrap(QStringLiteral("<h2>"), QStringLiteral("</h2>")); }
void TEditeur::H3() { wrap(QStringLiteral("<h3>"), QStringLiteral("</h3>")); }
void TEditeur::H4() { wrap(QStringLiteral("<h4>"), QStringLiteral("</h4>")); }
void TEditeur::H5() { wrap(QStringLiteral("<h5>"), QStringLiteral("</h5>")); }
void TEditeur::H6() { wrap(QStringLiteral("<h6>"), QStringLiteral("</h6>")); }
void TEditeur::Paragraphe() { wrap(QStringLiteral("<p>"), QStringLiteral("</p>")); }
void TEditeur::Commentaire() { wrap(QStringLiteral("<!--"), QStringLiteral("-->")); }

void TEditeur::Url2()
{
    wrap(QStringLiteral("<a href=\"") + TagText::placeholderUrl() + QStringLiteral("\">"), QStringLiteral("</a>"));
}

void TEditeur::RetourChariot() { PageCommands::replaceSelection(*m_page, QStringLiteral("<br>")); }

void TEditeur::Ancrage()
{
    Memorise();
    const std::optional<QString> name =
        CommonDialogs::askText(this, QStringLiteral("Ancrage"), QStringLiteral("Nom du point d'ancrage"));
    // The user types the whole anchor text; it goes in as typed.
    if (name && !name->isEmpty())
        ReplaceSelection(*name);
}

void TEditeur::Couleur()
{
    Memorise();
    const std::optional<QColor> color = CommonDialogs::askColor(this, m_lastColor);
    if (!color)
        return;
    m_lastColor = *color;
    ReplaceSelection(QStringLiteral("<font color=\"#") + TagText::htmlColorDigits(*color) + QStringLiteral("\">")
                     + Memo1->SelText() + QStringLiteral("</font>"));
}

// Url, Image and Son: an open dialog, then the chosen file relative to the
// page's folder when it exists (a typed name of a missing file goes in as
// the dialog returned it). No value when the dialog was cancelled.
std::optional<QString> TEditeur::chooseLinkTarget(const QString &title, const QString &filter,
                                                  const QString &fileName, bool picture)
{
    Platform::FileDialogRequest request;
    request.kind = Platform::FileDialogKind::Open;
    request.title = title;
    request.filter = filter;
    request.fileName = fileName;
    request.picturePreview = picture;
    const Platform::FileDialogResult chosen = Platform::runFileDialog(this, request);
    if (!chosen.accepted || chosen.path.isEmpty())
        return std::nullopt;
    if (QFileInfo::exists(chosen.path))
        return Platform::relativePath(chosen.path, m_page->folder());
    return chosen.path;
}

void TEditeur::Url()
{
    Memorise();
    const std::optional<QString> target = chooseLinkTarget(
        QStringLiteral("Hyperlien vers fichier"),
        QStringLiteral("Fichiers html (*.htm;*.html)|*.htm;*.html|Tous les fichiers (*.*)|*.*"),
        QStringLiteral("*.htm;*.html"), false);
    if (target)
        ReplaceSelection(QStringLiteral("<a href=\"") + *target + QStringLiteral("\">") + Memo1->SelText()
                         + QStringLiteral("</a>"));
}

void TEditeur::Image()
{
    Memorise();
    const std::optional<QString> target =
        chooseLinkTarget(QStringLiteral("Insérer image"),
                         QStringLiteral("Images Gif (*.gif)|*.gif|Images Jpeg (*.jpg)|*.jpg"),
                         QStringLiteral("*.gif;*.jpg"), true);
    if (target)
        ReplaceSelection(QStringLiteral("<img src=\"") + *target + QStringLiteral("\">"));
}

void TEditeur::Son()
{
    Memorise();
    const std::optional<QString> target =
        chooseLinkTarget(QStringLiteral("Insérer son"),
                         QStringLiteral("sons Wav (*.wav)|*.wav|Sons midi (*.mid)|*.mid"),
                         QStringLiteral("*.wav;*.mid"), false);
    if (target)
        ReplaceSelection(QStringLiteral("<a href=\"") + *target + QStringLiteral("\">") + Memo1->SelText()
                         + QStringLiteral("</a>"));
}

void TEditeur::Css()
{
    m_page->beginCommand();
    Platform::FileDialogRequest request;
    request.kind = Platform::FileDialogKind::Open;
    request.title = QStringLiteral("Feuille de style");
    request.filter = QStringLiteral("Feuiles de style (*.css)|*.css");
    request.fileName = QStringLiteral("*.css");
    const Platform::FileDialogResult chosen = Platform::runFileDialog(this, request);
    if (!chosen.accepted || !QFileInfo::exists(chosen.path))
        return;
    PageCommands::linkStyleSheet(*m_page, Platform::relativePath(chosen.path, m_page->folder()));
}

void TEditeur::Memo1KeyPress(QChar key, bool *handled)
{
    const QStringView entity = HtmlEntity::accent(key);
    if (entity.isEmpty())
        return;
    // Typed, as the letter would have been: it joins the typed run.
    m_page->type(entity.toString());
    if (handled)
        *handled = true;
}
