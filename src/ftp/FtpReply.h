#pragma once
// Framing of the control connection: bytes in, reply lines out, and the
// reading of a reply line's code. Knows nothing of requests or states.
#include <QByteArray>
#include <QString>

namespace FtpReply {

// Cuts the byte stream of the control connection into lines.
class LineReader
{
public:
    // Longest line kept; the rest of a longer line is dropped up to its end,
    // so a server that never sends a line break cannot grow memory for ever.
    static constexpr qsizetype MaxLine = 64 * 1024;

    void setAcceptLF(bool on) { FAcceptLF = on; }
    bool acceptLF() const { return FAcceptLF; }

    void append(const QByteArray &bytes);
    // Takes the next complete line, without its trailing CR and LF
    // characters. False while no complete line is buffered.
    bool takeLine(QString &line);
    void clear();
    qsizetype buffered() const { return FBuffer.size(); }

private:
    QByteArray FBuffer;
    qsizetype FScanned = 0;     // bytes of FBuffer already searched for a line end
    bool FDiscarding = false;   // inside the dropped tail of an overlong line
    bool FDiscardCR = false;    // the dropped tail so far ends with CR
    bool FAcceptLF = true;
};

// The code of a reply line: the run of decimal digits at its start, after
// blanks and an optional sign. Codes beyond three digits read as 999, which no
// command accepts.
int code(const QString &line);
// A final line starts with a digit and its code is not followed by "-".
bool isFinal(const QString &line);
// Text between the first pair of double quotes, "" standing for one quote.
QString quotedName(const QString &line);
// The number after the reply code ("213 1234" gives 1234), -1 when none.
qint64 numberAfterCode(const QString &line);
// Port of a 227 reply: fifth * 256 + sixth number inside the parentheses,
// -1 when the reply does not hold six numbers.
int passivePort(const QString &reply);
// Decodes bytes of the control connection: UTF-8 when valid, else Latin-1.
QString decode(const QByteArray &bytes);
bool isUtf8(const QByteArray &bytes);
// Names on servers that do not speak UTF-8 are taken as Windows-1252, the
// usual 8-bit encoding of western systems. The five bytes it leaves
// undefined read as the control characters of the same value.
QString decodeWindows1252(const QByteArray &bytes);
// False when a character has no Windows-1252 form; out is then undefined.
bool encodeWindows1252(const QString &text, QByteArray &out);

} // namespace FtpReply
