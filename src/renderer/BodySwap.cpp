#include "BodySwap.h"
#include "platform/AsciiCase.h"

#include <QRegularExpression>
#include <QStringView>
#include <initializer_list>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool startsAt(QStringView s, qsizetype at, QLatin1StringView word)
{
    return s.mid(at, word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

bool isOneOf(const QString &name, std::initializer_list<const char *> names)
{
    for (const char *n : names)
        if (name == QLatin1String(n))
            return true;
    return false;
}

struct Tag
{
    QString name;       // lower case
    bool end = false;
    qsizetype after = -1; // just past its '>', -1 when the text ends first
};

// The tag opening at s[at] == '<' (followed by a letter or by "/" and a
// letter), read the way the engine's tokenizer reads it: a ">" inside a
// quoted attribute value does not close it.
Tag readTag(QStringView s, qsizetype at)
{
    Tag tag;
    qsizetype i = at + 1;
    if (i < s.size() && s[i] == u'/') {
        tag.end = true;
        ++i;
    }
    const qsizetype nameStart = i;
    while (i < s.size() && !isBlank(s[i]) && s[i] != u'/' && s[i] != u'>')
        ++i;
    tag.name = Ascii::lower(s.mid(nameStart, i - nameStart));
    while (i < s.size()) {
        const QChar c = s[i];
        if (c == u'>') {
            tag.after = i + 1;
            return tag;
        }
        if (isBlank(c) || c == u'/') {
            ++i;
            continue;
        }
        // An attribute name, then perhaps "=" and a value.
        ++i;
        while (i < s.size() && !isBlank(s[i]) && s[i] != u'/' && s[i] != u'>' && s[i] != u'=')
            ++i;
        while (i < s.size() && isBlank(s[i]))
            ++i;
        if (i >= s.size() || s[i] != u'=')
            continue;
        ++i;
        while (i < s.size() && isBlank(s[i]))
            ++i;
        if (i < s.size() && (s[i] == u'"' || s[i] == u'\'')) {
            const qsizetype close = s.indexOf(s[i], i + 1);
            if (close < 0)
                return tag;
            i = close + 1;
        } else {
            while (i < s.size() && !isBlank(s[i]) && s[i] != u'>')
                ++i;
        }
    }
    return tag;
}

// Just past the end tag that closes raw text opened by `name` (title,
// style), -1 when there is none.
qsizetype afterRawText(QStringView s, qsizetype from, const QString &name)
{
    const QString close = QStringLiteral("</") + name;
    for (qsizetype at = s.indexOf(close, from, Qt::CaseInsensitive); at >= 0;
         at = s.indexOf(close, at + 1, Qt::CaseInsensitive)) {
        const qsizetype next = at + close.size();
        if (next < s.size() && (isBlank(s[next]) || s[next] == u'/' || s[next] == u'>'))
            return readTag(s, at).after;
    }
    return -1;
}

// True when the text from `from` on holds only blanks and end tags of the
// body and of the page: what the engine puts in the body from there is
// then exactly what it puts there when the same text is set as the body's
// content (blanks after those tags go into the body too).
bool onlyClosingTail(QStringView s, qsizetype from)
{
    qsizetype i = from;
    while (i < s.size()) {
        if (isBlank(s[i])) {
            ++i;
            continue;
        }
        if (s[i] != u'<' || i + 2 >= s.size() || s[i + 1] != u'/' || !isAsciiLetter(s[i + 2]))
            return false;
        const Tag tag = readTag(s, i);
        if (tag.after < 0 || !isOneOf(tag.name, {"body", "html"}))
            return false;
        i = tag.after;
    }
    return true;
}

} // namespace

namespace BodySwap {

bool isStatic(const QString &html)
{
    static const QRegularExpression active(
        QStringLiteral(R"(<script|\bon[a-z]+\s*=|javascript:|vbscript:|<iframe|<frame|<object|<embed|<applet|<portal)"
                       R"(|\bautofocus\b|http-equiv\s*=\s*["']?\s*refresh)"),
        QRegularExpression::CaseInsensitiveOption);
    return !active.match(html).hasMatch();
}

qsizetype bodyContentStart(const QString &html)
{
    const QStringView s(html);
    qsizetype i = 0;
    while (i < s.size()) {
        const QChar c = s[i];
        if (isBlank(c) || c == QChar(0xFEFF)) {
            ++i;
            continue;
        }
        // Text before the body tag would start the body there.
        if (c != u'<')
            return -1;
        if (startsAt(s, i, QLatin1StringView("<!--"))) {
            if (startsAt(s, i + 4, QLatin1StringView(">")) || startsAt(s, i + 4, QLatin1StringView("->")))
                return -1; // the odd short forms: not worth reading right
            const qsizetype close = s.indexOf(QLatin1StringView("-->"), i + 4);
            if (close < 0 || s.mid(i, close - i).contains(QLatin1StringView("--!>")))
                return -1;
            i = close + 3;
            continue;
        }
        if (i + 1 < s.size() && (s[i + 1] == u'!' || s[i + 1] == u'?')) {
            const qsizetype close = s.indexOf(u'>', i);
            if (close < 0)
                return -1;
            i = close + 1;
            continue;
        }
        const bool end = i + 1 < s.size() && s[i + 1] == u'/';
        if (i + (end ? 2 : 1) >= s.size() || !isAsciiLetter(s[i + (end ? 2 : 1)]))
            return -1;
        const Tag tag = readTag(s, i);
        if (tag.after < 0)
            return -1;
        if (tag.end) {
            if (tag.name != QLatin1String("head"))
                return -1;
        } else if (tag.name == QLatin1String("body")) {
            return tag.after;
        } else if (isOneOf(tag.name, {"title", "style"})) {
            const qsizetype after = afterRawText(s, tag.after, tag.name);
            if (after < 0)
                return -1;
            i = after;
            continue;
        } else if (!isOneOf(tag.name, {"html", "head", "meta", "link", "base", "basefont", "bgsound"})) {
            return -1;
        }
        i = tag.after;
    }
    return -1;
}

std::optional<QString> newBody(const QString &shown, const QString &next)
{
    const qsizetype start = bodyContentStart(shown);
    return newBody(start < 0 ? QStringView() : QStringView(shown).left(start), isStatic(shown), next);
}

std::optional<QString> newBody(QStringView shownHead, bool shownStatic, const QString &next)
{
    // The same head text ends at the same body start in both pages.
    const qsizetype start = bodyContentStart(next);
    if (start < 0 || shownHead.isNull() || shownHead != QStringView(next).left(start))
        return std::nullopt;
    if (!shownStatic || !isStatic(next))
        return std::nullopt;
    const QStringView body = QStringView(next).mid(start);
    // Tags that act on the page outside the body, and style sheets that
    // would arrive after the page is laid out.
    static const QRegularExpression outside(QStringLiteral(R"(<body|<html|<frame|<base|<link|@import)"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (outside.match(body).hasMatch())
        return std::nullopt;
    // Comments or text after the closing tags would land outside the body.
    static const QRegularExpression closing(QStringLiteral(R"(</(body|html)[\s/>])"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch tail = closing.match(body);
    if (tail.hasMatch() && !onlyClosingTail(body, tail.capturedStart()))
        return std::nullopt;
    return body.toString();
}

} // namespace BodySwap
