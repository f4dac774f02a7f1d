// What the frame remembers between sessions: the recent pages of "Fichier"
// (order, capacity, pages that disappeared, the menu built from the list)
// and the choice of line numbers.
#include "testmain.h"

#include "app/Main.h"
#include "app/RecentFiles.h"
#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "platform/FileDialogs.h"
#include "platform/Messages.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>

class RememberedChoicesTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QList<Platform::MessageRecord> m_messages;

    QString page(const QString &name, bool create = true)
    {
        const QString path = m_dir.filePath(name);
        if (create) {
            QFile f(path);
            if (f.open(QIODevice::WriteOnly))
                f.write("<html>\r\n</html>\r\n");
        }
        return path;
    }
    QString settingsFile() const { return m_dir.filePath(QStringLiteral("recent.ini")); }

private Q_SLOTS:
    void init()
    {
        QFile::remove(settingsFile());
        m_messages.clear();
        Platform::setMessageHandler([this](const Platform::MessageRecord &r) {
            m_messages << r;
            return Platform::Answer::Ok;
        });
    }
    void cleanup()
    {
        Platform::setMessageHandler({});
        Platform::setFileDialogHandler({});
    }

    void mostRecentFirstWithoutRepeats()
    {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        RecentFiles recent(settings);
        QVERIFY(recent.entries().isEmpty());
        const QString a = page(QStringLiteral("a.htm")), b = page(QStringLiteral("b.htm"));
        recent.add(a);
        recent.add(b);
        recent.add(a);
        QCOMPARE(recent.entries(), (QStringList{a, b}));
        // Another spelling of the same page is the same entry.
        recent.add(m_dir.filePath(QStringLiteral("sub/../b.htm")));
        QCOMPARE(recent.entries(), (QStringList{b, a}));
        recent.add(QString());
        QCOMPARE(recent.entries().size(), 2);
    }

    void keepsTheEightLatest()
    {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        RecentFiles recent(settings);
        QStringList added;
        for (int i = 1; i <= 10; ++i) {
            added.prepend(page(QStringLiteral("p%1.htm").arg(i)));
            recent.add(added.first());
        }
        QCOMPARE(recent.entries(), added.mid(0, 8));
        // Reopening the oldest survivor brings it back to the top without loss.
        recent.add(added.at(7));
        QCOMPARE(recent.entries().size(), 8);
        QCOMPARE(recent.entries().first(), added.at(7));
        QVERIFY(!recent.entries().contains(added.at(8)));
    }

    void rememberedAcrossSessionsAndTidiedOnLoad()
    {
        const QString a = page(QStringLiteral("a.htm")), b = page(QStringLiteral("b.htm"));
        {
            QSettings settings(settingsFile(), QSettings::IniFormat);
            RecentFiles recent(settings);
            recent.add(a);
            recent.add(b);
        }
        {
            QSettings settings(settingsFile(), QSettings::IniFormat);
            QCOMPARE(RecentFiles(settings).entries(), (QStringList{b, a}));
            // A list edited by hand: blanks, repeats and too many entries.
            QStringList stored{QString(), b, b, QStringLiteral("  ")};
            for (int i = 0; i < 12; ++i)
                stored << m_dir.filePath(QStringLiteral("x%1.htm").arg(i));
            settings.setValue(RecentFiles::settingsKey(), stored);
        }
        QSettings settings(settingsFile(), QSettings::IniFormat);
        const QStringList loaded = RecentFiles(settings).entries();
        QCOMPARE(loaded.size(), 8);
        QCOMPARE(loaded.first(), b);
        QCOMPARE(loaded.count(b), 1);
    }

    void pagesThatAreGoneLeaveTheList()
    {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        RecentFiles recent(settings);
        const QString kept = page(QStringLiteral("kept.htm"));
        const QString gone = page(QStringLiteral("gone.htm"));
        const QString folder = m_dir.filePath(QStringLiteral("folder.htm"));
        QVERIFY(QDir().mkpath(folder)); // a folder is not a page
        recent.add(kept);
        recent.add(gone);
        recent.add(folder);
        QVERIFY(QFile::remove(gone));

        QVERIFY(recent.choose(kept));
        QVERIFY(!recent.choose(gone));
        QCOMPARE(recent.entries(), (QStringList{folder, kept}));
        QCOMPARE(recent.pruneMissing(), QStringList{folder});
        QCOMPARE(recent.entries(), QStringList{kept});
        QSettings again(settingsFile(), QSettings::IniFormat);
        QCOMPARE(RecentFiles(again).entries(), QStringList{kept});
    }

    void frameListsOpenedAndSavedPages()
    {
        QSettings().remove(RecentFiles::settingsKey());
        const QString opened = page(QStringLiteral("ouvert.htm"));
        const QString saved = page(QStringLiteral("enregistre.htm"), false);
        TMainForm f;
        f.openFiles({opened});
        f.FileNewItemClick();
        Platform::setFileDialogHandler([saved](const Platform::FileDialogRequest &) {
            Platform::FileDialogResult r;
            r.accepted = true;
            r.path = saved;
            r.filterIndex = 1;
            return r;
        });
        QVERIFY(f.activeEditeur()->SaveAs());
        QCOMPARE(f.recentFiles().entries(), (QStringList{saved, opened}));

        QMenu *fichier = f.menu(QStringLiteral("Fichier1"));
        Q_EMIT fichier->aboutToShow();
        Q_EMIT fichier->aboutToShow(); // rebuilt, not appended to
        const QList<QAction *> actions = fichier->actions();
        const qsizetype first = actions.indexOf(fichier->findChild<QAction *>(QStringLiteral("RecentFile1")));
        QVERIFY(first > 0);
        QVERIFY(actions.at(first - 1)->isSeparator());
        QCOMPARE(actions.at(first)->data().toString(), saved);
        QCOMPARE(actions.at(first + 1)->data().toString(), opened);
        QVERIFY(actions.at(first + 2)->isSeparator());
        QCOMPARE(actions.at(first + 3)->objectName(), QStringLiteral("FileExitItem"));
        QVERIFY(actions.at(first)->text().startsWith(QStringLiteral("&1 ")));

        // A second frame (the next session) finds the same list.
        TMainForm next;
        QCOMPARE(next.recentFiles().entries(), (QStringList{saved, opened}));
    }

    void choosingAPageThatIsGoneSaysSoAndDropsIt()
    {
        QSettings().remove(RecentFiles::settingsKey());
        const QString gone = page(QStringLiteral("disparu.htm"));
        const QString there = page(QStringLiteral("present.htm"));
        TMainForm f;
        f.recentFiles().add(there);
        f.recentFiles().add(gone);
        QVERIFY(QFile::remove(gone));
        f.openRecentFile(gone);
        QCOMPARE(f.editeurs().size(), 0);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first().text,
                 QStringLiteral("Le fichier « %1 » n'existe plus. Il est retiré de la liste des fichiers récents.").arg(gone));
        QCOMPARE(f.recentFiles().entries(), QStringList{there});

        f.openRecentFile(there);
        QCOMPARE(f.editeurs().size(), 1);
        QCOMPARE(f.activeEditeur()->Memo1->Lines(), (QStringList{"<html>", "</html>"}));
        QCOMPARE(m_messages.size(), 1);
    }

    void lineNumberChoiceReachesEveryWindowAndIsRemembered()
    {
        QSettings().remove(QStringLiteral("Editor"));
        {
            TMainForm f;
            QAction *numbers = f.action(QStringLiteral("Numerosdeligne1"));
            QVERIFY(numbers->isCheckable());
            QVERIFY(numbers->isChecked());
            QVERIFY(numbers->isEnabled()); // a preference, not a page command
            f.FileNewItemClick();
            f.FileNewItemClick();
            QVERIFY(f.activeEditeur()->Memo1->LineNumbers());
            numbers->trigger();
            for (TEditeur *e : f.editeurs())
                QVERIFY(!e->Memo1->LineNumbers());
            f.FileNewItemClick();
            QVERIFY(!f.activeEditeur()->Memo1->LineNumbers());
        }
        TMainForm next;
        QVERIFY(!next.action(QStringLiteral("Numerosdeligne1"))->isChecked());
        next.FileNewItemClick();
        QVERIFY(!next.activeEditeur()->Memo1->LineNumbers());
        QSettings().remove(QStringLiteral("Editor"));
    }
};

PEMO_TEST(RememberedChoicesTest)
#include "tst_remembered.moc"
