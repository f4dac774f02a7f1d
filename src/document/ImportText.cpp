#include "ImportText.h"

#include "dialogs/HtmlEntity.h"
#include "document/TextTransforms.h"
#include "platform/Errors.h"
#include "rtf2html/RtfToHtml.h"

#include <QFile>

#include <cerrno>

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
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const int err = errno;
        throw Platform::PemoError(QStringLiteral("Impossible d'ouvrir le fichier %1.\n%2")
                                      .arg(path, Platform::fileFailureReason(path, err, file.errorString(), false)));
    }
    errno = 0;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        const int err = errno;
        throw Platform::PemoError(QStringLiteral("Erreur de lecture du fichier %1.\n%2")
                                      .arg(path, Platform::fileFailureReason(path, err, file.errorString(), false)));
    }
    return bytes;
}

QString rtfFileToHtml(const QString &path, PageFile::Encoding page)
{
    const QByteArray bytes = readBytes(path);
    // Anything else would be converted character by character into a page
    // of junk.
    if (!Rtf2Html::isRtf(bytes))
        throw Platform::PemoError(
            QStringLiteral("Le fichier %1 n'est pas un fichier RTF (texte enrichi) : il n'a pas été importé.").arg(path));
    return Rtf2Html::convert(bytes, page == PageFile::Encoding::Windows1252
                                                  ? Rtf2Html::PageCharset::Windows1252
                                                  : Rtf2Html::PageCharset::Unicode);
}

} // namespace ImportText
