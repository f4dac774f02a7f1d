#include "TextTransforms.h"
#include "dialogs/HtmlEntity.h"
#include "document/HtmlEntities.h"
#include "platform/AsciiCase.h"

#include <QStringView>

namespace TextTransforms {
namespace {

bool isTrimmed(QChar c) { return c.unicode() <= 0x20; }

// The tag names are ASCII: compare them ASCII-wise, as the rest of the
// page's tag handling does, and find the "<" candidates with a fast search.
qsizetype indexOfAsciiCaseless(QStringView text, QStringView tag)
{
    for (qsizetype at = text.indexOf(u'<'); at >= 0 && at + tag.size() <= text.size();
         at = text.indexOf(u'<', at + 1)) {
        qsizetype k = 1;
        for (; k < tag.size(); ++k) {
            if (Ascii::toLower(text.at(at + k)) != tag.at(k))
                break;
        }
        if (k == tag.size())
            return at;
    }
    return -1;
}

void replaceFirstStrong(QString &s, QStringView from, QStringView to)
{
    const qsizetype at = indexOfAsciiCaseless(s, from);
    if (at >= 0)
        s.replace(at, from.size(), to.toString());
}

} // namespace

QStringList convertAccents(const QStringList &lines)
{
    QStringList out;
    out.reserve(lines.size());
    bool inComment = false;
    for (const QString &line : lines) {
        const qsizetype n = line.size();
        const QChar *p = line.constData();
        // Unchanged stretches are copied whole; a line without any letter to
        // convert is shared, not copied.
        QString converted;
        qsizetype copied = 0;
        for (qsizetype i = 0; i < n; ++i) {
            const QChar c = p[i];
            if (c == u'<' && i + 3 < n && p[i + 1] == u'!' && p[i + 2] == u'-' && p[i + 3] == u'-')
                inComment = true;
            else if (c == u'>' && i >= 2 && p[i - 1] == u'-' && p[i - 2] == u'-')
                inComment = false;
            if (inComment || c.unicode() < 0xE0)
                continue;
            const QStringView entity = HtmlEntity::accent(c);
            if (entity.isEmpty())
                continue;
            if (converted.isNull())
                converted.reserve(n + 32);
            converted.append(QStringView(p + copied, i - copied));
            converted.append(entity);
            copied = i + 1;
        }
        if (copied == 0) {
            out << line;
        } else {
            converted.append(QStringView(p + copied, n - copied));
            out << converted;
        }
    }
    return out;
}

QString indent(const QString &selection)
{
    static const QString three = QStringLiteral("   ");
    // Built in one pass: inserting into the growing text at every line
    // break took time in the square of the selection's size.
    const qsizetype n = selection.size();
    qsizetype breaks = 0;
    for (qsizetype j = 0; j + 3 < n; ++j)
        if (selection.at(j) == u'\r')
            ++breaks, ++j;
    QString out;
    out.reserve(n + 3 * (breaks + 1));
    out += three;
    const QChar *p = selection.constData();
    qsizetype copied = 0;
    for (qsizetype j = 0; j < n; ++j) {
        // A line break gets the indent only when at least two characters
        // follow it: a selection ending with a line break leaves the
        // caret's line alone.
        if (p[j] != u'\r' || n - j <= 3)
            continue;
        ++j; // the LF stays with its CR
        out.append(p + copied, j + 1 - copied);
        out += three;
        copied = j + 1;
    }
    out.append(p + copied, n - copied);
    return out;
}

QString compactLine(const QString &line)
{
    qsizetype begin = 0, end = line.size();
    while (begin < end && isTrimmed(line.at(begin)))
        ++begin;
    while (end > begin && isTrimmed(line.at(end - 1)))
        --end;
    const QStringView kept = QStringView(line).mid(begin, end - begin);
    QString s;
    if (!kept.contains(u"  ")) {
        s = (begin == 0 && end == line.size()) ? line : kept.toString();
    } else {
        s.reserve(kept.size());
        for (const QChar c : kept) {
            if (c == u' ' && !s.isEmpty() && s.back() == u' ')
                continue;
            s += c;
        }
    }
    replaceFirstStrong(s, u"<strong>", u"<b>");
    replaceFirstStrong(s, u"</strong>", u"</b>");
    return s;
}

QStringList compact(const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines) {
        const QString s = compactLine(line);
        if (out.size() < 2 || out.last().size() + s.size() >= 100)
            out << s;
        else
            out.last() += s;
    }
    return out;
}

QString VireBalises(const QString &line, StripState &state)
{
    QString text;
    text.reserve(line.size());
    // A tag's name ends with its line.
    state.readingName = false;
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n) {
        if (!state.closing.isEmpty()) {
            // Script and style code: nothing of it up to its closing tag,
            // which is then read as a tag.
            const qsizetype at = QStringView(line).indexOf(state.closing, i, Qt::CaseInsensitive);
            if (at < 0)
                break;
            state.closing.clear();
            i = at;
            continue;
        }
        if (state.inComment) {
            const qsizetype at = QStringView(line).indexOf(u"-->", i);
            if (at < 0)
                break;
            state.inComment = false;
            i = at + 3;
            continue;
        }
        const QChar c = line.at(i++);
        if (c == u'<') {
            if (QStringView(line).mid(i).startsWith(u"!--")) {
                state.inComment = true;
                i += 3;
                continue;
            }
            state.inText = false;
            state.readingName = true;
            state.tag.clear();
        } else if (state.inText) {
            text += c;
        } else if (c == u'>') {
            state.inText = true;
            state.readingName = false;
            if (state.tag == u"script" || state.tag == u"style")
                state.closing = u"</" + state.tag;
        } else if (state.readingName) {
            if (c.isLetterOrNumber() || (c == u'/' && state.tag.isEmpty()))
                state.tag += Ascii::toLower(c);
            else
                state.readingName = false;
        }
    }
    return HtmlEntities::decode(text);
}

QStringList exportLines(const QStringList &lines)
{
    QStringList out;
    StripState state;
    for (const QString &line : lines) {
        QString text = VireBalises(line, state);
        if (!text.isEmpty())
            out << std::move(text);
    }
    return out;
}

} // namespace TextTransforms
