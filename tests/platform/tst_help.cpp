// The help pages compiled into the program, their links, the keyword
// search and the help window.
#include "testmain.h"

#include "platform/Help.h"
#include "platform/HelpViewer.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QListWidget>
#include <QRegularExpression>
#include <QStringDecoder>

using Platform::HelpViewer;

namespace {
QString resourceText(const QString &page)
{
    QFile file(QStringLiteral(":/help/") + page);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QStringList hitPages(const QString &keyword)
{
    QStringList pages;
    for (const Platform::HelpHit &hit : HelpViewer::search(keyword))
        pages << hit.page;
    return pages;
}

HelpViewer *viewer()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *v = qobject_cast<HelpViewer *>(w); v && v->isVisible())
            return v;
    return nullptr;
}
} // namespace

class HelpTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        if (HelpViewer *v = viewer())
            v->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void everyTopicIsCompiledIn_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("title");
        QTest::newRow("contents") << "index.html" << "Sommaire";
        QTest::newRow("how to use help") << "aide.html" << "Utiliser l'aide";
        const char *menus[] = {"Fichier", "Edition", "Insertion", "Style", "Paramètres",
                               "Outils", "Javascript", "Utilitaires", "Fenêtre", "Aide"};
        for (int context = 4; context <= 13; ++context)
            QTest::addRow("context %d", context) << QStringLiteral("contexte%1.html").arg(context)
                                                 << QStringLiteral("Menu ") + QString::fromUtf8(menus[context - 4]);
    }
    void everyTopicIsCompiledIn()
    {
        QFETCH(QString, page);
        QFETCH(QString, title);
        QFile file(QStringLiteral(":/help/") + page);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(page));
        const QByteArray bytes = file.readAll();
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString html = utf8(bytes);
        QVERIFY2(!utf8.hasError(), "help pages are UTF-8");
        QVERIFY(html.contains(QStringLiteral("<title>") + title + QStringLiteral("</title>")));
    }

    void linksLeadToExistingPages()
    {
        static const QRegularExpression hrefRx(QStringLiteral("href=\"([^\"#]*)"));
        QDirIterator it(QStringLiteral(":/help"), {QStringLiteral("*.html")});
        int pages = 0;
        while (it.hasNext()) {
            const QString path = it.next();
            ++pages;
            auto matches = hrefRx.globalMatch(resourceText(QFileInfo(path).fileName()));
            while (matches.hasNext()) {
                const QString target = matches.next().captured(1);
                QVERIFY2(QFile::exists(QStringLiteral(":/help/") + target),
                         qPrintable(QFileInfo(path).fileName() + QStringLiteral(" -> ") + target));
            }
        }
        QCOMPARE(pages, 12);
    }

    void keywordSearch_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("found");
        QTest::newRow("one word") << "Calculatrice" << "contexte11.html" << true;
        QTest::newRow("case ignored") << "MOSAÏQUE" << "contexte12.html" << true;
        QTest::newRow("accents ignored") << "parametres" << "contexte8.html" << true;
        QTest::newRow("every word needed") << "vignettes réduite" << "contexte9.html" << true;
        QTest::newRow("words in other pages only") << "vignettes calculatrice" << "contexte9.html" << false;
        QTest::newRow("markup is not text") << "cellspacing" << "contexte4.html" << false;
    }
    void keywordSearch()
    {
        QFETCH(QString, keyword);
        QFETCH(QString, page);
        QFETCH(bool, found);
        QCOMPARE(hitPages(keyword).contains(page), found);
    }

    void emptyKeywordListsAllInContentsOrder()
    {
        const QStringList pages = hitPages(QString());
        QCOMPARE(pages.size(), 12);
        QCOMPARE(pages.mid(0, 3), (QStringList{QStringLiteral("index.html"), QStringLiteral("aide.html"),
                                               QStringLiteral("contexte4.html")}));
        QCOMPARE(pages.last(), QStringLiteral("contexte13.html"));
    }

    void menuTopicsOpenTheirPage()
    {
        Platform::helpTopic(nullptr, 7);
        QVERIFY(viewer());
        QCOMPARE(viewer()->currentPage(), QStringLiteral("contexte7.html"));
        Platform::helpTopic(nullptr, 99);
        QCOMPARE(viewer()->currentPage(), QStringLiteral("index.html"));
        Platform::helpHowToUse(nullptr);
        QCOMPARE(viewer()->currentPage(), QStringLiteral("aide.html"));
        const QString dir = qEnvironmentVariable("PEMO_SHOT_DIR");
        if (!dir.isEmpty()) {
            for (const int context : {0, 11}) {
                Platform::helpTopic(nullptr, context);
                viewer()->grab().save(dir + QStringLiteral("/aide-%1.png").arg(context));
            }
        }
    }

    void searchShowsTheFirstPageFound()
    {
        Platform::helpSearch(nullptr, QStringLiteral("mosaique"));
        HelpViewer *v = viewer();
        QVERIFY(v);
        auto *results = v->findChild<QListWidget *>(QStringLiteral("HelpResults"));
        QVERIFY(results->isVisibleTo(v));
        QCOMPARE(results->count(), 1);
        QCOMPARE(results->item(0)->text(), QStringLiteral("Menu Fenêtre"));
        QCOMPARE(v->currentPage(), QStringLiteral("contexte12.html"));
        const QString dir = qEnvironmentVariable("PEMO_SHOT_DIR");
        if (!dir.isEmpty())
            v->grab().save(dir + QStringLiteral("/aide-recherche.png"));
    }
};

PEMO_TEST(HelpTest)
#include "tst_help.moc"
