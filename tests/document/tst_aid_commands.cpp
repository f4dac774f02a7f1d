// The writing aids' commands on a document window: the typography fixes
// are one "Annuler", chosen rows only are fixed, the validation window puts
// the caret at a message, and a switched-off aid only says so.
#include "testmain.h"
#include "tst_text_modal.h"

#include "aids/AidSettings.h"
#include "colormemo/ColMemo.h"
#include "document/AidCommands.h"
#include "document/AidDialogs.h"
#include "document/Childwin.h"
#include "platform/Messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTimer>

using TextCommandsTesting::whenModal;

class AidCommandsTest : public QObject
{
    Q_OBJECT
    QStringList m_messages;

private Q_SLOTS:
    void init()
    {
        m_messages.clear();
        Platform::setMessageHandler([this](const Platform::MessageRecord &m) {
            m_messages << m.text;
            return Platform::Answer::Ok;
        });
        AidSettings::setValidationOn(true);
        AidSettings::setTypographyOn(true);
    }
    void cleanup() { Platform::setMessageHandler({}); }

    void fixAllIsOneUndo()
    {
        TEditeur e(nullptr);
        const QStringList lines = {"<p>Bonjour !</p>", "<p title=\"x!\">« Oui » : 10:30&nbsp;?</p>"};
        e.Init(lines);
        const QString before = e.page()->Text();
        whenModal<TTypographyDialog>([](TTypographyDialog *d) {
            QCOMPARE(d->grid()->rowCount(), 5);
            // The hint (&nbsp; before ?) is offered unchecked.
            QCOMPARE(d->grid()->item(4, 0)->checkState(), Qt::Unchecked);
            d->findChild<QPushButton *>("ToutCorriger")->click();
        });
        AidCommands::typography(e);
        const QString nbsp(QChar(0xA0));
        QCOMPARE(e.Memo1->Lines(), QStringList({"<p>Bonjour&#8239;!</p>", "<p title=\"x!\">«" + nbsp + "Oui" + nbsp + "»"
                                                                            + nbsp + ": 10:30&#8239;?</p>"}));
        e.Annuler();
        QCOMPARE(e.page()->Text(), before);
        QCOMPARE(e.Memo1->Lines(), lines);
    }

    void checkedRowsOnly()
    {
        TEditeur e(nullptr);
        e.Init({"Un! Deux!"});
        whenModal<TTypographyDialog>([](TTypographyDialog *d) {
            d->grid()->item(0, 0)->setCheckState(Qt::Unchecked);
            d->findChild<QPushButton *>("Corriger")->click();
        });
        AidCommands::typography(e);
        QCOMPARE(e.Memo1->Lines(), QStringList({"Un! Deux&#8239;!"}));
    }

    void closingChangesNothing()
    {
        TEditeur e(nullptr);
        e.Init({"Un!"});
        whenModal<TTypographyDialog>([](TTypographyDialog *d) { d->findChild<QPushButton *>("Fermer")->click(); });
        AidCommands::typography(e);
        QCOMPARE(e.Memo1->Lines(), QStringList({"Un!"}));
        QVERIFY(!e.page()->Modified());
    }

    void validationWindowPlacesTheCaret()
    {
        TEditeur e(nullptr);
        e.Init({"<!DOCTYPE html>", "<html><head><title>t</title></head><body>", "ab<truc></truc>", "</body></html>"});
        const QString before = e.page()->Text();
        AidCommands::validate(e);
        auto *window = e.findChild<TValidationDialog *>();
        QVERIFY(window);
        QVERIFY(window->grid()->rowCount() > 0);
        QCOMPARE(window->grid()->item(0, 0)->text(), QString("3"));
        Q_EMIT window->grid()->cellDoubleClicked(0, 3);
        QCOMPARE(e.Memo1->SelStart(), 15 + 2 + 41 + 2 + 2);
        QCOMPARE(e.page()->Text(), before);
        QVERIFY(!e.page()->Modified());
        window->close();
    }

    void settingsDialogKeepsTheChoice()
    {
        TAidSettingsDialog dialog;
        auto *typography = dialog.findChild<QCheckBox *>("AideTypographie");
        QVERIFY(typography && typography->isChecked());
        typography->setChecked(false);
        dialog.save();
        QVERIFY(!AidSettings::typographyOn());
        QVERIFY(AidSettings::validationOn());
        QVERIFY(!TAidSettingsDialog().findChild<QCheckBox *>("AideTypographie")->isChecked());
    }

    void tagCompletionFollowsTheSetting()
    {
        TAidSettingsDialog dialog;
        auto *box = dialog.findChild<QCheckBox *>("AideCompletion");
        QVERIFY(box && box->isChecked());
        box->setChecked(false);
        dialog.save();
        QVERIFY(!AidSettings::tagCompletionOn());
        QVERIFY(!TAidSettingsDialog().findChild<QCheckBox *>("AideCompletion")->isChecked());
        // The panes ask the setting as they go.
        TColorMemo memo;
        memo.show();
        QTest::keyClicks(&memo, "<div></");
        QCOMPARE(memo.Text(), QStringLiteral("<div></"));
        AidSettings::setTagCompletionOn(true);
        QTest::keyClicks(&memo, "></");
        QCOMPARE(memo.Text(), QStringLiteral("<div></></div>"));
        // Switched off by another window of the program, through the file:
        // followed within the half second the file is looked at.
        QTest::qWait(20);
        {
            QSettings other;
            other.setValue(QStringLiteral("Aids/tagCompletion"), false);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!AidSettings::tagCompletionOn(), 2000);
        QVERIFY(AidSettings::validationOn());
        AidSettings::setTagCompletionOn(true);
        QVERIFY(AidSettings::tagCompletionOn());
    }

    void panesFollowTheSpellingSetting()
    {
        AidSettings::setSpellingOn(true);
        AidSettings::setTypographyMarksOn(false);
        TEditeur e(nullptr);
        QVERIFY(e.Memo1->spellCheckOn());
        QVERIFY(!e.Memo1->typographyMarksOn());
        // Switched off in the dialog: the open page follows at once, and
        // the choice is kept.
        QTimer::singleShot(0, [] {
            auto *dialog = qobject_cast<TAidSettingsDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto *spelling = dialog->findChild<QCheckBox *>("AideOrthographe");
            QVERIFY(spelling && spelling->isChecked());
            spelling->setChecked(false);
            dialog->findChild<QCheckBox *>("AideSoulignement")->setChecked(true);
            dialog->accept();
        });
        AidCommands::settings(&e);
        QVERIFY(!AidSettings::spellingOn());
        QVERIFY(!e.Memo1->spellCheckOn());
        QVERIFY(e.Memo1->typographyMarksOn());
        AidSettings::setSpellingOn(true);
    }

    void switchedOffAidsSaySo()
    {
        AidSettings::setValidationOn(false);
        AidSettings::setTypographyOn(false);
        TEditeur e(nullptr);
        e.Init({"Un!"});
        AidCommands::validate(e);
        AidCommands::typography(e);
        QCOMPARE(m_messages.size(), 2);
        QVERIFY(m_messages.at(0).startsWith("La validation HTML5 est désactivée."));
        QVERIFY(m_messages.at(1).startsWith("La vérification typographique est désactivée."));
        QVERIFY(!e.findChild<TValidationDialog *>());
        QCOMPARE(e.Memo1->Lines(), QStringList({"Un!"}));
    }
};

PEMO_TEST(AidCommandsTest)
#include "tst_aid_commands.moc"
