// The resampling filters on known values and pictures.
#include "testmain.h"

#include "images/Resample.h"

using Resample::Filter;

class ResampleTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void filterValues_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("value");
        QTest::newRow("box inside") << "Box" << 0.5 << 1.0;
        QTest::newRow("box left edge excluded") << "Box" << -0.5 << 0.0;
        QTest::newRow("triangle") << "Triangle" << -0.25 << 0.75;
        QTest::newRow("hermite half") << "Hermite" << 0.5 << 0.5;
        QTest::newRow("hermite end") << "Hermite" << 1.0 << 0.0;
        QTest::newRow("bell centre") << "Bell" << 0.0 << 0.75;
        QTest::newRow("bell outer") << "Bell" << 1.0 << 0.125;
        QTest::newRow("b-spline centre") << "B-Spline" << 0.0 << 2.0 / 3.0;
        QTest::newRow("b-spline outer") << "B-Spline" << -1.5 << 0.125 / 6.0;
        QTest::newRow("lanczos3 centre") << "Lanczos3" << 0.0 << 1.0;
        QTest::newRow("lanczos3 integer") << "Lanczos3" << 2.0 << 0.0;
        QTest::newRow("lanczos3 half")
            << "Lanczos3" << 0.5 << (2.0 / M_PI) * (std::sin(M_PI / 6.0) / (M_PI / 6.0));
        QTest::newRow("lanczos3 outside") << "Lanczos3" << 3.5 << 0.0;
        QTest::newRow("mitchell centre") << "Mitchell" << 0.0 << 16.0 / 18.0;
        QTest::newRow("mitchell one") << "Mitchell" << 1.0 << 1.0 / 18.0;
        QTest::newRow("mitchell outer") << "Mitchell" << -1.5 << (-(7.0 / 3.0) * 3.375 + 27.0 - 30.0 + 32.0 / 3.0) / 6.0;
    }
    void filterValues()
    {
        QFETCH(QString, name);
        QFETCH(double, x);
        QFETCH(double, value);
        const auto f = Resample::filterFromName(name);
        QVERIFY(f);
        QCOMPARE(Resample::filterName(*f), name);
        QVERIFY2(std::fabs(Resample::filterValue(*f, x) - value) < 1e-12,
                 qPrintable(QString::number(Resample::filterValue(*f, x))));
    }

    void tooSmall()
    {
        QVERIFY_THROWS_EXCEPTION(Resample::Error, Resample::stretch(QImage(), QSize(4, 4), Filter::Box));
        try {
            Resample::stretch(QImage(), QSize(4, 4), Filter::Hermite);
        } catch (const Resample::Error &e) {
            QCOMPARE(e.message(), QStringLiteral("Source bitmap too small"));
        }
        QImage one(1, 1, QImage::Format_RGB32);
        one.fill(Qt::red);
        QVERIFY_THROWS_EXCEPTION(Resample::Error, Resample::stretch(one, QSize(0, 3), Filter::Box));
    }

    void enlargingTriangleInterpolates()
    {
        // 0 and 255 on two pixels to five: factor 4, steps of a quarter.
        QImage src(2, 1, QImage::Format_RGB32);
        src.setPixel(0, 0, qRgb(0, 0, 0));
        src.setPixel(1, 0, qRgb(255, 255, 255));
        const QImage out = Resample::stretch(src, QSize(5, 1), Filter::Triangle);
        const int expected[] = {0, 64, 128, 191, 255};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(qRed(out.pixel(i, 0)), expected[i]);
    }

    void shrinkingHermiteIcon()
    {
        // A flat 32 x 32 grey shrunk to 16 x 16: factor 15/31; the weights are
        // used unnormalised, as the icon list has always shown them.
        QImage src(32, 32, QImage::Format_RGB32);
        src.fill(qRgb(100, 100, 100));
        const QImage out = Resample::stretch(src, QSize(16, 16), Filter::Hermite);
        QCOMPARE(out.size(), QSize(16, 16));
        QCOMPARE(out.format(), QImage::Format_RGB32);
        const double sx = 15.0 / 31.0;
        double sum = 0;
        for (int j = -3; j <= 3; ++j)
            sum += Resample::filterValue(Filter::Hermite, (0 - j) * sx) * sx;
        const int once = int(std::lround(100 * sum));
        QCOMPARE(qRed(out.pixel(0, 0)), int(std::lround(once * sum)));
    }

    void everyFilterKeepsOnTinySources_data()
    {
        QTest::addColumn<int>("filter");
        for (int f = int(Filter::Box); f <= int(Filter::Mitchell); ++f)
            QTest::newRow(qPrintable(Resample::filterName(Filter(f)))) << f;
    }
    void everyFilterKeepsOnTinySources()
    {
        QFETCH(int, filter);
        // Wide supports over two pixels reach beyond one mirror.
        QImage src(2, 3, QImage::Format_ARGB32);
        src.fill(qRgb(10, 200, 30));
        for (QSize size : {QSize(1, 1), QSize(1, 9), QSize(40, 2), QSize(2, 3)}) {
            const QImage out = Resample::stretch(src, size, Filter(filter));
            QCOMPARE(out.size(), size);
        }
        // Enlarging a flat picture keeps its colour where the weights sum to 1.
        if (Filter(filter) == Filter::Triangle || Filter(filter) == Filter::Box) {
            const QImage out = Resample::stretch(src, QSize(7, 7), Filter(filter));
            QCOMPARE(out.pixel(3, 3), qRgb(10, 200, 30));
        }
    }
};
PEMO_TEST(ResampleTest)

#include "tst_resample.moc"
