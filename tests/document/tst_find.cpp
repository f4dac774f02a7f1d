// Find, replace, clipboard and the source pane's font.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "platform/CommonDialogs.h"
#include "document/FindDialogs.h"
#include "document/FindReplace.h"
#include "document/FrameServices.h"
#include "platform/Messages.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>

namespace {
class FindFrame : public TFrameServices
{
public:
    int pasteEnabled = 0;
    void setRedoEnabled(bool) override {}
    void enablePaste() override { ++pasteEnabled; }
    void setStatusText(const QString &) override {}
    QPrinter *printer() override { return nullptr; }
};

// The replace-all loop written the slow way, search after search in the pane.
QString replaceAllInThePane(const QString &text, const QString &s, const QString &r, SearchOptions options,
                            int caret, int *finalCaret)
{
    TColorMemo memo;
    memo.SetText(text);
    memo.SetSelStart(caret);
    while (memo.SearchText(s, options))
        memo.SetSelText(r);
    *finalCaret = memo.SelStart();
    return memo.Text();
}
} // namespace

class FindReplaceTest : public QObject
{
    Q_OBJECT
    FindFrame m_frame;
    QStringList m_messages;

    std::unique_ptr<TEditeur> editor(const QStringList &lines, int selStart, int selLength = 0)
    {
        auto e = std::make_unique<TEditeur>(&m_frame);
        e->Memo1->SetLines(lines);
        e->Memo1->Select(selStart, selLength);
        return e;
    }

private Q_SLOTS:
    void init()
    {
        m_messages.clear();
        Platform::setMessageHandler([this](const Platform::MessageRecord &r) {
            m_messages << r.title + QStringLiteral(": ") + r.text;
            return Platform::Answer::Ok;
        });
    }
    void cleanup()
    {
        Platform::setMessageHandler({});
        CommonDialogs::setFontHandler({});
    }

    void findDownReportsThenUpFinds()
    {
        auto e = editor({"la cible est ici", "rien dessous"}, 20);
        e->Chercher();
        TFindDialog *d = e->findDialog();
        QVERIFY(d->isVisible());
        d->FindEdit->setText(QStringLiteral("cible"));
        d->FindNextBtn->click();
        QCOMPARE(m_messages, QStringList{"Pemo HTML: Chaîne recherchée \"cible\" non trouvée"});
        QCOMPARE(e->Memo1->SelStart(), 20);
        d->UpBtn->setChecked(true);
        d->FindNextBtn->click();
        QCOMPARE(e->Memo1->SelStart(), 3);
        QCOMPARE(e->Memo1->SelText(), QStringLiteral("cible"));
        QCOMPARE(m_messages.size(), 1);
    }

    void continuerBeforeAnySearchReportsAnEmptyText()
    {
        auto e = editor({"abc"}, 0);
        e->Continuer();
        QCOMPARE(m_messages, QStringList{"Pemo HTML: Chaîne recherchée \"\" non trouvée"});
    }

    void continuerUsesTheFindDialogWhenClosed()
    {
        auto e = editor({"td td td"}, 0);
        e->Chercher();
        e->findDialog()->FindEdit->setText(QStringLiteral("td"));
        e->findDialog()->CancelBtn->click();
        QVERIFY(!e->findDialog()->isVisible());
        e->Continuer();
        e->Continuer();
        QCOMPARE(e->Memo1->SelStart(), 3);
        // The replace dialog keeps its own search text.
        e->Remplacer();
        QCOMPARE(e->replaceDialog()->findText(), QString());
        e->Chercher();
        QCOMPARE(e->findDialog()->findText(), QStringLiteral("td"));
    }

    void replaceAllIsOneSnapshotAndSilent()
    {
        const QStringList page{"<table><tr><td>1</td>", "<td>2</td><td>3</td></tr>", "<tr><td>4</td><td>5</td></tr>"};
        auto e = editor(page, 0);
        e->Remplacer();
        TReplaceDialog *d = e->replaceDialog();
        d->FindEdit->setText(QStringLiteral("td"));
        d->ReplaceEdit->setText(QStringLiteral("TD"));
        d->ReplaceAllBtn->click();
        QCOMPARE(e->Memo1->Text().count(QStringLiteral("TD")), 10);
        QCOMPARE(e->Memo1->Text().count(QStringLiteral("td")), 0);
        QCOMPARE(m_messages, QStringList());
        // The caret stands after the last replacement.
        QCOMPARE(e->Memo1->SelStart(), e->Memo1->Text().lastIndexOf(QStringLiteral("TD")) + 2);
        QCOMPARE(e->Memo1->SelLength(), 0);
        e->Annuler();
        QCOMPARE(e->Memo1->Lines(), page);
    }

    void selectionTestIgnoresCaseThenSearchMatchesCase()
    {
        auto e = editor({"TD Td td"}, 0, 2);
        e->Remplacer();
        TReplaceDialog *d = e->replaceDialog();
        d->FindEdit->setText(QStringLiteral("td"));
        d->ReplaceEdit->setText(QStringLiteral("X"));
        d->MatchCaseBox->setChecked(true);
        d->ReplaceBtn->click();
        QCOMPARE(e->Memo1->Lines(), QStringList{"X Td td"});
        QCOMPARE(e->Memo1->SelStart(), 5);
        QCOMPARE(e->Memo1->SelText(), QStringLiteral("td"));
        QCOMPARE(m_messages, QStringList());
    }

    void replaceAtTheLastOccurrenceReplacesThenReports()
    {
        auto e = editor({"un td"}, 3, 2);
        e->Remplacer();
        e->replaceDialog()->FindEdit->setText(QStringLiteral("td"));
        e->replaceDialog()->ReplaceEdit->setText(QStringLiteral("th"));
        e->replaceDialog()->ReplaceBtn->click();
        QCOMPARE(e->Memo1->Lines(), QStringList{"un th"});
        QCOMPARE(m_messages, QStringList{"Pemo HTML: Chaîne recherchée \"td\"non trouvée"});
    }

