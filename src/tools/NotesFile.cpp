#include "NotesFile.h"

#include "platform/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace Tools {

namespace {
// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five unused
// codes keep their C1 value.
QString decodeWindows1252(const QByteArray &bytes)
{
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char b : bytes) {
        const uchar c = uchar(b);
        *out++ = (c >= 0x80 && c <= 0x9F) ? QChar(high[c - 0x80]) : QChar(c);
    }
    return text;
}
} // namespace

QString decodeNotes(const QByteArray &bytes)
{
    QByteArray body = bytes;
    QString text;
    if (body.startsWith("\xEF\xBB\xBF")) {
        text = QString::fromUtf8(body.mid(3));
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8(body);
        if (utf8.hasError())
            text = decodeWindows1252(body);
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QByteArray encodeNotes(const QString &text)
{
    QString withBreaks = text;
    withBreaks.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    withBreaks.replace(u'\r', u'\n');
    withBreaks.replace(u'\n', QStringLiteral("\r\n"));
    return withBreaks.toUtf8();
}

QString loadNotes(const QString &path)
{
    if (!QFileInfo::exists(path))
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Platform::PemoError(QStringLiteral("Impossible d'ouvrir le bloc-notes %1.\n%2")
                                      .arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Platform::PemoError(QStringLiteral("Erreur de lecture du bloc-notes %1.\n%2")
                                      .arg(path, file.errorString()));
    return decodeNotes(bytes);
}

void saveNotes(const QString &path, const QString &text)
{
    QSaveFile file(path);
    const QByteArray bytes = encodeNotes(text);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Platform::PemoError(QStringLiteral("Impossible d'enregistrer le bloc-notes dans le fichier %1.\n%2")
                                      .arg(path, file.errorString()));
}

} // namespace Tools
