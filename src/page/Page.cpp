#include "Page.h"

#include "platform/Paths.h"

#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>

#include <algorithm>
#include <vector>

namespace {
// The document turns U+2029 into a line break of its own, so a page that
// holds that character (a UTF-8 or UTF-16 file may) keeps it in the
// document as a noncharacter set aside for such internal use, given back on
// every read.
constexpr char16_t keptSeparator = 0xFDEF;

QString toStored(const QString &text)
{
    if (!text.contains(QChar::ParagraphSeparator))
        return text;
    return QString(text).replace(QChar::ParagraphSeparator, QChar(keptSeparator));
}

void fromStored(QString &text)
{
    if (text.contains(QChar(keptSeparator)))
        text.replace(QChar(keptSeparator), QChar::ParagraphSeparator);
}

// The document stores a line break as a paragraph separator; the text
// handed in has LF.
inline bool sameCharacter(QChar stored, QChar given)
{
    return stored == given || (stored == QChar::ParagraphSeparator && given == u'\n');
}

// What the document's cursor turns into a line break on insertion.
inline bool isInsertedBreak(QChar c)
{
    return c == u'\n' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) || c == QChar(0xFDD1);
}

// The lengths of the common start and end of stored and given, which
// together never exceed the shorter one and never cut a surrogate pair.
void commonEnds(QStringView stored, QStringView given, qsizetype *head, qsizetype *tail)
{
    const qsizetype common = std::min(stored.size(), given.size());
    qsizetype h = 0;
    while (h < common && sameCharacter(stored[h], given[h]))
        ++h;
    if (h > 0 && h < given.size() && given[h - 1].isHighSurrogate())
        --h;
    qsizetype t = 0;
    while (t < common - h && sameCharacter(stored[stored.size() - 1 - t], given[given.size() - 1 - t]))
        ++t;
    if (t > 0 && given.size() - t > 0 && given[given.size() - t].isLowSurrogate())
        --t;
    *head = h;
    *tail = t;
}

// Replaces document positions [position, position + removed) by text. The
// page's text carries no format: the plain one is given rather than looked
// up in the document at every key.
void replaceAt(QTextCursor &c, int position, int removed, const QString &text)
{
    static const QTextCharFormat plain;
    c.setPosition(position);
    c.setPosition(position + removed, QTextCursor::KeepAnchor);
    if (text.isEmpty())
        c.removeSelectedText();
    else
        c.insertText(text, plain);
}

// Where a piece of a long run ends: after a tag near its length, else
// after a blank, so that tags, words and what stands around a sign are
// rarely cut; never inside a pair.
qsizetype pieceEnd(QStringView text, qsizetype start, qsizetype end)
{
    const qsizetype hard = start + TPage::PieceLength;
    if (hard >= end)
        return end;
    const qsizetype reach = hard - TPage::PieceLength / 4;
    for (qsizetype i = hard; i > reach; --i)
        if (text[i - 1] == u'>')
            return i;
    for (qsizetype i = hard; i > reach; --i)
        if (text[i - 1] == u' ' || text[i - 1] == u'\t')
            return i;
    return text[hard - 1].isHighSurrogate() ? hard - 1 : hard;
}

// The text with a join wherever a run between breaks is longer than a
// block may be; `cuts` gets their places in the result.
// Whether any break but LF stands in text: one pass without a branch,
// which the compiler makes many characters at a time.
bool hasOtherBreaks(QStringView text)
{
    const char16_t *p = text.utf16();
    unsigned found = 0;
    for (qsizetype i = 0, n = text.size(); i < n; ++i)
        found |= unsigned(p[i] == 0x2029) | unsigned((p[i] & 0xFFFE) == 0xFDD0);
    return found != 0;
}

QString withJoins(const QString &text, std::vector<int> *cuts)
{
    cuts->clear();
    if (text.size() <= TPage::LongBlock)
        return text;
    QString out;
    const qsizetype n = text.size();
    qsizetype run = 0; // where the current run started
    qsizetype copied = 0;
    // Most texts break only at LF: the library then finds each break many
    // characters at a time.
    const QStringView view(text);
    const bool lfOnly = !hasOtherBreaks(view);
    auto nextBreak = [&](qsizetype from) {
        if (lfOnly) {
            const qsizetype at = view.indexOf(u'\n', from);
            return at < 0 ? n : at;
        }
        while (from < n && !isInsertedBreak(view[from]))
            ++from;
        return from;
    };
    for (qsizetype i = nextBreak(0); i <= n; i = i < n ? nextBreak(i + 1) : n + 1) {
        if (i - run > TPage::LongBlock) {
            if (out.isEmpty())
                out.reserve(n + n / TPage::PieceLength + 16);
            for (qsizetype at = run; at < i;) {
                const qsizetype e = pieceEnd(text, at, i);
                out.append(QStringView(text).mid(copied, e - copied));
                copied = e;
                if (e < i) {
                    cuts->push_back(int(out.size()));
                    out.append(QChar::ParagraphSeparator);
                }
                at = e;
            }
        }
        run = i + 1;
    }
    if (cuts->empty())
        return text;
    out.append(QStringView(text).mid(copied));
    return out;
}

qint64 steadyClock()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

qsizetype groupingFrom = TPage::TwoStepsFrom;

constexpr QChar groupBreak = QChar::LineSeparator;

const QString typingName = QStringLiteral("Frappe");
const QString deletingName = QStringLiteral("Suppression");
const QString changeName = QStringLiteral("Modification");
} // namespace