    void emptySearchTextNeverReplaces()
    {
        auto e = editor({"abc"}, 1);
        e->Remplacer();
        QVERIFY(!e->replaceDialog()->ReplaceBtn->isEnabled());
        e->replaceDialog()->ReplaceEdit->setText(QStringLiteral("X"));
        e->Replace(true);
        e->Replace(false);
        QCOMPARE(e->Memo1->Lines(), QStringList{"abc"});
    }

    // Replace-all is computed over the text; it must give exactly what the
    // search-and-replace loop in the pane gives, caret included.
    void replaceAllMatchesTheLoop_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<int>("options");
        QTest::addColumn<int>("caret");
        const int down = int(SearchOption::Down);
        const int word = int(SearchOption::WholeWord);
        const int cased = int(SearchOption::MatchCase);
        QTest::newRow("replacement holds the search text") << "a a a" << "a" << "aa" << down << 0;
        QTest::newRow("whole word skips tdx") << "td tdx xtd td" << "td" << "TD" << (down | word) << 0;
        QTest::newRow("whole word, replacement ends in a delimiter") << "td td-td" << "td" << "t-" << (down | word) << 0;
        QTest::newRow("match case") << "Td td TD" << "td" << "x" << (down | cased) << 0;
        QTest::newRow("accented upper-casing") << "été ÉTÉ" << "été" << "ok" << down << 0;
        QTest::newRow("starts after the caret") << "ab ab ab" << "ab" << "X" << down << 4;
        QTest::newRow("caret inside a word, whole word") << "abc abc" << "bc" << "X" << (down | word) << 1;
        QTest::newRow("across line breaks") << "td\r\ntd\r\n\r\ntd" << "td" << "TABLE" << down << 0;
        QTest::newRow("nothing found") << "abc" << "zz" << "X" << down << 1;

        // Long texts cross the search windows; matches straddle their edges.
        QRandomGenerator rng(42);
        const QString alphabet = QStringLiteral("tdx <>\r\n");
        for (int round = 0; round < 6; ++round) {
            QString big;
            const int size = 3000 + int(rng.bounded(20000));
            for (int i = 0; i < size; ++i)
                big += alphabet.at(int(rng.bounded(alphabet.size())));
            big.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u' ').replace(u'\n', QStringLiteral("\r\n"));
            const int opts = down | (round % 2 ? word : 0) | (round % 3 ? 0 : cased);
            QTest::newRow(qPrintable(QStringLiteral("random %1").arg(round))) << big << "td" << "T" << opts << 0;
        }
    }
    void replaceAllMatchesTheLoop()
    {
        QFETCH(QString, text);
        QFETCH(QString, search);
        QFETCH(QString, replacement);
        QFETCH(int, options);
        QFETCH(int, caret);
        const SearchOptions o = SearchOptions::fromInt(options);
        int loopCaret = -1;
        const QString expected = replaceAllInThePane(text, search, replacement, o, caret, &loopCaret);

        TColorMemo memo;
        memo.SetText(text);
        const QString current = memo.Text(); // the pane's own form of the text
        const FindReplace::ReplaceAll done = FindReplace::replaceAll(current, search, replacement, caret, 0, o);
        QString result = current;
        int resultCaret = caret;
        if (done.count > 0) {
            result = current.left(done.start) + done.text + current.mid(done.end);
            resultCaret = done.start + int(done.text.size());
        }
        QCOMPARE(result, expected);
        QCOMPARE(resultCaret, loopCaret);
    }

    void pasteIsEnabledByCopyOnly()
    {
        auto e = editor({"couper copier"}, 0, 6);
        m_frame.pasteEnabled = 0;
        e->Couper();
        QCOMPARE(m_frame.pasteEnabled, 0);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("couper"));
        QCOMPARE(e->Memo1->Lines(), QStringList{" copier"});
        e->Memo1->Select(1, 6);
        e->Copier();
        QCOMPARE(m_frame.pasteEnabled, 1);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("copier"));
        e->Memo1->SetSelStart(0);
        e->Coller();
        QCOMPARE(e->Memo1->Lines(), QStringList{"copier copier"});
        e->Annuler();
        QCOMPARE(e->Memo1->Lines(), QStringList{" copier"});
    }

    void copyOverLinesAndPasteBack()
    {
        auto e = editor({"ab", "cd"}, 1, 4);
        e->Copier();
        e->Memo1->SetSelStart(e->Memo1->TextLength());
        e->Coller();
        QCOMPARE(e->Memo1->Lines(), (QStringList{"ab", "cd", "b", "c"}));
    }

    void pasteWithoutTextOnlySnapshots()
    {
        QGuiApplication::clipboard()->clear();
        auto e = editor({"texte"}, 2);
        e->Coller();
        QCOMPARE(e->Memo1->Lines(), QStringList{"texte"});
    }

    void editorFontAppliesToThisWindowOnly()
    {
        auto a = editor({"a"}, 0);
        auto b = editor({"b"}, 0);
        const QFont before = b->Memo1->font();
        QFont larger = before;
        larger.setPointSize(before.pointSize() + 10);
        QFont preset;
        CommonDialogs::setFontHandler([&](const QFont &f) -> std::optional<QFont> {
            preset = f;
            return larger;
        });
        a->OptEdit();
        QCOMPARE(preset, before);
        QCOMPARE(a->Memo1->font().pointSize(), before.pointSize() + 10);
        QCOMPARE(b->Memo1->font(), before);
    }
};

PEMO_TEST(FindReplaceTest)
#include "tst_find.moc"
