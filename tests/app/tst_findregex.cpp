// Regular expressions in find and replace: offsets across line breaks,
// groups in the replacement, replace-all against a plain reference, and a
// pattern that does not compile.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "document/FindDialogs.h"
#include "document/FrameServices.h"
#include "document/RegexSearch.h"
#include "platform/Messages.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {
class RegexFrame : public TFrameServices
{
public:
    void setRedoEnabled(bool) override {}
    void enablePaste() override {}
    void setStatusText(const QString &) override {}
    QPrinter *printer() override { return nullptr; }
};
} // namespace

class RegexSearchTest : public QObject
{
    Q_OBJECT
    RegexFrame m_frame;
    QStringList m_messages;

private Q_SLOTS:
    void init()
    {
        m_messages.clear();
        Platform::setMessageHandler([this](const Platform::MessageRecord &r) {
            m_messages << r.text;
            return Platform::Answer::Ok;
        });
    }
    void cleanup() { Platform::setMessageHandler({}); }

    void replacementReferences_data()
    {
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("expected");
        QTest::newRow("backslash group") << "<\\1>" << "<b>";
        QTest::newRow("dollar group") << "$2-$1" << "c-b";
        QTest::newRow("whole match") << "[\\0|$0]" << "[abc|abc]";
        QTest::newRow("missing group is empty") << "x\\7y" << "xy";
        QTest::newRow("doubled characters") << "\\\\1 $$1" << "\\1 $1";
        QTest::newRow("trailing backslash kept") << "fin\\" << "fin\\";
        QTest::newRow("plain text") << "T" << "T";
    }
    void replacementReferences()
    {
        QFETCH(QString, replacement);
        QFETCH(QString, expected);
        QCOMPARE(RegexSearch::expand(replacement, {"abc", "b", "c"}), expected);
    }

    void offsetsCountLineBreaksAsTwo()
    {
        const QString text = QStringLiteral("ab\r\ncd\r\nce");
        RegexSearch::Match m = RegexSearch::find(text, QStringLiteral("b\\nc"), QString(), 0, 0, SearchOption::Down);
        QCOMPARE(m.start, 1);
        QCOMPARE(m.length, 4);
        m = RegexSearch::find(text, QStringLiteral("^c(.)"), QStringLiteral("\\1"), 0, 0, SearchOption::Down);
        QCOMPARE(m.start, 4);
        QCOMPARE(m.replaced, QStringLiteral("d"));
        // Searching on from the end of that match finds the next line's.
        m = RegexSearch::find(text, QStringLiteral("^c(.)"), QString(), 4, 2, SearchOption::Down);
        QCOMPARE(m.start, 8);
        // Upwards: the last match ending before the selection.
        m = RegexSearch::find(text, QStringLiteral("c."), QString(), 8, 2, {});
        QCOMPARE(m.start, 4);
        // "." does not take the line break, "$" stops before it.
        m = RegexSearch::find(text, QStringLiteral("b.+$"), QString(), 0, 0, SearchOption::Down);
        QCOMPARE(m.start, -1);
        // Empty matches are never found.
        m = RegexSearch::find(text, QStringLiteral("x*"), QString(), 0, 0, SearchOption::Down);
        QCOMPARE(m.start, -1);
    }

    void optionsApply()
    {
        const QString text = QStringLiteral("TD td tdx");
        QCOMPARE(RegexSearch::replaceAll(text, QStringLiteral("t(d)"), QStringLiteral("T\\1"), 0, 0, SearchOption::Down).count, 3);
        QCOMPARE(RegexSearch::replaceAll(text, QStringLiteral("t(d)"), QStringLiteral("T\\1"), 0, 0,
                                         SearchOption::Down | SearchOption::MatchCase).count, 2);
        QCOMPARE(RegexSearch::replaceAll(text, QStringLiteral("t(d)"), QStringLiteral("T\\1"), 0, 0,
                                         SearchOption::Down | SearchOption::MatchCase | SearchOption::WholeWord).count, 1);
    }

