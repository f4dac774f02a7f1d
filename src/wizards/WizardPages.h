#pragma once
// The pages written by the site wizards, built from plain field values. Each
// builder returns the page as a list of entries; an entry may hold a CR LF
// of its own (a multi-line text kept as one entry, the text colour's font
// tag standing on the line before the body tag).
#include <QColor>
#include <QSize>
#include <QString>
#include <QStringList>
#include <array>

namespace WizardPages {

// The four colour swatches. While none was clicked the body tag carries no
// colours at all.
struct Colours {
    QColor texte = Qt::black;
    QColor fond = Qt::white;
    QColor lien = QColor(0x00, 0x00, 0xFF);
    QColor lienVisite = QColor(0x00, 0xFF, 0x00);
    bool chosen = false;
};

// "Options du document".
struct Document {
    QString titre;
    QString description;
    QString auteur = QStringLiteral("Pemo HTML");
    QString imageFond;
    Colours couleurs;
};

struct Paragraph {
    QString texte;       // multi-line text, lines separated by "\n"
    QString image;
    QString emplacement;
    int hauteur = 100;
    int largeur = 100;
    int cadre = 0;
    QString lienTexte;
    QString adresse;
};

struct Footer {
    QString texte;       // multi-line text
    QString lienMail;    // "Texte du lien e.mail"
    QString adresseMail; // "Adresse e.mail"
};

struct PersonalSite {
    Document document;
    QString titre;
    QString titreNiveau = QStringLiteral("H1");
    QString sousTitre;
    QString sousTitreNiveau = QStringLiteral("H2");
    std::array<Paragraph, 3> paragraphes;
    Footer pied;
};

struct Cv {
    Document document;
    QString nom;         // "Prénom Nom"
    QString adresse1;
    QString adresse2;
    QString cpVille;
    QString telephone1;
    QString telephone2;
    QString photo;
    QSize photoSize;     // the picture's own size; invalid when it cannot be read
    QString accroche = QStringLiteral("TITRE DU CV");
    QString experience;  // multi-line texts
    QString etudes;
    QString divers;
    Footer pied;
};

struct MenuRow {
    QString intitule;    // the button's label
    QString page;        // the page's file name
    // A row gets a button and a page only when both are filled.
    bool active() const { return !intitule.isEmpty() && !page.isEmpty(); }
};

struct ProSite {
    Document document;
    std::array<MenuRow, 8> menus;
    QString accueilTitre = QStringLiteral("Bienvenue sur notre site");
    QString accueilTexte; // multi-line text
    Footer pied;
    // The default rows: four pages, four empty rows.
    static std::array<MenuRow, 8> defaultMenus();
};

// The lines of a multi-line text field: none when it is empty; a final line
// break does not start another line.
QStringList memoLines(const QString &text);
// A multi-line text as one entry, its lines joined by CR LF.
QString memoEntry(const QString &text);

// The size given to a picture chosen for a paragraph of the personal site:
// its own proportions within 100 x 100, never enlarged.
QSize paragraphPictureSize(QSize picture);
// The size the CV's photo takes in the page: its own proportions within
// 120 x 150, never enlarged.
QSize cvPhotoSize(QSize photo);

// The body tag of the personal site and the curriculum vitae.
QString bodyLine(const Colours &couleurs, const QString &imageFond);

QStringList personalSite(const PersonalSite &site);
QStringList curriculumVitae(const Cv &cv);

// The picture file of a menu button, made from its label so that it is a
// valid name on every file system and needs no folder: characters that some
// system refuses become "-", blanks and dots at the ends go, names reserved
// for devices get a "_". Never empty.
QString buttonFileName(const QString &label);
// The picture file of every row's button (empty for an inactive row). Two
// different labels that give the same name (compared without regard to
// case) keep apart with "-2", "-3", ...; equal labels share their picture.
std::array<QString, 8> buttonFiles(const std::array<MenuRow, 8> &menus);
// A file name as written in src and href: every byte of its UTF-8 form
// other than letters, digits, "-._~" and the folder separator "/" is
// percent-encoded.
QString urlPath(const QString &fileName);

// The shared menu bar; the cells stay open as the pages have always had them.
QStringList menuBar(const std::array<MenuRow, 8> &menus, int barWidth);
// Row 1's page, the home page.
QStringList proHome(const ProSite &site, int barWidth);
// Every other active row's page, titled with the row's label, in the site's
// colours.
QStringList proSecondary(const std::array<MenuRow, 8> &menus, int barWidth, const QString &title,
                         const Colours &couleurs = Colours());

// The entries as the lines of a document window: an entry holding CR LF
// becomes several lines.
QStringList documentLines(const QStringList &entries);
// The entries as a page file holds them: CR LF after each.
QString pageText(const QStringList &entries);

} // namespace WizardPages
