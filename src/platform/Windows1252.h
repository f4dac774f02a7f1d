#pragma once
// The Windows-1252 code page, the program's default 8-bit character set for
// pages and the character set of imported RTF text.
#include <QChar>

namespace Platform {

// 0x80..0x9F; the rest of the code page is Latin-1. The five bytes that the
// code page leaves unassigned map to the C1 control of the same value, so
// that every byte round-trips.
extern const char16_t windows1252High[32];

// Inline: decoders call it once per byte of large files.
inline QChar fromWindows1252(unsigned char b)
{
    return (b >= 0x80 && b < 0xA0) ? QChar(windows1252High[b - 0x80]) : QChar(b);
}

// The byte for a character, or -1 when the code page has none.
int toWindows1252(char32_t c);

} // namespace Platform