TPage::TPage(QObject *parent)
    : QObject(parent), m_doc(new QTextDocument(this))
{
    // The history below keeps the differences; the document's own would
    // keep a second copy of every change.
    m_doc->setUndoRedoEnabled(false);
    m_cursor = QTextCursor(m_doc);
    m_revision = m_doc->revision();
    connect(m_doc, &QTextDocument::contentsChanged, this, &TPage::contentsChanged);
    connect(m_doc, &QTextDocument::contentsChange, this, &TPage::documentChange);
}

TPage::~TPage() = default;

qint64 TPage::now() const { return m_clock ? m_clock() : steadyClock(); }

void TPage::contentsChanged()
{
    // A group taken apart changes the document, not the page's text.
    if (m_quiet)
        return;
    // The document tells of every change of its content this way, laid out
    // in a pane or not.
    ++m_changes;
    m_lastChange = now();
    if (m_editing > 0 || m_doc->revision() == m_revision)
        return;
    m_revision = m_doc->revision();
    // Someone edited the document itself: what it took out is not known,
    // so no step before this one can be given back safely.
    m_history.clear();
    m_forcedModified = true;
    Q_EMIT historyChanged();
}

void TPage::documentChange(int position, int removed, int added)
{
    // The page's own edits keep the joins themselves; an edit of the
    // document behind its back is one edit, told here.
    if (m_editing > 0 || (removed == 0 && added == 0))
        return;
    if (!m_groups.empty())
        groupsChangedBehind(position, removed, added);
    if (m_joins.empty())
        return;
    if (removed != added) {
        moveJoins(position, position + removed, added - removed, false);
        return;
    }
    // A change of formats alone tells of its stretch as taken out and put
    // back: the joins still standing there stay.
    const auto first = std::lower_bound(m_joins.begin(), m_joins.end(), position);
    const auto last = std::lower_bound(first, m_joins.end(), position + removed);
    m_joins.erase(std::remove_if(first, last,
                                 [this](int join) { return m_doc->characterAt(join) != QChar::ParagraphSeparator; }),
                  last);
}

void TPage::groupsChangedBehind(int position, int removed, int added)
{
    // Groups the edit reached are told again from the blocks it left, every
    // line separator in them still taken for a line break; those after it
    // move.
    const int end = position + removed;
    auto first = std::lower_bound(m_groups.begin(), m_groups.end(), position,
                                  [](const Group &g, int p) { return g.position + g.length < p; });
    auto last = std::upper_bound(first, m_groups.end(), end, [](int p, const Group &g) { return p < g.position; });
    const bool touched = first != last;
    const int firstBlock = touched ? first->position : 0;
    first = m_groups.erase(first, last);
    for (auto g = first; g != m_groups.end(); ++g)
        g->position += added - removed;
    if (touched) {
        std::vector<Group> again;
        for (QTextBlock b = m_doc->findBlock(std::min(firstBlock, position));
             b.isValid() && b.position() <= position + added; b = b.next()) {
            const QString text = b.text();
            if (const int breaks = int(text.count(groupBreak)); breaks > 0)
                again.push_back({b.position(), int(text.size()), breaks, 0});
        }
        m_groups.insert(first, again.begin(), again.end());
    }
    countGroupBreaks();
}

std::vector<int>::iterator TPage::moveJoins(int from, int to, int moved, bool groupsToo)
{
    // The groups after the stretch move with the joins; those in it were
    // taken apart before the edit.
    if (groupsToo && moved != 0 && !m_groups.empty()) {
        auto g = std::lower_bound(m_groups.begin(), m_groups.end(), to,
                                  [](const Group &group, int p) { return group.position < p; });
        for (; g != m_groups.end(); ++g)
            g->position += moved;
    }
    auto first = std::lower_bound(m_joins.begin(), m_joins.end(), from);
    auto last = std::lower_bound(first, m_joins.end(), to);
    for (auto j = last; j != m_joins.end(); ++j)
        *j += moved;
    return m_joins.erase(first, last);
}

void TPage::besideTheText(const std::function<void()> &viewWork)
{
    ++m_editing;
    viewWork();
    --m_editing;
    m_revision = m_doc->revision();
}

// ------------------------------------------------------------------ offsets

