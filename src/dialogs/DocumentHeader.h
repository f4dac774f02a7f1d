#pragma once
// The page header as the "Options du document" dialog reads and rewrites it:
// title, author, description and keywords meta lines, the body tag's colours
// and background image, and the text-colour line (an empty font element
// alone on its line, as new pages have it right after the body tag).
//
// Values are changed in place: only the value of each element or attribute
// is rewritten, so that the rest of a hand-written line (other attributes,
// other tags on the same line) is kept. Lines the page lacks are not added.
#include <QColor>
#include <QString>
#include <QStringList>

namespace DocumentHeader {

struct Colour {
    bool found = false;  // the page has this attribute
    QColor color;        // as read; the fallback when the value was unreadable
    bool chosen = false; // picked in the dialog: written back (otherwise left as it stands)
};

struct Fields {
    QString titre;
    QString description;
    QString motsCles;
    QString auteur;
    QString imageFond;
    Colour texte;
    Colour fond;
    Colour lien;
    Colour lienVisite;
};

// The colours shown when an attribute is there but cannot be read.
QColor fallbackTexte();      // #FFFFFF
QColor fallbackFond();       // #808080
QColor fallbackLien();       // #0000FF
QColor fallbackLienVisite(); // #00FF00

// Every line is examined in order; a later line overrides an earlier one.
Fields read(const QStringList &lines);

// The lines with the fields written into every header line that holds them.
// A text field is written where it differs from what the line holds; a
// colour only when it was chosen, and added to the body tag when the tag
// lacks it; the background image is added only when not empty.
QStringList write(const QStringList &lines, const Fields &fields);

} // namespace DocumentHeader
