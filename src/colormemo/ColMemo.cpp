#include "ColMemo.h"

#include "colormemo/TagCompleter.h"
#include "aids/PageAids.h"
#include "aids/SpellCheck.h"
#include "aids/TextMarks.h"
#include "page/Page.h"
#include "platform/Messages.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QVarLengthArray>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {
// The plain layout of the lines, with the width it reports beyond the view
// grown in steps. A line that grows as one types then changes the
// horizontal scroll bar's range every few dozen characters rather than at
// each key; each change repaints the whole pane around the view.
class TSourceLayout : public QPlainTextDocumentLayout
{
public:
    using QPlainTextDocumentLayout::QPlainTextDocumentLayout;
    static constexpr qreal WidthStep = 128;
    QSizeF documentSize() const override
    {
        QSizeF size = QPlainTextDocumentLayout::documentSize();
        if (size.width() > m_viewWidth)
            size.setWidth(m_viewWidth + std::ceil((size.width() - m_viewWidth) / WidthStep) * WidthStep);
        return size;
    }
    void setViewWidth(int width) { m_viewWidth = width; }

private:
    int m_viewWidth = 0;
};

// Lines at the page's top where the <html> element and its language are looked for.
constexpr int LanguageLines = 200;
// Lines read between two events to find the states above the view.
constexpr int StateSlice = 2000;
// Beyond this many lines to read at once, the colours' states are read from
// a copy of the whole text.
constexpr int LongWalk = 50000;

// What is open after a block, its lines read one after another: a block
// of a group holds several, separated by U+2028.
TOpenSpans carryBlock(TDrawRules &rules, TOpenSpans open, QStringView text)
{
    for (qsizetype at = 0;;) {
        const qsizetype end = text.indexOf(QChar::LineSeparator, at);
        if (end < 0)
            return carryOpenSpans(rules, open, text.sliced(at));
        open = carryOpenSpans(rules, open, text.sliced(at, end - at));
        at = end + 1;
    }
}

// The characters of a block for a line window, read from one copy of its
// text made at the first question: a lookup per character walks the
// document's tree each time, which on a big page costs far more than the
// copy.
TLineWindow::Fetch blockFetch(const QTextBlock &block)
{
    return [block, text = QString(), read = false](int from, int to, QString &out) mutable {
        if (!read) {
            text = block.text();
            read = true;
        }
        out.append(QStringView(text).mid(from, to - from));
    };
}
} // namespace

// The margin where the pane draws its line numbers. It only forwards its
// paint events: the pane knows where each line stands.
class TLineNumberArea : public QWidget
{
public:
    explicit TLineNumberArea(TColorMemo *memo)
        : QWidget(memo), m_memo(memo)
    {
        setObjectName(QStringLiteral("LineNumbers"));
        setAccessibleName(QStringLiteral("Numéros de ligne"));
        // Every paint fills the whole area first.
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *event) override { m_memo->paintLineNumbers(event); }
    void wheelEvent(QWheelEvent *event) override { QCoreApplication::sendEvent(m_memo->viewport(), event); }

private:
    TColorMemo *m_memo;
};

TColorMemo::TColorMemo(QWidget *parent)
    : TColorMemo(nullptr, parent)
{
}

TColorMemo::TColorMemo(TPage *page, QWidget *parent)
    : QPlainTextEdit(parent), m_page(page ? page : new TPage(this)), m_marks(std::make_unique<TTextMarks>())
{
    setObjectName(QStringLiteral("Memo1"));
    setAccessibleName(QStringLiteral("Source HTML"));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setTabChangesFocus(false);
    // The pane lays its page's document out as plain lines.
    QTextDocument *doc = m_page->document();
    doc->setDocumentLayout(new TSourceLayout(doc));
    setDocument(doc);
    useFontForText();
    setTextCursor(m_page->cursor());
    connect(m_page, &TPage::selectionSet, this, &TColorMemo::followPage);
    // The margin sized for the lines a file brings before they come in, so
    // that the view's width does not change once they are there.
    connect(m_page, &TPage::loading, this, [this](int lines) {
        m_loadingLines = lines;
        updateMargins();
        m_loadingLines = 0;
    });
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &TColorMemo::reportCursor);
    connect(this, &QPlainTextEdit::selectionChanged, this, &TColorMemo::reportCursor);
    connect(document(), &QTextDocument::contentsChange, this, [this](int pos, int removed, int added) {
        m_changePos = pos;
        m_changeRemoved = removed;
        m_changeAdded = added;
        // The line the change starts in starts as before; what is open at
        // the start of the lines after it is found again when needed.
        m_openValidBefore = m_openValid;
        const QTextBlock changed = document()->findBlock(pos);
        const int changedLine = changed.isValid() ? changed.blockNumber() : 0;
        m_openValid = std::min(m_openValid, changedLine + 1);
        // The marks keep what they know of the lines around the change.
        const QTextBlock lastChanged = document()->findBlock(pos + added);
        const int addedLines = (lastChanged.isValid() ? lastChanged.blockNumber() : document()->blockCount() - 1)
            - changedLine + 1;
        const int lines = document()->blockCount();
        m_marks->linesChanged(changedLine, std::max(1, addedLines - (lines - m_marksLines)), addedLines);
        const bool linesMoved = lines != m_marksLines || addedLines != 1;
        if (changed.isValid()) {
            keepShapesOf(changed);
            m_window.edited(changedLine, pos - changed.position(), linesMoved);
        }
        else
            m_window.forgetPlaces();
        // New lines may be a page loaded anew, its lines gathered.
        if (linesMoved)
            m_noGroupsAt = ViewPlace();
        m_marksLines = lines;
        if (changedLine < LanguageLines && (m_languageTagEnd < 0 || pos < m_languageTagEnd))
            m_languageKnown = false;
        // A look for end markers below still holds when the change lies
        // above where it started and moved no line (typing in the caret's
        // line): the caret line's pass then needs no new look.
        if (document()->blockCount() != m_lookLines)
            m_markersAfter.clear();
        else
            std::erase_if(m_markersAfter, [changedLine](const MarkerAfter &m) { return m.line <= changedLine; });
    });
    // contentsChanged comes after the document's layout has taken the change.
    connect(document(), &QTextDocument::contentsChanged, this, &TColorMemo::textChanged);
    connect(this, &QPlainTextEdit::selectionChanged, this, &TColorMemo::requestAll);
    // The control scrolls by itself when the caret leaves the view (keys,
    // find, a command placing the caret), without going through
    // scrollContentsBy; it then reports the move here.
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect &, int dy) {
        if (dy)
            requestAll();
    });

    m_text.reserve(2048);
    m_markerAfter = [this](QStringView marker) { return markerAfter(marker); };
    m_drawHandler = [this](TColorRule *sender, const QChar *fromPos, TKeyDescr *a, int capacity, int &count) {
        Q_EMIT OnDraw(sender, fromPos, a, capacity, &count);
    };
    m_recordedLines = document()->blockCount();
    m_recordedEnd = TextLength();
    m_marksLines = m_recordedLines;

    m_numberArea = new TLineNumberArea(this);
    connect(this, &QPlainTextEdit::blockCountChanged, this, &TColorMemo::updateMargins);
    // The numbers follow the scrolling and the whole-view repaints of the
    // text, and the emphasis follows the caret from line to line. Typing in
    // a line and the caret's blink change no number: repainting the margin
    // for them (and, the margin being beside the view, the frame with its
    // scroll bars) cost more than the key itself on a big page.
    connect(this, &QPlainTextEdit::updateRequest, m_numberArea, [this](const QRect &rect, int dy) {
        if (dy || rect.height() >= viewport()->height())
            m_numberArea->update();
    });
    connect(this, &QPlainTextEdit::cursorPositionChanged, m_numberArea, [this] {
        // The block that bears the caret line's number: its first piece.
        const QTextBlock caret = textCursor().block();
        const int line = m_page->joinsPrevious(caret) ? m_page->lineBlock(m_page->lineOf(caret)).blockNumber()
                                                      : caret.blockNumber();
        if (line == m_numberedCaretLine)
            return;
        const int before = m_numberedCaretLine;
        m_numberedCaretLine = line;
        updateNumberOf(before);
        updateNumberOf(line);
    });
    updateMargins();
    m_completer = new TTagCompleter(this);
}

