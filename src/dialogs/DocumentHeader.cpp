#include "DocumentHeader.h"
#include "platform/AsciiCase.h"

#include "dialogs/HtmlColour.h"

#include <QList>
#include <QRegularExpression>
#include <algorithm>

namespace DocumentHeader {

QColor fallbackTexte() { return QColor(0xFF, 0xFF, 0xFF); }
QColor fallbackFond() { return QColor(0x80, 0x80, 0x80); }
QColor fallbackLien() { return QColor(0x00, 0x00, 0xFF); }
QColor fallbackLienVisite() { return QColor(0x00, 0xFF, 0x00); }

namespace {

enum class Field { Titre, Description, MotsCles, Auteur, ImageFond, Texte, Fond, Lien, LienVisite };

// One place of the page that holds (or could hold) a field.
struct Place {
    enum Kind {
        ElementText, // the text between <title> and </title>, written as is
        Attribute,   // an attribute value, quotes included in the span
        Missing,     // the tag lacks the attribute: it would be inserted here
    };
    Field field;
    Kind kind;
    int line;
    qsizetype start;
    qsizetype length;
    QString value;     // as the page holds it, without quotes
    QString attribute; // the attribute's name, for insertions
};

struct Attribute {
    QString name; // lower case
    int line;
    qsizetype start;
    qsizetype length;
    QString value;
};

// A tag may run over several lines (new pages put the body tag's background
// on the line after it); this far and no further.
constexpr int MaxTagLines = 50;

// The attributes of the tag whose name ends at (line, column), up to its ">".
QList<Attribute> tagAttributes(const QStringList &lines, int line, qsizetype column)
{
    QList<Attribute> attributes;
    int l = line;
    qsizetype c = column;
    while (l < lines.size() && l <= line + MaxTagLines) {
        const QString &s = lines.at(l);
        if (c >= s.size()) {
            ++l;
            c = 0;
            continue;
        }
        const QChar ch = s.at(c);
        if (ch == u'>' || ch == u'<')
            break;
        if (ch.isSpace() || ch == u'/' || ch == u'=') {
            ++c;
            continue;
        }
        const qsizetype nameStart = c;
        while (c < s.size() && !s.at(c).isSpace() && s.at(c) != u'=' && s.at(c) != u'>' && s.at(c) != u'<')
            ++c;
        const QString name = Ascii::lower(QStringView(s).mid(nameStart, c - nameStart));
        qsizetype k = c;
        while (k < s.size() && s.at(k).isSpace())
            ++k;
        if (k >= s.size() || s.at(k) != u'=')
            continue; // an attribute without value
        ++k;
        while (k < s.size() && s.at(k).isSpace())
            ++k;
        Attribute a{name, l, k, 0, QString()};
        if (k < s.size() && (s.at(k) == u'"' || s.at(k) == u'\'')) {
            const qsizetype close = s.indexOf(s.at(k), k + 1);
            const qsizetype end = close < 0 ? s.size() : close + 1;
            a.value = s.mid(k + 1, (close < 0 ? s.size() : close) - k - 1);
            a.length = end - k;
            c = end;
        } else {
            qsizetype e = k;
            while (e < s.size() && !s.at(e).isSpace() && s.at(e) != u'>')
                ++e;
            a.value = s.mid(k, e - k);
            a.length = e - k;
            c = e;
        }
        attributes << a;
    }
    return attributes;
}

const Attribute *findAttribute(const QList<Attribute> &attributes, const QString &name)
{
    for (const Attribute &a : attributes)
        if (a.name == name)
            return &a;
    return nullptr;
}

// The place of one attribute of a tag, or where it would be inserted.
Place attributePlace(Field field, const QList<Attribute> &attributes, const QString &name, int line,
                     qsizetype insertAt)
{
    if (const Attribute *a = findAttribute(attributes, name))
        return Place{field, Place::Attribute, a->line, a->start, a->length, a->value, name};
    return Place{field, Place::Missing, line, insertAt, 0, QString(), name};
}

// "<body" as a tag name, not the start of a longer word.
qsizetype bodyTag(const QString &upper)
{
    static const QString key = QStringLiteral("<BODY");
    for (qsizetype at = upper.indexOf(key); at >= 0; at = upper.indexOf(key, at + 1)) {
        const qsizetype after = at + key.size();
        if (after >= upper.size() || upper.at(after).isSpace() || upper.at(after) == u'>')
            return at;
    }
    return -1;
}

// The text-colour line: <font color="#RRGGBB"></font> and nothing else. A
// line of the body that uses a font tag around its text is not one.
const QRegularExpression &textColourLine()
{
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*<font\s+color\s*=\s*("[^"]*"|'[^']*'|[^\s>"']*)\s*>\s*</font>\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

QList<Place> scan(const QStringList &lines)
{
    static const struct {
        QString key;
        Field field;
    } metas[] = {
        {QStringLiteral("<META NAME=\"AUTHOR\""), Field::Auteur},
        {QStringLiteral("<META NAME=\"DESCRIPTION\""), Field::Description},
        {QStringLiteral("<META NAME=\"KEYWORDS\""), Field::MotsCles},
    };
    QList<Place> places;
    for (int i = 0; i < lines.size(); ++i) {
        const QString &s = lines.at(i);
        // Upper-cased without changing the length: places found in it are
        // places in the line.
        const QString upper = Ascii::upper(s);

        if (const qsizetype at = upper.indexOf(QStringLiteral("<TITLE>")); at >= 0) {
            const qsizetype start = at + 7;
            const qsizetype close = upper.indexOf(QStringLiteral("</TITLE>"), start);
            const qsizetype length = (close < 0 ? s.size() : close) - start;
            places << Place{Field::Titre, Place::ElementText, i, start, length, s.mid(start, length), QString()};
        }

        for (const auto &meta : metas) {
            const qsizetype at = upper.indexOf(meta.key);
            if (at < 0)
                continue;
            const auto attributes = tagAttributes(lines, i, at + 5);
            places << attributePlace(meta.field, attributes, QStringLiteral("content"), i, at + meta.key.size());
        }

        if (const auto m = textColourLine().match(s); m.hasMatch()) {
            QString value = m.captured(1);
            if (value.startsWith(u'"') || value.startsWith(u'\''))
                value = value.mid(1, value.size() - 2);
            places << Place{Field::Texte, Place::Attribute, i, m.capturedStart(1), m.capturedLength(1), value,
                            QStringLiteral("color")};
        }

        if (const qsizetype at = bodyTag(upper); at >= 0) {
            const qsizetype nameEnd = at + 5;
            const auto attributes = tagAttributes(lines, i, nameEnd);
            places << attributePlace(Field::Fond, attributes, QStringLiteral("bgcolor"), i, nameEnd)
                   << attributePlace(Field::Lien, attributes, QStringLiteral("link"), i, nameEnd)
                   << attributePlace(Field::LienVisite, attributes, QStringLiteral("vlink"), i, nameEnd)
                   << attributePlace(Field::ImageFond, attributes, QStringLiteral("background"), i, nameEnd);
        }
    }
    return places;
}

QString *textField(Fields &f, Field field)
{
    switch (field) {
    case Field::Titre: return &f.titre;
    case Field::Description: return &f.description;
    case Field::MotsCles: return &f.motsCles;
    case Field::Auteur: return &f.auteur;
    case Field::ImageFond: return &f.imageFond;
    default: return nullptr;
    }
}

Colour *colourField(Fields &f, Field field)
{
    switch (field) {
    case Field::Texte: return &f.texte;
    case Field::Fond: return &f.fond;
    case Field::Lien: return &f.lien;
    case Field::LienVisite: return &f.lienVisite;
    default: return nullptr;
    }
}

QColor fallbackFor(Field field)
{
    switch (field) {
    case Field::Texte: return fallbackTexte();
    case Field::Fond: return fallbackFond();
    case Field::Lien: return fallbackLien();
    default: return fallbackLienVisite();
    }
}

// A value put between double quotes must not close them early.
QString quoted(const QString &value)
{
    QString v = value;
    v.replace(u'"', QStringLiteral("&quot;"));
    return u'"' + v + u'"';
}

struct Edit {
    int line;
    qsizetype start;
    qsizetype length;
    QString text;
};

} // namespace

Fields read(const QStringList &lines)
{
    Fields fields;
    for (const Place &p : scan(lines)) {
        if (p.kind == Place::Missing)
            continue;
        if (QString *text = textField(fields, p.field)) {
            *text = p.value;
        } else if (Colour *colour = colourField(fields, p.field)) {
            colour->found = true;
            colour->color = HtmlColour::fromAttribute(p.value).value_or(fallbackFor(p.field));
        }
    }
    return fields;
}

QStringList write(const QStringList &lines, const Fields &fields)
{
    Fields wanted = fields;
    QList<Edit> edits;
    for (const Place &p : scan(lines)) {
        QString replacement;
        if (const QString *text = textField(wanted, p.field)) {
            if (*text == p.value)
                continue; // also leaves absent attributes absent when the field is empty
            if (p.kind == Place::ElementText)
                replacement = *text;
            else if (p.kind == Place::Attribute)
                replacement = quoted(*text);
            else
                replacement = u' ' + p.attribute + u'=' + quoted(*text);
        } else if (const Colour *colour = colourField(wanted, p.field)) {
            if (!colour->chosen)
                continue;
            const QString value = u'"' + HtmlColour::text(colour->color) + u'"';
            replacement = p.kind == Place::Missing ? u' ' + p.attribute + u'=' + value : value;
        }
        // Several attributes missing from one tag go in together, in the
        // order they were scanned.
        if (p.kind == Place::Missing && !edits.isEmpty() && edits.last().line == p.line
            && edits.last().start == p.start && edits.last().length == 0) {
            edits.last().text += replacement;
            continue;
        }
        edits << Edit{p.line, p.start, p.kind == Place::Missing ? 0 : p.length, replacement};
    }
    // Right to left within a line, so that earlier positions stay valid.
    std::stable_sort(edits.begin(), edits.end(), [](const Edit &a, const Edit &b) {
        return a.line != b.line ? a.line < b.line : a.start > b.start;
    });
    QStringList out = lines;
    for (const Edit &e : edits)
        out[e.line].replace(e.start, e.length, e.text);
    return out;
}

} // namespace DocumentHeader
