#include "FormFragments.h"

#include "dialogs/NumberText.h"

#include <QStringList>

namespace FormFragments {

namespace {
const QString crlf = QStringLiteral("\r\n");
}

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
    return QStringLiteral("<form action=\"mailto:") + email + QStringLiteral("\" method=\"Post\">") + crlf + crlf
           + QStringLiteral("</form>") + crlf;
}

QString inputLine(const QString &name, const QString &length)
{
    return QStringLiteral("<input type=\"Text\" name=\"") + name + QStringLiteral("\" size=") + length
           + QStringLiteral("><br>") + crlf;
}

QString textArea(const QString &name, const QString &rows, const QString &columns)
{
    return QStringLiteral("<p><textarea name=\"") + name + QStringLiteral("\" rows=") + rows + QStringLiteral(" cols=")
           + columns + QStringLiteral("></textarea></p>") + crlf;
}

QString checkBox(const QString &name, const QString &value, const QString &label, bool checked)
{
    return QStringLiteral("<input type=\"checkbox\" name=\"") + name + QStringLiteral("\" value=\"") + value + u'"'
           + (checked ? QStringLiteral(" Checked") : QString()) + u'>' + label + crlf;
}

QString radioButton(const QString &name, const QString &value, const QString &label)
{
    return QStringLiteral("<input type=\"radio\" name=\"") + name + QStringLiteral("\" value=\"") + value
           + QStringLiteral("\">") + label + crlf;
}

QString menuOpening(const QString &name, const QString &visibleItems)
{
    return QStringLiteral("<p><select name=\"") + name + QStringLiteral("\" size=") + visibleItems + u'>' + crlf;
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
        options += QStringLiteral("<option>") + line + crlf;
    return options;
}

QString menuClosing() { return QStringLiteral("</select></p>") + crlf; }

QString submitButton() { return QStringLiteral("<p><input type=\"submit\" name=\"Envoi\" value=\"Envoi\"></p>") + crlf; }

QString resetButton() { return QStringLiteral("<P><input type=\"reset\" value=\"RAZ\"></p>") + crlf; }

} // namespace FormFragments
