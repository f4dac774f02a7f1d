// The script dialogs, offscreen: what their fields give, what Annuler gives,
// and the previews that move while the dialog is open.
#include "testmain.h"

#include "dialogs/ColourSwatch.h"
#include "platform/CommonDialogs.h"
#include "platform/FileDialogs.h"
#include "scripts/EffectDialogs.h"
#include "scripts/PageScriptDialogs.h"
#include "scripts/ScriptEffects.h"
#include "scripts/SkeletonDialogs.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

void press(QWidget &dialog, const char *button)
{
    dialog.findChild<QPushButton *>(QString::fromLatin1(button))->click();
}

void type(QWidget &dialog, const char *field, const QString &text)
{
    auto *edit = dialog.findChild<QLineEdit *>(QString::fromLatin1(field));
    QVERIFY2(edit, field);
    edit->setText(text);
}

// Both pieces, or the one text, of any script dialog.
template <typename Dialog>
QString resultOf(Dialog &d)
{
    if constexpr (requires(Dialog &x, QString &s) { x.Result(s, s); }) {
        QString head, body;
        d.Result(head, body);
        return head + body;
    } else {
        QString text;
        d.Result(text);
        return text;
    }
}

// Answers the next file dialog with that path.
void chooseFile(const QString &path)
{
    Platform::setFileDialogHandler([path](const Platform::FileDialogRequest &) {
        Platform::FileDialogResult r;
        r.accepted = true;
        r.path = path;
        r.paths = {path};
        return r;
    });
}

// A mouse move without buttons, as the window system delivers it to the
// widget under the pointer.
void moveOver(QWidget *widget, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

} // namespace

class ScriptDialogsTest : public QObject
{
    Q_OBJECT

    template <typename Dialog>
    static void okAndCancel(QString *confirmedText, QString *cancelledText)
    {
        {
            Dialog d(nullptr);
            press(d, "OKBtn");
            *confirmedText = resultOf(d);
        }
        Dialog d(nullptr);
        press(d, "CancelBtn");
        *cancelledText = resultOf(d);
    }

private Q_SLOTS:
    void cleanup()
    {
        Platform::setFileDialogHandler({});
        CommonDialogs::setColorHandler({});
    }

