#include "ColMemo.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>

TColorMemo::TColorMemo(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("Memo1"));
    setAccessibleName(QStringLiteral("Source HTML"));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setTabChangesFocus(false);
    document()->setUndoRedoEnabled(false);
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (removed || added)
            m_modified = true;
    });
}

TColorMemo::~TColorMemo() = default;

QString TColorMemo::toCrLf(const QString &qtText)
{
    QString out;
    out.reserve(qtText.size() + qtText.size() / 16);
    for (QChar c : qtText) {
        if (c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            out += QStringLiteral("\r\n");
        else
            out += c;
    }
    return out;
}

QString TColorMemo::fromCrLf(const QString &text)
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

int TColorMemo::positionToOffset(int position) const
{
    const QTextBlock block = document()->findBlock(position);
    return position + (block.isValid() ? block.blockNumber() : document()->blockCount() - 1);
}

int TColorMemo::offsetToPosition(int offset) const
{
    if (offset <= 0)
        return 0;
    const QTextDocument *doc = document();
    // Block n starts at offset position(n) + n; find the last block starting
    // at or before the offset.
    int lo = 0, hi = doc->blockCount() - 1;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        const QTextBlock b = doc->findBlockByNumber(mid);
        if (b.position() + mid <= offset)
            lo = mid;
        else
            hi = mid - 1;
    }
    const QTextBlock block = doc->findBlockByNumber(lo);
    const int inBlock = offset - (block.position() + lo);
    // An offset inside a line break (between CR and LF) or past the end
    // stands at the end of the line.
    return block.position() + qMin(inBlock, block.length() - 1);
}

int TColorMemo::SelStart() const { return positionToOffset(textCursor().selectionStart()); }

int TColorMemo::SelLength() const
{
    const QTextCursor c = textCursor();
    return positionToOffset(c.selectionEnd()) - positionToOffset(c.selectionStart());
}

void TColorMemo::SetSelStart(int offset)
{
    QTextCursor c = textCursor();
    c.setPosition(offsetToPosition(offset));
    setTextCursor(c);
}

void TColorMemo::SetSelLength(int length)
{
    const int start = SelStart();
    Select(start, length);
}

void TColorMemo::Select(int start, int length)
{
    QTextCursor c = textCursor();
    c.setPosition(offsetToPosition(start));
    c.setPosition(offsetToPosition(start + qMax(0, length)), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

QString TColorMemo::SelText() const { return toCrLf(textCursor().selectedText()); }

void TColorMemo::SetSelText(const QString &text)
{
    QTextCursor c = textCursor();
    c.insertText(fromCrLf(text));
    setTextCursor(c);
}

QStringList TColorMemo::Lines() const
{
    QStringList lines;
    const QTextDocument *doc = document();
    lines.reserve(doc->blockCount());
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        lines << b.text();
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

int TColorMemo::LineCount() const
{
    const QTextDocument *doc = document();
    int count = doc->blockCount();
    if (doc->lastBlock().length() <= 1)
        --count;
    return count;
}

QString TColorMemo::Line(int index) const { return document()->findBlockByNumber(index).text(); }

void TColorMemo::SetLines(const QStringList &lines)
{
    QString text = lines.join(u'\n');
    if (!lines.isEmpty())
        text += u'\n';
    replaceAll(text);
}

void TColorMemo::replaceAll(const QString &qtText)
{
    // One edit through a cursor: the change event fires and the page counts
    // as modified, like any other change of the text.
    QTextCursor c(document());
    c.select(QTextCursor::Document);
    c.insertText(qtText);
    c.setPosition(0);
    setTextCursor(c);
}

QString TColorMemo::Text() const { return toCrLf(toPlainText()); }

void TColorMemo::SetText(const QString &text) { replaceAll(fromCrLf(text)); }

int TColorMemo::TextLength() const
{
    const QTextDocument *doc = document();
    return doc->characterCount() - 1 + doc->blockCount() - 1;
}

bool TColorMemo::Modified() const { return m_modified; }

void TColorMemo::SetModified(bool modified) { m_modified = modified; }

bool TColorMemo::event(QEvent *e)
{
    // The frame's menu shortcuts run the program's own undo and clipboard
    // commands; the pane must not take those keys for itself.
    if (e->type() == QEvent::ShortcutOverride) {
        auto *ke = static_cast<QKeyEvent *>(e);
        if (ke == QKeySequence::Undo || ke == QKeySequence::Redo || ke == QKeySequence::Cut
            || ke == QKeySequence::Copy || ke == QKeySequence::Paste || ke == QKeySequence::SelectAll) {
            e->ignore();
            return false;
        }
    }
    return QPlainTextEdit::event(e);
}

void TColorMemo::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    const bool produces = !text.isEmpty() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        && (text.at(0).isPrint() || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter
            || event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Tab);
    if (produces && text.at(0).isPrint()) {
        bool handled = false;
        Q_EMIT keyPressFilter(text.at(0), &handled);
        if (handled) {
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
    if (produces || event->key() == Qt::Key_Backspace)
        Q_EMIT characterTyped(text.isEmpty() ? QChar(u'\b') : text.at(0));
}

void TColorMemo::textRange(int from, int to, QString &out) const
{
    const QTextDocument *doc = document();
    from = qMax(0, from);
    to = qMin(to, TextLength());
    if (from >= to)
        return;
    QTextBlock block = doc->findBlock(offsetToPosition(from));
    int lineStart = block.position() + block.blockNumber();
    while (block.isValid() && lineStart < to) {
        const QString line = block.text();
        const int len = int(line.size());
        const int a = qMax(from, lineStart) - lineStart;
        const int b = qMin(to, lineStart + len) - lineStart;
        if (b > a)
            out.append(QStringView(line).mid(a, b - a));
        // The line break: CR at lineStart + len, LF one further.
        if (block.next().isValid()) {
            if (from <= lineStart + len && lineStart + len < to)
                out.append(u'\r');
            if (from <= lineStart + len + 1 && lineStart + len + 1 < to)
                out.append(u'\n');
        }
        lineStart += len + 2;
        block = block.next();
    }
}

bool TColorMemo::SearchText(const QString &s, SearchOptions options)
{
    const int length = TextLength();
    const TextSearch::Fetch fetch = [this](int from, int to, QString &out) { textRange(from, to, out); };
    const int found = TextSearch::find(length, fetch, s, SelStart(), SelLength(), options);
    if (found < 0)
        return false;
    Select(found, int(s.size()));
    return true;
}
