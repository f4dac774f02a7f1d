#pragma once
// Replacing what a file holds without ever leaving it half written, and
// without changing anything else about it.
//
// The usual way is a new file beside the old one, renamed over it once it
// is complete; it gets the old file's rights, owner and group first. That
// way would break what the user set up when the file has other names (hard
// links: they would keep the old text), when its owner or group cannot be
// given back to the new file (someone else's file the user may write), or
// when the folder takes no new file (a file the user may write in a folder
// he may not). Then the file is written in place: the space is reserved
// before the first byte changes, and the old bytes, kept aside, are put
// back if writing still fails.
//
// A path that names a device or a named pipe is written into; a socket or
// a folder is refused. Neither is ever replaced by a regular file.
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace SafeSave {

enum class Method { Renamed, InPlace, IntoDevice };

// Throws Platform::PemoError with a French text naming the file; the file
// then holds what it held before.
Method replaceContents(const QString &path, const QByteArray &bytes);
// The same for content given in pieces, for a file too big to be held
// whole beside the text it comes from: next() appends the next piece to
// its (empty) argument and answers false after the last one. A piece is
// written while the next one is made. In the ways that write the file in
// place, the pieces are put together first.
using Pieces = std::function<bool(QByteArray &piece)>;
Method replaceContents(const QString &path, const Pieces &next);

// The whole file; nothing, with errno set, when it cannot be read.
std::optional<QByteArray> readContents(const QString &path);

// Both name one existing file (through links, hard links or another path).
bool sameFile(const QString &a, const QString &b);

// The bytes of a path for the system. A name that is not valid UTF-8 can
// only reach the program through its command line; the bytes that are not
// UTF-8 are carried as U+DC80 to U+DCFF (one lone surrogate per byte) so
// that such a file is read and written under its own name.
QByteArray nativePath(const QString &path);
QString fromNativePath(const QByteArray &bytes);

} // namespace SafeSave
