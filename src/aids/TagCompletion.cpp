#include "TagCompletion.h"

#include "aids/HtmlElements.h"

#include <QDir>
#include <QFileInfo>
#include <QTextCursor>
#include <QTextDocument>

namespace TagCompletion {
namespace {

using HtmlElements::Element;

bool isNameStart(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isNameChar(QChar c)
{
    return isNameStart(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u':' || c == u'_' || c == u'.';
}

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == QChar::ParagraphSeparator
        || c == QChar::LineSeparator;
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The index of the end of the raw text of element `name` (its "</name"),
// from `from`; -1 when the text ends first.
qsizetype rawTextEnd(QStringView text, qsizetype from, QStringView name)
{
    const qsizetype n = text.size();
    for (qsizetype i = text.indexOf(u'<', from); i >= 0 && i + 1 < n; i = text.indexOf(u'<', i + 1)) {
        if (text[i + 1] != u'/')
            continue;
        const qsizetype at = i + 2;
        if (at + name.size() > n)
            return -1;
        if (!sameName(text.mid(at, name.size()), name))
            continue;
        if (at + name.size() == n)
            return -1; // "</scri|": still inside
        const QChar after = text[at + name.size()];
        if (isSpace(after) || after == u'>' || after == u'/')
            return i;
    }
    return -1;
}

// The end of a tag from `from` (just past its '>'), quotes respected; -1
// when the text ends inside it.
qsizetype tagEnd(QStringView text, qsizetype from)
{
    QChar quote;
    bool afterEquals = false;
    for (qsizetype i = from; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'>')
            return i + 1;
        if ((c == u'"' || c == u'\'') && afterEquals) {
            quote = c;
            afterEquals = false;
            continue;
        }
        if (c == u'=')
            afterEquals = true;
        else if (!isSpace(c))
            afterEquals = false;
    }
    return -1;
}

void popTo(std::vector<OpenElement> &open, size_t size)
{
    open.resize(size);
}

// A start tag of element e: the elements it ends by itself go first.
void startTag(std::vector<OpenElement> &open, const Element *opening)
{
    size_t i = open.size();
    while (i > 0) {
        const Element *e = open[i - 1].element;
        if (e && HtmlElements::endedBy(*e, opening)) {
            popTo(open, i - 1);
            i = open.size();
            continue;
        }
        if (e && (e->flags & HtmlElements::Boundary))
            break;
        --i;
    }
}

void endTag(std::vector<OpenElement> &open, QStringView name)
{
    for (size_t i = open.size(); i > 0; --i) {
        if (sameName(open[i - 1].name, name)) {
            popTo(open, i - 1);
            return;
        }
    }
    // The end of a script or a style that started before the stretch: what
    // was read as markup was its content.
    const Element *e = HtmlElements::find(name);
    if (e && (e->flags & HtmlElements::RawText))
        open.clear();
}

// Letter case: the choices as the user would write them after typing
// `typed`, or, when nothing is typed yet, in the case of `model` (the name
// of a tag written before).
bool upperCase(QStringView typed, QStringView model)
{
    QStringView look = typed;
    bool letters = false;
    for (QChar c : typed)
        letters = letters || c.isLetter();
    if (!letters)
        look = model;
    bool any = false;
    for (QChar c : look) {
        if (c.isLower())
            return false;
        any = any || c.isUpper();
    }
    return any;
}

QStringList filtered(const QStringList &words, QStringView prefix, bool upper,
                     const QStringList &excluded = QStringList())
{
    QStringList out;
    for (const QString &w : words) {
        if (!w.startsWith(prefix, Qt::CaseInsensitive) || excluded.contains(w, Qt::CaseInsensitive))
            continue;
        out << (upper ? w.toUpper() : w);
    }
    return out;
}

bool isFileAttribute(QStringView name)
{
    static const char16_t *const names[] = {u"href", u"src", u"background", u"lowsrc", u"poster"};
    for (const char16_t *n : names)
        if (sameName(name, QStringView(n)))
            return true;
    return false;
}

// The context inside the tag `tag` (from its '<' to the caret).
Context tagContext(QStringView tag, QStringView lastName, const QString &folder)
{
    Context context;
    if (tag.size() < 1 || tag[0] != u'<')
        return context;
    qsizetype i = 1;
    while (i < tag.size() && isNameChar(tag[i]))
        ++i;
    const QStringView name = tag.mid(1, i - 1);
    if (i == tag.size()) {
        if (!name.isEmpty() && !isNameStart(name[0]))
            return context;
        context.kind = Kind::Element;
        context.prefix = name.toString();
        context.choices = filtered(HtmlElements::names(), name, upperCase(name, lastName));
        return context;
    }
    QStringList written;
    QStringView typing;
    bool between = false; // the caret follows a blank between attributes
    while (i < tag.size()) {
        if (!isSpace(tag[i]))
            return context; // "/", a stray quote...: nothing to offer
        while (i < tag.size() && isSpace(tag[i]))
            ++i;
        if (i == tag.size()) {
            between = true;
            break;
        }
        const qsizetype start = i;
        while (i < tag.size() && !isSpace(tag[i]) && tag[i] != u'=' && tag[i] != u'"' && tag[i] != u'\''
               && tag[i] != u'/')
            ++i;
        const QStringView attribute = tag.mid(start, i - start);
        if (i == tag.size()) {
            typing = attribute;
            break;
        }
        written << attribute.toString();
        qsizetype j = i;
        while (j < tag.size() && isSpace(tag[j]))
            ++j;
        if (j == tag.size() || tag[j] != u'=')
            continue; // an attribute without a value
        ++j;
        while (j < tag.size() && isSpace(tag[j]))
            ++j;
        if (j == tag.size())
            return context;
        if (tag[j] == u'"' || tag[j] == u'\'') {
            const qsizetype close = tag.indexOf(tag[j], j + 1);
            if (close < 0) {
                if (!isFileAttribute(attribute))
                    return context;
                context.kind = Kind::File;
                const QStringView typed = tag.mid(j + 1);
                context.prefix = typed.mid(typed.lastIndexOf(u'/') + 1).toString();
                context.choices = fileChoices(folder, typed);
                return context;
            }
            i = close + 1;
        } else {
            while (j < tag.size() && !isSpace(tag[j]))
                ++j;
            if (j == tag.size())
                return context; // an unquoted value being typed
            i = j;
        }
    }
    if (!between && typing.isEmpty())
        return context;
    context.kind = Kind::Attribute;
    context.prefix = typing.toString();
    context.choices = filtered(HtmlElements::attributes(HtmlElements::find(name)), typing,
                               upperCase(typing, name), written);
    return context;
}

QString textBefore(const QTextDocument &document, int position, int lookBack, int *from)
{
    position = std::clamp(position, 0, std::max(0, document.characterCount() - 1));
    *from = std::max(0, position - lookBack);
    QTextCursor c(const_cast<QTextDocument *>(&document));
    c.setPosition(*from);
    c.setPosition(position, QTextCursor::KeepAnchor);
    return c.selectedText();
}

} // namespace

Reading read(QStringView text)
{
    Reading r;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype lt = text.indexOf(u'<', i);
        // "-->" in text: the stretch started inside a comment.
        const qsizetype comment = text.mid(i, (lt < 0 ? n : lt) - i).indexOf(u"-->");
        if (comment >= 0)
            r.open.clear();
        if (lt < 0)
            break;
        if (lt + 1 == n) {
            r.mode = Mode::Tag;
            r.tagStart = lt;
            return r;
        }
        const QChar next = text[lt + 1];
        if (next == u'!' && text.mid(lt, 4) == u"<!--") {
            const qsizetype end = text.indexOf(u"-->", lt + 4);
            if (end < 0) {
                r.mode = Mode::Comment;
                return r;
            }
            i = end + 3;
        } else if (next == u'!' || next == u'?') {
            const qsizetype end = text.indexOf(u'>', lt + 2);
            if (end < 0) {
                r.mode = Mode::Declaration;
                return r;
            }
            i = end + 1;
        } else if (next == u'/') {
            qsizetype j = lt + 2;
            while (j < n && isNameChar(text[j]))
                ++j;
            const QStringView name = text.mid(lt + 2, j - lt - 2);
            const qsizetype end = tagEnd(text, j);
            if (end < 0) {
                r.mode = Mode::EndTag;
                r.tagStart = lt;
                return r;
            }
            if (!name.isEmpty()) {
                endTag(r.open, name);
                r.lastName = name;
            }
            i = end;
        } else if (isNameStart(next)) {
            qsizetype j = lt + 1;
            while (j < n && isNameChar(text[j]))
                ++j;
            const QStringView name = text.mid(lt + 1, j - lt - 1);
            const qsizetype end = tagEnd(text, j);
            if (end < 0) {
                r.mode = Mode::Tag;
                r.tagStart = lt;
                return r;
            }
            r.lastName = name;
            const Element *e = HtmlElements::find(name);
            startTag(r.open, e);
            i = end;
            if (e && (e->flags & HtmlElements::Void))
                continue;
            // "<path/>" in a drawing closes itself; "<div/>" does not in HTML.
            if (!e && end >= 2 && text[end - 2] == u'/')
                continue;
            r.open.push_back({name, e});
            if (e && (e->flags & HtmlElements::RawText)) {
                const qsizetype close = rawTextEnd(text, i, name);
                if (close < 0) {
                    r.mode = Mode::RawText;
                    return r;
                }
                i = close; // its end tag is read next
            }
        } else {
            i = lt + 1; // a "<" of the text ("a < b")
        }
    }
    return r;
}

namespace {
QString closingNameOf(const Reading &r)
{
    if (r.mode != Mode::Text && r.mode != Mode::RawText)
        return QString();
    if (r.open.empty())
        return QString();
    if (r.mode == Mode::RawText)
        return r.open.back().name.toString();
    for (auto it = r.open.rbegin(); it != r.open.rend(); ++it)
        if (!it->element || !(it->element->flags & HtmlElements::OptionalEnd))
            return it->name.toString();
    return r.open.back().name.toString();
}
} // namespace

QString closingName(QStringView text)
{
    return closingNameOf(read(text));
}

Context contextOf(QStringView text, const QString &folder)
{
    const Reading r = read(text);
    if (r.mode != Mode::Tag)
        return Context();
    return tagContext(text.mid(r.tagStart), r.lastName, folder);
}

Insertion insertion(const Context &context, const QString &choice)
{
    Insertion in;
    switch (context.kind) {
    case Kind::None:
        break;
    case Kind::Element:
        in.text = context.prefix + choice.mid(context.prefix.size());
        break;
    case Kind::Attribute:
        in.text = context.prefix + choice.mid(context.prefix.size()) + QStringLiteral("=\"\"");
        in.caretBack = 1;
        break;
    case Kind::File:
        in.text = choice;
        in.reopen = choice.endsWith(u'/');
        break;
    }
    return in;
}

QStringList fileChoices(const QString &folder, QStringView typed)
{
    if (folder.isEmpty() || typed.startsWith(u'/') || typed.startsWith(u'\\') || typed.contains(u':')
        || typed.startsWith(u'#'))
        return {};
    const qsizetype slash = typed.lastIndexOf(u'/');
    const QStringView sub = typed.left(slash + 1);
    const QStringView start = typed.mid(slash + 1);
    const QDir dir(folder + sub.toString());
    if (!dir.exists())
        return {};
    constexpr int MaxEntries = 1000;
    QStringList out;
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name | QDir::DirsFirst | QDir::IgnoreCase);
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName();
        if (!name.startsWith(start, Qt::CaseInsensitive))
            continue;
        out << (entry.isDir() ? name + u'/' : name);
        if (out.size() == MaxEntries)
            break;
    }
    return out;
}

