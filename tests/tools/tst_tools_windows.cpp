// The desk utilities' windows, driven offscreen as a user would.
// Set PEMO_SHOT_DIR to keep pictures of them for a look.
#include "testmain.h"

#include "platform/Messages.h"
#include "tools/BlocNotes.h"
#include "tools/Calculatrice.h"
#include "tools/Calendrier.h"
#include "tools/EuroConvert.h"
#include "tools/Horloge.h"
#include "tools/SystemClock.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QTimer>
#include <cerrno>

namespace {
void keep(QWidget *w, const char *name)
{
    const QString dir = qEnvironmentVariable("PEMO_SHOT_DIR");
    if (!dir.isEmpty())
        w->grab().save(dir + u'/' + QLatin1String(name) + QStringLiteral(".png"));
}

bool showActive(QWidget *w)
{
    w->show();
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

// Answers every message box and keeps what it said.
struct Messages {
    QList<Platform::MessageRecord> seen;
    Messages()
    {
        Platform::setMessageHandler([this](const Platform::MessageRecord &m) {
            seen << m;
            return Platform::Answer::Ok;
        });
    }
    ~Messages() { Platform::setMessageHandler({}); }
};

// Runs the notepad command on a file; 'edit' acts on the open notepad, which
// is then closed as the user would.
void runNotepad(const QString &path, const std::function<void(TBlocNotes *)> &edit)
{
    QTimer::singleShot(0, [edit] {
        auto *notepad = qobject_cast<TBlocNotes *>(QApplication::activeModalWidget());
        QVERIFY(notepad);
        edit(notepad);
        notepad->findChild<QPushButton *>(QStringLiteral("CloseBtn"))->click();
    });
    TBlocNotes::run(nullptr, path);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class ToolWindowsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void calendarChangesMonthAndClosesWithEscape()
    {
        TCalendrier calendar(nullptr);
        calendar.showMonth(QDate(2026, 12, 15));
        QCOMPARE(calendar.caption(), QStringLiteral("décembre  2026"));
        const auto previous = calendar.findChild<QPushButton *>(QStringLiteral("MoisPrecedent"));
        const auto next = calendar.findChild<QPushButton *>(QStringLiteral("MoisSuivant"));
        QCOMPARE(previous->text(), QStringLiteral("Mois"));
        QCOMPARE(next->text(), QStringLiteral("Mois"));
        QVERIFY(showActive(&calendar));
        keep(&calendar, "calendrier");

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
        QCOMPARE(calendar.caption(), QStringLiteral("janvier  2027"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
        QCOMPARE(calendar.caption(), QStringLiteral("novembre  2026"));
        next->click();
        QCOMPARE(calendar.caption(), QStringLiteral("décembre  2026"));
        previous->click();
        QCOMPARE(calendar.shownMonth(), QDate(2026, 11, 1));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!calendar.isVisible());
    }

    void calculatorFromTheKeyboard()
    {
        TCalculatrice calculator(nullptr);
        QVERIFY(showActive(&calculator));
        QTest::keyClicks(&calculator, QStringLiteral("12+7"));
        QTest::keyClick(&calculator, Qt::Key_Return);
        QCOMPARE(calculator.display(), QStringLiteral("19"));
        QVERIFY(calculator.isVisible()); // Enter is "=", not a button

        QTest::keyClicks(&calculator, QStringLiteral("5/0="));
        QCOMPARE(calculator.display(), QStringLiteral("Division par zéro impossible"));
        keep(&calculator, "calculatrice");

        calculator.findChild<QPushButton *>(QStringLiteral("BtnClear"))->click();
        for (const char *name : {"Btn4", "BtnMultiply", "Btn2", "Btn5", "BtnPercent", "BtnEquals"})
            calculator.findChild<QPushButton *>(QLatin1String(name))->click();
        QCOMPARE(calculator.display(), QStringLiteral("1"));

        QTest::keyClick(&calculator, Qt::Key_Escape);
        QVERIFY(!calculator.isVisible());
    }

    void euroConverterBothWays()
    {
        TEuroConvert converter(nullptr);
        const auto currency = converter.findChild<QComboBox *>(QStringLiteral("Monnaie"));
        const auto national = converter.findChild<QLineEdit *>(QStringLiteral("MontantNational"));
        const auto euro = converter.findChild<QLineEdit *>(QStringLiteral("MontantEuro"));
        const auto status = converter.findChild<QLabel *>(QStringLiteral("Status"));
        QCOMPARE(currency->currentText(), QStringLiteral("Franc français (FRF)"));
        QVERIFY(showActive(&converter));

        QTest::keyClicks(national, QStringLiteral("100"));
        QCOMPARE(euro->text(), QStringLiteral("15,24"));
        keep(&converter, "euro");

        euro->clear();
        QTest::keyClicks(euro, QStringLiteral("1"));
        QCOMPARE(national->text(), QStringLiteral("6,56"));
        currency->setCurrentIndex(currency->findText(QStringLiteral("Mark allemand (DEM)")));
        QCOMPARE(national->text(), QStringLiteral("1,96")); // the euro amount typed is kept

        QTest::keyClicks(euro, QStringLiteral("x"));
        QCOMPARE(status->text(), QStringLiteral("Montant non valable"));
        QVERIFY(national->text().isEmpty());
    }

    void clockReportsRefusalInFrench()
    {
        Messages messages;
        qint64 asked = 0;
        int answer = EPERM;
        Tools::setClockSetter([&](qint64 msecs) {
            asked = msecs;
            return answer;
        });
        THorloge clock(nullptr);
        const auto time = clock.findChild<QTimeEdit *>(QStringLiteral("TimeEdit"));
        const auto date = clock.findChild<QDateEdit *>(QStringLiteral("DateEdit"));
        const auto set = clock.findChild<QPushButton *>(QStringLiteral("SetBtn"));
        QCOMPARE(set->text(), QStringLiteral("Set"));
        QCOMPARE(date->date(), QDate::currentDate());
        QVERIFY(clock.following());
        keep(&clock, "horloge");

        time->setTime(QTime(23, 59, 30));
        date->setDate(QDate(2027, 1, 1));
        QVERIFY(!clock.following()); // the clock no longer overwrites what the user set
        set->click();
        QCOMPARE(asked, QDateTime(QDate(2027, 1, 1), QTime(23, 59, 30)).toMSecsSinceEpoch());
        QCOMPARE(messages.seen.size(), 1);
        QCOMPARE(messages.seen.first().kind, Platform::MessageKind::Error);
        QCOMPARE(messages.seen.first().text, QStringLiteral("Vous n'avez pas le droit de changer l'heure du système."));

        answer = 0;
        set->click();
        QCOMPARE(messages.seen.size(), 1);
        QVERIFY(clock.following());
        Tools::setClockSetter({});
    }

    void notepadLoadsAndSavesItsFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Pemohtml.nte"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("Rendez-vous\r\nmardi");
        }
        QString seen;
        runNotepad(path, [&seen](TBlocNotes *notepad) {
            seen = notepad->text();
            keep(notepad, "blocnotes");
            notepad->setText(notepad->text() + QStringLiteral(" à 14\u00A0h"));
        });
        QCOMPARE(seen, QStringLiteral("Rendez-vous\nmardi"));
        QCOMPARE(fileBytes(path), QStringLiteral("Rendez-vous\r\nmardi à 14\u00A0h").toUtf8());
    }

    void notepadKeepsTextItCouldNotSave()
    {
        Messages messages;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("absent/Pemohtml.nte"));
        runNotepad(path, [](TBlocNotes *notepad) { notepad->setText(QStringLiteral("idée précieuse")); });
        QCOMPARE(messages.seen.size(), 1);
        QCOMPARE(messages.seen.first().kind, Platform::MessageKind::Error);
        QVERIFY(messages.seen.first().text.contains(path));

        // The next opening offers the text again, and saves it once it can.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("absent")));
        QString offered;
        runNotepad(path, [&offered](TBlocNotes *notepad) { offered = notepad->text(); });
        QCOMPARE(offered, QStringLiteral("idée précieuse"));
        QCOMPARE(fileBytes(path), QByteArray("id\xC3\xA9" "e pr\xC3\xA9" "cieuse"));
        QCOMPARE(messages.seen.size(), 1);
    }
};

PEMO_TEST(ToolWindowsTest)
#include "tst_tools_windows.moc"
