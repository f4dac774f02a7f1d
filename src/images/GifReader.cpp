#include "GifReader.h"

#include "platform/Errors.h"

#include <QFile>
#include <QRect>
#include <algorithm>
#include <cstring>
#include <memory>
#include <gif_lib.h>
#include <vector>

namespace GifReader {

namespace {

// Every frame is kept whole, screen-sized, in 32 bits a pixel, and a file
// of a few bytes can declare any screen. Pictures for web pages stay far
// below these bounds; beyond them the file is refused before anything is
// allocated for it.
constexpr qint64 MaxScreenPixels = 16LL * 1024 * 1024;   // 64 MB a frame
constexpr qint64 MaxTotalPixels = 32LL * 1024 * 1024;    // 128 MB for all frames

struct Source {
    const QByteArray *bytes;
    qsizetype at = 0;
};

int readBytes(GifFileType *gif, GifByteType *buffer, int wanted)
{
    auto *src = static_cast<Source *>(gif->UserData);
    const qsizetype n = std::min<qsizetype>(wanted, src->bytes->size() - src->at);
    if (n <= 0)
        return 0;
    std::memcpy(buffer, src->bytes->constData() + src->at, size_t(n));
    src->at += n;
    return int(n);
}

QString reason(int code)
{
    switch (code) {
    case D_GIF_ERR_NOT_GIF_FILE:
        return QStringLiteral("ce n'est pas un fichier GIF");
    case D_GIF_ERR_READ_FAILED:
    case D_GIF_ERR_EOF_TOO_SOON:
    case D_GIF_ERR_NO_SCRN_DSCR:
    case D_GIF_ERR_NO_IMAG_DSCR:
        return QStringLiteral("le fichier est tronqué");
    case D_GIF_ERR_WRONG_RECORD:
        return QStringLiteral("le fichier contient un bloc inconnu");
    case D_GIF_ERR_DATA_TOO_BIG:
        return QStringLiteral("les dimensions d'une image ne correspondent pas à ses données");
    case D_GIF_ERR_NOT_ENOUGH_MEM:
        return QStringLiteral("mémoire insuffisante");
    case D_GIF_ERR_IMAGE_DEFECT:
        return QStringLiteral("les données compressées d'une image sont incorrectes");
    default:
        return QStringLiteral("le fichier est endommagé");
    }
}

[[noreturn]] void fail(const QString &name, const QString &why)
{
    throw Platform::PemoError(QStringLiteral("Le fichier %1 n'est pas une image GIF lisible : %2.").arg(name, why));
}

struct GifCloser {
    void operator()(GifFileType *gif) const
    {
        int ignored = 0;
        DGifCloseFile(gif, &ignored);
    }
};

struct Control {
    bool present = false;
    bool transparent = false;
    int transparentIndex = -1;
    int delay = 0;
    int disposal = 0;
};

// Disposal methods of the graphic control block; 0 and the undefined 4 to 7
// leave the image in place.
constexpr int RestoreBackground = 2;
constexpr int RestorePrevious = 3;

QVector<QRgb> colours(const ColorMapObject *map)
{
    QVector<QRgb> table;
    if (!map)
        return table;
    table.reserve(map->ColorCount);
    for (int i = 0; i < map->ColorCount; ++i)
        table.append(qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue));
    return table;
}

// The canvas as the frame to keep: without an alpha channel when nothing of
// it is clear.
QImage snapshot(const QImage &canvas)
{
    for (int y = 0; y < canvas.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(canvas.constScanLine(y));
        for (int x = 0; x < canvas.width(); ++x)
            if (qAlpha(row[x]) == 0)
                return canvas.copy();
    }
    return canvas.convertToFormat(QImage::Format_RGB32);
}

} // namespace

