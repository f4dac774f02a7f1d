#include "page/Page.h"
#include "testmain.h"

#include <QTextCursor>
#include <QTextDocument>

// The page's history, without any window: typing runs, commands, the
// modified mark, the bounds.
class HistoryTest : public QObject
{
    Q_OBJECT

    qint64 m_now = 0;

    void clockOn(TPage &page)
    {
        m_now = 100000;
        page.setClock([this] { return m_now; });
    }
    // Types text one character at a time, `gap` milliseconds apart.
    void typeKeys(TPage &page, const QString &text, qint64 gap = 100)
    {
        for (QChar c : text) {
            m_now += gap;
            page.type(QString(c));
        }
    }
    static void backspace(TPage &page)
    {
        const int pos = page.cursor().position();
        page.erase(pos - 1, pos);
    }

private Q_SLOTS:
    void typingIsUndoneRunByRun()
    {
        TPage page;
        clockOn(page);
        typeKeys(page, QStringLiteral("Un été"));
        typeKeys(page, QStringLiteral(" à"));
        m_now += 1500; // a pause ends the run
        typeKeys(page, QStringLiteral("  Paris"));
        typeKeys(page, QStringLiteral("\nLigne"));
        QCOMPARE(page.Text(), QStringLiteral("Un été à  Paris\r\nLigne"));
        QCOMPARE(page.undoName(), QStringLiteral("Frappe"));

        // Word by word: a step ends where a new word begins.
        const QStringList back{QStringLiteral("Un été à  Paris\r\n"), QStringLiteral("Un été à  "),
                               QStringLiteral("Un été à"), QStringLiteral("Un été "),
                               QStringLiteral("Un "), QString()};
        for (const QString &text : back) {
            QVERIFY(page.undo()); // the line break closed the run it ended
            QCOMPARE(page.Text(), text);
        }
        QCOMPARE(page.SelStart(), 0);
        QVERIFY(!page.canUndo());
        QVERIFY(!page.undo());

        for (int i = 0; i < 6; ++i)
            QVERIFY(page.redo());
        QCOMPARE(page.Text(), QStringLiteral("Un été à  Paris\r\nLigne"));
        QCOMPARE(page.SelStart(), page.TextLength());
        QVERIFY(!page.canRedo());
    }

    void aCaretMoveOrACommandEndsTheRun()
    {
        TPage page;
        clockOn(page);
        typeKeys(page, QStringLiteral("abc"));
        QTextCursor moved(page.document());
        moved.setPosition(1);
        page.takeViewCursor(moved);
        typeKeys(page, QStringLiteral("X"));
        QCOMPARE(page.Text(), QStringLiteral("aXbc"));

        // A command: its own step, named, with the caret of today's undo.
        page.setCommandName(QStringLiteral("Gras"));
        page.Select(1, 2);
        page.beginCommand();
        page.SetSelText(QStringLiteral("<b>") + page.SelText() + QStringLiteral("</b>"));
        page.endStep();
        page.setCommandName(QString());
        typeKeys(page, QStringLiteral("!"));
        QCOMPARE(page.Text(), QStringLiteral("a<b>Xb</b>!c"));

        QVERIFY(page.undo());
        QCOMPARE(page.undoName(), QStringLiteral("Gras"));
        QCOMPARE(page.redoName(), QStringLiteral("Frappe"));
        QVERIFY(page.undo());
        QCOMPARE(page.Text(), QStringLiteral("aXbc"));
        QCOMPARE(page.SelStart(), 3); // the end of the selection, as before
        QCOMPARE(page.SelLength(), 0);
        QVERIFY(page.undo());
        QCOMPARE(page.Text(), QStringLiteral("abc"));
        QVERIFY(page.undo());
        QCOMPARE(page.Text(), QString());
    }

    void aDeletionRunIsAStepOfItsOwn()
    {
        TPage page;
        clockOn(page);
        typeKeys(page, QStringLiteral("abcdef"));
        for (int i = 0; i < 3; ++i)
            backspace(page);
        // Delete at the caret's place joins the same run.
        QTextCursor at(page.document());
        at.setPosition(1);
        page.takeViewCursor(at);
        page.erase(1, 2);
        page.erase(1, 2);
        QCOMPARE(page.Text(), QStringLiteral("a"));
        QVERIFY(page.undo());
        QCOMPARE(page.Text(), QStringLiteral("abc"));
        QVERIFY(page.undo());
        QCOMPARE(page.Text(), QStringLiteral("abcdef"));
        QCOMPARE(page.undoName(), QStringLiteral("Frappe"));
        QCOMPARE(page.redoName(), QStringLiteral("Suppression"));
    }

    void typingAfterUndoDropsTheRedoBranch()
    {
        TPage page;
        clockOn(page);
        typeKeys(page, QStringLiteral("abc"));
        page.undo();
        QVERIFY(page.canRedo());
        typeKeys(page, QStringLiteral("x"));
        QVERIFY(!page.canRedo());
        QVERIFY(!page.redo());
        QCOMPARE(page.Text(), QStringLiteral("x"));
    }

    void theModifiedMarkFollowsTheSavedPlace()
    {
        TPage page;
        clockOn(page);
        page.load({QStringLiteral("<p>Déjà</p>")});
        QVERIFY(!page.Modified());
        QVERIFY(!page.canUndo());
        page.SetSelStart(page.TextLength());
        typeKeys(page, QStringLiteral("a"));
        QVERIFY(page.Modified());
        page.SetModified(false); // saved
        QVERIFY(!page.Modified());
        typeKeys(page, QStringLiteral("b")); // after a save: a new step
        QVERIFY(page.Modified());
        page.undo();
        QVERIFY(!page.Modified());
        page.undo();
        QVERIFY(page.Modified());
        QCOMPARE(page.Text(), QStringLiteral("<p>Déjà</p>\r\n"));
        page.redo();
        QVERIFY(!page.Modified());
        page.redo();
        QVERIFY(page.Modified());
        // The saved place gone with a dropped redo branch: never unmodified again.
        page.undo();
        page.undo();
        typeKeys(page, QStringLiteral("z"));
        page.undo();
        QVERIFY(page.Modified());
    }

