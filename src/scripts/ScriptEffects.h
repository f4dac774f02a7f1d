#pragma once
// Ready-made effect scripts: most come as a head piece, the script that
// defines the effect, and a body piece that starts it where it is shown.
// Every line ends with CR LF unless said otherwise; field values go into
// the scripts as typed, except that a quote, a backslash or a line break
// that would break the script's string is escaped (see ScriptText).
#include <QColor>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace ScriptEffects {

struct Pieces {
    QString head;
    QString body;
};

// --- text effects

// A message scrolling in a button (inButton) or in the status line.
Pieces scrollingMessage(const QString &message, bool inButton);
// The letters of the message fading from one colour to the other.
Pieces gradientText(const QString &message, const QColor &start, const QColor &end);
// A message that a moving capital letter runs through.
Pieces animatedMessage(const QString &message);
// One of the texts picked at random. Texts 1 to 3 are always written,
// 4 and 5 only when they are not empty.
Pieces randomMessage(const QStringList &texts);
// The days left before the date.
QString countDown(const QDate &date);

// The two forms of the count-down's date: "Mar 7,2026" and "7 mars 2026".
QString countDownParseDate(const QDate &date);
QString countDownShownDate(const QDate &date);

// --- image, link and cookie scripts

// One of up to five pictures at random; 4 and 5 count only when not empty.
Pieces randomPicture(const QStringList &pictures);
// A picture that changes under the mouse; the size is that of the pictures
// preloaded by the script.
Pieces rollover(const QString &picture1, const QString &picture2, int width, int height);
Pieces favourites(const QString &address, const QString &title);
// A link or a button that prints the page.
QString printPage(bool asButton);
// A greeting for the visitor, who is asked for a name on the first visit.
Pieces visitorCookie();

// --- what the dialogs show while the user types

// The scrolling preview's next step: the first character moves to the end.
QString rotated(const QString &text);
// The animated preview: the message in lower case with the letter at
// `capital` in upper case.
QString animatedFrame(const QString &message, int capital);
// Case changes letter by letter, accented letters included; a letter whose
// capital is two letters ("ß") stays as it is, so the upper- and lower-case
// forms of a message keep its length and line up in the animation.
QString letterUpper(const QString &text);
QString letterLower(const QString &text);
// The gradient preview's colour for each character of a message of that
// length: start + i * ((end - start) / length), in integers, per component.
QList<QColor> gradientColours(int length, const QColor &start, const QColor &end);

// --- placing a head piece

// Index of the first line holding "</HEAD" in any case; -1 when none does.
int headEndLine(const QStringList &lines);

} // namespace ScriptEffects
