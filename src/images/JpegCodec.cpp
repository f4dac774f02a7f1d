#include "JpegCodec.h"

#include "platform/Errors.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace JpegCodec {

namespace {

// Larger pictures than this are refused rather than exhausting memory.
constexpr qint64 MaxPixels = 200LL * 1000 * 1000;

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to the setjmp of the routine that called the library. The
// routines below keep only plain data in their own frames, and the picture
// they fill lives in the caller's.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void errorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(cinfo->err)->jump, 1);
}

void quietMessage(j_common_ptr) {}

enum class DecodeResult { Ok, Broken, TooLarge };

DecodeResult decodeInto(const QByteArray &bytes, QImage &out)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.output_message = quietMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return DecodeResult::Broken;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(bytes.constData()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (qint64(cinfo.image_width) * qint64(cinfo.image_height) > MaxPixels || cinfo.image_width == 0
        || cinfo.image_height == 0) {
        jpeg_destroy_decompress(&cinfo);
        return DecodeResult::TooLarge;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    out = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
    if (out.isNull()) {
        jpeg_destroy_decompress(&cinfo);
        return DecodeResult::TooLarge;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    if (cmyk) {
        // Pictures in CMYK are stored inverted (as written by most programs).
        for (int y = 0; y < out.height(); ++y) {
            uchar *p = out.scanLine(y);
            auto *px = reinterpret_cast<QRgb *>(p);
            for (int x = 0; x < out.width(); ++x) {
                const int c = p[4 * x], m = p[4 * x + 1], ye = p[4 * x + 2], k = p[4 * x + 3];
                px[x] = qRgb(c * k / 255, m * k / 255, ye * k / 255);
            }
        }
    }
    return DecodeResult::Ok;
}

bool encodeInto(const QImage &rgb, int quality, QByteArray &out)
{
    jpeg_compress_struct cinfo;
    ErrorManager err;
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.output_message = quietMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(rgb.width());
    cinfo.image_height = JDIMENSION(rgb.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, std::clamp(quality, 1, 100), TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<uchar *>(rgb.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    out = QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(size));
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return true;
}

} // namespace

QImage decode(const QByteArray &bytes, const QString &name)
{
    QImage out;
    switch (decodeInto(bytes, out)) {
    case DecodeResult::Ok:
        return out;
    case DecodeResult::TooLarge:
        throw Platform::PemoError(QStringLiteral("L'image %1 est trop grande pour être ouverte.").arg(name));
    case DecodeResult::Broken:
        break;
    }
    throw Platform::PemoError(QStringLiteral("Le fichier %1 n'est pas une image JPEG lisible.").arg(name));
}

QImage read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Platform::PemoError(QStringLiteral("Impossible d'ouvrir le fichier %1.\n%2")
                                      .arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Platform::PemoError(QStringLiteral("Erreur de lecture du fichier %1.\n%2")
                                      .arg(path, file.errorString()));
    return decode(bytes, path);
}

QByteArray encode(const QImage &picture, int quality)
{
    if (picture.isNull())
        return {};
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QByteArray out;
    if (!encodeInto(rgb, quality, out))
        return {};
    return out;
}

void save(const QString &path, const QImage &picture, int quality)
{
    const QByteArray bytes = encode(picture, quality);
    if (bytes.isEmpty())
        throw Platform::PemoError(QStringLiteral("Impossible d'enregistrer l'image dans le fichier %1.").arg(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Platform::PemoError(QStringLiteral("Impossible d'enregistrer le fichier %1.\n%2")
                                      .arg(path, file.errorString()));
}

} // namespace JpegCodec