QString closingNameAt(const QTextDocument &document, int position)
{
    // Most pages show what is open within the first stretch; a stretch where
    // only optional-end elements (or nothing) are open is read again from
    // further back.
    for (int lookBack = ClosingLookBackFirst;; lookBack *= 4) {
        int from = 0;
        const QString text = textBefore(document, position, lookBack, &from);
        const Reading r = read(text);
        const bool found = r.mode == Mode::RawText
            || std::any_of(r.open.begin(), r.open.end(), [](const OpenElement &o) {
                   return !o.element || !(o.element->flags & HtmlElements::OptionalEnd);
               });
        if (found || from == 0 || lookBack >= ClosingLookBackMax)
            return closingNameOf(r);
    }
}

namespace {
// Whether the caret plainly stands outside any tag: the nearest '<', '>' or
// quote before it, within the stretch contextAt reads, is a '>' (or there is
// none). A '>' inside a tag is quoted, and the quote closing its value comes
// first. An apostrophe between two letters, as French prose is full of, is
// passed over: it opens no value, and a value it closes is followed by a
// letter, after which nothing is offered anyway. Read a little at a time:
// typing in prose finds the '>' of the paragraph's tag within a line or two.
// (A value still open whose typed part holds a '>' is taken for text: it
// could only be completed with file names holding a '>'.)
bool outsideTags(const QTextDocument &document, int position)
{
    constexpr int Piece = 256;
    const int end = std::clamp(position, 0, std::max(0, document.characterCount() - 1));
    const int limit = std::max(0, end - ContextLookBack);
    const auto inWord = [&](int at) {
        return at > limit && at + 1 < end && document.characterAt(at - 1).isLetterOrNumber()
            && document.characterAt(at + 1).isLetterOrNumber();
    };
    QTextCursor c(const_cast<QTextDocument *>(&document));
    for (int to = end; to > limit;) {
        const int from = std::max(limit, to - Piece);
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        const QString text = c.selectedText();
        for (qsizetype i = text.size() - 1; i >= 0; --i) {
            switch (text[i].unicode()) {
            case u'>':
                return true;
            case u'<':
                return false;
            case u'"':
            case u'\'':
                if (!inWord(from + int(i)))
                    return false;
                break;
            default:
                break;
            }
        }
        to = from;
    }
    return true;
}
} // namespace

Context contextAt(const QTextDocument &document, int position, const QString &folder)
{
    if (outsideTags(document, position))
        return Context();
    int from = 0;
    const QString text = textBefore(document, position, ContextLookBack, &from);
    return contextOf(text, folder);
}

} // namespace TagCompletion