void TColorMemo::useFontForText()
{
    // Source text needs no ligatures nor kerning: letters that need shaping
    // (Arabic, Indic scripts...) are still shaped, the others are looked up
    // directly, which halves what laying out a line costs.
    QFont f = font();
    f.setStyleStrategy(QFont::StyleStrategy(f.styleStrategy() | QFont::PreferNoShaping));
    if (document()->defaultFont() != f || document()->defaultFont().styleStrategy() != f.styleStrategy())
        document()->setDefaultFont(f);
}

void TColorMemo::keepShapesOf(const QTextBlock &block)
{
    // The control lays a changed line out, throws the shapes of its letters
    // away, and shapes the line again to draw it. The line being edited
    // keeps them; the others do not, or a page scrolled through would hold
    // the shapes of all its lines, and neither does a long line. The mark
    // stays at the line's start when letters are typed there.
    const QTextBlock kept = m_keptShapes.isNull() ? QTextBlock() : m_keptShapes.block();
    const bool keep = block.isValid() && block.length() <= LongLine && block.layout();
    if (kept == block && keep)
        return;
    if (kept.isValid() && kept.layout())
        kept.layout()->setCacheEnabled(false);
    m_keptShapes = QTextCursor();
    if (keep) {
        block.layout()->setCacheEnabled(true);
        m_keptShapes = QTextCursor(block);
        m_keptShapes.setKeepPositionOnInsert(true);
    }
}

void TColorMemo::SetInset(int left, int top, int right, int bottom)
{
    m_inset = QMargins(left, top, right, bottom);
    updateMargins();
}

void TColorMemo::SetLineNumbers(bool on)
{
    if (on == m_lineNumbers)
        return;
    m_lineNumbers = on;
    updateMargins();
}

int TColorMemo::lineNumberWidthFor(int lineCount) const
{
    int digits = 1;
    for (int n = qMax(lineCount, 1); n >= 10; n /= 10)
        ++digits;
    // Measured in bold, the face of the caret line's number, so that the
    // emphasis never clips a digit.
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    int digitWidth = 0;
    for (char c = '0'; c <= '9'; ++c)
        digitWidth = qMax(digitWidth, metrics.horizontalAdvance(QLatin1Char(c)));
    return digits * digitWidth + 2 * LineNumberPadding;
}

int TColorMemo::lineNumberWidth() const
{
    if (!m_lineNumbers)
        return 0;
    return lineNumberWidthFor(m_loadingLines ? m_loadingLines : m_page->documentLines());
}

void TColorMemo::updateMargins()
{
    if (!m_numberArea)
        return;
    const int width = lineNumberWidth();
    const QMargins wanted(m_inset.left() + width, m_inset.top(), m_inset.right(), m_inset.bottom());
    if (viewportMargins() != wanted)
        setViewportMargins(wanted);
    const QRect r = contentsRect();
    m_numberArea->setGeometry(r.left(), r.top() + m_inset.top(), width,
                              qMax(0, r.height() - m_inset.top() - m_inset.bottom()));
    m_numberArea->setVisible(m_lineNumbers);
    // Lines came or went: the numbers below them changed.
    m_numberArea->update();
}

void TColorMemo::updateNumberOf(int line)
{
    const QTextBlock block = document()->findBlockByNumber(line);
    if (!block.isValid() || !m_numberArea->isVisible())
        return;
    const QRectF r = blockBoundingGeometry(block).translated(contentOffset());
    if (r.bottom() < 0 || r.top() > m_numberArea->height())
        return;
    m_numberArea->update(QRect(0, int(r.top()) - 1, m_numberArea->width(), int(r.height()) + 2));
}

void TColorMemo::paintLineNumbers(QPaintEvent *event)
{
    QPainter painter(m_numberArea);
    const QPalette &pal = palette();
    painter.fillRect(event->rect(), pal.color(QPalette::Window));
    QFont plain = font();
    QFont bold = plain;
    bold.setBold(true);
    const int current = m_page->lineOf(textCursor().block());
    const int right = m_numberArea->width() - LineNumberPadding;
    // The area and the viewport share their top edge, so a line's place in
    // the viewport is its place in the margin.
    const int bottom = event->rect().bottom();
    QPointF origin = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid() && origin.y() <= bottom; block = block.next()) {
        const QRectF r = blockBoundingRect(block);
        // The pieces of a long line after its first bear no number.
        if (block.isVisible() && origin.y() + r.height() >= event->rect().top() && !m_page->joinsPrevious(block)) {
            const int number = m_page->lineOf(block);
            const bool isCurrent = number == current;
            painter.setFont(isCurrent ? bold : plain);
            painter.setPen(pal.color(isCurrent ? QPalette::WindowText : QPalette::PlaceholderText));
            // The first text line's baseline, wherever the layout puts it.
            const QTextLine line = block.layout()->lineCount() > 0 ? block.layout()->lineAt(0) : QTextLine();
            const qreal lineHeight = line.isValid() ? line.height() : r.height();
            const QRect box(0, int(origin.y() + (line.isValid() ? line.y() : 0)), right, int(lineHeight));
            painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, QString::number(number + 1));
        }
        origin.ry() += r.height();
    }
}

TColorMemo::~TColorMemo() = default;

// ------------------------------------------------------------------ the page's text
// The pane shows its page; every read and change of the text is the page's.

QString TColorMemo::fromCrLf(const QString &text) { return TPage::fromCrLf(text); }
int TColorMemo::positionToOffset(int position) const { return m_page->positionToOffset(position); }
int TColorMemo::offsetToPosition(int offset) const { return m_page->offsetToPosition(offset); }
int TColorMemo::SelStart() const { return m_page->SelStart(); }
int TColorMemo::SelLength() const { return m_page->SelLength(); }
void TColorMemo::SetSelStart(int offset) { m_page->SetSelStart(offset); }
void TColorMemo::SetSelLength(int length) { m_page->Select(m_page->SelStart(), length); }
void TColorMemo::Select(int start, int length) { m_page->Select(start, length); }
QString TColorMemo::SelText() const { return m_page->SelText(); }
void TColorMemo::SetSelText(const QString &text) { m_page->SetSelText(text); }
QStringList TColorMemo::Lines() const { return m_page->Lines(); }
int TColorMemo::LineCount() const { return m_page->LineCount(); }
QString TColorMemo::Line(int index) const { return m_page->Line(index); }
void TColorMemo::SetLines(const QStringList &lines) { m_page->SetLines(lines); }
void TColorMemo::replaceLines(int first, int count, const QStringList &lines)
{
    m_page->replaceLines(first, count, lines);
}
void TColorMemo::replaceAllText(const QString &text) { m_page->replaceAllText(text); }
QString TColorMemo::Text() const { return m_page->Text(); }
void TColorMemo::SetText(const QString &text) { m_page->replaceAllText(text); }
int TColorMemo::TextLength() const { return m_page->TextLength(); }
bool TColorMemo::Modified() const { return m_page->Modified(); }
void TColorMemo::SetModified(bool modified) { m_page->SetModified(modified); }
void TColorMemo::textRange(int from, int to, QString &out) const { m_page->textRange(from, to, out); }

void TColorMemo::followPage()
{
    m_followingPage = true;
    setTextCursor(m_page->cursor());
    m_followingPage = false;
}

void TColorMemo::reportCursor()
{
    if (!m_followingPage && !m_page->editing())
        m_page->takeViewCursor(textCursor());
}

namespace {
// A character typed without Ctrl, Alt or Meta is none of the platform's
// command keys (clipboard, undo, deleting words and lines); each comparison
// with a command builds the platform's list of keys for it.
bool typesCharacter(const QKeyEvent *key)
{
    return !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) && !key->text().isEmpty()
        && key->text().front().isPrint();
}
} // namespace

bool TColorMemo::event(QEvent *e)
{
    // The frame's menu shortcuts run the program's own undo and clipboard
    // commands; the pane must not take those keys for itself.
    if (e->type() == QEvent::ShortcutOverride) {
        auto *ke = static_cast<QKeyEvent *>(e);
        if (!typesCharacter(ke)
            && (ke == QKeySequence::Undo || ke == QKeySequence::Redo || ke == QKeySequence::Cut
                || ke == QKeySequence::Copy || ke == QKeySequence::Paste || ke == QKeySequence::SelectAll)) {
            e->ignore();
            return false;
        }
    }
    return QPlainTextEdit::event(e);
}

