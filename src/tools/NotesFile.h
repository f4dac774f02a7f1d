#pragma once
// The notepad's text file. It is written as UTF-8 with CR LF line breaks;
// reading accepts UTF-8 (with or without byte-order mark) and, for older
// files that are not valid UTF-8, Windows-1252. Any line-break style is read.
#include <QByteArray>
#include <QString>

namespace Tools {

// Text of the notes file; an empty text when the file does not exist.
// Throws Platform::PemoError when the file exists but cannot be read, so the
// caller never overwrites notes it could not load.
QString loadNotes(const QString &path);

// Replaces the file atomically. Throws Platform::PemoError naming the file
// when it cannot be written; the old file is then left as it was.
void saveNotes(const QString &path, const QString &text);

QString decodeNotes(const QByteArray &bytes);
QByteArray encodeNotes(const QString &text);

} // namespace Tools
