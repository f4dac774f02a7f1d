#pragma once
// Rich text (RTF) to HTML, in one pass over the RTF text with a small
// formatting state. The HTML is written in capitals: paragraphs, line
// breaks, bold, italic, underline, FONT tags (face, colour, size), bulleted
// lists and simple tables. Character formatting holds to the end of the
// group that set it, as in the RTF text.
//
// The input is the file's bytes, in the Windows-1252 code page; accented
// letters come out as single characters. Malformed input (unterminated
// groups, deep nesting, truncated escapes) never fails: what can be read is
// converted.
#include <QByteArrayView>
#include <QString>

namespace Rtf2Html {

// Whether the page receiving the HTML can hold any character (a UTF-8 page)
// or only those of Windows-1252. A Unicode character of the RTF text that the
// page cannot hold is written as a numeric character reference.
enum class PageCharset { Windows1252, Unicode };

QString convert(QByteArrayView rtf, PageCharset page = PageCharset::Windows1252);

// Whether the bytes are a rich text document: "{\rtf" at the start, after
// blanks or a byte-order mark.
bool isRtf(QByteArrayView bytes);

// The last step of the conversion: an empty paragraph opening directly
// followed by another paragraph becomes "</P>".
QString closeEmptyParagraphs(const QString &html);

} // namespace Rtf2Html
