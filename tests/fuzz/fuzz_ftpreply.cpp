// The control connection of an FTP server: bytes cut into reply lines at
// any split, and every line read for its code, its final mark, a quoted
// folder name (257), a number and a passive port (227).
#include "FuzzInput.h"
#include "ftp/FtpReply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses how the stream arrives: its chunk size and
    // whether a bare LF ends a line.
    const size_t chunk = (data[0] & 0x3F) + 1;
    FtpReply::LineReader reader;
    reader.setAcceptLF((data[0] & 0x40) != 0);
    const QByteArray stream = FuzzInput::bytes(data + 1, size - 1);
    QString line;
    for (qsizetype at = 0; at < stream.size(); at += qsizetype(chunk)) {
        reader.append(stream.mid(at, qsizetype(chunk)));
        while (reader.takeLine(line)) {
            if (line.size() > FtpReply::LineReader::MaxLine)
                __builtin_trap();
            const int code = FtpReply::code(line);
            if (code < -999 || code > 999)
                __builtin_trap();
            (void)FtpReply::isFinal(line);
            (void)FtpReply::quotedName(line);
            (void)FtpReply::numberAfterCode(line);
            const int port = FtpReply::passivePort(line);
            if (port < -1)
                __builtin_trap();
        }
        if (reader.buffered() > FtpReply::LineReader::MaxLine + qsizetype(chunk) + 2)
            __builtin_trap();
    }
    (void)FtpReply::decode(stream);
    return 0;
}
