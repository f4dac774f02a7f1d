// Frames of the test animations against the composed frames kept beside
// them in tests/images/data (<name>-<frame>.png).
#pragma once

#include "testmain.h"

#include <QImage>
#include <QString>

namespace FrameCompare {

inline QImage reference(const QString &name, int frame)
{
    return QImage(PemoTest::sourcePath(QStringLiteral("tests/images/data/%1-%2.png").arg(name).arg(frame)))
        .convertToFormat(QImage::Format_ARGB32);
}

// Where a frame differs from the reference, empty when they agree: clear
// pixels agree with any clear pixel, the others must be the same opaque colour.
inline QString difference(const QImage &ours, const QImage &expected)
{
    if (ours.size() != expected.size())
        return QStringLiteral("size %1 x %2").arg(ours.width()).arg(ours.height());
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x) {
            const QRgb a = ours.pixel(x, y), b = expected.pixel(x, y);
            if (qAlpha(b) == 0 ? qAlpha(a) != 0 : a != b)
                return QStringLiteral("pixel %1,%2 is %3 instead of %4")
                    .arg(x).arg(y).arg(a, 8, 16, QChar(u'0')).arg(b, 8, 16, QChar(u'0'));
        }
    return {};
}

} // namespace FrameCompare
