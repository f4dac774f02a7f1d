// "Enregistrer sous..." through the program's real save dialog, driven as a
// user would: the name typed, the kind of file chosen in the list of types.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "platform/FileDialogs.h"
#include "platform/Messages.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

class SaveAsDialogTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        Platform::setFileDialogHandler({});
        Platform::setMessageHandler([this](const Platform::MessageRecord &r) {
            m_messages << r.text;
            return Platform::Answer::Ok;
        });
    }
    void cleanup() { Platform::setMessageHandler({}); }

    void chosenTypeDecidesNameAndForm_data()
    {
        QTest::addColumn<int>("type"); // row in the list of types
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("xml: converted, page.xml")
            << 1 << "page.xml" << QByteArray("<html>\r\n<p>a<br/>b</p>\r\n<img src=\"a.gif\"/>\r\n</html>\r\n");
        QTest::newRow("html: as it stands, page.htm")
            << 0 << "page.htm" << QByteArray("<html>\r\n<p>a<br>b</p>\r\n<img src=\"a.gif\">\r\n</html>\r\n");
    }
    void chosenTypeDecidesNameAndForm()
    {
        QFETCH(int, type);
        QFETCH(QString, stored);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        TEditeur e(nullptr);
        e.Memo1->SetLines({"<html>", "<p>a<br>b</p>", "<img src=\"a.gif\">", "</html>"});

        QString failure = QStringLiteral("the save dialog did not open");
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            if (!types || !name || types->count() != 3) {
                failure = QStringLiteral("not the program's own dialog, or not its three types");
                dialog->reject();
                return;
            }
            failure.clear();
            dialog->setDirectory(dir.path());
            types->setFocus();
            types->setCurrentIndex(0);
            for (int i = 0; i < type; ++i)
                QTest::keyClick(types, Qt::Key_Down);
            name->clear();
            QTest::keyClicks(name, QStringLiteral("page"));
            QTest::keyClick(name, Qt::Key_Return);
            // A dialog that did not take the Return key is closed, so that a
            // fault shows as a failure instead of a test that never ends.
            if (dialog->isVisible()) {
                failure = QStringLiteral("Return did not save");
                dialog->reject();
            }
        });
        poll.start();
        const bool saved = e.SaveAs();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(saved);
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(e.GetFichier(), dir.filePath(stored));
        QFile file(dir.filePath(stored));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{stored});
    }

private:
    QStringList m_messages;
};

PEMO_TEST(SaveAsDialogTest)
#include "tst_saveas_dialog.moc"
