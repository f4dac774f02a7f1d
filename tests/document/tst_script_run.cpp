// The generated scripts run in the preview's browser engine: each page holds
// a generator's head and body pieces, placed by the document window, and the
// engine must report no script error and show the script's effect.
#include "../renderer/PreviewTestUtil.h"
#include "colormemo/ColMemo.h"
#include "dialogs/StyleSection.h"
#include "document/Childwin.h"
#include "scripts/ScriptEffects.h"
#include "scripts/ScriptText.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QInputDialog>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>

using namespace PreviewTest;
using namespace ScriptEffects;

namespace {

// Errors thrown by the page's scripts are written into an attribute of the
// root element, where the test world can read them.
const QString errorCatcher = QStringLiteral(
    "<script>window.onerror = function (m, s, l) { var r = document.documentElement;"
    " r.setAttribute('data-errors', (r.getAttribute('data-errors') || '') + m + ' (line ' + l + ')\\n'); };</script>");

QStringList pageLines()
{
    return {QStringLiteral("<html>"), QStringLiteral("<head>"), QStringLiteral("<title>Essai</title>"), errorCatcher,
            QStringLiteral("</head>"), QStringLiteral("<body>"), QStringLiteral("ici"),
            QStringLiteral("</body>"), QStringLiteral("</html>")};
}

// Runs in the page's own world, where its script variables live.
QVariant evalInPage(THtmlView *view, const QString &script)
{
    QVariant out;
    bool done = false;
    view->engineView()->page()->runJavaScript(script, QWebEngineScript::MainWorld, [&](const QVariant &r) {
        out = r;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, engineTimeout))
        qWarning("no answer from the page to: %s", qPrintable(script));
    return out;
}

QString bodyText(THtmlView *view) { return eval(view, QStringLiteral("document.body.innerText")).toString(); }

// Serves one page to every request, as a web server would.
class PageServer : public QTcpServer
{
public:
    explicit PageServer(const QByteArray &page)
        : m_page(page)
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
                                  + QByteArray::number(m_page.size()) + "\r\nConnection: close\r\n\r\n" + m_page);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

private:
    QByteArray m_page;
};

// A browser tab of its own (its own cookies) whose prompt boxes are
// answered with `answer`, or cancelled when there is none.
class PromptPage : public QWebEnginePage
{
public:
    PromptPage(QWebEngineProfile *profile, std::optional<QString> answer, int &asked)
        : QWebEnginePage(profile)
        , m_answer(std::move(answer))
        , m_asked(asked)
    {
    }

protected:
    bool javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *result) override
    {
        // A page that asks again and again is given a name at last, or it
        // would never finish; the count fails the test.
        if (++m_asked > 5) {
            *result = QStringLiteral("Assez");
            return true;
        }
        if (!m_answer)
            return false;
        *result = *m_answer;
        return true;
    }

private:
    std::optional<QString> m_answer;
    int &m_asked;
};

// Visits of one served page in one browser profile.
struct Visitor {
    QWebEngineProfile profile;
    PageServer server;
    std::optional<QString> answer;
    int asked = 0;
    QList<QNetworkCookie> cookies;

    Visitor(const Pieces &pieces, std::optional<QString> name)
        : server((QStringLiteral("<html><head>") + pieces.head + QStringLiteral("</head><body>") + pieces.body
                  + QStringLiteral("</body></html>"))
                     .toUtf8())
        , answer(std::move(name))
    {
        QObject::connect(profile.cookieStore(), &QWebEngineCookieStore::cookieAdded, &profile,
                         [this](const QNetworkCookie &c) { cookies << c; });
    }

    // The text the page shows; empty when it did not finish loading.
    QString visit()
    {
        PromptPage page(&profile, answer, asked);
        QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
        page.load(QUrl(QStringLiteral("http://127.0.0.1:%1/visite.htm").arg(server.serverPort())));
        if (!loaded.wait(engineTimeout) || !loaded.first().first().toBool())
            return QString();
        QString text;
        bool done = false;
        page.runJavaScript(QStringLiteral("document.body.innerText"), [&](const QVariant &r) {
            text = r.toString();
            done = true;
        });
        return QTest::qWaitFor([&] { return done; }, engineTimeout) ? text : QString();
    }
};

} // namespace

class ScriptRunTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_oldDir;
    TEditeur *m_e = nullptr;

    THtmlView *view() const { return m_e->HtmlView1; }

    // A page with the pieces placed by the document window over "ici",
    // shown in its preview.
    void show(const QString &head, const QString &body)
    {
        m_e->Memo1->SetLines(pageLines());
        const int at = int(m_e->Memo1->Text().indexOf(QStringLiteral("ici")));
        m_e->Memo1->Select(at, 3);
        m_e->PlaceScript(head, body);
        QVERIFY(m_e->Memo1->Text().contains(head));
        QVERIFY(loadAndWait(view(), m_e->Memo1->Lines()));
    }
    void show(const Pieces &pieces) { show(pieces.head, pieces.body); }

    void noScriptError()
    {
        QCOMPARE(eval(view(), QStringLiteral("document.documentElement.getAttribute('data-errors')")).toString(),
                 QString());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QImage first(40, 40, QImage::Format_RGB32), second(40, 40, QImage::Format_RGB32);
        first.fill(Qt::red);
        second.fill(Qt::blue);
        QVERIFY(first.save(m_dir.filePath(QStringLiteral("logo1.png"))));
        QVERIFY(second.save(m_dir.filePath(QStringLiteral("logo2.png"))));
        QVERIFY(first.save(m_dir.filePath(QStringLiteral("logo d'été.png"))));
        m_oldDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        m_e = new TEditeur(nullptr);
        m_e->resize(700, 600);
        m_e->show();
    }

    void cleanupTestCase()
    {
        delete m_e;
        QDir::setCurrent(m_oldDir);
    }

    void errorsAreCaught()
    {
        show(QStringLiteral("<script>nothingHere();</script>\r\n"), QStringLiteral("<p>corps</p>"));
        QVERIFY(eval(view(), QStringLiteral("document.documentElement.getAttribute('data-errors')"))
                    .toString()
                    .contains(QStringLiteral("nothingHere")));
    }

    // Texts holding the quote of their script's strings, an apostrophe or a
    // backslash: the scripts still run and carry the text as typed.
    void typedQuotesKeepTheScriptRunning_data()
    {
        QTest::addColumn<QString>("head");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("value");
        const QString apostrophe = QStringLiteral("C'est l'été \\ fin");
        const QString quotes = QStringLiteral("Le \"meilleur\" pain \\ fin");
        const auto row = [](const char *name, const Pieces &p, const QString &expression, const QString &value) {
            QTest::newRow(name) << p.head << p.body << expression << value;
        };
        row("message aléatoire", randomMessage({apostrophe, apostrophe, apostrophe}),
            QStringLiteral("document.body.innerText.trim()"), apostrophe);
        row("message défilant, bouton", scrollingMessage(quotes, true),
            QStringLiteral("String((msg + msg).indexOf('Le \"meilleur\" pain \\\\ fin - ') >= 0)"),
            QStringLiteral("true"));
        row("message défilant, bouton avant le script", scrollingMessage(quotes, true),
            QStringLiteral("document.forms['formmsg'].elements['buttonmsg'].getAttribute('value')"),
            quotes + QStringLiteral(" - "));
        row("message défilant, ligne d'état", scrollingMessage(apostrophe, false),
            QStringLiteral("String((msg + msg).indexOf(\"C'est l'été \\\\ fin - \") >= 0)"), QStringLiteral("true"));
        row("texte dégradé", gradientText(quotes, QColor(0, 0, 255), QColor(255, 0, 0)),
            QStringLiteral("document.body.innerText.trim()"), quotes);
        row("message animé", animatedMessage(quotes), QStringLiteral("txt1"), letterLower(quotes));
        row("favoris", favourites(QStringLiteral("http://x.fr/?a='1'"), quotes), QStringLiteral("typeof Favoris"),
            QStringLiteral("function"));
        row("image aléatoire, nom avec espace et apostrophe",
            randomPicture({QStringLiteral("logo d'été.png"), QStringLiteral("logo d'été.png"),
                           QStringLiteral("logo d'été.png")}),
            QStringLiteral("String(document.images[0].naturalWidth)"), QStringLiteral("40"));
        row("rollover, nom avec apostrophe", rollover(QStringLiteral("logo d'été.png"), QStringLiteral("logo d'été.png"), 40, 40),
            QStringLiteral("String(logo_a['out'].complete && document.images['logo'].naturalWidth)"),
            QStringLiteral("40"));
    }
    void typedQuotesKeepTheScriptRunning()
    {
        QFETCH(QString, head);
        QFETCH(QString, body);
        QFETCH(QString, expression);
        QFETCH(QString, value);
        show(head, body);
        // The engine may be slow to start on a busy machine: the value is what counts.
        QTRY_COMPARE_WITH_TIMEOUT(evalInPage(view(), expression).toString(), value, 20000);
        noScriptError();
    }

    void scrollingMessageRotatesTheButton()
    {
        show(scrollingMessage(QStringLiteral("Bonjour"), true));
        noScriptError();
        const QString script = QStringLiteral("document.forms['formmsg'].elements['buttonmsg'].value");
        const QString first = eval(view(), script).toString();
        QCOMPARE(first.size(), QStringLiteral("Bonjour - ").size());
        QTRY_VERIFY_WITH_TIMEOUT(eval(view(), script).toString() != first, 5000);
        QVERIFY(QStringLiteral("Bonjour - Bonjour - ").contains(eval(view(), script).toString()));
    }

    void scrollingMessageInTheStatusLineRuns()
    {
        show(scrollingMessage(QStringLiteral("Bonjour"), false));
        QTRY_VERIFY_WITH_TIMEOUT(evalInPage(view(), QStringLiteral("msg")).toString() != QStringLiteral("Bonjour - "),
                                 5000);
        noScriptError();
    }

    void gradientWritesAFontElementPerCharacter()
    {
        const QString message = QStringLiteral("Dégradé");
        const Pieces pieces = gradientText(message, QColor(0, 0, 255), QColor(255, 0, 0));
        show(pieces.head, pieces.body + QStringLiteral("<p id=\"apres\">La suite de la page</p>"));
        noScriptError();
        // Each colour ends with its character: the page after the effect
        // keeps its own colour.
        QCOMPARE(eval(view(), QStringLiteral("document.getElementById('apres').closest('font') === null")).toBool(), true);
        QCOMPARE(eval(view(), QStringLiteral("document.querySelectorAll('font font').length")).toInt(), 0);
        QVERIFY(bodyText(view()).contains(message));
        // One font element around each character; the loop also runs once
        // past the last character, writing one more around nothing.
        QCOMPARE(eval(view(), QStringLiteral("Array.from(document.getElementsByTagName('font')).filter(function (f) {"
                                             " return f.firstChild && f.firstChild.nodeType == 3"
                                             " && f.firstChild.data.length == 1; }).length"))
                     .toInt(),
                 int(message.size()));
        QCOMPARE(eval(view(), QStringLiteral("document.getElementsByTagName('font').length")).toInt(),
                 int(message.size()) + 1);
        QCOMPARE(eval(view(), QStringLiteral("document.getElementsByTagName('font')[0].color")).toString(),
                 QStringLiteral("#0000FF"));
    }

    void animatedMessageMovesItsCapital()
    {
        show(animatedMessage(QStringLiteral("Bonjour")));
        noScriptError();
        const QString script = QStringLiteral("document.forms['boite'].elements['champ'].value");
        QTRY_COMPARE_WITH_TIMEOUT(eval(view(), script).toString(), QStringLiteral("bOnjour"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(eval(view(), script).toString(), QStringLiteral("bonjouR"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(eval(view(), script).toString(), QStringLiteral("Bonjour"), 5000);
        noScriptError();
    }

    // Longer than the old fixed cut of 23, accented capitals included: every
    // frame is the whole message with one capital.
    void animatedMessageOfFortyAccentedLettersComesOutWhole()
    {
        const QString message = QStringLiteral("Élève déçu à l'école, ça ira mieux à Noël");
        QCOMPARE(message.size(), 41);
        show(animatedMessage(message));
        noScriptError();
        // Every value the script gives the field is kept, however busy the
        // machine: a frame lasts only 150 ms.
        QVERIFY(evalInPage(view(), QStringLiteral(
                                       "(function () { var f = document.forms['boite'].elements['champ'];"
                                       " var d = Object.getOwnPropertyDescriptor(HTMLInputElement.prototype, 'value');"
                                       " window.frames_seen = [];"
                                       " Object.defineProperty(f, 'value', { get: function () { return d.get.call(this); },"
                                       " set: function (v) { window.frames_seen.push(v); d.set.call(this, v); } });"
                                       " return true; })()"))
                    .toBool());
        const qsizetype lastA = message.lastIndexOf(u'à');
        for (const qsizetype capital : {qsizetype(0), qsizetype(2), qsizetype(24), lastA, qsizetype(40)}) {
            const QString seen = QStringLiteral("window.frames_seen.indexOf(\"%1\") >= 0")
                                     .arg(ScriptText::jsQuoted(animatedFrame(message, int(capital)), u'"'));
            QTRY_VERIFY_WITH_TIMEOUT(evalInPage(view(), seen).toBool(), 15000);
        }
        QCOMPARE(animatedFrame(message, int(lastA)).mid(lastA, 1), QStringLiteral("À"));
        QCOMPARE(evalInPage(view(), QStringLiteral("window.frames_seen.filter(function (v) { return v.length != 41; })"
                                                   ".join(' | ')"))
                     .toString(),
                 QString());
        noScriptError();
    }

    // The style editor's rules as a browser reads them in a page with a
    // doctype (no quirks): sizes in points, margins in pixels, each side
    // where the user put it.
    void styleRulesOfTheEditorApplyInTheBrowser()
    {
        StyleSection::Fields p;
        p.pt = QStringLiteral("14");
        p.font = QStringLiteral("Georgia");
        p.color = QColor(0, 0, 128);
        p.left = QStringLiteral("10");
        p.top = QStringLiteral("5");
        p.right = QStringLiteral("3");
        p.bottom = QStringLiteral("7");
        StyleSection::Fields h1;
        h1.left = QStringLiteral("12");
        const QStringList rules{StyleSection::ruleLine(QStringLiteral("p"), p),
                                StyleSection::ruleLine(QStringLiteral("h1"), h1)};
        QStringList page{QStringLiteral("<!DOCTYPE html>"), QStringLiteral("<html><head><title>t</title>")};
        page << StyleSection::sectionText(rules).split(QStringLiteral("\r\n"));
        page << QStringLiteral("</head><body><h1 id=\"h1\">Titre</h1><p id=\"p\">Texte</p></body></html>");
        QVERIFY(loadAndWait(view(), page));
        const auto style = [this](const char *id, const char *property) {
            return eval(view(), QStringLiteral("getComputedStyle(document.getElementById('%1'))['%2']")
                                    .arg(QLatin1String(id), QLatin1String(property)))
                .toString();
        };
        QCOMPARE(style("p", "fontSize"), QStringLiteral("18.6667px"));
        QCOMPARE(style("p", "color"), QStringLiteral("rgb(0, 0, 128)"));
        QCOMPARE(style("p", "marginLeft"), QStringLiteral("10px"));
        QCOMPARE(style("p", "marginTop"), QStringLiteral("5px"));
        QCOMPARE(style("p", "marginRight"), QStringLiteral("3px"));
        QCOMPARE(style("p", "marginBottom"), QStringLiteral("7px"));
        QCOMPARE(style("h1", "marginLeft"), QStringLiteral("12px"));
        QVERIFY(style("h1", "marginTop") != QStringLiteral("12px"));
        QCOMPARE(style("h1", "fontFamily"), QStringLiteral("Arial"));
    }

    void randomMessageWritesOneOfTheTexts()
    {
        const QStringList texts{QStringLiteral("Premier"), QStringLiteral("Deuxième"), QStringLiteral("Troisième"),
                                QString(), QString()};
        show(randomMessage(texts));
        noScriptError();
        const QString shown = bodyText(view()).trimmed();
        QVERIFY2(texts.mid(0, 3).contains(shown), qPrintable(shown));
    }

    void countDownWritesTheDaysLeft()
    {
        const QDate date = QDate::currentDate().addDays(30);
        show(QStringLiteral("<!-- -->\r\n"), countDown(date));
        noScriptError();
        const QString shown = bodyText(view());
        QVERIFY2(shown.startsWith(QStringLiteral("Il reste ")), qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral(" jours avant le ") + countDownShownDate(date)), qPrintable(shown));
        const int days = shown.section(u' ', 2, 2).toInt();
        QVERIFY2(days >= 29 && days <= 31, qPrintable(shown));
    }

    void randomPictureWritesAnImage()
    {
        show(randomPicture({QStringLiteral("logo1.png"), QStringLiteral("logo2.png"), QStringLiteral("logo1.png"),
                            QString(), QString()}));
        noScriptError();
        QCOMPARE(eval(view(), QStringLiteral("document.images.length")).toInt(), 1);
        const QString src = eval(view(), QStringLiteral("document.images[0].getAttribute('src')")).toString();
        QVERIFY2(src == QStringLiteral("logo1.png") || src == QStringLiteral("logo2.png"), qPrintable(src));
    }

    void rolloverSwapsThePictureUnderTheMouse()
    {
        show(rollover(QStringLiteral("logo1.png"), QStringLiteral("logo2.png"), 40, 40));
        noScriptError();
        const QString src = QStringLiteral("document.images['logo'].src");
        QVERIFY(eval(view(), src).toString().endsWith(QStringLiteral("/logo1.png")));
        QTRY_VERIFY_WITH_TIMEOUT(eval(view(), QStringLiteral("document.images['logo'].complete")).toBool(), 5000);
        const QVariantList r = eval(view(), QStringLiteral("(function () { var r = document.images['logo']"
                                                           ".getBoundingClientRect(); return [r.left, r.top, r.right, r.bottom]; })()"))
                                   .toList();
        QCOMPARE(r.size(), 4);
        const QPoint centre(int((r[0].toDouble() + r[2].toDouble()) / 2), int((r[1].toDouble() + r[3].toDouble()) / 2));
        moveTo(view(), centre + QPoint(0, 100));
        moveTo(view(), centre);
        QTRY_VERIFY_WITH_TIMEOUT(eval(view(), src).toString().endsWith(QStringLiteral("/logo2.png")), 5000);
        moveTo(view(), centre + QPoint(0, 100));
        QTRY_VERIFY_WITH_TIMEOUT(eval(view(), src).toString().endsWith(QStringLiteral("/logo1.png")), 5000);
        noScriptError();
    }

    void favouritesFallBackToTheKeyboardHint()
    {
        show(favourites(QStringLiteral("http://www.exemple.fr"), QStringLiteral("Titre du site")));
        noScriptError();
        // Current engines do not call themselves by the old name the script
        // looks for, so the page shows the keyboard hint.
        QVERIFY(bodyText(view()).contains(QStringLiteral("Faites CTRL+D pour ajouter ce site à vos favoris!")));
    }

    void printButtonIsShown()
    {
        show(QStringLiteral("<!-- -->\r\n"), printPage(true));
        noScriptError();
        QCOMPARE(eval(view(), QStringLiteral("document.getElementsByName('Imprimer')[0].value")).toString(),
                 QStringLiteral("Imprimer"));
    }

    void cookieGreetsTheVisitorByName()
    {
        // The script asks for the name in the engine's prompt box: answer it.
        QTimer answer;
        answer.setInterval(50);
        connect(&answer, &QTimer::timeout, this, [] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QInputDialog *>(w);
                if (box && box->isVisible()) {
                    box->setTextValue(QStringLiteral("Alice"));
                    box->accept();
                }
            }
        });
        answer.start();
        show(visitorCookie());
        answer.stop();
        noScriptError();
        const QString shown = bodyText(view());
        QVERIFY2(shown.contains(QStringLiteral("Bonjour Alice")), qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("Ceci est votre première visite")), qPrintable(shown));
    }

    // The name and the count outlive the visit by a year: the next visit is
    // greeted without a question and counted. Browsers keep no cookies for
    // pages read from disk, so the page comes from a server on 127.0.0.1.
    void cookieRemembersTheVisitorForAYear()
    {
        Visitor visitor(visitorCookie(), QStringLiteral("Bérénice"));
        const QString first = visitor.visit();
        const QString second = visitor.visit();
        QVERIFY2(first.contains(QStringLiteral("Bonjour Bérénice")), qPrintable(first));
        QVERIFY2(first.contains(QStringLiteral("Ceci est votre première visite")), qPrintable(first));
        QVERIFY2(second.contains(QStringLiteral("Bonjour Bérénice")), qPrintable(second));
        QVERIFY2(second.contains(QStringLiteral("Ceci est votre 2 ème visite")), qPrintable(second));
        QCOMPARE(visitor.asked, 1);
        const QDateTime inAYear = QDateTime::currentDateTimeUtc().addYears(1);
        QVERIFY(!visitor.cookies.isEmpty());
        for (const QNetworkCookie &c : std::as_const(visitor.cookies))
            QVERIFY2(qAbs(c.expirationDate().secsTo(inAYear)) < 3600, c.toRawForm().constData());
    }

    // Cancelling the name box ends the questions: the page finishes, greets
    // without a name and asks nothing at the next visit.
    void cookieStopsAskingAfterACancel()
    {
        Visitor visitor(visitorCookie(), std::nullopt);
        const QString first = visitor.visit();
        const QString second = visitor.visit();
        QCOMPARE(visitor.asked, 1);
        QVERIFY2(first.startsWith(QStringLiteral("Bonjour")) && !first.contains(QStringLiteral("null")),
                 qPrintable(first));
        QVERIFY2(second.contains(QStringLiteral("Ceci est votre 2 ème visite")), qPrintable(second));
    }
};

PEMO_TEST(ScriptRunTest)
#include "tst_script_run.moc"
