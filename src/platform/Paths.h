#pragma once
// Path helpers that read both "\" and "/" as separators and understand drive
// letters, so that pages written on either system keep working.
#include <QString>

namespace Platform {

bool isSeparator(QChar c);
// Everything up to and including the last separator ("" when there is none).
QString folderPart(const QString &path);
// Everything after the last separator.
QString fileNamePart(const QString &path);
// The native separator the program writes after folders ("/" on Linux).
QString separator();
// The current directory followed by a separator.
QString currentDirWithSeparator();

// A file's path made relative to a base folder: the full path when the
// drives differ, otherwise "../" once for each folder of the base left after
// the common leading folders, then the rest of the file's path. Drive letters
// and folder names are compared without regard to case.
QString relativePath(const QString &file, const QString &baseFolder);

// True when the file exists and cannot be written (its read-only attribute).
bool isReadOnlyFile(const QString &path);

} // namespace Platform