void TColorMemo::keyPressEvent(QKeyEvent *event)
{
    // A moving key first collapses a selection to its end, then moves from
    // there.
    static const int moveKeys[] = {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_End, Qt::Key_Home,
                                   Qt::Key_Left,   Qt::Key_Up,       Qt::Key_Right, Qt::Key_Down};
    if (!(event->modifiers() & ~Qt::KeypadModifier) && textCursor().hasSelection()
        && std::find(std::begin(moveKeys), std::end(moveKeys), event->key()) != std::end(moveKeys)) {
        QTextCursor c = textCursor();
        c.setPosition(c.selectionEnd());
        setTextCursor(c);
        requestAll();
    }
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
    const int before = textCursor().position();
    if (editKey(event)) {
        event->accept();
    } else {
        QPlainTextEdit::keyPressEvent(event);
        // A step over a join alone shows the caret at the start of the
        // line's next piece, where it already was: one more makes it a
        // step over a character, as everywhere else.
        const int after = textCursor().position();
        if ((event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) && std::abs(after - before) == 1
            && m_page->isJoin(std::min(before, after))) {
            QTextCursor c = textCursor();
            c.movePosition(after > before ? QTextCursor::NextCharacter : QTextCursor::PreviousCharacter,
                           (event->modifiers() & Qt::ShiftModifier) ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
            setTextCursor(c);
        }
        // Home and End go to the start and end of the piece shown, as on a
        // wrapped line; pressed again where they left the caret, they go
        // on to the start or end of the whole line.
        const bool edgeKey = event->key() == Qt::Key_Home || event->key() == Qt::Key_End;
        if (edgeKey && after == before && m_page->joinCount() > 0
            && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            QTextBlock target = m_page->lineBlock(m_page->lineOf(textCursor().block()));
            if (event->key() == Qt::Key_End)
                while (target.next().isValid() && m_page->joinsPrevious(target.next()))
                    target = target.next();
            const int edge = event->key() == Qt::Key_Home ? target.position() : target.position() + target.length() - 1;
            if (edge != after) {
                QTextCursor c = textCursor();
                c.setPosition(edge, (event->modifiers() & Qt::ShiftModifier) ? QTextCursor::KeepAnchor
                                                                             : QTextCursor::MoveAnchor);
                setTextCursor(c);
            }
        }
    }
    if (produces || event->key() == Qt::Key_Backspace)
        Q_EMIT characterTyped(text.isEmpty() ? QChar(u'\b') : text.at(0));
}

bool TColorMemo::editKey(QKeyEvent *event)
{
    if (isReadOnly())
        return false;
    const QTextCursor c = textCursor();
    m_page->takeViewCursor(c);
    const int pos = c.position();
    const QTextDocument *doc = document();
    // The stretch a deleting key takes when nothing is selected.
    auto eraseTo = [&](QTextCursor::MoveOperation move) {
        QTextCursor to = c;
        to.clearSelection();
        to.movePosition(move, QTextCursor::KeepAnchor);
        // A join between two pieces of a line is no character to take.
        if (std::abs(to.position() - pos) == 1 && m_page->isJoin(std::min(pos, to.position())))
            to.movePosition(move, QTextCursor::KeepAnchor);
        m_page->erase(std::min(pos, to.position()), std::max(pos, to.position()));
    };
    if (typesCharacter(event)) {
        m_page->type(event->text());
    } else if (event == QKeySequence::Cut) {
        cutSelection();
    } else if (event == QKeySequence::Paste) {
        if (const QMimeData *data = QGuiApplication::clipboard()->mimeData())
            insertFromMimeData(data);
    } else if (event == QKeySequence::InsertParagraphSeparator || event == QKeySequence::InsertLineSeparator) {
        // A line break of the page either way: a line separator would be
        // a character no page wants.
        m_page->type(QStringLiteral("\n"));
    } else if (event == QKeySequence::Delete) {
        eraseTo(QTextCursor::NextCharacter);
    } else if (event->key() == Qt::Key_Backspace && !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))) {
        // One character back, both halves of a surrogate pair together.
        int from = pos - 1;
        if (from > 0 && m_page->isJoin(from))
            --from;
        if (from > 0 && doc->characterAt(from).isLowSurrogate() && doc->characterAt(from - 1).isHighSurrogate())
            --from;
        m_page->erase(std::max(0, from), pos);
    } else if (event == QKeySequence::DeleteStartOfWord) {
        eraseTo(QTextCursor::PreviousWord);
    } else if (event == QKeySequence::DeleteEndOfWord) {
        eraseTo(QTextCursor::NextWord);
    } else if (event == QKeySequence::DeleteEndOfLine) {
        // To the end of the line, over the joins of its pieces.
        QTextBlock last = c.block();
        while (m_page->joinsPrevious(last.next()))
            last = last.next();
        const int end = last.position() + last.length() - 1;
        if (end > pos && !c.hasSelection())
            m_page->erase(pos, end);
        else
            eraseTo(QTextCursor::NextCharacter);
    } else if (event == QKeySequence::DeleteCompleteLine) {
        const int line = m_page->lineOf(c.block());
        const QTextBlock next = m_page->lineBlock(line + 1);
        m_page->setSelection(m_page->lineBlock(line).position(),
                             next.isValid() ? next.position() : doc->characterCount() - 1);
        m_page->erase(0, 0);
    } else {
        const QString text = event->text();
        if (text.isEmpty() || !(text.at(0).isPrint() || text.at(0) == u'\t'))
            return false;
        m_page->type(text);
    }
    return true;
}

