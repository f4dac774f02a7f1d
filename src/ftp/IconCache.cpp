#include "IconCache.h"

#include "images/Resample.h"

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

// Desktops without an icon theme of their own still carry the common one;
// file types are looked up there when the current theme has no such icon.
void useCommonIconTheme()
{
    static const bool done = [] {
        if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == QLatin1String("hicolor"))
            QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
        return true;
    }();
    Q_UNUSED(done);
}

QIcon themeIcon(const QMimeType &type)
{
    useCommonIconTheme();
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
    // The resampler works on opaque pictures: the colours (premultiplied, so
    // that transparent pixels lend no colour to their neighbours) and the
    // coverage go through it apart and meet again afterwards.
    const QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage colour(source.size(), QImage::Format_RGB32);
    QImage coverage(source.size(), QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        QRgb *c = reinterpret_cast<QRgb *>(colour.scanLine(y));
        QRgb *a = reinterpret_cast<QRgb *>(coverage.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            c[x] = qRgb(qRed(in[x]), qGreen(in[x]), qBlue(in[x]));
            a[x] = qRgb(qAlpha(in[x]), qAlpha(in[x]), qAlpha(in[x]));
        }
    }
    colour = Resample::stretch(colour, size, Resample::Filter::Hermite);
    coverage = Resample::stretch(coverage, size, Resample::Filter::Hermite);
    QImage result(size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size.height(); ++y) {
        const QRgb *c = reinterpret_cast<const QRgb *>(colour.constScanLine(y));
        const QRgb *a = reinterpret_cast<const QRgb *>(coverage.constScanLine(y));
        QRgb *out = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int alpha = qRed(a[x]);
            out[x] = qRgba(qMin(qRed(c[x]), alpha), qMin(qGreen(c[x]), alpha), qMin(qBlue(c[x]), alpha), alpha);
        }
    }
    return result;
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
    const QImage image = smallIcon(themeIcon(mimes.mimeTypeForFile(info)));
    if (!image.isNull() || info.isDir())
        return image;
    return genericFileImage();
}

QImage genericFileImage()
{
    useCommonIconTheme();
    QImage image = smallIcon(QIcon::fromTheme(QStringLiteral("text-x-generic")));
    if (!image.isNull())
        return image;
    image = QImage(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QColor(0x60, 0x60, 0x60));
    painter.setBrush(Qt::white);
    painter.drawRect(3, 1, 10, 13);
    return image;
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
    useCommonIconTheme();
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
