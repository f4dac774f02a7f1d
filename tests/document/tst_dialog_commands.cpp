// The document options and structure commands: snapshot, dialog, and what
// lands in the source pane.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "dialogs/BaliseDialog.h"
#include "dialogs/HRDialog.h"
#include "dialogs/LienAncreDialog.h"
#include "dialogs/ListDialog.h"
#include "dialogs/MailboxDialog.h"
#include "dialogs/StartDialog.h"
#include "dialogs/StepperField.h"
#include "dialogs/TableauDialog.h"
#include "document/Childwin.h"
#include "document/FragmentInsertion.h"
#include "platform/Errors.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace {

// The next dialog a command shows is handed to `fill`, which closes it.
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

// "un mot ici" with "mot" selected.
void selectMot(TEditeur &e)
{
    e.Memo1->SetLines({QStringLiteral("un mot ici")});
    e.Memo1->Select(3, 3);
}

} // namespace

class DialogCommandsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { Fragment::setModalRunner({}); }

    void optionsConfirmedUnchangedKeepsTheTemplate()
    {
        TEditeur e(nullptr);
        pressOk<TStartDialog>();
        e.Options();
        QCOMPARE(e.Memo1->Lines(), TEditeur::pageTemplate());
    }

    void optionsRewritesTheTitleInPlace()
    {
        TEditeur e(nullptr);
        e.Memo1->SetSelStart(e.Memo1->TextLength());
        answer<TStartDialog>([](TStartDialog &d) {
            QCOMPARE(d.findChild<QLineEdit *>(QStringLiteral("Titre"))->text(), QString());
            d.findChild<QLineEdit *>(QStringLiteral("Titre"))->setText(QStringLiteral("Ma page"));
            press(d, "OKBtn");
        });
        e.Options();
        QStringList expected = TEditeur::pageTemplate();
        expected[2] = QStringLiteral("<title>Ma page</title>");
        QCOMPARE(e.Memo1->Lines(), expected);
        QCOMPARE(e.Memo1->SelStart(), e.Memo1->TextLength());
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), TEditeur::pageTemplate());
    }

    void optionsCancelledChangesNothing()
    {
        TEditeur e(nullptr);
        answer<TStartDialog>([](TStartDialog &d) {
            d.findChild<QLineEdit *>(QStringLiteral("Titre"))->setText(QStringLiteral("Ma page"));
            press(d, "CancelBtn");
        });
        e.Options();
        QCOMPARE(e.Memo1->Lines(), TEditeur::pageTemplate());
    }

    void tableReplacesTheSelection()
    {
        TEditeur e(nullptr);
        selectMot(e);
        pressOk<TTableauDialog>();
        e.Tableau();
        QCOMPARE(e.Memo1->Text(),
                 QStringLiteral("un <table border=1>\r\n<tr>\r\n<td>Cellule11</td>\r\n<td>Cellule12</td>\r\n</tr>\r\n"
                                "<tr>\r\n<td>Cellule21</td>\r\n<td>Cellule22</td>\r\n</tr>\r\n</table> ici\r\n"));
        QCOMPARE(e.Memo1->SelLength(), 0);
    }

    void cancelledTableOrListKeepsTheSelection_data()
    {
        QTest::addColumn<bool>("list");
        QTest::newRow("table") << false;
        QTest::newRow("list") << true;
    }
    void cancelledTableOrListKeepsTheSelection()
    {
        QFETCH(bool, list);
        TEditeur e(nullptr);
        selectMot(e);
        if (list) {
            pressCancel<TListDialog>();
            e.Liste();
        } else {
            pressCancel<TTableauDialog>();
            e.Tableau();
        }
        QCOMPARE(e.Memo1->Lines(), QStringList({QStringLiteral("un mot ici")}));
        QCOMPARE(e.Memo1->SelStart(), 3);
        QCOMPARE(e.Memo1->SelLength(), 3);
    }

    void conversionErrorInsertsNothing()
    {
        TEditeur e(nullptr);
        e.Memo1->SetLines({QStringLiteral("avant")});
        e.Memorise();
        selectMot(e);
        answer<TListDialog>([](TListDialog &d) {
            d.findChild<TStepperField *>(QStringLiteral("Nombre"))->setText(QStringLiteral("deux"));
            press(d, "OKBtn");
        });
        try {
            e.Liste();
            QFAIL("no error");
        } catch (const Platform::PemoError &error) {
            QCOMPARE(error.message(), QStringLiteral("'deux' n'est pas une valeur entière correcte"));
        }
        QCOMPARE(e.Memo1->Text(), QStringLiteral("un mot ici\r\n"));
        // The snapshot was taken before the dialog.
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), QStringList({QStringLiteral("un mot ici")}));
    }

    void ruleOnlyWhenConfirmed()
    {
        TEditeur e(nullptr);
        selectMot(e);
        pressCancel<THR>();
        e.Horizontal();
        QCOMPARE(e.Memo1->SelText(), QStringLiteral("mot"));
        pressOk<THR>();
        e.Horizontal();
        QCOMPARE(e.Memo1->Lines(), QStringList({QStringLiteral("un <hr> ici")}));
    }

    void anchorLinkAroundTheSelection()
    {
        TEditeur e(nullptr);
        e.Memo1->SetLines({QStringLiteral("<a name=\"haut\"></a>"), QStringLiteral("un mot ici")});
        e.Memo1->Select(21 + 3, 3);
        QCOMPARE(e.Memo1->SelText(), QStringLiteral("mot"));
        pressCancel<TLienAncre>();
        e.LienAncrage();
        QCOMPARE(e.Memo1->Line(1), QStringLiteral("un mot ici"));
        pressOk<TLienAncre>();
        e.LienAncrage();
        QCOMPARE(e.Memo1->Line(1), QStringLiteral("un <a href=\"#haut\">mot</A> ici"));
    }

    void mailLinkAroundTheSelection()
    {
        TEditeur e(nullptr);
        selectMot(e);
        pressCancel<TMailbox>();
        e.LienMail();
        QCOMPARE(e.Memo1->Lines(), QStringList({QStringLiteral("un mot ici")}));
        answer<TMailbox>([](TMailbox &d) {
            d.findChild<QLineEdit *>(QStringLiteral("Adresse"))->setText(QStringLiteral("moi@exemple.fr"));
            press(d, "OKBtn");
        });
        e.LienMail();
        QCOMPARE(e.Memo1->Lines(), QStringList({QStringLiteral("un <a href=\"mailto:moi@exemple.fr\">mot</a> ici")}));
    }

    void tagPicker_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("line");
        QTest::newRow("pair") << "<b> </b>" << "un <b>mot</b> ici";
        QTest::newRow("single") << "<br>" << "un mot<br> ici";
        QTest::newRow("input") << "<input type=checkbox>" << "un mot<input type=checkbox> ici";
    }
    void tagPicker()
    {
        QFETCH(QString, entry);
        QFETCH(QString, line);
        TEditeur e(nullptr);
        selectMot(e);
        answer<TFBalise>([entry](TFBalise &d) {
            const auto items = d.list()->findItems(entry, Qt::MatchExactly);
            QCOMPARE(items.size(), 1);
            d.list()->setCurrentItem(items.first());
            QTest::keyClick(d.list(), Qt::Key_Return);
        });
        e.Balises();
        QCOMPARE(e.Memo1->Lines(), QStringList({line}));
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), QStringList({QStringLiteral("un mot ici")}));
    }

    void tagPickerEscapeTakesNoSnapshot()
    {
        TEditeur e(nullptr);
        e.Memo1->SetLines({QStringLiteral("avant")});
        e.Memorise();
        selectMot(e);
        answer<TFBalise>([](TFBalise &d) {
            d.list()->setCurrentRow(3);
            QTest::keyClick(d.list(), Qt::Key_Escape);
        });
        e.Balises();
        QCOMPARE(e.Memo1->Lines(), QStringList({QStringLiteral("un mot ici")}));
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), QStringList({QStringLiteral("avant")}));
    }

    // The real modal loop once, as a person would meet it.
    void tableThroughTheModalLoop()
    {
        TEditeur e(nullptr);
        e.show();
        selectMot(e);
        QTimer::singleShot(0, [&e] {
            auto *d = qobject_cast<TTableauDialog *>(QApplication::activeModalWidget());
            QVERIFY(d);
            QCOMPARE(d->parentWidget(), &e);
            d->findChild<TStepperField *>(QStringLiteral("Lignes"))->setText(QStringLiteral("1"));
            d->findChild<TStepperField *>(QStringLiteral("Colonnes"))->setText(QStringLiteral("1"));
            QTest::keyClick(d->findChild<TStepperField *>(QStringLiteral("Bordure"))->edit(), Qt::Key_Return);
        });
        e.Tableau();
        QCOMPARE(e.Memo1->Text(),
                 QStringLiteral("un <table border=1>\r\n<tr>\r\n<td>Cellule11</td>\r\n</tr>\r\n</table> ici\r\n"));
    }
};

PEMO_TEST(DialogCommandsTest)
#include "tst_dialog_commands.moc"
