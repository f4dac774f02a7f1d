// Editing a page: the bytes are a run of edits (insertions of long runs and
// of breaks, deletions, typed characters, whole-text rewrites, undo and
// redo, the text loaded again with its short lines gathered into groups,
// groups taken apart by a view) made to a page and to a plain string alike. After each, the page
// must read as the string does and no block of its document may be longer
// than the bound for long lines.
#include "FuzzInput.h"
#include "page/Page.h"

#include <QTextBlock>
#include <QTextDocument>

#include <iterator>
#include <vector>

namespace {

class Reader
{
public:
    Reader(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    bool more() const { return m_at < m_size; }
    unsigned byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    unsigned word() { return byte() | byte() << 8; }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};

// What is repeated to make an inserted text: tags, blanks, accents, a no-break
// space, a pair, and now and then a break.
QString runOf(unsigned kind, int length)
{
    static const QString pieces[] = {
        QStringLiteral("<p>été</p>"), QStringLiteral("abc def "), QStringLiteral("x"), QStringLiteral("caf\u00e9\u00a0!"),
        QStringLiteral("\U0001F600>"), QStringLiteral("<b>\r\n"), QStringLiteral("\r\n"), QStringLiteral("\u2029\t"),
    };
    const QString &piece = pieces[kind % std::size(pieces)];
    // Runs of breaks stay short: tens of thousands of lines only cost the
    // sanitizer's bookkeeping of the document's blocks.
    if (piece.contains(u'\n'))
        length = std::min(length, 600);
    QString out;
    while (out.size() < length)
        out += piece;
    // Never end between a CR and its LF, nor inside a pair.
    out.truncate(length);
    while (!out.isEmpty() && (out.back() == u'\r' || out.back().isHighSurrogate()))
        out.chop(1);
    return out;
}

// A place of the text, never inside a break or a pair.
int placeIn(const QString &text, unsigned at)
{
    int p = int(at % unsigned(text.size() + 1));
    if (p > 0 && p < text.size() && ((text[p - 1] == u'\r' && text[p] == u'\n') || text[p].isLowSurrogate()))
        --p;
    return p;
}

bool blocksFit(const TPage &page)
{
    for (QTextBlock b = page.document()->begin(); b.isValid(); b = b.next())
        if (b.length() - 1 > TPage::LongBlock)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Reader in(data, size);
    // Small loads gather their lines too.
    TPage::setGroupFrom(64);
    TPage page;
    qint64 clock = 0;
    page.setClock([&clock] { return clock; });
    std::vector<QString> states{QString()};
    size_t now = 0;
    auto changed = [&](const QString &text) {
        if (text == states[now])
            return;
        states.resize(now + 1);
        states.push_back(text);
        ++now;
    };
    for (int step = 0; step < 64 && in.more(); ++step) {
        clock += 10000;
        QString model = states[now];
        const unsigned op = in.byte() % 9;
        if (op == 0 || op == 1) {
            // A run, short or up to three blocks long, put in at a place.
            const int length = op == 0 ? int(in.byte()) : int(in.word() % (3 * TPage::LongBlock));
            const QString text = runOf(in.byte(), length);
            const int at = placeIn(model, in.word());
            if (text.isEmpty())
                continue;
            page.Select(at, 0);
            page.SetSelText(text);
            model.insert(at, text);
        } else if (op == 2) {
            int a = placeIn(model, in.word());
            int b = placeIn(model, in.word());
            if (a > b)
                std::swap(a, b);
            if (a == b)
                continue;
            page.Select(a, b - a);
            page.SetSelText(QString());
            model.remove(a, b - a);
        } else if (op == 3) {
            const int at = placeIn(model, in.word());
            const QChar c = QStringLiteral("aé >\u00a0")[int(in.byte() % 5)];
            page.SetSelStart(at);
            page.type(QString(c));
            model.insert(at, c);
        } else if (op == 4) {
            // A whole-text command that changes one place.
            const int at = placeIn(model, in.word());
            model.insert(at, QStringLiteral("<i>"));
            page.replaceAllText(model);
        } else if (op == 5) {
            if (page.undo())
                --now;
            if (page.Text() != states[now])
                __builtin_trap();
            continue;
        } else if (op == 6) {
            if (page.redo())
                ++now;
            if (page.Text() != states[now])
                __builtin_trap();
            continue;
        } else if (op == 7) {
            // The text as a file brings it: a history of its own.
            page.loadText(TPage::fromCrLf(model));
            states = {model};
            now = 0;
        } else {
            // A view shows a stretch: nothing of the text changes.
            const quint64 changes = page.changeCount();
            const bool couldUndo = page.canUndo();
            const int a = page.offsetToPosition(placeIn(model, in.word()));
            page.unfold(a, a + int(in.word() % 4000));
            if (page.changeCount() != changes || page.canUndo() != couldUndo || page.Text() != model)
                __builtin_trap();
            continue;
        }
        page.endStep();
        changed(model);
        if (page.Text() != model || page.TextLength() != model.size() || !blocksFit(page))
            __builtin_trap();
        if (TPage::linesTextOf(page.snapshot()) != TPage::fromCrLf(model))
            __builtin_trap();
        // A line read alone, perhaps from inside a group.
        const QStringList lines = model.split(QStringLiteral("\r\n"));
        const int line = int(in.word() % unsigned(lines.size()));
        if (page.Line(line) != lines[line] || page.lineOffset(line) != lines.mid(0, line).join(QStringLiteral("\r\n")).size() + (line > 0 ? 2 : 0))
            __builtin_trap();
    }
    return 0;
}
