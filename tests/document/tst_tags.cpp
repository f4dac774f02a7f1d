// Tag commands: wrap pairs, caret inserts, dialog inserts, the typed-entity
// conversion and the fragment insertion pattern.
#include "testmain.h"

#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "platform/CommonDialogs.h"
#include "document/FragmentInsertion.h"
#include "document/FrameServices.h"
#include "document/TagText.h"
#include "platform/FileDialogs.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

namespace {
class TagsFrame : public TFrameServices
{
public:
    bool redo = false;
    void setRedoEnabled(bool enabled) override { redo = enabled; }
    void enablePaste() override {}
    void setStatusText(const QString &) override {}
    QPrinter *printer() override { return nullptr; }
};

using Command = void (TEditeur::*)();

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

void typeChar(TColorMemo *memo, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QApplication::sendEvent(memo, &press);
}

// A stand-in for the dialogs of the insertion commands.
class EchoDialog : public QDialog
{
public:
    explicit EchoDialog(QWidget *owner) : QDialog(owner)
    {
        auto *ok = new QPushButton(QStringLiteral("OK"), this);
        ok->setObjectName(QStringLiteral("OKBtn"));
        connect(ok, &QPushButton::clicked, this, [this] { m_ok = true; accept(); });
    }
    void Init(const QString &inner) { m_inner = inner; }
    void Result(QString &text) const { text = m_ok ? QStringLiteral("[") + m_inner + QStringLiteral("]") : QString(); }
    QWidget *owner() const { return parentWidget(); }

private:
    bool m_ok = false;
    QString m_inner;
};
} // namespace

Q_DECLARE_METATYPE(Command)

class TagCommandsTest : public QObject
{
    Q_OBJECT
    TagsFrame m_frame;
    QList<Platform::FileDialogRequest> m_requests;
    QList<Platform::FileDialogResult> m_answers;

    std::unique_ptr<TEditeur> editor(const QStringList &lines, int selStart, int selLength)
    {
        auto e = std::make_unique<TEditeur>(&m_frame);
        e->Memo1->SetLines(lines);
        e->Memo1->Select(selStart, selLength);
        return e;
    }
    void answer(const QString &path)
    {
        Platform::FileDialogResult r;
        r.accepted = true;
        r.path = path;
        m_answers << r;
    }

private Q_SLOTS:
    void init()
    {
        m_requests.clear();
        m_answers.clear();
        Platform::setFileDialogHandler([this](const Platform::FileDialogRequest &r) {
            m_requests << r;
            return m_answers.isEmpty() ? Platform::FileDialogResult{} : m_answers.takeFirst();
        });
    }
    void cleanup()
    {
        Platform::setFileDialogHandler({});
        CommonDialogs::setTextHandler({});
        CommonDialogs::setColorHandler({});
        Fragment::setModalRunner({});
    }