QMimeData *TColorMemo::createMimeDataFromSelection() const
{
    // The page's own characters: the joins of long lines are none of them.
    auto *data = new QMimeData;
    data->setText(QString(SelText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    return data;
}

void TColorMemo::cutSelection()
{
    if (!textCursor().hasSelection())
        return;
    QGuiApplication::clipboard()->setText(QString(SelText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_page->insertOwnStep(QString(), QStringLiteral("Couper"));
}

void TColorMemo::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly() || !source || !source->hasText())
        return;
    const QString text = source->text();
    if (!text.isEmpty())
        m_page->insertOwnStep(text, QStringLiteral("Coller"));
}

void TColorMemo::dropEvent(QDropEvent *event)
{
    const QMimeData *data = event->mimeData();
    if (isReadOnly() || !data || !data->hasText()) {
        event->ignore();
        return;
    }
    const int position = cursorForPosition(event->position().toPoint()).position();
    // The control's drop caret goes with the drag.
    QDragLeaveEvent leave;
    QPlainTextEdit::dragLeaveEvent(&leave);
    const bool inside = event->source() == this || event->source() == viewport();
    if (inside && event->dropAction() == Qt::MoveAction) {
        m_page->moveSelection(position);
    } else {
        m_page->setSelection(position, position);
        m_page->insertOwnStep(data->text(), QStringLiteral("Déposer"));
    }
    event->acceptProposedAction();
    setFocus();
}

void TColorMemo::inputMethodEvent(QInputMethodEvent *event)
{
    // The text being composed stands in the caret's line without being its.
    m_window.forgetPlaces();
    if (isReadOnly()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    if (event->commitString().isEmpty() && event->replacementLength() == 0) {
        // Composing over a selection takes the selection out first: through
        // the page, so that it can be undone.
        if (!event->preeditString().isEmpty() && textCursor().hasSelection()) {
            m_page->takeViewCursor(textCursor());
            m_page->erase(0, 0);
        }
        m_page->besideTheText([&] { QPlainTextEdit::inputMethodEvent(event); });
        return;
    }
    // What the input method settles on goes in through the page; the text
    // it is still composing stays the control's to show.
    const QTextCursor c = textCursor();
    if (event->replacementLength() > 0) {
        const int from = std::max(0, c.position() + event->replacementStart());
        m_page->setSelection(from, from + event->replacementLength());
    } else {
        m_page->takeViewCursor(c);
    }
    if (event->commitString().isEmpty())
        m_page->erase(0, 0);
    else
        m_page->type(event->commitString());
    QInputMethodEvent composing(event->preeditString(), event->attributes());
    m_page->besideTheText([&] { QPlainTextEdit::inputMethodEvent(&composing); });
}

void TColorMemo::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = contextMenuAt(event->pos());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

QMenu *TColorMemo::contextMenuAt(const QPoint &pos)
{
    // The control's own menu, its changes made through the page; undoing
    // is the frame's "Edition" menu.
    QMenu *menu = createStandardContextMenu(pos);
    const QList<QAction *> actions = menu->actions();
    for (QAction *a : actions) {
        const QString name = a->objectName();
        if (name == QLatin1String("edit-cut") || name == QLatin1String("edit-delete")) {
            auto *mine = new QAction(a->icon(), a->text(), menu);
            mine->setShortcut(a->shortcut());
            mine->setEnabled(a->isEnabled());
            menu->insertAction(a, mine);
            if (name == QLatin1String("edit-cut"))
                connect(mine, &QAction::triggered, this, &TColorMemo::cutSelection);
            else
                connect(mine, &QAction::triggered, this, [this] { m_page->erase(0, 0); });
        }
        if (name == QLatin1String("edit-undo") || name == QLatin1String("edit-redo") || name == QLatin1String("edit-cut")
            || name == QLatin1String("edit-delete"))
            a->setVisible(false);
    }
    if (aidsOn())
        addAidEntries(menu, pos);
    return menu;
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

// ------------------------------------------------------------------ colouring

void TColorMemo::SetColorRules(const TDrawRules &rules)
{
    m_rules.Assign(rules);
    requestAll();
}

void TColorMemo::SetHotSpot(const THotSpot &hotSpot)
{
    m_hotSpot.Assign(hotSpot);
    // The hover test needs moves without a button held.
    if (m_hotSpot.Active) {
        viewport()->setMouseTracking(true);
    } else if (m_overHotSpot) {
        m_overHotSpot = false;
        viewport()->setCursor(Qt::IBeamCursor);
    }
    requestAll();
}

void TColorMemo::SetRedrawAlways(bool on)
{
    m_redrawAlways = on;
    requestAll();
}

void TColorMemo::SetColorLimMax(int count)
{
    m_colorLimMax = std::max(0, count);
    std::vector<TKeyDescr>().swap(m_drawBuffer);
    if (m_colorLimMax > 0)
        m_drawBuffer.resize(m_colorLimMax);
}

QColor TColorMemo::toQColor(TColor color) const
{
    if (color & clSystemColor) {
        const QPalette &pal = palette();
        switch (color) {
        case clWindow: return pal.color(QPalette::Base);
        case clHighlight: return pal.color(QPalette::Highlight);
        case clHighlightText: return pal.color(QPalette::HighlightedText);
        default: return pal.color(QPalette::Text);
        }
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

bool TColorMemo::colouring() const
{
    return isEnabled() && isVisible() && (m_rules.Count() > 0 || m_hotSpot.Active);
}

void TColorMemo::requestAll()
{
    m_pending = Pending::All;
    viewport()->update();
}

void TColorMemo::textChanged()
{
    const QTextDocument *doc = document();
    const int lines = doc->blockCount();
    const int end = TextLength();
    bool lineOnly = false;
    QTextBlock block;
    if (!m_redrawAlways && lines == m_recordedLines && end == m_recordedEnd + 1
        && m_changeAdded - m_changeRemoved == 1) {
        // One character more: only the caret's line needs a new pass, when
        // the change lies inside that line.
        block = doc->findBlock(m_changePos);
        lineOnly = block.isValid() && block == doc->findBlock(m_changePos + m_changeAdded)
            && block == doc->findBlock(textCursor().selectionStart())
            && (m_pending == Pending::None
                || (m_pending == Pending::CurrentLine && m_pendingLine == block.blockNumber()));
        // The character may open or close a span that reaches into the next
        // lines: then they need a new pass too.
        if (lineOnly && block.next().isValid() && colouring()) {
            const QString now = block.text();
            const QString before = QString(now).remove(m_changePos - block.position(), 1);
            const TOpenSpans open = openSpansAt(block.blockNumber());
            lineOnly = carryOpenSpans(m_rules, open, now) == carryOpenSpans(m_rules, open, before);
            if (lineOnly)
                m_openValid = std::max(m_openValid, m_openValidBefore); // nothing below has changed
        }
    }
    m_recordedLines = lines;
    m_recordedEnd = end;
    if (!lineOnly) {
        requestAll();
        return;
    }
    // Runs after the new character move one place on, as its glyphs do.
    shiftRuns(positionToOffset(m_changePos));
    m_pending = Pending::CurrentLine;
    m_pendingLine = block.blockNumber();
    QRectF r = blockBoundingGeometry(block).translated(contentOffset());
    viewport()->update(QRect(0, int(r.top()) - 1, viewport()->width(), int(r.height()) + 2));
}

void TColorMemo::shiftRuns(int offset)
{
    for (int i = 0; i < m_runs.Count(); ++i) {
        TKeyDescr &r = m_runs[i];
        if (r.StartPos == KeyFree)
            break;
        if (r.StartPos < 0)
            continue;
        if (r.StartPos >= offset)
            ++r.StartPos;
        if (r.EndPos != KeyFree && r.EndPos >= offset)
            ++r.EndPos;
    }
}

void TColorMemo::clearRuns()
{
    if (m_runs.Count() > 0)
        m_runs[0].StartPos = m_runs[0].EndPos = KeyFree;
}

void TColorMemo::DrawColors(bool currentLineOnly)
{
    runPass(currentLineOnly);
    if (!currentLineOnly)
        m_pending = Pending::None;
    viewport()->update();
}

void TColorMemo::checkOpenSpanRules()
{
    // What is open where depends on the begin/end markers: other markers,
    // other spans. Compared in place: this runs on every pass and must not
    // allocate.
    size_t k = 0;
    bool same = true;
    const int ruleCount = std::min(m_rules.Count(), OpenSpanRules);
    for (int r = 0; r < ruleCount && same; ++r) {
        const TColorRule &rule = *m_rules.Items(r);
        if (!rule.Enabled() || rule.KeyDrawingType() != dtBeginEnd)
            continue;
        for (int i = 0; i < rule.markerCount() && same; ++i, ++k) {
            const TMarkerEntry &m = rule.markers()[i];
            same = k < m_openRules.size() && m_openRules[k].rule == r && m_openRules[k].begin == m.begin
                && m_openRules[k].end == m.end;
        }
    }
    if (same && k == m_openRules.size())
        return;
    m_openRules.clear();
    for (int r = 0; r < ruleCount; ++r) {
        const TColorRule &rule = *m_rules.Items(r);
        if (!rule.Enabled() || rule.KeyDrawingType() != dtBeginEnd)
            continue;
        for (int i = 0; i < rule.markerCount(); ++i)
            m_openRules.push_back({r, rule.markers()[i].begin, rule.markers()[i].end});
    }
    m_openValid = 1;
}

TOpenSpans TColorMemo::openSpansAt(int line)
{
    if (m_openAt.empty())
        m_openAt.push_back(0);
    m_openValid = std::max(1, m_openValid);
    if (line < m_openValid)
        return m_openAt[line];
    if (int(m_openAt.size()) <= line)
        m_openAt.resize(line + 1);
    // From the last line known down to the one asked for; the lines found
    // on the way stay known for the next passes.
    QTextBlock b = document()->findBlockByNumber(m_openValid - 1);
    TOpenSpans open = m_openAt[m_openValid - 1];
    if (line - m_openValid > LongWalk && b.isValid()) {
        // A jump far down a big page: the blocks read from one copy of the
        // text, which costs far less than asking each block for its own.
        const QString raw = document()->toRawText();
        const QStringView text(raw);
        qsizetype at = b.position();
        for (int number = m_openValid - 1; number < line && at <= text.size(); ++number) {
            qsizetype end = text.indexOf(QChar::ParagraphSeparator, at);
            if (end < 0)
                end = text.size();
            open = carryBlock(m_rules, open, text.sliced(at, end - at));
            at = end + 1;
            m_openAt[number + 1] = open;
        }
        m_openAt[line] = open;
        m_openValid = line + 1;
        return open;
    }
    // Counted on the way: a block's number is a search of its own.
    for (int number = m_openValid - 1; b.isValid() && number < line; ++number) {
        open = carryBlock(m_rules, open, b.text());
        b = b.next();
        m_openAt[b.isValid() ? number + 1 : line] = open;
    }
    m_openValid = line + 1;
    return open;
}

bool TColorMemo::markerAfter(QStringView marker)
{
    if (marker.isEmpty())
        return true;
    // The look starts at the first line after the scanned text (or inside
    // the last one, when the scan stopped in it).
    const int pos = offsetToPosition(m_lookFrom);
    QTextBlock b = document()->findBlock(pos);
    int col = pos - b.position();
    if (col >= b.length() - 1 && b.next().isValid()) {
        b = b.next();
        col = 0;
    }
    const int line = b.blockNumber();
    for (const MarkerAfter &known : m_markersAfter)
        if (known.line == line && known.column == col && known.marker == marker)
            return known.found;
    bool found = false;
    for (; !found && b.isValid(); b = b.next(), col = 0)
        found = b.text().indexOf(marker, col) >= 0;
    if (m_markersAfter.size() >= 16)
        m_markersAfter.clear();
    if (m_markersAfter.empty())
        m_lookLines = document()->blockCount();
    m_markersAfter.push_back({marker.toString(), line, col, found});
    return found;
}

void TColorMemo::runPass(bool currentLineOnly, int line)
{
    if (!colouring()) {
        clearRuns();
        return;
    }
    ++m_passCount;
    m_lastPassLineOnly = currentLineOnly;
    m_rules.UpdateRules();
    checkOpenSpanRules();
    int from = 0, to = 0;
    if (currentLineOnly) {
        const QTextBlock caretLine = line >= 0 ? document()->findBlockByNumber(line)
                                               : document()->findBlock(textCursor().selectionStart());
        const int count = scanLines(caretLine, 1, m_lineRuns, &from, &to);
        mergeLineRuns(from, to, count);
    } else {
        const QTextBlock first = firstVisibleBlock();
        m_passTop = first.blockNumber();
        m_passOffset = contentOffset().y();
        scanLines(first, document()->blockCount() - first.blockNumber(), m_runs, &from, &to);
    }
}

int TColorMemo::scanLines(const QTextBlock &first, int lineCount, TKeyDescrList &out, int *scanStart,
                          int *scanEnd)
{
    const int firstLine = first.blockNumber();
    // Spans may reach over KeyMaxHeight lines: start that many lines less
    // one above the first line to paint.
    const int keyMax = m_rules.Count() > 0 ? std::max(1, m_rules.Items(0)->KeyMaxHeight()) : 1;
    QTextBlock start = first;
    for (int i = 1; i < keyMax && start.previous().isValid(); ++i)
        start = start.previous();
    const int startOffset = positionToOffset(start.position());

    // Only fully visible lines are coloured; the partly shown last line is
    // left as the control drew it.
    // The top line may stand partly above the view (the view was scrolled
    // to show the last line at the bottom): it is scanned with the others,
    // or nothing below it would be.
    const QTextBlock top = firstVisibleBlock();
    qreal y = contentOffset().y();
    const bool above = !top.isValid() || firstLine < top.blockNumber();
    if (!above) {
        QTextBlock b = top;
        for (int n = firstLine - top.blockNumber(); n > 0 && b.isValid(); --n, b = b.next())
            y += blockBoundingRect(b).height();
    }
    const qreal bottom = viewport()->height();
    QTextBlock b = first;
    QTextBlock lastCounted;
    int counted = 0;
    while (b.isValid() && counted < lineCount) {
        const QTextLayout *layout = b.layout();
        const qreal h = (layout && layout->lineCount() > 0) ? layout->lineAt(0).height()
                                                           : blockBoundingRect(b).height();
        if (!b.isVisible() || above || y + h > bottom)
            break;
        y += blockBoundingRect(b).height();
        lastCounted = b;
        ++counted;
        b = b.next();
    }
    int endOffset;
    if (counted < lineCount && b.isValid())
        endOffset = positionToOffset(b.position());
    else
        endOffset = positionToOffset(lastCounted.position()) + lastCounted.length() - 1;
    endOffset = std::max(endOffset, startOffset);

    const int needed = endOffset - startOffset + 2;
    if (m_text.capacity() < needed)
        m_text.reserve(needed + 1024);
    m_text.resize(0);
    for (QTextBlock t = start; t.isValid(); t = t.next()) {
        if (startOffset + m_text.size() >= endOffset)
            break;
        m_text.append(t.text());
        if (t.next().isValid() && !m_page->joinsPrevious(t.next()))
            m_text.append(QStringLiteral("\r\n"));
    }
    m_text.truncate(endOffset - startOffset);

    const QTextCursor cursor = textCursor();
    const QTextBlock caretLine = document()->findBlock(cursor.selectionStart());
    TScanInput in;
    in.text = QStringView(m_text);
    in.scanStart = startOffset;
    in.selStart = positionToOffset(cursor.selectionStart());
    in.selLength = positionToOffset(cursor.selectionEnd()) - in.selStart;
    in.acceptTabs = !tabChangesFocus();
    in.redrawAlways = m_redrawAlways;
    in.caretLineStart = positionToOffset(caretLine.position());
    in.fontColor = clWindowText;
    in.hotSpot = &m_hotSpot;
    in.colorLimMax = int(m_drawBuffer.size());
    in.drawBuffer = m_drawBuffer.empty() ? nullptr : m_drawBuffer.data();
    if (isSignalConnected(QMetaMethod::fromSignal(&TColorMemo::OnDraw)))
        in.onDraw = &m_drawHandler;
    in.openAtStart = openSpansAt(start.blockNumber());
    m_lookFrom = endOffset;
    in.markerAfter = &m_markerAfter;
    *scanStart = m_lastScanStart = startOffset;
    *scanEnd = m_lastScanEnd = endOffset;
    return m_scanner.scan(m_rules, in, out);
}

void TColorMemo::mergeLineRuns(int from, int to, int count)
{
    // The kept runs lose what lies in the rescanned stretch; the runs of
    // the line pass take its place.
    int kept = 0;
    int total = 0;
    while (total < m_runs.Count() && m_runs[total].StartPos != KeyFree)
        ++total;
    int tail = total; // split-off pieces are appended after the old runs
    for (int i = 0; i < total; ++i) {
        TKeyDescr r = m_runs[i];
        if (r.StartPos < 0 || r.EndPos == KeyFree)
            continue;
        if (r.EndPos < from || r.StartPos >= to) {
            m_runs[kept++] = r;
            continue;
        }
        if (r.StartPos < from) {
            TKeyDescr left = r;
            left.EndPos = from - 1;
            m_runs[kept++] = left;
        }
        if (r.EndPos >= to) {
            TKeyDescr right = r;
            right.StartPos = to;
            m_runs.at(tail++) = right;
        }
    }
    for (int i = total; i < tail; ++i)
        m_runs[kept++] = m_runs[i];
    for (int i = 0; i < count; ++i)
        m_runs.at(kept++) = m_lineRuns[i];
    if (kept < m_runs.Count())
        m_runs[kept].StartPos = m_runs[kept].EndPos = KeyFree;
}

bool TColorMemo::longLineIn(const QRect &area) const
{
    qreal top = contentOffset().y();
    for (QTextBlock b = firstVisibleBlock(); b.isValid() && top <= area.bottom(); b = b.next()) {
        const qreal height = blockBoundingRect(b).height();
        if (b.isVisible() && b.length() > LongLine && top + height >= area.top())
            return true;
        top += height;
    }
    return false;
}

void TColorMemo::paintText(const QRect &area)
{
    // What the control draws (text, selection, caret), but a long line only
    // over the columns the area shows: the control draws every glyph of a
    // line, shaping it again, on every paint, even for the caret's blink.
    QPainter painter(viewport());
    painter.setClipRect(area);
    const QAbstractTextDocumentLayout::PaintContext context = getPaintContext();
    painter.setPen(context.palette.text().color());
    const QTextDocument *doc = document();
    const QFont font = doc->defaultFont();
    const QTextOption option = doc->defaultTextOption();
    const bool caretShown = !isReadOnly() || (textInteractionFlags() & Qt::TextSelectableByKeyboard);
    QPointF origin = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid() && origin.y() <= area.bottom();
         block = block.next()) {
        const QRectF r = blockBoundingRect(block);
        const QPointF blockOrigin = origin;
        origin.ry() += r.height();
        if (!block.isVisible() || blockOrigin.y() + r.height() < area.top())
            continue;
        const int pos = block.position();
        const int length = block.length();
        QList<QTextLayout::FormatRange> selections;
        for (const QAbstractTextDocumentLayout::Selection &range : context.selections) {
            const int a = range.cursor.selectionStart() - pos;
            const int b = range.cursor.selectionEnd() - pos;
            if (a < length && b > 0 && b > a)
                selections.append({a, b - a, range.format});
        }
        const int caret = context.cursorPosition - pos;
        const bool caretHere = caretShown && caret >= 0 && caret < length;
        bool caretAsBlock = caretHere && overwriteMode() && caret < length - 1;
        if (caretAsBlock) {
            QTextCharFormat inverted;
            inverted.setForeground(context.palette.base());
            inverted.setBackground(context.palette.text());
            selections.append({caret, 1, inverted});
        }
        QTextLayout *layout = block.layout();
        if (length <= LongLine) {
            layout->draw(&painter, blockOrigin, selections, area);
            if (caretHere && !caretAsBlock)
                layout->drawCursor(&painter, blockOrigin, caret, cursorWidth());
            continue;
        }
        const TLineWindow::Fetch fetch = blockFetch(block);
        for (int l = 0; l < layout->lineCount(); ++l) {
            m_window.shape(layout->lineAt(l), font, option, area.left() - blockOrigin.x(),
                           area.right() + 1 - blockOrigin.x(), fetch, block.blockNumber(), block.revision());
            m_paintShaped += m_window.shapedCharacters();
            if (m_window.wholeLine()) {
                // Right-to-left text: the line answers for itself.
                layout->draw(&painter, blockOrigin, selections, area);
                if (caretHere && !caretAsBlock)
                    layout->drawCursor(&painter, blockOrigin, caret, cursorWidth());
                break;
            }
            m_window.draw(&painter, blockOrigin, selections, area);
            if (caretHere && !caretAsBlock)
                m_window.drawCursor(&painter, blockOrigin, caret, cursorWidth());
        }
    }
}

void TColorMemo::unfoldAround(int topLine)
{
    if (!m_page->hasGroups())
        return;
    // A screen above and two below the top line: scrolling a little, or a
    // page down, finds its lines as blocks already.
    const int shown = viewport()->height() / std::max(1, fontMetrics().lineSpacing()) + 2;
    QTextDocument *doc = document();
    const QTextBlock first = doc->findBlockByLineNumber(std::max(0, topLine - shown));
    QTextBlock last = doc->findBlockByLineNumber(topLine + 2 * shown);
    if (!last.isValid())
        last = doc->lastBlock();
    if (!first.isValid())
        return;
    QScrollBar *bar = verticalScrollBar();
    const int value = bar->value();
    m_page->unfold(first.position(), last.position() + last.length() - 1);
    // The view keeps the line it was scrolled to, now a block of its own.
    if (bar->value() != value) {
        const QSignalBlocker blocker(bar);
        bar->setValue(value);
    }
}

QTextBlock TColorMemo::lastShownBlock() const
{
    // The heights added up from the top: the control's own place of a block
    // is counted from the first shown one at each call.
    const int height = viewport()->height();
    QTextBlock last = firstVisibleBlock();
    qreal top = contentOffset().y() + blockBoundingRect(last).height();
    for (QTextBlock b = last.next(); b.isValid() && top < height; b = b.next()) {
        last = b;
        top += blockBoundingRect(b).height();
    }
    return last;
}

void TColorMemo::unfoldShown()
{
    m_unfoldQueued = false;
    // The blocks shown, whatever line the bar says, so that no group is
    // left to ask for this again.
    const QTextBlock first = firstVisibleBlock();
    const QTextBlock last = lastShownBlock();
    const int value = verticalScrollBar()->value();
    m_page->unfold(first.position(), last.position() + last.length() - 1);
    unfoldAround(value);
    QPlainTextEdit::scrollContentsBy(0, 0);
    requestAll();
    viewport()->update();
    m_numberArea->update();
}

void TColorMemo::paintEvent(QPaintEvent *event)
{
    m_paintShaped = 0;
    const ViewPlace here{firstVisibleBlock().blockNumber(), contentOffset().y(), viewport()->height()};
    if (m_page->hasGroups() && !m_unfoldQueued && (!(here == m_noGroupsAt) || event->rect() == viewport()->rect())) {
        // Lines of a group in view (a jump the scroll did not see coming):
        // they are taken apart after this paint, and painted again.
        m_noGroupsAt = here;
        const QTextBlock last = lastShownBlock();
        for (QTextBlock b = firstVisibleBlock(); b.isValid(); b = b.next()) {
            if (m_page->holdsLines(b)) {
                m_noGroupsAt = ViewPlace();
                m_unfoldQueued = true;
                QTimer::singleShot(0, this, &TColorMemo::unfoldShown);
                break;
            }
            if (b == last)
                break;
        }
    }
    if (longLineIn(event->rect()))
        paintText(event->rect());
    else
        QPlainTextEdit::paintEvent(event);
    if (m_pending == Pending::None && colouring()
        && (firstVisibleBlock().blockNumber() != m_passTop || contentOffset().y() != m_passOffset)) {
        // The view moved up or down since the runs were found, whatever
        // moved it: the runs no longer cover what is shown.
        m_pending = Pending::All;
        if (event->rect() != viewport()->rect())
            viewport()->update();
    }
    if (m_pending != Pending::None) {
        // The line pass covers the line that was typed in, even if the
        // caret has been moved elsewhere since.
        const bool lineOnly = m_pending == Pending::CurrentLine;
        m_pending = Pending::None;
        runPass(lineOnly, lineOnly ? m_pendingLine : -1);
    }
    if (!colouring() && !aidsOn())
        return;
    QPainter painter(viewport());
    painter.setClipRect(event->rect());
    if (colouring())
        drawRuns(painter, event->rect());
    if (aidsOn())
        drawMarks(painter, event->rect());
}

void TColorMemo::drawRuns(QPainter &painter, const QRect &area)
{
    const bool keyHandler = isSignalConnected(QMetaMethod::fromSignal(&TColorMemo::OnDrawKey));
    const QAbstractTextDocumentLayout::PaintContext context = getPaintContext();
    const QTextDocument *doc = document();
    const QFont font = doc->defaultFont();
    const QTextOption option = doc->defaultTextOption();
    QPointF origin = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid() && origin.y() <= area.bottom();
         block = block.next()) {
        const QRectF r = blockBoundingRect(block);
        const qreal top = origin.y();
        origin.ry() += r.height();
        if (!block.isVisible() || top + r.height() < area.top())
            continue;
        const QPointF blockOrigin(origin.x(), top);
        const int lineStart = positionToOffset(block.position());
        const int lineEnd = lineStart + block.length() - 1; // first offset of the line break
        // The runs on this line, before anything is shaped for it.
        m_lineRunIndex.clear();
        for (int i = 0; i < m_runs.Count(); ++i) {
            const TKeyDescr &run = m_runs[i];
            if (run.StartPos == KeyFree)
                break;
            if (run.StartPos < 0 || run.EndPos == KeyFree || run.Priority >= PrioritySelection)
                continue;
            if (run.EndPos < lineStart || run.StartPos >= lineEnd)
                continue;
            m_lineRunIndex.push_back(i);
        }
        if (m_lineRunIndex.empty())
            continue;
        const QTextLayout *layout = block.layout();
        const int blockPos = block.position();
        const TLineWindow::Fetch fetch = blockFetch(block);
        const int caret = context.cursorPosition - blockPos;
        bool caretCovered = false;
        for (int l = 0; l < layout->lineCount(); ++l) {
            const QTextLine line = layout->lineAt(l);
            m_window.shape(line, font, option, area.left() - blockOrigin.x(), area.right() + 1 - blockOrigin.x(), fetch, block.blockNumber(), block.revision());
            m_paintShaped += m_window.shapedCharacters();
            bool drawn = false;
            for (const int i : m_lineRunIndex) {
                const TKeyDescr &run = m_runs[i];
                if (keyHandler && run.IsKey && run.StartPos >= lineStart && run.EndPos < lineEnd) {
                    const int a = run.StartPos - lineStart;
                    const int b = run.EndPos + 1 - lineStart;
                    if (a < m_window.from() || a >= m_window.to())
                        continue;
                    const QString key = m_window.wholeLine() ? block.text().mid(a, b - a) : m_window.text(a, b);
                    const QRect rect(int(blockOrigin.x() + m_window.x(a)), int(top + line.y()),
                                     painter.fontMetrics().horizontalAdvance(key), int(line.height()));
                    painter.setPen(toQColor(run.Color));
                    Q_EMIT OnDrawKey(&painter, key, rect, clWindowText);
                    drawn = true;
                    continue;
                }
                drawn = drawRun(painter, run, line, lineStart, blockOrigin) || drawn;
            }
            if (drawn && caret >= m_window.from() && caret <= m_window.to())
                caretCovered = true;
        }
        // Our opaque runs may have covered the caret the control drew.
        if (caretCovered && caret >= 0 && caret < block.length() && !overwriteMode()) {
            painter.setPen(context.palette.text().color());
            if (m_window.wholeLine())
                layout->drawCursor(&painter, blockOrigin, caret, cursorWidth());
            else
                m_window.drawCursor(&painter, blockOrigin, caret, cursorWidth());
        }
    }
}

bool TColorMemo::drawRun(QPainter &painter, const TKeyDescr &run, const QTextLine &line, int lineStart,
                         const QPointF &origin)
{
    // The run's characters on this line and in the shaped stretch, without
    // the line break.
    const int a = std::max({run.StartPos - lineStart, line.textStart(), m_window.from()});
    const int b = std::min({run.EndPos + 1 - lineStart, line.textStart() + line.textLength(), m_window.to()});
    if (b <= a)
        return false;
    const QColor color = toQColor(run.Color);
    const QColor background = run.Priority == PriorityHotSpotMarker ? color : palette().color(QPalette::Base);
    const qreal xa = m_window.x(a);
    const qreal xb = m_window.x(b);
    // An opaque cell under the run hides the control's own glyphs; the
    // glyphs drawn over it stand exactly where the control drew its own.
    painter.fillRect(QRectF(origin.x() + std::min(xa, xb), origin.y() + line.y(), std::abs(xb - xa), line.height()),
                     background);
    painter.setPen(color);
    const QList<QGlyphRun> glyphs = m_window.glyphRuns(a, b);
    for (QGlyphRun g : glyphs) {
        if (run.Priority == PriorityHotSpotText && m_hotSpot.Underlined)
            g.setUnderline(true);
        painter.drawGlyphRun(origin + m_window.offset(), g);
    }
    return true;
}

bool TColorMemo::hotSpotUnder(const QPoint &pos, QString *src) const
{
    const QTextCursor c = cursorForPosition(pos);
    const QTextBlock block = c.block();
    const QTextLayout *layout = block.layout();
    if (!block.isValid() || !layout || layout->lineCount() == 0)
        return false;
    const QTextLine line = layout->lineForTextPosition(c.positionInBlock());
    if (!line.isValid())
        return false;
    const int col = line.xToCursor(pos.x() - contentOffset().x(), QTextLine::CursorOnCharacter);
    return hotSpotAt(block.text(), col, m_hotSpot.BeginChar, m_hotSpot.EndChar, src);
}

// ---------------------------------------------------------------- occasions

void TColorMemo::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Shift && !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)))
        requestAll();
    QPlainTextEdit::keyReleaseEvent(event);
}

