#pragma once
// The small icons of the transfer window's lists, drawn once per file type.
// Keys (an extension, or a whole name for files whose icon is their own) run
// parallel to the images; the first two images ship with the window: the
// generic one for remote entries of no known type, and the parent folder's.
#include <QIcon>
#include <QImage>
#include <QList>
#include <QStringList>
#include <functional>

class QFileInfo;

class IconCache
{
public:
    // Past this many keys the cache starts afresh, so that a long session
    // through many folders does not keep every icon it ever met.
    static constexpr int MaxKeys = 200;

    IconCache();

    // Keys are kept as given; callers lower-case them.
    int indexOf(const QString &key) const { return m_keys.indexOf(key); }
    int add(const QString &key, const QImage &image);
    const QIcon &icon(int index) const { return m_icons.at(index); }
    int count() const { return int(m_keys.size()); }
    // Back to the two shipped images when more than MaxKeys keys are held.
    void trimIfFull();

    // The icon for a key, looked up through the given lookup and cached; the
    // generic image when the lookup finds nothing.
    const QIcon &iconFor(const QString &key, const std::function<QImage()> &lookup);

private:
    void reset();

    QStringList m_keys;
    QList<QIcon> m_icons;
};

namespace FileIcons {

// The desktop's icon for a local file's type, 16 by 16; a plain page for a
// file of a type the icon theme does not know.
QImage localFileIcon(const QFileInfo &info);
// The icon of the type a remote name's extension stands for; null when the
// extension names no known type.
QImage typeIcon(const QString &extension);
// Draws an icon on a 32 by 32 plain bitmap at (1, 1) and brings it down to
// 16 by 16 with the Hermite filter, which keeps fine lines that a plain
// 16 by 16 rendering of some themes loses.
QImage smallIcon(const QIcon &icon);
// Reduces a picture to the given size with the Hermite filter, keeping its
// transparency.
QImage scaleDown(const QImage &image, const QSize &size);
// The two images shipped with the window.
QImage genericImage();
QImage genericFileImage();
QImage parentFolderImage();

} // namespace FileIcons
