#include "PageStats.h"
#include "platform/AsciiCase.h"

#include "document/PageCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace PageStats {

Stats compute(const QStringList &lines, const FileSizer &sizeOf, PageFile::Encoding encoding,
              PageFile::Breaks breaks)
{
    Stats s;
    s.lines = int(lines.size());
    // One encoding of the whole page: the same bytes as a save, whatever the
    // encoding (byte-order marks, wide forms, references) and line breaks.
    s.fileBytes = PageFile::encode(lines, encoding, breaks).size();
    QHash<QString, qint64> sizes;
    const auto sizeFor = [&](const QString &name) {
        auto it = sizes.constFind(name);
        if (it == sizes.constEnd())
            it = sizes.insert(name, sizeOf ? sizeOf(name) : -1);
        return *it;
    };

    for (qsizetype l = 0; l < lines.size(); ++l) {
        const QString &line = lines.at(l);
        s.characters += line.size();
        if (line.indexOf(u'<') < 0)
            continue;
        // Searches run on the upper-cased copy; file names are read from the
        // line as written, since names on disk keep their case.
        const QString upper = Ascii::upper(line);

        if (upper.contains(u"<IMG")) {
            ++s.images;
            const QString *srcLine = &line;
            qsizetype src = upper.indexOf(u"SRC");
            if (src < 0 && l + 1 < lines.size()) {
                srcLine = &lines.at(l + 1);
                src = Ascii::upper(*srcLine).indexOf(u"SRC");
            }
            if (src >= 0) {
                // After the text SRC=" up to the next double quote.
                const qsizetype start = src + 5;
                const qsizetype quote = start <= srcLine->size() ? srcLine->indexOf(u'"', start) : -1;
                const QString name = quote < 0 ? QString() : srcLine->mid(start, quote - start);
                const qint64 size = sizeFor(name);
                if (size < 0)
                    ++s.imagesNotFound;
                else
                    s.imageBytes += size;
            }
        }

        const qsizetype anchor = upper.indexOf(u"<A");
        if (anchor >= 0) {
            const QStringView after = QStringView(upper).mid(anchor + 2);
            const qsizetype href = after.indexOf(u"HREF=");
            if (href >= 0) {
                // The four characters after the text HREF=".
                if (after.mid(qMin(after.size(), href + 6)).startsWith(u"HTTP"))
                    ++s.distantLinks;
                else
                    ++s.localLinks;
                if (after.contains(u"MAILTO:"))
                    ++s.mailboxLinks;
            }
        }
    }
    return s;
}

QStringList report(const Stats &s)
{
    const QString blank = QStringLiteral(" ");
    const qint64 size = s.pageSize();
    QStringList out;
    out << QStringLiteral("Nombre de lignes : %1").arg(s.lines)
        << QStringLiteral("Nombre de caractères : %1").arg(s.characters)
        << QStringLiteral("Nombre d'images : %1").arg(s.images)
        << blank
        << QStringLiteral("Nombre de liens locaux : %1").arg(s.localLinks)
        << QStringLiteral("Nombre de liens distants : %1").arg(s.distantLinks)
        << QStringLiteral("Nombre de liens mailbox : %1").arg(s.mailboxLinks)
        << blank
        << QStringLiteral("Taille totale de la page : %1 octets").arg(size);
    if (s.imagesNotFound > 0)
        out << QStringLiteral("Images non trouvées : %1").arg(s.imagesNotFound);
    // A modem's speed in bits per second over ten: bytes per second.
    out << blank
        << QStringLiteral("Temps de transfert minimum à 28800 : %1 sec").arg(size / 2880)
        << QStringLiteral("Temps de transfert minimum à 33600 : %1 sec").arg(size / 3360)
        << QStringLiteral("Temps de transfert minimum à 56000 : %1 sec").arg(size / 5600);
    return out;
}

qint64 pictureFileSize(const QString &folder, const QString &name)
{
    if (name.isEmpty())
        return -1;
    QString path = name;
    path.replace(u'\\', u'/');
    if (QDir::isRelativePath(path))
        path = folder + path;
    if (QFileInfo(path).isDir())
        return -1;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.size();
}

} // namespace PageStats
