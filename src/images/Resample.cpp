#include "Resample.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace Resample {

namespace {

struct Contributor {
    int index;
    double weight;
};

double sinc(double x)
{
    if (x == 0.0)
        return 1.0;
    x *= std::numbers::pi;
    return std::sin(x) / x;
}

// A position outside 0 ... n-1 reflected back inside. Wide supports on tiny
// sources can reach past a single reflection, so reflect until inside.
int mirror(int j, int n)
{
    if (n == 1)
        return 0;
    for (;;) {
        if (j < 0)
            j = -j;
        else if (j >= n)
            j = 2 * n - j - 1;
        else
            return j;
    }
}

// Scale factor of one axis: (to - 1) / (from - 1), or to / from for a single
// source pixel. A single destination pixel would give 0 and an infinite centre
// spacing; it takes to / from as well.
double scaleFactor(int from, int to)
{
    if (from == 1 || to == 1)
        return double(to) / double(from);
    return double(to - 1) / double(from - 1);
}

std::vector<std::vector<Contributor>> contributors(int from, int to, Filter filter)
{
    const double scale = scaleFactor(from, to);
    const double width = filterSupport(filter);
    std::vector<std::vector<Contributor>> result(static_cast<size_t>(to));
    for (int i = 0; i < to; ++i) {
        const double centre = i / scale;
        const double support = scale >= 1.0 ? width : width / scale;
        const int left = int(std::floor(centre - support));
        const int right = int(std::ceil(centre + support));
        auto &list = result[size_t(i)];
        for (int j = left; j <= right; ++j) {
            const double w = scale >= 1.0 ? filterValue(filter, centre - j)
                                          : filterValue(filter, (centre - j) * scale) * scale;
            if (w != 0.0)
                list.push_back({mirror(j, from), w});
        }
    }
    return result;
}

inline QRgb weighted(const std::vector<Contributor> &list, const QRgb *pixels, qsizetype stride)
{
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
    for (const Contributor &c : list) {
        const QRgb p = pixels[c.index * stride];
        r += qRed(p) * c.weight;
        g += qGreen(p) * c.weight;
        b += qBlue(p) * c.weight;
    }
    auto channel = [](double v) { return int(std::lround(std::clamp(v, 0.0, 255.0))); };
    return qRgb(channel(r), channel(g), channel(b));
}

} // namespace

QString filterName(Filter filter)
{
    switch (filter) {
    case Filter::Box: return QStringLiteral("Box");
    case Filter::Triangle: return QStringLiteral("Triangle");
    case Filter::Hermite: return QStringLiteral("Hermite");
    case Filter::Bell: return QStringLiteral("Bell");
    case Filter::BSpline: return QStringLiteral("B-Spline");
    case Filter::Lanczos3: return QStringLiteral("Lanczos3");
    case Filter::Mitchell: return QStringLiteral("Mitchell");
    }
    return {};
}

std::optional<Filter> filterFromName(const QString &name)
{
    for (Filter f : {Filter::Box, Filter::Triangle, Filter::Hermite, Filter::Bell, Filter::BSpline,
                     Filter::Lanczos3, Filter::Mitchell})
        if (filterName(f) == name)
            return f;
    return std::nullopt;
}

double filterSupport(Filter filter)
{
    switch (filter) {
    case Filter::Box: return 0.5;
    case Filter::Triangle: return 1.0;
    case Filter::Hermite: return 1.0;
    case Filter::Bell: return 1.5;
    case Filter::BSpline: return 2.0;
    case Filter::Lanczos3: return 3.0;
    case Filter::Mitchell: return 2.0;
    }
    return 0.0;
}

double filterValue(Filter filter, double x)
{
    const double a = std::fabs(x);
    switch (filter) {
    case Filter::Box:
        return (x > -0.5 && x <= 0.5) ? 1.0 : 0.0;
    case Filter::Triangle:
        return a < 1.0 ? 1.0 - a : 0.0;
    case Filter::Hermite:
        return a < 1.0 ? (2.0 * a - 3.0) * a * a + 1.0 : 0.0;
    case Filter::Bell:
        if (a < 0.5)
            return 0.75 - x * x;
        if (a < 1.5)
            return 0.5 * (a - 1.5) * (a - 1.5);
        return 0.0;
    case Filter::BSpline:
        if (a < 1.0)
            return 0.5 * a * a * a - x * x + 2.0 / 3.0;
        if (a < 2.0)
            return (2.0 - a) * (2.0 - a) * (2.0 - a) / 6.0;
        return 0.0;
    case Filter::Lanczos3:
        return a < 3.0 ? sinc(x) * sinc(x / 3.0) : 0.0;
    case Filter::Mitchell:
        if (a < 1.0)
            return (7.0 * a * a * a - 12.0 * x * x + 16.0 / 3.0) / 6.0;
        if (a < 2.0)
            return (-(7.0 / 3.0) * a * a * a + 12.0 * x * x - 20.0 * a + 32.0 / 3.0) / 6.0;
        return 0.0;
    }
    return 0.0;
}

QImage stretch(const QImage &source, QSize size, Filter filter)
{
    if (source.isNull() || source.width() < 1 || source.height() < 1)
        throw Error(QStringLiteral("Source bitmap too small"));
    if (size.width() < 1 || size.height() < 1)
        throw Error(QStringLiteral("Destination bitmap too small"));

    const QImage src = source.convertToFormat(QImage::Format_RGB32);
    const int w = src.width();
    const int h = src.height();
    const int W = size.width();
    const int H = size.height();

    // Horizontal pass into a W x h work picture.
    QImage work(W, h, QImage::Format_RGB32);
    const auto columns = contributors(w, W, filter);
    for (int y = 0; y < h; ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(work.scanLine(y));
        for (int i = 0; i < W; ++i)
            out[i] = weighted(columns[size_t(i)], in, 1);
    }

    // Vertical pass into the destination.
    QImage dest(W, H, QImage::Format_RGB32);
    const auto rows = contributors(h, H, filter);
    const qsizetype stride = work.bytesPerLine() / qsizetype(sizeof(QRgb));
    const auto *base = reinterpret_cast<const QRgb *>(work.constBits());
    for (int i = 0; i < H; ++i) {
        auto *out = reinterpret_cast<QRgb *>(dest.scanLine(i));
        for (int x = 0; x < W; ++x)
            out[x] = weighted(rows[size_t(i)], base + x, stride);
    }
    return dest;
}

} // namespace Resample
