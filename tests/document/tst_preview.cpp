// The document window's preview over the real engine, offscreen: when it is
// rebuilt, where its view stays, and what links and forms in it do.
#include "../renderer/PreviewTestUtil.h"
#include "colormemo/ColMemo.h"
#include "dialogs/SubmitForm.h"
#include "document/Childwin.h"
#include "document/FrameServices.h"
#include "platform/Errors.h"
#include "platform/Launcher.h"
#include "renderer/Sound.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTimer>

using namespace PreviewTest;

namespace {
class StatusFrame : public TFrameServices
{
public:
    QString status;
    void setRedoEnabled(bool) override {}
    void enablePaste() override {}
    void setStatusText(const QString &text) override { status = text; }
    QPrinter *printer() override { return nullptr; }
};

const QStringList linkLines = {
    QStringLiteral("<p><a id=\"son\" href=\"son.wav\">son</a> <a id=\"film\" href=\"film.avi?x=1\">film</a>"),
    QStringLiteral("<a id=\"web\" href=\"http://127.0.0.1:9/page.htm\">web</a> <a id=\"lienhaut\" href=\"#haut\">haut</a></p>"),
};
} // namespace

class TestPreview : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_oldDir;
    StatusFrame m_frame;
    TEditeur *m_e = nullptr;
    QStringList m_sounds;
    QList<Platform::LaunchRecord> m_launches;

    TEditeur *freshWindow(bool autoRefresh)
    {
        delete m_e;
        m_e = new TEditeur(&m_frame);
        m_e->resize(600, 500);
        m_e->Splitter1->setSizes({150, 347});
        m_e->show();
        m_e->Actauto(autoRefresh);
        return m_e;
    }
    THtmlView *view() const { return m_e->HtmlView1; }

    // The caret after `column` characters of line `line`.
    void caretAt(int line, int column)
    {
        int offset = 0;
        const QStringList lines = m_e->Memo1->Lines();
        for (int i = 0; i < line; ++i)
            offset += int(lines.at(i).size()) + 2;
        m_e->Memo1->SetSelStart(offset + column);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_oldDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        PreviewSound::setHandler([this](const QString &path) { m_sounds << path; });
        Platform::setLaunchHandler([this](const Platform::LaunchRecord &r) {
            m_launches << r;
            return true;
        });
    }
    void cleanupTestCase()
    {
        delete m_e;
        m_e = nullptr;
        PreviewSound::setHandler({});
        Platform::setLaunchHandler({});
        QDir::setCurrent(m_oldDir);
    }
    // A taller window shares its new height between source and preview in
    // their proportions, as a maximised window does.
    void previewGrowsWithTheWindow()
    {
        TEditeur e(&m_frame);
        e.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        const int source = e.Memo1->height();
        const int preview = e.HtmlView1->height();
        QVERIFY(preview >= 80 && preview <= 96);
        e.resize(e.width(), 1000);
        QTRY_VERIFY(e.Memo1->height() > source);
        const double before = double(preview) / (source + preview);
        const double after = double(e.HtmlView1->height()) / (e.Memo1->height() + e.HtmlView1->height());
        QVERIFY2(qAbs(after - before) < 0.02, qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(after)));
    }

    void init()
    {
        QDir::setCurrent(m_dir.path());
        m_sounds.clear();
        m_launches.clear();
        m_frame.status.clear();
    }

    void newWindowShowsTemplateAtFirstTick()
    {
        TEditeur *e = freshWindow(true);
        QVERIFY(e->Timer1->isActive());
        QCOMPARE(e->Timer1->interval(), 500);
        QSignalSpy rendered(view(), &THtmlView::rendered);
        QVERIFY(rendered.wait(engineTimeout));
        QCOMPARE(eval(view(), QStringLiteral("document.body.getAttribute('bgcolor')")).toString(),
                 QStringLiteral("#F0F0F0"));
        QVERIFY(!e->Timer1->isActive());
    }

    void typingRebuildsAtNextTickInPlace()
    {
        TEditeur *e = freshWindow(true);
        e->Init(longPage());
        QVERIFY(QSignalSpy(view(), &THtmlView::rendered).wait(engineTimeout));
        view()->SetViewPosition(900);
        QTRY_COMPARE_WITH_TIMEOUT(view()->ViewPosition(), 900, engineTimeout);

        caretAt(1, 3);
        e->Memo1->setFocus();
        QSignalSpy rendered(view(), &THtmlView::rendered);
        QTest::keyClicks(e->Memo1, QStringLiteral("Z"));
        QVERIFY(e->Timer1->isActive());
        QVERIFY(rendered.wait(engineTimeout));
        QVERIFY(eval(view(), QStringLiteral("document.body.textContent.includes('ZParagraphe 0')")).toBool());
        QCOMPARE(view()->ViewPosition(), 900);
        QVERIFY(!e->Timer1->isActive());
    }

    void changeKeepsTimerRhythm()
    {
        // A change while the timer runs does not push the next tick back.
        TEditeur *e = freshWindow(false);
        QVERIFY(e->Timer1->isActive());
        // Let part of the period run out first.
        QTRY_VERIFY(e->Timer1->remainingTime() < e->Timer1->interval() - 100);
        const int remaining = e->Timer1->remainingTime();
        e->Memo1Change();
        QVERIFY(e->Timer1->remainingTime() <= remaining);
    }

    void manualRefreshAndSwitchingOn()
    {
        TEditeur *e = freshWindow(false);
        QSignalSpy rendered(view(), &THtmlView::rendered);
        QVERIFY(!rendered.wait(1200)); // automatic refresh off: the ticks do nothing
        QVERIFY(!view()->engineView());

        e->Actualiser();
        QVERIFY(rendered.wait(engineTimeout));
        caretAt(10, 0);
        QTest::keyClicks(e->Memo1, QStringLiteral("Q"));
        QVERIFY(!rendered.wait(1200));
        QVERIFY(!eval(view(), QStringLiteral("document.body.textContent.includes('Q')")).toBool());

        e->Actauto(true);
        QVERIFY(rendered.wait(engineTimeout));
        QVERIFY(eval(view(), QStringLiteral("document.body.textContent.includes('Q')")).toBool());
    }

    void manualRefreshMakesFolderCurrent()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("site"));
        const QString file = m_dir.filePath(QStringLiteral("site/page.htm"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<p>page</p>\r\n");
        f.close();
        TEditeur *e = freshWindow(false);
        QSignalSpy rendered(view(), &THtmlView::rendered);
        e->OpenFile(file);
        // Shown at once, whatever the automatic refresh says.
        QVERIFY(view()->isLoading());
        QVERIFY(rendered.wait(engineTimeout));
        QCOMPARE(QDir::currentPath(), m_dir.path());
        e->Actualiser();
        QCOMPARE(QDir::currentPath(), m_dir.filePath(QStringLiteral("site")));
        QVERIFY(rendered.wait(engineTimeout));

        // The folder is gone: the error is thrown and nothing is rebuilt.
        QDir::setCurrent(m_dir.path());
        QVERIFY(QDir(m_dir.filePath(QStringLiteral("site"))).removeRecursively());
        QVERIFY_THROWS_EXCEPTION(Platform::PemoError, e->Actualiser());
        QVERIFY(!view()->isLoading());
        QCOMPARE(QDir::currentPath(), m_dir.path());
    }

    // An opened page is shown once: the refresh timer, running since the
    // window was made, finds nothing new to show.
    void openedPageIsLoadedOnce()
    {
        const QString file = m_dir.filePath(QStringLiteral("une.htm"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<p id=\"p\">page</p><script>var s = 1;</script>\r\n");
        f.close();
        TEditeur *e = freshWindow(true);
        QVERIFY(e->Timer1->isActive());
        QSignalSpy rendered(view(), &THtmlView::rendered);
        e->OpenFile(file);
        QVERIFY(rendered.wait(engineTimeout));
        QVERIFY(!rendered.wait(1300)); // two ticks and more
        QCOMPARE(view()->loadsStarted(), 1);
        QVERIFY(!e->Timer1->isActive());
        // The first change is shown as before.
        caretAt(0, 3);
        e->Memo1->SetSelText(QStringLiteral("Z"));
        QVERIFY(rendered.wait(engineTimeout));
        QCOMPARE(view()->loadsStarted(), 2);
    }

    // A page too big to render at every pause (one with a script is loaded
    // whole each time) is opened and typed in without the engine; the
    // manual refresh renders it.
    void bigPageWithScriptWaitsForTheUser()
    {
        const QString file = m_dir.filePath(QStringLiteral("grande.htm"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html><head><script>var s = 1;</script></head><body>\r\n");
        const QByteArray line = "<p>Une ligne de la grande page, pour la remplir.</p>\r\n";
        for (qsizetype n = 0; n < THtmlView::onDemandLimit * 11 / 10; n += line.size())
            f.write(line);
        f.write("<p id=\"fin\">fin</p></body></html>\r\n");
        f.close();
        TEditeur *e = freshWindow(true);
        QSignalSpy deferred(view(), &THtmlView::deferred);
        e->OpenFile(file);
        QCOMPARE(deferred.size(), 1);
        QVERIFY(!view()->notice()->isHidden());
        QVERIFY(view()->noticeText().contains(QStringLiteral("à la demande")));
        caretAt(1, 3);
        e->Memo1->SetSelText(QStringLiteral("Z"));
        QTRY_COMPARE_WITH_TIMEOUT(deferred.size(), 2, 2000);
        QCOMPARE(view()->loadsStarted(), 0);
        QVERIFY(!view()->engineView());

        QSignalSpy rendered(view(), &THtmlView::rendered);
        e->Actualiser();
        QVERIFY(rendered.wait(engineTimeout * 4));
        QCOMPARE(view()->loadsStarted(), 1);
        QVERIFY(view()->notice()->isHidden());
        QCOMPARE(eval(view(), QStringLiteral("document.getElementById('fin').textContent")).toString(), QStringLiteral("fin"));
    }

    void linkClick_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("sound");
        QTest::addColumn<QStringList>("mediaArguments");
        QTest::addColumn<QString>("handedUrl");
        QTest::addColumn<bool>("scrolled");
        QTest::newRow("son.wav played, page kept") << "son" << "son.wav" << QStringList() << QString() << false;
        QTest::newRow("film.avi?x=1 to the player without parameters")
            << "film" << QString() << QStringList{"@/film.avi"} << QString() << false;
        QTest::newRow("scheme left to the renderer unchanged")
            << "web" << QString() << QStringList() << "http://127.0.0.1:9/page.htm" << false;
        QTest::newRow("#haut scrolled after the rebuild") << "lienhaut" << QString() << QStringList() << QString() << true;
    }
    void linkClick()
    {
        QFETCH(QString, link);
        QFETCH(QString, sound);
        QFETCH(QStringList, mediaArguments);
        QFETCH(QString, handedUrl);
        QFETCH(bool, scrolled);
        TEditeur *e = freshWindow(true);
        e->Init(longPage(linkLines, {QStringLiteral("<h2><a name=\"haut\">Haut</a></h2>")}));
        QSignalSpy rendered(view(), &THtmlView::rendered);
        QVERIFY(rendered.wait(engineTimeout));
        click(view(), link);
        // Every click rebuilds the page from the source first.
        QVERIFY(rendered.wait(engineTimeout));
        if (scrolled) {
            const int anchor = eval(view(), QStringLiteral("Math.round(document.getElementsByName('haut')[0]"
                                                            ".getBoundingClientRect().top + window.scrollY)")).toInt();
            QVERIFY(anchor > 0);
            // scrollIntoView and the box's top may round apart by a pixel.
            QTRY_VERIFY_WITH_TIMEOUT(qAbs(view()->ViewPosition() - anchor) <= 1, engineTimeout);
        } else {
            QCOMPARE(view()->ViewPosition(), 0);
        }
        // The preview still shows the page built from the source.
        QVERIFY(eval(view(), QStringLiteral("document.getElementById('son') !== null")).toBool());
        QCOMPARE(m_sounds, sound.isEmpty() ? QStringList() : QStringList{m_dir.filePath(sound)});
        const int launches = mediaArguments.isEmpty() && handedUrl.isEmpty() ? 0 : 1;
        QTRY_COMPARE_WITH_TIMEOUT(m_launches.size(), launches, 2000);
        if (!mediaArguments.isEmpty())
            QCOMPARE(m_launches.at(0).arguments, mediaArguments.replaceInStrings(QStringLiteral("@"), m_dir.path()));
        if (!handedUrl.isEmpty())
            QCOMPARE(m_launches.at(0).url.toString(), handedUrl);
    }

    void hoverFillsAndEmptiesStatusLine()
    {
        TEditeur *e = freshWindow(true);
        e->Init(QStringList{QStringLiteral("<body>")} << linkLines
                                                     << QStringLiteral("<p id=\"plain\" style=\"margin-top:30px\">texte</p>"));
        QVERIFY(QSignalSpy(view(), &THtmlView::rendered).wait(engineTimeout));
        moveTo(view(), centreOf(view(), QStringLiteral("film")));
        QTRY_COMPARE_WITH_TIMEOUT(m_frame.status, QStringLiteral("film.avi?x=1"), engineTimeout);
        moveTo(view(), centreOf(view(), QStringLiteral("plain")));
        QTRY_COMPARE_WITH_TIMEOUT(m_frame.status, QString(), engineTimeout);
    }

    void formWithTwoFieldsShowsResults()
    {
        TEditeur *e = freshWindow(true);
        e->Init({QStringLiteral("<form action=\"mailto:moi@exemple.fr\" method=\"Post\">"),
                 QStringLiteral("<input type=\"Text\" name=\"Edit\" value=\"Jean\" size=30><br>"),
                 QStringLiteral("<p><textarea name=\"Texte\" rows=7 cols=40>Bonjour</textarea></p>"),
                 QStringLiteral("<p><input id=\"ok\" type=\"submit\"></p>"),
                 QStringLiteral("</form>")});
        QVERIFY(QSignalSpy(view(), &THtmlView::rendered).wait(engineTimeout));
        const QString before = e->Memo1->Text();

        QString caption, action, method;
        QStringList entries;
        bool closed = false;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            auto *form = qobject_cast<TSubmitForm *>(QApplication::activeModalWidget());
            if (!form)
                return;
            caption = form->windowTitle();
            action = form->ActionEdit->text();
            method = form->MethodeEdit->text();
            for (int i = 0; i < form->Resultat->count(); ++i)
                entries << form->Resultat->item(i)->text();
            form->FermerBtn->click();
            closed = true;
        });
        watcher.start(50);
        click(view(), QStringLiteral("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(closed, engineTimeout);
        QCOMPARE(caption, QStringLiteral("Résultats du formulaire"));
        QCOMPARE(action, QStringLiteral("mailto:moi@exemple.fr"));
        QCOMPARE(method, QStringLiteral("Post"));
        QCOMPARE(entries, (QStringList{QStringLiteral("Edit=Jean"), QStringLiteral("Texte=Bonjour")}));
        QCOMPARE(e->Memo1->Text(), before);
        QVERIFY(m_launches.isEmpty());
    }

    void pageWithTableFormAndScript()
    {
        // What the program's own generators write: a table, a form and an
        // old-style script that writes into the page while it loads.
        TEditeur *e = freshWindow(true);
        e->resize(800, 600);
        e->Splitter1->setSizes({180, 417});
        e->Init({QStringLiteral("<html><head><title>Essai</title></head>"),
                 QStringLiteral("<body bgcolor=\"#F0F0F0\" link=\"#FF0000\" vlink=\"#00FF00\">"),
                 QStringLiteral("<h1 align=\"center\">Aperçu</h1>"),
                 QStringLiteral("<table border=1 cellpadding=4><tr><th>Nom</th><th>Ville</th></tr>"),
                 QStringLiteral("<tr><td>Jean</td><td>Paris</td></tr><tr><td>Marie</td><td>Lyon</td></tr></table>"),
                 QStringLiteral("<form action=\"mailto:moi@exemple.fr\" method=\"Post\">"),
                 QStringLiteral("<input type=\"Text\" name=\"Edit\" size=30><br>"),
                 QStringLiteral("<input type=\"checkbox\" name=\"Nom\" value=\"Valeur\" Checked>Libellé"),
                 QStringLiteral("<p><input type=\"submit\" name=\"Envoi\" value=\"Envoi\"></p>"),
                 QStringLiteral("</form>"),
                 QStringLiteral("<script language=\"JavaScript\">"),
                 QStringLiteral("<!--"),
                 QStringLiteral("var jours = new Array(\"dimanche\",\"lundi\",\"mardi\",\"mercredi\",\"jeudi\",\"vendredi\",\"samedi\");"),
                 QStringLiteral("document.write(\"<p id='date'>Nous sommes \" + jours[new Date().getDay()] + \"</p>\");"),
                 QStringLiteral("//-->"),
                 QStringLiteral("</script>"),
                 QStringLiteral("</body></html>")});
        QVERIFY(QSignalSpy(view(), &THtmlView::rendered).wait(engineTimeout));
        QCOMPARE(eval(view(), QStringLiteral("document.querySelectorAll('td').length")).toInt(), 4);
        QCOMPARE(eval(view(), QStringLiteral("document.forms[0].elements.length")).toInt(), 3);
        QVERIFY(eval(view(), QStringLiteral("document.getElementById('date').textContent")).toString()
                    .startsWith(QLatin1String("Nous sommes ")));
        const QString shots = qEnvironmentVariable("PEMO_SHOT_DIR");
        if (!shots.isEmpty()) {
            QTest::qWait(500); // let the compositor paint before the grab
            e->grab().save(QDir(shots).filePath(QStringLiteral("preview.png")));
        }
    }
};

PEMO_TEST(TestPreview)
#include "tst_preview.moc"
