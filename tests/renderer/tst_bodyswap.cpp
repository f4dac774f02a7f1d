// When a rebuilt page may replace only the body's content of the page shown:
// the text decisions alone (the engine's side is checked in tst_htmlview).
#include "renderer/BodySwap.h"
#include "testmain.h"

class TestBodySwap : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bodyContentStart_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("after"); // the text after the body tag, "-" when none is found
        QTest::newRow("plain page") << "<html><head><title>T</title></head><body><p>x" << "<p>x";
        QTest::newRow("doctype, base and capitals")
            << "<!DOCTYPE html><base href=\"file:///d/\"><HTML><HEAD></HEAD><BODY bgcolor=#FFF>\n<p>" << "\n<p>";
        QTest::newRow("body tag named inside the title") << "<title>a <body> b</title><body>c" << "c";
        QTest::newRow("body tag named inside a comment") << "<!-- <body> --><body>c" << "c";
        QTest::newRow("body tag inside a style") << "<style>p:after{content:'<body>'}</style><body>c" << "c";
        QTest::newRow("quoted > in the body's attributes") << "<body title=\"a>b\" class='c>d'>e" << "e";
        QTest::newRow("meta, link and head end") << "<head><meta charset=utf-8><link rel=icon href=i.png></head>\n<body>x" << "x";
        QTest::newRow("text before the body starts it") << "<html>Bonjour<body>x" << "-";
        QTest::newRow("element before the body starts it") << "<p>a</p><body>x" << "-";
        QTest::newRow("no body tag") << "<p>a</p>" << "-";
        QTest::newRow("title never closed") << "<title>a<body>x" << "-";
        QTest::newRow("body tag not closed") << "<body class=\"x>" << "-";
        QTest::newRow("noscript in the head") << "<head><noscript></noscript></head><body>x" << "-";
        QTest::newRow("frameset page") << "<frameset><frame src=a.htm></frameset>" << "-";
    }
    void bodyContentStart()
    {
        QFETCH(QString, page);
        QFETCH(QString, after);
        const qsizetype at = BodySwap::bodyContentStart(page);
        QCOMPARE(at < 0 ? QStringLiteral("-") : page.mid(at), after);
    }

    void isStatic_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("expected");
        QTest::newRow("text, table, form and picture")
            << "<body><table><tr><td>a</table><form><input name=a></form><img src=p.png>" << true;
        QTest::newRow("words that look like handlers are no handlers") << "<p>Lisbonne, Avignon = Dijon</p>" << true;
        QTest::newRow("script element") << "<SCRIPT>x()</SCRIPT>" << false;
        QTest::newRow("event attribute") << "<body onLoad = \"x()\">" << false;
        QTest::newRow("script address") << "<a href=\"JavaScript:x()\">a</a>" << false;
        QTest::newRow("refresh") << "<meta http-equiv='Refresh' content=5>" << false;
        QTest::newRow("frame") << "<iframe src=a.htm></iframe>" << false;
        QTest::newRow("object") << "<object data=a.swf></object>" << false;
        QTest::newRow("autofocus") << "<input autofocus>" << false;
    }
    void isStatic()
    {
        QFETCH(QString, page);
        QFETCH(bool, expected);
        QCOMPARE(BodySwap::isStatic(page), expected);
    }

    void newBody_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("next");
        QTest::addColumn<QString>("body"); // "-" when the page must be loaded afresh
        const QString head = QStringLiteral("<html><head><title>T</title></head><body bgcolor=\"#F0F0F0\">");
        QTest::newRow("body changed") << head + "<p>a</p></body></html>" << head + "<p>ab</p></body></html>"
                                      << "<p>ab</p></body></html>";
        QTest::newRow("blanks after the closing tags kept")
            << head + "<p>a" << head + "<p>a</p>\n</body>\n</html>\n" << "<p>a</p>\n</body>\n</html>\n";
        QTest::newRow("no closing tags") << head + "<p>a" << head + "<p>b" << "<p>b";
        QTest::newRow("title changed") << head + "<p>a" << QString(head).replace("<title>T", "<title>U") + "<p>a" << "-";
        QTest::newRow("body colour changed") << head + "<p>a" << QString(head).replace("F0F0F0", "FFFFFF") + "<p>a" << "-";
        QTest::newRow("new page holds a script") << head + "<p>a" << head + "<p>a<script>x()</script>" << "-";
        QTest::newRow("shown page held a script") << head + "<p>a<script>x()</script>" << head + "<p>a" << "-";
        QTest::newRow("comment after the body") << head + "<p>a" << head + "<p>a</body><!-- fin -->" << "-";
        QTest::newRow("text after the page") << head + "<p>a" << head + "<p>a</body></html>b" << "-";
        QTest::newRow("second body tag") << head + "<p>a" << head + "<p>a<body class=x>" << "-";
        QTest::newRow("style sheet linked in the body") << head + "<p>a" << head + "<link rel=stylesheet href=a.css>" << "-";
        QTest::newRow("no body tag") << "<p>a" << "<p>b" << "-";
    }
    void newBody()
    {
        QFETCH(QString, shown);
        QFETCH(QString, next);
        QFETCH(QString, body);
        const std::optional<QString> got = BodySwap::newBody(shown, next);
        QCOMPARE(got ? *got : QStringLiteral("-"), body);
    }
};

PEMO_TEST(TestBodySwap)
#include "tst_bodyswap.moc"
