#pragma once
// The page's undo history: a list of steps, each holding the differences it
// made (the characters taken out and put in at each place), never a copy of
// the page. Positions are the text document's own (a line break counts one).
//
// Steps are grouped as users expect: a run of typed characters is one step
// until a pause, a line break, a caret move or a command; a run of deletions
// is a step of its own; each command is one step however many places it
// changes. The history forgets its oldest steps past a bound on their number
// and on the characters they hold; the newest step is always kept.
#include <QString>
#include <cstddef>
#include <deque>
#include <utility>
#include <vector>

struct TTextEdit
{
    int position = 0;
    QString removed;   // what stood at position before
    QString inserted;  // what stands there after
};

struct TSelection
{
    int anchor = 0;
    int position = 0;
};

class TUndoHistory
{
public:
    enum class Kind { Command, Typing, Deleting };

    struct Step
    {
        QString name;
        Kind kind = Kind::Command;
        std::vector<TTextEdit> edits; // in the order they were made
        TSelection before;            // the selection given back by "Annuler"
        TSelection after;             // the one given back by "Rétablir"
        qint64 lastTime = 0;          // of the last edit, for the typing pause
        bool open = true;             // later edits of the same kind may join it
        bool keep = false;            // kept even without an edit (a command's)
        bool change = false;          // a change of the page even without an edit
        std::size_t cost() const;
    };

    // Bounds: the number of steps, and the characters all steps hold.
    static constexpr int DefaultMaxSteps = 10000;
    static constexpr std::size_t DefaultMaxChars = std::size_t(64) << 20;
    // A typed run ends at a pause longer than this.
    static constexpr qint64 TypingPauseMs = 1000;

    void setLimits(int maxSteps, std::size_t maxChars);

    // The step the next edit of that kind goes into: the open last step when
    // it is of the same kind and still takes edits, else a new one (which
    // drops what could have been redone).
    Step &stepFor(Kind kind, const QString &name, const TSelection &before, qint64 now);
    // A new step, closing the one before; a command's stays even when it
    // changes nothing, so that "Annuler" right after it gives back its caret.
    Step &beginStep(Kind kind, const QString &name, const TSelection &before, qint64 now);
    // The last step takes no more edits; an empty one without `keep` goes.
    void close();
    // Adds an edit to a step from stepFor/beginStep, merging it into the
    // step's last edit when it continues it (typing, a deletion run).
    void record(Step &step, TTextEdit edit, qint64 now);
    // Bounds applied after a step has grown.
    void trim();

    bool canUndo() const { return m_index > 0; }
    bool canRedo() const { return m_index < int(m_steps.size()); }
    // The step "Annuler" and "Rétablir" would take; only valid when possible.
    const Step &undoStep() const { return m_steps[m_index - 1]; }
    const Step &redoStep() const { return m_steps[m_index]; }
    const Step &stepAt(int i) const { return m_steps[i]; }
    // Moves over one step; the caller applies it.
    const Step &stepBack();
    const Step &stepForward();

    // The modified mark: the page is unmodified at the saved place, and
    // wherever only steps that changed nothing lie between it and there.
    void markSaved() { close(); m_saved = m_index; }
    bool atSaved() const;
    void clear();

    int count() const { return int(m_steps.size()); }
    int index() const { return m_index; }
    std::size_t cost() const { return m_cost; }
    const Step *openStep() const;
    Step *openStep() { return const_cast<Step *>(std::as_const(*this).openStep()); }

private:
    void dropRedo();
    void dropOldest();

    std::deque<Step> m_steps;
    int m_index = 0;    // steps [0, m_index) are done
    int m_saved = 0;    // -1: the saved place is gone from the history
    std::size_t m_cost = 0;
    int m_maxSteps = DefaultMaxSteps;
    std::size_t m_maxChars = DefaultMaxChars;
};
