#pragma once
// Deleting local files and folder trees for the transfer window, without
// widgets: the read-only question and the progress are asked of the caller.
#include <QString>
#include <QStringList>
#include <functional>

namespace LocalFiles {

// Empties a folder tree: every file, hidden and read-only ones too, loses its
// protection and goes; every sub-folder is emptied the same way and removed.
// Links are removed, never followed. Returns false when anything stayed.
bool delTree(const QString &folder);

// Asked before a read-only file goes; true deletes it anyway.
using ReadOnlyQuestion = std::function<bool(const QString &path)>;
// Called after each name, so that the window can keep its events flowing.
using AfterEach = std::function<void(int done)>;

// Deletes the named entries of a folder: files (a read-only one only when
// the question says so), links, and folders with their whole tree. A name
// that is not there is skipped. Returns the names that could not be deleted
// (the refused read-only files are not among them).
QStringList deleteEntries(const QString &folder, const QStringList &names,
                          const ReadOnlyQuestion &confirmReadOnly, const AfterEach &afterEach = {});

} // namespace LocalFiles
