#pragma once
// Reading and writing page files. Pages are Windows-1252 text by default;
// a character that Windows-1252 cannot hold is written as a numeric
// character reference so that saving never loses text. A file that is valid
// UTF-8 with non-ASCII bytes, or starts with a byte-order mark, is read as
// UTF-8 and written back the same way. A page that names its character set
// (UTF-8 or Windows-1252) is read and written in it. A UTF-16 or UTF-32
// file (with or without a byte-order mark) is read and written back in its
// own form. A file that is no text at all (a picture, NUL bytes) is refused
// rather than read as Windows-1252 and damaged by the next save.
// Reading accepts any line-break style; writing uses the file's own (the most
// frequent one) and keeps a final line break only where there was one. A new
// page has CR LF and a final break.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>

namespace PageFile {

enum class Encoding {
    Windows1252,
    Utf8,
    Utf8Bom,
    Utf16Le,
    Utf16LeBom,
    Utf16Be,
    Utf16BeBom,
    Utf32Le,
    Utf32LeBom,
    Utf32Be,
    Utf32BeBom,
};
// UTF-16 and UTF-32: the page keeps them whatever its head declares.
bool isWide(Encoding encoding);

enum class LineBreak { CrLf, Lf, Cr };

struct Breaks {
    LineBreak style = LineBreak::CrLf;
    bool final = true; // the last line ends with a break
    bool operator==(const Breaks &) const = default;
};

struct Page {
    QStringList lines;
    Encoding encoding = Encoding::Windows1252;
    Breaks breaks;
    // False for bytes that are no text in any form the program reads
    // (pictures, NUL bytes outside UTF-16 and UTF-32): lines are then empty.
    bool text = true;
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
// The style met most often (CR LF first on a tie, and when there is none)
// and whether the text ends with a break.
Breaks breaksOf(QStringView text);
Page decode(const QByteArray &bytes);
QByteArray encode(const QStringList &lines, Encoding encoding, Breaks breaks = {});

// The same page as one string, which is how the page model takes and gives
// its text: the lines, each followed by LF, the last one perhaps without.
// A big page is never cut into a list of lines on its way to or from disk.
struct Text {
    QString text;
    Encoding encoding = Encoding::Windows1252;
    Breaks breaks;
    bool isText = true; // as Page::text
};
Text decodeText(const QByteArray &bytes);
// Lines and text, both ways; a final LF adds no line.
QStringList linesOf(QStringView text);
QString textOf(const QStringList &lines);
// Writes text (LF-separated lines) with the file's breaks: the bytes are the
// ones encode() gives for its lines.
QByteArray encodeText(QStringView text, Encoding encoding, Breaks breaks = {});
// saveEncoding() for a page held as text.
Encoding saveEncodingOfText(QStringView text, Encoding opened);

// A text in another form than LF-separated lines: `lineBreak` stands for
// each LF, and `standIn`, when not 0, for the character `standsFor` (the
// form in which the page model keeps its text).
struct TextForm {
    char16_t lineBreak = u'\n';
    char16_t standIn = 0;
    char16_t standsFor = 0;
};
// encodeText() and saveEncodingOfText() of the same text held in `form`,
// without converting it first: the bytes are the same. Big texts are
// encoded in two halves at once.
QByteArray encodeText(QStringView text, const TextForm &form, Encoding encoding, Breaks breaks = {});
// The same bytes in pieces of about a megabyte, for SafeSave to write while
// the next one is made. The text must outlive the function.
std::function<bool(QByteArray &piece)> encodedPieces(QStringView text, const TextForm &form, Encoding encoding,
                                                     Breaks breaks = {});
Encoding saveEncodingOfText(QStringView text, const TextForm &form, Encoding opened);

// Throw Platform::PemoError with a French message naming the file, also
// for a file that is no text. rawBytes, when given, receives the file's
// bytes as read.
Page read(const QString &path, QByteArray *rawBytes = nullptr);
Text readText(const QString &path, QByteArray *rawBytes = nullptr);
// Reads and decodes the file at path on a thread of its own, while the
// program does something else (makes its windows at start). The next
// readText() of that file takes what was read, if the file has not changed
// since; otherwise, or if the reading failed, it reads the file itself, and
// its failure is told as always. forgetReadAheads() drops those not taken.
void readAhead(const QString &path);
void forgetReadAheads();
// Through SafeSave: the old file stays intact when anything fails, and keeps
// its owner, rights and links. Returns the bytes written.
QByteArray write(const QString &path, const QStringList &lines, Encoding encoding, Breaks breaks = {});
QByteArray writeText(const QString &path, QStringView text, Encoding encoding, Breaks breaks = {});
QByteArray writeText(const QString &path, QStringView text, const TextForm &form, Encoding encoding,
                     Breaks breaks = {});

} // namespace PageFile
