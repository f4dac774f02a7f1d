#include "UndoHistory.h"

#include <algorithm>

namespace {
// Characters an edit holds, with a little for its own record.
std::size_t editCost(const TTextEdit &e)
{
    return std::size_t(e.removed.size() + e.inserted.size()) + 16;
}
} // namespace

std::size_t TUndoHistory::Step::cost() const
{
    std::size_t c = 32 + std::size_t(name.size());
    for (const TTextEdit &e : edits)
        c += editCost(e);
    return c;
}

void TUndoHistory::setLimits(int maxSteps, std::size_t maxChars)
{
    m_maxSteps = std::max(1, maxSteps);
    m_maxChars = maxChars;
    trim();
}

const TUndoHistory::Step *TUndoHistory::openStep() const
{
    if (m_index == 0 || m_index != int(m_steps.size()))
        return nullptr;
    const Step &last = m_steps.back();
    return last.open ? &last : nullptr;
}

TUndoHistory::Step &TUndoHistory::stepFor(Kind kind, const QString &name, const TSelection &before, qint64 now)
{
    if (m_index > 0 && m_index == int(m_steps.size())) {
        Step &last = m_steps.back();
        const bool paused = kind != Kind::Command && now - last.lastTime > TypingPauseMs;
        if (last.open && last.kind == kind && !paused)
            return last;
    }
    return beginStep(kind, name, before, now);
}

TUndoHistory::Step &TUndoHistory::beginStep(Kind kind, const QString &name, const TSelection &before, qint64 now)
{
    close();
    dropRedo();
    Step step;
    step.name = name;
    step.kind = kind;
    step.before = before;
    step.after = before;
    step.lastTime = now;
    step.keep = kind == Kind::Command;
    m_cost += step.cost();
    m_steps.push_back(std::move(step));
    ++m_index;
    return m_steps.back();
}

void TUndoHistory::close()
{
    if (m_steps.empty() || m_index != int(m_steps.size()))
        return;
    Step &last = m_steps.back();
    if (!last.open)
        return;
    last.open = false;
    if (last.edits.empty() && !last.keep) {
        m_cost -= last.cost();
        m_steps.pop_back();
        --m_index;
        if (m_saved > m_index)
            m_saved = -1;
    }
}

void TUndoHistory::record(Step &step, TTextEdit edit, qint64 now)
{
    step.lastTime = now;
    if (edit.removed.isEmpty() && edit.inserted.isEmpty())
        return;
    if (!step.edits.empty() && step.kind != Kind::Command) {
        TTextEdit &last = step.edits.back();
        const std::size_t was = editCost(last);
        bool merged = false;
        if (edit.removed.isEmpty() && last.position + last.inserted.size() == edit.position) {
            // Typing on: the new characters follow the last ones.
            last.inserted += edit.inserted;
            merged = true;
        } else if (edit.inserted.isEmpty() && last.inserted.isEmpty()) {
            if (edit.position + edit.removed.size() == last.position) {
                // Backspace: the run grows to the left.
                last.removed.prepend(edit.removed);
                last.position = edit.position;
                merged = true;
            } else if (edit.position == last.position) {
                // Delete: the run grows to the right.
                last.removed += edit.removed;
                merged = true;
            }
        }
        if (merged) {
            m_cost = m_cost - was + editCost(last);
            return;
        }
    }
    m_cost += editCost(edit);
    step.edits.push_back(std::move(edit));
}

void TUndoHistory::trim()
{
    while (m_steps.size() > 1 && (int(m_steps.size()) > m_maxSteps || m_cost > m_maxChars) && m_index > 1)
        dropOldest();
}

void TUndoHistory::dropOldest()
{
    m_cost -= m_steps.front().cost();
    m_steps.pop_front();
    --m_index;
    if (m_saved >= 0)
        m_saved = m_saved > 0 ? m_saved - 1 : -1;
}

void TUndoHistory::dropRedo()
{
    while (int(m_steps.size()) > m_index) {
        m_cost -= m_steps.back().cost();
        m_steps.pop_back();
    }
    if (m_saved > m_index)
        m_saved = -1;
}

const TUndoHistory::Step &TUndoHistory::stepBack()
{
    close();
    return m_steps[--m_index];
}

const TUndoHistory::Step &TUndoHistory::stepForward()
{
    close();
    return m_steps[m_index++];
}

bool TUndoHistory::atSaved() const
{
    if (m_saved < 0)
        return false;
    const int from = std::min(m_saved, m_index), to = std::max(m_saved, m_index);
    for (int i = from; i < to; ++i)
        if (!m_steps[i].edits.empty() || m_steps[i].change)
            return false;
    return true;
}

void TUndoHistory::clear()
{
    m_steps.clear();
    m_index = 0;
    m_saved = 0;
    m_cost = 0;
}
