#include "StructureFragments.h"

#include "platform/Errors.h"

#include <algorithm>

namespace StructureFragments {

namespace {
const QString crlf = QStringLiteral("\r\n");
}

QString table(int rows, int columns, const QString &border, bool centred)
{
    const qint64 cells = qint64(std::max(rows, 0)) * std::max(columns, 1);
    if (cells > MaxCells)
        throw Platform::PemoError(
            QStringLiteral("Un tableau de %1 lignes et %2 colonnes est trop grand (%3 cellules au plus).")
                .arg(rows)
                .arg(columns)
                .arg(MaxCells));
    QString out;
    if (centred)
        out += QStringLiteral("<CENTER>") + crlf;
    out += QStringLiteral("<table border=") + border + u'>' + crlf;
    for (int r = 1; r <= rows; ++r) {
        out += QStringLiteral("<tr>") + crlf;
        for (int c = 1; c <= columns; ++c)
            out += QStringLiteral("<td>Cellule") + QString::number(r) + QString::number(c)
                   + QStringLiteral("</td>") + crlf;
        out += QStringLiteral("</tr>") + crlf;
    }
    out += QStringLiteral("</table>");
    if (centred)
        out += crlf + QStringLiteral("</center>");
    return out;
}

QString list(int items, bool ordered)
{
    if (items > MaxItems)
        throw Platform::PemoError(
            QStringLiteral("Une liste de %1 éléments est trop longue (%2 éléments au plus).")
                .arg(items)
                .arg(MaxItems));
    QString out = ordered ? QStringLiteral("<ol>") : QStringLiteral("<ul type=disc>");
    out += crlf;
    for (int n = 1; n <= items; ++n)
        out += QStringLiteral(" <li>Ligne") + QString::number(n) + crlf;
    out += ordered ? QStringLiteral("</ol>") : QStringLiteral("</ul>");
    return out;
}

QString horizontalRule(int size, int widthPercent, RuleAlign align)
{
    // Each attribute goes in just after "<hr", before those put in earlier.
    QString out = QStringLiteral("<hr>");
    const auto insert = [&out](const QString &attribute) { out.insert(3, attribute); };
    if (size != 1)
        insert(QStringLiteral(" size=") + QString::number(size));
    if (widthPercent != 100)
        insert(QStringLiteral(" width=") + QString::number(widthPercent) + u'%');
    if (align == RuleAlign::Left)
        insert(QStringLiteral(" align=\"left\""));
    else if (align == RuleAlign::Right)
        insert(QStringLiteral(" align=\"right\""));
    return out;
}

QString anchorNameOf(const QString &line)
{
    static const QString key = QStringLiteral("<a name=");
    const qsizetype at = line.indexOf(key, 0, Qt::CaseInsensitive);
    if (at < 0)
        return QString();
    QString name = line.mid(at + key.size(), 255);
    name.truncate(name.indexOf(u'>') < 0 ? name.size() : name.indexOf(u'>'));
    // A quoted name ends at its closing quote, so that attributes written
    // after it (<a name="x" id="y">) do not become part of the name.
    if (!name.isEmpty() && (name.front() == u'"' || name.front() == u'\'')) {
        const QChar quote = name.front();
        name.remove(0, 1);
        const qsizetype close = name.indexOf(quote);
        if (close >= 0)
            name.truncate(close);
    } else if (name.endsWith(u'"')) {
        name.chop(1);
    }
    return name;
}

QStringList anchorNames(const QStringList &lines)
{
    QStringList names;
    for (const QString &line : lines)
        if (line.contains(QStringLiteral("<a name="), Qt::CaseInsensitive))
            names << anchorNameOf(line);
    return names;
}

QString anchorLink(const QString &target)
{
    // A bare name would send the browser to a file of that name: the link
    // to an anchor of this page needs the "#".
    const QString href = target.isEmpty() || target.contains(u'#') ? target : u'#' + target;
    return QStringLiteral("<a href=\"") + href + QStringLiteral("\">");
}

QString mailLink(const QString &address, const QString &text)
{
    return QStringLiteral("<a href=\"mailto:") + address + QStringLiteral("\">") + text + QStringLiteral("</a>");
}

const QStringList &tagEntries()
{
    static const QStringList entries = [] {
        QStringList l = {
            QStringLiteral("<!-- -->"), QStringLiteral("<a> </a>"), QStringLiteral("<applet> </applet>"),
            QStringLiteral("<b> </b>"), QStringLiteral("<blockquote> </blockquote>"),
            QStringLiteral("<body> </body>"), QStringLiteral("<br>"), QStringLiteral("<center> </center>"),
            QStringLiteral("<cite> </cite>"), QStringLiteral("<code> </code>"), QStringLiteral("<dir> </dir>"),
            QStringLiteral("<div> </div>"), QStringLiteral("<dl> </dl>"), QStringLiteral("<dt>"),
            QStringLiteral("<em> </em>"), QStringLiteral("<font> </font>"), QStringLiteral("<form> </form>"),
            QStringLiteral("<frame>"), QStringLiteral("<frameset> </frameset>"), QStringLiteral("<h1> </h1>"),
            QStringLiteral("<h2> </h2>"), QStringLiteral("<h3> </h3>"), QStringLiteral("<h4> </h4>"),
            QStringLiteral("<h5> </h5>"), QStringLiteral("<h6> </h6>"), QStringLiteral("<head> </head>"),
            QStringLiteral("<hr>"), QStringLiteral("<html> </html>"), QStringLiteral("<img>"),
            QStringLiteral("<input type=button>"), QStringLiteral("<input type=checkbox>"),
            QStringLiteral("<input type=file>"), QStringLiteral("<input type=hidden>"),
            QStringLiteral("<input type=image>"), QStringLiteral("<input type=password>"),
            QStringLiteral("<input type=radio>"), QStringLiteral("<input type=reset>"),
            QStringLiteral("<input type=submit>"), QStringLiteral("<input type=text>"),
            QStringLiteral("<kbd> </kbd>"), QStringLiteral("<li>"), QStringLiteral("<listing> </listing>"),
            QStringLiteral("<map> </map>"), QStringLiteral("<menu> </menu>"), QStringLiteral("<meta>"),
            QStringLiteral("<nobr> </nobr>"), QStringLiteral("<noframes>"), QStringLiteral("<ol> </ol>"),
            QStringLiteral("<p> </p>"), QStringLiteral("<plaintext> </plaintext>"),
            QStringLiteral("<pre> </pre>"), QStringLiteral("<s> </s>"), QStringLiteral("<samp> </samp>"),
            QStringLiteral("<script> </script>"), QStringLiteral("<select> </select>"),
            QStringLiteral("<span> </span>"), QStringLiteral("<strike> </strike>"),
            QStringLiteral("<style> </style>"), QStringLiteral("<sub> </sub>"), QStringLiteral("<sup> </sup>"),
            QStringLiteral("<table> </table>"), QStringLiteral("<td> </td>"),
            QStringLiteral("<textarea> </textarea>"), QStringLiteral("<th> </th>"),
            QStringLiteral("<title> </title>"), QStringLiteral("<tr> </tr>"), QStringLiteral("<tt> </tt>"),
            QStringLiteral("<u> </u>"), QStringLiteral("<ul> </ul>"), QStringLiteral("<var> </var>"),
            QStringLiteral("<xml> </xml>"),
        };
        std::sort(l.begin(), l.end());
        return l;
    }();
    return entries;
}

QString applyTagEntry(const QString &entry, const QString &selected)
{
    const qsizetype space = entry.indexOf(u' ');
    if (space >= 0) {
        const QString opening = entry.left(space);
        // A pair opens with a whole tag ("<b>") or a comment ("<!--"); a
        // space inside the tag ("<input type=text>") makes it one single tag.
        if (opening.endsWith(u'>') || opening == QStringLiteral("<!--"))
            return opening + selected + entry.mid(space + 1, 255);
    }
    return selected + entry;
}

} // namespace StructureFragments