    void aReloadIsOneStepThatCanBeUndone()
    {
        TPage page;
        page.load({QStringLiteral("avant"), QStringLiteral("ligne 2")});
        page.beginCommand(QStringLiteral("Rechargement du fichier"));
        page.SetLines({QStringLiteral("après"), QStringLiteral("ligne 2"), QStringLiteral("ligne 3")});
        page.SetModified(false);
        QVERIFY(!page.Modified());
        QCOMPARE(page.undoName(), QStringLiteral("Rechargement du fichier"));
        QVERIFY(page.undo());
        QCOMPARE(page.Lines(), (QStringList{QStringLiteral("avant"), QStringLiteral("ligne 2")}));
        QVERIFY(page.Modified());
    }

    void undoGivesBackEveryCharacter()
    {
        // No-break spaces, a paragraph separator held in a line, a surrogate
        // pair: a command over many lines, taken back exactly.
        TPage page;
        const QStringList lines{QStringLiteral("un\u00A0deux ; trois"), QStringLiteral("x\u2029y"),
                                QStringLiteral("😀 é"), QString(), QStringLiteral("fin")};
        page.load(lines);
        page.beginCommand(QStringLiteral("Remplacer"));
        QStringList changed = lines;
        for (QString &l : changed)
            l.replace(u' ', QStringLiteral("&nbsp;"));
        changed.insert(2, QStringLiteral("nouvelle"));
        page.replaceAllText(changed.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        QCOMPARE(page.Lines(), changed);
        QVERIFY(page.undo());
        QCOMPARE(page.Lines(), lines);
        QVERIFY(page.redo());
        QCOMPARE(page.Lines(), changed);
    }

    void aCommandThatChangesNothingIsAStepButNoChange()
    {
        TPage page;
        page.load({QStringLiteral("avant"), QStringLiteral("un mot ici")});
        page.Select(9, 3);
        page.beginCommand(QStringLiteral("Tableau")); // a cancelled dialog
        page.endStep();
        QVERIFY(!page.Modified());
        QCOMPARE(page.undoName(), QStringLiteral("Tableau"));
        QVERIFY(page.undo()); // only the caret moves, as it always has
        QCOMPARE(page.Lines(), (QStringList{QStringLiteral("avant"), QStringLiteral("un mot ici")}));
        QCOMPARE(page.SelStart(), 12);
        QCOMPARE(page.SelLength(), 0);
        QVERIFY(!page.Modified());
        // A whole-text command has always counted as a change, even a void one.
        page.beginCommand(QStringLiteral("Convertir"));
        page.replaceAllText(page.Text());
        page.endStep();
        QVERIFY(page.Modified());
        page.undo();
        QVERIFY(!page.Modified());
    }

    void anEditBehindThePageEmptiesTheHistory()
    {
        TPage page;
        clockOn(page);
        typeKeys(page, QStringLiteral("abc"));
        QTextCursor direct(page.document());
        direct.insertText(QStringLiteral("z"));
        QVERIFY(!page.canUndo());
        QVERIFY(page.Modified());
        QCOMPARE(page.Text(), QStringLiteral("zabc"));
    }

    void theHistoryIsBounded()
    {
        TPage page;
        page.history().setLimits(5, std::size_t(1) << 30);
        page.load({QStringLiteral("x")});
        for (int i = 0; i < 20; ++i) {
            page.beginCommand(QStringLiteral("Commande"));
            page.SetSelText(QString::number(i % 10));
        }
        page.endStep();
        QCOMPARE(page.history().count(), 5);
        int undone = 0;
        while (page.undo())
            ++undone;
        QCOMPARE(undone, 5);

        // By characters: big steps push the oldest out, the newest stays.
        TPage big;
        big.history().setLimits(1000, 3000000);
        big.load({QString()});
        for (int i = 0; i < 10; ++i) {
            big.beginCommand();
            big.replaceAllText(QString(500000, QChar(u'a' + i)));
        }
        big.endStep();
        QVERIFY(big.history().cost() <= 3000000 + 1100000);
        QVERIFY(big.history().count() < 10);
        QVERIFY(big.undo());
        QCOMPARE(big.Text(), QString(500000, QChar(u'i')));
    }

    void aThousandEditsOnABigPageCostKilobytes()
    {
        TPage page;
        clockOn(page);
        QStringList lines;
        const QString line = QStringLiteral("<p>Une ligne de texte français, avec des accents : é è à ç.</p>");
        while (lines.size() * (line.size() + 2) < 5 * 1000 * 1000)
            lines << line;
        page.load(lines);
        const QString before = page.Text();
        for (int i = 0; i < 1000; ++i) {
            page.SetSelStart((i * 7919) % page.TextLength());
            if (i % 3 == 2)
                page.erase(page.cursor().position(), page.cursor().position() + 1);
            else
                typeKeys(page, QStringLiteral("é"));
        }
        page.endStep();
        QVERIFY2(page.history().cost() < 100 * 1000, qPrintable(QString::number(page.history().cost())));
        int undone = 0;
        while (page.undo())
            ++undone;
        QCOMPARE(undone, 1000);
        QCOMPARE(page.Text(), before);
    }
};

PEMO_TEST(HistoryTest)
#include "tst_history.moc"
