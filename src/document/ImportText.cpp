#include "ImportText.h"

#include "dialogs/HtmlEntity.h"
#include "document/TextTransforms.h"
#include "platform/Errors.h"
#include "rtf2html/RtfToHtml.h"

#include <QFile>

namespace ImportText {

bool isHtmlPath(const QString &path)
{
    return path.toLower().contains(QLatin1String(".htm"));
}

QString fromLines(const QStringList &lines, bool html)
{
    QString joined;
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 6;
    joined.reserve(size);
    for (const QString &line : lines) {
        joined += line;
        if (!html)
            joined += u"<br>";
        joined += u"\r\n";
    }
    if (html || joined.isEmpty())
        return joined;

    // The last character is the final line feed: it is never an accent.
    QString out;
    out.reserve(joined.size() + joined.size() / 8);
    const qsizetype last = joined.size() - 1;
    for (qsizetype i = 0; i < last; ++i) {
        const QChar c = joined.at(i);
        const QStringView entity = HtmlEntity::accent(c);
        if (entity.isEmpty())
            out += c;
        else
            out += entity;
    }
    out += joined.at(last);
    return out;
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Platform::PemoError(QStringLiteral("Impossible d'ouvrir le fichier %1.\n%2")
                                      .arg(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Platform::PemoError(QStringLiteral("Erreur de lecture du fichier %1.\n%2")
                                      .arg(path, file.errorString()));
    return bytes;
}

QString rtfFileToHtml(const QString &path, PageFile::Encoding page)
{
    return Rtf2Html::convert(readBytes(path), page == PageFile::Encoding::Windows1252
                                                  ? Rtf2Html::PageCharset::Windows1252
                                                  : Rtf2Html::PageCharset::Unicode);
}

} // namespace ImportText
