// The frame's recovery copies: when they are written and removed, and a
// copy of a stopped program opened again as a page bound to its file.
#include "testmain.h"

#include "app/Main.h"
#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "page/PageFile.h"
#include "document/Recovery.h"
#include "document/RecoveryDialog.h"
#include "platform/Messages.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

namespace {
QStringList copiesOf(const Recovery::Session &s)
{
    return QDir(s.folder()).entryList({s.id() + QStringLiteral("-*.htm")}, QDir::Files);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
} // namespace

class RecoveryFrameTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QList<Platform::MessageRecord> m_messages;
    QList<Platform::Answer> m_answers;

    QString page(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return path;
    }

private Q_SLOTS:
    void init()
    {
        m_messages.clear();
        m_answers.clear();
        Platform::setMessageHandler([this](const Platform::MessageRecord &r) {
            m_messages << r;
            return m_answers.isEmpty() ? Platform::Answer::Ok : m_answers.takeFirst();
        });
    }
    void cleanup() { Platform::setMessageHandler({}); }

    void modifiedPagesAreCopiedUntilSaved()
    {
        TMainForm frame;
        QCOMPARE(frame.recoveryTimer()->interval(), 60 * 1000);
        QVERIFY(frame.recoverySession().active());
        frame.openFiles({page(QStringLiteral("kept.htm"), "<p>a</p>\r\n"),
                         page(QStringLiteral("untouched.htm"), "<p>b</p>\r\n")});
        TEditeur *edited = frame.editeurs().at(0);
        edited->Memo1->SetLines({QStringLiteral("<p>caf\u00e9 \u20ac</p>")});
        frame.saveRecoveryCopies();
        const QStringList copies = copiesOf(frame.recoverySession());
        QCOMPARE(copies.size(), 1);
        QCOMPARE(readAll(QDir(frame.recoverySession().folder()).filePath(copies.first())),
                 QByteArray("<p>caf\xE9 \x80</p>\r\n"));

        // Saved normally: the copy goes at once, not at the next round.
        QVERIFY(edited->Enregistrer());
        QVERIFY(copiesOf(frame.recoverySession()).isEmpty());
    }

    // The clock's tick goes by the page's change count: with nothing changed
    // since the last copy it takes no text and writes nothing, even when the
    // copy on disk was touched meanwhile.
    void aTickWithNothingChangedWritesNothing()
    {
        TMainForm frame;
        frame.FileNewItemClick();
        TEditeur *e = frame.activeEditeur();
        e->Memo1->SetLines({QStringLiteral("<p>un</p>")});
        frame.saveRecoveryCopies(false);
        frame.recoverySession().wait();
        const QStringList copies = copiesOf(frame.recoverySession());
        QCOMPARE(copies.size(), 1);
        const QString copy = QDir(frame.recoverySession().folder()).filePath(copies.first());
        QVERIFY(QFile::remove(copy));
        e->Memo1->SetSelStart(3); // a caret move is no change
        frame.saveRecoveryCopies(false);
        frame.recoverySession().wait();
        QVERIFY(!QFile::exists(copy));
        e->Memo1->SetSelText(QStringLiteral("x"));
        frame.saveRecoveryCopies(false);
        frame.recoverySession().wait();
        QCOMPARE(readAll(copy), QByteArray("<p>xun</p>\r\n"));
    }

