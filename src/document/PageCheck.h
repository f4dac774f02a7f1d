#pragma once
// Tag balance check of a page: for every kind of closing tag the page uses,
// how often it is opened and closed. Tag names are compared in upper case.
#include <QList>
#include <QString>
#include <QStringList>

namespace PageCheck {

struct TagBalance {
    QString name;       // as collected, with its "</" ("</TD")
    int openings = 0;
    int closings = 0;

    bool operator==(const TagBalance &) const = default;
    // The name as the grid shows it: without its leading "</".
    QString shortName() const { return name.mid(2); }
    bool unbalanced() const { return openings != closings; }
};


// The closing-tag kinds in order of discovery: lines from the last to the
// first, each read from the left. A name runs from "</" to the first blank
// or ">" within 1024 characters; without one the rest of the line is skipped.
QStringList closingTagNames(const QStringList &lines);

// The whole check: every kind with its opening and closing counts. A tag
// counts only when its name is directly followed by a blank or ">" on the
// same line.
QList<TagBalance> check(const QStringList &lines);

} // namespace PageCheck
