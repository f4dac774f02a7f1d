#include "ScriptSkeletons.h"

#include "platform/Paths.h"

namespace ScriptSkeletons {

namespace {

const QString crlf = QStringLiteral("\r\n");

// The empty braces the caret is left in: the command steps back three
// characters from the end to reach the empty line.
QString emptyBody() { return QStringLiteral("{\r\n\r\n}"); }

QString joined(const QStringList &lines) { return lines.join(crlf); }

// "/x", "\\x" or "C:x".
bool isFullPath(const QString &path)
{
    return (!path.isEmpty() && Platform::isSeparator(path.front()))
           || (path.size() >= 2 && path.at(1) == u':' && path.front().isLetter());
}

} // namespace

const QStringList &operators()
{
    static const QStringList list{QStringLiteral("=="), QStringLiteral("<"),  QStringLiteral(">"),
                                  QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("!=")};
    return list;
}

const QStringList &keywords()
{
    static const QStringList list{
        QStringLiteral("--"),          QStringLiteral("{"),           QStringLiteral("}"),
        QStringLiteral("++"),          QStringLiteral("break"),       QStringLiteral("charAt()"),
        QStringLiteral("do"),          QStringLiteral("else"),        QStringLiteral("for"),
        QStringLiteral("if"),          QStringLiteral("length()"),    QStringLiteral("Math.abs()"),
        QStringLiteral("Math.ceil()"), QStringLiteral("Math.cos()"),  QStringLiteral("Math.exp()"),
        QStringLiteral("Math.floor()"), QStringLiteral("Math.log()"), QStringLiteral("Math.random()"),
        QStringLiteral("Math.sin()"),  QStringLiteral("Math.sqrt()"), QStringLiteral("new"),
        QStringLiteral("open()"),      QStringLiteral("parseFloat()"), QStringLiteral("parseInt()"),
        QStringLiteral("return"),      QStringLiteral("substring"),   QStringLiteral("toLowerCase"),
        QStringLiteral("toString()"),  QStringLiteral("toUpperCase"),
    };
    return list;
}

QString scriptBlock(const QString &text)
{
    return QStringLiteral("<script language=\"JavaScript\">") + crlf + QStringLiteral("<!--") + crlf + text + crlf
           + QStringLiteral("//-->") + crlf + QStringLiteral("</script>");
}

QString forLoop(const QString &counter, const QString &from, const QString &to, bool decreasing)
{
    if (counter.isEmpty())
        return {};
    const QString comparison = decreasing ? QStringLiteral(">=") : QStringLiteral("<=");
    const QString step = decreasing ? QStringLiteral("--") : QStringLiteral("++");
    return QStringLiteral("for (") + counter + u'=' + from + QStringLiteral("; ") + counter + comparison + to
           + QStringLiteral("; ") + counter + step + u')' + crlf + emptyBody();
}

static QString condition(const QString &keyword, const QString &operand1, int operatorIndex,
                         const QString &operand2)
{
    if (operand1.isEmpty() || operatorIndex < 0 || operatorIndex >= operators().size())
        return {};
    return keyword + QStringLiteral(" (") + operand1 + operators().at(operatorIndex) + operand2 + u')' + crlf
           + emptyBody();
}

QString whileLoop(const QString &operand1, int operatorIndex, const QString &operand2)
{
    return condition(QStringLiteral("while"), operand1, operatorIndex, operand2);
}

QString ifCondition(const QString &operand1, int operatorIndex, const QString &operand2, bool withElse)
{
    QString text = condition(QStringLiteral("if"), operand1, operatorIndex, operand2);
    if (!text.isEmpty() && withElse)
        text += crlf + QStringLiteral("else") + crlf + emptyBody();
    return text;
}

QString appletElement(const Applet &applet, const QString &pageFolder)
{
    // Only a full path can be made relative: a name typed as is, or a page
    // that has no folder yet, keeps the name as typed.
    const QString relative = isFullPath(applet.classFile) && !pageFolder.isEmpty()
                                 ? Platform::relativePath(applet.classFile, pageFolder)
                                 : applet.classFile;
    QString codeBase = Platform::folderPart(relative);
    if (!codeBase.isEmpty() && Platform::isSeparator(codeBase.back()))
        codeBase.chop(1);
    const QString code = Platform::fileNamePart(applet.classFile);

    QString text = QStringLiteral("<applet code=\"") + code + QStringLiteral("\" ");
    if (!codeBase.isEmpty())
        text += QStringLiteral("codebase=\"") + codeBase + QStringLiteral("\" ") + crlf;
    text += QStringLiteral("height=\"") + applet.height + QStringLiteral("\" width=\"") + applet.width
            + QStringLiteral("\">") + crlf;
    if (!applet.paramName.isEmpty() && !applet.paramValue.isEmpty())
        text += QStringLiteral("<param name=\"") + applet.paramName + QStringLiteral("\" value=") + applet.paramValue
                + u'>' + crlf;
    if (!applet.text.isEmpty())
        text += joined(applet.text) + crlf;
    return text + QStringLiteral("</applet>");
}

QString xmlIsland(const QString &id, const QString &url, const QStringList &source)
{
    const QString name = id.trimmed();
    const QString address = url.trimmed();
    if (name.isEmpty())
        return {};
    QString text = QStringLiteral("<xml id=\"") + name + u'"';
    text += address.isEmpty() ? QStringLiteral(">") : QStringLiteral(" src=\"") + address + QStringLiteral("\">");
    text += crlf;
    if (source.size() > 1)
        text += joined(source) + crlf;
    return text + QStringLiteral("</xml>") + crlf;
}

} // namespace ScriptSkeletons
