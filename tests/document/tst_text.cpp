// Whole-text rewrites: accents, case, indentation, compaction, the export
// without tags and the XML form of empty elements.
#include "testmain.h"
#include "tst_text_modal.h"

#include "colormemo/ColMemo.h"
#include "document/CasseDialog.h"
#include "document/Childwin.h"
#include "document/Genxml.h"
#include "document/TextTransforms.h"
#include "platform/Errors.h"
#include "platform/FileDialogs.h"
#include "platform/Messages.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTextDocument>
#include <QTemporaryDir>

using namespace TextTransforms;

class TextTransformsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void convertAccents_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("outside a comment") << QStringList{"un été"} << QStringList{"un &eacute;t&eacute;"};
        QTest::newRow("inside a comment") << QStringList{"<!-- été -->"} << QStringList{"<!-- été -->"};
        QTest::newRow("after a comment on its line")
            << QStringList{"<!-- été -->été"} << QStringList{"<!-- été -->&eacute;t&eacute;"};
        QTest::newRow("comment over two lines")
            << QStringList{"à<!-- à", "à -->à"} << QStringList{"&agrave;<!-- à", "à -->&agrave;"};
        QTest::newRow("single dash does not close")
            << QStringList{"<!-- a->é"} << QStringList{"<!-- a->é"};
        QTest::newRow("capitals and c cedilla stay") << QStringList{"ÉÀçÇ"} << QStringList{"ÉÀçÇ"};
        QTest::newRow("inside attribute values")
            << QStringList{"<img alt=\"ô\">"} << QStringList{"<img alt=\"&ocirc;\">"};
        QTest::newRow("the thirteen letters")
            << QStringList{"àâäèéêëîïôöùû"}
            << QStringList{"&agrave;&acirc;&auml;&egrave;&eacute;&ecirc;&euml;&icirc;&iuml;&ocirc;&ouml;"
                           "&ugrave;&ucirc;"};
    }
    void convertAccents()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, expected);
        QCOMPARE(TextTransforms::convertAccents(lines), expected);
    }

    void indent_data()
    {
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two lines") << "ab\r\ncd" << "   ab\r\n   cd";
        QTest::newRow("final line break") << "ab\r\n" << "   ab\r\n";
        QTest::newRow("last line of one character") << "ab\r\nc" << "   ab\r\nc";
        QTest::newRow("empty line in the middle") << "ab\r\n\r\ncd" << "   ab\r\n   \r\n   cd";
        QTest::newRow("three lines") << "a\r\nbc\r\nde" << "   a\r\n   bc\r\n   de";
        QTest::newRow("empty selection") << "" << "   ";
    }
    void indent()
    {
        QFETCH(QString, selection);
        QFETCH(QString, expected);
        QCOMPARE(TextTransforms::indent(selection), expected);
    }

    void compact_data()
    {
        const QString a50(50, u'a'), b49(49, u'b'), b50(50, u'b'), long150(150, u'l');
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("three-line page")
            << QStringList{"<html>", "   <head>  ", "<strong>a</strong>"}
            << QStringList{"<html>", "<head><b>a</b>"};
        QTest::newRow("only the first strong pair")
            << QStringList{"x", "<Strong>a</STRONG> <strong>b</strong>"}
            << QStringList{"x", "<b>a</b> <strong>b</strong>"};
        QTest::newRow("runs of spaces and blanks trimmed")
            << QStringList{"\t a   b  c \t", "x"} << QStringList{"a b c", "x"};
        QTest::newRow("glued line under 100") << QStringList{"h", a50, b49} << QStringList{"h", a50 + b49};
        QTest::newRow("100 starts a new line") << QStringList{"h", a50, b50} << QStringList{"h", a50, b50};
        QTest::newRow("long line stays whole")
            << QStringList{"h", "k", long150, "z"} << QStringList{"h", "k", long150, "z"};
        QTest::newRow("empty lines vanish after the second")
            << QStringList{"", "", "  ", "a"} << QStringList{"", "a"};
    }
    void compact()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, expected);
        QCOMPARE(TextTransforms::compact(lines), expected);
    }

    void exportLines_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("unknown name kept, the rest decoded")
            << QStringList{"<p>&eacute;t&amp;&inconnu;&eacute;</p>"} << QStringList{"ét&&inconnu;é"};
        QTest::newRow("numeric references, decimal and hexadecimal")
            << QStringList{"&#171;&euro;&#x20AC;&#X20ac;&#187;"} << QStringList{"«€€€»"};
        QTest::newRow("numbers 128 to 159 read as Windows-1252") << QStringList{"&#150;&#153;"} << QStringList{"–™"};
        QTest::newRow("references that stand for nothing stay")
            << QStringList{"&#0; &#xD800; &#; &; & x"} << QStringList{"&#0; &#xD800; &#; &; & x"};
        QTest::newRow("quotes, dashes and Greek") << QStringList{"&laquo;&nbsp;&rsquo;&mdash;&hellip;&alpha;&Omega;"}
                                                  << QStringList{"« ’—…αΩ"};
        QTest::newRow("script code left out")
            << QStringList{"<p>avant</p>", "<script type=\"text/javascript\">", "if (a < b && c > d)",
                           "  document.write('<p>x</p>');", "</script>", "apr&egrave;s"}
            << QStringList{"avant", "après"};
        QTest::newRow("style code left out, any case")
            << QStringList{"<STYLE>", "p { color: red }", "</Style>texte"} << QStringList{"texte"};
        QTest::newRow("script within a line") << QStringList{"a<script>if (b > c) d();</script>e"} << QStringList{"ae"};
        QTest::newRow("script tag over two lines")
            << QStringList{"<script", "src=\"a.js\">code</script>b"} << QStringList{"b"};
        QTest::newRow("script named in a comment is no script")
            << QStringList{"<!-- <script> -->texte", "suite"} << QStringList{"texte", "suite"};
        QTest::newRow("tag whose name starts with script")
            << QStringList{"<scripts>x</scripts>"} << QStringList{"x"};
        QTest::newRow("tag over two lines")
            << QStringList{"a<font", "color=\"red\">b"} << QStringList{"a", "b"};
        QTest::newRow("tags-only line left out")
            << QStringList{"<p>", "<br><hr>", "x"} << QStringList{"x"};
        QTest::newRow("table in order")
            << QStringList{"&nbsp;&lt;&gt;&copy;&agrave;&ouml;"} << QStringList{" <>(c)àö"};
        QTest::newRow("names are case-sensitive")
            << QStringList{"&Eacute;&eacute;&EACUTE;"} << QStringList{"Éé&EACUTE;"};
        QTest::newRow("old names without a semicolon keep what follows")
            << QStringList{"&ltb&gt &eacutee &copy2026"} << QStringList{"<b> ée (c)2026"};
        QTest::newRow("decoded less-than is not a tag") << QStringList{"&lt;b&gt; x"} << QStringList{"<b> x"};
        QTest::newRow("space only line is kept") << QStringList{"<td>&nbsp;</td>"} << QStringList{" "};
    }
    void exportLines()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, expected);
        QCOMPARE(TextTransforms::exportLines(lines), expected);
    }

    void genxml_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("two br tags, first only") << QStringList{"<html>", "a<br>b<br>"}
                                                 << QStringList{"<html>", "a<br/>b<br>"};
        QTest::newRow("capitals") << QStringList{"x", "<BR>", "<Hr size=2>"} << QStringList{"x", "<BR/>", "<Hr size=2/>"};
        QTest::newRow("first line never changed") << QStringList{"<br>", "<br>"} << QStringList{"<br>", "<br/>"};
        QTest::newRow("img after its last attribute")
            << QStringList{"x", "<img src=\"a.gif\" alt=\"b\">"} << QStringList{"x", "<img src=\"a.gif\" alt=\"b\"/>"};
        QTest::newRow("line already holding />") << QStringList{"x", "<br/><hr>"} << QStringList{"x", "<br/><hr>"};
        QTest::newRow("inside a comment") << QStringList{"x", "<!-- <br> -->", "<br>"}
                                          << QStringList{"x", "<!-- <br> -->", "<br/>"};
        QTest::newRow("comment over lines") << QStringList{"x", "<!--", "<meta a>", "-->", "<hr>"}
                                            << QStringList{"x", "<!--", "<meta a>", "-->", "<hr/>"};
        QTest::newRow("closing on a later line") << QStringList{"x", "<img src=\"a\"", "alt=\"\">"}
                                                 << QStringList{"x", "<img src=\"a\"", "alt=\"\">"};
    }
    void genxml()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, expected);
        genxmlLines(lines);
        QCOMPARE(lines, expected);
    }
};

class TextCommandsTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QList<Platform::MessageRecord> m_messages;
    Platform::Answer m_answer = Platform::Answer::Yes;
    QList<Platform::FileDialogRequest> m_requests;
    Platform::FileDialogResult m_chosen;

private Q_SLOTS:
    void init()
    {
        m_messages.clear();
        m_requests.clear();
        m_answer = Platform::Answer::Yes;
        m_chosen = {};
        Platform::setMessageHandler([this](const Platform::MessageRecord &r) {
            m_messages << r;
            return r.kind == Platform::MessageKind::Question ? m_answer : Platform::Answer::Ok;
        });
        Platform::setFileDialogHandler([this](const Platform::FileDialogRequest &r) {
            m_requests << r;
            return m_chosen;
        });
    }
    void cleanup()
    {
        Platform::setMessageHandler({});
        Platform::setFileDialogHandler({});
    }

    void convertirAsksThenReports()
    {
        TEditeur e(nullptr);
        e.Init({"<p>été</p>"});
        e.Convertir();
        QCOMPARE(e.Memo1->Lines(), QStringList{"<p>&eacute;t&eacute;</p>"});
        QCOMPARE(m_messages.size(), 2);
        QCOMPARE(m_messages.at(0).kind, Platform::MessageKind::Question);
        QCOMPARE(m_messages.at(0).text, QStringLiteral("Convertir les caractères spéciaux ?"));
        QCOMPARE(m_messages.at(1).text, QStringLiteral("Remplacement terminé"));
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), QStringList{"<p>été</p>"});
    }

    void noAnswerChangesNothing_data()
    {
        QTest::addColumn<bool>("compacter");
        QTest::newRow("Convertir") << false;
        QTest::newRow("Compacter") << true;
    }
    void noAnswerChangesNothing()
    {
        QFETCH(bool, compacter);
        TEditeur e(nullptr);
        e.Init({"a", "  été  "});
        e.Memo1->SetLines({"b", "  été  "});
        m_answer = Platform::Answer::No;
        compacter ? e.Compacter() : e.Convertir();
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(e.Memo1->Lines(), (QStringList{"b", "  été  "}));
        // No snapshot was taken: undo still goes back to the Init text.
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), (QStringList{"a", "  été  "}));
    }

    void compacterRewritesAllLines()
    {
        TEditeur e(nullptr);
        e.Init({"<html>", "   <head>  ", "<strong>a</strong>"});
        e.Compacter();
        QCOMPARE(m_messages.at(0).text, QStringLiteral("Compacter les balises ?"));
        QCOMPARE(e.Memo1->Lines(), (QStringList{"<html>", "<head><b>a</b>"}));
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), (QStringList{"<html>", "   <head>  ", "<strong>a</strong>"}));
    }

    // On generated pages (no-break spaces, characters outside the basic
    // plane, CR LF in the file), Convertir and Compacter give exactly the
    // transformed lines with the caret at the start, report one change, and
    // one Annuler gives the page back character for character.
    void wholeTextCommandsOnGeneratedPages_data()
    {
        QTest::addColumn<bool>("compacter");
        QTest::addColumn<int>("seed");
        for (int seed = 1; seed <= 4; ++seed) {
            QTest::addRow("Convertir, page %d", seed) << false << seed;
            QTest::addRow("Compacter, page %d", seed) << true << seed;
        }
    }
    void wholeTextCommandsOnGeneratedPages()
    {
        QFETCH(bool, compacter);
        QFETCH(int, seed);
        static const char *const pieces[] = {"<p>", "été", "  ", "a\u00A0b", "&nbsp;", "<strong>x</strong>",
                                             "😀", "à", "<!-- é -->", "<td>", "mot", "\u00A0"};
        QRandomGenerator rng{quint32(seed)};
        QStringList lines;
        const int count = 3 + rng.bounded(60);
        for (int l = 0; l < count; ++l) {
            QString line;
            for (int k = rng.bounded(8); k > 0; --k)
                line += QString::fromUtf8(pieces[rng.bounded(int(std::size(pieces)))]);
            lines << line;
        }
        // Seeds 1 and 2: nothing to convert at the first or the last place.
        if (seed == 1)
            lines.first() = QStringLiteral("é") + lines.first();
        if (seed == 2)
            lines.last() += QStringLiteral("é");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("page.htm"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
        }
        TEditeur e(nullptr);
        e.OpenFile(path);
        QCOMPARE(e.Memo1->Lines(), lines);
        const QString original = e.Memo1->Text();
        e.Memo1->SetSelStart(e.Memo1->TextLength() / 2);
        const int caret = e.Memo1->SelStart();

        QSignalSpy changes(e.Memo1->document(), &QTextDocument::contentsChange);
        compacter ? e.Compacter() : e.Convertir();
        const QStringList expected = compacter ? compact(lines) : convertAccents(lines);
        QCOMPARE(e.Memo1->Lines(), expected);
        QCOMPARE(e.Memo1->SelStart(), 0);
        QCOMPARE(e.Memo1->SelLength(), 0);
        QVERIFY(changes.size() <= 1);
        QVERIFY(e.Memo1->Modified());

        e.Annuler();
        QCOMPARE(e.Memo1->Text(), original);
        QCOMPARE(e.Memo1->SelStart(), caret);
    }

    void indenterStartsMidLine()
    {
        TEditeur e(nullptr);
        e.Init({"xx ab", "cd", "z"});
        e.Memo1->Select(3, 6);
        QCOMPARE(e.Memo1->SelText(), QStringLiteral("ab\r\ncd"));
        e.Indenter();
        QCOMPARE(e.Memo1->Lines(), (QStringList{"xx    ab", "   cd", "z"}));
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), (QStringList{"xx ab", "cd", "z"}));
    }

    void casse_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("upper");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("Annuler keeps the text") << "CancelBtn" << true << QStringList{"<B>Été</B> x"};
        QTest::newRow("lower case by default") << "OKBtn" << false << QStringList{"<b>Été</b> x"};
        QTest::newRow("upper case") << "OKBtn" << true << QStringList{"<B>ÉTé</B> x"};
    }
    void casse()
    {
        QFETCH(QString, button);
        QFETCH(bool, upper);
        QFETCH(QStringList, expected);
        TEditeur e(nullptr);
        e.Init({"<B>Été</B> x"});
        e.Memo1->Select(0, 10);
        QString caption;
        bool lowerAtStart = false;
        TextCommandsTesting::whenModal<TFCasse>([&](TFCasse *d) {
            caption = d->windowTitle();
            lowerAtStart = d->lowerButton()->isChecked();
            if (upper)
                d->upperButton()->click();
            d->findChild<QPushButton *>(button)->click();
        });
        e.Casse();
        QCOMPARE(caption, QStringLiteral("Changer la casse"));
        QVERIFY(lowerAtStart);
        QCOMPARE(e.Memo1->Lines(), expected);
        if (button == QLatin1String("CancelBtn")) {
            QCOMPARE(e.Memo1->SelStart(), 0);
            QCOMPARE(e.Memo1->SelLength(), 10);
        }
    }

    void exporteWritesTextWithoutTags()
    {
        TEditeur e(nullptr);
        const QStringList page{"<html>", "<p>&eacute;t&eacute; <b>chaud", "</b></p>", "</html>"};
        e.Init(page);
        m_chosen.accepted = true;
        m_chosen.path = m_dir.filePath(QStringLiteral("page.txt"));
        e.Exporte();
        QCOMPARE(m_requests.size(), 1);
        QCOMPARE(m_requests.at(0).kind, Platform::FileDialogKind::Save);
        QCOMPARE(m_requests.at(0).filter, QStringLiteral("Fichiers texte (*.txt)|*.txt"));
        QCOMPARE(m_requests.at(0).fileName, QStringLiteral("*.txt"));
        QCOMPARE(m_requests.at(0).defaultExt, QStringLiteral("txt"));
        QFile f(m_chosen.path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("\xE9t\xE9 chaud\r\n"));
        QCOMPARE(e.Memo1->Lines(), page);
    }

    void exporteCancelledWritesNothing()
    {
        TEditeur e(nullptr);
        const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
        e.Exporte();
        QCOMPARE(m_requests.size(), 1);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
    }

    void exporteFailureNamesTheFile()
    {
        TEditeur e(nullptr);
        m_chosen.accepted = true;
        m_chosen.path = m_dir.filePath(QStringLiteral("missing/folder/page.txt"));
        QString message;
        try {
            e.Exporte();
        } catch (const Platform::PemoError &error) {
            message = error.message();
        }
        QVERIFY2(message.contains(m_chosen.path), qPrintable(message));
    }
};

PEMO_TEST(TextTransformsTest)
PEMO_TEST(TextCommandsTest)
#include "tst_text.moc"
