#include "TagCompleter.h"

#include "aids/AidSettings.h"
#include "aids/TagCompletion.h"
#include "colormemo/ColMemo.h"
#include "page/Page.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QScrollBar>

namespace {
constexpr int VisibleRows = 10;
constexpr int MaxWidth = 360;
} // namespace

TTagCompleter::TTagCompleter(TColorMemo *pane)
    : QObject(pane), m_pane(pane), m_list(new QListWidget(pane->viewport())), m_on(&AidSettings::tagCompletionOn)
{
    m_list->setObjectName(QStringLiteral("ListeCompletion"));
    m_list->setAccessibleName(QStringLiteral("Complétion"));
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setUniformItemSizes(true);
    m_list->setFont(pane->font());
    m_list->hide();
    connect(m_list, &QListWidget::itemClicked, this, [this] { take(); });
    connect(pane, &TColorMemo::characterTyped, this, &TTagCompleter::typed);
    for (QScrollBar *bar : {pane->verticalScrollBar(), pane->horizontalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            if (listShown())
                place();
        });
    pane->installEventFilter(this);
    pane->viewport()->installEventFilter(this);
}

bool TTagCompleter::listShown() const
{
    return m_list && m_list->isVisible();
}

QStringList TTagCompleter::choices() const
{
    QStringList out;
    for (int i = 0; i < m_list->count(); ++i)
        out << m_list->item(i)->text();
    return out;
}

void TTagCompleter::closeList()
{
    if (m_list)
        m_list->hide();
}

bool TTagCompleter::eventFilter(QObject *, QEvent *event)
{
    if (!listShown())
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool plain = !(key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier));
        bool ours = plain;
        switch (key->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            break;
        default:
            ours = false;
        }
        if (event->type() == QEvent::ShortcutOverride) {
            // The list's keys reach the pane rather than a shortcut.
            if (ours)
                event->accept();
            return ours;
        }
        if (!ours) {
            // Typing goes on filtering the list (after the pane took the
            // key); any other key takes the caret elsewhere.
            const QString text = key->text();
            const bool typing = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
                && ((!text.isEmpty() && text.at(0).isPrint()) || key->key() == Qt::Key_Backspace);
            const bool modifierAlone = key->key() == Qt::Key_Shift || key->key() == Qt::Key_AltGr
                || key->key() == Qt::Key_Control || key->key() == Qt::Key_Alt || key->key() == Qt::Key_Meta;
            if (!typing && !modifierAlone)
                closeList();
            return false;
        }
        const int rows = m_list->count();
        const int row = m_list->currentRow();
        switch (key->key()) {
        case Qt::Key_Escape:
            closeList();
            break;
        case Qt::Key_Up:
            m_list->setCurrentRow(std::max(0, row - 1));
            break;
        case Qt::Key_Down:
            m_list->setCurrentRow(std::min(rows - 1, row + 1));
            break;
        case Qt::Key_PageUp:
            m_list->setCurrentRow(std::max(0, row - VisibleRows));
            break;
        case Qt::Key_PageDown:
            m_list->setCurrentRow(std::min(rows - 1, row + VisibleRows));
            break;
        default:
            take();
        }
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::FocusOut:
    case QEvent::Resize:
        closeList();
        break;
    default:
        break;
    }
    return false;
}

void TTagCompleter::typed(QChar character)
{
    if (m_pane->isReadOnly() || m_pane->textCursor().hasSelection() || !m_on()) {
        closeList();
        return;
    }
    const int position = m_pane->textCursor().position();
    const QTextDocument &document = *m_pane->document();
    if (character == u'/' && position >= 2 && document.characterAt(position - 2) == u'<') {
        closeList();
        const QString name = TagCompletion::closingNameAt(document, position - 2);
        if (!name.isEmpty())
            m_pane->page()->insertOwnStep(name + u'>', QStringLiteral("Fermeture de balise"));
        return;
    }
    const bool starts = character == u'<' || character == u' ' || character == u'"' || character == u'\''
        || character == u'/';
    if (listShown() || starts)
        refresh();
}

void TTagCompleter::refresh()
{
    const TagCompletion::Context context =
        TagCompletion::contextAt(*m_pane->document(), m_pane->textCursor().position(), m_pane->page()->folder());
    if (context.kind == TagCompletion::Kind::None || context.choices.isEmpty()) {
        closeList();
        return;
    }
    const QString current = m_list->currentItem() ? m_list->currentItem()->text() : QString();
    if (context.choices != choices()) {
        m_list->clear();
        m_list->addItems(context.choices);
    }
    m_kind = int(context.kind);
    m_prefix = context.prefix;
    // The choice stays the one the user moved to while it is still offered.
    const int keep = int(context.choices.indexOf(current));
    m_list->setCurrentRow(keep >= 0 && listShown() ? keep : 0);
    place();
    m_list->show();
    m_list->raise();
}

void TTagCompleter::place()
{
    const QFontMetrics metrics(m_list->font());
    int width = 0;
    for (int i = 0; i < std::min(m_list->count(), 200); ++i)
        width = std::max(width, metrics.horizontalAdvance(m_list->item(i)->text()));
    const int frame = 2 * m_list->frameWidth();
    const int rows = std::min(m_list->count(), VisibleRows);
    const int rowHeight = std::max(m_list->sizeHintForRow(0), metrics.height());
    const bool scrolls = m_list->count() > VisibleRows;
    width = std::min(MaxWidth, width + frame + 12
                                   + (scrolls ? m_list->verticalScrollBar()->sizeHint().width() : 0));
    const int height = rows * rowHeight + frame;
    const QRect caret = m_pane->cursorRect();
    const QWidget *area = m_pane->viewport();
    int x = std::clamp(caret.left(), 0, std::max(0, area->width() - width));
    int y = caret.bottom() + 2;
    if (y + height > area->height() && caret.top() - height - 2 >= 0)
        y = caret.top() - height - 2;
    m_list->setGeometry(x, y, width, height);
}

void TTagCompleter::take()
{
    QListWidgetItem *item = m_list->currentItem();
    if (!item) {
        closeList();
        return;
    }
    TagCompletion::Context context;
    context.kind = TagCompletion::Kind(m_kind);
    context.prefix = m_prefix;
    const TagCompletion::Insertion in = TagCompletion::insertion(context, item->text());
    closeList();
    TPage &page = *m_pane->page();
    const int position = m_pane->textCursor().position();
    page.setSelection(position - int(m_prefix.size()), position);
    page.insertOwnStep(in.text, QStringLiteral("Complétion"));
    if (in.caretBack > 0) {
        const int at = page.cursor().position() - in.caretBack;
        page.setSelection(at, at);
    }
    if (in.reopen)
        refresh();
}
