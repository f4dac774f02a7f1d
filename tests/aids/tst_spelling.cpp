// The spell check: which words of the source are the page's text, the
// dictionary a page gets, suggestions, the words the user keeps, and the
// marks kept for a pane as the page changes.
#include "testmain.h"

#include "aids/SpellCheck.h"
#include "aids/TextMarks.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

namespace {

// The words found in a line, as the reader sees them and as their source
// stretch reads.
QStringList wordTexts(const QString &line)
{
    QStringList out;
    for (const Spelling::Word &w : Spelling::wordsOf(line, {}))
        out << w.text + u'=' + line.mid(w.start, w.length);
    return out;
}

QStringList misspeltTexts(TSpellChecker &checker, const QString &line)
{
    QStringList out;
    for (const Spelling::Word &w : checker.misspelt(line, {}))
        out << w.text;
    return out;
}

} // namespace

class SpellingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { SpellWords::reset(); }

    void wordsOfTheText_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("plain") << "Le chat dort." << QStringList{"Le=Le", "chat=chat", "dort=dort"};
        QTest::newRow("tag names and attributes") << "<p class=\"mauvais\" title='erreurr'>bon</p>"
                                                  << QStringList{"bon=bon"};
        QTest::newRow("comment") << "<!-- erreurr --> fin" << QStringList{"fin=fin"};
        QTest::newRow("script and style") << "<script>var erreurr;</script><style>p{colr:red}</style>mot"
                                          << QStringList{"mot=mot"};
        QTest::newRow("entity decoded, source kept") << "caf&eacute; cr&egrave;me"
                                                     << QStringList{"café=caf&eacute;", "crème=cr&egrave;me"};
        QTest::newRow("numeric entity") << "&#233;t&#xE9;" << QStringList{"été=&#233;t&#xE9;"};
        QTest::newRow("oe ligature entity") << "c&oelig;ur" << QStringList{"cœur=c&oelig;ur"};
        QTest::newRow("elision and hyphen stay whole")
            << "l'école aujourd’hui peut-être" << QStringList{"l'école=l'école", "aujourd'hui=aujourd’hui", "peut-être=peut-être"};
        QTest::newRow("hyphen and apostrophe at the edges") << "-mot- 'mot'" << QStringList{"mot=mot", "mot=mot"};
        QTest::newRow("address") << "voir http://exemple.fr/chemn et www.exmple.fr ici" << QStringList{"voir=voir", "et=et", "ici=ici"};
        QTest::newRow("code sample") << "<code>printf</code> texte" << QStringList{"texte=texte"};
        QTest::newRow("digits, acronyms, single letters") << "h2o 10e HTML a mot" << QStringList{"mot=mot"};
        QTest::newRow("unknown entity") << "ab&foo;cd mot" << QStringList{"mot=mot"};
        QTest::newRow("a tag inside a word") << "<b>M</b>ot, <i>p</i>as un mot" << QStringList{"un=un", "mot=mot"};
        QTest::newRow("entity nbsp separates") << "deux&nbsp;mots" << QStringList{"deux=deux", "mots=mots"};
    }
    void wordsOfTheText()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, words);
        QCOMPARE(wordTexts(line), words);
    }

    void stateCarriesOverLines()
    {
        // A comment, a tag and a script opened on one line go on on the next.
        FrenchTypography::LineState s;
        QVERIFY(Spelling::wordsOf(u"texte <!-- debut", s, &s).size() == 1);
        QCOMPARE(Spelling::wordsOf(u"erreurr --> suite", s, &s).size(), 1);
        Spelling::wordsOf(u"<a title=\"long", s, &s);
        QCOMPARE(Spelling::wordsOf(u"erreurr\">lien</a>", s, &s).first().text, QStringLiteral("lien"));
        Spelling::wordsOf(u"<script>", s, &s);
        QVERIFY(Spelling::wordsOf(u"var erreurr;", s, &s).isEmpty());
        QCOMPARE(Spelling::wordsOf(u"</script>fin", s, &s).first().text, QStringLiteral("fin"));
    }

    void pageLanguageAndDictionary()
    {
        QCOMPARE(Spelling::pageLanguage({"<!DOCTYPE html>", "<HTML LANG=\"en-US\">"}), QStringLiteral("en-US"));
        QCOMPARE(Spelling::pageLanguage({"<html", "  xml:lang='fr'>"}), QStringLiteral("fr"));
        QCOMPARE(Spelling::pageLanguage({"<html><body lang=\"en\">"}), QString());
        QCOMPARE(Spelling::pageLanguage({"<p>pas de page</p>"}), QString());
        // Where the element's tag ends: after its ">", on the line it ends.
        Spelling::TextPoint end;
        Spelling::pageLanguage({"<!DOCTYPE html>", "<html", "  lang='fr'><head>"}, &end);
        QCOMPARE(end.line, 2);
        QCOMPARE(end.column, 12);
        Spelling::pageLanguage({"<html>"}, &end);
        QCOMPARE(end.line, 0);
        QCOMPARE(end.column, 6);
        Spelling::pageLanguage({"<p>pas de page</p>", "<html"}, &end);
        QCOMPARE(end.line, -1);
        if (Spelling::dictionaryFor(QStringLiteral("fr")).isEmpty())
            QSKIP("Aucun dictionnaire français installé (paquet hunspell-fr)");
        QCOMPARE(Spelling::dictionaryFor(QStringLiteral("en-US")), QStringLiteral("en_US"));
        QCOMPARE(Spelling::dictionaryFor(QStringLiteral("en-GB")), QStringLiteral("en_US")); // the closest installed
        QCOMPARE(Spelling::dictionaryFor(QStringLiteral("fr-CA")), QStringLiteral("fr_CA"));
        // No dictionary for the page's language, or none declared: French.
        QCOMPARE(Spelling::dictionaryFor(QStringLiteral("tlh")), QStringLiteral("fr"));
        QCOMPARE(Spelling::dictionaryFor(QString()), QStringLiteral("fr"));
    }

    void frenchWordsAndSuggestions()
    {
        TSpellChecker fr(QStringLiteral("fr"));
        if (!fr.isValid())
            QSKIP("Aucun dictionnaire français installé (paquet hunspell-fr)");
        QCOMPARE(misspeltTexts(fr, "<p lang=\"fr\">Bonjoru, l'ecole est ouverte aujourd'hui.</p>"),
                 (QStringList{"Bonjoru", "l'ecole"}));
        QCOMPARE(misspeltTexts(fr, "caf&eacute; cr&egrave;me, c&oelig;ur"), QStringList());
        const QStringList bonjour = fr.suggestions(QStringLiteral("bonjoru"));
        QVERIFY2(bonjour.contains(QStringLiteral("bonjour")), qPrintable(bonjour.join(u',')));
        const QStringList ecole = fr.suggestions(QStringLiteral("ecole"));
        QVERIFY2(ecole.contains(QStringLiteral("école")), qPrintable(ecole.join(u',')));
        QVERIFY(ecole.size() <= 8);
        QVERIFY(fr.suggestions(QStringLiteral("zzzzqqqwwwxx"), 8).size() <= 8);
        QCOMPARE(fr.suggestions(QStringLiteral("ecole"), 1).size(), 1);

        TSpellChecker en(QStringLiteral("en_US"));
        if (en.isValid()) {
            QVERIFY(en.isCorrect(QStringLiteral("school")));
            QVERIFY(!en.isCorrect(QStringLiteral("école")));
        }
        TSpellChecker none(QStringLiteral("xx_XX"));
        QVERIFY(!none.isValid());
        QVERIFY(none.errorString().contains(QStringLiteral("introuvable")));
        QVERIFY(none.misspelt(u"zzzqqq mots", {}).isEmpty());
    }

    void ignoredAndPersonalWords()
    {
        TSpellChecker fr(QStringLiteral("fr"));
        if (!fr.isValid())
            QSKIP("Aucun dictionnaire français installé (paquet hunspell-fr)");
        QFile::remove(SpellWords::personalFile());
        QVERIFY(!fr.isCorrect(QStringLiteral("Pemoïde")));
        const int before = SpellWords::generation();
        SpellWords::ignore(QStringLiteral("Pemoïde"));
        QVERIFY(SpellWords::generation() != before);
        QVERIFY(fr.isCorrect(QStringLiteral("Pemoïde")));

        QString error;
        QVERIFY(SpellWords::addPersonal(QStringLiteral("chouquettage"), &error));
        QVERIFY(SpellWords::addPersonal(QStringLiteral("chouquettage"))); // once in the list
        QVERIFY(SpellWords::addPersonal(QStringLiteral("éclairâge")));
        QVERIFY(fr.isCorrect(QStringLiteral("Chouquettage"))); // at a sentence's start

        // The next run of the program: the session's words are gone, the
        // list is read from its file, in UTF-8, one word a line.
        SpellWords::reset();
        QVERIFY(!fr.isCorrect(QStringLiteral("Pemoïde")));
        QVERIFY(fr.isCorrect(QStringLiteral("éclairâge")));
        QFile file(SpellWords::personalFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), QStringLiteral("chouquettage\néclairâge\n"));
        file.close();

        // Another window (another process) adds a word: it is read again,
        // and a word added here keeps it.
        {
            QSaveFile other(SpellWords::personalFile());
            QVERIFY(other.open(QIODevice::WriteOnly));
            other.write(QStringLiteral("chouquettage\néclairâge\nfenêtrâge\n").toUtf8());
            QVERIFY(other.commit());
        }
        QVERIFY(SpellWords::personalWords().contains(QStringLiteral("fenêtrâge")));
        QVERIFY(SpellWords::addPersonal(QStringLiteral("troisième-mot")));
        QCOMPARE(SpellWords::personalWords(),
                 (QStringList{"chouquettage", "éclairâge", "fenêtrâge", "troisième-mot"}));
    }

    void personalListThatCannotBeWritten()
    {
        // The data folder is a file: the word stays accepted for the session
        // and the failure is told, naming the list.
        const QString folder = QFileInfo(SpellWords::personalFile()).absolutePath();
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("bloque")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("XDG_DATA_HOME", QFile::encodeName(blocker.fileName()));
        QString error;
        QVERIFY(!SpellWords::addPersonal(QStringLiteral("motbloqué"), &error));
        QVERIFY2(error.contains(QStringLiteral("dictionnaire personnel")), qPrintable(error));
        QVERIFY(SpellWords::isPersonal(QStringLiteral("motbloqué")));
        qputenv("XDG_DATA_HOME", saved);
        QVERIFY(QFileInfo(SpellWords::personalFile()).absolutePath() == folder);
    }

    void wholePageOnAWorkerThread()
    {
        if (Spelling::dictionaryFor(QStringLiteral("fr")).isEmpty())
            QSKIP("Aucun dictionnaire français installé (paquet hunspell-fr)");
        QStringList lines = {"<html lang=\"fr\"><body>"};
        for (int i = 0; i < 200; ++i)
            lines << "<p>Une phrase sans faute, puis une ereur.</p>";
        int count = -1;
        QThread *worker = QThread::create([&] {
            TSpellChecker own(QStringLiteral("fr"));
            count = own.countMisspelt(lines);
        });
        worker->start();
        QVERIFY(worker->wait(60000));
        delete worker;
        QCOMPARE(count, 200);
        std::atomic_bool cancel = true;
        TSpellChecker fr(QStringLiteral("fr"));
        QCOMPARE(fr.countMisspelt(lines, &cancel), 0);
    }

    void marksFollowTheChanges()
    {
        // The states at the lines' starts survive a change that ends as it
        // began, and are found again below one that does not.
        QStringList lines;
        for (int i = 0; i < 100; ++i)
            lines << QStringLiteral("<p>ligne %1</p>").arg(i);
        const TTextMarks::Fetch fetch = [&lines](int i) { return lines.at(i); };
        TTextMarks marks;
        TTextMarks::State s;
        QVERIFY(marks.stateAt(99, fetch, &s));
        const qint64 read = marks.linesRead();
        QCOMPARE(read, 99);

        lines[10] = QStringLiteral("<p>ligne changée</p>");
        marks.linesChanged(10, 1, 1);
        QVERIFY(marks.stateAt(99, fetch, &s));
        QCOMPARE(marks.linesRead(), read + 1); // only the changed line read again
        QCOMPARE(s.mode, TTextMarks::State::Mode::Text);

        // A comment opened at line 20 runs to the end now.
        lines.insert(20, QStringLiteral("<!-- ouvert"));
        marks.linesChanged(20, 1, 2);
        QVERIFY(marks.stateAt(99, fetch, &s));
        QCOMPARE(s.mode, TTextMarks::State::Mode::Comment);
        // And closed again at 50: every line below was in the comment, so
        // they are read again down to the one asked for.
        lines[50] = QStringLiteral("fermé -->");
        marks.linesChanged(50, 1, 1);
        const qint64 beforeClose = marks.linesRead();
        QVERIFY(marks.stateAt(100, fetch, &s));
        QCOMPARE(s.mode, TTextMarks::State::Mode::Text);
        QCOMPARE(marks.linesRead(), beforeClose + 50);

        // A far line with a small budget: read in slices, not at once.
        TTextMarks fresh;
        QVERIFY(!fresh.stateAt(99, fetch, &s, 30));
        QCOMPARE(fresh.knownLines(), 31);
        QVERIFY(fresh.stateAt(99, fetch, &s, 100));
    }

    void marksOfALine()
    {
        TSpellChecker fr(QStringLiteral("fr"));
        if (!fr.isValid())
            QSKIP("Aucun dictionnaire français installé (paquet hunspell-fr)");
        TTextMarks marks;
        marks.setChecker(&fr);
        const QString line = QStringLiteral("<p>Une ereur ici!</p>");
        TTextMarks::LineMarks m = marks.marksOf(line, {});
        QCOMPARE(m.misspelt.size(), 1);
        QCOMPARE(line.mid(m.misspelt.first().start, m.misspelt.first().length), QStringLiteral("ereur"));
        QCOMPARE(m.faults.size(), 1);
        QCOMPARE(m.faults.first().sign, QChar(u'!'));
        // Kept: the same line is not checked again...
        const qint64 checked = marks.linesChecked();
        marks.marksOf(line, {});
        QCOMPARE(marks.linesChecked(), checked);
        // ...until the user's words change.
        SpellWords::ignore(QStringLiteral("ereur"));
        QVERIFY(marks.marksOf(line, {}).misspelt.isEmpty());
        marks.setTypography(false);
        QVERIFY(marks.marksOf(line, {}).faults.isEmpty());
    }
};

PEMO_TEST(SpellingTest)
#include "tst_spelling.moc"