    void wrapCommandsSurroundTheSelection_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("close");
        QTest::newRow("Gras") << &TEditeur::Gras << "<b>" << "</b>";
        QTest::newRow("Italique") << &TEditeur::Italique << "<i>" << "</i>";
        QTest::newRow("Souligne") << &TEditeur::Souligne << "<u>" << "</u>";
        QTest::newRow("Barre") << &TEditeur::Barre << "<strike>" << "</strike>";
        QTest::newRow("Indice") << &TEditeur::Indice << "<sub>" << "</sub>";
        QTest::newRow("Exposant") << &TEditeur::Exposant << "<sup>" << "</sup>";
        QTest::newRow("Preformat") << &TEditeur::Preformat << "<pre>" << "</pre>";
        QTest::newRow("Gauche") << &TEditeur::Gauche << "<p align=\"left\">" << "</p>";
        QTest::newRow("Droite") << &TEditeur::Droite << "<p align=\"right\">" << "</p>";
        QTest::newRow("Centre") << &TEditeur::Centre << "<center>" << "</center>";
        QTest::newRow("H1") << &TEditeur::H1 << "<h1>" << "</h1>";
        QTest::newRow("H3") << &TEditeur::H3 << "<h3>" << "</h3>";
        QTest::newRow("H6") << &TEditeur::H6 << "<h6>" << "</h6>";
        QTest::newRow("Paragraphe") << &TEditeur::Paragraphe << "<p>" << "</p>";
        QTest::newRow("Commentaire") << &TEditeur::Commentaire << "<!--" << "-->";
        QTest::newRow("Url2 placeholder on a made-up host")
            << &TEditeur::Url2 << "<a href=\"http://www.adresse-du-site.example/\">" << "</a>";
    }
    void wrapCommandsSurroundTheSelection()
    {
        QFETCH(Command, command);
        QFETCH(QString, open);
        QFETCH(QString, close);
        auto e = editor({"un mot ici"}, 3, 3);
        (e.get()->*command)();
        QCOMPARE(e->Memo1->Lines(), QStringList{"un " + open + "mot" + close + " ici"});
        QCOMPARE(e->Memo1->SelStart(), 3 + open.size() + 3 + close.size());
        QCOMPARE(e->Memo1->SelLength(), 0);
        e->Annuler();
        QCOMPARE(e->Memo1->Lines(), QStringList{"un mot ici"});
    }

    void emptySelectionLeavesTheEmptyPairAndCaretAfterIt()
    {
        auto e = editor({"ab"}, 1, 0);
        e->H2();
        QCOMPARE(e->Memo1->Lines(), QStringList{"a<h2></h2>b"});
        QCOMPARE(e->Memo1->SelStart(), 10);
    }

    void commentOverTwoLinesKeepsTheLineBreak()
    {
        auto e = editor({"ab", "cd"}, 1, 4); // "b", CR LF, "c"
        e->Commentaire();
        QCOMPARE(e->Memo1->Lines(), (QStringList{"a<!--b", "c-->d"}));
    }

    void policeWrapsOnlyASelection_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("expected");
        QTest::newRow("selection") << 5 << "<font face=\"Arial\">titre</font>";
        QTest::newRow("nothing selected") << 0 << "titre";
    }
    void policeWrapsOnlyASelection()
    {
        QFETCH(int, length);
        QFETCH(QString, expected);
        auto e = editor({"titre"}, 0, length);
        e->Police(QStringLiteral("Arial"));
        QCOMPARE(e->Memo1->Lines(), QStringList{expected});
    }

    void ancrageInsertsTheAnswerAsTyped_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("expected");
        QTest::newRow("typed anchor") << true << "<a name=\"haut\"></a>" << "x<a name=\"haut\"></a>y";
        QTest::newRow("empty answer") << true << "" << "xy";
        QTest::newRow("cancelled") << false << "ignored" << "xy";
    }
    void ancrageInsertsTheAnswerAsTyped()
    {
        QFETCH(bool, accepted);
        QFETCH(QString, answer);
        QFETCH(QString, expected);
        CommonDialogs::TextRequest asked;
        CommonDialogs::setTextHandler([&](const CommonDialogs::TextRequest &r) -> std::optional<QString> {
            asked = r;
            if (!accepted)
                return std::nullopt;
            return answer;
        });
        auto e = editor({"xy"}, 1, 0);
        e->Ancrage();
        QCOMPARE(asked.caption, QStringLiteral("Ancrage"));
        QCOMPARE(asked.prompt, QStringLiteral("Nom du point d'ancrage"));
        QCOMPARE(asked.initial, QString());
        QCOMPARE(e->Memo1->Lines(), QStringList{expected});
    }

    void couleurWritesSixUpperCaseDigits_data()
    {
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pure blue") << QColor(0, 0, 255) << "<font color=\"#0000FF\">mot</font>";
        QTest::newRow("grey 240") << QColor(240, 240, 240) << "<font color=\"#F0F0F0\">mot</font>";
        QTest::newRow("red first") << QColor(0xAB, 0x0C, 0x01) << "<font color=\"#AB0C01\">mot</font>";
    }
    void couleurWritesSixUpperCaseDigits()
    {
        QFETCH(QColor, color);
        QFETCH(QString, expected);
        CommonDialogs::setColorHandler([&](const QColor &) -> std::optional<QColor> { return color; });
        auto e = editor({"mot"}, 0, 3);
        e->Couleur();
        QCOMPARE(e->Memo1->Lines(), QStringList{expected});
    }

    void cancelledCouleurChangesNothingButLeavesASnapshot()
    {
        CommonDialogs::setColorHandler([](const QColor &) -> std::optional<QColor> { return std::nullopt; });
        auto e = editor({"avant"}, 0, 0);
        e->Gras();
        e->Memo1->SetLines({"tapé depuis"});
        e->Couleur();
        QCOMPARE(e->Memo1->Lines(), QStringList{"tapé depuis"});
        e->Memo1->SetLines({"encore"});
        e->Annuler();
        QCOMPARE(e->Memo1->Lines(), QStringList{"tapé depuis"});
    }

    void fileLinksAreRelativeToThePageFolder_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Url in a sub-folder") << "Url" << "docs/Plan.htm" << true << "<a href=\"docs/Plan.htm\">sel</a>";
        QTest::newRow("Url to a missing file keeps the typed path")
            << "Url" << "/nowhere/x.htm" << false << "<a href=\"/nowhere/x.htm\">sel</a>";
        QTest::newRow("Image replaces the selection") << "Image" << "img/logo.gif" << true << "<img src=\"img/logo.gif\">";
        QTest::newRow("Son") << "Son" << "sons/cri.wav" << true << "<a href=\"sons/cri.wav\">sel</a>";
    }
    void fileLinksAreRelativeToThePageFolder()
    {
        QFETCH(QString, command);
        QFETCH(QString, file);
        QFETCH(bool, exists);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString page = dir.filePath(QStringLiteral("page.htm"));
        touch(page);
        QString chosen = file;
        if (exists) {
            chosen = dir.filePath(file);
            touch(chosen);
        }
        auto e = std::make_unique<TEditeur>(&m_frame);
        e->OpenFile(page);
        e->Memo1->SetLines({"(sel)"});
        e->Memo1->Select(1, 3);
        answer(chosen);
        if (command == QLatin1String("Url"))
            e->Url();
        else if (command == QLatin1String("Image"))
            e->Image();
        else
            e->Son();
        QCOMPARE(e->Memo1->Lines(), QStringList{"(" + expected + ")"});
        QCOMPARE(m_requests.size(), 1);
        QCOMPARE(m_requests.first().picturePreview, command == QLatin1String("Image"));
    }

    void fileDialogsAreSetUpAsTheMenusSay()
    {
        auto e = editor({"x"}, 0, 0);
        e->Url();
        e->Image();
        e->Son();
        e->Css();
        QCOMPARE(m_requests.size(), 4);
        QCOMPARE(m_requests[0].title, QStringLiteral("Hyperlien vers fichier"));
        QCOMPARE(m_requests[0].filter,
                 QStringLiteral("Fichiers html (*.htm;*.html)|*.htm;*.html|Tous les fichiers (*.*)|*.*"));
        QCOMPARE(m_requests[0].fileName, QStringLiteral("*.htm;*.html"));
        QCOMPARE(m_requests[1].title, QStringLiteral("Insérer image"));
        QCOMPARE(m_requests[1].filter, QStringLiteral("Images Gif (*.gif)|*.gif|Images Jpeg (*.jpg)|*.jpg"));
        QCOMPARE(m_requests[1].fileName, QStringLiteral("*.gif;*.jpg"));
        QCOMPARE(m_requests[2].title, QStringLiteral("Insérer son"));
        QCOMPARE(m_requests[2].filter, QStringLiteral("sons Wav (*.wav)|*.wav|Sons midi (*.mid)|*.mid"));
        QCOMPARE(m_requests[2].fileName, QStringLiteral("*.wav;*.mid"));
        QCOMPARE(m_requests[3].title, QStringLiteral("Feuille de style"));
        QCOMPARE(m_requests[3].filter, QStringLiteral("Feuiles de style (*.css)|*.css"));
        QCOMPARE(m_requests[3].fileName, QStringLiteral("*.css"));
        QCOMPARE(e->Memo1->Lines(), QStringList{"x"}); // every dialog cancelled
    }

    void cssIsInsertedBeforeHeadThenReplaced()
    {
        QTemporaryDir dir;
        touch(dir.filePath(QStringLiteral("a.css")));
        touch(dir.filePath(QStringLiteral("styles/b.css")));
        auto e = std::make_unique<TEditeur>(&m_frame);
        const QString page = dir.filePath(QStringLiteral("page.htm"));
        touch(page);
        e->OpenFile(page);
        e->Memo1->SetLines(TEditeur::pageTemplate());
        e->Memo1->Select(8, 2);

        answer(dir.filePath(QStringLiteral("a.css")));
        e->Css();
        QStringList expected = TEditeur::pageTemplate();
        expected.insert(6, QStringLiteral("<link rel=stylesheet href=\"a.css\" type=\"text/css\">"));
        QCOMPARE(e->Memo1->Lines(), expected);

        answer(dir.filePath(QStringLiteral("styles/b.css")));
        e->Css();
        expected[6] = QStringLiteral("<link rel=stylesheet href=\"styles/b.css\" type=\"text/css\">");
        QCOMPARE(e->Memo1->Lines(), expected);

        answer(dir.filePath(QStringLiteral("missing.css")));
        e->Css();
        QCOMPARE(e->Memo1->Lines(), expected);
    }

    void styleSheetLineStopsAtTheFirstMatch_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("line");
        QTest::addColumn<bool>("replace");
        QTest::newRow("head only") << QStringList{"<HTML>", "</HEAD>"} << 1 << false;
        QTest::newRow("link before head") << QStringList{"<LINK href=x TYPE=TEXT/CSS>", "</head>"} << 0 << true;
        QTest::newRow("link after head not found") << QStringList{"</head>", "<link type=\"text/css\">"} << 0 << false;
        QTest::newRow("no head") << QStringList{"<html>", "<body>"} << -1 << false;
    }
    void styleSheetLineStopsAtTheFirstMatch()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, line);
        QFETCH(bool, replace);
        const TagText::LineEdit edit = TagText::styleSheetLine(lines);
        QCOMPARE(edit.line, line);
        if (line >= 0)
            QCOMPARE(edit.replace, replace);
    }

    void typedAccentsBecomeEntities_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("inserted");
        QTest::newRow("e acute") << "é" << "&eacute;";
        QTest::newRow("u grave") << "ù" << "&ugrave;";
        QTest::newRow("i diaeresis") << "ï" << "&iuml;";
        QTest::newRow("capital E acute unchanged") << "É" << "É";
        QTest::newRow("c cedilla unchanged") << "ç" << "ç";
        QTest::newRow("plain letter") << "z" << "z";
    }
    void typedAccentsBecomeEntities()
    {
        QFETCH(QString, typed);
        QFETCH(QString, inserted);
        auto e = editor({"a--b"}, 1, 2); // typing replaces the selection
        typeChar(e->Memo1, typed);
        QCOMPARE(e->Memo1->Lines(), QStringList{"a" + inserted + "b"});
        QCOMPARE(e->Memo1->SelStart(), 1 + inserted.size());
    }

    void typingAnEntityDropsTheRedoCopy()
    {
        auto e = editor({"1", "2", "3"}, 0, 0);
        e->Memorise();
        e->Memo1->SetLines({"x", "y", "z", "w"});
        e->Annuler();
        QVERIFY(m_frame.redo);
        typeChar(e->Memo1, QStringLiteral("é"));
        QVERIFY(!m_frame.redo);
        const QStringList typed = e->Memo1->Lines();
        e->Retablir();
        QCOMPARE(e->Memo1->Lines(), typed);
    }

    void fragmentPatternSnapshotsFirstAndReplacesTheSelection()
    {
        auto e = editor({"a(sel)b"}, 2, 3);
        QWidget *owner = nullptr;
        Fragment::setModalRunner([&](QDialog &d) {
            owner = d.parentWidget();
            d.findChild<QPushButton *>(QStringLiteral("OKBtn"))->click();
        });
        const QString selected = e->Memo1->SelText();
        insertFragment<EchoDialog>(*e, [&](EchoDialog &d) { d.Init(selected); });
        QCOMPARE(owner, e.get());
        QCOMPARE(e->Memo1->Lines(), QStringList{"a([sel])b"});
        QCOMPARE(e->Memo1->SelStart(), 7);
        e->Annuler();
        QCOMPARE(e->Memo1->Lines(), QStringList{"a(sel)b"});
    }

    void cancelledFragmentDialog_data()
    {
        QTest::addColumn<FragmentMode>("mode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("always replaces, even by nothing") << FragmentMode::Always << "a()b";
        QTest::newRow("unless empty keeps the selection") << FragmentMode::UnlessEmpty << "a(sel)b";
    }
    void cancelledFragmentDialog()
    {
        QFETCH(FragmentMode, mode);
        QFETCH(QString, expected);
        auto e = editor({"a(sel)b"}, 2, 3);
        Fragment::setModalRunner([](QDialog &d) { d.reject(); });
        QCOMPARE(insertFragment<EchoDialog>(*e, Fragment::NoInit{}, mode), QString());
        QCOMPARE(e->Memo1->Lines(), QStringList{expected});
    }
};

PEMO_TEST(TagCommandsTest)
#include "tst_tags.moc"
