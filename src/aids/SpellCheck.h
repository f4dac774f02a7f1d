#pragma once
// The spell check of the page's text, over Hunspell. Only the text a reader
// sees is checked, read as the typography check reads it (tags, attributes,
// comments, scripts, styles, code samples and addresses left alone, entities
// decoded), and each word keeps the stretch of the source it was written
// with, so that "caf&eacute;" is checked as "café" and underlined whole.
//
// A checker holds one dictionary and must stay on the thread that uses it;
// the words the user ignores or adds are the program's, shared by every
// window (SpellWords).
#include "aids/FrenchTypography.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <atomic>
#include <memory>

class Hunspell;

namespace Spelling {

// A word of the page's text: where its source stands in the line, and the
// word as a reader sees it.
struct Word {
    int start = 0;
    int length = 0;
    QString text;
    bool operator==(const Word &) const = default;
};

// The words of a line worth checking: letters joined by apostrophes and
// hyphens. Words holding digits, unknown entities, or only capitals
// (acronyms) and single letters are left out.
QList<Word> wordsOf(QStringView line, const FrenchTypography::LineState &start,
                    FrenchTypography::LineState *end = nullptr);

// The language the page declares on its <html> element ("fr", "en-US"), or
// an empty string. tagEnd, when given, gets where that element's tag ends
// (line and column after its ">"), or line -1 when no such tag stands in
// the lines: text after that point cannot change the answer.
struct TextPoint {
    int line = -1;
    int column = 0;
};
QString pageLanguage(const QStringList &lines, TextPoint *tagEnd = nullptr);

// The folders searched for dictionaries; PEMO_HUNSPELL_DIR, when set, first.
QStringList dictionaryFolders();
// The dictionary for a language: its name ("fr_FR", "en_US") for the
// closest one installed, French when none is, empty when none at all.
QString dictionaryFor(const QString &language);

} // namespace Spelling

// The words the user chose, shared by all the program's windows: those
// ignored for the session, and the personal list, kept in the user's data
// folder (one word a line, UTF-8) and read again when another program
// window has written it.
namespace SpellWords {

// Where the personal list is kept.
QString personalFile();
// The list as it stands (read again when the file changed).
QStringList personalWords();
bool isPersonal(const QString &word);
// Adds the word and writes the list (whole, through a safe save). False,
// with a French message, when it cannot be written; the word is then still
// accepted for the session.
bool addPersonal(const QString &word, QString *error = nullptr);
// Ignored for the session, in any letter case.
void ignore(const QString &word);
bool isIgnored(const QString &word);
// Grows whenever a word is ignored or added, or the list was read again:
// results kept from before no longer hold.
int generation();
// Forgets the session's words and the list read (for tests).
void reset();

} // namespace SpellWords

class TSpellChecker
{
public:
    // The dictionary given by its name ("fr", "en_US"), from dictionaryFolders().
    explicit TSpellChecker(const QString &dictionary = QStringLiteral("fr"));
    ~TSpellChecker();
    TSpellChecker(const TSpellChecker &) = delete;
    TSpellChecker &operator=(const TSpellChecker &) = delete;

    bool isValid() const { return m_hunspell != nullptr; }
    QString dictionary() const { return m_dictionary; }
    // Why the dictionary could not be opened (French).
    QString errorString() const { return m_error; }

    // Words the dictionary knows, or the user accepted. A word the
    // dictionary's encoding cannot hold is not judged (answered correct).
    bool isCorrect(const QString &word);
    // At most `limit` suggestions, the dictionary's best first.
    QStringList suggestions(const QString &word, int limit = 8);

    // The misspelt words of a line.
    QList<Spelling::Word> misspelt(QStringView line, const FrenchTypography::LineState &start,
                                   FrenchTypography::LineState *end = nullptr);
    // The misspelt words of a whole page (on a worker thread: a checker of
    // its own). `cancel`, when set, is polled between lines.
    int countMisspelt(const QStringList &lines, const std::atomic_bool *cancel = nullptr);

private:
    QByteArray encode(const QString &word, bool *ok) const;
    QString decode(const std::string &bytes) const;

    std::unique_ptr<Hunspell> m_hunspell;
    QString m_dictionary;
    QString m_error;
    bool m_utf8 = true;
    QHash<QString, bool> m_known; // the dictionary's answers so far
};
