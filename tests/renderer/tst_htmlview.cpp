// The preview over the real engine, offscreen: loading, view position,
// pointing, clicking and submitting.
#include "PreviewTestUtil.h"
#include "platform/CommonDialogs.h"
#include "platform/Launcher.h"
#include "platform/Messages.h"
#include "renderer/HtmlView.h"

#include <QDir>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEnginePage>

using namespace PreviewTest;

class TestHtmlView : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_oldDir;
    QWidget *m_window = nullptr;
    THtmlView *m_view = nullptr;
    QList<Platform::LaunchRecord> m_launches;
    QList<Platform::MessageRecord> m_messages;

    THtmlView *freshView() { return m_view = PreviewTest::freshView(m_window); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_oldDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        QImage picture(20, 10, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(m_dir.filePath(QStringLiteral("pic.png"))));
        QFile page(m_dir.filePath(QStringLiteral("autre.htm")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html><body><p id=\"autre\">Autre page</p></body></html>\r\n");
        page.close();
        Platform::setLaunchHandler([this](const Platform::LaunchRecord &r) {
            m_launches << r;
            return true;
        });
        Platform::setMessageHandler([this](const Platform::MessageRecord &r) {
            m_messages << r;
            return Platform::Answer::Ok;
        });
    }
    void cleanupTestCase()
    {
        delete m_window;
        m_window = nullptr;
        Platform::setLaunchHandler({});
        Platform::setMessageHandler({});
        QDir::setCurrent(m_oldDir);
    }
    void init()
    {
        m_launches.clear();
        m_messages.clear();
    }

    // A page asking its visitor's name until it gets one (as the visitor
    // cookie script does) is asked once per view: the rebuilds after reuse
    // the answer, and a loop the answer cannot end is stopped.
    void pageBoxesAreAnsweredOnce_data()
    {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QString>("shown");
        QTest::newRow("name given") << std::optional<QString>(QStringLiteral("Amélie")) << QStringLiteral("Amélie");
        QTest::newRow("cancelled") << std::optional<QString>() << QStringLiteral("vide");
        QTest::newRow("suggestion kept") << std::optional<QString>(QStringLiteral("Votre nom ici"))
                                         << QStringLiteral("vide");
    }
    void pageBoxesAreAnsweredOnce()
    {
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, shown);
        QStringList asked;
        CommonDialogs::setTextHandler([&](const CommonDialogs::TextRequest &r) {
            asked << r.prompt + u'|' + r.initial;
            return answer;
        });
        THtmlView *view = freshView();
        QStringList page = {
            QStringLiteral("<html><body><p id=\"n\">vide</p>"),
            QStringLiteral("<script>"),
            QStringLiteral("var v; while (v==\"\"||v==null||v=='Votre nom ici') { v=prompt('Entrez votre nom','Votre nom ici'); }"),
            QStringLiteral("document.getElementById('n').textContent=v; alert('Bonjour '+v);"),
            QStringLiteral("</script></body></html>"),
        };
        for (int rebuild = 0; rebuild < 3; ++rebuild) {
            page.insert(1, QStringLiteral("<p>Ligne %1</p>").arg(rebuild));
            QVERIFY(loadAndWait(view, page));
            QCOMPARE(eval(view, QStringLiteral("document.getElementById('n').textContent")).toString(), shown);
        }
        CommonDialogs::setTextHandler({});
        QCOMPARE(asked, QStringList{QStringLiteral("Entrez votre nom|Votre nom ici")});
        // The greeting is shown once too (and never when the script stopped).
        const int greetings = int(std::count_if(m_messages.cbegin(), m_messages.cend(), [](const Platform::MessageRecord &r) {
            return r.text.startsWith(QLatin1String("Bonjour"));
        }));
        QCOMPARE(greetings, shown == QLatin1String("vide") ? 0 : 1);
    }

    void engineWaitsForTheFirstLoad()
    {
        THtmlView *view = freshView();
        QVERIFY(!view->engineView());
        QCOMPARE(view->ViewPosition(), 0);
        QVERIFY(loadAndWait(view, {QStringLiteral("<p>x</p>")}));
        QVERIFY(view->engineView());
    }

    void pageResolvesAgainstCurrentDirectory_data()
    {
        QTest::addColumn<QString>("doctype");
        QTest::addColumn<int>("filler");
        QTest::addColumn<QString>("mode");
        QTest::newRow("small page, no doctype") << QString() << 0 << "BackCompat";
        QTest::newRow("page over the 2 MB inline limit, doctype kept") << "<!DOCTYPE html>" << 30000 << "CSS1Compat";
    }
    void pageResolvesAgainstCurrentDirectory()
    {
        QFETCH(QString, doctype);
        QFETCH(int, filler);
        QFETCH(QString, mode);
        THtmlView *view = freshView();
        QStringList lines;
        if (!doctype.isEmpty())
            lines << doctype;
        lines << QStringLiteral("<html><head><meta charset=\"windows-1252\"></head><body>")
              << QStringLiteral("<img id=\"i\" src=\"pic.png\"><p id=\"t\">Déjà vu</p>");
        for (int i = 0; i < filler; ++i)
            lines << QStringLiteral("<p class=\"f\">Ligne de remplissage numéro %1 &lt;&gt;</p>").arg(i);
        lines << QStringLiteral("<p id=\"fin\">Fin</p></body></html>");
        QVERIFY(loadAndWait(view, lines));
        QCOMPARE(eval(view, QStringLiteral("document.getElementById('i').naturalWidth")).toInt(), 20);
        QCOMPARE(eval(view, QStringLiteral("document.getElementById('t').textContent")).toString(),
                 QStringLiteral("Déjà vu"));
        QCOMPARE(eval(view, QStringLiteral("document.getElementById('fin') !== null")).toBool(), true);
        QCOMPARE(eval(view, QStringLiteral("document.compatMode")).toString(), mode);
    }

    void settings()
    {
        THtmlView *view = freshView();
        const QString page = QStringLiteral(
            "<p id=\"a\">a</p><pre><span id=\"b\">%1</span></pre>"
            "<span id=\"c\" style=\"font: 13px 'Courier New'\">%1</span>").arg(QString(QStringLiteral("MMMMiiii")).repeated(30));
        QVERIFY(loadAndWait(view, {page}));
        QVERIFY(loadAndWait(view, {page}));
        // No history: nothing to go back to after two loads.
        QVERIFY(!view->engineView()->page()->history()->canGoBack());
        // The page's text and preformatted text are set in the design-time fonts.
        const QVariantList families = eval(view, QStringLiteral(
            "[getComputedStyle(document.getElementById('a')).fontFamily,"
            " getComputedStyle(document.getElementById('b')).fontFamily]")).toList();
        QCOMPARE(families.size(), 2);
        QVERIFY2(families[0].toString().contains(QLatin1String("Times New Roman")), qPrintable(families[0].toString()));
        const QString width = QStringLiteral("document.getElementById('%1').getBoundingClientRect().width");
        const double pre = eval(view, width.arg(u'b')).toDouble();
        QCOMPARE(pre, eval(view, width.arg(u'c')).toDouble());
    }

    void viewPosition_data()
    {
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<int>("expected");
        QTest::newRow("same page: same place") << longPage() << 900;
        QTest::newRow("line added above: same place") << longPage({QStringLiteral("<h1>Titre</h1>")}) << 900;
        QTest::newRow("page now too short: ignored") << longPage({}, {}, 10) << 0;
    }
    void viewPosition()
    {
        QFETCH(QStringList, second);
        QFETCH(int, expected);
        THtmlView *view = freshView();
        QVERIFY(loadAndWait(view, longPage()));
        view->SetViewPosition(900);
        // Known at once, before the engine has scrolled: a rebuild asked
        // right away keeps it.
        QCOMPARE(view->ViewPosition(), 900);
        const int kept = view->ViewPosition();
        QSignalSpy spy(view, &THtmlView::rendered);
        view->LoadFromLines(second);
        view->SetViewPosition(kept);
        // Read while the load is under way, the position is the one asked for.
        QCOMPARE(view->ViewPosition(), kept);
        QVERIFY(spy.wait(engineTimeout));
        QCOMPARE(view->ViewPosition(), expected);
        QCOMPARE(eval(view, QStringLiteral("Math.round(window.scrollY)")).toInt(), expected);
    }

    // A rebuilt page that runs nothing is shown by replacing its body; what
    // the engine then holds must be what a fresh load of the page builds.
    // A page with a script is loaded afresh, its script run again.
    void rebuiltPageEqualsFreshLoad_data()
    {
        QTest::addColumn<QString>("head");
        QTest::addColumn<QString>("extra"); // put into the second page
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("quirks page") << "<html><head><title>Essai</title></head><body>" << QString() << true;
        QTest::newRow("standards page with its style and colour")
            << "<!DOCTYPE html>\n<html><head><meta charset=\"windows-1252\"><style>td { padding: 3px }</style></head>\n"
               "<body bgcolor=\"#F0F0F0\" link=\"#FF0000\">"
            << QString() << true;
        QTest::newRow("page writing into itself")
            << "<html><head><title>Essai</title></head><body>"
            << "<script>document.write('<p id=\"w\">écrit ' + document.body.childNodes.length + '</p>')</script>" << false;
    }
    void rebuiltPageEqualsFreshLoad()
    {
        QFETCH(QString, head);
        QFETCH(QString, extra);
        QFETCH(bool, inPlace);
        const QStringList pieces{
            QStringLiteral("<p>Paragraphe %1 &amp; &eacute;t&eacute; <b>gras"),
            QStringLiteral("<table border=1><tr><td>a%1<td>b"),
            QStringLiteral("</table>"),
            QStringLiteral("<!-- note %1 -->"),
            QStringLiteral("<pre>\nligne %1\n  indentée</pre>"),
            QStringLiteral("<ul><li>un<li>deux %1</ul>"),
            QStringLiteral("<b><i>mal</b> imbriqué %1</i>"),
            QStringLiteral("<img src=\"pic.png\" alt=\"i%1\">"),
            QStringLiteral("<textarea name=\"t%1\">\ntexte</textarea>"),
            QStringLiteral("<style>p.c%1 { margin-left: 40px }</style><p class=\"c%1\">décalé"),
            QStringLiteral("<form action=\"x\"><input name=\"n%1\" value=\"v\"><select><option>a<option selected>b</select></form>"),
            QStringLiteral("<a href=\"#s%1\">ancre</a> <a name=\"s%1\">cible</a>"),
            QStringLiteral("<h2 align=center>Titre %1</h2>"),
            QStringLiteral("texte nu %1 <br>"),
            QStringLiteral("<font face=\"Arial\" size=+1>police</font>"),
            QStringLiteral("<td>cellule perdue %1</td></p></div>"),
            QStringLiteral("<svg width=10 height=10><rect width=5 height=5/></svg>"),
            QStringLiteral("<title>titre dans le corps %1</title>"),
        };
        const QStringList tails{QString(), QStringLiteral("</body></html>"), QStringLiteral("</body>\n</html>\n"),
                                QStringLiteral("\n</BODY>  ")};
        QRandomGenerator rng(17);
        auto generated = [&] {
            QStringList lines{head};
            const int count = 5 + int(rng.bounded(40));
            for (int i = 0; i < count; ++i)
                lines << pieces.at(int(rng.bounded(pieces.size()))).arg(i);
            lines << tails.at(int(rng.bounded(tails.size())));
            return lines;
        };
        const QString state = QStringLiteral(
            "[document.documentElement.outerHTML, document.compatMode, document.title,"
            " document.scrollingElement.scrollHeight, document.images.length && document.images[0].naturalWidth]");
        THtmlView *view = freshView();
        for (int round = 0; round < 4; ++round) {
            QVERIFY(loadAndWait(view, generated()));
            QStringList next = generated();
            next << extra;
            // A mark in the preview's own world: it survives a body
            // replacement, not a new document.
            eval(view, QStringLiteral("window.pemoMark = 1"));
            QVERIFY(loadAndWait(view, next));
            QCOMPARE(eval(view, QStringLiteral("window.pemoMark === 1")).toBool(), inPlace);

            // A view of the same size, loaded afresh.
            auto *fresh = new THtmlView;
            fresh->resize(view->size());
            fresh->show();
            QVERIFY(QTest::qWaitForWindowExposed(fresh));
            QVERIFY(loadAndWait(fresh, next));
            const QVariantList shown = eval(view, state).toList();
            const QVariantList expected = eval(fresh, state).toList();
            delete fresh;
            QCOMPARE(shown.size(), 5);
            QCOMPARE(shown, expected);
        }
        if (!extra.isEmpty())
            QVERIFY(eval(view, QStringLiteral("document.getElementById('w') !== null")).toBool());
    }

    void rebuildShowsFieldsAndTextAsWritten()
    {
        // What the user did in the shown page does not outlive a rebuild:
        // the page comes back as a fresh load would show it.
        THtmlView *view = freshView();
        const QStringList page{QStringLiteral("<html><body><form><input id=\"f\" value=\"écrit\">"),
                               QStringLiteral("<input id=\"c\" type=\"checkbox\"></form><p id=\"p\">texte</p>"),
                               QStringLiteral("<div><p>un</p><p id=\"q\">deux</p></div></body></html>")};
        QVERIFY(loadAndWait(view, page));
        eval(view, QStringLiteral("window.pemoMark = 1; document.getElementById('f').value = 'tapé';"
                                  " document.getElementById('c').checked = true"));
        QStringList edited = page;
        edited[2].replace(QStringLiteral("deux"), QStringLiteral("trois"));
        QVERIFY(loadAndWait(view, edited));
        QVERIFY(eval(view, QStringLiteral("window.pemoMark === 1")).toBool());
        QCOMPARE(eval(view, QStringLiteral("[document.getElementById('f').value, document.getElementById('c').checked,"
                                           " document.getElementById('q').textContent]")),
                 QVariant(QVariantList{QStringLiteral("écrit"), false, QStringLiteral("trois")}));
    }

    void rebuildsDuringALoadAreCoalesced()
    {
        // Pages with a script are loaded afresh, each a real load.
        const QString script = QStringLiteral("<script>document.write('<p id=\"w\">écrit</p>')</script>");
        THtmlView *view = freshView();
        QVERIFY(loadAndWait(view, {QStringLiteral("<p>premier</p>") + script}));
        QWebEnginePage *page = view->engineView()->page();
        QSignalSpy started(page, &QWebEnginePage::loadStarted);
        QSignalSpy rendered(view, &THtmlView::rendered);
        view->LoadFromLines({QStringLiteral("<p id=\"a\">A</p>") + script});
        QVERIFY(started.wait(engineTimeout));
        // Asked while that load runs: it is not restarted; the last text
        // follows it, in one more load.
        view->LoadFromLines({QStringLiteral("<p id=\"b\">B</p>") + script});
        view->LoadFromLines({QStringLiteral("<p id=\"c\">C</p>") + script});
        QVERIFY(view->isLoading());
        QVERIFY(rendered.wait(engineTimeout));
        QCOMPARE(rendered.size(), 1);
        QCOMPARE(eval(view, QStringLiteral("[document.querySelector('p').id, document.getElementById('w').textContent]")),
                 QVariant(QVariantList{QStringLiteral("c"), QStringLiteral("écrit")}));
        QVERIFY(!rendered.wait(1000));
        QCOMPARE(started.size(), 2);
    }

    void eachViewResolvesAgainstItsOwnFolder()
    {
        const QString other = m_dir.filePath(QStringLiteral("autre"));
        QVERIFY(QDir().mkpath(other));
        QImage picture(30, 10, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QVERIFY(picture.save(QDir(other).filePath(QStringLiteral("pic.png"))));
        THtmlView *view = freshView();
        auto *second = new THtmlView(m_window);
        m_window->layout()->addWidget(second);
        view->setFolder(other);
        const QStringList page{QStringLiteral("<body><img id=\"i\" src=\"pic.png\">")};
        QVERIFY(loadAndWait(view, page));
        QVERIFY(loadAndWait(second, page));
        QCOMPARE(eval(view, QStringLiteral("document.getElementById('i').naturalWidth")).toInt(), 30);
        QCOMPARE(eval(second, QStringLiteral("document.getElementById('i').naturalWidth")).toInt(), 20);
        QCOMPARE(view->ExpandLinkName(QStringLiteral("son.wav")), QDir(other).filePath(QStringLiteral("son.wav")));
        QCOMPARE(second->ExpandLinkName(QStringLiteral("son.wav")), m_dir.filePath(QStringLiteral("son.wav")));
        QCOMPARE(QDir::currentPath(), m_dir.path());
    }

    void scriptGoingToAnchorScrolls()
    {
        THtmlView *view = freshView();
        QVERIFY(loadAndWait(view, longPage({}, {QStringLiteral("<h2 id=\"bas\">Bas</h2>")})));
        const QUrl before = view->url();
        view->engineView()->page()->runJavaScript(QStringLiteral("location.href = '#bas'"));
        QTRY_VERIFY_WITH_TIMEOUT(view->ViewPosition() > 0, engineTimeout);
        QCOMPARE(view->url(), before);
    }

    void hoverReportsTargetAndLeaving()
    {
        THtmlView *view = freshView();
        QVERIFY(loadAndWait(view, {QStringLiteral("<p><a id=\"l\" href=\"autre.htm#bas\">lien</a></p>"),
                                   QStringLiteral("<p id=\"plain\" style=\"margin-top:40px\">texte</p>")}));
        QSignalSpy covered(view, &THtmlView::hotSpotCovered);
        moveTo(view, centreOf(view, QStringLiteral("l")));
        QTRY_COMPARE_WITH_TIMEOUT(covered.size(), 1, engineTimeout);
        QCOMPARE(covered.at(0).at(0).toString(), QStringLiteral("autre.htm#bas"));
        moveTo(view, centreOf(view, QStringLiteral("plain")));
        QTRY_COMPARE_WITH_TIMEOUT(covered.size(), 2, engineTimeout);
        QCOMPARE(covered.at(1).at(0).toString(), QString());
    }

    void clickNotHandledIsFollowed_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("shownFile"); // the file shown after, "" when the page stays
        QTest::addColumn<QString>("launchedUrl");
        QTest::addColumn<bool>("error");
        QTest::newRow("page loaded") << "autre.htm" << "autre.htm" << QString() << false;
        QTest::newRow("picture shown") << "pic.png" << "pic.png" << QString() << false;
        QTest::newRow("missing page: error, page kept") << "absent.htm" << QString() << QString() << true;
        QTest::newRow("web address to the desktop") << "http://127.0.0.1:9/page.htm" << QString()
                                                    << "http://127.0.0.1:9/page.htm" << false;
        QTest::newRow("other local file: nothing") << "notes.txt" << QString() << QString() << false;
    }
    void clickNotHandledIsFollowed()
    {
        QFETCH(QString, href);
        QFETCH(QString, shownFile);
        QFETCH(QString, launchedUrl);
        QFETCH(bool, error);
        THtmlView *view = freshView();
        QVERIFY(loadAndWait(view, {QStringLiteral("<p><a id=\"l\" href=\"%1\">lien</a></p>").arg(href)}));
        const QUrl before = view->url();
        QSignalSpy clicks(view, &THtmlView::hotSpotClick);
        QSignalSpy rendered(view, &THtmlView::rendered);
        click(view, QStringLiteral("l"));
        QTRY_COMPARE_WITH_TIMEOUT(clicks.size(), 1, engineTimeout);
        QCOMPARE(clicks.at(0).at(0).toString(), href);
        if (!shownFile.isEmpty()) {
            // The page may already be shown while the click is waited for.
            QTRY_COMPARE_WITH_TIMEOUT(rendered.size(), 1, engineTimeout);
            QCOMPARE(view->url(), QUrl::fromLocalFile(m_dir.filePath(shownFile)));
        } else {
            QCOMPARE(view->url(), before);
        }
        QCOMPARE(m_messages.size(), error ? 1 : 0);
        if (error) {
            QCOMPARE(m_messages.at(0).kind, Platform::MessageKind::Error);
            QVERIFY(m_messages.at(0).text.contains(m_dir.filePath(QStringLiteral("absent.htm"))));
        }
        QCOMPARE(m_launches.size(), launchedUrl.isEmpty() ? 0 : 1);
        if (!launchedUrl.isEmpty())
            QCOMPARE(m_launches.at(0).url, QUrl(launchedUrl));
    }

    void handledClickStaysPut()
    {
        THtmlView *view = freshView();
        QVERIFY(loadAndWait(view, {QStringLiteral("<p><a id=\"l\" href=\"autre.htm\">lien</a></p>")}));
        const QUrl before = view->url();
        bool asked = false;
        connect(view, &THtmlView::hotSpotClick, this, [&](const QString &, bool *handled) {
            *handled = true;
            asked = true;
        });
        click(view, QStringLiteral("l"));
        QTRY_VERIFY_WITH_TIMEOUT(asked, engineTimeout);
        QSignalSpy rendered(view, &THtmlView::rendered);
        QVERIFY(!rendered.wait(1000));
        QCOMPARE(view->url(), before);
    }

    void cancelledClickIsNotReported()
    {
        THtmlView *view = freshView();
        QSignalSpy clicks(view, &THtmlView::hotSpotClick);
        QVERIFY(loadAndWait(view, {QStringLiteral("<p><a id=\"l\" href=\"autre.htm\" onclick=\"return false\">lien</a></p>"),
                                   QStringLiteral("<p><a id=\"s\" href=\"#y\">par script</a></p>"),
                                   QStringLiteral("<script>document.getElementById('s').click()</script>"),
                                   QStringLiteral("<p><a id=\"m\" href=\"#x\">autre</a></p>")}));
        click(view, QStringLiteral("l"));
        click(view, QStringLiteral("m"));
        // Reports keep their order: the user's second click is the only one;
        // a click made by the page's script is not a user's click.
        QTRY_COMPARE_WITH_TIMEOUT(clicks.size(), 1, engineTimeout);
        QCOMPARE(clicks.at(0).at(0).toString(), QStringLiteral("#x"));
    }

    void formSubmit_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("submit"); // script that submits
        QTest::addColumn<QString>("method");
        QTest::addColumn<QStringList>("entries");
        const QString fields = QStringLiteral("<input name=\"nom\" value=\"Jean\"><textarea name=\"avis\">Bien</textarea>");
        QTest::newRow("post form, unnamed button")
            << "<form id=\"f\" action=\"mailto:moi@exemple.fr\" method=\"Post\">" + fields
                   + "<input id=\"b\" type=\"submit\"></form>"
            << "document.getElementById('b').click()" << "Post" << QStringList{"nom=Jean", "avis=Bien"};
        QTest::newRow("get form, named button in its place")
            << "<form id=\"f\" action=\"cgi/traite\" method=\"get\"><input name=\"nom\" value=\"Jean\">"
               "<input id=\"b\" type=\"submit\" name=\"Envoi\" value=\"Envoi\"><input name=\"ville\" value=\"Paris\"></form>"
            << "document.getElementById('b').click()" << "get" << QStringList{"nom=Jean", "Envoi=Envoi", "ville=Paris"};
        QTest::newRow("submitted by a script")
            << "<form id=\"f\" action=\"cgi/traite\">" + fields + "</form>"
            << "document.getElementById('f').submit()" << "get" << QStringList{"nom=Jean", "avis=Bien"};
    }
    void formSubmit()
    {
        QFETCH(QString, form);
        QFETCH(QString, submit);
        QFETCH(QString, method);
        QFETCH(QStringList, entries);
        THtmlView *view = freshView();
        QVERIFY(loadAndWait(view, {form}));
        const QUrl before = view->url();
        QSignalSpy submitted(view, &THtmlView::formSubmit);
        // The page's own world clicks, as a user's click would.
        view->engineView()->page()->runJavaScript(submit);
        QTRY_COMPARE_WITH_TIMEOUT(submitted.size(), 1, engineTimeout);
        const QList<QVariant> args = submitted.at(0);
        QCOMPARE(args.at(3).toString(), method);
        QCOMPARE(args.at(4).toStringList(), entries);
        QCOMPARE(view->url(), before);
        QVERIFY(!view->isLoading());
    }

    void cancelledSubmitIsNotReported()
    {
        THtmlView *view = freshView();
        QVERIFY(loadAndWait(view, {QStringLiteral("<form id=\"f\" onsubmit=\"return false\"><input name=\"a\">"
                                                  "<input id=\"b\" type=\"submit\"></form>")}));
        QSignalSpy submitted(view, &THtmlView::formSubmit);
        view->engineView()->page()->runJavaScript(QStringLiteral("document.getElementById('b').click()"));
        QVERIFY(!submitted.wait(1500));
    }
};

PEMO_TEST(TestHtmlView)
#include "tst_htmlview.moc"
