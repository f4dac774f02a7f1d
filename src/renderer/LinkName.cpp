#include "LinkName.h"
#include "platform/AsciiCase.h"

#include <QDir>
#include <QUrl>

namespace LinkName {

namespace {
bool isBlankOrControl(QChar c) { return c.unicode() <= 32; }

bool startsWithDrive(const QString &s)
{
    return s.size() >= 2 && s.at(0).isLetter() && (s.at(1) == u':' || s.at(1) == u'|');
}
} // namespace

QString expand(const QString &target, const QString &baseFolder)
{
    qsizetype b = 0, e = target.size();
    while (b < e && isBlankOrControl(target.at(b)))
        ++b;
    while (e > b && isBlankOrControl(target.at(e - 1)))
        --e;
    QString name = target.mid(b, e - b);

    if (name.contains(u'/')) {
        static const QString three = QStringLiteral("file:///");
        static const QString two = QStringLiteral("file://");
        bool fileUrl = false;
        if (name.startsWith(three, Qt::CaseInsensitive)) {
            // "file:///C|/dir" names a drive; on this system the third slash
            // starts the absolute path and has to stay.
            const QString rest = name.mid(three.size());
            name = startsWithDrive(rest) ? rest : name.mid(two.size());
            fileUrl = true;
        } else if (name.startsWith(two, Qt::CaseInsensitive)) {
            name = name.mid(two.size());
            fileUrl = true;
        }
        // A file address carries its blanks and accents escaped.
        if (fileUrl)
            name = QUrl::fromPercentEncoding(name.toUtf8());
        name.replace(u'|', u':');
        name.replace(u'/', QDir::separator());
    }
    if (QDir::isRelativePath(name))
        name = QDir(baseFolder.isEmpty() ? QDir::currentPath() : baseFolder).filePath(name);
    return QDir::cleanPath(name);
}

QString upperExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot).toUpper();
}

QString withoutAnchor(const QString &target)
{
    const qsizetype hash = target.indexOf(u'#');
    return hash < 0 ? target : target.left(hash);
}

QString anchorOf(const QString &target)
{
    const qsizetype hash = target.indexOf(u'#');
    return hash < 0 ? QString() : target.mid(hash + 1);
}

FollowKind followKind(const QString &target)
{
    const QString t = target.trimmed();
    if (t.startsWith(u'#'))
        return FollowKind::Anchor;
    const qsizetype colon = t.indexOf(u':') + 1;
    const qsizetype file = Ascii::upper(t).indexOf(QLatin1String("FILE:")) + 1;
    if (colon > 2 && file == 0)
        return t.startsWith(QLatin1String("javascript:"), Qt::CaseInsensitive) ? FollowKind::Script
                                                                               : FollowKind::Scheme;
    QString path = withoutAnchor(t);
    const qsizetype query = path.indexOf(u'?');
    if (query >= 0)
        path.truncate(query);
    const QString ext = upperExtension(path);
    if (ext == QLatin1String(".HTM") || ext == QLatin1String(".HTML"))
        return FollowKind::Page;
    static const QStringList pictures = {QStringLiteral(".BMP"), QStringLiteral(".GIF"), QStringLiteral(".JPG"),
                                         QStringLiteral(".JPEG"), QStringLiteral(".PNG")};
    if (pictures.contains(ext))
        return FollowKind::Picture;
    return FollowKind::File;
}

} // namespace LinkName

namespace PageText {

QString join(const QStringList &lines) { return lines.join(u'\n'); }

qsizetype dataUrlSize(const QByteArray &utf8)
{
    // "data:text/html;charset=UTF-8," then every byte that is not unreserved
    // as %XX.
    qsizetype size = 29;
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        const bool unreserved = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
                                || c == '-' || c == '.' || c == '_' || c == '~';
        size += unreserved ? 1 : 3;
    }
    return size;
}

QString baseTag(const QString &folderUrl)
{
    return QStringLiteral("<base href=\"") + folderUrl.toHtmlEscaped() + QStringLiteral("\">");
}

qsizetype baseInsertion(const QString &html)
{
    qsizetype i = 0;
    while (i < html.size() && (html.at(i).isSpace() || html.at(i) == QChar(0xFEFF)))
        ++i;
    if (QStringView(html).mid(i, 9).compare(QLatin1String("<!doctype"), Qt::CaseInsensitive) == 0) {
        const qsizetype close = html.indexOf(u'>', i);
        if (close >= 0)
            return close + 1;
    }
    return 0;
}

QString withBase(const QString &html, const QString &folderUrl)
{
    QString out = html;
    out.insert(baseInsertion(html), baseTag(folderUrl));
    return out;
}

} // namespace PageText
