#include "TextMarks.h"

#include <algorithm>

void TTextMarks::setChecker(TSpellChecker *checker)
{
    if (checker == m_checker)
        return;
    m_checker = checker;
    forgetMarks();
}

void TTextMarks::setTypography(bool on)
{
    if (on == m_typography)
        return;
    m_typography = on;
    forgetMarks();
}

void TTextMarks::forgetMarks() { m_marks.clear(); }

void TTextMarks::clear()
{
    m_states.assign(1, State());
    m_valid = 1;
    m_resume = -1;
    forgetMarks();
}

void TTextMarks::linesChanged(int first, int removed, int added)
{
    first = std::max(0, first);
    removed = std::max(1, removed);
    added = std::max(1, added);
    if (m_resume >= 0) {
        // A change whose lines were not read again yet: what lies below the
        // first one is not known well enough to be moved once more.
        m_states.resize(m_valid);
        m_resume = -1;
    }
    if (first >= m_valid)
        return; // below what is known: the known states stay
    // Line first starts as before; the line after the changed ones starts
    // as the one after the old lines did, if they end as before.
    const int oldNext = first + removed;
    std::vector<State> tail;
    if (oldNext < m_valid)
        tail.assign(m_states.begin() + oldNext, m_states.begin() + m_valid);
    m_states.resize(first + 1);
    m_valid = first + 1;
    if (!tail.empty()) {
        m_states.resize(first + added);
        m_states.insert(m_states.end(), tail.begin(), tail.end());
        m_resume = first + added;
    }
}

bool TTextMarks::stateAt(int line, const Fetch &fetch, State *out, int budget)
{
    line = std::max(0, line);
    int read = 0;
    while (m_valid <= line) {
        if (budget >= 0 && read >= budget)
            return false;
        const int i = m_valid - 1;
        const State end = FrenchTypography::endOf(fetch(i), m_states[i]);
        ++read;
        ++m_linesRead;
        if (m_valid == int(m_states.size())) {
            m_states.push_back(end);
            ++m_valid;
        } else if (m_resume == m_valid && m_states[m_valid] == end) {
            // The changed lines end as before: every state kept below holds.
            m_valid = int(m_states.size());
            m_resume = -1;
        } else {
            m_states[m_valid] = end;
            ++m_valid;
            if (m_resume >= 0 && m_resume < m_valid)
                m_resume = m_valid < int(m_states.size()) ? m_valid : -1;
        }
    }
    *out = m_states[line];
    return true;
}

TTextMarks::LineMarks TTextMarks::marksOf(const QString &text, const State &start)
{
    const int generation = SpellWords::generation();
    if (generation != m_wordsGeneration) {
        m_wordsGeneration = generation;
        forgetMarks();
    }
    Key key {text, start};
    const auto it = m_marks.constFind(key);
    if (it != m_marks.constEnd())
        return *it;
    // The kept marks are those of the lines seen lately; a page scrolled
    // through makes new ones.
    if (m_marks.size() > 4000)
        m_marks.clear();
    LineMarks marks;
    if (m_checker)
        marks.misspelt = m_checker->misspelt(text, start);
    if (m_typography)
        marks.faults = FrenchTypography::scanLine(text, start).faults;
    ++m_linesChecked;
    m_marks.insert(std::move(key), marks);
    return marks;
}
