#include "aids/SpellCheck.h"
#include "colormemo/ColMemo.h"
#include "page/Page.h"
#include "testmain.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>
#include <QVBoxLayout>

// The writing aids in the pane: which lines get underlined, and what the
// menu of a marked place does to the page.
class TestWritingAids : public QObject
{
    Q_OBJECT

    QWidget *m_host = nullptr;
    TColorMemo *m_memo = nullptr;

    bool haveFrench() const { return !Spelling::dictionaryFor(QStringLiteral("fr")).isEmpty(); }
    void paint() { m_memo->viewport()->repaint(); }
    // A point of the viewport inside the character at column of line.
    QPoint at(int line, int column) const
    {
        const QTextBlock block = m_memo->document()->findBlockByNumber(line);
        QTextCursor c(block);
        c.setPosition(block.position() + column);
        const QRect r = m_memo->cursorRect(c);
        return QPoint(r.x() + 3, r.center().y());
    }
    static QAction *entry(QMenu *menu, const QString &text)
    {
        for (QAction *a : menu->actions())
            if (a->text() == text)
                return a;
        return nullptr;
    }
    static QStringList texts(QMenu *menu)
    {
        QStringList out;
        for (QAction *a : menu->actions())
            if (!a->isSeparator() && a->isVisible())
                out << a->text();
        return out;
    }

private Q_SLOTS:
    void init()
    {
        SpellWords::reset();
        m_host = new QWidget;
        m_host->resize(500, 300);
        auto *layout = new QVBoxLayout(m_host);
        m_memo = new TColorMemo(m_host);
        layout->addWidget(m_memo);
        m_host->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_host));
    }
    void cleanup()
    {
        delete m_host;
        m_host = nullptr;
    }

    void offUntilAskedFor()
    {
        m_memo->page()->load({"<p>Bonjoru!</p>"});
        paint();
        QVERIFY(m_memo->shownMarks().isEmpty());
        m_memo->setWritingAids(false, true);
        paint();
        QCOMPARE(m_memo->shownMarks(), (QList<TColorMemo::TextMark>{{0, 10, 1, false}}));
    }

    void marksOfTheShownLinesOnly()
    {
        if (!haveFrench())
            QSKIP("Aucun dictionnaire français installé (paquet hunspell-fr)");
        QStringList lines = {"<html lang=\"fr\"><body>",
                             "<p title=\"ereur\">Une ereur ici!</p>",
                             "<!-- ereur --> <b class=ereur>juste</b>",
                             "<p>caf&eacute; cr&egrave;me et cafe</p>"};
        for (int i = 0; i < 400; ++i)
            lines << "<p>ligne avec une fote</p>";
        m_memo->page()->load(lines);
        m_memo->setWritingAids(true, true);
        QCOMPARE(m_memo->spellDictionary(), QStringLiteral("fr"));
        paint();
        const QList<TColorMemo::TextMark> marks = m_memo->shownMarks();
        QVERIFY(marks.contains(TColorMemo::TextMark{1, 21, 5, true}));    // "ereur" of the text
        QVERIFY(marks.contains(TColorMemo::TextMark{1, 30, 1, false}));   // the "!"
        QVERIFY(marks.contains(TColorMemo::TextMark{3, 31, 4, true}));    // "cafe"
        for (const TColorMemo::TextMark &m : marks) {
            QVERIFY2(m.line != 2 && !(m.line == 1 && m.start < 20), "a mark outside the page's text");
            QVERIFY2(m.line < 60, "a line below the view was checked");
        }
        QVERIFY(marks.contains(TColorMemo::TextMark{4, 18, 4, true}));

        // Scrolled to the end: the lines shown there are marked.
        m_memo->verticalScrollBar()->setValue(m_memo->verticalScrollBar()->maximum());
        QTRY_VERIFY(!m_memo->shownMarks().isEmpty() && m_memo->shownMarks().first().line > 300);

        // Switched off: nothing.
        m_memo->setWritingAids(false, false);
        paint();
        QVERIFY(m_memo->shownMarks().isEmpty());
    }

    void farLinesOfABigPageAreReadBetweenEvents()
    {
        // A comment opened at the top runs over the whole page: the lines
        // at its end are only known once every line above was read, which
        // is done in slices, not within one paint.
        QStringList lines = {"<!-- un long commentaire"};
        for (int i = 0; i < 30000; ++i)
            lines << "texte du commentaire!";
        lines << "-->" << "<p>Fin!</p>";
        m_memo->page()->load(lines);
        m_memo->setWritingAids(false, true);
        m_memo->verticalScrollBar()->setValue(m_memo->verticalScrollBar()->maximum());
        paint();
        QTRY_VERIFY(!m_memo->shownMarks().isEmpty());
        QCOMPARE(m_memo->shownMarks(), (QList<TColorMemo::TextMark>{{30002, 6, 1, false}}));
    }

    void menuOfAMisspeltWord()
    {
        if (!haveFrench())
            QSKIP("Aucun dictionnaire français installé (paquet hunspell-fr)");
        m_memo->page()->load({"<p>Bonjoru tout le monde, bonjoru.</p>", "<p>Une ecole</p>"});
        m_memo->setWritingAids(true, false);
        paint();
        const QString before = m_memo->Text();

        std::unique_ptr<QMenu> menu(m_memo->contextMenuAt(at(0, 5)));
        const QStringList shown = texts(menu.get());
        QVERIFY2(shown.contains(QStringLiteral("Bonjour")), qPrintable(shown.join(u'|')));
        const int ignoreAt = int(shown.indexOf(QStringLiteral("&Ignorer")));
        QVERIFY(ignoreAt > 0 && ignoreAt <= 8); // at most 8 suggestions before it
        QCOMPARE(shown.at(ignoreAt + 1), QStringLiteral("&Ajouter au dictionnaire"));

        // The replacement is one step of the page's history.
        const int undoSteps = m_memo->page()->history().count();
        entry(menu.get(), QStringLiteral("Bonjour"))->trigger();
        QCOMPARE(m_memo->Line(0), QStringLiteral("<p>Bonjour tout le monde, bonjoru.</p>"));
        QCOMPARE(m_memo->page()->history().count(), undoSteps + 1);
        QCOMPARE(m_memo->page()->undoName(), QStringLiteral("Correction orthographique"));
        QVERIFY(m_memo->page()->undo());
        QCOMPARE(m_memo->Text(), before);

        // Ignored: no mark on any of its places any more.
        menu.reset(m_memo->contextMenuAt(at(0, 5)));
        entry(menu.get(), QStringLiteral("&Ignorer"))->trigger();
        paint();
        QCOMPARE(m_memo->shownMarks(), (QList<TColorMemo::TextMark>{{1, 7, 5, true}}));

        // Added to the list: kept in the user's file.
        menu.reset(m_memo->contextMenuAt(at(1, 8)));
        QVERIFY(texts(menu.get()).contains(QStringLiteral("école")));
        entry(menu.get(), QStringLiteral("&Ajouter au dictionnaire"))->trigger();
        paint();
        QVERIFY(m_memo->shownMarks().isEmpty());
        QVERIFY(SpellWords::personalWords().contains(QStringLiteral("ecole")));

        // Elsewhere, the control's own menu alone.
        menu.reset(m_memo->contextMenuAt(at(0, 1)));
        QVERIFY(!entry(menu.get(), QStringLiteral("&Ignorer")));
    }

    void menuOfATypographyFault()
    {
        m_memo->page()->load({"<p>Vraiment ? Oui!</p>"});
        m_memo->setWritingAids(false, true);
        paint();
        QCOMPARE(m_memo->shownMarks().size(), 2);
        std::unique_ptr<QMenu> menu(m_memo->contextMenuAt(at(0, 17)));
        QAction *fix = entry(menu.get(), QStringLiteral("Corriger : espace fine insécable avant « ! »"));
        QVERIFY2(fix, qPrintable(texts(menu.get()).join(u'|')));
        const int undoSteps = m_memo->page()->history().count();
        fix->trigger();
        // A new page is saved in Windows-1252: the space goes in as its reference.
        QCOMPARE(m_memo->Line(0), QStringLiteral("<p>Vraiment ? Oui&#8239;!</p>"));
        QCOMPARE(m_memo->page()->history().count(), undoSteps + 1);
        paint();
        QCOMPARE(m_memo->shownMarks(), (QList<TColorMemo::TextMark>{{0, 11, 2, false}}));
        QVERIFY(m_memo->page()->undo());
        QCOMPARE(m_memo->Line(0), QStringLiteral("<p>Vraiment ? Oui!</p>"));
    }

    void languageOfThePage()
    {
        if (Spelling::dictionaryFor(QStringLiteral("en_US")) != QStringLiteral("en_US"))
            QSKIP("Aucun dictionnaire anglais installé (paquet hunspell-en-us)");
        m_memo->page()->load({"<html lang=\"en-US\">", "<p>The school is closed, l'école aussi.</p>"});
        m_memo->setWritingAids(true, false);
        QCOMPARE(m_memo->spellDictionary(), QStringLiteral("en_US"));
        paint();
        QCOMPARE(m_memo->shownMarks().size(), 2); // "l'école", "aussi"
        // The page declares another language: its lines are checked again.
        m_memo->page()->Select(12, 5);
        m_memo->page()->SetSelText(QStringLiteral("fr"));
        QCOMPARE(m_memo->Line(0), QStringLiteral("<html lang=\"fr\">"));
        QCOMPARE(m_memo->spellDictionary(), QStringLiteral("fr"));
        paint();
        QVERIFY(m_memo->shownMarks().contains(TColorMemo::TextMark{1, 7, 6, true})); // "school"
        QVERIFY(!m_memo->shownMarks().contains(TColorMemo::TextMark{1, 25, 7, true})); // "l'école"
        // Typed just after the tag, the language holds; a tag typed before
        // it is the page's new element.
        m_memo->page()->Select(16, 0);
        m_memo->page()->SetSelText(QStringLiteral("<!-- x -->"));
        QCOMPARE(m_memo->spellDictionary(), QStringLiteral("fr"));
        m_memo->page()->Select(0, 0);
        m_memo->page()->SetSelText(QStringLiteral("<html lang=\"en-US\">"));
        QCOMPARE(m_memo->spellDictionary(), QStringLiteral("en_US"));
        // And the first tag taken out leaves the second one.
        m_memo->page()->Select(0, 19);
        m_memo->page()->SetSelText(QString());
        QCOMPARE(m_memo->Line(0), QStringLiteral("<html lang=\"fr\"><!-- x -->"));
        QCOMPARE(m_memo->spellDictionary(), QStringLiteral("fr"));
    }
};

PEMO_TEST(TestWritingAids)
#include "tst_writingaids.moc"
