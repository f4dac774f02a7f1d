#pragma once
// JPEG pictures through libjpeg: the size from the header, decoding at a
// DCT scale chosen to cover a wanted size, and encoding with the library's
// default settings (quality 75). Failures throw Platform::PemoError in
// French, naming the file.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace JpegCodec {

QSize size(const QByteArray &data, const QString &name);

// The smallest scale n/8 (n = 1 ... 8) at which both sides of the decoded
// picture are at least those of cover; the full size when none is.
QImage decode(const QByteArray &data, const QString &name, QSize cover = QSize());

QByteArray encode(const QImage &picture, const QString &name);

} // namespace JpegCodec
