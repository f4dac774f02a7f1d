// The RTF to HTML converter: formatting, tables, escapes, skipped groups,
// the writers of today's word processors, malformed input, and whole
// documents compared with their expected HTML.
#include "testmain.h"

#include "rtf2html/RtfToHtml.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>

using Rtf2Html::PageCharset;

namespace {

const QByteArray header = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
                          "{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;}\\deflang1036";

QString html(const char *text) { return QString::fromUtf8(text); }

} // namespace

class RtfToHtmlTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void converts_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("expected");

        QTest::newRow("body without format change writes no FONT tag")
            << header + "\\pard\\plain\\f0\\fs20 Bonjour\\par\\par}" << html("\r\n<P>Bonjour");
        QTest::newRow("size 12 points gives size 4 with face and colour")
            << header + "\\fs24 x}" << html("\r\n<P><FONT FACE=\"Arial\" COLOR=\"#000000\" SIZE=\"4\">x");
        QTest::newRow("size 24 points gives 6")
            << header + "\\fs48 x}" << html("\r\n<P><FONT FACE=\"Arial\" COLOR=\"#000000\" SIZE=\"6\">x");
        QTest::newRow("size 4 points gives 1")
            << header + "\\fs8 x}" << html("\r\n<P><FONT FACE=\"Arial\" COLOR=\"#000000\" SIZE=\"1\">x");
        QTest::newRow("size without parameter is 5 points")
            << header + "\\fs x}" << html("\r\n<P><FONT FACE=\"Arial\" COLOR=\"#000000\" SIZE=\"1\">x");
        QTest::newRow("odd half-points round down")
            << header + "\\fs29 x}" << html("\r\n<P><FONT FACE=\"Arial\" COLOR=\"#000000\" SIZE=\"5\">x");
        QTest::newRow("font and colour change")
            << header + "\\f1\\cf1 x}"
            << html("\r\n<P><FONT FACE=\"Times New Roman\" COLOR=\"#FF0000\" SIZE=\"3\">x");
        QTest::newRow("red colour table")
            << QByteArray("{\\rtf1{\\colortbl\\red255\\green0\\blue0;}\\deflang1036\\fs24 x}")
            << html("\r\n<P><FONT COLOR=\"#FF0000\" SIZE=\"4\">x");
        QTest::newRow("italic and underline")
            << header + "\\i a\\ul b\\plain c}" << html("\r\n<P><I>a<U>b</I></U>c");
        QTest::newRow("bold with a zero parameter ends bold")
            << header + "\\b gras\\b0  maigre}" << html("\r\n<P><B>gras</B> maigre");
        QTest::newRow("underline none ends underline")
            << header + "\\ul a\\ulnone b}" << html("\r\n<P><U>a</U>b");
        QTest::newRow("bold reopened on each new paragraph")
            << header + "\\b a\\par b}" << html("\r\n<P><B>a</B>\r\n<P><B>b");
        QTest::newRow("hexadecimal escape") << header + "\\'e9t\\'C9}" << html("\r\n<P>étÉ");
        QTest::newRow("escape of the euro sign") << header + "\\'80}" << html("\r\n<P>€");
        QTest::newRow("escaped braces and backslash") << header + "a\\{b\\}c\\\\d}" << html("\r\n<P>a{b}c\\d");
        QTest::newRow("angle brackets and ampersand as entities")
            << header + "a<b>c & d\\'26e}" << html("\r\n<P>a&lt;b&gt;c &amp; d&amp;e");
        QTest::newRow("tab") << header + "a\\tab b}" << html("\r\n<P>a\tb");
        QTest::newRow("star group leaves nothing")
            << header + "{\\*\\generator Writer 1.0;}{\\*\\x{nested}text}}" << QString();
        QTest::newRow("escaped brace inside a star group")
            << header + "{\\*\\bkmkstart a\\}b}x}" << html("\r\n<P>x");
        QTest::newRow("empty paragraph after plain is closed")
            << header + "{\\b a}\\par\\plain\\par b}" << html("\r\n<P><B>a</B></P>\n<P>b");
        QTest::newRow("centred and right aligned")
            << header + "\\qc a\\par\\pard\\qr b\\par\\pard c}"
            << html("\r\n<P ALIGN=CENTER>a\r\n<P ALIGN=RIGHT>b\r\n<P>c");
        QTest::newRow("bulleted paragraphs")
            << header
                   + "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'B7}}\\fi-720\\li720 un\\par"
                     "{\\pntext\\f1\\'B7\\tab}deux\\par\\pard fin}"
            << html("\r\n<UL>\r\n<LI>un\r\n<LI>deux\r\n</UL>fin");
        QTest::newRow("list text of today's writers is read like pntext")
            << header
                   + "\\pard\\fi-360\\li720{\\listtext\\pard\\plain \\'95\\tab}un\\par"
                     "\\pard\\fi-360\\li720{\\listtext\\pard\\plain \\'95\\tab}deux\\par\\pard fin}"
            << html("\r\n<UL>\r\n<LI>un</LI>\r\n<LI>deux\r\n</UL>fin");

        QTest::newRow("font without table entry leaves out the face")
            << header + "\\f7 x}" << html("\r\n<P><FONT COLOR=\"#000000\" SIZE=\"3\">x");
        QTest::newRow("colour without table entry leaves out the colour")
            << header + "\\cf9 x}" << html("\r\n<P><FONT FACE=\"Arial\" SIZE=\"3\">x");
        QTest::newRow("no tables at all")
            << QByteArray("{\\rtf1\\f2\\cf3 x}") << html("\r\n<P><FONT SIZE=\"3\">x");
        QTest::newRow("automatic colour takes the first number")
            << QByteArray("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1 a\\cf0 b}")
            << html("\r\n<P><FONT COLOR=\"#FF0000\" SIZE=\"3\">a<FONT COLOR=\"#000000\" SIZE=\"3\">b");
        QTest::newRow("back to the automatic colour after a coloured word, over paragraphs")
            << QByteArray("{\\rtf1{\\colortbl ;\\red255\\green0\\blue0;}\\pard un \\cf1 rouge\\cf0 .\\par deux\\par}")
            << html("\r\n<P>un <FONT COLOR=\"#FF0000\" SIZE=\"3\">rouge<FONT COLOR=\"#000000\" SIZE=\"3\">.\r\n<P>deux");
        QTest::newRow("plain ends a colour")
            << QByteArray("{\\rtf1{\\colortbl;\\red0\\green0\\blue255;}\\cf1 bleu\\plain noir}")
            << html("\r\n<P><FONT COLOR=\"#0000FF\" SIZE=\"3\">bleu<FONT COLOR=\"#000000\" SIZE=\"3\">noir");
        QTest::newRow("fonts are found by their number")
            << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f37 Calibri;}}\\f37 x}")
            << html("\r\n<P><FONT FACE=\"Calibri\" SIZE=\"3\">x");
        QTest::newRow("font name without its alternatives and panose")
            << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fbidi \\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}"
                          "Times New Roman{\\*\\falt Times};}}\\fs24 x}")
            << html("\r\n<P><FONT FACE=\"Times New Roman\" SIZE=\"4\">x");
        QTest::newRow("quote and ampersand in a font name")
            << QByteArray("{\\rtf1{\\fonttbl{\\f0 A\"B&C;}}\\fs24 x}")
            << html("\r\n<P><FONT FACE=\"A&quot;B&amp;C\" SIZE=\"4\">x");

        QTest::newRow("font table ends with its group when deflang comes first")
            << QByteArray("{\\rtf1\\ansi\\deff0\\deflang1036{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}\\f1 corps}")
            << html("\r\n<P><FONT FACE=\"Courier New\" SIZE=\"3\">corps");
        QTest::newRow("font table without deflang")
            << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}} {\\f0 corps}}") << html("\r\n<P> corps");
        QTest::newRow("destination groups without body text")
            << header
                   + "{\\stylesheet{\\s0\\f0 Normal;}}{\\info{\\title Titre}{\\author Moi}}{\\header En-t\\'eate}"
                     "{\\footerr pied}{\\pict\\pngblip 89504e47}{\\listtable{\\list{\\listlevel x}}}corps}"
            << html("\r\n<P>corps");
        QTest::newRow("binary picture data may hold braces")
            << header + "{\\pict\\bin3 {}}}corps}" << html("\r\n<P>corps");
        QTest::newRow("line break after a control word ends it")
            << header + "un\\par\r\ndeux\\par\r\n}" << html("\r\n<P>un\r\n<P>deux");
        QTest::newRow("backslash at the end of a line is a paragraph mark")
            << header + "un\\\r\ndeux}" << html("\r\n<P>un\r\n<P>deux");
        QTest::newRow("non-breaking space, non-breaking and optional hyphens")
            << header + "a\\~:\\_b\\-c}" << html("\r\n<P>a\u00A0:-b\u00ADc");
        QTest::newRow("separators after a control word are consumed")
            << header + "\\par; a}" << html("\r\n<P> a");
    }

    void converts()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, expected);
        QCOMPARE(Rtf2Html::convert(rtf), expected);
    }

    // Character formatting holds for the rest of its group only.
    void groupsScopeFormatting_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("expected");
        QTest::newRow("bold ends with its group")
            << header + "{\\b gras} suite\\plain fin}" << html("\r\n<P><B>gras</B> suitefin");
        QTest::newRow("nested groups")
            << header + "{\\b a{\\i b}c}d}" << html("\r\n<P><B>a<I>b</I>c</B>d");
        QTest::newRow("bold switched off inside a group comes back after it")
            << header + "\\b a{\\b0 b}c}" << html("\r\n<P><B>a</B>b<B>c");
        QTest::newRow("underline none inside a group")
            << header + "\\ul a{\\ulnone b}c}" << html("\r\n<P><U>a</U>b<U>c");
        QTest::newRow("font, size and colour come back after the group")
            << header + "a{\\f1\\fs28\\cf1 b}c}"
            << html("\r\n<P>a<FONT FACE=\"Times New Roman\" COLOR=\"#FF0000\" SIZE=\"5\">b"
                    "<FONT FACE=\"Arial\" COLOR=\"#000000\" SIZE=\"3\">c");
        QTest::newRow("group closing in a later paragraph")
            << header + "{\\b a\\par b}c}" << html("\r\n<P><B>a</B>\r\n<P><B>b</B>c");
        QTest::newRow("groups that change nothing write nothing")
            << header + "{a}{\\b0 b}{\\f0 c}}" << html("\r\n<P>abc");
        QTest::newRow("plain paragraph of a Markdown converter")
            << QByteArray("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 \\fswiss Helvetica;}}\r\n"
                          "{\\pard \\ql \\f0 \\sa180 \\li0 \\fi0 Un mot {\\b gras} puis du texte normal.\\par}\r\n"
                          "{\\pard \\ql \\f0 \\sa180 \\li0 \\fi0 Suite.\\par}}")
            << html("\r\n<P>Un mot <B>gras</B> puis du texte normal.\r\n<P>Suite.");
    }

    void groupsScopeFormatting()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, expected);
        QCOMPARE(Rtf2Html::convert(rtf), expected);
    }

    // Line breaks, page and section breaks, table cells and rows; and which
    // indented paragraphs are list items.
    void breaksTablesAndLists_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("expected");
        QTest::newRow("line break") << header + "un\\line deux}" << html("\r\n<P>un<BR>deux");
        QTest::newRow("page and section breaks end the paragraph")
            << header + "un\\page deux\\sect trois}" << html("\r\n<P>un\r\n<P>deux\r\n<P>trois");
        QTest::newRow("table of two rows, then a paragraph")
            << header + "\\trowd\\cellx2000\\cellx4000\\pard\\intbl Nom\\cell Cellule\\cell\\row"
                        "\\trowd\\cellx2000\\cellx4000\\pard\\intbl a\\cell b\\cell\\row\\pard fin\\par}"
            << html("\r\n<TABLE BORDER=1>\r\n<TR><TD>Nom<TD>Cellule\r\n<TR><TD>a<TD>b\r\n</TABLE>\r\n<P>fin");
        QTest::newRow("empty cell keeps its place")
            << header + "\\pard\\intbl a\\cell\\cell b\\cell\\row}" << html("\r\n<TABLE BORDER=1>\r\n<TR><TD>a<TD><TD>b\r\n</TABLE>");
        QTest::newRow("two paragraphs in a cell")
            << header + "\\pard\\intbl a\\par b\\cell\\row}" << html("\r\n<TABLE BORDER=1>\r\n<TR><TD>a<BR>b\r\n</TABLE>");
        QTest::newRow("bold in a cell is closed before the next one")
            << header + "\\pard\\intbl\\b a\\cell b\\cell\\row\\pard\\plain c}"
            << html("\r\n<TABLE BORDER=1>\r\n<TR><TD><B>a</B><TD><B>b</B>\r\n</TABLE>\r\n<P>c");
        QTest::newRow("first-line indent alone is a paragraph") << header + "\\pard\\fi720 a\\par}" << html("\r\n<P>a");
        QTest::newRow("hanging indent without a bullet is a paragraph")
            << header + "\\pard\\li360\\fi-360 \\bullet \\tab un\\par}" << html("\r\n<P>\u2022\tun");
        QTest::newRow("list number after the indent makes an item")
            << header + "\\pard\\fi-360\\li720\\ls1{\\listtext\\'95\\tab}un\\par\\pard fin}"
            << html("\r\n<UL>\r\n<LI>un\r\n</UL>fin");
    }

    void breaksTablesAndLists()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, expected);
        QCOMPARE(Rtf2Html::convert(rtf), expected);
    }

    void unicodeCharacters_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("onWindows1252Page");
        QTest::addColumn<QString>("onUnicodePage");

        QTest::newRow("character of the code page, fallback skipped")
            << QByteArray("\\u8364?") << html("€") << html("€");
        QTest::newRow("character outside the code page")
            << QByteArray("\\u8470?") << html("&#8470;") << html("№");
        QTest::newRow("two fallback characters, escapes counted as one")
            << QByteArray("\\uc2\\u8470\\'3f\\'3fx") << html("&#8470;x") << html("№x");
        QTest::newRow("no fallback")
            << QByteArray("\\uc0\\u233 x") << html("éx") << html("éx");
        QTest::newRow("negative values count from 65536")
            << QByteArray("\\u-4028?") << html("&#61508;") << QString(QChar(61508));
        QTest::newRow("surrogate pair")
            << QByteArray("\\u-10179?\\u-8704?") << html("&#128512;") << html("😀");
        QTest::newRow("uc holds for its group only")
            << QByteArray("{\\uc2\\u233 ab}\\u233 cd") << html("ééd") << html("ééd");
        QTest::newRow("fallback ends at a group boundary")
            << QByteArray("\\uc3\\u233 a}b") << html("éb") << html("éb");
        QTest::newRow("angle bracket as a Unicode character")
            << QByteArray("\\u60?") << html("&lt;") << html("&lt;");
        QTest::newRow("quotes and dashes of a word processor")
            << QByteArray("Aujourd\\rquote hui, l\\rquote \\'e9quipe \\endash  \\ldblquote c\\rquote est l\\rquote avenir"
                          "\\rdblquote  \\emdash  \\lquote oui\\rquote \\bullet")
            << html("Aujourd’hui, l’équipe – “c’est l’avenir” — ‘oui’•")
            << html("Aujourd’hui, l’équipe – “c’est l’avenir” — ‘oui’•");
        QTest::newRow("spaces the code page lacks")
            << QByteArray("a\\enspace b\\emspace c") << html("a&#8194;b&#8195;c") << html("a\u2002b\u2003c");
    }

    void unicodeCharacters()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, onWindows1252Page);
        QFETCH(QString, onUnicodePage);
        const QString prefix = QStringLiteral("\r\n<P>");
        QCOMPARE(Rtf2Html::convert(rtf, PageCharset::Windows1252), prefix + onWindows1252Page);
        QCOMPARE(Rtf2Html::convert(rtf, PageCharset::Unicode), prefix + onUnicodePage);
    }

    void malformedInput_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("expected");

        QTest::newRow("unterminated group") << QByteArray("{\\rtf1{\\b gras") << html("\r\n<P><B>gras");
        QTest::newRow("unterminated star group") << QByteArray("a{\\*\\foo bar") << html("\r\n<P>a");
        QTest::newRow("unterminated font table") << QByteArray("{\\fonttbl{\\f0 Ari") << QString();
        QTest::newRow("control word at the very end") << QByteArray("a\\pa") << html("\r\n<P>a");
        QTest::newRow("backslash at the very end") << QByteArray("a\\") << html("\r\n<P>a");
        QTest::newRow("escape with one digit") << QByteArray("a\\'e") << html("\r\n<P>a");
        QTest::newRow("escape with no digit") << QByteArray("a\\'") << html("\r\n<P>a");
        QTest::newRow("escape of a null character") << QByteArray("a\\'00b") << html("\r\n<P>ab");
        QTest::newRow("non-hexadecimal digits count as zero") << QByteArray("a\\'4zb") << html("\r\n<P>a@b");
        QTest::newRow("closing braces without opening ones") << QByteArray("}}}a}") << html("\r\n<P>a");
        QTest::newRow("huge parameter") << QByteArray("\\fs99999999999999999999 a")
                                        << html("\r\n<P><FONT SIZE=\"6\">a");
        QTest::newRow("huge binary length") << QByteArray("a\\bin99999999999 bc") << html("\r\n<P>a");
        QTest::newRow("unicode at the very end") << QByteArray("a\\u233") << html("\r\n<P>aé");
        QTest::newRow("empty input") << QByteArray() << QString();
    }

    void malformedInput()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, expected);
        QCOMPARE(Rtf2Html::convert(rtf), expected);
    }

    void isRtf_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("rtf");
        QTest::newRow("document") << QByteArray("{\\rtf1\\ansi x}") << true;
        QTest::newRow("after a byte-order mark and blanks") << QByteArray("\xEF\xBB\xBF \r\n{\\rtf1}") << true;
        QTest::newRow("picture") << QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF") << false;
        QTest::newRow("plain text") << QByteArray("Bonjour {\\rtf1}") << false;
        QTest::newRow("group without the rtf word") << QByteArray("{\\b gras}") << false;
        QTest::newRow("empty file") << QByteArray() << false;
    }

    void isRtf()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, rtf);
        QCOMPARE(Rtf2Html::isRtf(bytes), rtf);
    }

    void deepNestingDoesNotExhaustTheStack()
    {
        const int depth = 100000;
        QByteArray rtf = QByteArray(depth, '{') + "\\b x" + QByteArray(depth, '}') + "y";
        QCOMPARE(Rtf2Html::convert(rtf), html("\r\n<P><B>x</B>y"));
        rtf = "{\\*" + QByteArray(depth, '{') + "x";
        QCOMPARE(Rtf2Html::convert(rtf), QString());
        rtf = QByteArray(depth, '{');
        for (int k = 0; k < 1000; ++k)
            rtf += "{\\uc2 ";
        rtf += "\\u233 ab" + QByteArray(depth, '}') + "\\u233 ab";
        QCOMPARE(Rtf2Html::convert(rtf), html("\r\n<P>ééb"));
    }

    void largeDocument()
    {
        // 50 MB of paragraphs with formatting, escapes and tables.
        const QByteArray paragraph = "\\pard\\plain\\f1\\fs24 Texte d\\'e9j\\'e0 {\\b gras} et <balise> "
                                     "{\\*\\bkmkstart b}{\\i italique}\\par\r\n";
        QByteArray rtf = header;
        rtf.reserve(50 * 1024 * 1024 + paragraph.size());
        int count = 0;
        while (rtf.size() < 50 * 1024 * 1024) {
            rtf += paragraph;
            ++count;
        }
        rtf += "}";
        const QString out = Rtf2Html::convert(rtf);
        QCOMPARE(out.count(QStringLiteral("déjà")), count);
        QVERIFY(out.endsWith(QStringLiteral("<I>italique")));
    }

    void closeEmptyParagraphs_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one empty paragraph") << html("a\r\n<P>\r\n<P>b") << html("a</P>\n<P>b");
        QTest::newRow("aligned paragraph after an empty one")
            << html("a\r\n<P>\r\n<P ALIGN=RIGHT>b") << html("a</P>\n<P ALIGN=RIGHT>b");
        QTest::newRow("two empty paragraphs in a row")
            << html("a\r\n<P>\r\n<P>\r\n<P>b") << html("a</P>\n<P>\r\n<P>b");
        QTest::newRow("paragraph with text is kept") << html("a\r\n<P>x\r\n<P>b") << html("a\r\n<P>x\r\n<P>b");
    }

    void closeEmptyParagraphs()
    {
        QFETCH(QString, html);
        QFETCH(QString, expected);
        QCOMPARE(Rtf2Html::closeEmptyParagraphs(html), expected);
    }

    // Whole documents in the styles of old and of today's word processors,
    // compared with their expected HTML (UTF-8). PEMO_REGENERATE=1 rewrites
    // the expected files from the converter's output instead.
    void documents_data()
    {
        QTest::addColumn<QString>("name");
        const QDir data(PemoTest::sourcePath(QStringLiteral("tests/rtf2html/data")));
        const QStringList inputs = data.entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name);
        QVERIFY(!inputs.isEmpty());
        for (const QString &input : inputs) {
            const QString name = input.chopped(4);
            QTest::newRow(qPrintable(name)) << data.filePath(name);
        }
    }

    void documents()
    {
        QFETCH(QString, name);
        QFile in(name + QStringLiteral(".rtf"));
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QByteArray out = Rtf2Html::convert(in.readAll()).toUtf8();
        QFile expectedFile(name + QStringLiteral(".expected"));
        if (qEnvironmentVariableIntValue("PEMO_REGENERATE")) {
            QVERIFY(expectedFile.open(QIODevice::WriteOnly));
            expectedFile.write(out);
            return;
        }
        QVERIFY2(expectedFile.open(QIODevice::ReadOnly), qPrintable(expectedFile.fileName()));
        QCOMPARE(out, expectedFile.readAll());
    }
};

PEMO_TEST(RtfToHtmlTest)
#include "tst_rtftohtml.moc"