QString TPage::fromCrLf(const QString &text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            out += u'\n';
            if (i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

int TPage::joinsBefore(int position) const
{
    return int(std::lower_bound(m_joins.begin(), m_joins.end(), position) - m_joins.begin());
}

bool TPage::isJoin(int position) const { return std::binary_search(m_joins.begin(), m_joins.end(), position); }

bool TPage::joinsPrevious(const QTextBlock &block) const
{
    return !m_joins.empty() && block.isValid() && block.position() > 0 && isJoin(block.position() - 1);
}

int TPage::documentPosition(int textPosition) const
{
    // Join i stands before text position m_joins[i] - i; those before the
    // text position asked for come before it in the document.
    int lo = 0, hi = int(m_joins.size());
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (m_joins[mid] - mid < textPosition)
            lo = mid + 1;
        else
            hi = mid;
    }
    return textPosition + lo;
}

// ------------------------------------------------------------------ groups

qsizetype TPage::groupFrom() { return groupingFrom; }

void TPage::setGroupFrom(qsizetype length) { groupingFrom = length; }

const TPage::Group *TPage::groupAt(int position) const
{
    const auto g = std::lower_bound(m_groups.begin(), m_groups.end(), position,
                                    [](const Group &group, int p) { return group.position < p; });
    return g != m_groups.end() && g->position == position ? &*g : nullptr;
}

bool TPage::holdsLines(const QTextBlock &block) const
{
    return !m_groups.empty() && block.isValid() && groupAt(block.position()) != nullptr;
}

int TPage::groupBreaksBefore(int position) const
{
    if (m_groups.empty())
        return 0;
    auto g = std::upper_bound(m_groups.begin(), m_groups.end(), position,
                              [](int p, const Group &group) { return p < group.position; });
    if (g == m_groups.begin())
        return 0;
    --g;
    if (position <= g->position)
        return g->breaksBefore;
    if (position > g->position + g->length)
        return g->breaksBefore + g->breaks;
    const QString text = m_doc->findBlock(g->position).text();
    return g->breaksBefore + int(QStringView(text).first(position - g->position).count(groupBreak));
}

void TPage::groupLineEnds(QStringView text, std::vector<int> &ends)
{
    ends.clear();
    for (qsizetype at = text.indexOf(groupBreak); at >= 0; at = text.indexOf(groupBreak, at + 1))
        ends.push_back(int(at));
}

void TPage::gatherLines(QString &text, int at, std::vector<Group> *groups) const
{
    // Lines that end with a break of the text, each short enough, are
    // gathered; the first one only when it starts a block of its own, as
    // the last one (without a break) would go on in the block after.
    groups->clear();
    const qsizetype n = text.size();
    QChar *d = nullptr;
    Group open{0, 0, -1, 0};   // breaks < 0: none open
    auto close = [&] {
        if (open.breaks > 0)
            groups->push_back(open);
        open.breaks = -1;
    };
    qsizetype start = 0;
    if (at > 0 && (m_doc->characterAt(at - 1) != QChar::ParagraphSeparator || isJoin(at - 1))) {
        start = text.indexOf(u'\n');
        start = start < 0 ? n : start + 1;
    }
    for (qsizetype end = text.indexOf(u'\n', start); end >= 0; start = end + 1, end = text.indexOf(u'\n', start)) {
        const int length = int(end - start);
        if (length > GroupChars / 2) {
            close();
            continue;
        }
        if (open.breaks >= 0 && open.breaks + 1 < GroupLines && open.length + 1 + length <= GroupChars) {
            if (!d)
                d = text.data();
            d[start - 1] = groupBreak;
            open.length += 1 + length;
            ++open.breaks;
            continue;
        }
        close();
        open = {int(start), length, 0, 0};
    }
    close();
}

void TPage::addGroups(std::vector<Group> &&groups)
{
    if (groups.empty())
        return;
    tellLineCounts(groups);
    const auto at = std::lower_bound(m_groups.begin(), m_groups.end(), groups.front().position,
                                     [](const Group &group, int p) { return group.position < p; });
    m_groups.insert(at, groups.begin(), groups.end());
    countGroupBreaks();
}

void TPage::unfoldGroups(QTextCursor &c, int from, int to)
{
    auto first = std::lower_bound(m_groups.begin(), m_groups.end(), from,
                                  [](const Group &g, int p) { return g.position + g.length < p; });
    auto last = std::upper_bound(first, m_groups.end(), to, [](int p, const Group &g) { return p < g.position; });
    if (first == last)
        return;
    std::vector<int> ends;
    int taken = 0;
    for (auto g = first; g != last; ++g) {
        QTextBlock block = m_doc->findBlock(g->position);
        groupLineEnds(block.text(), ends);
        // Each separator gives way to a block break put in just after it,
        // so that a caret standing before it stays on its line, and one
        // after it on the next.
        for (auto e = ends.rbegin(); e != ends.rend(); ++e) {
            const int p = g->position + *e;
            c.setPosition(p + 1);
            c.insertBlock();
            c.setPosition(p);
            c.deleteChar();
        }
        block = m_doc->findBlock(g->position);
        block.setLineCount(1);
        taken += g->breaks;
    }
    first = m_groups.erase(first, last);
    for (auto g = first; g != m_groups.end(); ++g)
        g->breaksBefore -= taken;
    m_groupBreaks -= taken;
}

void TPage::unfold(int from, int to)
{
    if (m_groups.empty())
        return;
    ++m_editing;
    m_quiet = true;
    QTextCursor c(m_doc);
    c.beginEditBlock();
    unfoldGroups(c, from, to);
    c.endEditBlock();
    m_quiet = false;
    --m_editing;
    m_revision = m_doc->revision();
}

int TPage::documentLines() const { return m_doc->blockCount() - joinCount() + m_groupBreaks; }

void TPage::restoreLineCounts() { tellLineCounts(m_groups); }

void TPage::tellLineCounts(const std::vector<Group> &groups)
{
    // The lines each group holds, for the views' scroll bars: a block is
    // reckoned one line until it is laid out.
    if (groups.empty())
        return;
    QTextBlock b = m_doc->findBlock(groups.front().position);
    for (const Group &g : groups) {
        while (b.isValid() && b.position() < g.position)
            b = b.next();
        if (b.isValid())
            b.setLineCount(g.breaks + 1);
    }
}

void TPage::countGroupBreaks()
{
    m_groupBreaks = 0;
    for (Group &g : m_groups) {
        g.breaksBefore = m_groupBreaks;
        m_groupBreaks += g.breaks;
    }
}

void TPage::groupBreaksToStored(QString &text, int from) const
{
    if (m_groups.empty())
        return;
    const int to = from + int(text.size());
    auto g = std::lower_bound(m_groups.begin(), m_groups.end(), from,
                              [](const Group &group, int p) { return group.position + group.length < p; });
    if (g == m_groups.end() || g->position >= to)
        return;
    // One pass over each group's characters, which the compiler makes many
    // at a time: a search for each separator costs more on a big page.
    char16_t *d = reinterpret_cast<char16_t *>(text.data());
    for (; g != m_groups.end() && g->position < to; ++g) {
        const qsizetype a = std::max(g->position, from) - from;
        const qsizetype b = std::min(g->position + g->length, to) - from;
        for (qsizetype i = a; i < b; ++i)
            d[i] = d[i] == 0x2028 ? char16_t(0x2029) : d[i];
    }
}

// ------------------------------------------------------------------ offsets (2)

int TPage::positionToOffset(int position) const
{
    const QTextBlock block = m_doc->findBlock(position);
    return position + (block.isValid() ? block.blockNumber() : m_doc->blockCount() - 1)
        - 2 * joinsBefore(position) + groupBreaksBefore(position);
}

int TPage::offsetToPosition(int offset) const
{
    if (offset <= 0)
        return 0;
    // Find the last block starting at or before the offset.
    int lo = 0, hi = m_doc->blockCount() - 1;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        const QTextBlock b = m_doc->findBlockByNumber(mid);
        if (positionToOffset(b.position()) <= offset)
            lo = mid;
        else
            hi = mid - 1;
    }
    const QTextBlock block = m_doc->findBlockByNumber(lo);
    int inBlock = offset - positionToOffset(block.position());
    if (holdsLines(block)) {
        // A separator of the group counts two, as a line break does.
        const QString text = block.text();
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (inBlock <= 0)
                return block.position() + int(i);
            if (text[i] == groupBreak) {
                if (inBlock < 2)
                    return block.position() + int(i);
                inBlock -= 2;
            } else {
                --inBlock;
            }
        }
        return block.position() + int(text.size());
    }
    // An offset inside a line break (between CR and LF) or past the end
    // stands at the end of the line.
    return block.position() + qMin(inBlock, block.length() - 1);
}

