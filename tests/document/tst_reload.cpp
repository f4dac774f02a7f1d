// The document window and changes made to its file by other programs.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "document/DiskWatch.h"
#include "page/PageFile.h"
#include "platform/FileDialogs.h"
#include "platform/Messages.h"

#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QSignalSpy>
#include <QDateTime>
#include <QTemporaryDir>
#include <cstdio>

namespace {
void writeInPlace(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// What editors that save through a temporary file do: the page is replaced
// by another file renamed over it.
void replaceByRename(const QString &path, const QByteArray &bytes)
{
    const QString temporary = path + QStringLiteral(".tmp~");
    writeInPlace(temporary, bytes);
    QVERIFY(::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) == 0);
}

QByteArray numberedPage(int lines, const QByteArray &tag)
{
    QByteArray out;
    for (int i = 0; i < lines; ++i)
        out += tag + ' ' + QByteArray::number(i) + "\r\n";
    return out;
}

int caretLine(const TEditeur &e) { return e.Memo1->textCursor().blockNumber(); }

void putCaretOnLine(TEditeur &e, int line)
{
    QTextCursor c(e.Memo1->document()->findBlockByNumber(line));
    c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
    e.Memo1->setTextCursor(c);
}
} // namespace

class ReloadTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QList<Platform::MessageRecord> m_messages;
    QList<Platform::Answer> m_answers;
    std::function<void()> m_duringQuestion;
    QList<Platform::FileDialogResult> m_dialogResults;

    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void init()
    {
        m_messages.clear();
        m_answers.clear();
        m_duringQuestion = {};
        m_dialogResults.clear();
        Platform::setMessageHandler([this](const Platform::MessageRecord &r) {
            m_messages << r;
            if (m_duringQuestion)
                m_duringQuestion();
            return m_answers.isEmpty() ? Platform::Answer::Ok : m_answers.takeFirst();
        });
        Platform::setFileDialogHandler([this](const Platform::FileDialogRequest &) {
            return m_dialogResults.isEmpty() ? Platform::FileDialogResult{} : m_dialogResults.takeFirst();
        });
    }
    void cleanup()
    {
        Platform::setMessageHandler({});
        Platform::setFileDialogHandler({});
    }

    void unmodifiedPageReloadsSilently_data()
    {
        QTest::addColumn<bool>("byRename");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<PageFile::Encoding>("encoding");
        const QByteArray many = numberedPage(60, "<p>changed");
        QStringList manyLines;
        for (int i = 0; i < 60; ++i)
            manyLines << QStringLiteral("<p>changed %1").arg(i);
        QTest::newRow("rewritten in place") << false << many << manyLines << PageFile::Encoding::Windows1252;
        QTest::newRow("replaced by rename") << true << many << manyLines << PageFile::Encoding::Windows1252;
        QTest::newRow("windows-1252 bytes")
            << false << QByteArray("caf\xE9 \x80\xA0" "fin\r\n")
            << QStringList{QStringLiteral("café €\u00A0fin")} << PageFile::Encoding::Windows1252;
        QTest::newRow("utf-8 declared")
            << true << QByteArray("<meta charset=\"utf-8\">\r\ncaf\xC3\xA9\r\n")
            << QStringList{QStringLiteral("<meta charset=\"utf-8\">"), QStringLiteral("café")}
            << PageFile::Encoding::Utf8;
    }
    void unmodifiedPageReloadsSilently()
    {
        QFETCH(bool, byRename);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, expected);
        QFETCH(PageFile::Encoding, encoding);
        const QString file = path(QStringLiteral("silent.htm"));
        const QByteArray before = numberedPage(60, "<p>line");
        writeInPlace(file, before);
        TEditeur e(nullptr);
        e.resize(400, 200);
        e.OpenFile(file);
        const QStringList original = e.Memo1->Lines();
        putCaretOnLine(e, 40);
        e.Memo1->verticalScrollBar()->setValue(20);
        const int scroll = e.Memo1->verticalScrollBar()->value();
        QVERIFY(scroll > 0);

        if (byRename)
            replaceByRename(file, after);
        else
            writeInPlace(file, after);
        QTRY_COMPARE(e.Memo1->Lines(), expected);
        QVERIFY(m_messages.isEmpty());
        QVERIFY(!e.Memo1->Modified());
        QCOMPARE(e.encoding(), encoding);
        QCOMPARE(caretLine(e), std::min(40, e.Memo1->document()->blockCount() - 1));
        if (expected.size() > 40)
            QCOMPARE(e.Memo1->verticalScrollBar()->value(), scroll);
        // One step back brings the page as it was before the reload.
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), original);

        // A second change after the first one is seen too (a file replaced
        // by a rename has lost its own watch).
        e.Memo1->SetLines(expected);
        e.Memo1->SetModified(false);
        writeInPlace(file, "again\r\n");
        QTRY_COMPARE(e.Memo1->Lines(), QStringList{QStringLiteral("again")});
        QVERIFY(m_messages.isEmpty());
    }

    void modifiedPageAsksFirst_data()
    {
        QTest::addColumn<Platform::Answer>("answer");
        QTest::newRow("Oui reloads") << Platform::Answer::Yes;
        QTest::newRow("Non keeps the page") << Platform::Answer::No;
    }
    void modifiedPageAsksFirst()
    {
        QFETCH(Platform::Answer, answer);
        const QString file = path(QStringLiteral("asked.htm"));
        writeInPlace(file, "disk 1\r\n");
        TEditeur e(nullptr);
        e.OpenFile(file);
        e.Memo1->SetLines({QStringLiteral("mine")});
        QVERIFY(e.Memo1->Modified());
        QSignalSpy reports(e.diskWatch(), &DiskWatch::changed);

        m_answers << answer;
        // More changes arrive while the question is on screen: they are
        // part of the same answer and bring no second question.
        m_duringQuestion = [file] { writeInPlace(file, "disk 3\r\n"); };
        writeInPlace(file, "disk 2\r\n");
        QTRY_COMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first().kind, Platform::MessageKind::Question);
        QCOMPARE(m_messages.first().text,
                 QStringLiteral("Le fichier « %1 » a été modifié par un autre programme. "
                                "Le recharger et perdre vos modifications ?").arg(file));
        m_duringQuestion = {};
        if (answer == Platform::Answer::Yes) {
            QCOMPARE(e.Memo1->Lines(), QStringList{QStringLiteral("disk 3")});
            QVERIFY(!e.Memo1->Modified());
        } else {
            QCOMPARE(e.Memo1->Lines(), QStringList{QStringLiteral("mine")});
            QVERIFY(e.Memo1->Modified());
        }
        QVERIFY(!reports.wait(700));
        QCOMPARE(m_messages.size(), 1);

        // A later change is asked about again.
        if (answer == Platform::Answer::Yes)
            e.Memo1->SetLines({QStringLiteral("mine again")});
        m_answers << Platform::Answer::No;
        writeInPlace(file, "disk 4\r\n");
        QTRY_COMPARE(m_messages.size(), 2);
    }

    void removedFileIsMarkedAndSavedAgain()
    {
        const QString file = path(QStringLiteral("removed.htm"));
        writeInPlace(file, "kept\r\n");
        TEditeur e(nullptr);
        e.setWindowTitle(QStringLiteral("removed.htm"));
        e.OpenFile(file);
        QSignalSpy captions(&e, &TEditeur::captionChanged);
        QVERIFY(QFile::remove(file));
        QTRY_VERIFY(e.fileRemoved());
        QCOMPARE(e.windowTitle(), QStringLiteral("removed.htm (supprimé)"));
        QCOMPARE(captions.size(), 1);
        QVERIFY(e.Memo1->Modified());
        QCOMPARE(e.Memo1->Lines(), QStringList{QStringLiteral("kept")});
        QVERIFY(m_messages.isEmpty());

        QVERIFY(e.Enregistrer());
        QVERIFY(QFile::exists(file));
        QCOMPARE(e.windowTitle(), QStringLiteral("removed.htm"));
        QVERIFY(!e.fileRemoved());
        QVERIFY(!e.Memo1->Modified());

        // Watched again after being written back.
        writeInPlace(file, "back\r\n");
        QTRY_COMPARE(e.Memo1->Lines(), QStringList{QStringLiteral("back")});
    }

    // The mark says the file is gone; once another program puts a file
    // there again it goes, whether the page takes the new text or not.
    void removedMarkGoesWhenTheFileComesBack()
    {
        const QString file = path(QStringLiteral("revient.htm"));
        writeInPlace(file, "avant\r\n");
        TEditeur e(nullptr);
        e.setWindowTitle(QStringLiteral("revient.htm"));
        e.OpenFile(file);
        QVERIFY(QFile::remove(file));
        QTRY_VERIFY(e.fileRemoved());
        m_answers << Platform::Answer::No;
        writeInPlace(file, "autre texte\r\n");
        QTRY_COMPARE(m_messages.size(), 1);
        QTRY_VERIFY(!e.fileRemoved());
        QCOMPARE(e.windowTitle(), QStringLiteral("revient.htm"));
        QCOMPARE(e.Memo1->Lines(), QStringList{QStringLiteral("avant")});
        QVERIFY(e.Memo1->Modified());
    }

    void ownSavesAreNotChanges()
    {
        const QString file = path(QStringLiteral("own.htm"));
        writeInPlace(file, "one\r\n");
        TEditeur e(nullptr);
        e.OpenFile(file);
        QSignalSpy changed(e.diskWatch(), &DiskWatch::changed);
        QSignalSpy removed(e.diskWatch(), &DiskWatch::removed);
        for (int i = 0; i < 3; ++i) {
            e.Memo1->SetLines({QStringLiteral("edit %1").arg(i)});
            QVERIFY(e.Enregistrer());
        }
        QVERIFY(!changed.wait(700));
        QCOMPARE(removed.size(), 0);
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(e.Memo1->Lines(), QStringList{QStringLiteral("edit 2")});
        QVERIFY(!e.Memo1->Modified());
    }

    // A notice is answered from the file's times when they have not moved,
    // so a rewrite must move them however little it changes: the same size
    // at once after opening or saving, and a touch that leaves the bytes.
    void sameSizeRewritesAreSeenAndTouchesAreNot()
    {
        const QString file = path(QStringLiteral("size.htm"));
        writeInPlace(file, "<p>aaaa\r\n");
        TEditeur e(nullptr);
        e.OpenFile(file);
        writeInPlace(file, "<p>bbbb\r\n");
        QTRY_COMPARE(e.Memo1->Lines(), QStringList{QStringLiteral("<p>bbbb")});

        e.Memo1->SetLines({QStringLiteral("<p>cccc")});
        QVERIFY(e.Enregistrer());
        writeInPlace(file, "<p>dddd\r\n");
        QTRY_COMPARE(e.Memo1->Lines(), QStringList{QStringLiteral("<p>dddd")});
        QVERIFY(m_messages.isEmpty());

        QSignalSpy changed(e.diskWatch(), &DiskWatch::changed);
        writeInPlace(file, "<p>dddd\r\n");
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        f.close();
        QVERIFY(!changed.wait(700));
        QVERIFY(!e.Memo1->Modified());
    }

    // A big page is saved in pieces and its digest made as they go: the
    // file read back whole must give the same one, however it was cut.
    void bigSavesAreKnownByTheirBytes()
    {
        QByteArray bytes;
        for (int i = 0; bytes.size() < 3 * 1024 * 1024; ++i)
            bytes += "<p>ligne " + QByteArray::number(i) + " \xc3\xa9t\xc3\xa9</p>\r\n";
        DiskWatch::Digest cut;
        for (qsizetype at = 0, step = 1; at < bytes.size(); at += step, step = step * 3 % 100003 + 1)
            cut.add(QByteArrayView(bytes).sliced(at, std::min(step, bytes.size() - at)));
        QCOMPARE(cut.result(), DiskWatch::stampOfBytes(bytes).digest);
        QByteArray other = bytes;
        other[other.size() / 2] = 'X';
        QVERIFY(DiskWatch::stampOfBytes(other).digest != cut.result());

        const QString file = path(QStringLiteral("gros.htm"));
        writeInPlace(file, bytes);
        TEditeur e(nullptr);
        e.OpenFile(file);
        e.Memo1->SetLines(QStringList{QStringLiteral("<meta charset=\"utf-8\">")} + e.Memo1->Lines());
        QVERIFY(e.Enregistrer());
        QSignalSpy changed(e.diskWatch(), &DiskWatch::changed);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        f.close();
        QVERIFY(!changed.wait(700));
        QByteArray saved = "<meta charset=\"utf-8\">\r\n" + bytes;
        QFile back(file);
        QVERIFY(back.open(QIODevice::ReadOnly));
        QVERIFY(back.readAll() == saved);
        back.close();
        saved[saved.size() / 2] = 'X';
        writeInPlace(file, saved);
        QTRY_VERIFY(e.Memo1->Lines().join(u'\n').contains(u'X'));
        QVERIFY(m_messages.isEmpty());
    }

    void saveAsMovesTheWatch()
    {
        const QString first = path(QStringLiteral("first.htm"));
        const QString second = path(QStringLiteral("second.htm"));
        writeInPlace(first, "first\r\n");
        TEditeur e(nullptr);
        e.OpenFile(first);
        m_dialogResults << Platform::FileDialogResult{true, second, {second}, 1};
        QVERIFY(e.SaveAs());
        QCOMPARE(e.diskWatch()->path(), second);
        QSignalSpy changed(e.diskWatch(), &DiskWatch::changed);
        writeInPlace(first, "not mine any more\r\n");
        QVERIFY(!changed.wait(700));
        writeInPlace(second, "second changed\r\n");
        QTRY_COMPARE(e.Memo1->Lines(), QStringList{QStringLiteral("second changed")});
    }

    void closedWindowStopsWatching()
    {
        const QString file = path(QStringLiteral("closed.htm"));
        writeInPlace(file, "x\r\n");
        TEditeur e(nullptr);
        e.OpenFile(file);
        e.show();
        QVERIFY(e.close());
        QVERIFY(e.diskWatch()->path().isEmpty());
    }
};

PEMO_TEST(ReloadTest)
#include "tst_reload.moc"