    // With their defaults, OK gives a script (or, for those that need a
    // field, nothing) and Annuler always gives nothing.
    void annulerGivesNothing_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<bool>("defaultsGiveText");
        const char *names[] = {"TScript", "TBoucleFor", "TBoucleWhile", "TConditionIf", "TJava",    "TIlotxml",
                               "TDefile", "TDegrade",   "TAnime",       "TMsgalea",     "TCompte",  "TImgalea",
                               "TRollover", "TFavoris", "TImprime"};
        const bool gives[] = {true, false, false, false, true, false, true, true, true, true, true, true, true, true, true};
        for (int i = 0; i < 15; ++i)
            QTest::newRow(names[i]) << i << gives[i];
    }

    void annulerGivesNothing()
    {
        QFETCH(int, which);
        QFETCH(bool, defaultsGiveText);
        QString ok, cancelled;
        switch (which) {
        case 0: okAndCancel<TScript>(&ok, &cancelled); break;
        case 1: okAndCancel<TBoucleFor>(&ok, &cancelled); break;
        case 2: okAndCancel<TBoucleWhile>(&ok, &cancelled); break;
        case 3: okAndCancel<TConditionIf>(&ok, &cancelled); break;
        case 4: okAndCancel<TJava>(&ok, &cancelled); break;
        case 5: okAndCancel<TIlotxml>(&ok, &cancelled); break;
        case 6: okAndCancel<TDefile>(&ok, &cancelled); break;
        case 7: okAndCancel<TDegrade>(&ok, &cancelled); break;
        case 8: okAndCancel<TAnime>(&ok, &cancelled); break;
        case 9: okAndCancel<TMsgalea>(&ok, &cancelled); break;
        case 10: okAndCancel<TCompte>(&ok, &cancelled); break;
        case 11: okAndCancel<TImgalea>(&ok, &cancelled); break;
        case 12: okAndCancel<TRollover>(&ok, &cancelled); break;
        case 13: okAndCancel<TFavoris>(&ok, &cancelled); break;
        case 14: okAndCancel<TImprime>(&ok, &cancelled); break;
        }
        QCOMPARE(!ok.isEmpty(), defaultsGiveText);
        QCOMPARE(cancelled, QString());
    }

    void scriptDialogShowsAndWrapsTheSelection()
    {
        TScript d(nullptr);
        d.Init(QStringLiteral("a=1;\r\nb=2;"));
        QCOMPARE(d.findChild<QPlainTextEdit *>()->toPlainText(), QStringLiteral("a=1;\nb=2;"));
        press(d, "OKBtn");
        QString text;
        d.Result(text);
        QCOMPARE(text, QStringLiteral("<script language=\"JavaScript\">\r\n<!--\r\na=1;\r\nb=2;\r\n//-->\r\n</script>"));
    }

    void loopAndConditionFields()
    {
        TBoucleFor f(nullptr);
        type(f, "Compteur", QStringLiteral("n"));
        type(f, "ValeurInitiale", QStringLiteral("10"));
        type(f, "ValeurFinale", QStringLiteral("1"));
        f.findChild<QRadioButton *>(QStringLiteral("Decroissant"))->setChecked(true);
        press(f, "OKBtn");
        QString text;
        f.Result(text);
        QCOMPARE(text, QStringLiteral("for (n=10; n>=1; n--)\r\n{\r\n\r\n}"));

        TConditionIf c(nullptr);
        type(c, "Operande1", QStringLiteral("a"));
        type(c, "Operande2", QStringLiteral("b"));
        auto *different = c.findChild<QRadioButton *>(QStringLiteral("Operateur5"));
        QCOMPARE(different->text(), QStringLiteral(" !="));
        different->setChecked(true);
        c.findChild<QCheckBox *>(QStringLiteral("Else"))->setChecked(true);
        press(c, "OKBtn");
        c.Result(text);
        QVERIFY(text.startsWith(QStringLiteral("if (a!=b)\r\n")));
        QVERIFY(text.endsWith(QStringLiteral("else\r\n{\r\n\r\n}")));

        // Tab walks the fields in the order they stand: the operators come
        // between the two operands.
        TConditionIf order(nullptr);
        order.show();
        QVERIFY(QTest::qWaitForWindowActive(&order));
        auto *first = order.findChild<QLineEdit *>(QStringLiteral("Operande1"));
        first->setFocus();
        QTest::keyClick(first, Qt::Key_Tab);
        QVERIFY(order.findChild<QWidget *>(QStringLiteral("Operateur"))->isAncestorOf(QApplication::focusWidget()));
        order.close();

        TBoucleWhile w(nullptr);
        type(w, "Operande1", QStringLiteral("i"));
        type(w, "Operande2", QStringLiteral("10"));
        press(w, "OKBtn");
        w.Result(text);
        QCOMPARE(text, QString()); // no operator chosen
    }

    void keywordPickerClosing()
    {
        {
            TMotsCle d(nullptr);
            QCOMPARE(d.list()->count(), 29);
            QCOMPARE(d.selectedEntry(), QString());
            d.show();
            d.list()->setFocus();
            d.list()->setCurrentRow(4);
            QTest::keyClick(d.list(), Qt::Key_Return);
            QVERIFY(!d.isVisible());
            QCOMPARE(d.selectedEntry(), QStringLiteral("break"));
        }
        {
            TMotsCle d(nullptr);
            d.show();
            d.list()->setCurrentRow(7);
            QTest::keyClick(d.list(), Qt::Key_Escape);
            QVERIFY(!d.isVisible());
            QCOMPARE(d.selectedEntry(), QString());
        }
        {
            TMotsCle d(nullptr);
            d.show();
            d.list()->setCurrentRow(2);
            QTest::mouseClick(&d, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
            QVERIFY(!d.isVisible());
            QCOMPARE(d.selectedEntry(), QStringLiteral("}"));
        }
    }

    void chosenFilesAreMadeRelative()
    {
        TJava j(nullptr);
        j.Init(QStringLiteral("/site/pages/"));
        chooseFile(QStringLiteral("/site/classes/Anim.class"));
        press(j, "Parcourir");
        QCOMPARE(j.findChild<QLineEdit *>(QStringLiteral("Applet"))->text(), QStringLiteral("/site/classes/Anim.class"));
        press(j, "OKBtn");
        QString text;
        j.Result(text);
        QCOMPARE(text, QStringLiteral("<applet code=\"Anim.class\" codebase=\"../classes\" \r\n"
                                      "height=\"300\" width=\"300\">\r\n</applet>"));

        TIlotxml x(nullptr);
        x.Init(QStringLiteral("/site/pages/"));
        chooseFile(QStringLiteral("/site/pages/donnees/d.xml"));
        press(x, "Parcourir");
        QCOMPARE(x.findChild<QLineEdit *>(QStringLiteral("URL"))->text(), QStringLiteral("donnees/d.xml"));
    }

    void scrollingPreviewRotatesEvery300ms()
    {
        TDefile d(nullptr);
        type(d, "Message", QStringLiteral("Bonjour"));
        QCOMPARE(d.preview()->text(), QStringLiteral("Bonjour - "));
        QCOMPARE(d.timer()->interval(), 300);
        d.show();
        QTRY_COMPARE(d.preview()->text(), QStringLiteral("onjour - B"));
        QTRY_COMPARE(d.preview()->text(), QStringLiteral("njour - Bo"));
        type(d, "Message", QStringLiteral("Salut"));
        QCOMPARE(d.preview()->text(), QStringLiteral("Salut - "));
    }

    void animatedPreviewMovesTheCapital()
    {
        TAnime d(nullptr);
        type(d, "Message", QStringLiteral("Abc"));
        QCOMPARE(d.timer()->interval(), 250);
        d.show();
        QCOMPARE(d.preview()->text(), QStringLiteral("Abc"));
        QTRY_COMPARE(d.preview()->text(), QStringLiteral("aBc"));
        QTRY_COMPARE(d.preview()->text(), QStringLiteral("abC"));
        QTRY_COMPARE(d.preview()->text(), QStringLiteral("Abc"));
    }

    void gradientPreviewDrawsEachCharacterInItsColour()
    {
        TDegrade d(nullptr);
        type(d, "Message", QString());
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        const QImage blank = d.grab().toImage();

        type(d, "Message", QStringLiteral("W"));
        const QImage one = d.grab().toImage();
        QVERIFY(one != blank);
        // The one character is drawn in the start colour, blue, below y=110.
        bool blue = false;
        for (int y = TDegrade::previewY; y < TDegrade::previewY + 20 && !blue; ++y)
            for (int x = TDegrade::previewX; x < TDegrade::previewX + 20 && !blue; ++x)
                blue = one.pixelColor(x, y) == QColor(0, 0, 255);
        QVERIFY(blue);

        // A click on a swatch redraws with the colour picked.
        CommonDialogs::setColorHandler([](const QColor &) { return std::optional<QColor>(QColor(0, 128, 0)); });
        d.findChild<TColourSwatch *>(QStringLiteral("CouleurDebut"))->click();
        press(d, "OKBtn");
        QString head, body;
        d.Result(head, body);
        QVERIFY(body.contains(QStringLiteral("degrade(0,128,0,255,0,0,\"W\");")));
    }

    void rolloverBoxSwapsUnderTheMouse()
    {
        QTemporaryDir dir;
        QImage red(8, 8, QImage::Format_RGB32), green(8, 8, QImage::Format_RGB32);
        red.fill(Qt::red);
        green.fill(Qt::green);
        QVERIFY(red.save(dir.filePath(QStringLiteral("logo1.gif")), "PNG"));
        QVERIFY(green.save(dir.filePath(QStringLiteral("logo2.gif")), "PNG"));
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir.path());

        TRollover d(nullptr);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        chooseFile(dir.filePath(QStringLiteral("logo2.gif")));
        press(d, "Parcourir2");
        chooseFile(dir.filePath(QStringLiteral("logo1.gif")));
        press(d, "Parcourir1");
        QDir::setCurrent(old);
        QCOMPARE(d.findChild<QLineEdit *>(QStringLiteral("Image1"))->text(), QStringLiteral("logo1.gif"));
        QCOMPARE(d.shownPicture(), 1);
        QCOMPARE(d.previewBox()->size(), QSize(40, 40));

        moveOver(d.previewBox(), QPoint(20, 20));
        QCOMPARE(d.shownPicture(), 2);
        moveOver(d.previewBox(), QPoint(30, 30));
        QCOMPARE(d.shownPicture(), 2);
        moveOver(&d, QPoint(2, 2));
        QCOMPARE(d.shownPicture(), 1);

        press(d, "OKBtn");
        QString head, body;
        d.Result(head, body);
        QVERIFY(head.contains(QStringLiteral("logo_a['over']=new Image(40,40);\r\nlogo_a['over'].src=\"logo2.gif\";")));
        QVERIFY(body.contains(QStringLiteral("<img name=\"logo\" src=\"logo1.gif\"")));
    }

    void randomPictureCountsTheFilledFields()
    {
        TImgalea d(nullptr);
        type(d, "Image1", QStringLiteral("a.gif"));
        type(d, "Image5", QStringLiteral("e.gif"));
        press(d, "OKBtn");
        QString head, body;
        d.Result(head, body);
        QVERIFY(head.contains(QStringLiteral("img=new makeArray(5);")));
        QVERIFY(head.contains(QStringLiteral("img[5]=\"e.gif\";")));
        QVERIFY(!head.contains(QStringLiteral("img[4]")));
    }

    // Set PEMO_SHOT_DIR to see every dialog on screen for a moment, with
    // pictures of them kept there (two of each moving preview).
    void everyDialogOnScreen()
    {
        const QString dir = qEnvironmentVariable("PEMO_SHOT_DIR");
        if (dir.isEmpty())
            QSKIP("only for a look: set PEMO_SHOT_DIR");
        const auto look = [&dir](QDialog &d, const char *name, int shots, std::function<void(int)> before = {}) {
            d.show();
            QVERIFY(QTest::qWaitForWindowExposed(&d));
            for (int i = 0; i < shots; ++i) {
                if (before)
                    before(i);
                QTest::qWait(700);
                d.grab().save(dir + u'/' + QLatin1String(name) + QString::number(i) + QStringLiteral(".png"));
            }
            d.close();
        };
        TScript script(nullptr);
        script.Init(QStringLiteral("alert('Bonjour');"));
        look(script, "script", 1);
        TBoucleFor boucleFor(nullptr);
        look(boucleFor, "for", 1);
        TBoucleWhile boucleWhile(nullptr);
        look(boucleWhile, "while", 1);
        TConditionIf conditionIf(nullptr);
        look(conditionIf, "if", 1);
        TMotsCle motsCle(nullptr);
        look(motsCle, "motscle", 1);
        TJava java(nullptr);
        look(java, "applet", 1);
        TIlotxml ilot(nullptr);
        look(ilot, "ilot", 1);
        TDefile defile(nullptr);
        look(defile, "defile", 2);
        TDegrade degrade(nullptr);
        look(degrade, "degrade", 1);
        TAnime anime(nullptr);
        look(anime, "anime", 2);
        TMsgalea msgalea(nullptr);
        look(msgalea, "msgalea", 1);
        TCompte compte(nullptr);
        look(compte, "compte", 1);
        TImgalea imgalea(nullptr);
        look(imgalea, "imgalea", 1);
        QTemporaryDir pictures;
        QImage red(40, 40, QImage::Format_RGB32), blue(40, 40, QImage::Format_RGB32);
        red.fill(Qt::red);
        blue.fill(Qt::blue);
        red.save(pictures.filePath(QStringLiteral("rouge.png")));
        blue.save(pictures.filePath(QStringLiteral("bleu.png")));
        TRollover rollover(nullptr);
        look(rollover, "rollover", 3, [&](int shot) {
            if (shot == 0) {
                chooseFile(pictures.filePath(QStringLiteral("bleu.png")));
                press(rollover, "Parcourir2");
                chooseFile(pictures.filePath(QStringLiteral("rouge.png")));
                press(rollover, "Parcourir1");
            }
            QTest::mouseMove(shot == 1 ? static_cast<QWidget *>(rollover.previewBox()) : &rollover,
                             shot == 1 ? QPoint(20, 20) : QPoint(5, 5));
        });
        TFavoris favoris(nullptr);
        look(favoris, "favoris", 1);
        TImprime imprime(nullptr);
        look(imprime, "imprime", 1);
    }

    void countDownStartsToday()
    {
        TCompte d(nullptr);
        QCOMPARE(d.findChild<QDateEdit *>()->date(), QDate::currentDate());
        d.findChild<QDateEdit *>()->setDate(QDate(2026, 3, 7));
        press(d, "OKBtn");
        QString text;
        d.Result(text);
        QVERIFY(text.contains(QStringLiteral("Date.parse(\"Mar 7,2026 GMT\")")));
        QVERIFY(text.contains(QStringLiteral("jours avant le 7 mars 2026\");")));
    }
};

PEMO_TEST(ScriptDialogsTest)
#include "tst_script_dialogs.moc"