    void replaceAllEqualsAReferenceOnRandomPages()
    {
        QRandomGenerator random(18);
        const QString alphabet = QStringLiteral("tdTD <>/\né");
        for (int round = 0; round < 200; ++round) {
            QString lf;
            const int length = int(random.bounded(200));
            for (int i = 0; i < length; ++i)
                lf += alphabet.at(int(random.bounded(int(alphabet.size()))));
            const QString crlf = QString(lf).replace(u'\n', QStringLiteral("\r\n"));
            const FindReplace::ReplaceAll done =
                RegexSearch::replaceAll(crlf, QStringLiteral("t(d)"), QStringLiteral("T\\1"), 0, 0, SearchOption::Down);
            const QString result = done.count == 0 ? crlf : crlf.left(done.start) + done.text + crlf.mid(done.end);
            QString reference = lf;
            reference.replace(QRegularExpression(QStringLiteral("t(d)"), QRegularExpression::CaseInsensitiveOption),
                              QStringLiteral("T\\1"));
            QCOMPARE(result, reference.replace(u'\n', QStringLiteral("\r\n")));
            QCOMPARE(done.count, int(lf.count(QRegularExpression(QStringLiteral("t(d)"), QRegularExpression::CaseInsensitiveOption))));
        }
    }

    void invalidPatternIsReportedAndFindsNothing()
    {
        const QString error = RegexSearch::patternError(QStringLiteral("<(td"));
        QVERIFY(error.startsWith(QStringLiteral("Expression régulière incorrecte")));
        QVERIFY(RegexSearch::patternError(QStringLiteral("<(td)")).isEmpty());
        QVERIFY(RegexSearch::patternError(QString()).isEmpty());
        QCOMPARE(RegexSearch::find(QStringLiteral("<(td"), QStringLiteral("<(td"), QString(), 0, 0, SearchOption::Down).start, -1);
        QCOMPARE(RegexSearch::replaceAll(QStringLiteral("<(td"), QStringLiteral("<(td"), QString(), 0, 0, SearchOption::Down).count, 0);

        TEditeur e(&m_frame);
        e.Remplacer();
        TReplaceDialog *d = e.replaceDialog();
        QVERIFY(d->RegexBox->isVisible());
        QCOMPARE(d->RegexBox->accessibleName(), QStringLiteral("Expression régulière"));
        d->FindEdit->setText(QStringLiteral("<(td"));
        QVERIFY(d->ReplaceAllBtn->isEnabled()); // plain text: any text will do
        d->RegexBox->setChecked(true);
        QVERIFY(!d->ReplaceAllBtn->isEnabled());
        QVERIFY(!d->ReplaceBtn->isEnabled());
        QVERIFY(!d->FindNextBtn->isEnabled());
        QVERIFY(d->RegexError->isVisible());
        QCOMPARE(d->RegexError->text(), error);
        d->FindEdit->setText(QStringLiteral("<(td)"));
        QVERIFY(d->ReplaceAllBtn->isEnabled());
        QVERIFY(!d->RegexError->isVisible());
        d->hide();
    }

    void replaceAllInTheWindowIsOneUndoableStep()
    {
        const QStringList page{"<table><tr><td>1</td>", "<td>2</td></tr></table>"};
        TEditeur e(&m_frame);
        e.Memo1->SetLines(page);
        e.Memo1->SetSelStart(0);
        e.Remplacer();
        TReplaceDialog *d = e.replaceDialog();
        d->RegexBox->setChecked(true);
        d->FindEdit->setText(QStringLiteral("<(/?)td>"));
        d->ReplaceEdit->setText(QStringLiteral("<$1th>"));
        d->ReplaceAllBtn->click();
        QCOMPARE(e.Memo1->Lines(), (QStringList{"<table><tr><th>1</th>", "<th>2</th></tr></table>"}));
        QCOMPARE(m_messages, QStringList());
        e.Annuler();
        QCOMPARE(e.Memo1->Lines(), page);

        // One at a time: the selected match is replaced, the next one selected.
        e.Memo1->SetSelStart(0);
        d->ReplaceBtn->click(); // selects the first
        QCOMPARE(e.Memo1->SelText(), QStringLiteral("<td>"));
        d->ReplaceBtn->click();
        QCOMPARE(e.Memo1->Line(0), QStringLiteral("<table><tr><th>1</td>"));
        QCOMPARE(e.Memo1->SelText(), QStringLiteral("</td>"));
        d->hide();
    }
};

PEMO_TEST(RegexSearchTest)
#include "tst_findregex.moc"
