#pragma once
// The document window's one-level undo store, kept apart from the window so
// that its rules can be tested on plain lists of lines:
//   memorise(lines, caret)  snapshot before a command changes the text;
//   undo(current)           gives the snapshot back and keeps `current` for redo;
//   redo()                  gives the redo copy back, unless it holds fewer than
//                           three lines (a page too short to be worth it);
//   typed()                 plain typing forgets the redo copy.
// The caret offset of the snapshot serves both directions.
#include <QStringList>
#include <optional>

class UndoStore
{
public:
    struct State {
        QStringList lines;
        int caret = 0;
    };

    void memorise(const QStringList &lines, int caret)
    {
        m_snapshot = lines;
        m_caret = caret;
    }
    State undo(const QStringList &current)
    {
        m_redo = current;
        return {m_snapshot, m_caret};
    }
    std::optional<State> redo() const
    {
        if (!redoAvailable())
            return std::nullopt;
        return State{m_redo, m_caret};
    }
    void typed() { m_redo.clear(); }
    bool redoAvailable() const { return m_redo.size() > 2; }
    const QStringList &snapshot() const { return m_snapshot; }
    int caret() const { return m_caret; }

private:
    QStringList m_snapshot;
    int m_caret = 0;
    QStringList m_redo;
};
