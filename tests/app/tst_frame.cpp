// The frame window: command table, enabling rules, New/Open/close, hints.
#include "testmain.h"

#include "app/CommandTable.h"
#include "app/Main.h"
#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "platform/FileDialogs.h"
#include "platform/Launcher.h"
#include "platform/Messages.h"

#include <QLineEdit>
#include <QSet>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusTipEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

class FrameTest : public QObject
{
    Q_OBJECT
    QList<Platform::MessageRecord> m_messages;
    QList<Platform::Answer> m_answers;
    QList<Platform::FileDialogResult> m_dialogResults;
    QList<Platform::LaunchRecord> m_launches;
    QTemporaryDir m_dir;

    static QStringList docItems()
    {
        QStringList names;
        std::function<void(const QList<MenuCommand> &)> walk = [&](const QList<MenuCommand> &items) {
            for (const MenuCommand &c : items) {
                if (c.doc)
                    names << c.name;
                walk(c.children);
            }
        };
        for (const MenuDefinition &m : commandTable())
            walk(m.items);
        return names;
    }

    Platform::FileDialogResult chosen(const QString &path)
    {
        Platform::FileDialogResult r;
        r.accepted = true;
        r.path = path;
        r.filterIndex = 1;
        return r;
    }

private Q_SLOTS:
    void init()
    {
        m_messages.clear();
        m_answers.clear();
        m_dialogResults.clear();
        m_launches.clear();
        Platform::setMessageHandler([this](const Platform::MessageRecord &r) {
            m_messages << r;
            return m_answers.isEmpty() ? Platform::Answer::Ok : m_answers.takeFirst();
        });
        Platform::setFileDialogHandler([this](const Platform::FileDialogRequest &) {
            return m_dialogResults.isEmpty() ? Platform::FileDialogResult{} : m_dialogResults.takeFirst();
        });
        Platform::setLaunchHandler([this](const Platform::LaunchRecord &r) {
            m_launches << r;
            return true;
        });
    }
    void cleanup()
    {
        Platform::setMessageHandler({});
        Platform::setFileDialogHandler({});
        Platform::setLaunchHandler({});
    }

    // Families offered by several makers come once, without the maker in
    // brackets, which would end up in the page's font elements.
    void fontListNamesFamiliesAsPagesDo()
    {
        TMainForm f;
        QStringList names;
        for (int i = 0; i < f.ComboBox1->count(); ++i)
            names << f.ComboBox1->itemText(i);
        QVERIFY(!names.isEmpty());
        for (const QString &name : names)
            QVERIFY2(!name.endsWith(u']'), qPrintable(name));
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    }

    void documentCommandsFollowOpenWindows()
    {
        TMainForm f;
        const QStringList docs = docItems();
        QVERIFY(docs.size() > 90);
        for (const QString &name : docs)
            QVERIFY2(!f.action(name)->isEnabled(), qPrintable(name));
        for (const char *always : {"FileNewItem", "FileOpenItem", "Siteperso1", "TransferparFTP1",
                                   "Configurationimpression1", "Calendrier1", "Index1", "FileExitItem"})
            QVERIFY2(f.action(QString::fromLatin1(always))->isEnabled(), always);
        QVERIFY(!f.toolButton(QStringLiteral("SaveBtn"))->isEnabled());
        QVERIFY(!f.ComboBox1->isEnabled());
        QVERIFY(!f.action(QStringLiteral("PasteItem"))->isEnabled());
        QVERIFY(!f.toolButton(QStringLiteral("PasteBtn"))->isEnabled());
        QVERIFY(!f.action(QStringLiteral("Rtablir1"))->isEnabled());

        f.FileNewItemClick();
        for (const QString &name : docs)
            QVERIFY2(f.action(name)->isEnabled(), qPrintable(name));
        QVERIFY(f.toolButton(QStringLiteral("SpeedButton12"))->isEnabled());
        QVERIFY(f.ComboBox1->isEnabled());
        QVERIFY(!f.action(QStringLiteral("PasteItem"))->isEnabled()); // own rule

        f.mdiArea->closeAllSubWindows();
        QTRY_VERIFY(!f.action(QStringLiteral("FileSaveItem"))->isEnabled());
        QVERIFY(!f.toolButton(QStringLiteral("ExecButton"))->isEnabled());
    }

