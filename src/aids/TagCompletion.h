#pragma once
// Tag completion in the source: what to write after "</", and what to offer
// after "<", inside a tag and inside an href="..." or src="..." value.
//
// Everything is found from the text before the caret, read over a bounded
// stretch of it, so that a key costs the same on a page of 50 MB or on one
// long line of 5 MB as on a small page. The stretch is read the way a
// browser reads a page: comments, the content of scripts and styles and
// the tags' own text are not markup; void elements (<br>, <img>) never
// open; <p>, <li>, <td>... end where the next one starts.
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

class QTextDocument;

namespace HtmlElements {
struct Element;
}

namespace TagCompletion {

// --- reading a stretch of source

enum class Mode { Text, Tag, EndTag, Comment, Declaration, RawText };

struct OpenElement {
    QStringView name; // as written, in the stretch read
    const HtmlElements::Element *element = nullptr; // nullptr: not a known element
};

struct Reading {
    std::vector<OpenElement> open; // outermost first
    Mode mode = Mode::Text;        // at the end of the stretch
    qsizetype tagStart = -1;       // Tag, EndTag: where the tag being written starts
    QStringView lastName;          // the name of the last tag read
};

// Reads text (which must outlive the result).
Reading read(QStringView text);

// The name to write after a "</" that would follow text: the innermost open
// element that needs an end tag, as written; optional-end elements inside
// it are skipped (its end tag ends them, as a browser does). When only
// optional-end elements are open, the innermost of them. Empty when nothing
// is open, or when text ends inside a tag or a comment.
QString closingName(QStringView text);

// --- what to offer at the caret

enum class Kind { None, Element, Attribute, File };

struct Context {
    Kind kind = Kind::None;
    QString prefix;      // the part of the word already typed, which a choice replaces
    QStringList choices; // as they will be written, filtered by prefix
};

// The context at the end of text; folder is the page's folder (with its
// separator at the end), empty for a page that has none.
Context contextOf(QStringView text, const QString &folder);

// What taking choice writes in place of the prefix.
struct Insertion {
    QString text;
    int caretBack = 0;   // the caret ends this many characters before its end
    bool reopen = false; // a folder: its content is offered next
};
Insertion insertion(const Context &context, const QString &choice);

// The entries of folder + typed (up to its last "/") whose names start with
// what follows that "/", without regard to case; folders end in "/". Nothing
// for an address (http://..., mailto:...) or an absolute path.
QStringList fileChoices(const QString &folder, QStringView typed);

// --- on a document, at a Qt position

// The name to write after "</" when the "<" stands at position.
QString closingNameAt(const QTextDocument &document, int position);
Context contextAt(const QTextDocument &document, int position, const QString &folder);

// How much text before the caret is read, in characters.
constexpr int ContextLookBack = 16 * 1024;
constexpr int ClosingLookBackFirst = 64 * 1024;
constexpr int ClosingLookBackMax = 1024 * 1024;

} // namespace TagCompletion
