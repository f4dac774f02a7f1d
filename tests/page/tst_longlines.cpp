// Long lines are kept as pieces, each a block of the document, joined by
// breaks that are no characters of the page: whatever is done to the text,
// nothing read from the page (its text, lines, offsets, the file's copy, the
// history) may show a join, and no block may grow past the bound.
#include "page/Page.h"
#include "testmain.h"

#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// A minified page: tags and French text, no line break.
QString oneLine(int length)
{
    QString out;
    for (int i = 0; out.size() < length; ++i)
        out += QStringLiteral("<p class=\"c%1\">L\u2019\u00e9t\u00e9\u00a0: caf\u00e9 n\u00b0%1</p>").arg(i);
    out.truncate(length);
    return out;
}

bool blocksFit(const TPage &page)
{
    for (QTextBlock b = page.document()->begin(); b.isValid(); b = b.next())
        if (b.length() - 1 > TPage::LongBlock)
            return false;
    return true;
}

// A place in the text, never between the CR and the LF of a break.
int placeIn(const QString &text, QRandomGenerator &random)
{
    int at = int(random.bounded(qint64(text.size()) + 1));
    if (at > 0 && at < text.size() && text[at - 1] == u'\r' && text[at] == u'\n')
        --at;
    return at;
}

} // namespace

class LongLinesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aLongLineReadsAsOneLine()
    {
        const QString line = oneLine(100000);
        const QString text = QStringLiteral("<html>\n") + line + QStringLiteral("\n</html>\n");
        TPage page;
        page.loadText(text);
        QVERIFY(page.joinCount() >= 100000 / TPage::PieceLength);
        QVERIFY(blocksFit(page));
        QCOMPARE(page.LineCount(), 3);
        QCOMPARE(page.Line(1), line);
        QCOMPARE(page.Lines(), (QStringList{QStringLiteral("<html>"), line, QStringLiteral("</html>")}));
        QCOMPARE(page.linesText(), text);
        QCOMPARE(TPage::linesTextOf(page.snapshot()), text);
        const QString crlf = QString(text).replace(u'\n', QStringLiteral("\r\n"));
        QCOMPARE(page.Text(), crlf);
        QCOMPARE(page.TextLength(), int(crlf.size()));
        QCOMPARE(page.lineOffset(2), int(crlf.indexOf(QStringLiteral("</html>"))));
        QCOMPARE(page.lineEndOffset(1), int(crlf.indexOf(QStringLiteral("\r\n</html>"))));
        // Offsets and positions go back and forth over the joins; pieces
        // are cut after a tag or a blank, so a word stays in one piece.
        for (int offset = 0; offset <= crlf.size(); offset += 997) {
            if (offset > 0 && crlf[offset - 1] == u'\r')
                continue;
            QCOMPARE(page.positionToOffset(page.offsetToPosition(offset)), offset);
            QString range;
            page.textRange(offset, offset + 5000, range);
            QCOMPARE(range, crlf.mid(offset, 5000));
        }
        for (QTextBlock b = page.document()->begin(); b.isValid(); b = b.next())
            if (page.joinsPrevious(b.next()) && !b.text().isEmpty()) {
                const QChar last = b.text().back();
                QVERIFY2(last == u'>' || last == u' ', qPrintable(b.text().right(20)));
            }
        // The first piece of the line is its line; the others go on it.
        const QTextBlock first = page.lineBlock(1);
        QVERIFY(!page.joinsPrevious(first));
        QVERIFY(page.joinsPrevious(first.next()));
        QCOMPARE(page.lineOf(first.next()), 1);
        QCOMPARE(page.lineOf(page.lineBlock(2)), 2);

        // The document's own break, held inside long lines, is read as a
        // character of its line.
        const QString held = oneLine(40000) + QChar(0x2029) + oneLine(30000) + QStringLiteral("\n")
            + oneLine(20000) + QChar(0x2029) + QStringLiteral("\n");
        TPage other;
        other.loadText(held);
        QCOMPARE(other.linesText(), held);
        QCOMPARE(other.LineCount(), 2);
        QVERIFY(blocksFit(other));
    }

    // Typing, deleting and replacing anywhere, over the joins and across
    // lines, then every step undone and done again: each state is exactly
    // the text a plain string model has, and blocks stay within the bound.
    void aBigTextComesInTwoStepsWhole()
    {
        // Short lines, long lines (one across the head's end) and French
        // text, over a megabyte: the first screen is there at the call, the
        // page whole after it.
        QString text;
        int lines = 0;
        while (text.size() <= TPage::TwoStepsFrom) {
            const bool longOne = lines % 40 == 7 || (text.size() < TPage::HeadLength && text.size() + 30000 > TPage::HeadLength);
            text += longOne ? oneLine(30000) : QStringLiteral("<p>Voilà l’été, déjà\u00a0!</p>");
            text += u'\n';
            ++lines;
        }
        TPage page;
        int calls = 0;
        page.loadText(text, [&] {
            ++calls;
            QVERIFY(page.LineCount() > 0);
            QVERIFY(page.LineCount() < lines);
            QVERIFY(page.linesText().size() >= TPage::HeadLength);
            QVERIFY(text.startsWith(page.linesText()));
        });
        QCOMPARE(calls, 1);
        QCOMPARE(page.linesText(), text);
        QCOMPARE(page.LineCount(), lines);
        QVERIFY(blocksFit(page));
        QVERIFY(!page.Modified());
        QVERIFY(page.undoName().isEmpty());
        QCOMPARE(page.SelStart(), 0);
        // Every line starts where the text says, joins or not.
        const QString crlf = QString(text).replace(u'\n', QStringLiteral("\r\n"));
        for (int line = 0, offset = 0; line < lines; offset = int(crlf.indexOf(u'\n', offset)) + 1, ++line)
            if (line % 97 == 0 || line < 3)
                QCOMPARE(page.lineOffset(line), offset);
        // A small text, or no one to show the head to: one step.
        TPage small;
        small.loadText(QStringLiteral("<p>un</p>\n"), [&] { ++calls; });
        page.loadText(text);
        QCOMPARE(calls, 1);
        QCOMPARE(page.linesText(), text);
    }

    void editsAndTheHistoryNeverSeeTheJoins()
    {
        QRandomGenerator random(20261210);
        TPage page;
        qint64 clock = 0;
        page.setClock([&clock] { return clock; });
        QString model = oneLine(60000) + QStringLiteral("\r\nfin\r\n") + oneLine(40000);
        page.loadText(TPage::fromCrLf(model));
        QCOMPARE(page.Text(), model);
        QStringList states{model};
        for (int round = 0; round < 120; ++round) {
            clock += 5000; // each edit a step of its own
            const int op = int(random.bounded(5));
            if (op == 0) {
                // A word typed, letter by letter.
                const int at = placeIn(model, random);
                page.SetSelStart(at);
                const QString word = QStringLiteral("\u00e9t\u00e9");
                for (const QChar c : word)
                    page.type(QString(c));
                model.insert(at, word);
            } else if (op == 1) {
                // A deletion, perhaps over many pieces and a break.
                int a = placeIn(model, random), b = placeIn(model, random);
                if (a > b)
                    std::swap(a, b);
                b = std::min(b, a + int(random.bounded(20000)));
                if (b > 0 && b < model.size() && model[b - 1] == u'\r')
                    --b;
                if (a == b)
                    continue;
                page.erase(page.offsetToPosition(a), page.offsetToPosition(b));
                model.remove(a, b - a);
            } else if (op == 2) {
                // A command's text, holding a break and a long run.
                const int at = placeIn(model, random);
                const QString text = QStringLiteral("<br>\r\n") + oneLine(int(random.bounded(30000)));
                page.beginCommand(QStringLiteral("Coller"));
                page.Select(at, 0);
                page.SetSelText(text);
                page.endStep();
                model.insert(at, text);
            } else if (op == 3) {
                // A whole-text command changing one place.
                const int at = placeIn(model, random);
                model.insert(at, QStringLiteral("<b>"));
                page.beginCommand(QStringLiteral("Conversion"));
                page.replaceAllText(model);
                page.endStep();
            } else {
                // A selection typed over.
                int a = placeIn(model, random);
                int b = std::min(int(model.size()), a + int(random.bounded(9000)));
                if (b > 0 && b < model.size() && model[b - 1] == u'\r')
                    --b;
                page.Select(a, b - a);
                page.type(QStringLiteral("x"));
                model.replace(a, b - a, QStringLiteral("x"));
            }
            page.endStep();
            QCOMPARE(page.TextLength(), int(model.size()));
            QCOMPARE(page.Text(), model);
            QVERIFY(blocksFit(page));
            if (states.last() != model)
                states << model;
        }
        QCOMPARE(TPage::linesTextOf(page.snapshot()), TPage::fromCrLf(model));
        for (int i = states.size() - 2; i >= 0; --i) {
            QVERIFY(page.undo());
            QCOMPARE(page.Text(), states[i]);
            QVERIFY(blocksFit(page));
        }
        QVERIFY(!page.canUndo());
        for (int i = 1; i < states.size(); ++i) {
            QVERIFY(page.redo());
            QCOMPARE(page.Text(), states[i]);
        }
    }
};

PEMO_TEST(LongLinesTest)
#include "tst_longlines.moc"