    void newWindowsAreNumberedAndCaretFollowsTemplate()
    {
        TMainForm f;
        f.FileNewItemClick();
        f.FileNewItemClick();
        f.FileNewItemClick();
        TEditeur *e = f.activeEditeur();
        QCOMPARE(e->windowTitle(), QStringLiteral("Web3"));
        QCOMPARE(e->Memo1->SelStart(), 250);
        QVERIFY(e->autoActualise());
        f.mdiArea->subWindowList(QMdiArea::CreationOrder).first()->close();
        f.FileNewItemClick();
        QCOMPARE(f.activeEditeur()->windowTitle(), QStringLiteral("Web3"));
    }

    void autoRefreshMarkIsHandedToNewWindows()
    {
        TMainForm f;
        f.FileNewItemClick();
        TEditeur *first = f.activeEditeur();
        f.action(QStringLiteral("Actualiserautomatiquement1"))->trigger();
        QVERIFY(!f.action(QStringLiteral("Actualiserautomatiquement1"))->isChecked());
        QVERIFY(!first->autoActualise());
        f.FileNewItemClick();
        QVERIFY(!f.activeEditeur()->autoActualise());
    }

    void openCaptionIsFileName()
    {
        const QString path = m_dir.filePath(QStringLiteral("index.htm"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html>\n</html>\n");
        file.close();
        TMainForm f;
        m_dialogResults << chosen(path) << chosen(path);
        f.FileOpenItemClick();
        f.FileOpenItemClick();
        QCOMPARE(f.editeurs().size(), 2); // the same file twice: two windows
        QCOMPARE(f.activeEditeur()->windowTitle(), QStringLiteral("index.htm"));
        QCOMPARE(f.activeEditeur()->Memo1->Lines(), (QStringList{"<html>", "</html>"}));
    }

    // A window kept for a file that could not be read would hold the
    // template under the file's name, for "Tout enregistrer" to write.
    void openFailureShowsErrorAndLeavesNoWindow()
    {
        TMainForm f;
        m_dialogResults << chosen(m_dir.filePath(QStringLiteral("missing.htm")));
        f.FileOpenItemClick();
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first().title, QStringLiteral("Erreur"));
        QVERIFY(m_messages.first().text.contains(QStringLiteral("missing.htm")));
        QTRY_COMPARE(f.editeurs().size(), 0);
        f.action(QStringLiteral("Toutenregistrer1"))->trigger();
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("missing.htm"))));
    }

    // Odd files opened and saved all at once come back byte for byte, or
    // were refused with a message.
    void saveAllKeepsTheBytesOfUneditedPages()
    {
        QFile photo(PemoTest::sourcePath(QStringLiteral("tests/app/data/photo.jpg")));
        QVERIFY(photo.open(QIODevice::ReadOnly));
        const QList<std::pair<QString, QByteArray>> files = {
            {"nul.htm", QByteArray("<p>a\0\0\0b</p>\r\n", 14)},
            {"photo.htm", photo.readAll()},
            {"latin.htm", "<p>caf\xe9 \xc3(</p>\r\n"},
            {"utf16.htm", QByteArray("\xff\xfe<\0p\0>\0\xe9\0\r\0\n\0", 14)},
            {"cr.htm", "<p>a</p>\r<p>b</p>\r"},
            {"lf.htm", "<p>a</p>\n<p>b</p>\n"},
            {"mixte.htm", "a\r\nb\nc\rd\n"},
            {"sansfin.htm", "<p>a</p>\r\n<p>b</p>"},
        };
        QStringList paths;
        for (const auto &[name, bytes] : files) {
            QFile file(m_dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
            paths << file.fileName();
        }
        TMainForm f;
        f.openFiles(paths);
        QCOMPARE(m_messages.size(), 2);
        QVERIFY(m_messages.at(0).text.contains(QStringLiteral("nul.htm")));
        QVERIFY(m_messages.at(1).text.contains(QStringLiteral("photo.htm")));
        QTRY_COMPARE(f.editeurs().size(), int(files.size()) - 2);
        int dialogs = 0;
        Platform::setFileDialogHandler([&](const Platform::FileDialogRequest &) {
            ++dialogs;
            return Platform::FileDialogResult{};
        });
        f.action(QStringLiteral("Toutenregistrer1"))->trigger();
        QCOMPARE(dialogs, 0);
        for (qsizetype i = 0; i < files.size(); ++i) {
            QFile file(paths.at(i));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(file.readAll() == files.at(i).second, qPrintable(files.at(i).first));
        }
        QCOMPARE(m_messages.size(), 2);
    }

    void saveAllAsksANameForWizardPages()
    {
        TMainForm f;
        TEditeur *e = f.NewDocumentWindow(QStringLiteral("Web1"));
        e->Init({"<html>", "<body>Mon site</body>", "</html>"});
        e->Memo1->SetModified(false);
        const QString name = m_dir.filePath(QStringLiteral("assistant.htm"));
        m_dialogResults << chosen(name);
        f.action(QStringLiteral("Toutenregistrer1"))->trigger();
        QCOMPARE(e->GetFichier(), name);
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("<html>\r\n<body>Mon site</body>\r\n</html>\r\n"));
    }

    void saveAllRunsLastWindowFirst()
    {
        TMainForm f;
        f.FileNewItemClick();
        f.FileNewItemClick();
        f.FileNewItemClick();
        const QList<TEditeur *> list = f.editeurs();
        // Each never-saved window asks for a name; the names are handed out in order.
        QStringList names;
        Platform::setFileDialogHandler([&](const Platform::FileDialogRequest &) {
            names << m_dir.filePath(QStringLiteral("s%1.htm").arg(names.size()));
            return chosen(names.last());
        });
        f.action(QStringLiteral("Toutenregistrer1"))->trigger();
        QCOMPARE(names.size(), 3);
        QCOMPARE(list.at(2)->GetFichier(), names.at(0));
        QCOMPARE(list.at(1)->GetFichier(), names.at(1));
        QCOMPARE(list.at(0)->GetFichier(), names.at(2));
    }

    void saveAllGoesOnPastAFailedPage()
    {
        TMainForm f;
        f.FileNewItemClick();
        f.FileNewItemClick();
        f.FileNewItemClick();
        const QList<TEditeur *> list = f.editeurs();
        // A path under a plain file cannot be written, not even by root.
        QFile blocker(m_dir.filePath(QStringLiteral("fichier")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString before = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        list.at(0)->SetFichier(QStringLiteral("a.htm"));
        list.at(1)->SetFichier(QStringLiteral("fichier/b.htm"));
        list.at(2)->SetFichier(QStringLiteral("c.htm"));
        QDir::setCurrent(before);
        f.action(QStringLiteral("Toutenregistrer1"))->trigger();
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("a.htm"))));
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("c.htm"))));
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first().title, QStringLiteral("Erreur"));
        QVERIFY(m_messages.first().text.contains(QStringLiteral("b.htm")));
    }

    void closingUnderARunningDialogKeepsThePage()
    {
        TMainForm f;
        f.FileNewItemClick();
        TEditeur *e = f.activeEditeur();
        QPointer<QMdiSubWindow> sub = qobject_cast<QMdiSubWindow *>(e->parentWidget());
        QVERIFY(sub);
        const QStringList before = e->Memo1->Lines();
        bool dialogWasUp = false;
        // Something other than the user closes the window while the table
        // dialog waits for an answer.
        QTimer::singleShot(0, &f, [&] {
            dialogWasUp = QApplication::activeModalWidget() != nullptr;
            sub->close();
        });
        e->Tableau();
        QVERIFY(dialogWasUp);
        QCOMPARE(e->Memo1->Lines(), before);
        QTRY_VERIFY(sub.isNull());
        QVERIFY(f.editeurs().isEmpty());
    }

    void quitCancelledKeepsEverything()
    {
        TMainForm f;
        f.show();
        f.FileNewItemClick();
        f.FileNewItemClick();
        f.editeurs().at(0)->Memo1->SetSelText(QStringLiteral("x"));
        m_answers << Platform::Answer::Cancel;
        QVERIFY(!f.close());
        QCOMPARE(f.editeurs().size(), 2);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first().text, QStringLiteral("Enregistrer changements dans ''?"));
    }

    void browserArgumentIsQuotedFileUrl_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("argument");
        QTest::newRow("windows path") << "C:\\Site\\index.htm" << "\"FILE:///C:/Site/index.htm\"";
        QTest::newRow("blank in folder") << "C:\\Mes pages\\a.htm" << "\"FILE:///C:/Mes pages/a.htm\"";
    }
    void browserArgumentIsQuotedFileUrl()
    {
        QFETCH(QString, path);
        QFETCH(QString, argument);
        QCOMPARE(browserArgument(path), argument);
    }

    void browserOpensSavedPageOnly()
    {
        TMainForm f;
        f.FileNewItemClick();
        f.action(QStringLiteral("Lancerlenavigateur1"))->trigger();
        QVERIFY(m_launches.isEmpty()); // never saved: nothing launched
        m_dialogResults << chosen(m_dir.filePath(QStringLiteral("vu.htm")));
        f.activeEditeur()->Enregistrer();
        f.toolButton(QStringLiteral("ExecButton"))->click();
        QCOMPARE(m_launches.size(), 1);
        QCOMPARE(m_launches.first().url, QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("vu.htm"))));
        QVERIFY(m_launches.first().program.isEmpty()); // no shell, no command line
    }

    void fontListWithoutSelectionChangesNothing()
    {
        TMainForm f;
        f.FileNewItemClick();
        const QStringList before = f.activeEditeur()->Memo1->Lines();
        QTest::keyClicks(f.ComboBox1->lineEdit(), QStringLiteral("Arial"));
        QTest::keyClick(f.ComboBox1->lineEdit(), Qt::Key_Return);
        QCOMPARE(f.activeEditeur()->Memo1->Lines(), before);
    }

    void typedFaceActsOnEnterOnceWithOneSnapshot()
    {
        TMainForm f;
        f.FileNewItemClick();
        TEditeur *e = f.activeEditeur();
        e->Memo1->SetLines({QStringLiteral("titre")});
        e->Memo1->Select(0, 5);
        f.ComboBox1->lineEdit()->clear();
        QTest::keyClicks(f.ComboBox1->lineEdit(), QStringLiteral("Verdana, sans-serif"));
        QCOMPARE(e->Memo1->Line(0), QStringLiteral("titre")); // typing alone does nothing
        QTest::keyClick(f.ComboBox1->lineEdit(), Qt::Key_Return);
        QCOMPARE(e->Memo1->Line(0), QStringLiteral("<font face=\"Verdana, sans-serif\">titre</font>"));
        e->Memo1->setFocus(); // leaving the box does not apply it again
        QApplication::processEvents();
        QCOMPARE(e->Memo1->Lines().size(), 1);
        QCOMPARE(e->Memo1->Line(0).count(QStringLiteral("<font")), 1);
        e->Annuler();
        QCOMPARE(e->Memo1->Line(0), QStringLiteral("titre"));
    }

    void faceOfTheListActsAtOnceOrWhenLeftTyped()
    {
        TMainForm f;
        f.show();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.FileNewItemClick();
        TEditeur *e = f.activeEditeur();
        QVERIFY(f.ComboBox1->count() > 1);
        // Chosen from the list with the keyboard: applied at once.
        e->Memo1->SetLines({QStringLiteral("titre")});
        e->Memo1->Select(0, 5);
        f.ComboBox1->setCurrentIndex(0);
        QTest::keyClick(f.ComboBox1, Qt::Key_Down);
        const QString second = f.ComboBox1->itemText(1);
        QCOMPARE(e->Memo1->Line(0), QStringLiteral("<font face=\"%1\">titre</font>").arg(second));
        // Typed exactly as listed, then the box is left: applied once.
        e->Memo1->SetLines({QStringLiteral("titre")});
        e->Memo1->Select(0, 5);
        const QString first = f.ComboBox1->itemText(0);
        f.ComboBox1->setFocus();
        f.ComboBox1->lineEdit()->clear();
        QTest::keyClicks(f.ComboBox1->lineEdit(), first);
        f.ComboBox1->lineEdit()->setText(first); // whatever the completion added
        QCOMPARE(e->Memo1->Line(0), QStringLiteral("titre"));
        e->Memo1->setFocus();
        QTRY_COMPARE(e->Memo1->Line(0), QStringLiteral("<font face=\"%1\">titre</font>").arg(first));
        // Typed text that names no listed face is dropped on leaving.
        e->Memo1->SetLines({QStringLiteral("titre")});
        e->Memo1->Select(0, 5);
        f.ComboBox1->setFocus();
        QTest::keyClicks(f.ComboBox1->lineEdit(), QStringLiteral("zz"));
        e->Memo1->setFocus();
        QApplication::processEvents();
        QCOMPARE(e->Memo1->Line(0), QStringLiteral("titre"));
    }

    void hintsSplitTooltipAndStatusText()
    {
        TMainForm f;
        QCOMPARE(f.toolButton(QStringLiteral("SaveBtn"))->toolTip(), QStringLiteral("Enregistrer"));
        QCOMPARE(f.toolButton(QStringLiteral("SaveBtn"))->statusTip(), QString());
        QCOMPARE(f.toolButton(QStringLiteral("FileNew1Btn"))->toolTip(), QStringLiteral("Nouveau"));
        QCOMPARE(f.toolButton(QStringLiteral("FileNew1Btn"))->statusTip(), QStringLiteral("Nouveau"));
        QStatusTipEvent tip(QStringLiteral("Créer un nouveau fichier"));
        QCoreApplication::sendEvent(&f, &tip);
        QCOMPARE(f.StatusLine->text(), QStringLiteral("Créer un nouveau fichier"));
    }

    void toolBarHasFifteenControlsInFourGroups()
    {
        TMainForm f;
        const QStringList expected = {"FileNew1Btn", "OpenBtn", "SaveBtn", "CutBtn", "CopyBtn", "PasteBtn",
                                      "ExecButton", "SpeedButton10", "SpeedButton1", "SpeedButton6",
                                      "SpeedButton7", "SpeedButton8", "SpeedButton9", "SpeedButton11",
                                      "SpeedButton12"};
        for (const QString &name : expected)
            QVERIFY2(f.toolButton(name), qPrintable(name));
        QCOMPARE(f.toolButton(QStringLiteral("SpeedButton1"))->toolTip(), QStringLiteral("Taille H1"));
        QCOMPARE(f.toolButton(QStringLiteral("SpeedButton11"))->text(), QStringLiteral("BR"));
        int separators = 0;
        for (QAction *a : f.SpeedPanel->actions())
            separators += a->isSeparator();
        QCOMPARE(separators, 4);
    }

    void menusCarryHelpContextsAndShortcuts()
    {
        TMainForm f;
        const char *menus[] = {"Fichier1", "Edition1", "Insertion1", "Style1", "Parametres1",
                               "Outils1", "Javascript1", "Utilitaires1", "Fenetre1", "Aide1"};
        int context = 4;
        for (const char *name : menus)
            QCOMPARE(f.menu(QString::fromLatin1(name))->property("helpContext").toInt(), context++);
        QCOMPARE(f.action(QStringLiteral("Annuler1"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
        QCOMPARE(f.action(QStringLiteral("Continuer1"))->shortcut(), QKeySequence(Qt::Key_F3));
        QCOMPARE(f.action(QStringLiteral("Changerlacasse1"))->text(), QStringLiteral("C&hanger  la casse..."));
        QCOMPARE(f.action(QStringLiteral("Cookiedidentification1"))->statusTip(),
                 QStringLiteral("Invite d'intentification du surdeur"));
    }

    // The usual keys of a desktop program, each on one command only.
    void standardShortcuts_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("item");
        QTest::newRow("new") << QStringLiteral("Ctrl+N") << QStringLiteral("FileNewItem");
        QTest::newRow("open") << QStringLiteral("Ctrl+O") << QStringLiteral("FileOpenItem");
        QTest::newRow("save") << QStringLiteral("Ctrl+S") << QStringLiteral("FileSaveItem");
        QTest::newRow("print") << QStringLiteral("Ctrl+P") << QStringLiteral("Imprimer1");
    }
    void standardShortcuts()
    {
        QFETCH(QString, keys);
        QFETCH(QString, item);
        TMainForm f;
        QStringList owners;
        for (QAction *a : f.findChildren<QAction *>())
            if (a->shortcut() == QKeySequence(keys))
                owners << a->objectName();
        QCOMPARE(owners, QStringList{item});
    }

    // The keys work from the source pane: Ctrl+N opens a page, Ctrl+S saves it.
    void newAndSaveFromTheKeyboard()
    {
        TMainForm f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::keyClick(&f, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(f.editeurs().size(), 1);
        TEditeur *e = f.activeEditeur();
        QTRY_COMPARE(QApplication::focusWidget(), e->Memo1);
        const QString path = m_dir.filePath(QStringLiteral("clavier.htm"));
        m_dialogResults << chosen(path);
        QTest::keyClick(e->Memo1, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(QFile::exists(path));
        QCOMPARE(e->GetFichier(), path);
    }

    void windowMenuListsWindowsAndMinimizesAll()
    {
        TMainForm f;
        f.show();
        f.FileNewItemClick();
        f.FileNewItemClick();
        QMenu *menu = f.menu(QStringLiteral("Fenetre1"));
        Q_EMIT menu->aboutToShow();
        QStringList entries;
        for (QAction *a : menu->actions())
            entries << a->text();
        QVERIFY(entries.contains(QStringLiteral("&1 Web1")));
        QVERIFY(entries.contains(QStringLiteral("&2 Web2")));
        f.action(QStringLiteral("WindowMinimizeItem"))->trigger();
        for (QMdiSubWindow *w : f.mdiArea->subWindowList())
            QVERIFY(w->isMinimized());
    }

    void undoAndRedoShowWhatTheyTakeBack()
    {
        TMainForm f;
        f.FileNewItemClick();
        TEditeur *e = f.activeEditeur();
        QAction *undo = f.action(QStringLiteral("Annuler1"));
        QAction *redo = f.action(QStringLiteral("Rtablir1"));
        QCOMPARE(redo->shortcuts(), (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Y")),
                                                          QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}));
        e->Memo1->Select(0, 6);
        f.action(QStringLiteral("Gras1"))->trigger();
        QCOMPARE(undo->statusTip(), QStringLiteral("Annuler : Gras"));
        QVERIFY(!redo->isEnabled());
        undo->trigger();
        QCOMPARE(e->Memo1->Lines(), TEditeur::pageTemplate());
        QVERIFY(redo->isEnabled());
        QCOMPARE(redo->statusTip(), QStringLiteral("Rétablir : Gras"));
        QCOMPARE(undo->statusTip(), QStringLiteral("Annuler la dernière opération"));
        redo->trigger();
        QCOMPARE(e->Memo1->Line(0), QStringLiteral("<b><html></b>"));
        QVERIFY(!redo->isEnabled());
        QCOMPARE(redo->statusTip(), QStringLiteral("Rétablir"));
    }

    void pendingCommandsAnnounceThemselves()
    {
        const QStringList pending = pendingCommands();
        if (pending.isEmpty())
            QSKIP("every command is connected");
        TMainForm f;
        f.FileNewItemClick();
        f.action(pending.first())->trigger();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.first().text.contains(QStringLiteral("pas encore disponible")));
    }
};

PEMO_TEST(FrameTest)
#include "tst_frame.moc"
