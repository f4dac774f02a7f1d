#pragma once
// The platform's small modal dialogs used by the commands and dialogs: the
// one-line input box, the colour, font and print dialogs. Tests answer them
// through the handlers instead of a person.
#include <QColor>
#include <QFont>
#include <QString>
#include <functional>
#include <optional>

class QPrinter;
class QWidget;

namespace CommonDialogs {

// The one-line input box; no value when the user cancelled.
std::optional<QString> askText(QWidget *parent, const QString &caption, const QString &prompt,
                               const QString &initial = QString());
// The colour dialog, preset to initial.
std::optional<QColor> askColor(QWidget *parent, const QColor &initial);
// The font dialog, preset to initial (face, size, style, underline, strike-out).
std::optional<QFont> askFont(QWidget *parent, const QFont &initial);
// A family as a page names it: the font dialog lists a family offered by
// several makers as "Nimbus Sans [urw]"; no browser knows the bracketed part.
QString familyName(const QString &family);
// The installed family that stands in for a face (Arial is shown by
// Liberation Sans where Arial is not installed), for presetting the font
// dialog, which lists installed families only. Empty for an empty face.
QString installedFamily(const QString &face);
// The print dialog on the given printer (printer, copies, range); true on OK.
// offerSelection: the dialog offers to print the selection alone.
bool askPrint(QWidget *parent, QPrinter &printer, bool offerSelection = false);

struct TextRequest {
    QString caption;
    QString prompt;
    QString initial;
};
using TextHandler = std::function<std::optional<QString>(const TextRequest &)>;
using ColorHandler = std::function<std::optional<QColor>(const QColor &)>;
using FontHandler = std::function<std::optional<QFont>(const QFont &)>;
using PrintHandler = std::function<bool(QPrinter &)>;
// Empty handlers restore the real dialogs.
void setTextHandler(TextHandler handler);
void setColorHandler(ColorHandler handler);
void setFontHandler(FontHandler handler);
void setPrintHandler(PrintHandler handler);

} // namespace CommonDialogs
