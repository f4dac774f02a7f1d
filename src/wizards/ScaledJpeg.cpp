#include "ScaledJpeg.h"

#include "images/JpegCodec.h"
#include "platform/Errors.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace ScaledJpeg {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to the call that set the jump buffer.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr info)
{
    auto *manager = reinterpret_cast<ErrorManager *>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void silentOutput(j_common_ptr) {}

[[noreturn]] void fail(const QString &name, const char *reason)
{
    throw Platform::PemoError(QStringLiteral("Impossible de lire l'image %1.\n%2")
                                  .arg(name, QString::fromLocal8Bit(reason)));
}

// Plain data the decoder fills between setjmp and a possible longjmp; no
// object with a destructor lives across the jump.
struct DecodeJob {
    const QByteArray *data = nullptr;
    QSize cover;
    bool headerOnly = false;
    QSize full;
    QImage *picture = nullptr;
};

bool runDecoder(DecodeJob &job, ErrorManager &err)
{
    jpeg_decompress_struct info;
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.output_message = silentOutput;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(job.data->constData()),
                 static_cast<unsigned long>(job.data->size()));
    jpeg_read_header(&info, TRUE);
    job.full = QSize(int(info.image_width), int(info.image_height));
    if (job.headerOnly) {
        jpeg_destroy_decompress(&info);
        return true;
    }
    const bool colour = info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB
        || info.jpeg_color_space == JCS_GRAYSCALE;
    if (!colour) {
        // Four-channel pictures are left to the general reader.
        jpeg_destroy_decompress(&info);
        return true;
    }
    info.out_color_space = JCS_EXT_BGRX; // QImage::Format_RGB32 in memory
    info.scale_denom = 8;
    info.scale_num = 8;
    if (job.cover.isValid()) {
        for (unsigned n = 1; n <= 8; ++n) {
            info.scale_num = n;
            jpeg_calc_output_dimensions(&info);
            if (int(info.output_width) >= job.cover.width() && int(info.output_height) >= job.cover.height())
                break;
        }
    }
    jpeg_start_decompress(&info);
    *job.picture = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
    if (job.picture->isNull())
        std::longjmp(err.jump, 1);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = job.picture->scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

QSize size(const QByteArray &data, const QString &name)
{
    ErrorManager err{};
    DecodeJob job;
    job.data = &data;
    job.headerOnly = true;
    if (!runDecoder(job, err))
        fail(name, err.message);
    return job.full;
}

QImage decode(const QByteArray &data, const QString &name, QSize cover)
{
    ErrorManager err{};
    QImage picture;
    DecodeJob job;
    job.data = &data;
    job.cover = cover;
    job.picture = &picture;
    if (!runDecoder(job, err))
        fail(name, err.message[0] ? err.message : "Image trop grande");
    if (picture.isNull())
        picture = JpegCodec::decode(data, name); // four-channel pictures

    return picture;
}

} // namespace ScaledJpeg
