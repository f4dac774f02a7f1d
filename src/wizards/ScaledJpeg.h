#pragma once
// Reading JPEG pictures for thumbnails: the size from the header alone, and
// decoding at the DCT scale that still covers a wanted size, which spares
// most of the work on large photographs. Failures throw Platform::PemoError
// in French, naming the file.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace ScaledJpeg {

QSize size(const QByteArray &data, const QString &name);

// The smallest scale n/8 (n = 1 ... 8) at which both sides of the decoded
// picture are at least those of cover; the full size when none is.
QImage decode(const QByteArray &data, const QString &name, QSize cover = QSize());

} // namespace ScaledJpeg