int TPage::lineOf(const QTextBlock &block) const
{
    return block.blockNumber() - joinsBefore(block.position()) + groupBreaksBefore(block.position());
}

QTextBlock TPage::lineBlock(int line) const
{
    if (m_joins.empty() && m_groups.empty())
        return m_doc->findBlockByNumber(line);
    // The first block whose line is `line`: lines grow with block numbers.
    int lo = 0, hi = m_doc->blockCount();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (lineOf(m_doc->findBlockByNumber(mid)) < line)
            lo = mid + 1;
        else
            hi = mid;
    }
    const QTextBlock block = m_doc->findBlockByNumber(lo);
    if (m_groups.empty() || (block.isValid() && lineOf(block) == line) || lo == 0)
        return block;
    // The line is inside the group before.
    const QTextBlock before = m_doc->findBlockByNumber(lo - 1);
    const Group *g = groupAt(before.position());
    return g && line <= lineOf(before) + g->breaks ? before : block;
}

int TPage::lineAt(int position) const
{
    const QTextBlock block = m_doc->findBlock(position);
    if (!block.isValid())
        return LineCount();
    const int line = lineOf(block);
    if (!holdsLines(block))
        return line;
    return line + int(QStringView(block.text()).first(position - block.position()).count(groupBreak));
}

int TPage::linePosition(int line) const
{
    const QTextBlock block = lineBlock(line);
    if (!block.isValid() || line < 0)
        return -1;
    const int inGroup = line - lineOf(block);
    if (inGroup <= 0)
        return block.position();
    std::vector<int> ends;
    groupLineEnds(block.text(), ends);
    return block.position() + ends[inGroup - 1] + 1;
}

int TPage::lineOffset(int line) const
{
    const int position = linePosition(line);
    return position >= 0 ? positionToOffset(position) : TextLength();
}

int TPage::lineEndOffset(int line) const
{
    return linePosition(line + 1) >= 0 ? lineOffset(line + 1) - 2 : TextLength();
}

int TPage::TextLength() const
{
    return m_doc->characterCount() - 1 + m_doc->blockCount() - 1 - 2 * joinCount() + m_groupBreaks;
}

QString TPage::Text() const
{
    QString out;
    out.reserve(TextLength());
    textRange(0, TextLength(), out);
    return out;
}

void TPage::textRange(int from, int to, QString &out) const
{
    from = qMax(0, from);
    to = qMin(to, TextLength());
    if (from >= to)
        return;
    QTextBlock block = m_doc->findBlock(offsetToPosition(from));
    int lineStart = positionToOffset(block.position());
    while (block.isValid() && lineStart < to) {
        QString line = block.text();
        if (holdsLines(block))
            line.replace(groupBreak, QStringLiteral("\r\n"));
        const int len = int(line.size());
        const int a = qMax(from, lineStart) - lineStart;
        const int b = qMin(to, lineStart + len) - lineStart;
        if (b > a) {
            const qsizetype at = out.size();
            out.append(QStringView(line).mid(a, b - a));
            for (qsizetype i = at; i < out.size(); ++i)
                if (out.at(i) == QChar(keptSeparator))
                    out[i] = QChar::ParagraphSeparator;
        }
        const QTextBlock next = block.next();
        if (joinsPrevious(next)) {
            lineStart += len;
            block = next;
            continue;
        }
        // The line break: CR at lineStart + len, LF one further.
        if (next.isValid()) {
            if (from <= lineStart + len && lineStart + len < to)
                out.append(u'\r');
            if (from <= lineStart + len + 1 && lineStart + len + 1 < to)
                out.append(u'\n');
        }
        lineStart += len + 2;
        block = next;
    }
}

QStringList TPage::Lines() const
{
    // The stored characters in one piece, cut at the line breaks: much
    // cheaper on a big page than asking each line for its text.
    QStringList lines = snapshot().split(QChar::ParagraphSeparator);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines)
        fromStored(line);
    return lines;
}

