#pragma once
// What the file system says of a file without reading it: any write, rename
// over it or truncation moves one of these.
#include <QString>
#include <QtGlobal>

struct FileTimes {
    bool exists = false; // a regular file stands at the path
    qint64 size = 0;
    quint64 inode = 0;
    qint64 modified = 0; // nanoseconds
    qint64 changed = 0;  // nanoseconds (the inode's own change)
    bool operator==(const FileTimes &) const = default;

    static FileTimes of(const QString &path);
};
