#pragma once
// The HTML elements the editor knows, with their attributes: those of today's
// HTML and the older ones the program's own generators still write (FONT,
// CENTER, FRAMESET...). Plain data, looked up by name without regard to case.
#include <QStringList>
#include <QStringView>

namespace HtmlElements {

struct Element {
    const char *name;       // lower case
    unsigned flags;
    const char *attributes; // its own attributes, space-separated
    // For an element whose end tag may be left out: the start tags that end
    // it, space-separated (a browser's implied end tags).
    const char *endedBy;
};

enum Flag : unsigned {
    Void = 1,        // never has content nor an end tag (<br>, <img>)
    OptionalEnd = 2, // its end tag may be left out (<p>, <li>, <td>)
    RawText = 4,     // its content is not markup (<script>, <style>)
    Obsolete = 8,    // not in today's HTML, still read by browsers
    // Where a browser stops looking for an element to end implicitly
    // (an <li> inside a nested <ul> does not end the outer <li>).
    Boundary = 16,
};

// The element of that name, or nullptr.
const Element *find(QStringView name);
// Every element name, sorted, lower case.
const QStringList &names();
// The attributes of an element, its own first then the global ones, each
// once; for an unknown element (nullptr) the global ones only.
QStringList attributes(const Element *element);
// Whether a start tag of `opening` ends the open element `open` by itself
// (an unknown element, nullptr, ends none).
bool endedBy(const Element &open, const Element *opening);

} // namespace HtmlElements
