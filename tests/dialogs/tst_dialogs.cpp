// The dialogs themselves, offscreen: captions, defaults, keys, and what
// each gives back.
#include "common/testmain.h"

#include "dialogs/BaliseDialog.h"
#include "dialogs/ColourSwatch.h"
#include "dialogs/HRDialog.h"
#include "dialogs/LienAncreDialog.h"
#include "dialogs/ListDialog.h"
#include "dialogs/MailboxDialog.h"
#include "dialogs/NumberField.h"
#include "dialogs/StartDialog.h"
#include "dialogs/StepperField.h"
#include "platform/CommonDialogs.h"
#include "dialogs/TableauDialog.h"
#include "platform/Errors.h"
#include "platform/FileDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace {

template <typename T>
T *child(QWidget &parent, const char *name)
{
    T *w = parent.findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}

void press(QWidget &dialog, const char *button) { QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton); }

QString resultOf(const auto &dialog)
{
    QString text = QStringLiteral("not set");
    dialog.Result(text);
    return text;
}

QStringList labelTexts(QWidget &w)
{
    QStringList texts;
    for (const QLabel *l : w.findChildren<QLabel *>())
        texts << l->text();
    return texts;
}

} // namespace

class DialogsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        Platform::setFileDialogHandler({});
        CommonDialogs::setColorHandler({});
    }

    void stepperButtonsAndTypingLimit()
    {
        TStepperField field(QStringLiteral("99"));
        field.setMaxLength(2);
        QTest::mouseClick(field.upButton(), Qt::LeftButton);
        QCOMPARE(field.text(), QStringLiteral("100"));
        QTest::mouseClick(field.downButton(), Qt::LeftButton);
        QCOMPARE(field.text(), QStringLiteral("99"));
        field.setText(QString());
        QTest::keyClicks(field.edit(), QStringLiteral("123"));
        QCOMPARE(field.text(), QStringLiteral("12"));
        field.setText(QStringLiteral("1"));
        QTest::mouseClick(field.downButton(), Qt::LeftButton);
        QCOMPARE(field.text(), QStringLiteral("1"));
        field.setText(QStringLiteral("abc"));
        QTest::mouseClick(field.downButton(), Qt::LeftButton);
        QCOMPARE(field.text(), QStringLiteral("2"));
        // The arrow keys in the box step as the buttons do.
        field.setText(QStringLiteral("79"));
        QTest::keyClick(field.edit(), Qt::Key_Up);
        QCOMPARE(field.text(), QStringLiteral("80"));
        QTest::keyClick(field.edit(), Qt::Key_Down);
        QTest::keyClick(field.edit(), Qt::Key_Down);
        QCOMPARE(field.text(), QStringLiteral("78"));
    }

    void numberFieldBounds()
    {
        TNumberField width(100, 0, 100);
        width.setValue(150);
        QCOMPARE(width.number(), 100);
        width.findChild<QLineEdit *>()->clear();
        QCOMPARE(width.number(), 0);
        TNumberField size(1, 0, 0);
        size.setValue(100000);
        QCOMPARE(size.number(), 100000);
        size.setValue(-3);
        QCOMPARE(size.number(), -3);
        size.findChild<QLineEdit *>()->setText(QStringLiteral("-"));
        QCOMPARE(size.number(), 0);
    }

    void tableDialog()
    {
        TTableauDialog d(nullptr);
        QCOMPARE(d.windowTitle(), QStringLiteral("Insérer tableau"));
        QCOMPARE(child<TStepperField>(d, "Lignes")->text(), QStringLiteral("2"));
        QCOMPARE(child<TStepperField>(d, "Colonnes")->text(), QStringLiteral("2"));
        QCOMPARE(child<TStepperField>(d, "Bordure")->text(), QStringLiteral("1"));
        QVERIFY(!child<QCheckBox>(d, "Centre")->isChecked());
        QCOMPARE(child<QCheckBox>(d, "Centre")->text(), QStringLiteral("Centré"));
        QVERIFY(labelTexts(d).contains(QStringLiteral("Colonnes")));
        QCOMPARE(resultOf(d), QString());

        child<TStepperField>(d, "Colonnes")->setText(QStringLiteral("3"));
        child<QCheckBox>(d, "Centre")->setChecked(true);
        press(d, "OKBtn");
        QVERIFY(resultOf(d).startsWith(QStringLiteral("<CENTER>\r\n<table border=1>\r\n<tr>\r\n<td>Cellule11")));
        QVERIFY(resultOf(d).contains(QStringLiteral("Cellule23")));
    }

    void escapeCancels()
    {
        TTableauDialog d(nullptr);
        d.show();
        press(d, "OKBtn");
        d.show();
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(!d.isVisible());
        QCOMPARE(resultOf(d), QString());
    }

    void listDialog()
    {
        TListDialog d(nullptr);
        QCOMPARE(d.windowTitle(), QStringLiteral("Insérer liste"));
        QCOMPARE(child<TStepperField>(d, "Nombre")->text(), QStringLiteral("2"));
        QVERIFY(labelTexts(d).contains(QStringLiteral("Nombre d'éléments")));
        QVERIFY(!child<QRadioButton>(d, "Ordonnee")->isChecked());
        QVERIFY(!child<QRadioButton>(d, "NonOrdonnee")->isChecked());
        press(d, "OKBtn");
        QCOMPARE(resultOf(d), QStringLiteral("<ul type=disc>\r\n <li>Ligne1\r\n <li>Ligne2\r\n</ul>"));
        child<QRadioButton>(d, "Ordonnee")->setChecked(true);
        QCOMPARE(resultOf(d), QStringLiteral("<ol>\r\n <li>Ligne1\r\n <li>Ligne2\r\n</ol>"));
        press(d, "CancelBtn");
        QCOMPARE(resultOf(d), QString());
    }

    void ruleDialog()
    {
        THR d(nullptr);
        QCOMPARE(d.windowTitle(), QStringLiteral("Ligne horizontale"));
        QVERIFY(child<QRadioButton>(d, "Centre")->isChecked());
        QVERIFY(labelTexts(d).contains(QStringLiteral("Largeur (%)")));
        d.show();
        // Annuler stands before OK.
        QVERIFY(child<QPushButton>(d, "CancelBtn")->x() < child<QPushButton>(d, "OKBtn")->x());
        press(d, "OKBtn");
        QCOMPARE(resultOf(d), QStringLiteral("<hr>"));
        child<QRadioButton>(d, "Gauche")->setChecked(true);
        child<TNumberField>(d, "Largeur")->setValue(50);
        child<TNumberField>(d, "Epaisseur")->setValue(3);
        QCOMPARE(resultOf(d), QStringLiteral("<hr align=\"left\" width=50% size=3>"));
    }

    void anchorDialogListsNamesAndShowsTheLast()
    {
        TLienAncre d(nullptr);
        QCOMPARE(d.windowTitle(), QStringLiteral("Lien vers ancrage"));
        d.Init({"<a name=\"haut\"></a>", "texte", "<A NAME=\"bas\"></A>"});
        auto *combo = child<QComboBox>(d, "NomAncrage");
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("haut"));
        QCOMPARE(combo->currentText(), QStringLiteral("bas"));
        press(d, "OKBtn");
        QCOMPARE(resultOf(d), QStringLiteral("<a href=\"#bas\">"));
        d.Init({"rien"});
        QCOMPARE(combo->count(), 0);
        QCOMPARE(combo->currentText(), QString());
    }

    void mailboxEnterConfirmsAndEachShowResets()
    {
        TMailbox d(nullptr);
        QCOMPARE(d.windowTitle(), QStringLiteral("Lien vers maibox"));
        auto *edit = child<QLineEdit>(d, "Adresse");
        QCOMPARE(edit->text(), QStringLiteral("VotreMailbox"));
        QCOMPARE(edit->accessibleName(), QStringLiteral("Nom du point d'ancrage"));
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(!d.isVisible());
        QCOMPARE(resultOf(d), QStringLiteral("VotreMailbox"));
        d.show();
        QCOMPARE(resultOf(d), QString());
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(resultOf(d), QString());
    }

    void tagPickerKeys()
    {
        TFBalise d(nullptr);
        QCOMPARE(d.windowTitle(), QStringLiteral("Balises HTML"));
        QListWidget *list = d.list();
        QCOMPARE(list->count(), 71);
        d.show();
        QCOMPARE(d.selectedEntry(), QString());

        list->setCurrentRow(3);
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.selectedEntry(), QStringLiteral("<b> </b>"));

        d.show();
        QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.selectedEntry(), QString());

        d.show();
        list->setCurrentRow(6);
        d.close();
        QCOMPARE(d.selectedEntry(), QStringLiteral("<br>"));

        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        const QRect item = list->visualItemRect(list->item(1));
        QVERIFY(item.isValid());
        // A person's double-click: a click, then the second press.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, item.center());
        QVERIFY(!d.isVisible());
        QCOMPARE(d.selectedEntry(), QStringLiteral("<a> </a>"));
    }

    void optionsDialogRoundTrip()
    {
        const QStringList page = {"<title>Accueil</title>", "<meta name=\"Author\" content=\"Jean\">",
                                  "<body bgcolor=\"#F0F0F0\" link=\"#FF0000\" vlink=\"#00FF00\" background=\"\">"};
        TStartDialog d(nullptr);
        QCOMPARE(d.windowTitle(), QStringLiteral("Options du document"));
        d.Init(page, QStringLiteral("/site/pages/"));
        QCOMPARE(child<QLineEdit>(d, "Titre")->text(), QStringLiteral("Accueil"));
        QCOMPARE(child<QLineEdit>(d, "Auteur")->text(), QStringLiteral("Jean"));
        QCOMPARE(child<TColourSwatch>(d, "Fond")->colour(), QColor(0xF0, 0xF0, 0xF0));
        // The page has no text-colour line: that swatch holds no colour.
        QVERIFY(!child<TColourSwatch>(d, "Texte")->colour().isValid());
        QCOMPARE(child<TColourSwatch>(d, "LienVisite")->accessibleName(), QStringLiteral("Lien visité"));
        QCOMPARE(child<QLineEdit>(d, "MotsCles")->accessibleName(), QStringLiteral("Mots-clés"));

        QCOMPARE(d.Result(page), page); // not confirmed
        press(d, "OKBtn");
        QCOMPARE(d.Result(page), page); // confirmed, nothing changed

        Platform::FileDialogRequest asked;
        Platform::setFileDialogHandler([&asked](const Platform::FileDialogRequest &r) {
            asked = r;
            Platform::FileDialogResult result;
            result.accepted = true;
            result.path = QStringLiteral("/site/images/fond.gif");
            return result;
        });
        press(d, "Parcourir");
        QCOMPARE(asked.title, QStringLiteral("Image de fond"));
        QCOMPARE(asked.filter, QStringLiteral("Images Gif (*.gif)|*.gif|Images Jpeg (*.jpg)|*.jpg"));
        QCOMPARE(asked.fileName, QStringLiteral("*.gif"));
        QCOMPARE(child<QLineEdit>(d, "ImageFond")->text(), QStringLiteral("../images/fond.gif"));

        QColor offered;
        CommonDialogs::setColorHandler([&offered](const QColor &initial) {
            offered = initial;
            return std::optional<QColor>(QColor(0, 0, 0xFF));
        });
        QTest::mouseClick(child<TColourSwatch>(d, "Lien"), Qt::LeftButton);
        QCOMPARE(offered, QColor(0xFF, 0, 0));
        child<QLineEdit>(d, "Titre")->setText(QStringLiteral("Bienvenue"));
        QCOMPARE(d.Result(page),
                 QStringList({"<title>Bienvenue</title>", "<meta name=\"Author\" content=\"Jean\">",
                              "<body bgcolor=\"#F0F0F0\" link=\"#0000FF\" vlink=\"#00FF00\" "
                              "background=\"../images/fond.gif\">"}));
    }

    void cancelledColourPickerKeepsTheSwatch()
    {
        TColourSwatch swatch;
        swatch.setColour(QColor(1, 2, 3));
        CommonDialogs::setColorHandler([](const QColor &) { return std::optional<QColor>(); });
        QTest::mouseClick(&swatch, Qt::LeftButton);
        QCOMPARE(swatch.colour(), QColor(1, 2, 3));
        QVERIFY(!swatch.chosen());
    }

    // Pictures of every dialog for a person to look at:
    // PEMO_SHOT_DIR=/tmp/shots test_dialogs -only DialogsTest grabEveryDialog
    void grabEveryDialog()
    {
        const QString dir = qEnvironmentVariable("PEMO_SHOT_DIR");
        if (dir.isEmpty())
            QSKIP("PEMO_SHOT_DIR not set");
        QDir().mkpath(dir);
        const auto shoot = [&dir](QWidget &w, const char *name) {
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QVERIFY(w.grab().save(dir + u'/' + QString::fromLatin1(name) + QStringLiteral(".png")));
            w.hide();
        };
        TStartDialog start(nullptr);
        start.Init({"<title>Ma page</title>", "<body bgcolor=\"#F0F0F0\" link=\"#FF0000\" vlink=\"#00FF00\" ",
                    "background=\"\">", "<font color=\"#FFFFFF\"></font>"},
                   QStringLiteral("/tmp/"));
        shoot(start, "options");
        TStartDialog bare(nullptr);
        bare.Init({"<body>"}, QStringLiteral("/tmp/"));
        shoot(bare, "options-sans-couleurs");
        TTableauDialog table(nullptr);
        shoot(table, "tableau");
        TListDialog list(nullptr);
        shoot(list, "liste");
        THR rule(nullptr);
        shoot(rule, "ligne");
        TLienAncre anchor(nullptr);
        anchor.Init({"<a name=\"haut\">", "<a name=\"bas\">"});
        shoot(anchor, "ancrage");
        TMailbox mail(nullptr);
        shoot(mail, "mailbox");
        TFBalise tags(nullptr);
        shoot(tags, "balises");
    }
};

PEMO_TEST(DialogsTest)
#include "tst_dialogs.moc"
