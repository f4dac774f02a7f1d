// Dialogs are at least as wide as their caption needs, so that the window
// manager shows the caption whole.
#include "testmain.h"

#include "dialogs/CaractsDialog.h"
#include "dialogs/FormDialogs.h"
#include "platform/CaptionFit.h"

#include <QDialog>
#include <QVBoxLayout>

using MakeDialog = std::function<QDialog *()>;
Q_DECLARE_METATYPE(MakeDialog)

class CaptionFitTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { CaptionFit::install(qApp); }

    void dialogsAreWideEnoughForTheirCaption_data()
    {
        QTest::addColumn<MakeDialog>("make");
        QTest::newRow("Définir formulaire") << MakeDialog([] { return new TFormEmail(nullptr); });
        QTest::newRow("Formulaire : Case à cocher") << MakeDialog([] { return new TFormCases(nullptr); });
        QTest::newRow("Formulaie : Fenêtre de texte") << MakeDialog([] { return new TFormMemo(nullptr); });
        QTest::newRow("Caractères spéciaux") << MakeDialog([] { return new TCaractsDialog(nullptr); });
        QTest::newRow("laid out by hand, fixed size") << MakeDialog([] {
            auto *d = new QDialog;
            d->setWindowTitle(QStringLiteral("Une légende bien plus longue que la fenêtre elle-même"));
            d->setFixedSize(120, 80);
            return d;
        });
        QTest::newRow("laid out, narrow") << MakeDialog([] {
            auto *d = new QDialog;
            d->setWindowTitle(QStringLiteral("Une légende bien plus longue que les champs"));
            auto *layout = new QVBoxLayout(d);
            layout->addWidget(new QWidget(d));
            return d;
        });
    }

    void dialogsAreWideEnoughForTheirCaption()
    {
        QFETCH(MakeDialog, make);
        std::unique_ptr<QDialog> dialog(make());
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QVERIFY2(dialog->width() >= CaptionFit::widthFor(dialog->windowTitle()),
                 qPrintable(QStringLiteral("%1 < %2").arg(dialog->width()).arg(CaptionFit::widthFor(dialog->windowTitle()))));
        // The layout does not take the room back.
        dialog->adjustSize();
        QVERIFY(dialog->width() >= CaptionFit::widthFor(dialog->windowTitle()));
    }

    void wideDialogKeepsItsWidth()
    {
        QDialog dialog;
        dialog.setWindowTitle(QStringLiteral("Court"));
        dialog.resize(500, 100);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.width(), 500);
        QCOMPARE(dialog.minimumWidth(), 0);
    }
};

PEMO_TEST(CaptionFitTest)
#include "tst_captionfit.moc"
