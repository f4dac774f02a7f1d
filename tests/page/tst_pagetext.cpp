// The page's text taken and given whole: what files and recovery copies are
// made from, and the count that tells whether it changed.
#include "page/Page.h"
#include "testmain.h"

#include <QTextCursor>
#include <QTextDocument>

class PageTextTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void linesTextIsTheLinesJoined_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("final break") << QStringLiteral("<p>\u00e9t\u00e9\u00a0!</p>\n\n<b>x</b>\n");
        QTest::newRow("no final break") << QStringLiteral("a\nb");
        QTest::newRow("empty") << QString();
        // The document's own line break, held inside a line, comes back as
        // itself and not as a break.
        QTest::newRow("paragraph separator in a line") << QStringLiteral("a\u2029b\nc\n");
    }
    void linesTextIsTheLinesJoined()
    {
        QFETCH(QString, text);
        TPage page;
        page.loadText(text);
        QCOMPARE(page.linesText(), text);
        QCOMPARE(TPage::linesTextOf(page.snapshot()), text);
        QStringList lines = text.split(u'\n');
        if (lines.last().isEmpty())
            lines.removeLast();
        QCOMPARE(page.Lines(), lines);
        QVERIFY(!page.Modified());
        QVERIFY(!page.canUndo());
    }

    // Files are written from the text as the page keeps it, without the
    // conversion to lines: the bytes must be those of the lines, in every
    // encoding and line-break style, on a text big enough to be written in
    // two halves at once.
    void storedTextIsWrittenAsItsLines()
    {
        QString piece = QStringLiteral("<p>\u00e9t\u00e9\u00a0: 10\u00a0\u20ac \u00ab\u202fcher\u202f\u00bb "
                                       "\U0001F600 \u0152uvre \u4e2d &eacute;\tfin</p>\n");
        piece += QStringLiteral("a\u2029b (kept)\n\n");
        piece += QChar(0xD800); // half a pair, alone
        piece += QStringLiteral("x\n");
        QString big;
        while (big.size() < 5 * 1024 * 1024)
            big += piece;
        const QString head = QStringLiteral("<meta charset=\"utf-8\">\n");
        // Pieces of a megabyte: a pair across the first cut, a lone half
        // just before it.
        const QString acrossCut = QString(1024 * 1024 - 1, u'a') + QStringLiteral("\U0001F600b\n") + piece;
        const QString loneAtCut = QString(1024 * 1024 - 1, u'a') + QChar(0xD800) + QStringLiteral("b\n");
        using PageFile::Encoding;
        using PageFile::LineBreak;
        const QList<Encoding> encodings{Encoding::Windows1252, Encoding::Utf8, Encoding::Utf8Bom,
                                        Encoding::Utf16Le, Encoding::Utf32BeBom};
        for (const QString &text :
             QStringList{piece, piece + u'y', big, head + big.chopped(1), acrossCut, loneAtCut, QString()}) {
            TPage page;
            page.loadText(text);
            const QString stored = page.snapshot();
            const QString lines = page.linesText();
            QCOMPARE(PageFile::saveEncodingOfText(stored, TPage::storedForm(), Encoding::Windows1252),
                     PageFile::saveEncodingOfText(lines, Encoding::Windows1252));
            for (Encoding e : encodings)
                for (LineBreak style : {LineBreak::CrLf, LineBreak::Lf, LineBreak::Cr})
                    for (bool final : {true, false}) {
                        if (text.size() > piece.size() + 1 && (style == LineBreak::Cr || final == (style == LineBreak::Lf)))
                            continue; // the big texts in two forms only: enough for the halves
                        const PageFile::Breaks breaks{style, final};
                        const QByteArray expected = PageFile::encodeText(lines, e, breaks);
                        const QString what = QStringLiteral("%1 chars, encoding %2, style %3, final %4")
                                                 .arg(text.size()).arg(int(e)).arg(int(style)).arg(final);
                        QVERIFY2(PageFile::encodeText(stored, TPage::storedForm(), e, breaks) == expected,
                                 qPrintable(what));
                        // In pieces, as a page is saved: the same bytes, and
                        // a big text never in one piece.
                        const auto next = PageFile::encodedPieces(stored, TPage::storedForm(), e, breaks);
                        QByteArray joined, one;
                        int pieces = 0;
                        for (bool more = true; more; ++pieces) {
                            one.resize(0);
                            more = next(one);
                            QVERIFY(one.size() < 3 * 1024 * 1024 || PageFile::isWide(e));
                            joined += one;
                        }
                        QVERIFY2(joined == expected, qPrintable(what));
                        QVERIFY(pieces > 1 || stored.size() < 2 * 1024 * 1024 || PageFile::isWide(e));
                    }
        }
        // The UTF-8 written is the library's own, lone halves of pairs
        // included.
        QCOMPARE(PageFile::encodeText(piece, Encoding::Utf8, {LineBreak::Lf, true}), piece.toUtf8());
    }

    void changeCountFollowsEveryChangeOfTheText()
    {
        TPage page;
        page.loadText(QStringLiteral("<p>un</p>\n<p>deux</p>\n"));
        quint64 count = page.changeCount();
        const auto changed = [&] {
            const bool moved = page.changeCount() != count;
            count = page.changeCount();
            return moved;
        };
        // Moving the caret or selecting is no change.
        page.Select(3, 4);
        page.SetSelStart(10);
        QVERIFY(!changed());
        page.type(QStringLiteral("x"));
        QVERIFY(changed());
        page.undo();
        QVERIFY(changed()); // the same text again, but a copy costs little then
        page.redo();
        QVERIFY(changed());
        page.beginCommand();
        page.replaceAllText(page.Text());
        QVERIFY(!changed()); // nothing differed: nothing was edited
        page.SetSelText(QStringLiteral("y"));
        QVERIFY(changed());
        // An edit made to the document behind the page's back counts too.
        QTextCursor(page.document()).insertText(QStringLiteral("z"));
        QVERIFY(changed());
        page.SetModified(false);
        QVERIFY(!changed());
    }
};

PEMO_TEST(PageTextTest)
#include "tst_pagetext.moc"
