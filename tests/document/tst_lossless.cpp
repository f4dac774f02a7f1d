// Every command that changes the page, run on a page holding no-break
// spaces, tabs and characters that Windows-1252 cannot hold: what the
// command does not touch must reach the saved file byte for byte.
#include "testmain.h"
#include "tst_text_modal.h"

#include "colormemo/ColMemo.h"
#include "document/CasseDialog.h"
#include "document/Childwin.h"
#include "document/FindDialogs.h"
#include "platform/FileDialogs.h"
#include "platform/Messages.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

namespace {

using Command = std::function<void(TEditeur &)>;

// Lines 2 and 3 hold the "td" that replace turns into "TD"; line 5 holds
// the selection the tag and case commands work on; the other lines are
// witnesses no command may change.
const QStringList pageLines(bool wide)
{
    const QString others = wide ? QStringLiteral("\u0141\u00F3d\u017A \u2192 \U0001F600") : QStringLiteral("\u0153uvre");
    return {
        QStringLiteral("<html>"),
        QStringLiteral("<body>"),
        QStringLiteral("<p>Bonjour\u00A0! td un td\u00A0deux td</p>"),
        QStringLiteral("<p>Prix\u00A0:\t10\u00A0\u20AC td</p>"),
        QStringLiteral("<p>\t") + others + QStringLiteral("\u00A0ok\u00A0?</p>"),
        QStringLiteral("<p>choix\u00A0: sel\u00A0ect\tion<br></p>"),
        QStringLiteral("<p>\u00A0\t\u00AB\u00A0fin\u00A0\u00BB</p>"),
        QStringLiteral("</body>"),
        QStringLiteral("</html>"),
    };
}
const int witnessLines[] = {0, 1, 4, 6, 7, 8};
const int selectionLine = 5;
const QString selected = QStringLiteral("sel\u00A0ect\tion");

QByteArray encoded(const QString &text, bool wide)
{
    if (wide)
        return text.toUtf8();
    QByteArray out;
    for (QChar c : text) {
        if (c.unicode() == 0x20AC)
            out += '\x80';
        else if (c.unicode() == 0x0153)
            out += '\x9C';
        else
            out += char(c.unicode());
    }
    return out;
}

QByteArray pageBytes(bool wide) { return encoded(pageLines(wide).join(QStringLiteral("\r\n")) + "\r\n", wide); }

// The characters whose loss the test looks for, as they stand in the file.
QList<QByteArray> probes(bool wide)
{
    QList<QByteArray> out;
    QString chars = QStringLiteral("\u00A0\t\u20AC\u00AB\u00BB");
    chars += wide ? QStringLiteral("\u0141\u017A\u2192\U0001F600") : QStringLiteral("\u0153");
    for (qsizetype i = 0; i < chars.size(); ++i) {
        QString one(chars.at(i));
        if (chars.at(i).isHighSurrogate())
            one += chars.at(++i);
        out << encoded(one, wide);
    }
    return out;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class LosslessTextTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_exportPath;

private Q_SLOTS:
    void init()
    {
        Platform::setMessageHandler([](const Platform::MessageRecord &) { return Platform::Answer::Yes; });
        m_exportPath = m_dir.filePath(QStringLiteral("export.txt"));
        Platform::setFileDialogHandler([this](const Platform::FileDialogRequest &) {
            Platform::FileDialogResult r;
            r.accepted = true;
            r.path = m_exportPath;
            return r;
        });
    }
    void cleanup()
    {
        Platform::setMessageHandler({});
        Platform::setFileDialogHandler({});
    }

    void commandKeepsWhatItDoesNotTouch_data()
    {
        QTest::addColumn<bool>("wide");
        QTest::addColumn<Command>("command");
        QTest::addColumn<bool>("keepsLines");  // lines stay where they were
        QTest::addColumn<bool>("undoable");    // one Annuler gives the page back
        QTest::addColumn<bool>("exported");    // the result is the export file

        const auto replace = [](bool all) {
            return Command([all](TEditeur &e) {
                e.Remplacer();
                e.replaceDialog()->FindEdit->setText(QStringLiteral("td"));
                e.replaceDialog()->ReplaceEdit->setText(QStringLiteral("TD"));
                e.Memo1->SetSelStart(0);
                e.Replace(all);
                if (!all)
                    e.Replace(all);
                e.replaceDialog()->hide();
            });
        };
        const QList<std::tuple<const char *, Command, bool, bool, bool>> commands = {
            {"Gras", [](TEditeur &e) { e.Gras(); }, true, true, false},
            {"Commentaire", [](TEditeur &e) { e.Commentaire(); }, true, true, false},
            {"Url2", [](TEditeur &e) { e.Url2(); }, true, true, false},
            {"Police", [](TEditeur &e) { e.Police(QStringLiteral("Arial")); }, true, true, false},
            {"RetourChariot",
             [](TEditeur &e) {
                 e.Memo1->SetSelStart(e.Memo1->SelStart());
                 e.RetourChariot();
             },
             true, true, false},
            {"Replace", replace(false), true, true, false},
            {"Replace all", replace(true), true, true, false},
            {"Couper then Coller",
             [](TEditeur &e) {
                 e.Couper();
                 e.Memo1->SetSelStart(0);
                 e.Coller();
             },
             false, false, false},
            {"Convertir", [](TEditeur &e) { e.Convertir(); }, true, true, false},
            {"Casse",
             [](TEditeur &e) {
                 TextCommandsTesting::whenModal<TFCasse>([](TFCasse *d) {
                     d->upperButton()->click();
                     d->findChild<QPushButton *>(QStringLiteral("OKBtn"))->click();
                 });
                 e.Casse();
             },
             true, true, false},
            {"Indenter", [](TEditeur &e) { e.Indenter(); }, true, true, false},
            {"Indenter whole page",
             [](TEditeur &e) {
                 e.ToutSelectionner();
                 e.Indenter();
             },
             false, true, false},
            {"Compacter", [](TEditeur &e) { e.Compacter(); }, false, true, false},
            {"Genxml", [](TEditeur &e) { e.Genxml(); }, true, false, false},
            {"Exporte", [](TEditeur &e) { e.Exporte(); }, false, false, true},
            {"Enregistrer alone", [](TEditeur &) {}, true, false, false},
        };
        for (bool wide : {false, true})
            for (const auto &[name, command, keepsLines, undoable, exported] : commands)
                QTest::addRow("%s, %s page", name, wide ? "UTF-8" : "Windows-1252")
                    << wide << command << keepsLines << undoable << exported;
    }
    void commandKeepsWhatItDoesNotTouch()
    {
        QFETCH(bool, wide);
        QFETCH(Command, command);
        QFETCH(bool, keepsLines);
        QFETCH(bool, undoable);
        QFETCH(bool, exported);

        const QString path = m_dir.filePath(QStringLiteral("page.htm"));
        const QByteArray original = pageBytes(wide);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(original);
        }
        TEditeur e(nullptr);
        e.OpenFile(path);
        const int lineStart = int(pageLines(wide).mid(0, selectionLine).join(QStringLiteral("\r\n")).size()) + 2;
        e.Memo1->Select(lineStart + int(pageLines(wide).at(selectionLine).indexOf(selected)), int(selected.size()));
        QCOMPARE(e.Memo1->SelText(), selected);

        command(e);
        QVERIFY(e.Enregistrer());
        const QByteArray saved = readAll(exported ? m_exportPath : path);
        for (const QByteArray &probe : probes(wide))
            QVERIFY2(saved.count(probe) == original.count(probe),
                     qPrintable(QStringLiteral("%1 found %2 times instead of %3")
                                    .arg(QString::fromLatin1(probe.toHex()))
                                    .arg(saved.count(probe))
                                    .arg(original.count(probe))));
        if (keepsLines) {
            const QList<QByteArray> before = original.split('\n');
            const QList<QByteArray> after = saved.split('\n');
            QCOMPARE(after.size(), before.size());
            for (int l : witnessLines)
                QCOMPARE(after.at(l), before.at(l));
        }
        if (undoable) {
            e.Annuler();
            QVERIFY(e.Enregistrer());
            QCOMPARE(readAll(path), original);
        }
    }

