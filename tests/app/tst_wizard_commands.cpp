// The "Nouveau projet" commands: what each wizard opens in the frame.
#include "testmain.h"

#include "app/Main.h"
#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "document/FragmentInsertion.h"
#include "platform/FileDialogs.h"
#include "platform/Paths.h"
#include "wizards/Assistant.h"
#include "wizards/Cv.h"
#include "wizards/MenuButton.h"
#include "wizards/Pro.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

// The next wizard is closed with the given button.
void pressNext(const char *button)
{
    Fragment::setModalRunner([button](QDialog &d) {
        d.findChild<QPushButton *>(QString::fromLatin1(button))->click();
    });
}

QStringList captions(const TMainForm &f)
{
    QStringList list;
    for (TEditeur *e : f.editeurs())
        list << e->windowTitle();
    return list;
}

} // namespace

class WizardCommandsTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_oldDir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_oldDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
    }
    void cleanupTestCase() { QDir::setCurrent(m_oldDir); }
    void cleanup() { Fragment::setModalRunner({}); }

    void cancelledWizardsOpenNothing()
    {
        TMainForm f;
        for (const char *item : {"Siteperso1", "Cv1", "Sitepro1"}) {
            pressNext("Annuler");
            f.action(QString::fromLatin1(item))->trigger();
            QVERIFY2(f.editeurs().isEmpty(), item);
        }
        QVERIFY(!QFile::exists(QStringLiteral("Accueil.gif")));
    }

    // The page opens as "Web" + count + 1, line by line, with the first
    // snapshot taken and the refresh mark of the frame.
    void personalSiteAndCvOpenOneWindow()
    {
        TMainForm f;
        f.FileNewItemClick();
        f.action(QStringLiteral("Actualiserautomatiquement1"))->trigger();
        pressNext("Generer");
        f.action(QStringLiteral("Siteperso1"))->trigger();
        QCOMPARE(captions(f), (QStringList{"Web1", "Web2"}));
        TEditeur *e = f.activeEditeur();
        QCOMPARE(e->Memo1->Lines(),
                 WizardPages::documentLines(WizardPages::personalSite(WizardPages::PersonalSite())));
        QVERIFY(!e->autoActualise());
        QVERIFY(e->GetFichier().isEmpty());
        e->Memo1->SetLines({QStringLiteral("changed")});
        e->Annuler();
        QCOMPARE(e->Memo1->Lines().first(), QStringLiteral("<html>"));

        pressNext("Generer");
        f.action(QStringLiteral("Cv1"))->trigger();
        QCOMPARE(f.activeEditeur()->windowTitle(), QStringLiteral("Web3"));
        QVERIFY(f.activeEditeur()->Memo1->Lines().contains(QStringLiteral("<h1><b>TITRE DU CV</b></h1>")));
    }

    // Four buttons, then four windows in row order, each named after its
    // page and holding the same bar; the last one opened is active.
    void defaultProfessionalSite()
    {
        TMainForm f;
        pressNext("Generer");
        f.action(QStringLiteral("Sitepro1"))->trigger();
        QCOMPARE(captions(f), (QStringList{"index.htm", "Catalogue.htm", "historique.htm", "Favoris.htm"}));
        QCOMPARE(f.activeEditeur()->windowTitle(), QStringLiteral("Favoris.htm"));
        int width = 0;
        for (const char *label : {"Accueil", "Catalogue", "Historique", "Favoris"}) {
            QVERIFY(QFile::exists(QString::fromLatin1(label) + QStringLiteral(".gif")));
            width += MenuButton::textWidth(QString::fromLatin1(label)) + 22;
        }
        const QString table = QStringLiteral("<table width=\"%1\" border=\"0\">").arg(width);
        for (TEditeur *e : f.editeurs()) {
            QVERIFY2(e->Memo1->Lines().contains(table), qPrintable(e->windowTitle()));
            QCOMPARE(e->GetFichier(), Platform::currentDirWithSeparator() + e->windowTitle());
        }
        QCOMPARE(f.editeurs().at(1)->Memo1->Lines().at(2), QStringLiteral("<title>Catalogue</title>"));
    }

    // Started beside a page of another folder, the wizards work in that
    // folder: pictures relative to it, buttons written there, pages bound
    // to it. The folder current before comes back afterwards.
    void wizardsWorkInTheActivePageFolder()
    {
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("site/pages"))));
        const QString pages = m_dir.filePath(QStringLiteral("site/pages"));
        const QString picture = m_dir.filePath(QStringLiteral("site/pages/bouton1.gif"));
        QFile page(m_dir.filePath(QStringLiteral("site/pages/index.htm")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html></html>\r\n");
        page.close();
        const QString before = QDir::currentPath();
        Platform::setFileDialogHandler([picture](const Platform::FileDialogRequest &) {
            Platform::FileDialogResult r;
            r.accepted = true;
            r.path = picture;
            return r;
        });
        TMainForm f;
        TEditeur *opened = f.NewDocumentWindow(QStringLiteral("index.htm"));
        opened->OpenFile(page.fileName());
        QCOMPARE(opened->GetDossier(), pages + u'/');

        QString chosen;
        Fragment::setModalRunner([&chosen](QDialog &d) {
            auto &site = static_cast<TAssistant &>(d);
            site.Paragraphes[0].ImageBtn->click();
            chosen = site.Paragraphes[0].Image->text();
            site.Generer->click();
        });
        f.action(QStringLiteral("Siteperso1"))->trigger();
        Platform::setFileDialogHandler({});
        QCOMPARE(chosen, QStringLiteral("bouton1.gif"));
        QCOMPARE(f.activeEditeur()->GetDossier(), pages + u'/');
        QCOMPARE(QDir::currentPath(), before);

        f.mdiArea->setActiveSubWindow(f.mdiArea->subWindowList().first());
        QFile::remove(QStringLiteral("Accueil.gif"));
        pressNext("Generer");
        f.action(QStringLiteral("Sitepro1"))->trigger();
        QVERIFY(QFile::exists(pages + QStringLiteral("/Accueil.gif")));
        QVERIFY(!QFile::exists(QStringLiteral("Accueil.gif")));
        QCOMPARE(f.activeEditeur()->GetFichier(), pages + QStringLiteral("/Favoris.htm"));
        QCOMPARE(QDir::currentPath(), before);
    }

    // A home page without a file name is not given the folder as its file.
    void homePageWithoutName()
    {
        TMainForm f;
        Fragment::setModalRunner([](QDialog &d) {
            auto &pro = static_cast<TPro &>(d);
            pro.Pages[0]->clear();
            pro.Generer->click();
        });
        f.action(QStringLiteral("Sitepro1"))->trigger();
        QCOMPARE(captions(f), (QStringList{"Web1", "Catalogue.htm", "historique.htm", "Favoris.htm"}));
        QVERIFY(f.editeurs().first()->GetFichier().isEmpty());
    }
};

PEMO_TEST(WizardCommandsTest)
#include "tst_wizard_commands.moc"