    // Taking a big page's text stalls the window: its copy waits for a
    // pause in the typing; a small page's does not wait, nor does the last
    // copy when the session ends.
    void aBigPageIsCopiedAtAPauseInTheTyping()
    {
        TMainForm frame;
        frame.FileNewItemClick();
        frame.FileNewItemClick();
        TEditeur *big = frame.editeurs().at(0);
        TEditeur *small = frame.editeurs().at(1);
        qint64 clock = 100000;
        big->page()->setClock([&clock] { return clock; });
        small->page()->setClock([&clock] { return clock; });
        big->page()->loadText(QStringList(150000, QStringLiteral("<p>Un été à la mer, déjà !</p>")).join(u'\n'));
        big->Memo1->SetSelText(QStringLiteral("x"));
        small->Memo1->SetSelText(QStringLiteral("y"));
        clock += 200; // typing on
        frame.saveRecoveryCopies(false);
        frame.recoverySession().wait();
        QCOMPARE(copiesOf(frame.recoverySession()).size(), 1); // the small one
        clock += 2000; // a pause
        frame.saveRecoveryCopies(false);
        frame.recoverySession().wait();
        QCOMPARE(copiesOf(frame.recoverySession()).size(), 2);

        big->Memo1->SetSelText(QStringLiteral("z"));
        frame.saveRecoveryCopies(false);
        frame.recoverySession().wait();
        QString copy;
        for (const QString &name : copiesOf(frame.recoverySession()))
            if (const QString path = QDir(frame.recoverySession().folder()).filePath(name); QFileInfo(path).size() > 1000000)
                copy = path;
        QVERIFY(!copy.isEmpty());
        QVERIFY(readAll(copy).startsWith("x<p>Un "));
        frame.saveRecoveryCopies(); // the session ends: at once
        QVERIFY(readAll(copy).startsWith("xz<p>Un "));
    }

    void aPageGivenUpLosesItsCopy()
    {
        TMainForm frame;
        frame.FileNewItemClick();
        frame.activeEditeur()->Memo1->SetLines({QStringLiteral("brouillon")});
        frame.saveRecoveryCopies();
        QCOMPARE(copiesOf(frame.recoverySession()).size(), 1);
        m_answers << Platform::Answer::No; // "Enregistrer changements dans ...?"
        frame.mdiArea->activeSubWindow()->close();
        QTRY_VERIFY(copiesOf(frame.recoverySession()).isEmpty());
    }

    void aCleanQuitLeavesNoCopy()
    {
        TMainForm frame;
        frame.show();
        for (int i = 0; i < 2; ++i) {
            frame.FileNewItemClick();
            frame.activeEditeur()->Memo1->SetLines({QStringLiteral("page %1").arg(i)});
        }
        frame.saveRecoveryCopies();
        QCOMPARE(copiesOf(frame.recoverySession()).size(), 2);
        m_answers << Platform::Answer::No << Platform::Answer::No;
        QVERIFY(frame.close());
        QVERIFY(copiesOf(frame.recoverySession()).isEmpty());
    }

    void aCopyOpensBoundToItsFile()
    {
        const QString original = page(QStringLiteral("original.htm"), "<p>on disk</p>\r\n");
        const QStringList unsaved{QStringLiteral("<p>r\u00e9cup\u00e9r\u00e9\u00a0\u20ac</p>")};
        {
            Recovery::Session stopped;
            Recovery::Copy copy;
            copy.original = original;
            copy.title = QStringLiteral("original.htm");
            copy.lines = unsaved;
            stopped.save(1, copy);
        }
        TMainForm frame;
        Recovery::Entry entry;
        for (const Recovery::Entry &e : frame.recoverySession().leftBehind())
            if (e.original == original)
                entry = e;
        QVERIFY(!entry.id.isEmpty());

        // Offered at start-up in the recovery window.
        bool listed = false;
        QTimer::singleShot(0, &frame, [&] {
            auto *dialog = qobject_cast<TRecoveryDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            listed = !dialog->Liste->findItems(original, Qt::MatchExactly, 1).isEmpty();
            dialog->reject();
        });
        frame.offerRecovery();
        QVERIFY(listed);
        QVERIFY(QFile::exists(entry.copyPath)); // "Fermer" keeps it

        QVERIFY(frame.openRecoveredCopy(entry));
        TEditeur *e = frame.activeEditeur();
        QCOMPARE(e->Memo1->Lines(), unsaved);
        QVERIFY(e->Memo1->Modified());
        QCOMPARE(e->GetFichier(), original);
        QCOMPARE(e->windowTitle(), QStringLiteral("original.htm"));
        // Kept under the running program before the old copy went.
        QVERIFY(!QFile::exists(entry.copyPath));
        QCOMPARE(copiesOf(frame.recoverySession()).size(), 1);

        QVERIFY(e->Enregistrer());
        QCOMPARE(readAll(original), PageFile::encode(unsaved, PageFile::Encoding::Windows1252));
        QVERIFY(copiesOf(frame.recoverySession()).isEmpty());
    }
};

PEMO_TEST(RecoveryFrameTest)
#include "tst_recovery_frame.moc"
