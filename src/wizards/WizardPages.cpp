#include "WizardPages.h"

#include "dialogs/HtmlColour.h"

namespace WizardPages {

namespace {

const QString crlf = QStringLiteral("\r\n");

void addHead(QStringList &page, const Document &d)
{
    page << QStringLiteral("<html>") << QStringLiteral("<head>")
         << QStringLiteral("<title>") + d.titre + QStringLiteral("</title>")
         << QStringLiteral("<meta name=\"Description\" content=\"") + d.description + QStringLiteral("\">")
         << QStringLiteral("<meta name=\"Author\" content=\"") + d.auteur + QStringLiteral("\">")
         << QStringLiteral("</head>");
}

// The text colour opens a font element on the line before the body tag; the
// pages never close it.
QString colouredBody(const Colours &c)
{
    return QStringLiteral("<font color=\"#") + HtmlColour::digits(c.texte) + QStringLiteral("\">") + crlf
        + QStringLiteral("<body bgcolor=\"#") + HtmlColour::digits(c.fond) + QStringLiteral("\" ")
        + QStringLiteral("link=\"#") + HtmlColour::digits(c.lien) + QStringLiteral("\" ")
        + QStringLiteral("vlink=\"#") + HtmlColour::digits(c.lienVisite) + QStringLiteral("\" ");
}

QString mailLink(const Footer &f)
{
    return QStringLiteral("<a href=\"mailto:") + f.adresseMail + QStringLiteral("\"><center>") + f.lienMail
        + QStringLiteral("</center></a>");
}

// The width and height attributes take the spins the other way round
// ("Hauteur" gives the width); pages made so far rely on it.
QString imageEntry(const Paragraph &p)
{
    return QStringLiteral("<img src=\"") + p.image + QStringLiteral("\" align=") + p.emplacement
        + QStringLiteral(" width=") + QString::number(p.hauteur) + QStringLiteral(" height=")
        + QString::number(p.largeur) + QStringLiteral(" border=") + QString::number(p.cadre)
        + QStringLiteral(">");
}

QString linkEntry(const Paragraph &p)
{
    return QStringLiteral("<a href=\"") + p.adresse + QStringLiteral("\"><center>") + p.lienTexte
        + QStringLiteral("</center></a>");
}

void addParagraphBody(QStringList &page, const Paragraph &p)
{
    page << memoEntry(p.texte) << QStringLiteral("</p>") << QStringLiteral("<br>");
    if (!p.lienTexte.isEmpty())
        page << linkEntry(p);
    page << QStringLiteral("</p>") << QStringLiteral("<hr>");
}

void addMemoSection(QStringList &page, const QString &heading, const QString &text)
{
    page << QStringLiteral("<p>") << QStringLiteral("<h2><b>") + heading + QStringLiteral("</b></h2>");
    for (const QString &line : memoLines(text))
        page << line + QStringLiteral("<br>");
    page << QStringLiteral("</p>") << QStringLiteral("<hr>");
}

// "Tél. " and "<br>" alone are nine characters: a number of one character
// gives a bare line break.
QString phoneEntry(const QString &number)
{
    const QString text = QStringLiteral("Tél. ") + number + QStringLiteral("<br>");
    return text.size() > 10 ? text : QStringLiteral("<br>");
}

} // namespace

std::array<MenuRow, 8> ProSite::defaultMenus()
{
    return {{{QStringLiteral("Accueil"), QStringLiteral("index.htm")},
             {QStringLiteral("Catalogue"), QStringLiteral("Catalogue.htm")},
             {QStringLiteral("Historique"), QStringLiteral("historique.htm")},
             {QStringLiteral("Favoris"), QStringLiteral("Favoris.htm")},
             {}, {}, {}, {}}};
}

QStringList memoLines(const QString &text)
{
    if (text.isEmpty())
        return {};
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (body.endsWith(u'\n'))
        body.chop(1);
    return body.split(u'\n');
}

QString memoEntry(const QString &text) { return memoLines(text).join(crlf); }

QString bodyLine(const Colours &couleurs, const QString &imageFond)
{
    QString line = couleurs.chosen ? colouredBody(couleurs) : QStringLiteral("<body");
    if (!imageFond.isEmpty()) {
        if (!couleurs.chosen)
            line += u' ';
        line += QStringLiteral("background=\"") + imageFond + u'"';
    }
    return line + u'>';
}

QStringList personalSite(const PersonalSite &s)
{
    QStringList page;
    addHead(page, s.document);
    page << bodyLine(s.document.couleurs, s.document.imageFond);
    page << QStringLiteral("<p>") << QStringLiteral("<center>")
         << QStringLiteral("<") + s.titreNiveau + QStringLiteral(">") + s.titre + QStringLiteral("</") + s.titreNiveau + u'>'
         << QStringLiteral("<") + s.sousTitreNiveau + QStringLiteral(">") + s.sousTitre + QStringLiteral("</") + s.sousTitreNiveau + u'>'
         << QStringLiteral("</center>") << QStringLiteral("</p>") << QStringLiteral("<hr>")
         << QStringLiteral("<p>");
    for (std::size_t i = 0; i < s.paragraphes.size(); ++i) {
        const Paragraph &p = s.paragraphes.at(i);
        if (!p.image.isEmpty())
            page << imageEntry(p);
        // The first paragraph is always written; the others only when typed.
        if (i == 0 || !memoLines(p.texte).isEmpty())
            addParagraphBody(page, p);
        page << QStringLiteral("<p>");
    }
    page << memoEntry(s.pied.texte) << QStringLiteral("</p>");
    if (!s.pied.lienMail.isEmpty())
        page << mailLink(s.pied);
    page << QStringLiteral("</body>") << QStringLiteral("</html>");
    return page;
}

QStringList curriculumVitae(const Cv &cv)
{
    QStringList page;
    addHead(page, cv.document);
    page << bodyLine(cv.document.couleurs, cv.document.imageFond);
    page << QStringLiteral("<P>");
    if (!cv.photo.isEmpty())
        page << QStringLiteral("<img src=\"") + cv.photo + QStringLiteral("\" align=right>")
             << QStringLiteral(" <br>");
    page << cv.nom + QStringLiteral("<br>") << QStringLiteral("<br>")
         << cv.adresse1 + QStringLiteral("<br>") << cv.adresse2 + QStringLiteral("<br>")
         << cv.cpVille + QStringLiteral("<br>") << QStringLiteral("<br>")
         << phoneEntry(cv.telephone1) << phoneEntry(cv.telephone2)
         << QStringLiteral("<br>") << QStringLiteral("</p>")
         << QStringLiteral("<h1><b>") + cv.accroche + QStringLiteral("</b></h1>")
         << QStringLiteral("<br>") << QStringLiteral("<hr>");
    addMemoSection(page, QStringLiteral("Experience professionnelle"), cv.experience);
    addMemoSection(page, QStringLiteral("Etudes"), cv.etudes);
    addMemoSection(page, QStringLiteral("Centres d'intérêt"), cv.divers);
    for (const QString &line : memoLines(cv.pied.texte))
        page << line + QStringLiteral("<br>");
    if (!cv.pied.lienMail.isEmpty())
        page << mailLink(cv.pied);
    page << QStringLiteral("</body>") << QStringLiteral("</html>");
    return page;
}

QStringList menuBar(const std::array<MenuRow, 8> &menus, int barWidth)
{
    QStringList bar;
    bar << QStringLiteral("<div align=\"center\">")
        << QStringLiteral("<table width=\"") + QString::number(barWidth) + QStringLiteral("\" border=\"0\">")
        << QStringLiteral("<tr>");
    for (const MenuRow &row : menus)
        if (row.active())
            bar << QStringLiteral("<td><a href=\"") + row.page + QStringLiteral("\"><img src=\"") + row.intitule
                    + QStringLiteral(".gif\"></a>");
    bar << QStringLiteral("</tr>") << QStringLiteral("</table>");
    return bar;
}

QStringList proHome(const ProSite &s, int barWidth)
{
    QStringList page;
    addHead(page, s.document);
    const Colours &c = s.document.couleurs;
    page << (c.chosen ? colouredBody(c) + u'>' : QStringLiteral("<body>"));
    page << menuBar(s.menus, barWidth);
    page << QStringLiteral("<h1>") + s.accueilTitre + QStringLiteral("</h1>") << QStringLiteral("</div>")
         << QStringLiteral("<p>") << memoEntry(s.accueilTexte) << QStringLiteral("</p>")
         << QStringLiteral("<p>") << memoEntry(s.pied.texte) << QStringLiteral("</p>");
    if (!s.pied.lienMail.isEmpty())
        page << mailLink(s.pied);
    page << QStringLiteral("</body>") << QStringLiteral("</html>");
    return page;
}

QStringList proSecondary(const std::array<MenuRow, 8> &menus, int barWidth, const QString &title)
{
    QStringList page;
    page << QStringLiteral("<html>") << QStringLiteral("<head>")
         << QStringLiteral("<title>") + title + QStringLiteral("</title>") << QStringLiteral("</head>")
         << QStringLiteral("<body>");
    page << menuBar(menus, barWidth);
    page << QStringLiteral("</div>") << QStringLiteral("<h2>Site en construction</h2>")
         << QStringLiteral("</body>") << QStringLiteral("</html>");
    return page;
}

QStringList documentLines(const QStringList &entries)
{
    QStringList lines;
    for (const QString &entry : entries)
        lines << entry.split(crlf);
    return lines;
}

QString pageText(const QStringList &entries)
{
    QString text;
    for (const QString &entry : entries)
        text += entry + crlf;
    return text;
}

} // namespace WizardPages