Animation decode(const QByteArray &bytes, const QString &name)
{
    Source source{&bytes};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&source, readBytes, &error));
    if (!gif)
        fail(name, reason(error));

    Animation result;
    const int screenW = gif->SWidth;
    const int screenH = gif->SHeight;
    if (screenW < 1 || screenH < 1)
        fail(name, QStringLiteral("la taille de l'image est nulle"));
    if (qint64(screenW) * screenH > MaxScreenPixels)
        fail(name, QStringLiteral("l'image mesure %1 × %2 pixels, plus que les %3 millions de pixels "
                                  "que le programme accepte")
                       .arg(screenW)
                       .arg(screenH)
                       .arg(MaxScreenPixels / (1024 * 1024)));
    result.screen = QSize(screenW, screenH);

    // What the images have drawn so far, where the next one draws; made
    // with the first image, once its size has been checked.
    QImage canvas;

    Control pending;
    bool pendingLoop = false;
    int pendingRepeat = 0;
    std::vector<GifPixelType> line;

    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
            fail(name, reason(gif->Error));
        if (type == TERMINATE_RECORD_TYPE)
            break;

        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType *block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
                fail(name, reason(gif->Error));
            bool netscape = false;
            bool first = true;
            while (block) {
                const int len = block[0];
                if (code == GRAPHICS_EXT_FUNC_CODE && first && len >= 4) {
                    pending.present = true;
                    pending.transparent = (block[1] & 1) != 0;
                    pending.delay = block[2] | (block[3] << 8);
                    pending.transparentIndex = pending.transparent ? block[4] : -1;
                    pending.disposal = (block[1] >> 2) & 7;
                } else if (code == APPLICATION_EXT_FUNC_CODE && first) {
                    netscape = len == 11 && std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0;
                } else if (netscape && len >= 3 && block[1] == 1) {
                    pendingLoop = true;
                    pendingRepeat = block[2] | (block[3] << 8);
                }
                first = false;
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
                    fail(name, reason(gif->Error));
            }
            continue;
        }

        if (type != IMAGE_DESC_RECORD_TYPE)
            fail(name, reason(D_GIF_ERR_WRONG_RECORD));
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
            fail(name, reason(gif->Error));
        const GifImageDesc desc = gif->Image;
        if (desc.Width < 1 || desc.Height < 1)
            fail(name, QStringLiteral("une image a une taille nulle"));
        if (qint64(result.frames.size() + 1) * screenW * screenH > MaxTotalPixels)
            fail(name, QStringLiteral("les images sont trop grandes ou trop nombreuses"));

        if (canvas.isNull()) {
            canvas = QImage(screenW, screenH, QImage::Format_ARGB32);
            if (canvas.isNull())
                fail(name, reason(D_GIF_ERR_NOT_ENOUGH_MEM));
            canvas.fill(Clear);
        }
        const ColorMapObject *map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        const QImage before = pending.disposal == RestorePrevious ? canvas.copy() : QImage();
        line.resize(size_t(desc.Width));
        // Interlaced images come in four passes over the rows.
        static const int passStart[] = {0, 4, 2, 1};
        static const int passStep[] = {8, 8, 4, 2};
        const int passes = desc.Interlace ? 4 : 1;
        for (int pass = 0; pass < passes; ++pass) {
            const int start = desc.Interlace ? passStart[pass] : 0;
            const int step = desc.Interlace ? passStep[pass] : 1;
            for (int row = start; row < desc.Height; row += step) {
                if (DGifGetLine(gif.get(), line.data(), desc.Width) == GIF_ERROR)
                    fail(name, reason(gif->Error));
                const int y = desc.Top + row;
                if (y >= screenH)
                    continue;
                auto *dst = reinterpret_cast<QRgb *>(canvas.scanLine(y));
                for (int col = 0; col < desc.Width; ++col) {
                    const int x = desc.Left + col;
                    if (x >= screenW)
                        break;
                    const int index = line[size_t(col)];
                    if (index == pending.transparentIndex)
                        continue;
                    if (!map) {
                        dst[x] = qRgb(index, index, index);
                    } else if (index < map->ColorCount) {
                        const GifColorType &c = map->Colors[index];
                        dst[x] = qRgb(c.Red, c.Green, c.Blue);
                    } else {
                        dst[x] = qRgb(0, 0, 0);
                    }
                }
            }
        }

        if (result.frames.isEmpty()) {
            result.delay = pending.present ? pending.delay : 0;
            result.repeat = pendingLoop ? pendingRepeat : 0;
            result.looped = pendingLoop;
        }
        if (pending.transparent)
            result.transparent = true;
        result.frames.append(snapshot(canvas));
        result.delays.append(pending.present ? pending.delay : 0);
        result.palettes.append(colours(map));

        // What the next image finds under it.
        if (pending.disposal == RestorePrevious) {
            canvas = before;
        } else if (pending.disposal == RestoreBackground) {
            const QRect area = QRect(desc.Left, desc.Top, desc.Width, desc.Height) & canvas.rect();
            for (int y = area.top(); y <= area.bottom(); ++y) {
                auto *row = reinterpret_cast<QRgb *>(canvas.scanLine(y));
                std::fill(row + area.left(), row + area.right() + 1, Clear);
            }
        }
        pending = Control();
        pendingLoop = false;
    }
    return result;
}

Animation read(const QString &path)
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

} // namespace GifReader
