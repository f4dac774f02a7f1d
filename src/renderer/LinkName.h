#pragma once
// Link targets as the preview hands them to the document window, and the
// pieces of page text the preview builds around the source. No widgets here.
#include <QString>
#include <QStringList>

namespace LinkName {

// A link target turned into a full file name: blanks and control characters
// around it go; a target holding "/" loses its leading "file://" form, its
// "|" becomes ":" and its "/" the path separator; a name that is still
// relative is completed against the given folder (the current directory
// when empty).
QString expand(const QString &target, const QString &baseFolder = QString());

// The extension of a target, from its last dot, in upper case ("" without a dot).
QString upperExtension(const QString &name);

// The part of a target before its "#", and the anchor after it ("" without one).
QString withoutAnchor(const QString &target);
QString anchorOf(const QString &target);

enum class FollowKind {
    Anchor,  // "#name": scroll within the shown page
    Page,    // .HTM / .HTML
    Picture, // .BMP .GIF .JPG .JPEG .PNG
    Script,  // "javascript:" runs in the shown page
    Scheme,  // web, mail and other addresses: handed to the desktop
    File,    // any other local file
};
// What the preview does with a target that the document window left to it.
FollowKind followKind(const QString &target);

} // namespace LinkName

namespace PageText {

// The page handed to the engine: the lines joined by line feeds.
QString join(const QStringList &lines);

// Size of the data address the engine would build for this UTF-8 text.
qsizetype dataUrlSize(const QByteArray &utf8);

// The same page with a <base> pointing at folderUrl, placed after a leading
// doctype so that the rendering mode does not change.
QString withBase(const QString &html, const QString &folderUrl);
// The pieces of withBase: the tag, and where in the page it goes.
QString baseTag(const QString &folderUrl);
qsizetype baseInsertion(const QString &html);

} // namespace PageText