    void replaceAllKeepsEveryNoBreakSpace()
    {
        // The page of the report, byte for byte.
        const QString path = m_dir.filePath(QStringLiteral("prix.htm"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("<p>Bonjour\xA0! td un td\xA0" "deux td</p>\r\n<p>Prix\xA0: 10\xA0\x80 td</p>\r\n");
        }
        TEditeur e(nullptr);
        e.OpenFile(path);
        e.Remplacer();
        e.replaceDialog()->FindEdit->setText(QStringLiteral("td"));
        e.replaceDialog()->ReplaceEdit->setText(QStringLiteral("TD"));
        e.Replace(true);
        e.replaceDialog()->hide();
        QVERIFY(e.Enregistrer());
        QCOMPARE(readAll(path),
                 QByteArray("<p>Bonjour\xA0! TD un TD\xA0" "deux TD</p>\r\n<p>Prix\xA0: 10\xA0\x80 TD</p>\r\n"));
    }

    void paneReadsAreLossless()
    {
        TColorMemo memo;
        const QString text = QStringLiteral("a\u00A0b\tc\r\n\u2192\U0001F600\u00A0\r\n");
        memo.SetText(text);
        QCOMPARE(memo.Text(), text);
        memo.selectAll();
        QCOMPARE(memo.SelText(), text);
        QCOMPARE(memo.Lines(), (QStringList{QStringLiteral("a\u00A0b\tc"), QStringLiteral("\u2192\U0001F600\u00A0")}));
    }
};

PEMO_TEST(LosslessTextTest)
#include "tst_lossless.moc"
