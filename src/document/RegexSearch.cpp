#include "RegexSearch.h"

#include <QRegularExpression>
#include <QStringList>

namespace RegexSearch {

namespace {

// The page with single "\n" line breaks, and the way back to offsets.
struct LfText {
    QString text;
    explicit LfText(QStringView crlf)
    {
        text.reserve(crlf.size());
        for (qsizetype i = 0; i < crlf.size(); ++i) {
            if (crlf.at(i) == u'\r' && i + 1 < crlf.size() && crlf.at(i + 1) == u'\n')
                continue;
            text += crlf.at(i);
        }
    }
};

// Position in the "\n" text of an offset; an offset between CR and LF
// counts as the line break's position.
int toPosition(QStringView crlf, int offset)
{
    int position = 0;
    const int end = std::min<int>(offset, int(crlf.size()));
    for (int i = 0; i < end; ++i)
        if (!(crlf.at(i) == u'\r' && i + 1 < crlf.size() && crlf.at(i + 1) == u'\n'))
            ++position;
    return position;
}

// Offset of a position of the "\n" text, counting line breaks as two.
int toOffset(const QString &lf, int position, int from = 0, int fromOffset = 0)
{
    int offset = fromOffset;
    for (int i = from; i < position; ++i)
        offset += lf.at(i) == u'\n' ? 2 : 1;
    return offset;
}

QString toCrLf(QString text) { return text.replace(u'\n', QStringLiteral("\r\n")); }

} // namespace

QString patternError(const QString &pattern)
{
    const QRegularExpression re(pattern);
    if (re.isValid())
        return QString();
    return QStringLiteral("Expression régulière incorrecte (caractère %1) : %2")
        .arg(re.patternErrorOffset() + 1)
        .arg(re.errorString());
}

QRegularExpression compile(const QString &pattern, SearchOptions options)
{
    QString p = pattern;
    if (options.testFlag(SearchOption::WholeWord))
        p = QStringLiteral("\\b(?:") + pattern + QStringLiteral(")\\b");
    QRegularExpression::PatternOptions o = QRegularExpression::MultilineOption | QRegularExpression::UseUnicodePropertiesOption;
    if (!options.testFlag(SearchOption::MatchCase))
        o |= QRegularExpression::CaseInsensitiveOption;
    return QRegularExpression(p, o);
}

QString expand(const QString &replacement, const QStringList &captures)
{
    QString out;
    out.reserve(replacement.size());
    for (qsizetype i = 0; i < replacement.size(); ++i) {
        const QChar c = replacement.at(i);
        if ((c == u'\\' || c == u'$') && i + 1 < replacement.size()) {
            const QChar next = replacement.at(i + 1);
            if (next.isDigit() && next.unicode() < 128) {
                const int group = next.unicode() - '0';
                if (group < captures.size())
                    out += captures.at(group);
                ++i;
                continue;
            }
            if (next == c) {
                out += c;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

Match find(QStringView text, const QString &pattern, const QString &replacement, int selStart, int selLength,
           SearchOptions options)
{
    Match result;
    if (pattern.isEmpty())
        return result;
    const QRegularExpression re = compile(pattern, options);
    if (!re.isValid())
        return result;
    const LfText lf(text);
    QRegularExpressionMatch found;
    if (options.testFlag(SearchOption::Down)) {
        QRegularExpressionMatchIterator it = re.globalMatch(lf.text, toPosition(text, selStart + selLength));
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            if (m.capturedLength() > 0) {
                found = m;
                break;
            }
        }
    } else {
        const int limit = toPosition(text, selStart);
        QRegularExpressionMatchIterator it = re.globalMatch(lf.text);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            if (m.capturedEnd() > limit)
                break;
            if (m.capturedLength() > 0)
                found = m;
        }
    }
    if (!found.hasMatch())
        return result;
    result.start = toOffset(lf.text, int(found.capturedStart()));
    result.length = toOffset(lf.text, int(found.capturedEnd()), int(found.capturedStart()), 0);
    result.replaced = toCrLf(expand(replacement, found.capturedTexts()));
    return result;
}

bool selectionMatches(const QString &selected, const QString &pattern, const QString &replacement,
                      SearchOptions options, QString *replaced)
{
    if (pattern.isEmpty() || selected.isEmpty())
        return false;
    const QRegularExpression re = compile(pattern, options);
    if (!re.isValid())
        return false;
    const LfText lf(selected);
    const QRegularExpressionMatch m = re.match(lf.text, 0, QRegularExpression::NormalMatch);
    if (!m.hasMatch() || m.capturedStart() != 0 || m.capturedLength() != lf.text.size())
        return false;
    if (replaced)
        *replaced = toCrLf(expand(replacement, m.capturedTexts()));
    return true;
}

FindReplace::ReplaceAll replaceAll(QStringView text, const QString &pattern, const QString &replacement,
                                   int selStart, int selLength, SearchOptions options)
{
    FindReplace::ReplaceAll result;
    if (pattern.isEmpty())
        return result;
    const QRegularExpression re = compile(pattern, options);
    if (!re.isValid())
        return result;
    const LfText lf(text);
    QRegularExpressionMatchIterator it = re.globalMatch(lf.text, toPosition(text, selStart + selLength));
    QString out;
    int first = -1;
    int copied = 0;
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedLength() == 0)
            continue;
        const int start = int(m.capturedStart());
        if (first < 0)
            first = copied = start;
        out += QStringView(lf.text).mid(copied, start - copied);
        out += expand(replacement, m.capturedTexts());
        copied = int(m.capturedEnd());
        ++result.count;
    }
    if (first < 0)
        return result;
    result.start = toOffset(lf.text, first);
    result.end = toOffset(lf.text, copied, first, result.start);
    result.text = toCrLf(std::move(out));
    return result;
}

} // namespace RegexSearch
