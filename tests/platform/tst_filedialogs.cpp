// The file dialogs show each filter's label as written, once.
#include "testmain.h"

#include "platform/FileDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QTimer>

class FileDialogsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void labelsShownOnceAsWritten()
    {
        QStringList shown;
        int reportedIndex = 0;
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(qobject_cast<QFileDialog *>(QApplication::activeModalWidget()));
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            QVERIFY(combo);
            for (int i = 0; i < combo->count(); ++i)
                shown << combo->itemText(i);
            combo->setCurrentIndex(1);
            Q_EMIT combo->activated(1);
            dialog->selectFile(QStringLiteral("/tmp/essai.xml"));
            static_cast<QDialog *>(dialog)->accept();
        });
        Platform::FileDialogRequest request;
        request.kind = Platform::FileDialogKind::Save;
        request.filter = QStringLiteral(
            "Fichiers html (*.htm;*.html)|*.htm;*.html|Fichiers xmll (*.xml)|*.xml|Tous les fichiers (*.*)|*.*");
        const Platform::FileDialogResult r = Platform::runFileDialog(nullptr, request);
        reportedIndex = r.filterIndex;
        QCOMPARE(shown, (QStringList{QStringLiteral("Fichiers html (*.htm;*.html)"), QStringLiteral("Fichiers xmll (*.xml)"),
                                     QStringLiteral("Tous les fichiers (*.*)")}));
        QCOMPARE(reportedIndex, 2);
    }

    void saveSuffixFollowsTheChosenEntry_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("html: its first pattern") << 1 << "htm";
        QTest::newRow("xml") << 2 << "xml";
        QTest::newRow("all files: the default") << 3 << "htm";
        QTest::newRow("no such entry: the default") << 4 << "htm";
        QTest::newRow("entry 0: the default") << 0 << "htm";
    }
    void saveSuffixFollowsTheChosenEntry()
    {
        QFETCH(int, entry);
        QFETCH(QString, suffix);
        const QString filter = QStringLiteral(
            "Fichiers html (*.htm;*.html)|*.htm;*.html|Fichiers xmll (*.xml)|*.xml|Tous les fichiers (*.*)|*.*");
        QCOMPARE(Platform::saveSuffix(filter, entry, QStringLiteral("htm")), suffix);
    }
};

PEMO_TEST(FileDialogsTest)
#include "tst_filedialogs.moc"
