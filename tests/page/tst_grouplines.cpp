// A big page comes in with its short lines gathered into blocks of several
// (groups). Whatever is read or done, a page with groups must be the same
// page as one loaded a block a line: same text, lines, offsets, file copy,
// history; and the document positions are the same in both.
#include "page/Page.h"
#include "testmain.h"

#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// Short French lines, empty ones, one a little long, one longer than a
// block may be: lines of every kind a group gathers or leaves alone.
QString pageText(int lines)
{
    QString out;
    for (int i = 0; i < lines; ++i) {
        if (i % 97 == 13)
            out += QString(30000, u'm') + QStringLiteral("<b>x</b>");
        else if (i % 41 == 5)
            out += QString(3000, u'\u00e9');
        else if (i % 7 != 3)
            out += QStringLiteral("<p>L\u2019\u00e9t\u00e9\u00a0: caf\u00e9 n\u00b0%1</p>").arg(i);
        out += u'\n';
    }
    return out;
}

// Loads without groups, whatever the size.
void loadPlain(TPage &page, const QString &text)
{
    const qsizetype from = TPage::groupFrom();
    TPage::setGroupFrom(std::numeric_limits<qsizetype>::max());
    page.loadText(text);
    TPage::setGroupFrom(from);
}

// Every reading of the two pages agrees.
void compareReadings(const TPage &grouped, const TPage &plain)
{
    const QString text = plain.Text();
    QCOMPARE(grouped.Text(), text);
    QCOMPARE(grouped.TextLength(), plain.TextLength());
    QCOMPARE(grouped.LineCount(), plain.LineCount());
    QCOMPARE(grouped.Lines(), plain.Lines());
    QCOMPARE(grouped.linesText(), plain.linesText());
    QCOMPARE(grouped.document()->characterCount(), plain.document()->characterCount());
    for (int line = 0; line <= plain.LineCount(); ++line) {
        QCOMPARE(grouped.Line(line), plain.Line(line));
        QCOMPARE(grouped.lineOffset(line), plain.lineOffset(line));
        QCOMPARE(grouped.lineEndOffset(line), plain.lineEndOffset(line));
        QCOMPARE(grouped.linePosition(line), plain.linePosition(line));
        const QTextBlock block = grouped.lineBlock(line);
        if (line < plain.LineCount()) {
            QVERIFY(block.isValid());
            QVERIFY(grouped.lineOf(block) <= line);
        }
    }
    for (int offset = 0; offset <= text.size(); offset += 1 + offset % 13) {
        QCOMPARE(grouped.offsetToPosition(offset), plain.offsetToPosition(offset));
        const int position = plain.offsetToPosition(offset);
        QCOMPARE(grouped.positionToOffset(position), plain.positionToOffset(position));
        QCOMPARE(grouped.lineAt(position), plain.lineAt(position));
        if (offset % 5 == 0) {
            QString a, b;
            grouped.textRange(offset, offset + 200, a);
            plain.textRange(offset, offset + 200, b);
            QCOMPARE(a, b);
        }
    }
}

} // namespace

class GroupLinesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { TPage::setGroupFrom(1000); }
    void cleanup() { TPage::setGroupFrom(TPage::TwoStepsFrom); }

    void aGroupedPageReadsAsItsLines()
    {
        const QString text = pageText(900);
        TPage grouped, plain;
        grouped.loadText(text);
        loadPlain(plain, text);
        QVERIFY(grouped.hasGroups());
        QVERIFY(!plain.hasGroups());
        QVERIFY(grouped.document()->blockCount() < plain.document()->blockCount() / 4);
        for (QTextBlock b = grouped.document()->begin(); b.isValid(); b = b.next()) {
            QVERIFY(b.length() - 1 <= TPage::LongBlock);
            QCOMPARE(grouped.holdsLines(b), b.text().contains(QChar::LineSeparator));
        }
        compareReadings(grouped, plain);
        QCOMPARE(grouped.linesText(), text);
        QVERIFY(!grouped.Modified());

        // A head first, then the rest gathered: the same page.
        TPage twoSteps;
        twoSteps.loadText(text, [&] { QVERIFY(!twoSteps.hasGroups()); });
        compareReadings(twoSteps, plain);
    }

    void textsHoldingSeparatorsAreNotGathered()
    {
        // A line separator or a paragraph separator of the file's own stays
        // a character of its line.
        for (const QChar held : {QChar(QChar::LineSeparator), QChar(QChar::ParagraphSeparator)}) {
            const QString text = pageText(300) + QStringLiteral("a") + held + QStringLiteral("b\n") + pageText(300);
            TPage page;
            page.loadText(text);
            QCOMPARE(page.hasGroups(), held == QChar::ParagraphSeparator);
            QCOMPARE(page.linesText(), text);
            QCOMPARE(page.LineCount(), 601);
        }
    }

    void editsAndTheHistoryReadAsWithoutGroups()
    {
        QRandomGenerator random(20261211);
        const QString text = pageText(700);
        TPage grouped, plain;
        qint64 clock = 0;
        grouped.setClock([&clock] { return clock; });
        plain.setClock([&clock] { return clock; });
        grouped.loadText(text);
        loadPlain(plain, text);
        const int groupsAtFirst = grouped.groupCount();
        QStringList states{plain.Text()};
        for (int round = 0; round < 80; ++round) {
            clock += 5000;
            const int length = plain.TextLength();
            int a = int(random.bounded(length + 1));
            int b = std::min(length, a + int(random.bounded(round % 4 == 0 ? 5000 : 40)));
            // Never inside a CR LF.
            a = plain.positionToOffset(plain.offsetToPosition(a));
            b = plain.positionToOffset(plain.offsetToPosition(b));
            switch (round % 6) {
            case 0: // typed, letter by letter, with a line break
                for (TPage *p : {&grouped, &plain}) {
                    p->SetSelStart(a);
                    for (const QChar c : QStringLiteral("\u00e9t\u00e9\r"))
                        p->type(QString(c));
                }
                break;
            case 1: // a deletion, perhaps over many lines
                for (TPage *p : {&grouped, &plain}) {
                    p->Select(a, b - a);
                    p->erase(0, 0);
                }
                break;
            case 2: // a command's text in place of a selection
                for (TPage *p : {&grouped, &plain}) {
                    p->beginCommand(QStringLiteral("Coller"));
                    p->Select(a, b - a);
                    p->SetSelText(QStringLiteral("<br>\r\n\u00a0fin"));
                    p->endStep();
                }
                break;
            case 3: { // lines replaced
                const int first = int(random.bounded(plain.LineCount() + 1));
                const int count = int(random.bounded(40));
                for (TPage *p : {&grouped, &plain}) {
                    p->beginCommand(QStringLiteral("Lignes"));
                    p->replaceLines(first, count, {QStringLiteral("une"), QStringLiteral("deux")});
                    p->endStep();
                }
                break;
            }
            case 4: { // a whole-text command changing a few places
                QString changed = plain.Text();
                changed.insert(b, QStringLiteral("<i>"));
                changed.insert(a, QStringLiteral("</i>"));
                for (TPage *p : {&grouped, &plain}) {
                    p->beginCommand(QStringLiteral("Conversion"));
                    p->replaceAllText(changed);
                    p->endStep();
                }
                break;
            }
            default: // a view takes a stretch apart: no change at all
                grouped.unfold(grouped.offsetToPosition(a), grouped.offsetToPosition(b));
                break;
            }
            for (TPage *p : {&grouped, &plain})
                p->endStep();
            QCOMPARE(grouped.Text(), plain.Text());
            QCOMPARE(grouped.SelStart(), plain.SelStart());
            QCOMPARE(grouped.SelLength(), plain.SelLength());
            QCOMPARE(grouped.undoName(), plain.undoName());
            if (states.last() != plain.Text())
                states << plain.Text();
        }
        QVERIFY(grouped.hasGroups());
        QVERIFY(grouped.groupCount() < groupsAtFirst);
        compareReadings(grouped, plain);
        for (int i = int(states.size()) - 2; i >= 0; --i) {
            QVERIFY(grouped.undo());
            QVERIFY(plain.undo());
            QCOMPARE(grouped.Text(), states[i]);
        }
        QVERIFY(!grouped.canUndo());
        QCOMPARE(grouped.linesText(), text);
        for (int i = 1; i < states.size(); ++i) {
            QVERIFY(grouped.redo());
            QVERIFY(plain.redo());
            QCOMPARE(grouped.Text(), states[i]);
        }
        compareReadings(grouped, plain);
    }

    void takingAGroupApartChangesNothingButTheBlocks()
    {
        const QString text = pageText(400);
        TPage page;
        page.loadText(text);
        // A caret at the end of a line inside a group, a selection over two.
        const int line = 120;
        QVERIFY(page.holdsLines(page.lineBlock(line)));
        QVERIFY(page.lineOf(page.lineBlock(line)) < line);
        page.Select(page.lineEndOffset(line), page.lineOffset(line + 2) - page.lineEndOffset(line));
        const int start = page.SelStart(), length = page.SelLength();
        const quint64 changes = page.changeCount();
        int told = 0;
        connect(&page, &TPage::historyChanged, this, [&] { ++told; });
        const int blocks = page.document()->blockCount();
        const int groups = page.groupCount();
        page.unfold(page.linePosition(line), page.linePosition(line));
        QCOMPARE(page.groupCount(), groups - 1);
        QVERIFY(page.document()->blockCount() > blocks);
        QCOMPARE(page.lineOf(page.lineBlock(line)), line);
        QCOMPARE(page.lineBlock(line).position(), page.linePosition(line));
        QCOMPARE(page.SelStart(), start);
        QCOMPARE(page.SelLength(), length);
        QCOMPARE(page.changeCount(), changes);
        QCOMPARE(told, 0);
        QVERIFY(!page.Modified());
        QVERIFY(!page.canUndo());
        QCOMPARE(page.linesText(), text);
        // Everything taken apart: a block a line, as a plain load has it.
        page.unfold(0, page.document()->characterCount());
        QVERIFY(!page.hasGroups());
        TPage plain;
        loadPlain(plain, text);
        QCOMPARE(page.document()->blockCount(), plain.document()->blockCount());
        compareReadings(page, plain);
    }
};

PEMO_TEST(GroupLinesTest)
#include "tst_grouplines.moc"