void TColorMemo::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && !(event->modifiers() & ~Qt::KeypadModifier))
        requestAll();
    QPlainTextEdit::mousePressEvent(event);
}

void TColorMemo::mouseReleaseEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    requestAll();
    QString src;
    if (m_hotSpot.Active && m_overHotSpot && hotSpotUnder(event->position().toPoint(), &src))
        Q_EMIT OnHotSpotClick(src);
}

void TColorMemo::mouseMoveEvent(QMouseEvent *event)
{
    if (m_hotSpot.Active) {
        const bool over = hotSpotUnder(event->position().toPoint(), nullptr);
        if (over != m_overHotSpot) {
            m_overHotSpot = over;
            viewport()->setCursor(over ? Qt::PointingHandCursor : Qt::IBeamCursor);
        }
    }
    QPlainTextEdit::mouseMoveEvent(event);
}

void TColorMemo::resizeEvent(QResizeEvent *event)
{
    if (auto *layout = dynamic_cast<TSourceLayout *>(document()->documentLayout()))
        layout->setViewWidth(viewport()->width());
    // A new width makes the base class lay every line out again, and give
    // each line a layout object of its own: on a page of a million lines,
    // 170 ms and 200 MB at each step of a window being widened. Lines are
    // not wrapped, so their layout does not depend on the width; on a big
    // page the view keeps the width it was laid out for.
    if (event->oldSize().width() != event->size().width() && lineWrapMode() == NoWrap
        && m_page->documentLines() > RelayoutLimit) {
        QResizeEvent sameWidth(event->size(), QSize(event->size().width(), event->oldSize().height()));
        QPlainTextEdit::resizeEvent(&sameWidth);
    } else {
        QPlainTextEdit::resizeEvent(event);
        // A width laid out anew reckons each block one line.
        if (event->oldSize().width() != event->size().width() && m_page->hasGroups())
            restoreLineCounts();
    }
    if (event->size().height() > event->oldSize().height())
        unfoldAround(verticalScrollBar()->value());
    updateMargins();
    requestAll();
}

