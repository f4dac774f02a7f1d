#include "PageCheck.h"
#include "platform/AsciiCase.h"

#include <QHash>
#include <QSet>

#include <unordered_map>

namespace PageCheck {
namespace {

constexpr qsizetype NameWindow = 1024;

bool isTerminator(QChar c) { return c == u' ' || c == u'>'; }

struct ViewHash {
    size_t operator()(QStringView v) const noexcept { return qHash(v); }
};

} // namespace

QStringList closingTagNames(const QStringList &lines)
{
    QStringList names;
    QSet<QString> seen;
    for (qsizetype l = lines.size() - 1; l >= 0; --l) {
        const QString upper = Ascii::upper(lines.at(l));
        QStringView rest(upper);
        for (;;) {
            const qsizetype at = rest.indexOf(u"</");
            if (at < 0)
                break;
            rest = rest.mid(at);
            const qsizetype window = qMin(rest.size(), NameWindow);
            qsizetype end = 2;
            while (end < window && !isTerminator(rest.at(end)))
                ++end;
            if (end >= window)
                break;
            const QString name = rest.left(end).toString();
            rest = rest.mid(end + 1);
            if (!seen.contains(name)) {
                seen.insert(name);
                names << name;
            }
        }
    }
    return names;
}

QList<TagBalance> check(const QStringList &lines)
{
    const QStringList names = closingTagNames(lines);
    QList<TagBalance> result;
    result.reserve(names.size());
    // Opening forms ("<TD") are kept alive here; the maps hold views of them.
    QStringList openings;
    openings.reserve(names.size());
    qsizetype longest = 0;
    for (const QString &name : names) {
        result.append(TagBalance{name, 0, 0});
        openings << QStringLiteral("<") + QStringView(name).mid(2);
        longest = qMax(longest, name.size());
    }
    if (names.isEmpty())
        return result;

    std::unordered_map<QStringView, int, ViewHash> closingIndex, openingIndex;
    for (int k = 0; k < names.size(); ++k) {
        closingIndex.emplace(QStringView(names.at(k)), k);
        openingIndex.emplace(QStringView(openings.at(k)), k);
    }

    // Every name and opening form starts with "<" and holds no blank or ">",
    // so a match at a "<" is exactly the text from there up to the next
    // blank or ">" of the line: one lookup per "<" instead of one scan per
    // kind.
    QString upper;
    for (const QString &line : lines) {
        const qsizetype n = line.size();
        if (line.indexOf(u'<') < 0)
            continue;
        upper = Ascii::upper(line);
        const QChar *p = upper.constData();
        qsizetype term = -1;
        for (qsizetype i = 0; i < n; ++i) {
            if (p[i] != u'<')
                continue;
            if (term <= i) {
                term = i + 1;
                while (term < n && !isTerminator(p[term]))
                    ++term;
                if (term >= n)
                    break;
            }
            const qsizetype length = term - i;
            if (length > longest)
                continue;
            const QStringView token(p + i, length);
            if (const auto c = closingIndex.find(token); c != closingIndex.end())
                ++result[c->second].closings;
            if (const auto o = openingIndex.find(token); o != openingIndex.end())
                ++result[o->second].openings;
        }
    }
    return result;
}

} // namespace PageCheck