QString TPage::snapshot() const
{
    QString text = m_doc->toRawText();
    groupBreaksToStored(text, 0);
    if (m_joins.empty())
        return text;
    // The joins out, in the copy's own buffer.
    QChar *d = text.data();
    qsizetype to = m_joins.front();
    for (size_t j = 0; j < m_joins.size(); ++j) {
        const qsizetype from = qsizetype(m_joins[j]) + 1;
        const qsizetype end = j + 1 < m_joins.size() ? m_joins[j + 1] : text.size();
        std::copy(d + from, d + end, d + to);
        to += end - from;
    }
    text.truncate(to);
    return text;
}

QString TPage::linesTextOf(QString text)
{
    // The stored line breaks become LF, the set-aside separators themselves
    // again, in the copy's own buffer.
    const qsizetype n = text.size();
    QChar *d = text.data();
    for (qsizetype i = 0; i < n; ++i) {
        if (d[i] == QChar::ParagraphSeparator)
            d[i] = u'\n';
        else if (d[i] == QChar(keptSeparator))
            d[i] = QChar::ParagraphSeparator;
    }
    return text;
}

QString TPage::linesText() const { return linesTextOf(snapshot()); }

PageFile::TextForm TPage::storedForm() { return {u'\u2029', keptSeparator, u'\u2029'}; }

int TPage::LineCount() const
{
    int count = m_doc->blockCount() - joinCount() + m_groupBreaks;
    if (m_doc->lastBlock().length() <= 1)
        --count;
    return count;
}

QString TPage::Line(int index) const
{
    QTextBlock block = lineBlock(index);
    if (holdsLines(block)) {
        // One line of the group.
        const QString text = block.text();
        const int inGroup = index - lineOf(block);
        qsizetype start = 0;
        for (int i = 0; i < inGroup && start >= 0; ++i) {
            start = text.indexOf(groupBreak, start);
            start = start < 0 ? -1 : start + 1;
        }
        if (start < 0)
            return {};
        const qsizetype end = text.indexOf(groupBreak, start);
        QString line = text.mid(start, end < 0 ? -1 : end - start);
        fromStored(line);
        return line;
    }
    QString line = block.text();
    for (block = block.next(); joinsPrevious(block); block = block.next())
        line += block.text();
    fromStored(line);
    return line;
}

QString TPage::storedRange(int from, int to) const
{
    if (to <= from)
        return {};
    if (from == 0 && to >= textEnd())
        return snapshot().left(to);
    const int a = documentPosition(from), b = documentPosition(to);
    QTextCursor range(m_doc);
    range.setPosition(a);
    range.setPosition(b, QTextCursor::KeepAnchor);
    QString text = range.selectedText();
    groupBreaksToStored(text, a);
    // The joins in the stretch, from the last one back.
    const auto first = std::lower_bound(m_joins.begin(), m_joins.end(), a);
    for (auto j = std::lower_bound(first, m_joins.end(), b); j != first;) {
        --j;
        text.remove(*j - a, 1);
    }
    return text;
}

// ------------------------------------------------------------------ selection

TSelection TPage::selection() const
{
    return {textPosition(m_cursor.anchor()), textPosition(m_cursor.position())};
}

void TPage::setCursorToText(const TSelection &s)
{
    setCursorTo({documentPosition(s.anchor), documentPosition(s.position)});
}

void TPage::setCursorTo(const TSelection &s)
{
    const int end = m_doc->characterCount() - 1;
    m_cursor.setPosition(std::clamp(s.anchor, 0, end));
    m_cursor.setPosition(std::clamp(s.position, 0, end), QTextCursor::KeepAnchor);
    if (TUndoHistory::Step *open = m_history.openStep(); open && open->kind == Kind::Command)
        open->after = selection();
    Q_EMIT selectionSet();
}

void TPage::takeViewCursor(const QTextCursor &cursor)
{
    if (cursor.anchor() == m_cursor.anchor() && cursor.position() == m_cursor.position())
        return;
    m_cursor.setPosition(cursor.anchor());
    m_cursor.setPosition(cursor.position(), QTextCursor::KeepAnchor);
    // The user moved the caret: a typed run ends here.
    if (const TUndoHistory::Step *open = m_history.openStep(); open && open->kind != Kind::Command)
        endStep();
}

int TPage::SelStart() const { return positionToOffset(m_cursor.selectionStart()); }

int TPage::SelLength() const
{
    return positionToOffset(m_cursor.selectionEnd()) - positionToOffset(m_cursor.selectionStart());
}

QString TPage::SelText() const
{
    QString out;
    textRange(positionToOffset(m_cursor.selectionStart()), positionToOffset(m_cursor.selectionEnd()), out);
    return out;
}

void TPage::SetSelStart(int offset)
{
    const int p = offsetToPosition(offset);
    setCursorTo({p, p});
}

void TPage::Select(int start, int length)
{
    setCursorTo({offsetToPosition(start), offsetToPosition(start + qMax(0, length))});
}

void TPage::setSelection(int anchor, int position) { setCursorTo({anchor, position}); }

// ------------------------------------------------------------------ changes

TUndoHistory::Step &TPage::commandStep()
{
    if (TUndoHistory::Step *open = m_history.openStep(); open && open->kind == Kind::Command)
        return *open;
    const int caret = textPosition(m_cursor.selectionEnd());
    return m_history.beginStep(Kind::Command, m_commandName.isEmpty() ? changeName : m_commandName,
                               {caret, caret}, now());
}

