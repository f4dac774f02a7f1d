// Start-up windows: splash, about box, and the frame with a page open.
// Set PEMO_SHOT_DIR to keep pictures of them for a look.
#include "testmain.h"

#include "app/AboutBox.h"
#include "app/Main.h"

#include <QLabel>
#include <QMdiArea>
#include <QPushButton>

namespace {
void keep(QWidget *w, const char *name)
{
    const QString dir = qEnvironmentVariable("PEMO_SHOT_DIR");
    if (!dir.isEmpty())
        w->grab().save(dir + u'/' + QLatin1String(name) + QStringLiteral(".png"));
}
} // namespace

class LookTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void splashHasFixedSizeAndName()
    {
        TSplash splash;
        QCOMPARE(splash.size(), QSize(318, 221));
        QStringList texts;
        for (QLabel *l : splash.findChildren<QLabel *>())
            texts << l->text();
        QVERIFY(texts.contains(QStringLiteral("Pemo HTML")));
        QVERIFY(texts.contains(QStringLiteral("Version 2001")));
        keep(&splash, "splash");
    }

    void aboutBoxClosesWithEscape()
    {
        TAboutBox box;
        QCOMPARE(box.windowTitle(), QStringLiteral("A propos de PemoHTML"));
        QVERIFY(box.findChild<QLabel *>(QStringLiteral("ProductName"))->text() == QStringLiteral("Pemo HTML 2001"));
        QVERIFY(box.findChild<QLabel *>(QStringLiteral("Version"))->text() == QStringLiteral("Version 4.0"));
        box.show();
        keep(&box, "about");
        QTest::keyClick(&box, Qt::Key_Escape);
        QVERIFY(!box.isVisible());
    }

    void frameWithPages()
    {
        TMainForm f;
        f.resize(1000, 700);
        f.show();
        f.FileNewItemClick();
        f.FileNewItemClick();
        f.WindowCascade();
        f.Timer1Timer();
        QVERIFY(!f.Panel2->text().isEmpty());
        keep(&f, "frame");
    }
};

PEMO_TEST(LookTest)
#include "tst_look.moc"
