// The wizard windows and the picture chooser, driven as a user would.
#include "testmain.h"

#include "dialogs/ColourSwatch.h"
#include "dialogs/NumberField.h"
#include "images/GifReader.h"
#include "platform/CommonDialogs.h"
#include "platform/FileDialogs.h"
#include "platform/Messages.h"
#include "wizards/Assistant.h"
#include "wizards/Cat.h"
#include "wizards/Cv.h"
#include "wizards/MenuButton.h"
#include "wizards/Pro.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

namespace {

void typeChar(QWidget *widget, QChar c)
{
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &release);
}

// Shows the dialog modally and lets act close it once it is up.
int runWith(QDialog &dialog, std::function<void()> act)
{
    QTimer::singleShot(0, &dialog, act);
    return dialog.exec();
}

QStringList tabTitles(const QTabWidget *tabs)
{
    QStringList titles;
    for (int i = 0; i < tabs->count(); ++i)
        titles << tabs->tabText(i);
    return titles;
}

} // namespace

class WizardDialogsTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_oldDir;
    QList<Platform::FileDialogRequest> m_requests;
    QList<Platform::MessageRecord> m_messages;
    QString m_chosenPath;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_oldDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
    }
    void cleanupTestCase() { QDir::setCurrent(m_oldDir); }
    void init()
    {
        m_requests.clear();
        m_messages.clear();
        Platform::setFileDialogHandler([this](const Platform::FileDialogRequest &r) {
            m_requests << r;
            Platform::FileDialogResult result;
            result.accepted = !m_chosenPath.isEmpty();
            result.path = m_chosenPath;
            return result;
        });
        Platform::setMessageHandler([this](const Platform::MessageRecord &r) {
            m_messages << r;
            return Platform::Answer::Ok;
        });
    }
    void cleanup()
    {
        Platform::setFileDialogHandler({});
        Platform::setMessageHandler({});
        CommonDialogs::setColorHandler({});
    }

    void assistantLayout()
    {
        TAssistant d(nullptr);
        QCOMPARE(d.windowTitle(), QStringLiteral("Assistant projet"));
        QCOMPARE(tabTitles(d.PageControl1), (QStringList{"En tête de page", "Paragraphe 1", "Paragraphe 2",
                                                         "Paragraphe 3", "Pied de page"}));
        QCOMPARE(d.Options.Auteur->text(), QStringLiteral("Pemo HTML"));
        QCOMPARE(d.NiveauTitre->currentText(), QStringLiteral("H1"));
        QCOMPARE(d.NiveauSousTitre->count(), 6);
        QCOMPARE(d.NiveauSousTitre->currentText(), QStringLiteral("H2"));
        QCOMPARE(d.Paragraphes[1].Emplacement->currentText(), QString());
        QVERIFY(d.Paragraphes[1].Emplacement->isEditable());
        QCOMPARE(d.Paragraphes[2].Hauteur->number(), 100);
        QCOMPARE(d.Paragraphes[2].Cadre->number(), 0);
        QCOMPARE(d.Generer->text(), QStringLiteral("Générer page HTML"));
        QCOMPARE(d.Paragraphes[0].LienTexte->accessibleName(), QStringLiteral("Texte du lien hypertexte"));
    }

    // Annuler, the close box, and a generate followed by a second showing
    // that is cancelled all leave Result empty.
    void cancelGivesNothing()
    {
        TAssistant d(nullptr);
        QStringList lines{QStringLiteral("old")};
        runWith(d, [&] { d.Annuler->click(); });
        d.Result(lines);
        QVERIFY(lines.isEmpty());

        runWith(d, [&] { d.Generer->click(); });
        d.Result(lines);
        QCOMPARE(lines, WizardPages::personalSite(WizardPages::PersonalSite()));

        runWith(d, [&] { d.close(); });
        d.Result(lines);
        QVERIFY(lines.isEmpty());
    }

    // A click on a swatch counts even when the colour dialog is cancelled.
    void swatchClickColoursTheBody()
    {
        CommonDialogs::setColorHandler([](const QColor &) { return std::optional<QColor>(); });
        TAssistant d(nullptr);
        QVERIFY(!d.coloursChosen());
        d.Fond->click();
        QVERIFY(d.coloursChosen());
        CommonDialogs::setColorHandler([](const QColor &) { return std::optional<QColor>(QColor(0x10, 0x20, 0x30)); });
        d.Lien->click();
        runWith(d, [&] { d.Generer->click(); });
        QStringList lines;
        d.Result(lines);
        QCOMPARE(lines.at(6), QStringLiteral("<font color=\"#000000\">\r\n<body bgcolor=\"#FFFFFF\" "
                                             "link=\"#102030\" vlink=\"#00FF00\" >"));
    }

    void accentsInMultiLineTextsOnly()
    {
        TAssistant d(nullptr);
        QPlainTextEdit *memo = d.Paragraphes[0].Texte;
        memo->setPlainText(QStringLiteral("caf_"));
        QTextCursor c = memo->textCursor();
        c.setPosition(3);
        c.setPosition(4, QTextCursor::KeepAnchor);
        memo->setTextCursor(c);
        typeChar(memo, QChar(0xE9));  // é replaces the selection
        typeChar(memo, QChar(0xE7));  // ç goes in as typed
        typeChar(memo, QChar(0xFB));  // û
        QCOMPARE(memo->toPlainText(), QStringLiteral("caf&eacute;\u00E7&ucirc;"));
        typeChar(d.Options.Titre, QChar(0xE9));
        QCOMPARE(d.Options.Titre->text(), QStringLiteral("\u00E9"));
        typeChar(d.Pied.Pied, QChar(0xE0));
        QCOMPARE(d.Pied.Pied->toPlainText(), QStringLiteral("&agrave;"));
    }

    // "..." stores the picture relative to the folder current when the
    // window was shown.
    void browseGivesRelativePath()
    {
        QDir().mkpath(QStringLiteral("site/images"));
        QDir::setCurrent(m_dir.filePath(QStringLiteral("site")));
        m_chosenPath = m_dir.filePath(QStringLiteral("fonds/bleu.gif"));
        TAssistant d(nullptr);
        runWith(d, [&] {
            d.findChild<QPushButton *>(QStringLiteral("ImageFondBtn"))->click();
            d.Paragraphes[1].ImageBtn->click();
            d.Annuler->click();
        });
        QDir::setCurrent(m_dir.path());
        m_chosenPath.clear();
        QCOMPARE(d.Options.ImageFond->text(), QStringLiteral("../fonds/bleu.gif"));
        QCOMPARE(d.Paragraphes[1].Image->text(), QStringLiteral("../fonds/bleu.gif"));
        QCOMPARE(m_requests.size(), 2);
        QCOMPARE(m_requests.at(0).title, QStringLiteral("Image de fond"));
        QCOMPARE(m_requests.at(1).title, QStringLiteral("Image"));
        QCOMPARE(m_requests.at(0).filter, QStringLiteral("Images Gif (*.gif)|*.gif|Images Jpeg (*.jpg)|*.jpg"));
        QCOMPARE(m_requests.at(0).fileName, QStringLiteral("*.gif;*.jpg"));
    }

    void cvTabsFocusTheirFirstField()
    {
        TCv d(nullptr);
        QCOMPARE(tabTitles(d.PageControl1), (QStringList{"En-tête de page", "Identité", "Expérience", "Etudes",
                                                         "Divers", "Pied de page"}));
        QCOMPARE(d.Accroche->text(), QStringLiteral("TITRE DU CV"));
        QVERIFY(d.Accroche->font().bold());
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        const QList<QWidget *> first{d.Nom, d.Experience, d.Etudes, d.Divers, d.Pied.Pied};
        for (int i = 0; i < first.size(); ++i) {
            d.PageControl1->setCurrentIndex(i + 1);
            QTRY_COMPARE(QApplication::focusWidget(), first.at(i));
        }
        d.close();
    }

    // Typing at once after a wizard opens fills its first field.
    void wizardsOpenOnTheirFirstField()
    {
        TAssistant a(nullptr);
        TCv c(nullptr);
        TPro p(nullptr);
        for (TWizardDialog *d : std::initializer_list<TWizardDialog *>{&a, &c, &p}) {
            d->show();
            QVERIFY(QTest::qWaitForWindowActive(d));
            QWidget *focused = QApplication::focusWidget();
            QVERIFY2(focused && d->PageControl1->widget(0)->isAncestorOf(focused), d->metaObject()->className());
            QTest::keyClicks(focused, QStringLiteral("Boulangerie"));
            auto *line = qobject_cast<QLineEdit *>(focused);
            QVERIFY2(line && line->text().endsWith(QStringLiteral("Boulangerie")), d->metaObject()->className());
            d->close();
        }
    }

    // The photo keeps its full name and its proportions, no larger than
    // 120 x 150 in the page; a picture that cannot be read gets no size.
    void cvPhotoKeepsFullNameAndShows_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("size");
        QTest::newRow("small photo as it is") << QSize(40, 60) << QStringLiteral(" width=40 height=60");
        QTest::newRow("camera photo reduced") << QSize(1600, 1200) << QStringLiteral(" width=120 height=90");
        QTest::newRow("tall photo reduced") << QSize(600, 800) << QStringLiteral(" width=113 height=150");
        QTest::newRow("not a picture") << QSize() << QString();
    }
    void cvPhotoKeepsFullNameAndShows()
    {
        QFETCH(QSize, picture);
        QFETCH(QString, size);
        if (picture.isValid()) {
            QImage photo(picture, QImage::Format_RGB32);
            photo.fill(Qt::red);
            QVERIFY(photo.save(QStringLiteral("moi.jpg")));
        } else {
            QFile text(QStringLiteral("moi.jpg"));
            QVERIFY(text.open(QIODevice::WriteOnly));
            text.write("pas une image");
        }
        m_chosenPath = m_dir.filePath(QStringLiteral("moi.jpg"));
        TCv d(nullptr);
        d.PhotoBtn->click();
        m_chosenPath.clear();
        QCOMPARE(d.Photo->text(), m_dir.filePath(QStringLiteral("moi.jpg")));
        QCOMPARE(d.Image1->pixmap().isNull(), !picture.isValid());
        QVERIFY(m_requests.at(0).filter.startsWith(QStringLiteral("Tout (*.jpg;*.jpeg;*.gif)|")));
        runWith(d, [&] { d.Generer->click(); });
        QStringList lines;
        d.Result(lines);
        QVERIFY2(lines.contains(QStringLiteral("<img src=\"%1\" align=right%2>").arg(d.Photo->text(), size)),
                 qPrintable(lines.join(u'\n')));
        QFile::remove(QStringLiteral("moi.jpg"));
    }

    // A picture chosen for a paragraph keeps its proportions within the
    // 100 x 100 the fields start with, "Largeur" giving the width.
    void paragraphPictureKeepsItsProportions()
    {
        QImage wide(400, 200, QImage::Format_RGB32);
        wide.fill(Qt::green);
        QVERIFY(wide.save(QStringLiteral("large.jpg")));
        m_chosenPath = m_dir.filePath(QStringLiteral("large.jpg"));
        TAssistant d(nullptr);
        runWith(d, [&] {
            d.Paragraphes[0].ImageBtn->click();
            d.Generer->click();
        });
        m_chosenPath.clear();
        QCOMPARE(d.Paragraphes[0].Largeur->number(), 100);
        QCOMPARE(d.Paragraphes[0].Hauteur->number(), 50);
        QStringList lines;
        d.Result(lines);
        QVERIFY2(lines.contains(QStringLiteral("<img src=\"large.jpg\" align= width=100 height=50 border=0>")),
                 qPrintable(lines.join(u'\n')));
        QFile::remove(QStringLiteral("large.jpg"));
    }

    // Every tab of every wizard is in sight without scrolling the row of
    // tabs.
    void everyTabInSight()
    {
        TAssistant a(nullptr);
        TCv c(nullptr);
        TPro p(nullptr);
        for (TWizardDialog *d : std::initializer_list<TWizardDialog *>{&a, &c, &p}) {
            const QString wizard = QString::fromLatin1(d->metaObject()->className());
            d->show();
            QVERIFY(QTest::qWaitForWindowExposed(d));
            QTabBar *bar = d->PageControl1->tabBar();
            for (int i = 0; i < bar->count(); ++i)
                QVERIFY2(bar->rect().contains(bar->tabRect(i)),
                         qPrintable(QStringLiteral("%1: %2").arg(wizard, bar->tabText(i))));
            d->close();
        }
    }

    // Every field of every wizard shows its caption beside it.
    void everyFieldLabelled()
    {
        TAssistant a(nullptr);
        TCv c(nullptr);
        TPro p(nullptr);
        for (TWizardDialog *d : std::initializer_list<TWizardDialog *>{&a, &c, &p}) {
            const QString wizard = QString::fromLatin1(d->metaObject()->className());
            QList<QWidget *> fields;
            for (QWidget *w : d->findChildren<QWidget *>()) {
                const bool field = qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w)
                    || qobject_cast<QAbstractSpinBox *>(w) || qobject_cast<QComboBox *>(w);
                // The line inside a spin or a list belongs to it; the
                // heading-level lists stand beside their line's label.
                if (field && !qobject_cast<QAbstractSpinBox *>(w->parentWidget())
                    && !qobject_cast<QComboBox *>(w->parentWidget())
                    && !w->objectName().startsWith(QLatin1String("Niveau")))
                    fields << w;
            }
            QVERIFY(fields.size() > 5);
            for (QWidget *field : fields) {
                bool labelled = false;
                for (QLabel *label : d->findChildren<QLabel *>())
                    labelled = labelled || (label->buddy() == field && !label->text().isEmpty());
                QVERIFY2(labelled, qPrintable(QStringLiteral("%1: %2").arg(wizard, field->objectName())));
            }
        }
        QCOMPARE(c.Adresse2->accessibleName(), QStringLiteral("Adresse (suite)"));
        QCOMPARE(c.Telephone2->accessibleName(), QStringLiteral("T\u00E9l\u00E9phone (second)"));
    }

    // The default rows write four buttons, each 18 pixels high and 16
    // wider than its label, and the bar is as wide as the four plus 22 each.
    void proDefaultButtons()
    {
        TPro d(nullptr);
        QCOMPARE(d.windowTitle(), QStringLiteral("Assistant projet"));
        QCOMPARE(d.AccueilTitre->text(), QStringLiteral("Bienvenue sur notre site"));
        runWith(d, [&] { d.Generer->click(); });
        QVERIFY(d.generated());
        int width = 0;
        for (const char *name : {"Accueil", "Catalogue", "Historique", "Favoris"}) {
            const QString label = QString::fromLatin1(name);
            const int text = MenuButton::textWidth(label);
            QVERIFY(text > 20);
            width += text + 22;
            const GifReader::Animation gif = GifReader::read(label + QStringLiteral(".gif"));
            QCOMPARE(gif.frames.size(), 1);
            QCOMPARE(gif.frames.first().size(), QSize(text + 16, 18));
            // Black text drawn from x = 5 on white.
            const QImage &button = gif.frames.first();
            QCOMPARE(button.pixel(0, 0), qRgb(255, 255, 255));
            int dark = 0;
            for (int y = 0; y < 18; ++y)
                for (int x = 5; x < text + 5; ++x)
                    dark += qGray(button.pixel(x, y)) < 100;
            QVERIFY2(dark > 20, qPrintable(label));
            for (int y = 0; y < 18; ++y)
                QCOMPARE(button.pixel(text + 15, y), qRgb(255, 255, 255));
        }
        QCOMPARE(d.barWidth(), width);

        QStringList lines;
        QString name;
        d.Result(lines, name);
        QCOMPARE(name, QStringLiteral("index.htm"));
        QVERIFY(lines.contains(QStringLiteral("<table width=\"%1\" border=\"0\">").arg(width)));
        d.Getmenu2(lines, name);
        QCOMPARE(name, QStringLiteral("Catalogue.htm"));
        QCOMPARE(lines.at(2), QStringLiteral("<title>Catalogue</title>"));
        d.Getmenu5(lines, name);
        QVERIFY(lines.isEmpty());
        QCOMPARE(name, QStringLiteral("Catalogue.htm"));
    }

    // The pages behind the buttons carry the colours chosen for the site.
    void proSecondaryPagesInTheSiteColours()
    {
        CommonDialogs::setColorHandler([](const QColor &) { return std::optional<QColor>(QColor(0xFF, 0xEE, 0xDD)); });
        TPro d(nullptr);
        d.Fond->click();
        runWith(d, [&] { d.Generer->click(); });
        QStringList home;
        QString name;
        d.Result(home, name);
        QStringList other;
        d.Getmenu2(other, name);
        const QString body = QStringLiteral("<font color=\"#000000\">\r\n<body bgcolor=\"#FFEEDD\" "
                                            "link=\"#0000FF\" vlink=\"#00FF00\" >");
        QCOMPARE(home.at(6), body);
        QCOMPARE(other.at(4), body);
    }

    // A half-filled row gets no button; a label names its picture without
    // the characters file systems refuse, inside the current folder; a button
    // that cannot be written is reported and the window stays open for a
    // correction.
    void proRowsAndFailedButton()
    {
        TPro d(nullptr);
        for (std::size_t i = 0; i < 8; ++i) {
            d.Intitules[i]->clear();
            d.Pages[i]->clear();
        }
        d.Intitules[0]->setText(QStringLiteral("Solo"));
        d.Pages[0]->setText(QStringLiteral("solo.htm"));
        d.Intitules[2]->setText(QStringLiteral("Orphelin"));
        d.Pages[3]->setText(QStringLiteral("seul.htm"));
        d.Intitules[4]->setText(QStringLiteral("Qui sommes-nous ?"));
        d.Pages[4]->setText(QStringLiteral("qui.htm"));
        d.Intitules[5]->setText(QStringLiteral("../Tarifs"));
        d.Pages[5]->setText(QStringLiteral("tarifs.htm"));
        // A folder where the picture should go cannot be written over.
        QVERIFY(QDir().mkpath(QStringLiteral("Solo.gif")));
        bool openAfterFailure = false;
        qsizetype messagesAfterFailure = 0;
        runWith(d, [&] {
            d.Generer->click();
            openAfterFailure = d.isVisible();
            messagesAfterFailure = m_messages.size();
            QDir().rmdir(QStringLiteral("Solo.gif"));
            if (d.isVisible())
                d.Generer->click();
            if (d.isVisible())
                d.Annuler->click();
        });
        QVERIFY(openAfterFailure);
        QCOMPARE(messagesAfterFailure, 1);
        QCOMPARE(m_messages.first().title, QStringLiteral("Erreur"));
        QVERIFY(d.generated());
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(QFileInfo(QStringLiteral("Solo.gif")).isFile());
        QVERIFY(!QFile::exists(QStringLiteral("Orphelin.gif")));
        QVERIFY(QFile::exists(QStringLiteral("Qui sommes-nous.gif")));
        QVERIFY(QFile::exists(QStringLiteral("Tarifs.gif")));
        QVERIFY(!QFile::exists(QStringLiteral("../Tarifs.gif")));
        QCOMPARE(d.barWidth(), MenuButton::textWidth(QStringLiteral("Solo")) + 22
                                   + MenuButton::textWidth(QStringLiteral("Qui sommes-nous ?")) + 22
                                   + MenuButton::textWidth(QStringLiteral("../Tarifs")) + 22);
        for (int row : {2, 3, 4, 7, 8}) {
            QStringList lines{QStringLiteral("x")};
            QString name = QStringLiteral("kept");
            d.Getmenu(row, lines, name);
            QVERIFY(lines.isEmpty());
            QCOMPARE(name, QStringLiteral("kept"));
        }
        for (const char *f : {"Solo.gif", "Qui sommes-nous.gif", "Tarifs.gif"})
            QFile::remove(QString::fromLatin1(f));
    }

    void catChoosesPictures()
    {
        QDir().mkpath(QStringLiteral("choix"));
        QDir::setCurrent(m_dir.filePath(QStringLiteral("choix")));
        for (const char *name : {"b.JPG", "a.jpeg", "c.gif", "notes.txt", "d.png"}) {
            QFile f(QString::fromLatin1(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        TCat d(nullptr);
        QStringList seen;
        TCat::Choice choice;
        runWith(d, [&] {
            QCOMPARE(d.windowTitle(), QStringLiteral("Parcourir - ") + QDir::currentPath());
            for (int i = 0; i < d.FileListBox1->count(); ++i)
                seen << d.FileListBox1->item(i)->text();
            d.FileListBox1->item(0)->setSelected(true);
            d.FileListBox1->item(2)->setSelected(true);
            d.SpeedButton1->click();
            d.SpeedButton1->click();
            d.ListBox1->setCurrentRow(1);
            QTest::keyClick(d.ListBox1, Qt::Key_Delete);
            d.Largeur->findChild<QLineEdit *>()->clear(); // nothing readable
            d.findChild<QPushButton *>(QStringLiteral("OKBtn"))->click();
        });
        choice = d.Result();
        QCOMPARE(seen, (QStringList{"a.jpeg", "b.JPG", "c.gif"}));
        QCOMPARE(d.files(), (QStringList{"a.jpeg", "a.jpeg", "c.gif"}));
        QVERIFY(choice.ok);
        QCOMPARE(choice.width, 0);
        QCOMPARE(choice.height, 100);
        runWith(d, [&] { d.findChild<QPushButton *>(QStringLiteral("CancelBtn"))->click(); });
        QVERIFY(!d.Result().ok);
        QDir::setCurrent(m_dir.path());
    }
};

PEMO_TEST(WizardDialogsTest)
#include "tst_wizard_dialogs.moc"
