// The picture commands open their windows on the selected file name.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "document/FragmentInsertion.h"
#include "images/GifEditor.h"
#include "images/GifWriter.h"
#include "images/PictureWindow.h"
#include "platform/FileDialogs.h"

#include <QDir>
#include <QTemporaryDir>

class PictureCommandsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        QImage img(100, 80, QImage::Format_RGB32);
        img.fill(Qt::red);
        GifWriter::save(m_dir.filePath(QStringLiteral("anim.gif")), {img, img, img});
        m_previous = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
    }
    void cleanup()
    {
        QDir::setCurrent(m_previous);
        Fragment::setModalRunner({});
        Platform::setFileDialogHandler({});
    }

    void editGifOpensTheQuotedName()
    {
        TEditeur e(nullptr);
        e.Memo1->SetLines({QStringLiteral("<img src=\"anim.gif\">")});
        e.Memo1->Select(9, 10); // "anim.gif" with its quotes
        QString status;
        QString file;
        Fragment::setModalRunner([&](QDialog &d) {
            auto *w = qobject_cast<TFGif *>(&d);
            QVERIFY(w);
            w->show();
            status = w->statusText();
            file = w->fileName();
            w->reject();
        });
        e.EditGif();
        QCOMPARE(file, QStringLiteral("anim.gif"));
        QCOMPARE(status, QStringLiteral("Cadre 1 / 3 (100 x 80)"));
    }

    void missingFileCancelledShowsNothing()
    {
        TEditeur e(nullptr);
        e.Memo1->SetLines({QStringLiteral("absent.gif")});
        e.Memo1->Select(0, 10);
        int dialogs = 0;
        Platform::setFileDialogHandler([&](const Platform::FileDialogRequest &) {
            ++dialogs;
            return Platform::FileDialogResult{};
        });
        bool shown = false;
        Fragment::setModalRunner([&](QDialog &) { shown = true; });
        e.EditGif();
        QCOMPARE(dialogs, 1);
        QVERIFY(!shown);
    }

    void editImageNeedsASelection()
    {
        TEditeur e(nullptr);
        e.Memo1->SetLines({QStringLiteral("'anim.gif'")});
        QString file;
        int shown = 0;
        Fragment::setModalRunner([&](QDialog &d) {
            auto *w = qobject_cast<TFImage *>(&d);
            QVERIFY(w);
            ++shown;
            file = w->fileName();
        });
        e.Memo1->Select(0, 0);
        e.EditImage();
        QCOMPARE(shown, 0);
        e.Memo1->Select(0, 10);
        e.EditImage();
        QCOMPARE(shown, 1);
        QCOMPARE(file, QStringLiteral("anim.gif"));
    }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};
PEMO_TEST(PictureCommandsTest)

#include "tst_pictures.moc"