void TColorMemo::restoreLineCounts()
{
    m_page->restoreLineCounts();
    if (QAbstractTextDocumentLayout *layout = document()->documentLayout())
        Q_EMIT layout->documentSizeChanged(layout->documentSize());
}

void TColorMemo::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
        useFontForText();
        if (m_page->hasGroups())
            restoreLineCounts();
        updateMargins();
        requestAll();
        break;
    case QEvent::PaletteChange:
    case QEvent::EnabledChange:
        requestAll();
        break;
    default:
        break;
    }
}

void TColorMemo::showEvent(QShowEvent *event)
{
    QPlainTextEdit::showEvent(event);
    requestAll();
}

void TColorMemo::scrollContentsBy(int dx, int dy)
{
    // The lines scrolled to are taken out of their groups before the view
    // settles on them.
    if (dy)
        unfoldAround(verticalScrollBar()->value());
    QPlainTextEdit::scrollContentsBy(dx, dy);
    if (dy)
        Q_EMIT OnVScroll();
    if (dx)
        Q_EMIT OnHScroll();
    // A scrolled copy of the old pixels would keep colours that the new
    // first line may no longer have: repaint the whole view. Scrolled
    // sideways, the view shows the same lines with the same runs: the
    // control's copy stands, and only the columns it uncovers are painted
    // (typing past the right edge scrolls at every half width).
    if (dy)
        requestAll();
}

