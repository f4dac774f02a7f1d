#include "IconCache.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>

IconCache::IconCache() { reset(); }

void IconCache::reset()
{
    m_keys = {QStringLiteral("wqz"), QStringLiteral(".")};
    m_icons = {QIcon(QPixmap::fromImage(FileIcons::genericImage())),
               QIcon(QPixmap::fromImage(FileIcons::parentFolderImage()))};
}

int IconCache::add(const QString &key, const QImage &image)
{
    m_keys << key;
    m_icons << QIcon(QPixmap::fromImage(image));
    return count() - 1;
}

void IconCache::trimIfFull()
{
    if (count() > MaxKeys)
        reset();
}

const QIcon &IconCache::iconFor(const QString &key, const std::function<QImage()> &lookup)
{
    int at = indexOf(key);
    if (at < 0) {
        const QImage image = lookup();
        if (image.isNull())
            return m_icons.at(0);
        at = add(key, image);
    }
    return m_icons.at(at);
}

namespace FileIcons {

namespace {

QIcon themeIcon(const QMimeType &type)
{
    if (!type.isValid() || type.isDefault())
        return QIcon();
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    return icon;
}

} // namespace

QImage scaleDown(const QImage &image, const QSize &size)
{
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage smallIcon(const QIcon &icon)
{
    if (icon.isNull())
        return QImage();
    QImage big(32, 32, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter painter(&big);
        icon.paint(&painter, QRect(1, 1, 30, 30));
    }
    return scaleDown(big, QSize(16, 16));
}

QImage localFileIcon(const QFileInfo &info)
{
    static const QMimeDatabase mimes;
    return smallIcon(themeIcon(mimes.mimeTypeForFile(info)));
}

QImage typeIcon(const QString &extension)
{
    static const QMimeDatabase mimes;
    if (extension.isEmpty())
        return QImage();
    return smallIcon(themeIcon(mimes.mimeTypeForFile(QStringLiteral("x.") + extension, QMimeDatabase::MatchExtension)));
}

QImage genericImage()
{
    // A plain folder: remote names of no known type are mostly folders.
    QImage image = smallIcon(QIcon::fromTheme(QStringLiteral("folder")));
    if (!image.isNull())
        return image;
    image = QImage(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QColor(0x80, 0x60, 0x00));
    painter.setBrush(QColor(0xF0, 0xC8, 0x50));
    painter.drawRect(1, 4, 13, 9);
    painter.drawRect(1, 2, 5, 2);
    return image;
}

QImage parentFolderImage()
{
    QImage image = genericImage();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(8, 5);
    arrow.lineTo(12, 10);
    arrow.lineTo(4, 10);
    arrow.closeSubpath();
    painter.fillPath(arrow, QColor(0x20, 0x40, 0xA0));
    return image;
}

} // namespace FileIcons
