#include "ScriptText.h"

namespace ScriptText {

QString jsQuoted(const QString &text, QChar quote)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' || c == quote) {
            out += u'\\';
            out += c;
        } else if (c == u'\n') {
            out += QStringLiteral("\\n");
        } else if (c == u'\r') {
            out += QStringLiteral("\\r");
        } else if (c == u'/' && i > 0 && text.at(i - 1) == u'<'
                   && QStringView(text).mid(i + 1, 6).compare(u"script", Qt::CaseInsensitive) == 0) {
            out += QStringLiteral("\\/");
        } else {
            out += c;
        }
    }
    return out;
}

QString htmlAttribute(const QString &text)
{
    QString out = text;
    out.replace(u'"', QStringLiteral("&quot;"));
    return out;
}

QString unquotedUrl(const QString &path)
{
    QString out;
    out.reserve(path.size());
    for (const QChar c : path) {
        switch (c.unicode()) {
        case ' ': out += QStringLiteral("%20"); break;
        case '"': out += QStringLiteral("%22"); break;
        case '\'': out += QStringLiteral("%27"); break;
        case '<': out += QStringLiteral("%3C"); break;
        case '>': out += QStringLiteral("%3E"); break;
        default: out += c;
        }
    }
    return out;
}

} // namespace ScriptText
