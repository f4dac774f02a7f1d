// Writing a 100-frame 640 x 480 animation: our writer against giflib's
// encoder, both given the same frames already reduced to the 216-colour cube,
// both writing to memory with the same blocks. Best of several runs.
#include "images/GifWriter.h"

#include <QGuiApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>
#include <gif_lib.h>

namespace {

constexpr int Frames = 100;
constexpr int Width = 640;
constexpr int Height = 480;
constexpr int Runs = 3;

// A picture-like animation: a soft gradient, a moving disc and bands of text.
QList<QImage> makeFrames()
{
    QList<QImage> frames;
    for (int i = 0; i < Frames; ++i) {
        QImage img(Width, Height, QImage::Format_RGB32);
        for (int y = 0; y < Height; ++y) {
            auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
            for (int x = 0; x < Width; ++x)
                row[x] = qRgb((x + i * 3) * 255 / (Width + 300), (y * 255) / Height,
                              int(127 + 120 * std::sin((x + y + i * 5) / 40.0)));
        }
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(250, 200, 40));
        p.drawEllipse(QPointF(80 + i * 5, 240 + 100 * std::sin(i / 8.0)), 60, 60);
        p.setPen(Qt::black);
        for (int line = 0; line < 6; ++line)
            p.drawText(20, 40 + line * 70, QStringLiteral("Cadre %1 — bienvenue sur notre site").arg(i));
        p.end();
        frames << GifWriter::reduceToCube(img);
    }
    return frames;
}

int appendBytes(GifFileType *gif, const GifByteType *data, int len)
{
    static_cast<QByteArray *>(gif->UserData)->append(reinterpret_cast<const char *>(data), len);
    return len;
}

QByteArray giflibEncode(const QList<QImage> &frames, int repeat, int delay)
{
    QByteArray out;
    int error = 0;
    GifFileType *gif = EGifOpen(&out, appendBytes, &error);
    EGifSetGifVersion(gif, true);
    GifColorType colours[256];
    const QVector<QRgb> &palette = GifWriter::cubePalette();
    for (int i = 0; i < 256; ++i)
        colours[i] = {GifByteType(qRed(palette[i])), GifByteType(qGreen(palette[i])), GifByteType(qBlue(palette[i]))};
    ColorMapObject *map = GifMakeMapObject(256, colours);
    EGifPutScreenDesc(gif, Width, Height, 8, 0, map);
    for (int i = 0; i < frames.size(); ++i) {
        if (i == 0) {
            const GifByteType loop[] = {1, GifByteType(repeat & 0xFF), GifByteType(repeat >> 8)};
            EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
            EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
            EGifPutExtensionBlock(gif, 3, loop);
            EGifPutExtensionTrailer(gif);
        }
        const GifByteType control[] = {0, GifByteType(delay & 0xFF), GifByteType(delay >> 8), 0};
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
        EGifPutImageDesc(gif, 0, 0, Width, Height, false, nullptr);
        for (int y = 0; y < Height; ++y)
            EGifPutLine(gif, const_cast<GifPixelType *>(frames[i].constScanLine(y)), Width);
    }
    GifFreeMapObject(map);
    EGifCloseFile(gif, &error);
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const QList<QImage> frames = makeFrames();
    GifWriter::Options options;
    options.repeat = 0;
    options.delay = 10;

    qint64 ours = -1;
    qint64 theirs = -1;
    qsizetype oursSize = 0;
    qsizetype theirsSize = 0;
    QElapsedTimer t;
    for (int run = 0; run < Runs; ++run) {
        t.start();
        const QByteArray a = GifWriter::encode(frames, options);
        const qint64 ms = t.elapsed();
        ours = ours < 0 ? ms : std::min(ours, ms);
        oursSize = a.size();

        t.start();
        const QByteArray b = giflibEncode(frames, 0, 10);
        const qint64 ms2 = t.elapsed();
        theirs = theirs < 0 ? ms2 : std::min(theirs, ms2);
        theirsSize = b.size();
    }
    std::printf("%d frames %dx%d, best of %d runs\n", Frames, Width, Height, Runs);
    std::printf("  our writer     : %6lld ms  %9lld bytes\n", static_cast<long long>(ours), static_cast<long long>(oursSize));
    std::printf("  giflib encoder : %6lld ms  %9lld bytes\n", static_cast<long long>(theirs), static_cast<long long>(theirsSize));
    std::printf("  ratio          : time %.2f  size %.3f\n", double(ours) / double(std::max<qint64>(theirs, 1)),
                double(oursSize) / double(std::max<qsizetype>(theirsSize, 1)));
    return 0;
}
