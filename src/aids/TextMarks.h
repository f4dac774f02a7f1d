#pragma once
// What a source pane underlines in the lines it draws: the misspelt words
// and the typography faults. Widget-free: the pane hands over the lines'
// text and tells of its changes.
//
// Reading a line needs what is open where it starts (a comment, a tag, a
// script), which the lines above decide; those states are kept from the
// page's top down, and a change forgets only what it may have changed: the
// states below it are kept, moved with their lines, and taken again as soon
// as the changed lines end in the state they ended in before.
// The marks of a line are kept by its text and its starting state, so that
// typing checks again only the line typed in.
#include "aids/FrenchTypography.h"
#include "aids/SpellCheck.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <vector>

class TTextMarks
{
public:
    using State = FrenchTypography::LineState;
    using Fetch = std::function<QString(int line)>;

    struct LineMarks {
        QList<Spelling::Word> misspelt;
        QList<FrenchTypography::Fault> faults; // line is 0 in these
    };

    // The checker used (not owned); nullptr: no spell check.
    void setChecker(TSpellChecker *checker);
    TSpellChecker *checker() const { return m_checker; }
    void setTypography(bool on);
    bool typography() const { return m_typography; }

    // Old lines [first, first + removed) became `added` lines.
    void linesChanged(int first, int removed, int added);
    // The page was replaced: nothing is known.
    void clear();

    // The state at the start of `line`. When more than `budget` lines above
    // it were never read (budget >= 0), only that many are read and the
    // answer is false: the caller asks again later.
    bool stateAt(int line, const Fetch &fetch, State *out, int budget = -1);
    // Lines whose starting state is known, from the top.
    int knownLines() const { return m_valid; }
    // Lines read to find states, since the start (for tests and benchmarks).
    qint64 linesRead() const { return m_linesRead; }

    // The marks of a line starting in `start`.
    LineMarks marksOf(const QString &text, const State &start);
    // Lines checked since the start (not taken from the kept marks).
    qint64 linesChecked() const { return m_linesChecked; }

private:
    struct Key {
        QString text;
        State state;
        bool operator==(const Key &) const = default;
    };
    friend size_t qHash(const Key &key, size_t seed) noexcept
    {
        const State &s = key.state;
        return qHashMulti(seed, key.text, int(s.mode), s.quote.unicode(), s.closingTag, s.afterEquals, s.tagKind,
                          s.codeDepth);
    }
    void forgetMarks();

    TSpellChecker *m_checker = nullptr;
    bool m_typography = true;
    int m_wordsGeneration = -1;

    std::vector<State> m_states {State()};
    int m_valid = 1;     // m_states[0, m_valid) hold
    int m_resume = -1;   // from here on m_states holds the states from before a change
    qint64 m_linesRead = 0;

    QHash<Key, LineMarks> m_marks;
    qint64 m_linesChecked = 0;
};
