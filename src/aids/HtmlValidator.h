#pragma once
// Checks a page against HTML5 with libtidy. The page is only read: tidy's
// cleaned output is never asked for. Messages are in French where the
// library carries French texts.
#include <QList>
#include <QString>
#include <QStringList>

namespace HtmlValidator {

enum class Level { Warning, Error };

struct Message {
    int line = 0;   // 1-based; 0 for a message about the whole page
    int column = 0; // 1-based, in the line's characters (UTF-16 units)
    Level level = Level::Warning;
    QString text;
    bool operator==(const Message &) const = default;
};

// The page's lines as the source pane holds them.
QList<Message> validate(const QStringList &lines);

// "Ligne 3, colonne 5 : Avertissement : ..." (a page-wide message has no place).
QString describe(const Message &message);

} // namespace HtmlValidator
