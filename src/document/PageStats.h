#pragma once
// Page statistics: lines, characters, images with the size of their files,
// links, and the transfer times that follow from the page's size.
#include "page/PageFile.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace PageStats {

struct Stats {
    int lines = 0;
    qint64 characters = 0;      // line breaks not counted
    qint64 fileBytes = 0;       // the page's file in its encoding, line breaks included
    int images = 0;             // at most one per line
    qint64 imageBytes = 0;
    int imagesNotFound = 0;
    int localLinks = 0;
    int distantLinks = 0;
    int mailboxLinks = 0;

    // What a visitor's browser fetches: the page's file and its pictures.
    qint64 pageSize() const { return fileBytes + imageBytes; }
};

// Size in bytes of the picture a page names (as written in the page), or -1
// when the file cannot be opened.
using FileSizer = std::function<qint64(const QString &name)>;

// Each distinct file name is asked once. The page's file is counted as
// saving writes it: in the given encoding, with the given line breaks.
Stats compute(const QStringList &lines, const FileSizer &sizeOf,
              PageFile::Encoding encoding = PageFile::Encoding::Windows1252, PageFile::Breaks breaks = {});

// The lines of the statistics window, in their order.
QStringList report(const Stats &stats);

// The size of a picture named in a page, relative names taken from the
// page's folder; both "/" and "\" separate folders.
qint64 pictureFileSize(const QString &folder, const QString &name);

} // namespace PageStats
