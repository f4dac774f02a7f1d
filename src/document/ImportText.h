#pragma once
// What the import commands put into the page: the lines of a text or HTML
// file, or the HTML converted from a rich text (RTF) file.
#include "page/PageFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ImportText {

// A file counts as HTML when its full path, in lower case, holds ".htm".
bool isHtmlPath(const QString &path);

// Every line followed by CR LF; a text file's lines also get "<br>" and its
// accented letters become entities (comments included, since a text file
// has none).
QString fromLines(const QStringList &lines, bool html);

// The file's bytes. Throws Platform::PemoError with a French message naming
// the file.
QByteArray readBytes(const QString &path);

// The HTML of an RTF file, for a page saved in the given encoding.
QString rtfFileToHtml(const QString &path, PageFile::Encoding page);

} // namespace ImportText