// --- writing aids

namespace {

// One checker per dictionary, for all the panes: a dictionary takes a while
// to load and holds the words already looked up.
TSpellChecker *checkerFor(const QString &dictionary)
{
    static std::map<QString, std::unique_ptr<TSpellChecker>> checkers;
    std::unique_ptr<TSpellChecker> &checker = checkers[dictionary];
    if (!checker)
        checker = std::make_unique<TSpellChecker>(dictionary);
    return checker->isValid() ? checker.get() : nullptr;
}

const QColor WaveColor(220, 0, 0);

void drawWave(QPainter &painter, qreal ratio, qreal x1, qreal x2, qreal y)
{
    // A zigzag of 2-pixel steps under the word: one period of it drawn once
    // and laid side by side, since a line of misspelt words (a page in
    // another language) drew a stroke for every step of every word at each
    // key.
    static QPixmap tile;
    if (tile.isNull() || tile.devicePixelRatio() != ratio) {
        QImage period(QSize(int(std::ceil(4 * ratio)), int(std::ceil(3 * ratio))), QImage::Format_ARGB32_Premultiplied);
        period.setDevicePixelRatio(ratio);
        period.fill(Qt::transparent);
        QPainter p(&period);
        p.setPen(QPen(WaveColor, 1));
        const QPointF steps[] = {{0, 2}, {2, 0}, {4, 2}};
        p.drawPolyline(steps, 3);
        p.end();
        tile = QPixmap::fromImage(period);
    }
    const int left = int(std::floor(x1));
    const int width = int(std::ceil(x2)) - left;
    if (width > 0)
        painter.drawTiledPixmap(QRect(left, int(std::floor(y)) - 2, width, 3), tile);
}

} // namespace

void TColorMemo::setWritingAids(bool spelling, bool typography)
{
    if (spelling == m_spelling && typography == m_typographyMarks)
        return;
    m_spelling = spelling;
    m_typographyMarks = typography;
    m_languageKnown = false;
    m_checkerChosen = false;
    m_marks->setTypography(typography);
    if (!spelling)
        m_marks->setChecker(nullptr);
    if (!aidsOn())
        m_shownMarks.clear();
    viewport()->update();
}

QString TColorMemo::spellDictionary()
{
    prepareAids();
    return m_checker ? m_checker->dictionary() : QString();
}

void TColorMemo::prepareAids()
{
    if (m_languageKnown)
        return;
    m_languageKnown = true;
    if (m_spelling) {
        QStringList head;
        for (QTextBlock b = document()->begin(); b.isValid() && head.size() < LanguageLines; b = b.next())
            head << b.text();
        // Typing above the end of the <html> tag, or in the head of a page
        // without one, asks again at every key: the dictionaries' folders
        // are read only when the language changed.
        Spelling::TextPoint tagEnd;
        const QString language = Spelling::pageLanguage(head, &tagEnd);
        m_languageTagEnd =
            tagEnd.line < 0 ? -1 : document()->findBlockByNumber(tagEnd.line).position() + tagEnd.column;
        if (!m_checkerChosen || language != m_checkerLanguage) {
            const QString dictionary = Spelling::dictionaryFor(language);
            m_checker = dictionary.isEmpty() ? nullptr : checkerFor(dictionary);
            m_checkerLanguage = language;
            m_checkerChosen = true;
        }
    } else {
        m_checker = nullptr;
        m_checkerChosen = false;
    }
    m_marks->setChecker(m_checker);
}

