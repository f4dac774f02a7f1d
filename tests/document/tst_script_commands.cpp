// The script commands of the document window: where the code lands, where
// the caret is left, and when the undo snapshot is taken.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "document/FragmentInsertion.h"
#include "platform/FileDialogs.h"
#include "platform/Messages.h"
#include "scripts/EffectDialogs.h"
#include "scripts/PageScriptDialogs.h"
#include "scripts/ScriptEffects.h"
#include "scripts/SkeletonDialogs.h"

#include <QCheckBox>
#include <QTemporaryDir>
#include <QImage>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// The next dialog shown by a command goes to `fill`, which closes it.
void answerWith(std::function<void(QDialog &)> fill)
{
    Fragment::setModalRunner([fill](QDialog &d) { fill(d); });
}

void press(QWidget &dialog, const char *button)
{
    dialog.findChild<QPushButton *>(QString::fromLatin1(button))->click();
}

void type(QWidget &dialog, const char *field, const QString &text)
{
    dialog.findChild<QLineEdit *>(QString::fromLatin1(field))->setText(text);
}

const QStringList page{QStringLiteral("<html>"), QStringLiteral("<head>"), QStringLiteral("<title>t</title>"),
                       QStringLiteral("</head>"), QStringLiteral("<body>"), QStringLiteral("ici"),
                       QStringLiteral("</body>"), QStringLiteral("</html>")};

// The page with the caret at the start of "ici".
void openPage(TEditeur &e, const QStringList &lines = page)
{
    e.Memo1->SetLines(lines);
    const QString text = e.Memo1->Text();
    e.Memo1->SetSelStart(int(text.indexOf(QStringLiteral("ici"))));
}

// Text that the caret stands before, up to the end of its line.
QString atCaret(TEditeur &e)
{
    const QString text = e.Memo1->Text();
    const int at = e.Memo1->SelStart();
    return text.mid(at, text.indexOf(u'\r', at) - at);
}

} // namespace

class ScriptCommandsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        Fragment::setModalRunner({});
        Platform::setMessageHandler({});
    }

    void loopsLeaveTheCaretInTheLastBody_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("inserted");
        QTest::newRow("decreasing for") << 0 << "for (n=10; n>=1; n--)\r\n{\r\n\r\n}";
        QTest::newRow("while") << 1 << "while (i<10)\r\n{\r\n\r\n}";
        QTest::newRow("if with else: the else body") << 2
                                                     << "if (a!=b)\r\n{\r\n\r\n}\r\nelse\r\n{\r\n\r\n}";
    }

    void loopsLeaveTheCaretInTheLastBody()
    {
        QFETCH(int, command);
        QFETCH(QString, inserted);
        TEditeur e(nullptr);
        e.Memo1->SetLines({QStringLiteral("ab")});
        e.Memo1->SetSelStart(1);
        answerWith([command](QDialog &d) {
            if (command == 0) {
                type(d, "Compteur", QStringLiteral("n"));
                type(d, "ValeurInitiale", QStringLiteral("10"));
                type(d, "ValeurFinale", QStringLiteral("1"));
                d.findChild<QRadioButton *>(QStringLiteral("Decroissant"))->setChecked(true);
            } else {
                type(d, "Operande1", command == 1 ? QStringLiteral("i") : QStringLiteral("a"));
                type(d, "Operande2", command == 1 ? QStringLiteral("10") : QStringLiteral("b"));
                d.findChild<QRadioButton *>(command == 1 ? QStringLiteral("Operateur1") : QStringLiteral("Operateur5"))
                    ->setChecked(true);
                if (command == 2)
                    d.findChild<QCheckBox *>(QStringLiteral("Else"))->setChecked(true);
            }
            press(d, "OKBtn");
        });
        command == 0 ? e.JsFor() : command == 1 ? e.JsWhile() : e.JsIf();
        QCOMPARE(e.Memo1->Text(), QStringLiteral("a") + inserted + QStringLiteral("b\r\n"));
        // On the empty line just before the last "}".
        QCOMPARE(e.Memo1->SelStart(), 1 + int(inserted.size()) - 3);
        QCOMPARE(atCaret(e), QString());
        QCOMPARE(e.Memo1->Text().mid(e.Memo1->SelStart() + 2, 1), QStringLiteral("}"));
    }

    void whileWithoutOperatorInsertsNothing()
    {
        TEditeur e(nullptr);
        openPage(e);
        answerWith([](QDialog &d) {
            type(d, "Operande1", QStringLiteral("i"));
            press(d, "OKBtn");
        });
        e.JsWhile();
        QCOMPARE(e.Memo1->Lines(), page);
    }

    void scriptWrapsTheSelectionCaretInTheCode_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("caretAfterStart");
        QTest::newRow("selection: after the first character") << "ici" << "ici" << 39;
        QTest::newRow("empty area: start of the empty line") << "" << "" << 38;
    }

    void scriptWrapsTheSelectionCaretInTheCode()
    {
        QFETCH(QString, selected);
        QFETCH(QString, code);
        QFETCH(int, caretAfterStart);
        TEditeur e(nullptr);
        openPage(e);
        const int start = e.Memo1->SelStart();
        e.Memo1->SetSelLength(int(selected.size()));
        answerWith([selected](QDialog &d) {
            QCOMPARE(d.findChild<QPlainTextEdit *>()->toPlainText(), selected);
            press(d, "OKBtn");
        });
        e.JsScript();
        QCOMPARE(e.Memo1->Line(5), QStringLiteral("<script language=\"JavaScript\">"));
        QCOMPARE(e.Memo1->Line(7), code);
        QCOMPARE(e.Memo1->SelStart(), start + caretAfterStart);
    }

    void keywordReplacesTheSelection()
    {
        TEditeur e(nullptr);
        openPage(e);
        e.Memo1->SetSelLength(3);
        answerWith([](QDialog &d) {
            auto &picker = static_cast<TMotsCle &>(d);
            picker.list()->setCurrentRow(17);
            picker.list()->currentItem()->setSelected(true);
            picker.accept();
        });
        e.JsCles();
        QCOMPARE(e.Memo1->Line(5), QStringLiteral("Math.random()"));
    }

    void appletCaretGoesPastTheFollowingLineBreak()
    {
        TEditeur e(nullptr);
        openPage(e);
        e.Memo1->SetSelLength(3);
        const int start = e.Memo1->SelStart();
        answerWith([](QDialog &d) {
            type(d, "Applet", QStringLiteral("Anim.class"));
            press(d, "OKBtn");
        });
        e.Applet();
        const QString element = QStringLiteral("<applet code=\"Anim.class\" height=\"300\" width=\"300\">\r\n</applet>");
        QCOMPARE(e.Memo1->Text().mid(start, element.size()), element);
        QCOMPARE(e.Memo1->SelStart(), start + int(element.size()) + 2);
        QCOMPARE(atCaret(e), QStringLiteral("</body>"));
    }

    void xmlIslandWithoutIdDeletesTheSelection()
    {
        TEditeur e(nullptr);
        openPage(e);
        e.Memo1->SetSelLength(3);
        answerWith([](QDialog &d) { press(d, "OKBtn"); });
        e.Ilot();
        QCOMPARE(e.Memo1->Line(5), QString());
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), page);
    }

    void cancelledXmlIslandKeepsTheSelection_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Annuler") << false;
        QTest::newRow("Escape") << true;
    }
    void cancelledXmlIslandKeepsTheSelection()
    {
        QFETCH(bool, escape);
        TEditeur e(nullptr);
        openPage(e);
        const int start = e.Memo1->SelStart();
        e.Memo1->SetSelLength(3);
        answerWith([escape](QDialog &d) {
            type(d, "ID", QStringLiteral("donnees"));
            if (escape)
                QTest::keyClick(&d, Qt::Key_Escape);
            else
                press(d, "CancelBtn");
        });
        e.Ilot();
        QCOMPARE(e.Memo1->Lines(), page);
        QCOMPARE(e.Memo1->SelStart(), start);
        QCOMPARE(e.Memo1->SelLength(), 3);
    }

    void headPieceGoesBeforeTheHeadsEnd_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("headLine");
        QTest::newRow("lower case </head>") << page << 3;
        QStringList upper = page;
        upper[3] = QStringLiteral("</HEAD><BODY>");
        QTest::newRow("upper case, shared line") << upper << 3;
        QStringList none = page;
        none.remove(0, 4);
        QTest::newRow("no head: body piece only") << none << -1;
    }

    void headPieceGoesBeforeTheHeadsEnd()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, headLine);
        TEditeur e(nullptr);
        openPage(e, lines);
        e.Memo1->SetSelLength(3);
        answerWith([](QDialog &d) {
            type(d, "Message", QStringLiteral("Bonjour"));
            press(d, "OKBtn");
        });
        e.JsDefile();
        const ScriptEffects::Pieces pieces = ScriptEffects::scrollingMessage(QStringLiteral("Bonjour"), true);
        QString expected = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
        const int caret = int(expected.indexOf(QStringLiteral("ici"))) + int(pieces.body.size());
        expected.replace(QStringLiteral("ici"), pieces.body);
        if (headLine >= 0) {
            // Lines of their own; the head piece's final line break leaves an
            // empty line before the head's end.
            const int at = int(QStringList(lines.mid(0, headLine)).join(QStringLiteral("\r\n")).size()) + 2;
            expected.insert(at, pieces.head + QStringLiteral("\r\n"));
        }
        QCOMPARE(e.Memo1->Text(), expected);
        // The caret stays after the body piece.
        QCOMPARE(e.Memo1->SelStart(), caret + (headLine >= 0 ? int(pieces.head.size()) + 2 : 0));
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), lines);
    }

    // Annuler in a generator takes no snapshot: "&Annuler" afterwards still
    // goes back to the state before the previous command.
    void cancelledGeneratorTakesNoSnapshot_data()
    {
        QTest::addColumn<int>("command");
        const char *names[] = {"JsDefile", "JsDegrade", "JsAnime", "JsMessalea", "JsCompte",
                               "JsImgalea", "JsRollover", "JsFavoris", "JsImprime", "JsCookie"};
        for (int i = 0; i < 10; ++i)
            QTest::newRow(names[i]) << i;
    }

    void cancelledGeneratorTakesNoSnapshot()
    {
        QFETCH(int, command);
        TEditeur e(nullptr);
        openPage(e);
        e.Memorise();
        e.Memo1->SetSelText(QStringLiteral("tapé "));
        const QStringList typed = e.Memo1->Lines();
        answerWith([](QDialog &d) { press(d, "CancelBtn"); });
        int boxes = 0;
        Platform::setMessageHandler([&boxes](const Platform::MessageRecord &r) {
            ++boxes;
            [&] {
                QCOMPARE(r.text, QStringLiteral("Insérer le script cookie ?"));
                QCOMPARE(r.title, QStringLiteral("Confirmation"));
            }();
            return Platform::Answer::Cancel;
        });
        switch (command) {
        case 0: e.JsDefile(); break;
        case 1: e.JsDegrade(); break;
        case 2: e.JsAnime(); break;
        case 3: e.JsMessalea(); break;
        case 4: e.JsCompte(); break;
        case 5: e.JsImgalea(); break;
        case 6: e.JsRollover(); break;
        case 7: e.JsFavoris(); break;
        case 8: e.JsImprime(); break;
        default: e.JsCookie(); break;
        }
        QCOMPARE(boxes, command == 9 ? 1 : 0);
        QCOMPARE(e.Memo1->Lines(), typed);
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), page);
    }

    // Pictures are named from the page's folder, where its browser looks
    // for them, whatever the program's working folder; an unsaved page
    // names them from the working folder.
    void chosenPicturesAreRelativeToThePage_data()
    {
        QTest::addColumn<bool>("rollover");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("written");
        QTest::newRow("rollover, saved page") << true << true << "../images/bouton1.gif";
        QTest::newRow("rollover, unsaved page") << true << false << "site/images/bouton1.gif";
        QTest::newRow("image aléatoire, saved page") << false << true << "../images/bouton1.gif";
        QTest::newRow("image aléatoire, unsaved page") << false << false << "site/images/bouton1.gif";
    }
    void chosenPicturesAreRelativeToThePage()
    {
        QFETCH(bool, rollover);
        QFETCH(bool, saved);
        QFETCH(QString, written);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("site/pages")));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("site/images")));
        const QString picture = dir.filePath(QStringLiteral("site/images/bouton1.gif"));
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(picture, "PNG"));
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir.path());
        TEditeur e(nullptr);
        if (saved) {
            QFile file(dir.filePath(QStringLiteral("site/pages/page.htm")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(page.join(QStringLiteral("\r\n")).toLatin1());
            file.close();
            e.OpenFile(file.fileName());
        }
        openPage(e);
        Platform::setFileDialogHandler([picture](const Platform::FileDialogRequest &) {
            Platform::FileDialogResult r;
            r.accepted = true;
            r.path = picture;
            r.paths = {picture};
            return r;
        });
        answerWith([](QDialog &d) {
            press(d, "Parcourir1");
            press(d, "OKBtn");
        });
        rollover ? e.JsRollover() : e.JsImgalea();
        Platform::setFileDialogHandler({});
        QDir::setCurrent(old);
        const QString text = e.Memo1->Text();
        QVERIFY2(text.contains(rollover ? QStringLiteral("src=\"") + written + u'"'
                                        : QStringLiteral("img[1]=\"") + written + u'"'),
                 qPrintable(text));
    }

    void cookieConfirmedPlacesBothPieces()
    {
        TEditeur e(nullptr);
        openPage(e);
        e.Memo1->SetSelLength(3);
        Platform::setMessageHandler([](const Platform::MessageRecord &) { return Platform::Answer::Ok; });
        e.JsCookie();
        const ScriptEffects::Pieces pieces = ScriptEffects::visitorCookie();
        QCOMPARE(e.Memo1->Text(), QStringLiteral("<html>\r\n<head>\r\n<title>t</title>\r\n") + pieces.head
                                      + QStringLiteral("\r\n</head>\r\n<body>\r\n") + pieces.body
                                      + QStringLiteral("\r\n</body>\r\n</html>\r\n"));
    }

    void printDefaultIsTheButton()
    {
        TEditeur e(nullptr);
        openPage(e);
        answerWith([](QDialog &d) { press(d, "OKBtn"); });
        e.JsImprime();
        QVERIFY(e.Memo1->Line(5).startsWith(QStringLiteral("<input type=\"button\" value=\"Imprimer\"")));
        QCOMPARE(e.Memo1->Line(6), QStringLiteral("ici"));
    }
};

PEMO_TEST(ScriptCommandsTest)
#include "tst_script_commands.moc"
