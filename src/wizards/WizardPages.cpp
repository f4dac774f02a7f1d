#include "WizardPages.h"

#include "dialogs/HtmlColour.h"
#include "wizards/Gallery.h"

#include <QUrl>

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

// The body tag of the professional site's pages.
QString proBody(const Colours &c)
{
    return c.chosen ? colouredBody(c) + u'>' : QStringLiteral("<body>");
}

QString mailLink(const Footer &f)
{
    return QStringLiteral("<a href=\"mailto:") + f.adresseMail + QStringLiteral("\"><center>") + f.lienMail
        + QStringLiteral("</center></a>");
}

QString imageEntry(const Paragraph &p)
{
    return QStringLiteral("<img src=\"") + p.image + QStringLiteral("\" align=") + p.emplacement
        + QStringLiteral(" width=") + QString::number(p.largeur) + QStringLiteral(" height=")
        + QString::number(p.hauteur) + QStringLiteral(" border=") + QString::number(p.cadre)
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
    if (!cv.photo.isEmpty()) {
        // A photo straight from a camera would fill the page many times over.
        const QSize size = cvPhotoSize(cv.photoSize);
        const QString dimensions = size.isValid() && !size.isEmpty()
            ? QStringLiteral(" width=%1 height=%2").arg(size.width()).arg(size.height())
            : QString();
        page << QStringLiteral("<img src=\"") + cv.photo + QStringLiteral("\" align=right") + dimensions
                    + u'>'
             << QStringLiteral(" <br>");
    }
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

QSize paragraphPictureSize(QSize picture) { return Gallery::thumbnailSize(picture, 100, 100); }

QSize cvPhotoSize(QSize photo) { return Gallery::thumbnailSize(photo, 120, 150); }

QString buttonFileName(const QString &label)
{
    // Refused in names by at least one common file system.
    static const QString refused = QStringLiteral("\\/:*?\"<>|");
    QString name;
    for (QChar c : label) {
        const bool bad = c.unicode() < 0x20 || c.unicode() == 0x7F || refused.contains(c);
        if (!bad)
            name += c;
        else if (!name.endsWith(u'-'))
            name += u'-';
    }
    // Names may not end in a blank or a dot on some systems; a leading dot
    // hides the file.
    while (!name.isEmpty() && (name.endsWith(u' ') || name.endsWith(u'.') || name.endsWith(u'-')))
        name.chop(1);
    while (!name.isEmpty() && (name.startsWith(u' ') || name.startsWith(u'.') || name.startsWith(u'-')))
        name.remove(0, 1);
    if (name.isEmpty())
        return QStringLiteral("bouton.gif");
    static const QStringList devices = {
        QStringLiteral("CON"),  QStringLiteral("PRN"),  QStringLiteral("AUX"),  QStringLiteral("NUL"),
        QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"), QStringLiteral("COM4"),
        QStringLiteral("COM5"), QStringLiteral("COM6"), QStringLiteral("COM7"), QStringLiteral("COM8"),
        QStringLiteral("COM9"), QStringLiteral("LPT1"), QStringLiteral("LPT2"), QStringLiteral("LPT3"),
        QStringLiteral("LPT4"), QStringLiteral("LPT5"), QStringLiteral("LPT6"), QStringLiteral("LPT7"),
        QStringLiteral("LPT8"), QStringLiteral("LPT9")};
    if (devices.contains(name, Qt::CaseInsensitive))
        name += u'_';
    return name + QStringLiteral(".gif");
}

std::array<QString, 8> buttonFiles(const std::array<MenuRow, 8> &menus)
{
    std::array<QString, 8> files;
    QStringList labels; // the label that owns each name taken so far
    QStringList taken;
    for (std::size_t i = 0; i < menus.size(); ++i) {
        const MenuRow &row = menus[i];
        if (!row.active())
            continue;
        const qsizetype same = labels.indexOf(row.intitule);
        if (same >= 0) {
            files[i] = taken.at(same);
            continue;
        }
        const QString base = buttonFileName(row.intitule);
        QString name = base;
        for (int n = 2; taken.contains(name, Qt::CaseInsensitive); ++n)
            name = base.chopped(4) + QStringLiteral("-%1.gif").arg(n);
        labels << row.intitule;
        taken << name;
        files[i] = name;
    }
    return files;
}

QString urlPath(const QString &fileName)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(fileName, "/"));
}

QStringList menuBar(const std::array<MenuRow, 8> &menus, int barWidth)
{
    QStringList bar;
    bar << QStringLiteral("<div align=\"center\">")
        << QStringLiteral("<table width=\"") + QString::number(barWidth) + QStringLiteral("\" border=\"0\">")
        << QStringLiteral("<tr>");
    const std::array<QString, 8> pictures = buttonFiles(menus);
    for (std::size_t i = 0; i < menus.size(); ++i)
        if (menus[i].active())
            bar << QStringLiteral("<td><a href=\"") + urlPath(menus[i].page) + QStringLiteral("\"><img src=\"")
                    + urlPath(pictures[i]) + QStringLiteral("\"></a>");
    bar << QStringLiteral("</tr>") << QStringLiteral("</table>");
    return bar;
}

QStringList proHome(const ProSite &s, int barWidth)
{
    QStringList page;
    addHead(page, s.document);
    page << proBody(s.document.couleurs);
    page << menuBar(s.menus, barWidth);
    page << QStringLiteral("<h1>") + s.accueilTitre + QStringLiteral("</h1>") << QStringLiteral("</div>")
         << QStringLiteral("<p>") << memoEntry(s.accueilTexte) << QStringLiteral("</p>")
         << QStringLiteral("<p>") << memoEntry(s.pied.texte) << QStringLiteral("</p>");
    if (!s.pied.lienMail.isEmpty())
        page << mailLink(s.pied);
    page << QStringLiteral("</body>") << QStringLiteral("</html>");
    return page;
}

QStringList proSecondary(const std::array<MenuRow, 8> &menus, int barWidth, const QString &title,
                         const Colours &couleurs)
{
    QStringList page;
    // The site keeps its colours from page to page, as its menu bar.
    page << QStringLiteral("<html>") << QStringLiteral("<head>")
         << QStringLiteral("<title>") + title + QStringLiteral("</title>") << QStringLiteral("</head>")
         << proBody(couleurs);
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