namespace {
// The lines' texts for the marks' states, which are read one after
// another: the next block, not a search through the page for each line.
TTextMarks::Fetch lineFetch(const QTextDocument *doc)
{
    return [doc, block = QTextBlock(), at = -2](int line) mutable {
        if (line == at + 1 && block.isValid())
            block = block.next();
        else if (line != at)
            block = doc->findBlockByNumber(line);
        at = line;
        return block.text();
    };
}
} // namespace

void TColorMemo::readStatesLater()
{
    if (m_statesPending)
        return;
    m_statesPending = true;
    QTimer::singleShot(0, this, [this] {
        m_statesPending = false;
        if (!aidsOn())
            return;
        const QTextDocument *doc = document();
        TTextMarks::State state;
        if (m_marks->stateAt(firstVisibleBlock().blockNumber(), lineFetch(doc), &state, StateSlice))
            viewport()->update();
        else
            readStatesLater();
    });
}

void TColorMemo::drawMarks(QPainter &painter, const QRect &area)
{
    prepareAids();
    m_shownMarks.clear();
    const QTextDocument *doc = document();
    QTextBlock block = firstVisibleBlock();
    if (!block.isValid())
        return;
    const TTextMarks::Fetch fetch = lineFetch(doc);
    TTextMarks::State state;
    // The lines above the view are read between events when many of them
    // are new: a jump to the end of a big page shows its marks a moment
    // later rather than holding the keys.
    if (!m_marks->stateAt(block.blockNumber(), fetch, &state, StateSlice)) {
        readStatesLater();
        return;
    }
    const QFont font = doc->defaultFont();
    const QTextOption option = doc->defaultTextOption();
    const QFontMetricsF metrics(font);
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QPen dotted(QColor(0, 110, 230), 2, Qt::DotLine);
    dotted.setCapStyle(Qt::FlatCap);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPointF origin = contentOffset();
    for (; block.isValid() && origin.y() <= area.bottom(); block = block.next()) {
        const QRectF r = blockBoundingRect(block);
        const qreal top = origin.y();
        origin.ry() += r.height();
        const int number = block.blockNumber();
        // The lines above the repainted stretch (a key repaints the caret's
        // line) only carry the state on.
        const bool shown = block.isVisible() && top + r.height() >= area.top();
        const TTextMarks::LineMarks marks = shown ? m_marks->marksOf(block.text(), state) : TTextMarks::LineMarks();
        if (block.next().isValid())
            m_marks->stateAt(number + 1, fetch, &state);
        if (!shown)
            continue;
        QList<TextMark> line;
        for (const Spelling::Word &w : marks.misspelt)
            line << TextMark{number, w.start, w.length, true};
        for (const FrenchTypography::Fault &f : marks.faults) {
            if (f.hint())
                continue;
            // The sign and the space before or after it that is at fault.
            const int a = std::min(f.start, f.mark);
            const int b = std::max(f.start + f.length, f.mark + 1);
            line << TextMark{number, a, b - a, false};
        }
        if (line.isEmpty())
            continue;
        m_shownMarks << line;
        const QPointF blockOrigin(origin.x(), top);
        const TLineWindow::Fetch fetchChars = blockFetch(block);
        const QTextLayout *layout = block.layout();
        for (int l = 0; l < layout->lineCount(); ++l) {
            const QTextLine tl = layout->lineAt(l);
            m_window.shape(tl, font, option, area.left() - blockOrigin.x(), area.right() + 1 - blockOrigin.x(),
                           fetchChars, number, block.revision());
            const qreal y = top + tl.y() + tl.ascent() + std::min<qreal>(metrics.descent(), 3) - 0.5;
            for (const TextMark &m : line) {
                const int a = std::max({m.start, tl.textStart(), m_window.from()});
                const int b = std::min({m.start + m.length, tl.textStart() + tl.textLength(), m_window.to()});
                if (b <= a)
                    continue;
                const qreal x1 = blockOrigin.x() + m_window.x(a);
                const qreal x2 = blockOrigin.x() + m_window.x(b);
                if (m.spelling) {
                    drawWave(painter, ratio, std::min(x1, x2), std::max(x1, x2), y + 1);
                } else {
                    // A sign alone is narrow: its dots reach a little on
                    // each side so that the mark can be seen.
                    const qreal middle = (x1 + x2) / 2;
                    const qreal half = std::max<qreal>(std::abs(x2 - x1) / 2, 4);
                    painter.setPen(dotted);
                    painter.drawLine(QPointF(middle - half, y + 1), QPointF(middle + half, y + 1));
                }
            }
        }
    }
    painter.restore();
}

void TColorMemo::replaceInLine(int line, int start, int length, const QString &text, const QString &stepName)
{
    const QTextBlock block = document()->findBlockByNumber(line);
    if (!block.isValid() || start < 0 || start + length > block.length() - 1)
        return;
    const int offset = positionToOffset(block.position() + start);
    m_page->beginCommand(stepName);
    m_page->Select(offset, length);
    m_page->SetSelText(text);
    m_page->endStep();
}

void TColorMemo::addAidEntries(QMenu *menu, const QPoint &pos)
{
    prepareAids();
    const QTextCursor at = cursorForPosition(pos);
    const QTextBlock block = at.block();
    if (!block.isValid())
        return;
    const int line = block.blockNumber();
    const int column = at.positionInBlock();
    const QTextDocument *doc = document();
    TTextMarks::State state;
    m_marks->stateAt(line, [doc](int l) { return doc->findBlockByNumber(l).text(); }, &state);
    const TTextMarks::LineMarks marks = m_marks->marksOf(block.text(), state);
    // A click on the word, or just after its last letter.
    QList<QAction *> entries;
    for (const Spelling::Word &w : marks.misspelt) {
        if (column < w.start || column > w.start + w.length)
            continue;
        const QStringList suggestions = m_checker ? m_checker->suggestions(w.text, 8) : QStringList();
        for (const QString &s : suggestions) {
            auto *a = new QAction(s, menu);
            a->setObjectName(QStringLiteral("Suggestion"));
            QFont bold = a->font();
            bold.setBold(true);
            a->setFont(bold);
            connect(a, &QAction::triggered, this, [this, line, w, s] {
                replaceInLine(line, w.start, w.length, s, QStringLiteral("Correction orthographique"));
            });
            entries << a;
        }
        if (suggestions.isEmpty()) {
            auto *none = new QAction(QStringLiteral("(aucune suggestion)"), menu);
            none->setEnabled(false);
            entries << none;
        }
        auto *ignore = new QAction(QStringLiteral("&Ignorer"), menu);
        ignore->setObjectName(QStringLiteral("Ignorer"));
        connect(ignore, &QAction::triggered, this, [this, word = w.text] {
            SpellWords::ignore(word);
            viewport()->update();
        });
        auto *add = new QAction(QStringLiteral("&Ajouter au dictionnaire"), menu);
        add->setObjectName(QStringLiteral("AjouterDictionnaire"));
        connect(add, &QAction::triggered, this, [this, word = w.text] {
            QString error;
            if (!SpellWords::addPersonal(word, &error) && !error.isEmpty())
                Platform::error(this, error);
            viewport()->update();
        });
        entries << ignore << add;
        break;
    }
    if (entries.isEmpty()) {
        for (const FrenchTypography::Fault &f : marks.faults) {
            const int a = std::min(f.start, f.mark);
            const int b = std::max(f.start + f.length, f.mark + 1);
            if (f.hint() || column < a || column > b)
                continue;
            auto *fix = new QAction(QStringLiteral("Corriger : ") + FrenchTypography::describeFix(f), menu);
            fix->setObjectName(QStringLiteral("CorrigerTypographie"));
            connect(fix, &QAction::triggered, this, [this, line, f] {
                FrenchTypography::Fault onPage = f;
                onPage.line = line;
                PageAids::fixTypography(*m_page, {onPage});
                m_page->endStep();
            });
            entries << fix;
            break;
        }
    }
    if (entries.isEmpty())
        return;
    QAction *first = menu->actions().value(0);
    menu->insertActions(first, entries);
    menu->insertSeparator(first);
}
