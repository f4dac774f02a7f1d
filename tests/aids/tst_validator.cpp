// The HTML5 check through libtidy: the faults it must find, where it puts
// them, and that the page is left as it was.
#include "testmain.h"

#include "aids/HtmlValidator.h"
#include "aids/PageAids.h"
#include "page/Page.h"

#include <optional>

using HtmlValidator::Message;

class ValidatorTest : public QObject
{
    Q_OBJECT

    static std::optional<Message> find(const QList<Message> &messages, const QString &part)
    {
        for (const Message &m : messages)
            if (m.text.contains(part))
                return m;
        return std::nullopt;
    }

private Q_SLOTS:
    void cleanPageHasNoMessage()
    {
        const QStringList page = {"<!DOCTYPE html>", "<html lang=\"fr\">", "<head><title>Essai</title></head>",
                                  "<body><p>Bonjour</p></body>", "</html>"};
        QCOMPARE(HtmlValidator::validate(page), QList<Message>());
    }

    void knownFaultsAreFoundInFrenchAtTheirPlace()
    {
        const QStringList page = {"<!DOCTYPE html>",
                                  "<html lang=\"fr\">",
                                  "<head><title>Essai</title></head>",
                                  "<body>",
                                  "<div>",
                                  "\t<truc>x</truc>",
                                  "  <p bidule=\"1\">y</p>",
                                  "</body>",
                                  "</html>"};
        const QList<Message> messages = HtmlValidator::validate(page);
        const std::optional<Message> unknown = find(messages, "<truc>");
        QVERIFY(unknown);
        QCOMPARE(unknown->level, HtmlValidator::Level::Error);
        QCOMPARE(unknown->line, 6);
        QCOMPARE(unknown->column, 2); // after the tab, which is one column
        QVERIFY2(unknown->text.contains("reconnu"), qPrintable(unknown->text));

        const std::optional<Message> attribute = find(messages, "\"bidule\"");
        QVERIFY(attribute);
        QCOMPARE(attribute->line, 7);
        QCOMPARE(attribute->column, 3);

        const std::optional<Message> div = find(messages, "</div>");
        QVERIFY(div);
        QCOMPARE(div->line, 5);
        QCOMPARE(div->level, HtmlValidator::Level::Warning);
        QVERIFY2(div->text.contains("absence"), qPrintable(div->text));
    }

    void columnsCountCharactersOutsideTheBasicPlane()
    {
        // 😀 is one code point for tidy, two units for the pane.
        const QStringList page = {"<!DOCTYPE html>", "<html><head><title>t</title></head>",
                                  QString::fromUtf8("<body><p>\xF0\x9F\x98\x80<truc></truc></p></body></html>")};
        const std::optional<Message> unknown = find(HtmlValidator::validate(page), "<truc>");
        QVERIFY(unknown);
        QCOMPARE(unknown->line, 3);
        QCOMPARE(page.at(2).mid(unknown->column - 1, 6), QString("<truc>"));
    }

    void everyErrorIsReported()
    {
        QStringList page = {"<!DOCTYPE html>", "<html><head><title>t</title></head><body>"};
        for (int i = 0; i < 12; ++i)
            page << "<truc></truc>";
        page << "</body></html>";
        int unknown = 0;
        for (const Message &m : HtmlValidator::validate(page))
            unknown += m.text.contains("<truc>") && m.level == HtmlValidator::Level::Error;
        QCOMPARE(unknown, 12);
    }

    void caretGoesToTheMessageInProgramOffsets()
    {
        TPage page;
        page.load({"<!DOCTYPE html>", "<p>", "ab<truc>"});
        const QString before = page.Text();
        PageAids::placeCaret(page, 3, 3);
        // Two lines of 15 and 3 characters, each followed by CR LF.
        QCOMPARE(page.SelStart(), 15 + 2 + 3 + 2 + 2);
        QCOMPARE(page.SelLength(), 0);
        PageAids::placeCaret(page, 99, 1);
        QCOMPARE(page.SelStart(), page.TextLength());
        PageAids::placeCaret(page, 0, 0);
        QCOMPARE(page.SelStart(), 0);
        QCOMPARE(page.Text(), before);
        QVERIFY(!page.Modified());
        QVERIFY(!page.canUndo());
    }

    void describeNamesThePlace()
    {
        QCOMPARE(HtmlValidator::describe({3, 5, HtmlValidator::Level::Error, "x"}),
                 QString("Ligne 3, colonne 5 : Erreur : x"));
        QCOMPARE(HtmlValidator::describe({0, 0, HtmlValidator::Level::Warning, "y"}), QString("Avertissement : y"));
    }
};

PEMO_TEST(ValidatorTest)
#include "tst_validator.moc"
