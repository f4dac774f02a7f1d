// The form-control, character, smiley and style section commands: snapshot,
// dialog, and what lands in the source pane.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "dialogs/CaractsDialog.h"
#include "dialogs/FormDialogs.h"
#include "dialogs/SmileysDialog.h"
#include "dialogs/ColourSwatch.h"
#include "dialogs/StyleDialog.h"
#include "document/Childwin.h"
#include "document/FragmentInsertion.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {

template <typename Dialog>
void answer(std::function<void(Dialog &)> fill)
{
    Fragment::setModalRunner([fill](QDialog &d) {
        auto *dialog = qobject_cast<Dialog *>(&d);
        QVERIFY2(dialog, "another dialog than expected");
        fill(*dialog);
    });
}

void press(QWidget &dialog, const char *button)
{
    dialog.findChild<QPushButton *>(QString::fromLatin1(button))->click();
}

template <typename Dialog>
void pressOk()
{
    answer<Dialog>([](Dialog &d) { press(d, "OKBtn"); });
}

template <typename Dialog>
void pressCancel()
{
    answer<Dialog>([](Dialog &d) { press(d, "CancelBtn"); });
}

void selectMot(TEditeur &e)
{
    e.Memo1->SetLines({QStringLiteral("un mot ici")});
    e.Memo1->Select(3, 3);
}

// The style editor: choose p, apply the defaults, confirm.
void applyDefaultsToP()
{
    answer<TStyle>([](TStyle &d) {
        d.findChild<QListWidget *>(QStringLiteral("Elements"))->setCurrentRow(11);
        press(d, "AppliquerBtn");
        press(d, "OKBtn");
    });
}

const QString pRule = QStringLiteral("p {font: 10pt Arial;color: #000000;background: #FFFFFF}");

} // namespace

class FormCommandsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { Fragment::setModalRunner({}); }

    void typingGoesInsideTheForm()
    {
        TEditeur e(nullptr);
        selectMot(e);
        answer<TFormEmail>([](TFormEmail &d) {
            d.findChild<QLineEdit *>(QStringLiteral("Email"))->setText(QStringLiteral("moi@exemple.fr"));
            press(d, "OKBtn");
        });
        e.FormDef();
        QTest::keyClicks(e.Memo1, QStringLiteral("champs"));
        QCOMPARE(e.Memo1->Lines(), QStringList({"un <form action=\"mailto:moi@exemple.fr\" method=\"Post\">", "champs",
                                                "</form>", " ici"}));
    }

    // Annuler in any form dialog leaves the page, selection included, alone;
    // the snapshot is taken all the same.
    void cancelledFormDialogsChangeNothing_data()
    {
        QTest::addColumn<int>("which");
        QTest::newRow("form") << 0;
        QTest::newRow("input line") << 1;
        QTest::newRow("text area") << 2;
        QTest::newRow("check box") << 3;
        QTest::newRow("radio") << 4;
        QTest::newRow("menu") << 5;
    }
    void cancelledFormDialogsChangeNothing()
    {
        QFETCH(int, which);
        TEditeur e(nullptr);
        e.Memo1->SetLines({QStringLiteral("avant")});
        e.Memorise();
        selectMot(e);
        switch (which) {
        case 0: pressCancel<TFormEmail>(); e.FormDef(); break;
        case 1: pressCancel<TFormEdit>(); e.FormSaisie(); break;
        case 2: pressCancel<TFormMemo>(); e.FormTexte(); break;
        case 3: pressCancel<TFormCases>(); e.FormCocher(); break;
        case 4: pressCancel<TFormRadio>(); e.FormBtnRadio(); break;
        default: pressCancel<TFormMenus>(); e.FormMenu(); break;
        }
        QCOMPARE(e.Memo1->Lines(), QStringList({QStringLiteral("un mot ici")}));
        QCOMPARE(e.Memo1->SelText(), QStringLiteral("mot"));
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), QStringList({QStringLiteral("un mot ici")}));
    }

    void menuReplacesTheSelection()
    {
        TEditeur e(nullptr);
        selectMot(e);
        pressOk<TFormMenus>();
        e.FormMenu();
        QCOMPARE(e.Memo1->Lines(), QStringList({"un <p><select name=\"Nom\" size=3>", "<option>Choix1", "<option>Choix2",
                                                "<option>Choix3", "</select></p>", " ici"}));
        QCOMPARE(e.Memo1->SelLength(), 0);
    }

    void buttonsWithoutDialog()
    {
        TEditeur e(nullptr);
        selectMot(e);
        e.FormEnvoi();
        e.FormRaz();
        QCOMPARE(e.Memo1->Text(), QStringLiteral("un <p><input type=\"submit\" name=\"Envoi\" value=\"Envoi\"></p>\r\n"
                                                 "<P><input type=\"reset\" value=\"RAZ\"></p>\r\n ici\r\n"));
        e.Annuler();
        QCOMPARE(e.Memo1->Lines().constFirst(), QStringLiteral("un <p><input type=\"submit\" name=\"Envoi\" value=\"Envoi\"></p>"));
    }

    void characterAndSmiley()
    {
        TEditeur e(nullptr);
        selectMot(e);
        answer<TCaractsDialog>([](TCaractsDialog &d) {
            d.grid()->setCurrentCell(7, 4);
            press(d, "OKBtn");
        });
        e.Caracts();
        answer<TSmileys>([](TSmileys &d) {
            d.list()->setCurrentRow(0);
            press(d, "InsererBtn");
        });
        e.Smil();
        QCOMPARE(e.Memo1->Lines(), QStringList({QStringLiteral("un &nbsp;;-) ici")}));
    }

    void cancelledGridOrListKeepsTheSelection_data()
    {
        QTest::addColumn<bool>("smiley");
        QTest::addColumn<bool>("escape");
        QTest::newRow("characters, Annuler") << false << false;
        QTest::newRow("characters, Escape") << false << true;
        QTest::newRow("smileys, Annuler") << true << false;
        QTest::newRow("smileys, Escape") << true << true;
    }
    void cancelledGridOrListKeepsTheSelection()
    {
        QFETCH(bool, smiley);
        QFETCH(bool, escape);
        TEditeur e(nullptr);
        selectMot(e);
        Fragment::setModalRunner([escape](QDialog &d) {
            if (auto *grid = d.findChild<QTableWidget *>())
                grid->setCurrentCell(1, 0);
            else if (auto *list = d.findChild<QListWidget *>())
                list->setCurrentRow(0);
            if (escape)
                QTest::keyClick(&d, Qt::Key_Escape);
            else
                press(d, "CancelBtn");
        });
        if (smiley)
            e.Smil();
        else
            e.Caracts();
        QCOMPARE(e.Memo1->Lines(), QStringList({QStringLiteral("un mot ici")}));
        QCOMPARE(e.Memo1->SelStart(), 3);
        QCOMPARE(e.Memo1->SelLength(), 3);
    }

    void styleSectionAddedBeforeTheHeadEnd()
    {
        TEditeur e(nullptr);
        e.Memo1->SetSelStart(e.Memo1->TextLength());
        applyDefaultsToP();
        e.Section();
        QStringList expected = TEditeur::pageTemplate();
        expected.insert(6, QStringLiteral("</style>"));
        expected.insert(6, pRule);
        expected.insert(6, QStringLiteral("<style>"));
        QCOMPARE(e.Memo1->Lines(), expected);
        QCOMPARE(e.Memo1->SelStart(), e.Memo1->TextLength());

        // Opened again and confirmed at once: the same page.
        pressOk<TStyle>();
        e.Section();
        QCOMPARE(e.Memo1->Lines(), expected);
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), expected);
    }

    void styleEditorSeesThePageRules()
    {
        TEditeur e(nullptr);
        e.Memo1->SetLines({"<HEAD>", "<STYLE>", "h1 {color: #FF0000;background: #FFFFFF}", "</STYLE>", "</HEAD>"});
        QStringList seen;
        answer<TStyle>([&seen](TStyle &d) {
            seen = d.rules();
            d.findChild<QListWidget *>(QStringLiteral("Elements"))->setCurrentRow(11);
            press(d, "AppliquerBtn");
            press(d, "OKBtn");
        });
        e.Section();
        QCOMPARE(seen, QStringList({QStringLiteral("h1 {color: #FF0000;background: #FFFFFF}")}));
        QCOMPARE(e.Memo1->Lines(), QStringList({"<HEAD>", "<style>", "h1 {color: #FF0000;background: #FFFFFF}", pRule,
                                                "</style>", "</HEAD>"}));
    }

    // A hand-written rule: the dialog shows its values, and a new size is
    // all that changes in it.
    void styleEditorChangesOnlyWhatTheUserChanged()
    {
        TEditeur e(nullptr);
        e.Memo1->SetLines({"<head>", "<style>", "p { color: navy; text-align: center; line-height: 1.4 }",
                           "h1 {font: bold 12px/1.2 Georgia, serif}", "</style>", "</head>"});
        QColor shownColour;
        QString shownPt, shownFont, h1Pt, h1Font;
        answer<TStyle>([&](TStyle &d) {
            auto *elements = d.findChild<QListWidget *>(QStringLiteral("Elements"));
            elements->setCurrentRow(4);
            h1Pt = d.findChild<QLineEdit *>(QStringLiteral("Pt"))->text();
            h1Font = d.findChild<QLineEdit *>(QStringLiteral("Font"))->text();
            elements->setCurrentRow(11);
            shownColour = d.findChild<TColourSwatch *>(QStringLiteral("Color"))->colour();
            shownPt = d.findChild<QLineEdit *>(QStringLiteral("Pt"))->text();
            shownFont = d.findChild<QLineEdit *>(QStringLiteral("Font"))->text();
            d.findChild<QLineEdit *>(QStringLiteral("Pt"))->setText(QStringLiteral("14"));
            press(d, "AppliquerBtn");
            // Nothing more changed: a second press writes nothing again.
            press(d, "AppliquerBtn");
            press(d, "OKBtn");
        });
        e.Section();
        QCOMPARE(shownColour, QColor(0, 0, 128));
        QCOMPARE(shownPt, QStringLiteral("10"));
        QCOMPARE(shownFont, QStringLiteral("Arial"));
        QCOMPARE(h1Pt, QStringLiteral("9"));
        QCOMPARE(h1Font, QStringLiteral("Georgia, serif"));
        QCOMPARE(e.Memo1->Lines(),
                 QStringList({"<head>", "<style>", "p { color: navy; text-align: center; line-height: 1.4; font-size: 14pt }",
                              "h1 {font: bold 12px/1.2 Georgia, serif}", "</style>", "</head>"}));
    }

    void cancelledStyleEditorTakesNoSnapshot()
    {
        TEditeur e(nullptr);
        e.Memo1->SetLines({QStringLiteral("avant")});
        e.Memorise();
        e.Memo1->SetLines({QStringLiteral("<head>"), QStringLiteral("</head>")});
        answer<TStyle>([](TStyle &d) {
            d.findChild<QListWidget *>(QStringLiteral("Elements"))->setCurrentRow(11);
            press(d, "AppliquerBtn");
            press(d, "CancelBtn");
        });
        e.Section();
        QCOMPARE(e.Memo1->Lines(), QStringList({QStringLiteral("<head>"), QStringLiteral("</head>")}));
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), QStringList({QStringLiteral("avant")}));
    }

    void styleSectionWithoutHeadEndIsKept()
    {
        TEditeur e(nullptr);
        e.Memo1->SetLines({"<title>t</title>", "<style>h1 {y}</style>", "<body>", "texte"});
        applyDefaultsToP();
        e.Section();
        QCOMPARE(e.Memo1->Lines(), QStringList({"<title>t</title>", "<style>", "h1 {y}", pRule, "</style>", "<body>", "texte"}));
    }
};

PEMO_TEST(FormCommandsTest)
#include "tst_form_commands.moc"