void TPage::editText(QTextCursor &c, int position, int removed, const QString &text)
{
    const int from = documentPosition(position);
    const int to = documentPosition(position + removed);
    if (!m_groups.empty())
        unfoldGroups(c, from, to);
    std::vector<int> cuts;
    QString stored = withJoins(text, &cuts);
    std::vector<Group> groups;
    if (m_gathering && stored.size() > groupingFrom && !text.contains(groupBreak) && !hasOtherBreaks(text))
        gatherLines(stored, from, &groups);
    // The joins of the stretch go with it; those after it move.
    const auto first = moveJoins(from, to, int(stored.size()) - (to - from));
    if (!cuts.empty()) {
        for (int &cut : cuts)
            cut += from;
        m_joins.insert(first, cuts.begin(), cuts.end());
    }
    replaceAt(c, from, to - from, stored);
    if (!groups.empty()) {
        for (Group &g : groups)
            g.position += from;
        addGroups(std::move(groups));
    }
    fitPieces(c, from, from + int(stored.size()));
}

void TPage::fitPieces(QTextCursor &c, int from, int to)
{
    // Only the blocks at the two ends of the stretch hold text from before
    // the edit: those between are the text put in, already cut as it came.
    // So the blocks around each end and their neighbours are looked at, not
    // the hundreds of thousands of lines a whole page brings.
    const QTextBlock first = m_doc->findBlock(from);
    const QTextBlock last = m_doc->findBlock(to);
    auto endOf = [](const QTextBlock &b) {
        const QTextBlock after = b.next().isValid() ? b.next() : b;
        return after.position() + after.length() - 1;
    };
    const QTextBlock start = first.previous().isValid() ? first.previous() : first;
    if (last.blockNumber() - first.blockNumber() <= 4) {
        fitBlocks(c, start, endOf(last));
        return;
    }
    // The place of the tail counted from the end, which the edits at the
    // head do not move.
    const QTextBlock tail = last.previous();
    const int tailFromEnd = m_doc->characterCount() - tail.position();
    fitBlocks(c, start, endOf(first));
    const QTextBlock tailNow = m_doc->findBlock(m_doc->characterCount() - tailFromEnd);
    fitBlocks(c, tailNow, endOf(tailNow.next()));
}

void TPage::fitBlocks(QTextCursor &c, QTextBlock block, int end)
{
    // The blocks from `block` up to `end`, which moves with the separators
    // put in or taken out before it.
    auto unjoin = [&](int join) {
        moveJoins(join, join + 1, -1);
        replaceAt(c, join, 1, QString());
        --end;
        return m_doc->findBlock(join);
    };
    while (block.isValid() && block.position() <= end) {
        const int length = block.length() - 1;
        const QTextBlock next = block.next();
        // An empty piece: its line goes on in the block after or before.
        if (length == 0 && joinsPrevious(next)) {
            block = unjoin(next.position() - 1);
            continue;
        }
        if (length == 0 && joinsPrevious(block)) {
            block = unjoin(block.position() - 1);
            continue;
        }
        if (length > LongBlock) {
            const QString text = block.text();
            std::vector<int> cuts;
            for (qsizetype at = 0; at < text.size();) {
                const qsizetype e = pieceEnd(text, at, text.size());
                if (e < text.size())
                    cuts.push_back(block.position() + int(e));
                at = e;
            }
            // From the last cut back, so that the places still to cut hold.
            for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut) {
                m_joins.insert(moveJoins(*cut, *cut, 1), *cut);
                c.setPosition(*cut);
                c.insertText(QString(QChar::ParagraphSeparator));
            }
            end += int(cuts.size());
            // On after the last piece: the new ones are short.
            block = m_doc->findBlock(cuts.back() + int(cuts.size()));
        }
        block = block.next();
    }
}

void TPage::apply(const std::vector<Span> &spans, TUndoHistory::Step *step)
{
    // One edit block: one change reported, whatever the number of places.
    // From the last place back, so that the positions still to come hold.
    ++m_editing;
    QTextCursor c(m_doc);
    c.beginEditBlock();
    const qint64 t = now();
    for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
        if (step) {
            TTextEdit edit{span->position, storedRange(span->position, span->position + span->removed), span->text};
            editText(c, span->position, span->removed, span->text);
            m_history.record(*step, std::move(edit), t);
        } else {
            editText(c, span->position, span->removed, span->text);
        }
    }
    c.endEditBlock();
    --m_editing;
    m_revision = m_doc->revision();
}

