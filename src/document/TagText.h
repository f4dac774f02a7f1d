#pragma once
// Widget-free pieces of the tag commands: the HTML
// colour digits, the placeholder address and where a style-sheet link goes.
#include <QColor>
#include <QString>
#include <QStringList>

namespace TagText {

// Six upper-case hexadecimal digits, red, green, blue ("0000FF").
QString htmlColorDigits(const QColor &color);

// The address written by "Lien vers Url", on a made-up host for the user to
// overwrite.
QString placeholderUrl();

// Where the style-sheet link goes: the first line (from the top) that is
// already a style-sheet link is replaced; failing that the link is inserted
// before the first line holding "</head>"; whichever comes first wins.
struct LineEdit {
    int line = -1;        // -1: no line qualifies, nothing changes
    bool replace = false; // replace that line, or insert before it
};
LineEdit styleSheetLine(const QStringList &lines);

} // namespace TagText
