#include "FormFragments.h"

#include "dialogs/NumberText.h"

#include <QStringList>

namespace FormFragments {

namespace {

const QString crlf = QStringLiteral("\r\n");

// "&eacute;", "&#233;", "&#xE9;" at `at`: a reference the user typed on
// purpose, kept as it is.
bool characterReferenceAt(const QString &text, qsizetype at)
{
    enum class Kind { Named, Decimal, Hex };
    Kind kind = Kind::Named;
    qsizetype i = at + 1;
    if (i < text.size() && text.at(i) == u'#') {
        kind = Kind::Decimal;
        if (++i < text.size() && (text.at(i) == u'x' || text.at(i) == u'X')) {
            kind = Kind::Hex;
            ++i;
        }
    }
    const auto fits = [kind](QChar c) {
        const char16_t u = c.unicode();
        const char16_t folded = u | 0x20;
        const bool digit = u >= u'0' && u <= u'9';
        switch (kind) {
        case Kind::Decimal: return digit;
        case Kind::Hex: return digit || (folded >= u'a' && folded <= u'f');
        case Kind::Named: break;
        }
        return digit || (folded >= u'a' && folded <= u'z');
    };
    const qsizetype first = i;
    while (i < text.size() && fits(text.at(i)))
        ++i;
    return i > first && i < text.size() && text.at(i) == u';';
}

// `escaped` lists the characters written as entities; "&" only where it
// does not already begin a character reference.
QString escapeText(const QString &text, QStringView escaped)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!escaped.contains(c) || (c == u'&' && characterReferenceAt(text, i)))
            out += c;
        else if (c == u'&')
            out += QStringLiteral("&amp;");
        else if (c == u'<')
            out += QStringLiteral("&lt;");
        else if (c == u'"')
            out += QStringLiteral("&quot;");
        else
            out += c;
    }
    return out;
}

} // namespace

QString attributeValue(const QString &text) { return escapeText(text, u"\"&<"); }

QString elementText(const QString &text) { return escapeText(text, u"&<"); }

QString stepUp(const QString &text)
{
    const auto value = NumberText::parse(text);
    if (!value)
        return QStringLiteral("2");
    return QString::number(*value >= StepperMax ? StepperMax : *value + 1);
}

QString stepDown(const QString &text) { return NumberText::stepDown(text); }

QString visibleItemsUp(const QString &text)
{
    const auto value = NumberText::parse(text);
    if (!value)
        return QStringLiteral("2");
    return QString::number(*value >= StepperMax ? 20 : *value + 1);
}

QString form(const QString &email)
{
    return QStringLiteral("<form action=\"mailto:") + attributeValue(email) + QStringLiteral("\" method=\"Post\">")
           + crlf + crlf + QStringLiteral("</form>") + crlf;
}

QString inputLine(const QString &name, const QString &length)
{
    return QStringLiteral("<input type=\"Text\" name=\"") + attributeValue(name) + QStringLiteral("\" size=") + length
           + QStringLiteral("><br>") + crlf;
}

QString textArea(const QString &name, const QString &rows, const QString &columns)
{
    return QStringLiteral("<p><textarea name=\"") + attributeValue(name) + QStringLiteral("\" rows=") + rows
           + QStringLiteral(" cols=") + columns + QStringLiteral("></textarea></p>") + crlf;
}

QString checkBox(const QString &name, const QString &value, const QString &label, bool checked)
{
    return QStringLiteral("<input type=\"checkbox\" name=\"") + attributeValue(name) + QStringLiteral("\" value=\"")
           + attributeValue(value) + u'"'
           + (checked ? QStringLiteral(" Checked") : QString()) + u'>' + label + crlf;
}

QString radioButton(const QString &name, const QString &value, const QString &label)
{
    return QStringLiteral("<input type=\"radio\" name=\"") + attributeValue(name) + QStringLiteral("\" value=\"")
           + attributeValue(value)
           + QStringLiteral("\">") + label + crlf;
}

QString menuOpening(const QString &name, const QString &visibleItems)
{
    return QStringLiteral("<p><select name=\"") + attributeValue(name) + QStringLiteral("\" size=") + visibleItems
           + u'>' + crlf;
}

QString menuOptions(const QString &choices)
{
    QString text = choices;
    text.replace(crlf, QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    if (text.endsWith(u'\n'))
        text.chop(1);
    if (choices.isEmpty())
        return QString();
    QString options;
    for (const QString &line : text.split(u'\n'))
        options += QStringLiteral("<option>") + elementText(line) + crlf;
    return options;
}

QString menuClosing() { return QStringLiteral("</select></p>") + crlf; }

QString submitButton() { return QStringLiteral("<p><input type=\"submit\" name=\"Envoi\" value=\"Envoi\"></p>") + crlf; }

QString resetButton() { return QStringLiteral("<P><input type=\"reset\" value=\"RAZ\"></p>") + crlf; }

} // namespace FormFragments
