#pragma once
// JPEG pictures through libjpeg.
//
//   QImage picture = JpegCodec::read(path);       // throws Platform::PemoError
//   JpegCodec::save(path, picture, 75);           // quality 1..100; atomic; throws
//   QByteArray bytes = JpegCodec::encode(picture); // default quality 75
#include <QByteArray>
#include <QImage>
#include <QString>

namespace JpegCodec {

constexpr int DefaultQuality = 75;

// An RGB32 picture. Errors name the file in French.
QImage read(const QString &path);
QImage decode(const QByteArray &bytes, const QString &name);

// Empty when the picture is null or the encoder fails.
QByteArray encode(const QImage &picture, int quality = DefaultQuality);
// Writes through a temporary file so a failed write leaves any old file intact.
void save(const QString &path, const QImage &picture, int quality = DefaultQuality);

} // namespace JpegCodec
