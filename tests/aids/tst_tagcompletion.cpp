// Tag completion read from the text before the caret: the element "</"
// closes, and the element, attribute and file lists with their case.
#include "testmain.h"

#include "aids/HtmlElements.h"
#include "aids/TagCompletion.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>

using namespace TagCompletion;

class TagCompletionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void closingName_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nothing open") << "texte" << "";
        QTest::newRow("one element") << "<div>texte" << "div";
        QTest::newRow("nested") << "<div><span><b>gras</b> et" << "span";
        QTest::newRow("closed ones are gone") << "<div><span>a</span>" << "div";
        QTest::newRow("void elements never open") << "<div><br><img src=\"a.gif\"><hr/>texte" << "div";
        QTest::newRow("xhtml void") << "<div><br />" << "div";
        QTest::newRow("unclosed p is skipped") << "<div><p>un<p>deux" << "div";
        QTest::newRow("unclosed li is skipped") << "<ul><li>un<li>deux" << "ul";
        QTest::newRow("table cells and rows skipped") << "<table><tr><td>a<td>b<tr><td>c" << "table";
        QTest::newRow("p alone is closed") << "<p>texte" << "p";
        QTest::newRow("innermost optional alone") << "<ul><li>a</ul><p>b" << "p";
        QTest::newRow("li ended by the next li") << "<li>a<li>b" << "li";
        QTest::newRow("nested list") << "<ul><li>a<ol><li>b" << "ol";
        QTest::newRow("block start ends p") << "<center><p>a<div>b" << "div";
        QTest::newRow("p ended by div, then closed div") << "<center><p>a<div>b</div>" << "center";
        QTest::newRow("uppercase kept") << "<CENTER><FONT SIZE=2>texte" << "FONT";
        QTest::newRow("mixed case end tag matches") << "<div><Font>a</FONT>" << "div";
        QTest::newRow("case as written") << "<Div>a" << "Div";
        QTest::newRow("comment skipped") << "<div><!-- <span> -->a" << "div";
        QTest::newRow("script content skipped") << "<div><script>if (a<b) x = '<span>';</script>" << "div";
        QTest::newRow("style content skipped") << "<div><style>p > b { }</style>" << "div";
        QTest::newRow("inside a script closes it") << "<div><script>var a = 1;" << "script";
        QTest::newRow("quoted > in attribute") << "<div title=\"a > b\"><span title='<i>'>" << "span";
        QTest::newRow("stray end tag ignored") << "<div></span>" << "div";
        QTest::newRow("doctype and text <") << "<!DOCTYPE html><body>a < b" << "body";
        QTest::newRow("head ended by body") << "<html><head><title>t</title><body></body>" << "html";
        QTest::newRow("unknown element") << "<div><mon-widget>" << "mon-widget";
        QTest::newRow("self-closing unknown") << "<svg><path d=\"M0\"/>" << "svg";
        QTest::newRow("inside a comment") << "<div><!-- a" << "";
        QTest::newRow("inside a tag") << "<div title=\"" << "";
        QTest::newRow("started inside a comment") << "<span> -->" << "";
        QTest::newRow("started inside a script") << "<span>';</script><b>" << "b";
    }
    void closingName()
    {
        QFETCH(QString, before);
        QFETCH(QString, expected);
        QCOMPARE(TagCompletion::closingName(before), expected);
    }

    void elementNames()
    {
        Context c = contextOf(u"<p><fo", QString());
        QCOMPARE(c.kind, Kind::Element);
        QCOMPARE(c.prefix, QStringLiteral("fo"));
        QCOMPARE(c.choices, QStringList({"font", "footer", "form"}));
        // Upper case typed: upper case offered; the rest of a mixed word in lower case.
        c = contextOf(u"<P><FO", QString());
        QCOMPARE(c.choices, QStringList({"FONT", "FOOTER", "FORM"}));
        QCOMPARE(insertion(c, "FONT").text, QStringLiteral("FONT"));
        c = contextOf(u"<Fo", QString());
        QCOMPARE(c.choices.first(), QStringLiteral("font"));
        QCOMPARE(insertion(c, c.choices.first()).text, QStringLiteral("Font"));
        // Nothing typed yet: the case of the tags written before.
        QVERIFY(contextOf(u"<TABLE><TR>\r\n<", QString()).choices.contains("TD"));
        QVERIFY(contextOf(u"<table><tr>\r\n<", QString()).choices.contains("td"));
        QVERIFY(contextOf(u"<", QString()).choices.contains("center"));
        QCOMPARE(contextOf(u"<", QString()).choices.size(), HtmlElements::names().size());
        // Old elements the generated pages use are there.
        for (const char *old : {"font", "center", "basefont", "big", "strike", "tt", "u", "frame", "frameset",
                                "noframes", "marquee", "applet"})
            QVERIFY2(HtmlElements::find(QString::fromLatin1(old)), old);
        QVERIFY(contextOf(u"<zz", QString()).choices.isEmpty());
    }

    void noListOutsideTags_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("text") << "<p>texte";
        QTest::newRow("comment") << "<!-- <";
        QTest::newRow("script") << "<script>if (a <";
        QTest::newRow("end tag") << "<div></di";
        QTest::newRow("declaration") << "<!DOC";
        QTest::newRow("unquoted value") << "<td width=10";
        QTest::newRow("other value") << "<a title=\"x";
        QTest::newRow("after slash") << "<br/";
        QTest::newRow("digit") << "a <2";
    }
    void noListOutsideTags()
    {
        QFETCH(QString, before);
        QCOMPARE(contextOf(before, QStringLiteral("/tmp/")).kind, Kind::None);
    }

    void pageReadBackFromTheCaret_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("kind");
        const QString prose = QStringLiteral("Le marché du jeudi réunit des producteurs. ").repeated(500);
        QTest::newRow("text after a tag") << "<p class=\"a\">Noël " << int(Kind::None);
        QTest::newRow("quoted > in the tag") << "<a title=\"x > y\" " << int(Kind::Attribute);
        QTest::newRow("single-quoted >") << "<img alt='a>b' s" << int(Kind::Attribute);
        QTest::newRow("tag over lines") << "<p>\n<table\n  border=1\n  " << int(Kind::Attribute);
        QTest::newRow("apostrophes") << "<p class='x'>l'église d'été " << int(Kind::None);
        QTest::newRow("apostrophes, then a tag") << "<p>l'été <img alt='l'ombre' " << int(Kind::None);
        QTest::newRow("tag after apostrophes") << "<p>l'été <img alt=\"l'ombre\" " << int(Kind::Attribute);
        QTest::newRow("closed tag in a value") << "<a title=\"<b>\" " << int(Kind::Attribute);
        QTest::newRow("value closed by an apostrophe") << "<img alt='a>l'ombre " << int(Kind::None);
        QTest::newRow("value open after an apostrophe") << "<img title=\"x>l'x" << int(Kind::None);
        QTest::newRow("onclick") << "<a onclick=\"if (a<b && c>d) f()\" " << int(Kind::Attribute);
        QTest::newRow("comment") << "<!-- <a > " << int(Kind::None);
        QTest::newRow("script") << "<script>if (a > b) " << int(Kind::None);
        QTest::newRow("long prose") << "<p>" + prose << int(Kind::None);
        QTest::newRow("tag after long prose") << prose + "<font " << int(Kind::Attribute);
        QTest::newRow("tag before long prose") << "<font " + prose << int(Kind::None);
        QTest::newRow("tag across pieces") << "<font" + QString(300, u' ') << int(Kind::Attribute);
    }
    void pageReadBackFromTheCaret()
    {
        // The page's text before the caret reads as the same text alone.
        QFETCH(QString, before);
        QFETCH(int, kind);
        QTextDocument document;
        document.setPlainText(before + QStringLiteral("</p>\nla suite"));
        const Context c = contextAt(document, int(before.size()), QString());
        QCOMPARE(int(c.kind), kind);
        const QString read = QString(before).right(ContextLookBack);
        QCOMPARE(c.choices, contextOf(read, QString()).choices);
    }

    void attributeNames()
    {
        Context c = contextOf(u"<font ", QString());
        QCOMPARE(c.kind, Kind::Attribute);
        QCOMPARE(c.prefix, QString());
        // The element's own first, then the global ones.
        QCOMPARE(c.choices.mid(0, 3), QStringList({"color", "face", "size"}));
        QVERIFY(c.choices.contains("class"));
        QVERIFY(!c.choices.contains("href"));
        // Those already written are not offered again.
        c = contextOf(u"<img src=\"a.gif\" ALT='x' width=10 ismap ", QString());
        QVERIFY(!c.choices.contains("src"));
        QVERIFY(!c.choices.contains("alt"));
        QVERIFY(!c.choices.contains("width"));
        QVERIFY(!c.choices.contains("ismap"));
        QVERIFY(c.choices.contains("height"));
        // Filtering, case, and what taking one writes.
        c = contextOf(u"<a hr", QString());
        QCOMPARE(c.choices, QStringList({"href", "hreflang"}));
        const Insertion in = insertion(c, "href");
        QCOMPARE(in.text, QStringLiteral("href=\"\""));
        QCOMPARE(in.caretBack, 1);
        QCOMPARE(contextOf(u"<FONT ", QString()).choices.first(), QStringLiteral("COLOR"));
        QCOMPARE(contextOf(u"<FONT s", QString()).choices.first(), QStringLiteral("size"));
        QCOMPARE(contextOf(u"<font S", QString()).choices.first(), QStringLiteral("SIZE"));
        // Over several lines, and an unknown element gets the global ones.
        QVERIFY(contextOf(u"<table\r\n  border=1\r\n  ", QString()).choices.contains("cellpadding"));
        QVERIFY(contextOf(u"<mon-widget ", QString()).choices.contains("id"));
    }

    void fileNames()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.path() + u'/';
        QVERIFY(QDir(folder).mkpath("images/petites"));
        for (const char *name : {"index.htm", "Image.gif", "images/logo.gif", "images/Lune.jpg", ".cache"}) {
            QFile f(folder + QString::fromLatin1(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        Context c = contextOf(u"<a href=\"", folder);
        QCOMPARE(c.kind, Kind::File);
        QCOMPARE(c.choices, QStringList({"images/", "Image.gif", "index.htm"}));
        // Filtering without regard to case; the choice replaces what was typed.
        c = contextOf(u"<img border=0 SRC='im", folder);
        QCOMPARE(c.prefix, QStringLiteral("im"));
        QCOMPARE(c.choices, QStringList({"images/", "Image.gif"}));
        QCOMPARE(insertion(c, "Image.gif").text, QStringLiteral("Image.gif"));
        QVERIFY(insertion(c, "images/").reopen);
        // Descending into a folder.
        c = contextOf(u"<img src=\"images/l", folder);
        QCOMPARE(c.prefix, QStringLiteral("l"));
        QCOMPARE(c.choices, QStringList({"logo.gif", "Lune.jpg"}));
        QCOMPARE(contextOf(u"<img src=\"images/", folder).choices.first(), QStringLiteral("petites/"));
        QCOMPARE(contextOf(u"<a href=\"images/../ind", folder).choices, QStringList({"index.htm"}));
        // No folder, a folder that is not there, addresses and absolute paths: nothing.
        QVERIFY(contextOf(u"<a href=\"", QString()).choices.isEmpty());
        QVERIFY(contextOf(u"<a href=\"rien/", folder).choices.isEmpty());
        QVERIFY(contextOf(u"<a href=\"http://", folder).choices.isEmpty());
        QVERIFY(contextOf(u"<a href=\"/etc/", folder).choices.isEmpty());
        QVERIFY(contextOf(u"<a href=\"mailto:", folder).choices.isEmpty());
        QVERIFY(contextOf(u"<a href=\"#", folder).choices.isEmpty());
    }
};

PEMO_TEST(TagCompletionTest)
#include "tst_tagcompletion.moc"
