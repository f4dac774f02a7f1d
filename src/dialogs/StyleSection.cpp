#include "StyleSection.h"

#include "dialogs/HtmlColour.h"

namespace StyleSection {

namespace {

const QString crlf = QStringLiteral("\r\n");
const QString openTag = QStringLiteral("<style>");
const QString closeTag = QStringLiteral("</style>");

QColor colourAfterHash(const QString &text, const QColor &fallback)
{
    const qsizetype hash = text.indexOf(u'#');
    if (hash < 0)
        return fallback;
    return HtmlColour::fromDigits(QStringView(text).mid(hash + 1, 6)).value_or(fallback);
}

// Rules written on a tag's line: each "...}" piece is a rule of its own.
void appendRulesOf(const QString &text, QStringList &rules)
{
    QString rest = text.trimmed();
    while (!rest.isEmpty()) {
        const qsizetype brace = rest.indexOf(u'}');
        const qsizetype end = brace < 0 ? rest.size() : brace + 1;
        rules << rest.left(end).trimmed();
        rest = rest.mid(end).trimmed();
    }
}

struct Location {
    qsizetype first = -1; // line holding <style>
    qsizetype last = -1;  // line holding </style>
    qsizetype open = 0;   // where <style> starts in the first line
    qsizetype close = 0;  // where </style> starts in the last line
};

Location locate(const QStringList &page)
{
    Location at;
    for (qsizetype i = 0; i < page.size(); ++i) {
        const qsizetype open = page.at(i).indexOf(openTag, 0, Qt::CaseInsensitive);
        if (open < 0)
            continue;
        const qsizetype sameLine = page.at(i).indexOf(closeTag, open + openTag.size(), Qt::CaseInsensitive);
        if (sameLine >= 0)
            return {i, i, open, sameLine};
        for (qsizetype j = i + 1; j < page.size(); ++j) {
            const qsizetype close = page.at(j).indexOf(closeTag, 0, Qt::CaseInsensitive);
            if (close >= 0)
                return {i, j, open, close};
        }
        // Never closed: not a section the editor can rewrite.
        return {};
    }
    return {};
}

qsizetype lineContaining(const QStringList &lines, const QString &text)
{
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines.at(i).contains(text, Qt::CaseInsensitive))
            return i;
    return -1;
}

} // namespace

const QStringList &elements()
{
    static const QStringList list = {"a",  "body", "div", "form", "h1", "h2",    "h3",
                                     "h4", "h5",   "h6",  "ol",   "p",  "table", "ul"};
    return list;
}

void Analyse(const QString &declaration, Fields &fields)
{
    // Hand-written sections often put a space after each ";".
    const QString d = declaration.trimmed();
    if (d.startsWith(QLatin1String("font:"))) {
        const QString value = d.mid(5).trimmed();
        const qsizetype space = value.indexOf(u' ');
        if (space < 0) {
            (!value.isEmpty() && value.at(0).isDigit() ? fields.pt : fields.font) = value;
            return;
        }
        fields.pt = value.left(space);
        // After the " pt " that follows the size.
        fields.font = value.mid(space + 4);
    } else if (d.startsWith(QLatin1String("color:"))) {
        fields.color = colourAfterHash(d, Qt::black);
    } else if (d.startsWith(QLatin1String("margin:"))) {
        const QStringList values = d.mid(7).trimmed().split(u' ');
        fields.left = values.value(0);
        fields.top = values.value(1);
        fields.right = values.value(2);
        fields.bottom = values.size() > 3 ? values.mid(3).join(u' ') : QString();
    } else if (d.startsWith(QLatin1String("background:"))) {
        fields.background = colourAfterHash(d, Qt::white);
    }
}

qsizetype ruleIndex(const QStringList &rules, const QString &element)
{
    for (qsizetype i = 0; i < rules.size(); ++i) {
        const QString line = rules.at(i).trimmed();
        if (line.startsWith(element) && line.mid(element.size()).trimmed().startsWith(u'{'))
            return i;
    }
    return -1;
}

Fields readRule(const QStringList &rules, const QString &element)
{
    Fields fields;
    const qsizetype index = ruleIndex(rules, element);
    if (index < 0)
        return fields;
    const QString body = rules.at(index).trimmed().mid(element.size()).trimmed();
    // Without the braces.
    const QString inside = body.size() >= 2 ? body.mid(1, body.size() - 2) : QString();
    for (const QString &declaration : inside.split(u';'))
        Analyse(declaration, fields);
    return fields;
}

QString declarations(const Fields &fields)
{
    QString text;
    if (!fields.pt.isEmpty())
        text = QStringLiteral("font: ") + fields.pt + QStringLiteral(" pt");
    if (!fields.font.isEmpty())
        text += u' ' + fields.font;
    if (!text.isEmpty())
        text += u';';
    text += QStringLiteral("color: #") + HtmlColour::digits(fields.color) + u';';
    if (!fields.left.isEmpty() || !fields.top.isEmpty() || !fields.right.isEmpty() || !fields.bottom.isEmpty())
        text += QStringLiteral("margin: ")
                + QString(fields.left + u' ' + fields.top + u' ' + fields.right + u' ' + fields.bottom).trimmed() + u';';
    text += QStringLiteral("background: #") + HtmlColour::digits(fields.background);
    return text;
}

QString ruleLine(const QString &element, const Fields &fields)
{
    return element + QStringLiteral(" {") + declarations(fields) + u'}';
}

void applyRule(QStringList &rules, const QString &element, const Fields &fields)
{
    const QString line = ruleLine(element, fields);
    const qsizetype index = ruleIndex(rules, element);
    if (index < 0)
        rules << line;
    else
        rules[index] = line;
}

QStringList rulesFromText(const QString &text)
{
    if (text.isEmpty())
        return {};
    return text.split(crlf);
}

QString sectionText(const QStringList &rules)
{
    QString text = openTag + crlf;
    for (const QString &rule : rules)
        text += rule + crlf;
    return text + closeTag;
}

QStringList gatherRules(const QStringList &page)
{
    const Location at = locate(page);
    if (at.first < 0)
        return {};
    QStringList rules;
    const QString &first = page.at(at.first);
    const qsizetype afterOpen = at.open + openTag.size();
    if (at.first == at.last) {
        appendRulesOf(first.mid(afterOpen, at.close - afterOpen), rules);
        return rules;
    }
    appendRulesOf(first.mid(afterOpen), rules);
    for (qsizetype i = at.first + 1; i < at.last; ++i)
        rules << page.at(i);
    appendRulesOf(page.at(at.last).left(at.close), rules);
    return rules;
}

QStringList rewrite(const QStringList &page, const QString &section)
{
    QStringList lines = page;
    qsizetype stood = -1;
    const Location at = locate(page);
    if (at.first >= 0) {
        const QString before = page.at(at.first).left(at.open);
        const QString after = page.at(at.last).mid(at.close + closeTag.size());
        lines.remove(at.first, at.last - at.first + 1);
        stood = at.first;
        if (!after.trimmed().isEmpty())
            lines.insert(stood, after);
        if (!before.trimmed().isEmpty())
            lines.insert(stood++, before);
    }
    qsizetype place = lineContaining(lines, QStringLiteral("</head>"));
    if (place < 0)
        place = stood;
    if (place < 0)
        place = std::max<qsizetype>(0, lineContaining(lines, QStringLiteral("<body")));
    const QStringList sectionLines = section.split(crlf);
    for (qsizetype i = 0; i < sectionLines.size(); ++i)
        lines.insert(place + i, sectionLines.at(i));
    return lines;
}

} // namespace StyleSection