bool TPage::replaceSpan(int from, int to, const QString &givenText)
{
    const QString qtText = toStored(givenText);
    // The stored characters themselves (no-break spaces stay what they are).
    const QString stored = storedRange(from, to);
    qsizetype head = 0, tail = 0;
    commonEnds(stored, qtText, &head, &tail);
    const QStringView oldMiddle = QStringView(stored).mid(head, stored.size() - head - tail);
    const QStringView newMiddle = QStringView(qtText).mid(head, qtText.size() - head - tail);
    if (oldMiddle.isEmpty() && newMiddle.isEmpty())
        return false;

    std::vector<Span> spans;
    // The new text's breaks are counted one character at a time: not for a
    // page loaded, which replaces no break.
    const qsizetype oldBreaks = oldMiddle.count(QChar::ParagraphSeparator);
    if (oldBreaks > 0 && oldBreaks == std::count_if(newMiddle.begin(), newMiddle.end(), isInsertedBreak)) {
        // As many lines before as after: each line that differs is edited
        // alone, so that the lines themselves stay and only their changed
        // characters move. Much cheaper than taking every line down and
        // building it again when a command touches many lines, and the
        // history keeps those characters only.
        qsizetype a = 0, b = 0;
        for (;;) {
            qsizetype aEnd = a;
            while (aEnd < oldMiddle.size() && oldMiddle[aEnd] != QChar::ParagraphSeparator)
                ++aEnd;
            qsizetype bEnd = b;
            while (bEnd < newMiddle.size() && !isInsertedBreak(newMiddle[bEnd]))
                ++bEnd;
            const QStringView oldLine = oldMiddle.mid(a, aEnd - a);
            const QStringView newLine = newMiddle.mid(b, bEnd - b);
            if (oldLine != newLine) {
                qsizetype h = 0, t = 0;
                commonEnds(oldLine, newLine, &h, &t);
                spans.push_back({from + int(head + a + h), int(oldLine.size() - h - t),
                                 newLine.mid(h, newLine.size() - h - t).toString()});
            }
            if (aEnd >= oldMiddle.size())
                break;
            a = aEnd + 1;
            b = bEnd + 1;
        }
    } else if (head == 0 && tail == 0) {
        // The whole text given (a page loaded): shared, not copied.
        spans.push_back({from, int(oldMiddle.size()), qtText});
    } else {
        spans.push_back({from + int(head), int(oldMiddle.size()), newMiddle.toString()});
    }
    apply(spans, m_record ? &commandStep() : nullptr);
    return true;
}

void TPage::SetSelText(const QString &text)
{
    const int start = textPosition(m_cursor.selectionStart());
    const QString qtText = fromCrLf(text);
    replaceSpan(start, textPosition(m_cursor.selectionEnd()), qtText);
    const int caret = start + int(qtText.size());
    setCursorToText({caret, caret});
}

void TPage::SetLines(const QStringList &lines)
{
    QString text = lines.join(u'\n');
    if (!lines.isEmpty())
        text += u'\n';
    replaceAllText(text);
}

void TPage::replaceLines(int first, int count, const QStringList &lines)
{
    const int lineCount = LineCount();
    first = std::clamp(first, 0, lineCount);
    count = std::clamp(count, 0, lineCount - first);
    QString text = lines.join(u'\n');
    if (text.contains(u'\r'))
        text = fromCrLf(text);
    const int end = textEnd();
    const bool lastLineHasBreak = m_doc->blockCount() > 1 && m_doc->lastBlock().length() <= 1;
    int from, to;
    if (first + count < lineCount || lastLineHasBreak) {
        // Whole lines with their breaks: the new lines get theirs.
        from = textPosition(linePosition(first));
        to = textPosition(linePosition(first + count));
        if (!lines.isEmpty())
            text += u'\n';
    } else if (first < lineCount) {
        // Up to a last line without a break: the new last line has none
        // either; taking every line from there takes the break before them.
        from = textPosition(linePosition(first));
        to = end;
        if (lines.isEmpty() && first > 0)
            --from;
    } else {
        // Adding after a last line that has no break.
        from = to = end;
        if (!lines.isEmpty() && lineCount > 0)
            text.prepend(u'\n');
    }
    replaceSpan(from, to, text);
    Q_EMIT selectionSet();
}

void TPage::replaceAllText(const QString &text)
{
    const QString qtText = text.contains(u'\r') ? fromCrLf(text) : text;
    // Rewriting the whole text has always counted as a change of the page,
    // even when the command found nothing to change: the step stays.
    if (!replaceSpan(0, textEnd(), qtText) && !m_doc->isEmpty())
        commandStep().change = true;
    setCursorTo({0, 0});
    Q_EMIT historyChanged();
}

void TPage::load(const QStringList &lines)
{
    QString text = lines.join(u'\n');
    if (!lines.isEmpty())
        text += u'\n';
    loadText(text.contains(u'\r') ? fromCrLf(text) : text);
}

namespace {
// The library's search runs through many characters at a time, its count
// one by one: on a big page, a search for each break is faster.
qsizetype lineBreaksIn(QStringView text)
{
    qsizetype breaks = 0;
    for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', at + 1))
        ++breaks;
    return breaks;
}
} // namespace

void TPage::loadText(const QString &text, const std::function<void()> &headShown)
{
    // Not a step: the history starts from this text.
    m_record = false;
    m_gathering = true;
    Q_EMIT loading(int(std::min<qsizetype>(lineBreaksIn(text) + 1, INT_MAX)));
    const qsizetype headEnd = headShown && text.size() > TwoStepsFrom ? text.indexOf(u'\n', HeadLength) : -1;
    if (headEnd > 0) {
        // The first screen shows while the rest comes in, which on a page
        // of a million lines takes seconds. The head ends after a line
        // break: no line is cut in two.
        replaceSpan(0, textEnd(), text.first(headEnd + 1));
        headShown();
        // The rest read in place: no copy of a hundred megabytes made.
        replaceSpan(textEnd(), textEnd(),
                    QString::fromRawData(text.constData() + headEnd + 1, text.size() - headEnd - 1));
    } else {
        replaceSpan(0, textEnd(), text);
    }
    m_gathering = false;
    m_record = true;
    m_history.clear();
    m_forcedModified = false;
    m_cursor.setPosition(0);
    Q_EMIT selectionSet();
    Q_EMIT historyChanged();
}

// ------------------------------------------------------------------ keyboard

