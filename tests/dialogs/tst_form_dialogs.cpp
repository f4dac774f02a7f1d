// The form-control, character, smiley and style dialogs, offscreen:
// captions, defaults, names, keys, and what each gives back.
#include "common/testmain.h"

#include "dialogs/CaractsDialog.h"
#include "dialogs/ColourSwatch.h"
#include "dialogs/FormDialogs.h"
#include "dialogs/SmileysDialog.h"
#include "dialogs/StepperField.h"
#include "dialogs/StyleDialog.h"
#include "platform/CommonDialogs.h"

#include <QCheckBox>
#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QMap>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <functional>
#include <memory>
#include <vector>

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

QString menuOf(const TFormMenus &d)
{
    QString opening = "x", options = "x", closing = "x";
    d.Result(opening, options, closing);
    return opening + u'|' + options + u'|' + closing;
}

// Every field's accessible name, by object name; a stepper's text box
// must carry the name too.
QMap<QString, QString> accessibleNames(QWidget &dialog)
{
    QMap<QString, QString> names;
    for (QLabel *label : dialog.findChildren<QLabel *>()) {
        QWidget *field = label->buddy();
        if (!field)
            continue;
        names[field->objectName()] = field->accessibleName();
        if (auto *stepper = qobject_cast<TStepperField *>(field))
            names[field->objectName() + QStringLiteral(".edit")] = stepper->edit()->accessibleName();
    }
    return names;
}

void clickCell(QTableWidget *grid, int cell)
{
    const QRect rect = grid->visualItemRect(grid->item(cell / 5, cell % 5));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
}

} // namespace

class FormDialogsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        CommonDialogs::setColorHandler({});
        CommonDialogs::setFontHandler({});
    }

    void captionsAndNames_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("names"); // objectName=accessible name
        QTest::newRow("form") << "Définir formulaire" << QStringList{"Email=Email destiné à recevoir les données"};
        QTest::newRow("input line") << "Formulaie : ligne de saisie"
                                    << QStringList{"Nom=Nom du champ", "Longueur=Longueur", "Longueur.edit=Longueur"};
        QTest::newRow("text area") << "Formulaie : Fenêtre de texte"
                                   << QStringList{"Nom=Nom du champ", "Rangees=Rangées", "Rangees.edit=Rangées",
                                                  "Colonnes=Colonnes", "Colonnes.edit=Colonnes"};
        QTest::newRow("check box") << "Formulaire : Case à cocher"
                                   << QStringList{"Nom=Nom", "Valeur=Valeur", "Libelle=Libellé"};
        QTest::newRow("radio") << "Formulaire : Bouton radio"
                               << QStringList{"Nom=Nom", "Valeur=Valeur", "Libelle=Libellé"};
        QTest::newRow("menu") << "Formulaire : Menu déroulant"
                              << QStringList{"Nom=Nom", "Visibles=Nombre d'éléments visibles",
                                             "Visibles.edit=Nombre d'éléments visibles", "Choix=Choix"};
        QTest::newRow("characters") << "Caractères spéciaux" << QStringList{"Entite=Entité"};
        QTest::newRow("style") << "Section style"
                               << QStringList{"Font=Font", "Pt=Pt", "Color=Color", "Left=Margin Left",
                                              "Background=Background"};
    }
    void captionsAndNames()
    {
        QFETCH(QString, caption);
        QFETCH(QStringList, names);
        const std::vector<std::function<QDialog *()>> makers = {
            [] { return new TFormEmail(nullptr); }, [] { return new TFormEdit(nullptr); },
            [] { return new TFormMemo(nullptr); },  [] { return new TFormCases(nullptr); },
            [] { return new TFormRadio(nullptr); }, [] { return new TFormMenus(nullptr); },
            [] { return new TCaractsDialog(nullptr); }, [] { return new TStyle(nullptr); }};
        for (const auto &make : makers) {
            std::unique_ptr<QDialog> d(make());
            if (d->windowTitle() != caption)
                continue;
            QCOMPARE(d->accessibleName(), caption);
            const QMap<QString, QString> found = accessibleNames(*d);
            for (const QString &pair : names) {
                const QString object = pair.section(u'=', 0, 0);
                QVERIFY2(found.contains(object), qPrintable(object));
                QCOMPARE(found.value(object), pair.section(u'=', 1));
            }
            return;
        }
        QFAIL("no dialog with that caption");
    }

    void inputLineDefaultsAndSteppers()
    {
        TFormEdit d(nullptr);
        auto *longueur = child<TStepperField>(d, "Longueur");
        longueur->setText(QStringLiteral("80"));
        QTest::mouseClick(longueur->upButton(), Qt::LeftButton);
        QCOMPARE(longueur->text(), QStringLiteral("80"));
        longueur->setText(QStringLiteral("1"));
        QTest::mouseClick(longueur->downButton(), Qt::LeftButton);
        QCOMPARE(longueur->text(), QStringLiteral("1"));
        longueur->setText(QStringLiteral("30"));
        d.show();
        QTest::keyClick(child<QLineEdit>(d, "Nom"), Qt::Key_Return);
        QVERIFY(!d.isVisible());
        QCOMPARE(resultOf(d), QStringLiteral("<input type=\"Text\" name=\"Edit\" size=30><br>\r\n"));
    }

    void visibleItemsStartAgainAt20()
    {
        TFormMenus d(nullptr);
        auto *visibles = child<TStepperField>(d, "Visibles");
        QCOMPARE(visibles->text(), QStringLiteral("3"));
        visibles->setText(QStringLiteral("80"));
        QTest::mouseClick(visibles->upButton(), Qt::LeftButton);
        QCOMPARE(visibles->text(), QStringLiteral("20"));
    }

    void checkBoxCheckedWithDefaults()
    {
        TFormCases d(nullptr);
        QVERIFY(!child<QCheckBox>(d, "Coche")->isChecked());
        child<QCheckBox>(d, "Coche")->setChecked(true);
        press(d, "OKBtn");
        QCOMPARE(resultOf(d), QStringLiteral("<input type=\"checkbox\" name=\"Nom\" value=\"Valeur\" Checked>Libellé\r\n"));
    }

    void escapeCancelsAndShowingAgainForgetsTheLastOk()
    {
        TFormRadio d(nullptr);
        d.show();
        QTest::keyClick(child<QLineEdit>(d, "Libelle"), Qt::Key_Return);
        QCOMPARE(resultOf(d), QStringLiteral("<input type=\"radio\" name=\"Nom\" value=\"Valeur\">Libellé\r\n"));
        d.show();
        QCOMPARE(resultOf(d), QString());
        QTest::keyClick(child<QLineEdit>(d, "Nom"), Qt::Key_Escape);
        QVERIFY(!d.isVisible());
        QCOMPARE(resultOf(d), QString());

        TFormMemo memo(nullptr);
        memo.show();
        QTest::keyClick(child<QLineEdit>(memo, "Nom"), Qt::Key_Escape);
        QCOMPARE(resultOf(memo), QString());
    }

    void menuDefaultsAndEmptyList()
    {
        TFormMenus d(nullptr);
        QCOMPARE(menuOf(d), QStringLiteral("||"));
        d.show();
        // Enter in the list of choices confirms, as in the name field.
        QTest::keyClick(child<QPlainTextEdit>(d, "Choix"), Qt::Key_Return);
        QVERIFY(!d.isVisible());
        QCOMPARE(menuOf(d), QStringLiteral("<p><select name=\"Nom\" size=3>\r\n|"
                                           "<option>Choix1\r\n<option>Choix2\r\n<option>Choix3\r\n|</select></p>\r\n"));
        d.show();
        child<QPlainTextEdit>(d, "Choix")->clear();
        press(d, "OKBtn");
        QCOMPARE(menuOf(d), QStringLiteral("<p><select name=\"Nom\" size=3>\r\n||</select></p>\r\n"));
    }

    void choicesHoldAtMost255Characters()
    {
        TFormMenus d(nullptr);
        auto *choix = child<QPlainTextEdit>(d, "Choix");
        auto *reste = child<QLabel>(d, "ResteChoix");
        // "Choix1", "Choix2", "Choix3" and two line breaks: 22 counted.
        QCOMPARE(reste->text(), QStringLiteral("255 caractères au plus (reste : 233)"));
        choix->clear();
        QCOMPARE(reste->text(), QStringLiteral("255 caractères au plus (reste : 255)"));
        QTest::keyClick(choix, Qt::Key_A);
        QTest::keyClick(choix, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClick(choix, Qt::Key_B);
        QCOMPARE(choix->toPlainText(), QStringLiteral("a\nb"));
        // 4 counted so far (the line break counts two): room for 251 more.
        QCOMPARE(reste->text(), QStringLiteral("255 caractères au plus (reste : 251)"));
        QCOMPARE(choix->accessibleDescription(), reste->text());
        QTest::keyClicks(choix, QString(300, u'x'));
        QCOMPARE(choix->toPlainText().size(), 3 + 251);
        QCOMPARE(reste->text(), QStringLiteral("255 caractères au plus (reste : 0)"));
        QTest::keyClick(choix, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!choix->toPlainText().contains(QStringLiteral("x\n")));
        QTest::keyClick(choix, Qt::Key_Backspace);
        QCOMPARE(reste->text(), QStringLiteral("255 caractères au plus (reste : 1)"));
        QTest::keyClick(choix, Qt::Key_Y);
        QVERIFY(choix->toPlainText().endsWith(u'y'));
    }

    void characterGrid()
    {
        TCaractsDialog d(nullptr);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QTableWidget *grid = d.grid();
        QCOMPARE(grid->rowCount() * grid->columnCount(), 40);
        QCOMPARE(grid->item(0, 4)->text(), QString(QChar(0x2122)));
        auto *entite = child<QLineEdit>(d, "Entite");
        QCOMPARE(entite->focusPolicy(), Qt::ClickFocus);
        QCOMPARE(entite->text(), QString());
        clickCell(grid, 39);
        QCOMPARE(entite->text(), QStringLiteral("&nbsp;"));
        clickCell(grid, 0);
        QCOMPARE(entite->text(), QStringLiteral("&quot;"));
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Right);
        QCOMPARE(entite->text(), QStringLiteral("&amp;"));
        QTest::keyClick(grid, Qt::Key_Return);
        QVERIFY(!d.isVisible());
        QCOMPARE(resultOf(d), QStringLiteral("&amp;"));

        d.show();
        clickCell(grid, 5);
        press(d, "CancelBtn");
        QCOMPARE(resultOf(d), QString());
    }

    void smileys()
    {
        TSmileys d(nullptr);
        QCOMPARE(d.windowTitle(), QStringLiteral("Smileys"));
        QCOMPARE(d.list()->count(), 16);
        press(d, "InsererBtn");
        QCOMPARE(resultOf(d), QString()); // nothing selected
        d.list()->setCurrentRow(4);
        press(d, "InsererBtn");
        QCOMPARE(resultOf(d), QStringLiteral(":-#|"));
        d.show();
        QTest::keyClick(d.list(), Qt::Key_Escape);
        QCOMPARE(resultOf(d), QString());
    }

    // The font button: the dialog opens on the field's face (or what stands
    // in for it), and its answer is written as a family a browser knows.
    void styleFontButton_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("chosen"); // empty: confirm the preset font
        QTest::addColumn<QString>("written");
        QTest::newRow("family of one maker among several") << "Arial" << "Nimbus Sans [urw]" << "Nimbus Sans";
        QTest::newRow("installed face kept") << "Liberation Serif" << "" << "Liberation Serif";
        QTest::newRow("stand-in confirmed keeps the typed face") << "Arial" << "" << "Arial";
        QTest::newRow("stand-in with its maker keeps the typed face") << "Liberation Serif" << "Liberation Serif [1ASC]"
                                                                        << "Liberation Serif";
        QTest::newRow("empty field") << "" << "DejaVu Sans [PfEd]" << "DejaVu Sans";
        QTest::newRow("brackets inside a name") << "" << "Mono [x] Pro" << "Mono [x] Pro";
    }
    void styleFontButton()
    {
        QFETCH(QString, typed);
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        TStyle d(nullptr);
        auto *font = child<QLineEdit>(d, "Font");
        font->setText(typed);
        QString preset;
        CommonDialogs::setFontHandler([&](const QFont &initial) {
            preset = initial.family();
            QFont answer = initial;
            if (!chosen.isEmpty())
                answer.setFamily(chosen);
            return std::optional<QFont>(answer);
        });
        press(d, "FontBtn");
        QCOMPARE(font->text(), written);
        if (!typed.isEmpty()) {
            // A face the dialog can show in its list.
            QVERIFY2(QFontDatabase::families().contains(preset), qPrintable(preset));
            if (QFontDatabase::families().contains(typed))
                QCOMPARE(preset, typed);
        }
    }

    void styleEditorAppliesOneRuleAtATime()
    {
        TStyle d(nullptr);
        QCOMPARE(d.windowTitle(), QStringLiteral("Section style"));
        d.Init(QStringLiteral("h1 {font: 20 pt Verdana;color: #FF0000;margin: 1 2 3 4;background: #FFFFFF}\r\nul {x}"));
        auto *elements = child<QListWidget>(d, "Elements");
        QCOMPARE(elements->count(), 14);
        auto *font = child<QLineEdit>(d, "Font");
        auto *pt = child<QLineEdit>(d, "Pt");
        // Nothing chosen yet: Appliquer does nothing.
        press(d, "AppliquerBtn");
        QCOMPARE(d.rules().size(), 2);

        elements->setCurrentRow(4); // h1
        QCOMPARE(font->text(), QStringLiteral("Verdana"));
        QCOMPARE(pt->text(), QStringLiteral("20"));
        QCOMPARE(child<TColourSwatch>(d, "Color")->colour(), QColor(Qt::red));
        // In the order browsers read them: top, right, bottom, left.
        QCOMPARE(child<QLineEdit>(d, "Bottom")->text(), QStringLiteral("3"));
        QCOMPARE(child<QLineEdit>(d, "Left")->text(), QStringLiteral("4"));
        elements->setCurrentRow(11); // p: fields back to the defaults
        QCOMPARE(font->text(), QStringLiteral("Arial"));
        QCOMPARE(child<QLineEdit>(d, "Bottom")->text(), QString());
        QCOMPARE(child<TColourSwatch>(d, "Color")->colour(), QColor(Qt::black));

        QTest::keyClicks(pt, QStringLiteral("a2b"));
        QCOMPARE(pt->text(), QStringLiteral("102"));
        CommonDialogs::setColorHandler([](const QColor &) { return std::optional<QColor>(QColor(0, 0, 0xFF)); });
        QTest::mouseClick(child<TColourSwatch>(d, "Background"), Qt::LeftButton);
        CommonDialogs::setFontHandler([](const QFont &) {
            QFont f(QStringLiteral("Liberation Serif"));
            f.setPointSize(14);
            return std::optional<QFont>(f);
        });
        press(d, "FontBtn");
        QCOMPARE(pt->text(), QStringLiteral("14"));
        // Enter applies without closing.
        d.show();
        QTest::keyClick(pt, Qt::Key_Return);
        QVERIFY(d.isVisible());
        QCOMPARE(d.rules().size(), 3);
        QCOMPARE(d.rules().at(2), QStringLiteral("p {font: 14pt Liberation Serif;color: #000000;background: #0000FF}"));

        QCOMPARE(resultOf(d), QString());
        press(d, "OKBtn");
        QCOMPARE(resultOf(d), QStringLiteral("<style>\r\nh1 {font: 20 pt Verdana;color: #FF0000;margin: 1 2 3 4;"
                                             "background: #FFFFFF}\r\nul {x}\r\np {font: 14pt Liberation Serif;"
                                             "color: #000000;background: #0000FF}\r\n</style>"));
    }

    // Values read from a hand-written rule keep their units; only digits
    // can be typed, yet the value can be shortened or cleared.
    void styleFieldsTakeOnlyDigitsButKeepReadUnits()
    {
        TStyle d(nullptr);
        d.Init(QStringLiteral("p {margin-left: 1.5em; font-size: 13px}"));
        child<QListWidget>(d, "Elements")->setCurrentRow(11);
        auto *left = child<QLineEdit>(d, "Left");
        auto *pt = child<QLineEdit>(d, "Pt");
        QCOMPARE(left->text(), QStringLiteral("1.5em"));
        QCOMPARE(pt->text(), QStringLiteral("9.75"));
        left->setCursorPosition(3);
        QTest::keyClicks(left, QStringLiteral("x2."));
        QCOMPARE(left->text(), QStringLiteral("1.52em"));
        left->end(false);
        QTest::keyClick(left, Qt::Key_Backspace);
        QTest::keyClick(left, Qt::Key_Backspace);
        QCOMPARE(left->text(), QStringLiteral("1.52"));
        pt->selectAll();
        QTest::keyClicks(pt, QStringLiteral("a14"));
        QCOMPARE(pt->text(), QStringLiteral("14"));
        QTest::keyClicks(pt, QStringLiteral("pt"));
        QCOMPARE(pt->text(), QStringLiteral("14"));
    }

    // Pictures of every dialog for a person to look at:
    // PEMO_SHOT_DIR=/tmp/shots test_dialogs FormDialogsTest grabEveryDialog
    void grabEveryDialog()
    {
        const QString dir = qEnvironmentVariable("PEMO_SHOT_DIR");
        if (dir.isEmpty())
            QSKIP("PEMO_SHOT_DIR not set");
        QDir().mkpath(dir);
        const auto shoot = [&dir](QWidget &w, const char *name) {
            w.show();
            QTest::qWait(50);
            QVERIFY(w.grab().save(dir + u'/' + QString::fromLatin1(name) + QStringLiteral(".png")));
            w.hide();
        };
        TFormEmail email(nullptr);
        shoot(email, "form-email");
        TFormEdit edit(nullptr);
        shoot(edit, "form-edit");
        TFormMemo memo(nullptr);
        shoot(memo, "form-memo");
        TFormCases cases(nullptr);
        shoot(cases, "form-cases");
        TFormRadio radio(nullptr);
        shoot(radio, "form-radio");
        TFormMenus menus(nullptr);
        shoot(menus, "form-menus");
        TCaractsDialog caracts(nullptr);
        shoot(caracts, "caracts");
        TSmileys smileys(nullptr);
        shoot(smileys, "smileys");
        TStyle style(nullptr);
        style.Init(QStringLiteral("h1 { font: bold 16px/1.3 Georgia, serif; color: navy; text-align: center;"
                                  " margin: 10px 20px; background: #FFFF00 }"));
        child<QListWidget>(style, "Elements")->setCurrentRow(4);
        shoot(style, "style");
    }
};

PEMO_TEST(FormDialogsTest)

#include "tst_form_dialogs.moc"
