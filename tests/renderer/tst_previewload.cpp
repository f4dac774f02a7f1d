// What the preview costs and how it fails: pages taken from their source only
// when the engine is ready, and prepared off the user-interface thread; big
// pages rendered on demand; a stopped engine reported, with a way back.
#include "PreviewTestUtil.h"
#include "renderer/HtmlView.h"

#include <QLabel>
#include <QPlatformSurfaceEvent>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <atomic>

using namespace PreviewTest;

class TestPreviewLoad : public QObject
{
    Q_OBJECT
    QWidget *m_window = nullptr;
    THtmlView *m_view = nullptr;

    THtmlView *freshView() { return m_view = PreviewTest::freshView(m_window); }

    // A page of about `size` characters.
    static QStringList bigPage(qsizetype size, const QString &head = QString())
    {
        QStringList lines{QStringLiteral("<html><head>") + head + QStringLiteral("</head><body>")};
        qsizetype total = 0;
        for (int i = 0; total < size; ++i) {
            lines << QStringLiteral("<p>Ligne %1 : du texte pour remplir la page.</p>").arg(i);
            total += lines.last().size() + 1;
        }
        lines << QStringLiteral("<p id=\"fin\">fin</p></body></html>");
        return lines;
    }

private Q_SLOTS:
    void cleanupTestCase()
    {
        delete m_window;
        m_window = nullptr;
    }

    // The source is read when the engine can take a page: refreshes asked
    // while one is loading cost one more read, not one each; the reading
    // into lines runs on another thread.
    void sourceIsTakenOncePerLoadAndPreparedAside()
    {
        THtmlView *view = freshView();
        int takes = 0;
        std::atomic<bool> preparedAside{true};
        auto make = [](int i) { return QStringLiteral("<p id=\"t\">%1\u2029deux</p><script>var x = 1;</script>").arg(i); };
        QString text = make(0);
        QThread *gui = QThread::currentThread();
        PreviewSource source;
        source.size = [&] { return text.size(); };
        source.take = [&] {
            ++takes;
            return text;
        };
        source.prepare = [&preparedAside, gui](QString &t) {
            if (QThread::currentThread() == gui)
                preparedAside = false;
            t.replace(QChar::ParagraphSeparator, u'\n');
        };
        view->setSource(source);
        QSignalSpy rendered(view, &THtmlView::rendered);
        view->refresh(false);
        QTRY_COMPARE(takes, 1);
        for (int i = 1; i <= 5; ++i) {
            text = make(i);
            view->refresh(false);
        }
        QVERIFY(rendered.wait(engineTimeout));
        if (view->isLoading())
            QVERIFY(rendered.wait(engineTimeout));
        QVERIFY(!rendered.wait(500));
        QCOMPARE(takes, 2);
        QCOMPARE(view->loadsStarted(), takes);
        QVERIFY(preparedAside);
        QCOMPARE(eval(view, QStringLiteral("document.getElementById('t').textContent")).toString(),
                 QStringLiteral("5\ndeux"));
    }

    // Past the limit, an automatic refresh leaves the engine alone and says
    // why, with a button that renders the page all the same; a smaller page
    // after it is shown as usual and takes the notice away.
    void bigPageIsRenderedOnDemand()
    {
        THtmlView *view = freshView();
        const QStringList big = bigPage(THtmlView::onDemandLimit + 1000);
        QSignalSpy rendered(view, &THtmlView::rendered);
        QSignalSpy deferred(view, &THtmlView::deferred);
        view->LoadFromLines(big);
        QCOMPARE(deferred.size(), 1);
        QVERIFY(!view->isLoading());
        QVERIFY(!view->notice()->isHidden());
        QCOMPARE(view->noticeText(),
                 QStringLiteral("Cette page fait 3,0 Mo : au-delà de 3,0 Mo, l'aperçu n'est construit qu'à la demande, "
                                "pour que la saisie reste fluide."));
        QCOMPARE(view->noticeButton()->text(), QStringLiteral("&Afficher quand même"));
        QVERIFY(!rendered.wait(700));
        QCOMPARE(view->loadsStarted(), 0);
        QVERIFY(!view->engineView());

        view->noticeButton()->click();
        QVERIFY(rendered.wait(engineTimeout * 4));
        QCOMPARE(rendered.last().at(0).toBool(), true);
        QCOMPARE(view->loadsStarted(), 1);
        QVERIFY(view->notice()->isHidden());
        QCOMPARE(eval(view, QStringLiteral("document.getElementById('fin').textContent")).toString(), QStringLiteral("fin"));

        // Still too big at the next change: the page rendered stays, the
        // notice comes back.
        view->LoadFromLines(big);
        QCOMPARE(deferred.size(), 2);
        QVERIFY(!view->notice()->isHidden());
        QVERIFY(loadAndWait(view, {QStringLiteral("<p id=\"p\">petite</p>")}));
        QVERIFY(view->notice()->isHidden());
        QCOMPARE(view->loadsStarted(), 2);
    }

