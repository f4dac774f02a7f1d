#pragma once
// Filtered resampling of pictures (shrinking and enlarging), in two separable
// passes with one of the classic filters below.
//
//   QImage small = Resample::stretch(icon, QSize(16, 16), Resample::Filter::Hermite);
//
// The result is a 24-bit picture (QImage::Format_RGB32; alpha is dropped).
// Weights are used as the filters give them, without normalisation; edges
// are mirrored. A source narrower or lower than one pixel throws
// Resample::Error("Source bitmap too small").
#include "platform/Errors.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

namespace Resample {

enum class Filter { Box, Triangle, Hermite, Bell, BSpline, Lanczos3, Mitchell };

class Error : public Platform::PemoError
{
public:
    using Platform::PemoError::PemoError;
};

// "Box", "Triangle", "Hermite", "Bell", "B-Spline", "Lanczos3", "Mitchell".
QString filterName(Filter filter);
std::optional<Filter> filterFromName(const QString &name);
// Half-width of the filter: it is zero at and beyond this distance.
double filterSupport(Filter filter);
double filterValue(Filter filter, double x);

// The picture resampled to size (both sides at least 1, else Error).
QImage stretch(const QImage &source, QSize size, Filter filter);

} // namespace Resample