void TPage::type(const QString &typed)
{
    QString text = fromCrLf(typed);
    if (text.isEmpty())
        return;
    text = toStored(text);
    if (const TUndoHistory::Step *open = m_history.openStep(); open && open->kind == Kind::Typing) {
        // Typing goes on only where the last character went.
        const TTextEdit &last = open->edits.back();
        // A new word starts a new step, as editors undo typing word by word.
        const bool newWord = !last.inserted.isEmpty() && last.inserted.back().isSpace() && !text.front().isSpace();
        if (m_cursor.hasSelection() || textPosition(m_cursor.position()) != last.position + last.inserted.size()
            || newWord)
            endStep();
    }
    const qint64 t = now();
    TUndoHistory::Step &step = m_history.stepFor(Kind::Typing, typingName, selection(), t);
    const int start = textPosition(m_cursor.selectionStart());
    std::vector<Span> spans{{start, textPosition(m_cursor.selectionEnd()) - start, text}};
    const bool first = step.edits.empty();
    apply(spans, &step);
    const int caret = documentPosition(start + int(text.size()));
    // The caret has gone on with the text typed where it stood; its column
    // for moving up and down is found when it is next asked, not at each key
    // by a walk over the line.
    if (m_cursor.hasSelection() || m_cursor.position() != caret)
        m_cursor.setPosition(caret);
    m_cursor.setVerticalMovementX(-1);
    step.after = selection();
    // A line break ends the run it belongs to.
    if (std::any_of(text.begin(), text.end(), isInsertedBreak))
        endStep();
    Q_EMIT selectionSet();
    if (first)
        Q_EMIT historyChanged();
}

void TPage::erase(int from, int to)
{
    if (m_cursor.hasSelection()) {
        from = m_cursor.selectionStart();
        to = m_cursor.selectionEnd();
    }
    from = textPosition(std::max(0, from));
    to = textPosition(std::min(to, m_doc->characterCount() - 1));
    if (to <= from)
        return;
    if (const TUndoHistory::Step *open = m_history.openStep(); open && open->kind == Kind::Deleting) {
        const TTextEdit &last = open->edits.back();
        if (to != last.position && from != last.position)
            endStep();
    }
    TUndoHistory::Step &step = m_history.stepFor(Kind::Deleting, deletingName, selection(), now());
    const bool first = step.edits.empty();
    apply({{from, to - from, QString()}}, &step);
    m_cursor.setPosition(documentPosition(from));
    step.after = selection();
    Q_EMIT selectionSet();
    if (first)
        Q_EMIT historyChanged();
}

void TPage::insertOwnStep(const QString &text, const QString &name)
{
    const QString given = m_commandName;
    m_commandName = name;
    beginCommand();
    m_commandName = given;
    SetSelText(text);
    endStep();
}

void TPage::moveSelection(int position)
{
    if (!m_cursor.hasSelection())
        return;
    QString moved;
    textRange(positionToOffset(m_cursor.selectionStart()), positionToOffset(m_cursor.selectionEnd()), moved);
    const int start = textPosition(m_cursor.selectionStart()), end = textPosition(m_cursor.selectionEnd());
    position = textPosition(position);
    if (position >= start && position <= end)
        return;
    const QString given = m_commandName;
    m_commandName = QStringLiteral("Déplacement");
    beginCommand();
    m_commandName = given;
    const QString qtText = fromCrLf(moved);
    // The later place first, so that the earlier one still holds.
    if (position > end) {
        replaceSpan(position, position, qtText);
        replaceSpan(start, end, QString());
        position -= end - start;
    } else {
        replaceSpan(start, end, QString());
        replaceSpan(position, position, qtText);
    }
    setCursorToText({position, position + int(qtText.size())});
    endStep();
}

// ------------------------------------------------------------------ history

void TPage::beginCommand(const QString &name)
{
    const int caret = textPosition(m_cursor.selectionEnd());
    m_history.beginStep(Kind::Command,
                        !name.isEmpty() ? name : m_commandName.isEmpty() ? changeName : m_commandName,
                        {caret, caret}, now());
    m_history.trim();
}

void TPage::endStep()
{
    const bool hadOpen = m_history.openStep() != nullptr;
    m_history.close();
    m_history.trim();
    if (hadOpen)
        Q_EMIT historyChanged();
}

bool TPage::canUndo() const { return m_history.canUndo(); }

QString TPage::undoName() const { return canUndo() ? m_history.undoStep().name : QString(); }

QString TPage::redoName() const { return canRedo() ? m_history.redoStep().name : QString(); }

void TPage::SetModified(bool modified)
{
    if (modified) {
        m_forcedModified = true;
    } else {
        m_forcedModified = false;
        m_history.markSaved();
    }
    Q_EMIT historyChanged();
}

bool TPage::undo()
{
    m_history.close();
    if (!m_history.canUndo())
        return false;
    const TUndoHistory::Step &step = m_history.stepBack();
    ++m_editing;
    QTextCursor c(m_doc);
    c.beginEditBlock();
    for (auto e = step.edits.rbegin(); e != step.edits.rend(); ++e)
        editText(c, e->position, int(e->inserted.size()), e->removed);
    c.endEditBlock();
    --m_editing;
    m_revision = m_doc->revision();
    setCursorToText(step.before);
    Q_EMIT historyChanged();
    return true;
}

bool TPage::redo()
{
    m_history.close();
    if (!m_history.canRedo())
        return false;
    const TUndoHistory::Step &step = m_history.stepForward();
    ++m_editing;
    QTextCursor c(m_doc);
    c.beginEditBlock();
    for (const TTextEdit &e : step.edits)
        editText(c, e.position, int(e.removed.size()), e.inserted);
    c.endEditBlock();
    --m_editing;
    m_revision = m_doc->revision();
    setCursorToText(step.after);
    Q_EMIT historyChanged();
    return true;
}

QString TPage::folder() const
{
    return m_path.isEmpty() ? m_newFolder : Platform::folderPart(m_path);
}