    // The engine's process stopping (as when a page takes all the memory)
    // ends the load under way, says so in the pane and offers to render
    // again; the next load works.
    void stoppedEngineIsReportedAndRendersAgain_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("duringLoad");
        QTest::addColumn<QString>("why");
        QTest::newRow("crash after the page was shown") << int(QWebEnginePage::CrashedTerminationStatus) << false
                                                        << "s'est arrêté brutalement";
        QTest::newRow("killed while loading") << int(QWebEnginePage::KilledTerminationStatus) << true
                                              << "a été interrompu (la mémoire manquait sans doute)";
    }
    void stoppedEngineIsReportedAndRendersAgain()
    {
        QFETCH(int, status);
        QFETCH(bool, duringLoad);
        QFETCH(QString, why);
        THtmlView *view = freshView();
        const QStringList page = {QStringLiteral("<p id=\"p\">page</p><script>var s = 1;</script>")};
        QVERIFY(loadAndWait(view, page));
        QWebEnginePage *engine = view->engineView()->page();
        QSignalSpy stopped(view, &THtmlView::engineStopped);
        QSignalSpy rendered(view, &THtmlView::rendered);
        if (duringLoad) {
            view->LoadFromLines(page);
            QVERIFY(view->isLoading());
        }
        Q_EMIT engine->renderProcessTerminated(QWebEnginePage::RenderProcessTerminationStatus(status), 9);
        QCOMPARE(stopped.size(), 1);
        QCOMPARE(rendered.size(), duringLoad ? 1 : 0);
        if (duringLoad)
            QCOMPARE(rendered.first().at(0).toBool(), false);
        QVERIFY(!view->isLoading());
        QCOMPARE(view->noticeText(),
                 QStringLiteral("Le moteur d'affichage de l'aperçu %1. Le texte de la page n'est pas touché.").arg(why));
        QCOMPARE(view->noticeButton()->text(), QStringLiteral("&Afficher de nouveau"));
        // What the stopped load still reports is not taken for the new one.
        rendered.clear();
        view->noticeButton()->click();
        QVERIFY(rendered.wait(engineTimeout));
        QCOMPARE(rendered.first().at(0).toBool(), true);
        QVERIFY(view->notice()->isHidden());
        QCOMPARE(eval(view, QStringLiteral("document.getElementById('p').textContent")).toString(), QStringLiteral("page"));
        QVERIFY(!rendered.wait(500));
    }

    // The window that gets the first preview keeps its native window: made
    // again, it would flash on screen.
    void firstPreviewKeepsTheNativeWindow()
    {
        struct Count : QObject {
            int made = 0;
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() == QEvent::PlatformSurface
                    && static_cast<QPlatformSurfaceEvent *>(e)->surfaceEventType()
                        == QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
                    ++made;
                return false;
            }
        } count;
        QWidget window;
        window.resize(400, 300);
        auto *layout = new QVBoxLayout(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.windowHandle()->installEventFilter(&count);
        const WId before = window.winId();
        auto *view = new THtmlView(&window);
        layout->addWidget(view);
        QVERIFY(loadAndWait(view, {QStringLiteral("<p>x</p>")}));
        QCOMPARE(count.made, 0);
        QCOMPARE(window.winId(), before);
    }

    // A real stop of the engine's process is seen and reported too.
    void realEngineCrashIsReported()
    {
        THtmlView *view = freshView();
        QVERIFY(loadAndWait(view, {QStringLiteral("<p id=\"p\">page</p>")}));
        QSignalSpy stopped(view, &THtmlView::engineStopped);
        view->engineView()->page()->load(QUrl(QStringLiteral("chrome://crash")));
        if (!stopped.wait(engineTimeout))
            QSKIP("this engine does not stop on its crash address");
        QVERIFY(!view->notice()->isHidden());
        QSignalSpy rendered(view, &THtmlView::rendered);
        view->noticeButton()->click();
        QVERIFY(rendered.wait(engineTimeout));
        QCOMPARE(eval(view, QStringLiteral("document.getElementById('p').textContent")).toString(), QStringLiteral("page"));
    }
};

PEMO_TEST(TestPreviewLoad)
#include "tst_previewload.moc"
