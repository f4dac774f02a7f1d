#include "StyleSection.h"

#include "dialogs/HtmlColour.h"

#include <optional>
#include <utility>

namespace StyleSection {

namespace {

const QString crlf = QStringLiteral("\r\n");
const QString openTag = QStringLiteral("<style>");
const QString closeTag = QStringLiteral("</style>");

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

namespace {

// --- reading values

bool isNumber(QStringView text)
{
    bool digit = false, point = false;
    for (const QChar c : text) {
        if (c.isDigit())
            digit = true;
        else if (c == u'.' && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

// The number at the start of a length ("12" of "12px") and its unit.
std::pair<QString, QString> splitLength(const QString &length)
{
    qsizetype i = 0;
    while (i < length.size() && (length.at(i).isDigit() || length.at(i) == u'.'))
        ++i;
    return {length.left(i), length.mid(i).toLower()};
}

QString withoutPx(const QString &length)
{
    const auto [number, unit] = splitLength(length);
    return !number.isEmpty() && unit == QLatin1String("px") ? number : length;
}

// A font size as the Pt field shows it: points as a number, pixels turned
// into points (96 to the inch), anything else as written.
QString sizeInPoints(const QString &size)
{
    const auto [number, unit] = splitLength(size);
    if (number.isEmpty() || !isNumber(number))
        return size;
    if (unit.isEmpty() || unit == QLatin1String("pt"))
        return number;
    if (unit == QLatin1String("px"))
        return QString::number(number.toDouble() * 0.75, 'g', 6);
    return size;
}

std::optional<QColor> cssColour(const QString &value)
{
    const QString v = value.trimmed();
    if (v.startsWith(QLatin1String("rgb"), Qt::CaseInsensitive)) {
        const qsizetype open = v.indexOf(u'('), close = v.lastIndexOf(u')');
        if (open < 0 || close < open)
            return std::nullopt;
        QString inside = v.mid(open + 1, close - open - 1);
        inside.replace(u',', u' ');
        const QStringList parts = inside.split(u' ', Qt::SkipEmptyParts);
        if (parts.size() < 3)
            return std::nullopt;
        int rgb[3];
        for (int i = 0; i < 3; ++i) {
            bool ok = false;
            rgb[i] = parts.at(i).toInt(&ok);
            if (!ok || rgb[i] < 0 || rgb[i] > 255)
                return std::nullopt;
        }
        return QColor(rgb[0], rgb[1], rgb[2]);
    }
    // Only names and "#" forms: bare digits are no colour in a style sheet,
    // and "transparent" has none to show.
    if (v.isEmpty() || (!v.startsWith(u'#') && !v.at(0).isLetter())
        || v.compare(QLatin1String("transparent"), Qt::CaseInsensitive) == 0)
        return std::nullopt;
    return HtmlColour::fromAttribute(v);
}

// The editor's own lines carry "#" and six digits; anything after them
// ("#00FF00 url(...)") does not count.
std::optional<QColor> colourOf(const QString &value)
{
    if (const auto c = cssColour(value))
        return c;
    const qsizetype hash = value.indexOf(u'#');
    if (hash >= 0)
        return HtmlColour::fromDigits(QStringView(value).mid(hash + 1, 6));
    return std::nullopt;
}

// Value pieces at spaces, keeping rgb(...) and url(...) whole.
QStringList valueTokens(const QString &value)
{
    QStringList tokens;
    QString current;
    int depth = 0;
    for (const QChar c : value) {
        if (c == u'(')
            ++depth;
        else if (c == u')' && depth > 0)
            --depth;
        if (c.isSpace() && depth == 0) {
            if (!current.isEmpty())
                tokens << std::exchange(current, QString());
        } else {
            current += c;
        }
    }
    if (!current.isEmpty())
        tokens << current;
    return tokens;
}

// The font shorthand: [style variant weight] size[/line-height] family.
struct FontShorthand {
    QString before;     // the keywords before the size, as written
    QString size;       // "12px", "10" of the editor's older "10 pt"
    QString lineHeight; // "/1.5", as written
    QString family;     // the rest, as written
    bool found = false;
};

bool isSizeKeyword(const QString &token)
{
    static const QStringList keywords = {"xx-small", "x-small", "small",  "medium", "large",
                                         "x-large",  "xx-large", "larger", "smaller"};
    return keywords.contains(token.toLower());
}

FontShorthand readFont(const QString &value)
{
    FontShorthand font;
    const QString v = value.trimmed();
    qsizetype i = 0;
    while (i < v.size()) {
        while (i < v.size() && v.at(i).isSpace())
            ++i;
        qsizetype end = i;
        while (end < v.size() && !v.at(end).isSpace() && v.at(end) != u'/')
            ++end;
        const QString token = v.mid(i, end - i);
        if (token.isEmpty())
            break;
        const auto [number, unit] = splitLength(token);
        // The editor once wrote the unit apart: "10 pt Arial".
        qsizetype afterUnit = end;
        while (afterUnit < v.size() && v.at(afterUnit).isSpace())
            ++afterUnit;
        const bool spacedPt = isNumber(token)
                              && v.mid(afterUnit, 2).compare(QLatin1String("pt"), Qt::CaseInsensitive) == 0
                              && (afterUnit + 2 == v.size() || v.at(afterUnit + 2).isSpace());
        const bool length = !number.isEmpty() && isNumber(number) && !unit.isEmpty();
        if (spacedPt || length || isSizeKeyword(token)) {
            font.found = true;
            font.before = v.left(i).trimmed();
            font.size = token;
            qsizetype rest = spacedPt ? afterUnit + 2 : end;
            qsizetype probe = rest;
            while (probe < v.size() && v.at(probe).isSpace())
                ++probe;
            if (probe < v.size() && v.at(probe) == u'/') {
                ++probe;
                while (probe < v.size() && v.at(probe).isSpace())
                    ++probe;
                qsizetype lhEnd = probe;
                while (lhEnd < v.size() && !v.at(lhEnd).isSpace())
                    ++lhEnd;
                font.lineHeight = u'/' + v.mid(probe, lhEnd - probe);
                rest = lhEnd;
            }
            font.family = v.mid(rest).trimmed();
            return font;
        }
        i = end;
    }
    // No size: a bare family, as "font: Verdana" in the editor's older lines.
    font.family = v;
    return font;
}

QString fontText(const FontShorthand &font)
{
    QString text = font.before;
    if (!text.isEmpty())
        text += u' ';
    text += font.size + font.lineHeight;
    if (!font.family.isEmpty())
        text += u' ' + font.family;
    return text;
}

QString &marginField(Fields &fields, int side)
{
    switch (side) {
    case 0: return fields.top;
    case 1: return fields.right;
    case 2: return fields.bottom;
    default: return fields.left;
    }
}

const QString &marginField(const Fields &fields, int side)
{
    switch (side) {
    case 0: return fields.top;
    case 1: return fields.right;
    case 2: return fields.bottom;
    default: return fields.left;
    }
}

const char *const sideNames[] = {"top", "right", "bottom", "left"};

int sideOf(const QString &property)
{
    for (int side = 0; side < 4; ++side)
        if (property == QLatin1String("margin-") + QLatin1String(sideNames[side]))
            return side;
    return -1;
}

// --- writing values

QString pointsText(const QString &pt) { return isNumber(pt) ? pt + QStringLiteral("pt") : pt; }
QString pixelsText(const QString &margin) { return isNumber(margin) ? margin + QStringLiteral("px") : margin; }

// One declaration of a rule, as written: "<space>name<space>:<value>".
struct Declaration {
    QString text;
    QString property() const { return text.section(u':', 0, 0).trimmed().toLower(); }
    bool hasColon() const { return text.contains(u':'); }
    QString value() const { return text.section(u':', 1); }
    void setValue(const QString &value)
    {
        // The spacing around the old value stays.
        const qsizetype colon = text.indexOf(u':');
        const QString old = text.mid(colon + 1);
        qsizetype start = 0;
        while (start < old.size() && old.at(start).isSpace())
            ++start;
        qsizetype end = old.size();
        while (end > start && old.at(end - 1).isSpace())
            --end;
        text = text.left(colon + 1) + old.left(start) + value + old.mid(end);
    }
};

// Splits at the ";" that are outside quotes and brackets.
QList<Declaration> splitDeclarations(const QString &body)
{
    QList<Declaration> list;
    QString current;
    QChar quote;
    int depth = 0;
    for (const QChar c : body) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')' && depth > 0) {
            --depth;
        } else if (c == u';' && depth == 0) {
            list << Declaration{std::exchange(current, QString())};
            continue;
        }
        current += c;
    }
    list << Declaration{current};
    return list;
}

struct Rule {
    QString head; // up to and with "{"
    QList<Declaration> declarations;
    QString tail; // from "}"
};

Rule splitRule(const QString &line)
{
    const qsizetype open = line.indexOf(u'{');
    qsizetype close = line.lastIndexOf(u'}');
    if (close < open)
        close = line.size();
    return {line.left(open + 1), splitDeclarations(line.mid(open + 1, close - open - 1)), line.mid(close)};
}

QString joinRule(const Rule &rule)
{
    QStringList texts;
    for (const Declaration &d : rule.declarations)
        texts << d.text;
    return rule.head + texts.join(u';') + rule.tail;
}

// The last declaration of one of these properties: the one a browser uses.
qsizetype lastOf(const QList<Declaration> &list, const QStringList &properties)
{
    for (qsizetype i = list.size() - 1; i >= 0; --i)
        if (list.at(i).hasColon() && properties.contains(list.at(i).property()))
            return i;
    return -1;
}

// A new declaration at the end, spaced like those before it.
void append(Rule &rule, const QString &declaration)
{
    auto &list = rule.declarations;
    qsizetype last = list.size() - 1;
    while (last >= 0 && list.at(last).text.trimmed().isEmpty())
        --last;
    if (last < 0) {
        // An empty rule: "p {}" or "p { }".
        const QString blank = list.isEmpty() ? QString() : list.constFirst().text;
        list = {Declaration{(blank.isEmpty() ? QString() : QStringLiteral(" ")) + declaration + blank}};
        return;
    }
    QString &text = list[last].text;
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    QString lead;
    for (const QChar c : text) {
        if (!c.isSpace())
            break;
        lead += c;
    }
    const QString trailing = text.mid(end);
    text.truncate(end);
    list.insert(last + 1, Declaration{lead + declaration + trailing});
}

void setOrAppend(Rule &rule, qsizetype index, const QString &property, const QString &value)
{
    if (index >= 0)
        rule.declarations[index].setValue(value);
    else
        append(rule, property + QStringLiteral(": ") + value);
}

void removeDeclaration(Rule &rule, qsizetype index)
{
    auto &list = rule.declarations;
    if (list.size() == 1) {
        list[0].text.clear();
        return;
    }
    list.removeAt(index);
}

void writeFont(Rule &rule, const Fields &shown, const Fields &edited)
{
    const bool ptChanged = shown.pt != edited.pt, fontChanged = shown.font != edited.font;
    const qsizetype shorthand = lastOf(rule.declarations, {"font"});
    const qsizetype size = lastOf(rule.declarations, {"font-size"});
    if (ptChanged) {
        if (size > shorthand) {
            if (edited.pt.isEmpty())
                removeDeclaration(rule, size);
            else
                rule.declarations[size].setValue(pointsText(edited.pt));
        } else if (shorthand >= 0 && !edited.pt.isEmpty()) {
            FontShorthand font = readFont(rule.declarations.at(shorthand).value());
            if (font.found) {
                font.size = pointsText(edited.pt);
                rule.declarations[shorthand].setValue(fontText(font));
            } else {
                append(rule, QStringLiteral("font-size: ") + pointsText(edited.pt));
            }
        } else if (!edited.pt.isEmpty()) {
            // The shorthand would also reset the rule's line height and
            // weight: the size alone.
            append(rule, QStringLiteral("font-size: ") + pointsText(edited.pt));
        }
    }
    if (fontChanged) {
        const qsizetype shorthandNow = lastOf(rule.declarations, {"font"});
        const qsizetype familyNow = lastOf(rule.declarations, {"font-family"});
        if (familyNow > shorthandNow) {
            if (edited.font.isEmpty())
                removeDeclaration(rule, familyNow);
            else
                rule.declarations[familyNow].setValue(edited.font);
        } else if (shorthandNow >= 0 && !edited.font.isEmpty()) {
            FontShorthand font = readFont(rule.declarations.at(shorthandNow).value());
            font.family = edited.font;
            rule.declarations[shorthandNow].setValue(fontText(font));
        } else if (!edited.font.isEmpty()) {
            append(rule, QStringLiteral("font-family: ") + edited.font);
        }
    }
}

void writeBackground(Rule &rule, const QColor &colour)
{
    const QString text = HtmlColour::text(colour);
    const qsizetype at = lastOf(rule.declarations, {"background", "background-color"});
    if (at < 0) {
        append(rule, QStringLiteral("background: ") + text);
        return;
    }
    Declaration &d = rule.declarations[at];
    QStringList tokens = valueTokens(d.value());
    if (d.property() == QLatin1String("background-color") || (tokens.size() <= 1 && !d.value().contains(u'('))) {
        d.setValue(text);
        return;
    }
    // The shorthand's other parts (picture, repeat, position) stay.
    bool replaced = false;
    for (QString &token : tokens) {
        if (cssColour(token)) {
            token = text;
            replaced = true;
        }
    }
    if (!replaced)
        tokens << text;
    d.setValue(tokens.join(u' '));
}

void writeMargins(Rule &rule, const Fields &shown, const Fields &edited)
{
    for (const int side : {3, 0, 1, 2}) {
        const QString &value = marginField(edited, side);
        if (marginField(shown, side) == value)
            continue;
        const QString property = QLatin1String("margin-") + QLatin1String(sideNames[side]);
        const qsizetype at = lastOf(rule.declarations, {property});
        const qsizetype shorthand = lastOf(rule.declarations, {"margin"});
        if (at > shorthand) {
            if (value.isEmpty())
                removeDeclaration(rule, at);
            else
                rule.declarations[at].setValue(pixelsText(value));
        } else if (!value.isEmpty()) {
            append(rule, property + QStringLiteral(": ") + pixelsText(value));
        }
    }
}

} // namespace

void Analyse(const QString &declaration, Fields &fields)
{
    // Hand-written sections often put a space after each ";".
    const QString d = declaration.trimmed();
    const qsizetype colon = d.indexOf(u':');
    if (colon < 0)
        return;
    const QString property = d.left(colon).trimmed().toLower();
    const QString value = d.mid(colon + 1).trimmed();
    if (property == QLatin1String("font")) {
        const FontShorthand font = readFont(value);
        if (font.found)
            fields.pt = sizeInPoints(font.size);
        if (!font.family.isEmpty())
            fields.font = font.family;
    } else if (property == QLatin1String("font-size")) {
        fields.pt = sizeInPoints(value);
    } else if (property == QLatin1String("font-family")) {
        fields.font = value;
    } else if (property == QLatin1String("color")) {
        fields.color = colourOf(value).value_or(QColor(Qt::black));
    } else if (property == QLatin1String("background") || property == QLatin1String("background-color")) {
        std::optional<QColor> colour;
        for (const QString &token : valueTokens(value))
            if (!colour)
                colour = cssColour(token);
        if (!colour)
            colour = colourOf(value);
        fields.background = colour.value_or(QColor(Qt::white));
    } else if (property == QLatin1String("margin")) {
        const QStringList values = valueTokens(value);
        if (values.isEmpty() || values.size() > 4)
            return;
        // CSS: one value for all sides, two for top-bottom and left-right,
        // three for top, left-right and bottom.
        static const int from[4][4] = {{0, 0, 0, 0}, {0, 1, 0, 1}, {0, 1, 2, 1}, {0, 1, 2, 3}};
        for (int side = 0; side < 4; ++side)
            marginField(fields, side) = withoutPx(values.at(from[values.size() - 1][side]));
    } else if (const int side = sideOf(property); side >= 0) {
        marginField(fields, side) = withoutPx(value);
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
    for (const Declaration &declaration : splitRule(rules.at(index)).declarations)
        Analyse(declaration.text, fields);
    return fields;
}

QString declarations(const Fields &fields)
{
    QString text;
    if (!fields.pt.isEmpty() && !fields.font.isEmpty())
        text = QStringLiteral("font: ") + pointsText(fields.pt) + u' ' + fields.font + u';';
    else if (!fields.pt.isEmpty())
        text = QStringLiteral("font-size: ") + pointsText(fields.pt) + u';';
    else if (!fields.font.isEmpty())
        text = QStringLiteral("font-family: ") + fields.font + u';';
    text += QStringLiteral("color: #") + HtmlColour::digits(fields.color) + u';';
    if (!fields.left.isEmpty() && !fields.top.isEmpty() && !fields.right.isEmpty() && !fields.bottom.isEmpty()) {
        text += QStringLiteral("margin: ") + pixelsText(fields.top) + u' ' + pixelsText(fields.right) + u' '
                + pixelsText(fields.bottom) + u' ' + pixelsText(fields.left) + u';';
    } else {
        // Some sides only: the others keep the browser's margins.
        for (const int side : {3, 0, 1, 2})
            if (!marginField(fields, side).isEmpty())
                text += QStringLiteral("margin-") + QLatin1String(sideNames[side]) + QStringLiteral(": ")
                        + pixelsText(marginField(fields, side)) + u';';
    }
    text += QStringLiteral("background: #") + HtmlColour::digits(fields.background);
    return text;
}

QString ruleLine(const QString &element, const Fields &fields)
{
    return element + QStringLiteral(" {") + declarations(fields) + u'}';
}

void applyRule(QStringList &rules, const QString &element, const Fields &shown, const Fields &edited)
{
    const qsizetype index = ruleIndex(rules, element);
    if (index < 0) {
        rules << ruleLine(element, edited);
        return;
    }
    if (shown == edited)
        return;
    Rule rule = splitRule(rules.at(index));
    if (shown.pt != edited.pt || shown.font != edited.font)
        writeFont(rule, shown, edited);
    if (shown.color != edited.color)
        setOrAppend(rule, lastOf(rule.declarations, {"color"}), QStringLiteral("color"),
                    HtmlColour::text(edited.color));
    writeMargins(rule, shown, edited);
    if (shown.background != edited.background)
        writeBackground(rule, edited.background);
    rules[index] = joinRule(rule);
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
