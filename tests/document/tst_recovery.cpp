// Recovery copies of modified pages and the window that offers them back.
#include "testmain.h"

#include "page/Page.h"
#include "page/PageFile.h"
#include "document/Recovery.h"
#include "document/RecoveryDialog.h"
#include "platform/Messages.h"

#include <QDir>
#include <QFile>
#include <QHostInfo>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <memory>

#include <sys/stat.h>

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// A process that has ended: its number is not running any more.
qint64 deadPid()
{
    QProcess p;
    p.start(QStringLiteral("true"));
    p.waitForFinished();
    return p.processId() ? p.processId() : 999999;
}

// What a program killed while holding its session leaves: the lock file,
// naming a process that no longer runs.
void leaveStaleLock(const QString &lockPath)
{
    QFile f(lockPath);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::number(deadPid()) + '\n' + QCoreApplication::applicationName().toUtf8() + '\n'
            + QSysInfo::machineHostName().toUtf8() + '\n');
}

Recovery::Copy page(const QStringList &lines, PageFile::Encoding encoding, const QString &original = QString())
{
    Recovery::Copy c;
    c.lines = lines;
    c.encoding = encoding;
    c.original = original;
    c.title = QStringLiteral("Web1");
    c.caret = 3;
    return c;
}
} // namespace

class RecoveryTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QList<Platform::MessageRecord> m_messages;
    QList<Platform::Answer> m_answers;

    QString folder() const { return m_dir->filePath(QStringLiteral("recuperation")); }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_messages.clear();
        m_answers.clear();
        Platform::setMessageHandler([this](const Platform::MessageRecord &r) {
            m_messages << r;
            return m_answers.isEmpty() ? Platform::Answer::Ok : m_answers.takeFirst();
        });
    }
    void cleanup() { Platform::setMessageHandler({}); }

    void theFolderIsTheUsersDataFolder()
    {
        // The tests' data folder is a temporary one.
        QVERIFY(Recovery::defaultFolder().startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
        QVERIFY(Recovery::defaultFolder().endsWith(QStringLiteral("/recuperation")));
    }

    void copiesAreExact_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<PageFile::Encoding>("encoding");
        QTest::addColumn<QByteArray>("bytes"); // the copy on disk; empty: not checked
        QTest::newRow("windows-1252 page")
            << QStringList{QStringLiteral("<p>Caf\u00e9 \u00e0 2\u00a0\u20ac</p>"), QString(), QStringLiteral("\u00c7a")}
            << PageFile::Encoding::Windows1252 << QByteArray("<p>Caf\xE9 \xE0 2\xA0\x80</p>\r\n\r\n\xC7" "a\r\n");
        QTest::newRow("utf-8 page")
            << QStringList{QStringLiteral("<meta charset=\"utf-8\">"), QStringLiteral("\u00e9\u00a0\u20ac")}
            << PageFile::Encoding::Utf8 << QByteArray("<meta charset=\"utf-8\">\r\n\xC3\xA9\xC2\xA0\xE2\x82\xAC\r\n");
        // Written as an entity by a save, but kept exactly by the copy.
        QTest::newRow("beyond windows-1252")
            << QStringList{QStringLiteral("\u03a9 \u4e2d \u20ac")} << PageFile::Encoding::Windows1252 << QByteArray();
        QTest::newRow("empty page") << QStringList{} << PageFile::Encoding::Windows1252 << QByteArray();
        // A zero-width no-break space the page starts with is its own text.
        QTest::newRow("utf-8 page starting with U+FEFF")
            << QStringList{QStringLiteral("\ufeff<p>\u00e9</p>")} << PageFile::Encoding::Utf8 << QByteArray();
        QTest::newRow("utf-8 page with its mark, then U+FEFF")
            << QStringList{QStringLiteral("\ufeff<p>\u00e9</p>")} << PageFile::Encoding::Utf8Bom << QByteArray();
        QTest::newRow("utf-16 page, kept as utf-8")
            << QStringList{QStringLiteral("\u00e9\u20ac")} << PageFile::Encoding::Utf16LeBom
            << QByteArray("\xC3\xA9\xE2\x82\xAC\r\n");
    }
    void copiesAreExact()
    {
        QFETCH(QStringList, lines);
        QFETCH(PageFile::Encoding, encoding);
        QFETCH(QByteArray, bytes);
        auto first = std::make_unique<Recovery::Session>(folder());
        QVERIFY(first->active());
        first->save(1, page(lines, encoding, QStringLiteral("/pages/a.htm")));
        QVERIFY(first->has(1));
        const QString prefix = first->id() + QStringLiteral("-1");
        if (!bytes.isEmpty())
            QCOMPARE(readAll(QDir(folder()).filePath(prefix + QStringLiteral(".htm"))), bytes);
        // Nothing but the copy, its description and the lock: no partial
        // or temporary file is left.
        QCOMPARE(QDir(folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{prefix + QStringLiteral(".htm"), prefix + QStringLiteral(".json"),
                              first->id() + QStringLiteral(".lock")}));
        first.reset();

        Recovery::Session next(folder());
        const QList<Recovery::Entry> found = next.leftBehind();
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().original, QStringLiteral("/pages/a.htm"));
        QVERIFY(qAbs(found.first().saved.secsTo(QDateTime::currentDateTime())) < 60);
        const Recovery::Copy back = Recovery::load(found.first());
        QCOMPARE(back.lines, lines);
        QCOMPARE(back.encoding, encoding);
        QCOMPARE(back.caret, 3);
        QCOMPARE(back.title, QStringLiteral("Web1"));
    }

    // The copies hold what the user has not saved: nobody else may read
    // them, even in a folder an older version made open to all.
    void copiesArePrivate()
    {
        QDir().mkpath(folder());
        QFile::setPermissions(folder(), QFileDevice::Permissions(0x7775));
        const QString old = QDir(folder()).filePath(QStringLiteral("ancienne.htm"));
        QFile f(old);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QFile::setPermissions(old, QFileDevice::Permissions(0x6644));
        Recovery::Session s(folder());
        s.save(1, page({QStringLiteral("secret")}, PageFile::Encoding::Windows1252));
        const QString prefix = s.id() + QStringLiteral("-1");
        const auto modeOf = [](const QString &path) {
            struct stat st = {};
            ::stat(QFile::encodeName(path).constData(), &st);
            return st.st_mode & 0777;
        };
        QCOMPARE(modeOf(folder()), mode_t(0700));
        for (const QString &name : QStringList{prefix + ".htm", prefix + ".json", s.id() + ".lock", "ancienne.htm"})
            QVERIFY2(modeOf(QDir(folder()).filePath(name)) == 0600, qPrintable(name));
    }

    void aSecondCopyReplacesTheFirst()
    {
        Recovery::Session s(folder());
        s.save(1, page({QStringLiteral("one")}, PageFile::Encoding::Windows1252));
        s.save(1, page({QStringLiteral("two")}, PageFile::Encoding::Windows1252));
        s.save(2, page({QStringLiteral("other")}, PageFile::Encoding::Windows1252));
        QCOMPARE(QDir(folder()).entryList({QStringLiteral("*.htm")}).size(), 2);
        s.remove(2);
        QCOMPARE(QDir(folder()).entryList({QStringLiteral("*.htm"), QStringLiteral("*.json")}).size(), 2);
        s.removeAll();
        QVERIFY(QDir(folder()).entryList({QStringLiteral("*.htm"), QStringLiteral("*.json")}).isEmpty());
    }

    // The clock's copy: one copy of the text taken at once, the rest done
    // on the session's thread while the user goes on typing.
    void backgroundCopyHoldsTheTextWhenTaken()
    {
        TPage p;
        QString text;
        for (int i = 0; i < 20000; ++i)
            text += QStringLiteral("<p>ligne %1 \u00e9t\u00e9\u00a0\u20ac \u03a9\u2029</p>\n").arg(i);
        p.loadText(text);
        p.SetSelStart(p.TextLength() / 2);
        p.type(QStringLiteral("avant"));
        const QString taken = p.linesText();

        Recovery::Session s(folder());
        Recovery::Copy copy = page({}, PageFile::Encoding::Windows1252, QStringLiteral("/pages/p.htm"));
        copy.text = p.snapshot();
        s.saveInBackground(1, copy, {p.changeCount(), copy.original, copy.title, copy.encoding, copy.breaks});
        for (int i = 0; i < 200; ++i)
            p.type(QStringLiteral("z"));
        p.SetSelStart(0);
        p.erase(0, 10);
        s.wait();
        QVERIFY(s.takeFailure().isEmpty());
        QVERIFY(s.has(1));
        // Nothing half written lies beside the copy.
        QCOMPARE(QDir(folder()).entryList(QDir::Files | QDir::Hidden).size(), 3);

        Recovery::Entry entry;
        entry.copyPath = QDir(folder()).filePath(s.id() + QStringLiteral("-1.htm"));
        entry.infoPath = QDir(folder()).filePath(s.id() + QStringLiteral("-1.json"));
        const Recovery::Copy back = Recovery::load(entry);
        QCOMPARE(back.text, taken);
        QCOMPARE(back.lines, PageFile::linesOf(taken));
        QCOMPARE(back.original, QStringLiteral("/pages/p.htm"));
        // Characters outside Windows-1252 kept exactly: the copy is UTF-8.
        QVERIFY(back.text.contains(QStringLiteral("\u03a9\u2029")));
    }

    // A tick finds the copy up to date from the page's count alone, without
    // reading its text; any change, or a new name, makes it out of date.
    void unchangedPageNeedsNoNewCopy()
    {
        TPage p;
        p.loadText(QStringLiteral("<p>a</p>\n"));
        p.type(QStringLiteral("b"));
        Recovery::Session s(folder());
        const auto stamp = [&p](const QString &title) {
            return Recovery::Stamp{p.changeCount(), QStringLiteral("/p.htm"), title,
                                   PageFile::Encoding::Windows1252, {}};
        };
        QVERIFY(!s.upToDate(1, stamp(QStringLiteral("p.htm"))));
        Recovery::Copy copy = page({}, PageFile::Encoding::Windows1252, QStringLiteral("/p.htm"));
        copy.text = p.snapshot();
        s.saveInBackground(1, copy, stamp(QStringLiteral("p.htm")));
        s.wait();
        p.SetSelStart(0); // a caret move is no change
        QVERIFY(s.upToDate(1, stamp(QStringLiteral("p.htm"))));
        QVERIFY(!s.upToDate(1, stamp(QStringLiteral("q.htm"))));
        QVERIFY(!s.upToDate(2, stamp(QStringLiteral("p.htm"))));
        p.type(QStringLiteral("c"));
        QVERIFY(!s.upToDate(1, stamp(QStringLiteral("p.htm"))));
        // Gone with its copy: the next tick writes one again.
        s.remove(1);
        QVERIFY(!s.upToDate(1, stamp(QStringLiteral("p.htm"))));
    }

    // A copy the thread could not write is told once, and written at the
    // next tick; the other windows' copies are not held up by it.
    void failedBackgroundCopyIsToldAndTriedAgain()
    {
        Recovery::Session s(folder());
        const QString blocked = QDir(folder()).filePath(s.id() + QStringLiteral("-2.htm"));
        QVERIFY(QDir().mkpath(blocked)); // a folder where the copy goes
        Recovery::Copy copy = page({}, PageFile::Encoding::Windows1252);
        copy.text = QStringLiteral("texte");
        const Recovery::Stamp stamp{7, QString(), copy.title, copy.encoding, copy.breaks};
        s.saveInBackground(2, copy, stamp);
        s.saveInBackground(3, copy, stamp);
        s.wait();
        const QString failure = s.takeFailure();
        QVERIFY(failure.startsWith(QStringLiteral("Impossible d'écrire la copie de récupération")));
        QVERIFY(s.takeFailure().isEmpty());
        QVERIFY(!s.upToDate(2, stamp));
        QVERIFY(s.upToDate(3, stamp));
        QCOMPARE(readAll(QDir(folder()).filePath(s.id() + QStringLiteral("-3.htm"))), QByteArray("texte\r\n"));

        QVERIFY(QDir(blocked).removeRecursively());
        s.saveInBackground(2, copy, stamp);
        s.wait();
        QVERIFY(s.takeFailure().isEmpty());
        QCOMPARE(readAll(blocked), QByteArray("texte\r\n"));
    }

    void aRunningProgramKeepsItsCopies()
    {
        Recovery::Session running(folder());
        running.save(1, page({QStringLiteral("mine")}, PageFile::Encoding::Windows1252));
        Recovery::Session other(folder());
        QVERIFY(other.leftBehind().isEmpty());
    }

    void copiesOfAKilledProgramAreOfferedOnce()
    {
        QString lockPath;
        {
            Recovery::Session killed(folder());
            killed.save(1, page({QStringLiteral("unsaved")}, PageFile::Encoding::Windows1252, QStringLiteral("/x.htm")));
            killed.save(2, page({QStringLiteral("unnamed")}, PageFile::Encoding::Windows1252));
            lockPath = QDir(folder()).filePath(killed.id() + QStringLiteral(".lock"));
        }
        leaveStaleLock(lockPath);
        QVERIFY(QFile::exists(lockPath));

        Recovery::Session next(folder());
        QList<Recovery::Entry> found = next.leftBehind();
        QCOMPARE(found.size(), 2);
        // Taken over: a third program started meanwhile does not offer them.
        Recovery::Session third(folder());
        QVERIFY(third.leftBehind().isEmpty());
        QCOMPARE(next.leftBehind().size(), 2);

        const auto unnamed = std::find_if(found.begin(), found.end(),
                                          [](const Recovery::Entry &e) { return e.original.isEmpty(); });
        QVERIFY(unnamed != found.end());
        QCOMPARE(Recovery::shownOriginal(*unnamed), QStringLiteral("sans nom"));
        for (const Recovery::Entry &e : found)
            Recovery::discard(e);
        QVERIFY(next.leftBehind().isEmpty());
    }

    void aLockLeftWithoutCopiesIsCleared()
    {
        QDir().mkpath(folder());
        const QString stale = QDir(folder()).filePath(QStringLiteral("1-deadbeef.lock"));
        leaveStaleLock(stale);
        Recovery::Session running(folder());
        Recovery::Session next(folder());
        QVERIFY(next.leftBehind().isEmpty());
        QVERIFY(!QFile::exists(stale));
        // A running program's lock stays.
        QVERIFY(QFile::exists(QDir(folder()).filePath(running.id() + QStringLiteral(".lock"))));
    }

    void dialogListsOpensAndDiscards()
    {
        {
            Recovery::Session gone(folder());
            gone.save(1, page({QStringLiteral("a")}, PageFile::Encoding::Windows1252, QStringLiteral("/site/a.htm")));
            gone.save(2, page({QStringLiteral("b")}, PageFile::Encoding::Windows1252));
            gone.save(3, page({QStringLiteral("c")}, PageFile::Encoding::Windows1252, QStringLiteral("/site/c.htm")));
        }
        Recovery::Session s(folder());
        const QList<Recovery::Entry> found = s.leftBehind();
        QCOMPARE(found.size(), 3);
        QList<QString> opened;
        bool refuse = false;
        TRecoveryDialog dialog(found, [&](const Recovery::Entry &e) {
            opened << Recovery::shownOriginal(e);
            return !refuse;
        });
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Récupération de documents"));
        QCOMPARE(dialog.Liste->topLevelItemCount(), 3);
        QStringList shown;
        for (int i = 0; i < 3; ++i)
            shown << dialog.Liste->topLevelItem(i)->text(0) + u'|' + dialog.Liste->topLevelItem(i)->text(1);
        shown.sort();
        QCOMPARE(shown, (QStringList{QStringLiteral("Web1|sans nom"), QStringLiteral("a.htm|/site/a.htm"),
                                     QStringLiteral("c.htm|/site/c.htm")}));

        // A copy the opener could not take stays in the list.
        dialog.Liste->clearSelection();
        dialog.Liste->topLevelItem(0)->setSelected(true);
        refuse = true;
        dialog.OuvrirBtn->click();
        QCOMPARE(dialog.Liste->topLevelItemCount(), 3);
        refuse = false;
        dialog.OuvrirBtn->click();
        QCOMPARE(dialog.Liste->topLevelItemCount(), 2);
        QCOMPARE(opened.size(), 2);

        // "Supprimer" asks; "Non" keeps the copy, "Oui" removes its files.
        dialog.Liste->clearSelection();
        dialog.Liste->topLevelItem(0)->setSelected(true);
        const Recovery::Entry target = dialog.remaining().first();
        m_answers << Platform::Answer::No;
        dialog.SupprimerBtn->click();
        QCOMPARE(dialog.Liste->topLevelItemCount(), 2);
        QVERIFY(QFile::exists(target.copyPath));
        m_answers << Platform::Answer::Yes;
        dialog.SupprimerBtn->click();
        QCOMPARE(m_messages.size(), 2);
        QVERIFY(m_messages.last().text.startsWith(QStringLiteral("Supprimer la copie de « ")));
        QVERIFY(!QFile::exists(target.copyPath));
        QVERIFY(!QFile::exists(target.infoPath));
        QCOMPARE(dialog.Liste->topLevelItemCount(), 1);
        QVERIFY(!dialog.OuvrirBtn->isEnabled() || !dialog.Liste->selectedItems().isEmpty());

        // The last one leaves: the window closes by itself.
        dialog.show();
        dialog.Liste->topLevelItem(0)->setSelected(true);
        dialog.OuvrirBtn->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
    }
};

PEMO_TEST(RecoveryTest)
#include "tst_recovery.moc"
