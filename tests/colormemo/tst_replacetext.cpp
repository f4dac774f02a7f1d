// The pane's text replacements edit only what differs. Each result is held
// against the plain way of doing the same thing (the whole range taken out
// and the new text put in by a cursor), which is what the commands did
// before: same characters, same caret, one change reported.
#include "colormemo/ColMemo.h"
#include "testmain.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTextDocument>

namespace {

// Pieces of a page, with the characters that trip offset arithmetic: a
// no-break space, a character outside the basic plane, a line separator
// inside a line.
const QStringList kPieces = {QStringLiteral("<p>"),       QStringLiteral("</p>"),    QStringLiteral("été"),
                             QStringLiteral("a\u00A0b"),  QStringLiteral("😀"),      QStringLiteral("😃"),
                             QStringLiteral("x\u2028y"),  QStringLiteral("  "),      QStringLiteral("<td>"),
                             QStringLiteral("&nbsp;"),    QStringLiteral("\n"),      QStringLiteral("\n"),
                             QStringLiteral("\n\n"),      QStringLiteral("mot"),     QStringLiteral("\u00A0")};

QString randomText(QRandomGenerator &rng, int pieces)
{
    QString s;
    for (int i = 0; i < pieces; ++i)
        s += kPieces.at(rng.bounded(int(kPieces.size())));
    return s;
}

// A position of s that does not cut a surrogate pair.
qsizetype randomPlace(QRandomGenerator &rng, const QString &s, qsizetype from = 0)
{
    qsizetype at = from + rng.bounded(int(s.size() - from) + 1);
    if (at > 0 && at < s.size() && s.at(at).isLowSurrogate())
        --at;
    return std::max(at, from);
}

QString editAt(QRandomGenerator &rng, const QString &s, qsizetype at)
{
    QString out = s;
    const qsizetype removed = randomPlace(rng, s, at) - at;
    out.replace(at, std::min<qsizetype>(removed, 6), randomText(rng, rng.bounded(3)));
    return out;
}

enum class Change { Start, Middle, End, Several, Whole, None, FirstCharacter, LastCharacter, Emptied, FromEmpty };

QString changed(QRandomGenerator &rng, const QString &old, Change how)
{
    switch (how) {
    case Change::Start: return editAt(rng, old, randomPlace(rng, old.left(old.size() / 10)));
    case Change::Middle: return editAt(rng, old, randomPlace(rng, old, old.size() / 3));
    case Change::End: return editAt(rng, old, randomPlace(rng, old, old.size() * 9 / 10));
    case Change::Several: {
        QString s = old;
        for (int i = 0; i < 12; ++i)
            s = editAt(rng, s, randomPlace(rng, s));
        return s;
    }
    case Change::Whole: return randomText(rng, 60);
    case Change::None: return old;
    case Change::FirstCharacter: return QStringLiteral("Z") + old.mid(1);
    case Change::LastCharacter: return old.left(old.size() - 1) + QStringLiteral("Z");
    case Change::Emptied: return QString();
    case Change::FromEmpty: return old;
    }
    return old;
}

// The text of the pane with its own characters, breaks as LF.
QString stored(const TColorMemo &memo)
{
    return memo.document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

// The plain way: the range out, the text in, through one cursor.
void plainReplace(TColorMemo &memo, int from, int to, const QString &qtText)
{
    QTextCursor c(memo.document());
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    c.insertText(qtText);
    memo.setTextCursor(c);
}

} // namespace

class ReplaceTextTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void replaceAllTextMatchesTheWholeRewrite_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<bool>("crlf");
        QTest::newRow("random edit at the start") << int(Change::Start) << false;
        QTest::newRow("random edit in the middle") << int(Change::Middle) << false;
        QTest::newRow("random edit at the end") << int(Change::End) << false;
        QTest::newRow("edits all over") << int(Change::Several) << false;
        QTest::newRow("edits all over, CR LF given") << int(Change::Several) << true;
        QTest::newRow("whole text changed") << int(Change::Whole) << false;
        QTest::newRow("no change") << int(Change::None) << false;
        QTest::newRow("no change, CR LF given") << int(Change::None) << true;
        QTest::newRow("first character") << int(Change::FirstCharacter) << false;
        QTest::newRow("last character") << int(Change::LastCharacter) << false;
        QTest::newRow("everything removed") << int(Change::Emptied) << false;
        QTest::newRow("into an empty pane") << int(Change::FromEmpty) << false;
    }
    void replaceAllTextMatchesTheWholeRewrite()
    {
        QFETCH(int, change);
        QFETCH(bool, crlf);
        QRandomGenerator rng(quint32(1000 + change));
        for (int round = 0; round < 40; ++round) {
            const QString before = randomText(rng, 20 + rng.bounded(80));
            const QString after = changed(rng, before, Change(change));
            TColorMemo memo, reference;
            if (Change(change) != Change::FromEmpty) {
                memo.SetText(before);
                reference.SetText(before);
            }
            memo.Select(rng.bounded(memo.TextLength() + 1), 3);
            memo.SetModified(false);
            reference.SetModified(false);
            QSignalSpy changes(memo.document(), &QTextDocument::contentsChange);

            memo.replaceAllText(crlf ? QString(after).replace(u'\n', QStringLiteral("\r\n")) : after);
            plainReplace(reference, 0, reference.document()->characterCount() - 1, after);
            reference.SetSelStart(0);

            const QByteArray where = QByteArray::number(round);
            QVERIFY2(stored(memo) == after, where);
            QCOMPARE(memo.Text(), reference.Text());
            QCOMPARE(memo.Lines(), reference.Lines());
            QCOMPARE(memo.document()->blockCount(), reference.document()->blockCount());
            QCOMPARE(memo.SelStart(), 0);
            QCOMPARE(memo.SelLength(), 0);
            QCOMPARE(memo.Modified(), reference.Modified());
            const QString held = Change(change) == Change::FromEmpty ? QString() : before;
            QVERIFY2(changes.size() == (held == after ? 0 : 1), where);
            if (!changes.isEmpty() && Change(change) != Change::Whole) {
                // Only the stretch that differs was edited.
                const int removed = changes.first().at(1).toInt();
                const int added = changes.first().at(2).toInt();
                QVERIFY2(removed <= before.size() && added <= after.size(), where);
            }
        }
    }

    void surrogatePairsAreNeverCut()
    {
        // 😀 and 😃 share their first half: a naive common start would end
        // between the two halves.
        TColorMemo memo;
        memo.SetLines({QStringLiteral("a😀b"), QStringLiteral("x😀")});
        memo.SetLines({QStringLiteral("a😃b"), QStringLiteral("x😃")});
        QCOMPARE(memo.Lines(), (QStringList{QStringLiteral("a😃b"), QStringLiteral("x😃")}));
        QTextCursor c(memo.document());
        c.setPosition(1);
        QVERIFY(c.movePosition(QTextCursor::NextCharacter));
        QCOMPARE(c.position(), 3);
    }

    void noBreakSpacesAreKept()
    {
        TColorMemo memo;
        memo.SetLines({QStringLiteral("a\u00A0b"), QStringLiteral("c d")});
        memo.SetLines({QStringLiteral("a\u00A0b"), QStringLiteral("c\u00A0d")});
        QCOMPARE(memo.Lines(), (QStringList{QStringLiteral("a\u00A0b"), QStringLiteral("c\u00A0d")}));
        // The first line was never touched.
        memo.SetLines({QStringLiteral("a b"), QStringLiteral("c\u00A0d")});
        QCOMPARE(memo.Lines().first(), QStringLiteral("a b"));
    }

    void setSelTextMatchesTheCursorInsertion()
    {
        QRandomGenerator rng(77);
        for (int round = 0; round < 200; ++round) {
            const QString before = randomText(rng, 10 + rng.bounded(40));
            TColorMemo memo, reference;
            memo.SetText(before);
            reference.SetText(before);
            const int length = memo.TextLength();
            const int start = rng.bounded(length + 1);
            const int count = rng.bounded(length - start + 1);
            memo.Select(start, count);
            reference.Select(start, count);
            // Often the selection given back almost as it was, as the
            // replace-all and indentation commands do.
            QString text = memo.SelText();
            text = rng.bounded(2) ? QString(text).replace(QStringLiteral("é"), QStringLiteral("&eacute;"))
                                  : randomText(rng, rng.bounded(6)).replace(u'\n', QStringLiteral("\r\n"));
            QSignalSpy changes(memo.document(), &QTextDocument::contentsChange);
            memo.SetSelText(text);
            const QTextCursor r = reference.textCursor();
            plainReplace(reference, r.selectionStart(), r.selectionEnd(), TColorMemo::fromCrLf(text));

            const QByteArray where = QByteArray::number(round);
            QVERIFY2(memo.Text() == reference.Text(), where);
            QVERIFY2(memo.SelStart() == reference.SelStart(), where);
            QCOMPARE(memo.SelLength(), 0);
            QVERIFY(changes.size() <= 1);
        }
    }

    void replaceLines_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<bool>("finalBreak");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("expected"); // the text, CR LF
        // Where the caret, put after the page's last 😀 (offset 26), must
        // end; -1 when its line goes.
        QTest::addColumn<int>("caret");
        const QString smile = QStringLiteral("😀");
        const QString sep = QStringLiteral("\u2028");
        const QStringList page{smile + "un", "deux" + sep + smile, "trois", smile + smile};
        QTest::newRow("one line in the middle")
            << page << true << 1 << 1 << QStringList{"DEUX" + smile}
            << smile + "un\r\nDEUX" + smile + "\r\ntrois\r\n" + smile + smile + "\r\n" << 25;
        QTest::newRow("first line, more lines back")
            << page << true << 0 << 1 << QStringList{"a", smile}
            << "a\r\n" + smile + "\r\ndeux" + sep + smile + "\r\ntrois\r\n" + smile + smile + "\r\n" << 27;
        QTest::newRow("lines taken out") << page << true << 1 << 2 << QStringList{}
                                         << smile + "un\r\n" + smile + smile + "\r\n" << 10;
        QTest::newRow("lines put in before one") << page << true << 2 << 0 << QStringList{"<link>"}
                                                 << smile + "un\r\ndeux" + sep + smile + "\r\n<link>\r\ntrois\r\n"
                + smile + smile + "\r\n" << 34;
        QTest::newRow("added at the end") << page << true << 4 << 0 << QStringList{"fin"}
                                          << smile + "un\r\ndeux" + sep + smile + "\r\ntrois\r\n" + smile + smile
                + "\r\nfin\r\n" << 26;
        QTest::newRow("last line without a break") << page << false << 3 << 1 << QStringList{"z", "y"}
                                                   << smile + "un\r\ndeux" + sep + smile + "\r\ntrois\r\nz\r\ny" << -1;
        QTest::newRow("added after a last line without a break")
            << page << false << 4 << 0 << QStringList{"fin"}
            << smile + "un\r\ndeux" + sep + smile + "\r\ntrois\r\n" + smile + smile + "\r\nfin" << -1;
        QTest::newRow("last lines taken out, no break") << page << false << 2 << 2 << QStringList{}
                                                        << smile + "un\r\ndeux" + sep + smile << -1;
        QTest::newRow("every line taken out") << page << true << 0 << 4 << QStringList{} << QString() << -1;
        QTest::newRow("into an empty text") << QStringList{} << false << 0 << 0 << QStringList{"a", "b"}
                                            << QStringLiteral("a\r\nb") << -1;
        QTest::newRow("nothing changes") << page << true << 1 << 2 << page.mid(1, 2)
                                         << smile + "un\r\ndeux" + sep + smile + "\r\ntrois\r\n" + smile + smile
                + "\r\n" << 26;
    }
    void replaceLines()
    {
        QFETCH(QStringList, before);
        QFETCH(bool, finalBreak);
        QFETCH(int, first);
        QFETCH(int, count);
        QFETCH(QStringList, lines);
        QFETCH(QString, expected);
        QFETCH(int, caret);
        TColorMemo memo;
        memo.SetText(before.join(QStringLiteral("\r\n")) + (finalBreak ? QStringLiteral("\r\n") : QString()));
        memo.SetSelStart(26);
        QSignalSpy changes(memo.document(), &QTextDocument::contentsChange);
        memo.replaceLines(first, count, lines);
        QCOMPARE(memo.Text(), expected);
        QVERIFY(changes.size() <= 1);
        if (caret >= 0)
            QCOMPARE(memo.SelStart(), caret);
    }

    void caretBeforeTheEditKeepsItsOffset()
    {
        TColorMemo memo;
        memo.SetLines({QStringLiteral("a😀\u2028b"), QStringLiteral("c"), QStringLiteral("d")});
        memo.Select(1, 2); // the 😀
        memo.replaceLines(2, 1, {QStringLiteral("D😀D")});
        QCOMPARE(memo.SelStart(), 1);
        QCOMPARE(memo.SelText(), QStringLiteral("😀"));
        // After the edit, the selection moves along with its text.
        memo.Select(11, 2);
        QCOMPARE(memo.SelText(), QStringLiteral("😀"));
        memo.replaceLines(0, 1, {QStringLiteral("un 😀"), QStringLiteral("deux")});
        QCOMPARE(memo.SelText(), QStringLiteral("😀"));
        QCOMPARE(memo.SelStart(), 17);
    }
};

PEMO_TEST(ReplaceTextTest)
#include "tst_replacetext.moc"
