#pragma once
// Reading and writing page files. Pages are Windows-1252 text by default;
// a character that Windows-1252 cannot hold is written as a numeric
// character reference so that saving never loses text. A file that is valid
// UTF-8 with non-ASCII bytes, or starts with a byte-order mark, is read as
// UTF-8 and written back the same way. A page that names its character set
// (UTF-8 or Windows-1252) is read and written in it. Every line is written followed by
// CR LF; reading accepts any line-break style.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace PageFile {

enum class Encoding { Windows1252, Utf8, Utf8Bom };

struct Page {
    QStringList lines;
    Encoding encoding = Encoding::Windows1252;
};

QString decodeWindows1252(const QByteArray &bytes);
// Characters outside Windows-1252 become "&#NNNN;".
QByteArray encodeWindows1252(const QString &text);
bool isValidUtf8(const QByteArray &bytes);

// The character set a page names in a meta element of its head, either
// "<meta charset=...>" or "content=\"text/html; charset=...\"": UTF-8, or
// Windows-1252 for "windows-1252" and "iso-8859-1" (which browsers read as
// Windows-1252). Empty when the page names none, or another one.
std::optional<Encoding> declaredEncoding(QStringView text);
std::optional<Encoding> declaredEncoding(const QStringList &lines);
// The encoding a page is written in: the one it names, else the one it was
// read in. A byte-order mark stays on a page that names UTF-8.
Encoding saveEncoding(const QStringList &lines, Encoding opened);

// Splits at CR LF, lone CR and lone LF; a final line break adds no line.
QStringList splitLines(const QString &text);
Page decode(const QByteArray &bytes);
QByteArray encode(const QStringList &lines, Encoding encoding);

// Throw Platform::PemoError with a French message naming the file.
// rawBytes, when given, receives the file's bytes as read.
Page read(const QString &path, QByteArray *rawBytes = nullptr);
// Atomic: the old file stays intact when anything fails. Returns the bytes
// written.
QByteArray write(const QString &path, const QStringList &lines, Encoding encoding);

} // namespace PageFile
