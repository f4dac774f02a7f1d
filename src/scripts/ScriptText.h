#pragma once
// Typed text placed inside the generated scripts. A French message is full of
// apostrophes, and a quote or a backslash in it would end the script's string
// early or change its meaning: such characters are escaped, every other
// character goes in as typed, so a text without them reads exactly as before.
#include <QString>

namespace ScriptText {

// The text as the body of a JavaScript string literal delimited by `quote`
// (' or "): the backslash, that quote and line breaks are escaped, and a
// closing script tag is written "<\/script" so that it cannot end the page's
// script element.
QString jsQuoted(const QString &text, QChar quote);

// The text as a double-quoted HTML attribute value: only the quote is
// replaced (by &quot;), since entities typed by the user are meant as such.
QString htmlAttribute(const QString &text);

// A file name written into a script that writes it into an unquoted HTML
// attribute (src=...): the characters that would end or break the value
// (space, quotes, < and >) are percent-encoded, which browsers read back
// as the same file name.
QString unquotedUrl(const QString &path);

} // namespace ScriptText
