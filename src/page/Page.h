#pragma once
// TPage: one open page, without any window. It owns the text (a
// QTextDocument), the selection, the file the page is bound to, the undo
// history and the change notifications; the source pane and the preview are
// views of it.
//
// It speaks the program's offsets, in which a line break counts two
// characters (CR LF), and converts them to the document's positions; every
// read of the text comes from the blocks' own characters (the document's
// plain-text export turns no-break spaces into blanks and is never used).
//
// A line longer than LongBlock characters (a minified page) is kept in the
// document as pieces of about PieceLength, each a block of its own: a block
// is laid out whole at every key, and a line of megabytes would take a
// second to. The block breaks between the pieces are joins, no characters of
// the page: offsets, lines, the text and the history never see them, and
// the views show the line wrapped where they stand.
//
// A big page is loaded with its short lines gathered, up to GroupLines of
// them, into blocks of their own (groups): the document takes a block a
// line at about the cost of a file's worth of characters, and a page of
// half a million lines would take seconds. Inside a group the line breaks
// are line separators (U+2028), one character each, as block breaks are;
// the page reads them as line breaks. A group is taken apart into one
// block a line before any edit touches it, and when a view shows it
// (unfold()), so that views and edits only ever see lines as blocks.
//
// Every change of the text goes through the page, so that the history can
// hold what each change took out. A change made to the document behind the
// page's back cannot be undone: the history is then emptied rather than
// left to give back a wrong text.
#include "page/PageFile.h"
#include "page/UndoHistory.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTextCursor>
#include <functional>
#include <vector>

class QTextBlock;
class QTextDocument;

class TPage : public QObject
{
    Q_OBJECT
public:
    explicit TPage(QObject *parent = nullptr);
    ~TPage() override;

    QTextDocument *document() const { return m_doc; }
    // The page is editing its document (views then leave their cursor be).
    bool editing() const { return m_editing > 0; }
    // Runs what a view does to the document that is no change of the text
    // (an input method's text being composed), without taking it for one.
    void besideTheText(const std::function<void()> &viewWork);

    // --- the text, in offsets with CR LF line breaks
    int TextLength() const;
    QString Text() const;
    // The text of offsets [from, to), CR LF line breaks, appended to out.
    void textRange(int from, int to, QString &out) const;
    // The text as lines; a final line break does not add an empty last line.
    QStringList Lines() const;
    // The text as one string of lines, each followed by LF (the last one
    // perhaps not): the form files are written from, in one copy.
    QString linesText() const;
    // What linesText() gives, in two halves: the copy, cheap enough for the
    // user-interface thread, and the conversion of that copy, which needs
    // no page and may run on any thread.
    QString snapshot() const;
    static QString linesTextOf(QString snapshot);
    // The form snapshot() is in, for writing it out without converting it.
    static PageFile::TextForm storedForm();
    // Grows with every change of the text, whoever made it; equal counts
    // mean the same text.
    quint64 changeCount() const { return m_changes; }
    // Milliseconds since the text last changed, on the page's clock.
    qint64 sinceLastChange() const { return now() - m_lastChange; }
    int LineCount() const;
    QString Line(int index) const;

    int offsetToPosition(int offset) const;
    int positionToOffset(int position) const;
    static QString fromCrLf(const QString &text);

    // --- the pieces of long lines
    static constexpr int LongBlock = 16384;
    static constexpr int PieceLength = 4096;
    // The block goes on the line of the block before it.
    bool joinsPrevious(const QTextBlock &block) const;
    // The separator at a document position is a join.
    bool isJoin(int position) const;
    int joinCount() const { return int(m_joins.size()); }
    // The page line a block starts in, and the block a line starts in (its
    // first piece, or the group that holds it).
    int lineOf(const QTextBlock &block) const;
    QTextBlock lineBlock(int line) const;
    // The document position a line starts at, -1 past the last line.
    int linePosition(int line) const;
    // The page line a document position stands on.
    int lineAt(int position) const;

    // --- groups of lines (see above)
    static constexpr int GroupLines = 32;
    static constexpr int GroupChars = 4096;
    // Loads of a text longer than this gather its lines; tests set their own.
    static qsizetype groupFrom();
    static void setGroupFrom(qsizetype length);
    bool hasGroups() const { return !m_groups.empty(); }
    int groupCount() const { return int(m_groups.size()); }
    // The document's lines, a last empty one included.
    int documentLines() const;
    // The block holds lines of a group.
    bool holdsLines(const QTextBlock &block) const;
    // Takes apart the groups with characters in document positions
    // [from, to]: no change of the text, nor of the history.
    void unfold(int from, int to);
    // The number of lines each group holds, told to the document again
    // (the views' layout reckons every block one line when it lays the
    // whole document out anew).
    void restoreLineCounts();
    // The offset a line starts at (TextLength() past the last line), and
    // the one its text ends at, before its break.
    int lineOffset(int line) const;
    int lineEndOffset(int line) const;

    // --- the selection (views follow it, and report theirs)
    const QTextCursor &cursor() const { return m_cursor; }
    // A view's own selection after the user moved it: it ends a typed run.
    void takeViewCursor(const QTextCursor &cursor);
    int SelStart() const;
    int SelLength() const;
    QString SelText() const;
    void SetSelStart(int offset);
    void Select(int start, int length);
    // Qt positions, for the views.
    void setSelection(int anchor, int position);

    // --- changes made by commands (each joins the command's step)
    // Replaces the selection; the caret ends after the new text.
    void SetSelText(const QString &text);
    // The whole text becomes lines (each followed by a line break).
    void SetLines(const QStringList &lines);
    // Lines [first, first + count) become `lines`, leaving alone what stays
    // the same; first may be LineCount().
    void replaceLines(int first, int count, const QStringList &lines);
    // The text becomes `text` (CR LF, LF or CR breaks); the caret goes to
    // the start. Only the stretch that differs is edited.
    void replaceAllText(const QString &text);

    // --- changes made at the keyboard (grouped into runs)
    // Typed text in place of the selection. A typed run ends at a pause, a
    // line break, a caret move, a command, and where a new word begins.
    void type(const QString &text);
    // A deletion of document positions [from, to), or of the selection when
    // there is one.
    void erase(int from, int to);
    // Pasted or dropped text in place of the selection: a step of its own.
    void insertOwnStep(const QString &text, const QString &name);
    // Moves the selected text to position (a drag inside the pane).
    void moveSelection(int position);

    // --- a text that is no change of the page (opening a file, a new page):
    // the history starts again and the page is unmodified.
    void load(const QStringList &lines);
    // The same for a text of LF-separated lines (see linesText()). A big
    // text comes in two steps when `headShown` is given: its first lines,
    // then headShown() (where a view can show them), then the rest.
    void loadText(const QString &text, const std::function<void()> &headShown = {});
    // A text longer than this comes in two steps; the first ends with the
    // line that holds character HeadLength.
    static constexpr qsizetype TwoStepsFrom = 1 << 20;
    static constexpr qsizetype HeadLength = 32 * 1024;

    // --- file binding
    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }
    // The page's folder, with a separator at its end: the file's, or for a
    // page without a file the folder it was made in.
    QString folder() const;
    void setFolderWithoutFile(const QString &folder) { m_newFolder = folder; }
    PageFile::Encoding encoding() const { return m_encoding; }
    void setEncoding(PageFile::Encoding e) { m_encoding = e; }
    PageFile::Breaks breaks() const { return m_breaks; }
    void setBreaks(const PageFile::Breaks &b) { m_breaks = b; }

    bool Modified() const { return m_forcedModified || !m_history.atSaved(); }
    // false: the page is saved as it stands (the history remembers where);
    // true: modified whatever the history says, until the next save.
    void SetModified(bool modified);

    // --- the history
    // Opens the step of a command: every change until the next step belongs
    // to it. The caret given back by "Annuler" is the end of the selection.
    // The step stays even when the command changes nothing (a cancelled
    // dialog): "Annuler" then only gives that caret back.
    void beginCommand(const QString &name = QString());
    // The name steps get while a command of the frame runs.
    void setCommandName(const QString &name) { m_commandName = name; }
    // Ends the step in progress: what comes next is a new step.
    void endStep();
    bool undo();
    bool redo();
    bool canUndo() const;
    bool canRedo() const { return m_history.canRedo(); }
    QString undoName() const;
    QString redoName() const;
    TUndoHistory &history() { return m_history; }
    const TUndoHistory &history() const { return m_history; }
    // The clock of the typing pause, in milliseconds (tests set their own).
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

Q_SIGNALS:
    // The page moved its selection; views set theirs to cursor().
    void selectionSet();
    // What "Annuler" and "Rétablir" offer, or the modified mark, changed.
    void historyChanged();
    // A whole new text of about `lines` lines is coming (a file opened):
    // views size what depends on the number of lines before it is there.
    void loading(int lines);

private:
    using Kind = TUndoHistory::Kind;
    // Positions in the text alone, without the joins: the history's, which
    // stay true whatever pieces the lines are cut into later.
    struct Span
    {
        int position;
        int removed;
        QString text;
    };
    int joinsBefore(int position) const;
    int textPosition(int position) const { return position - joinsBefore(position); }
    // The document position of a text position, before any joins there.
    int documentPosition(int textPosition) const;
    int textEnd() const { return m_doc->characterCount() - 1 - joinCount(); }
    struct Group
    {
        int position;      // of the block
        int length;        // its characters, without its break
        int breaks;        // line separators in it
        int breaksBefore;  // in the groups before it
    };
    // The groups' line separators at document positions before position.
    int groupBreaksBefore(int position) const;
    // The group whose block starts at position, or none.
    const Group *groupAt(int position) const;
    void unfoldGroups(QTextCursor &c, int from, int to);
    // Gathers the short lines of text put in at document position `at`
    // into groups, recorded in `groups` relative to `at`.
    void gatherLines(QString &text, int at, std::vector<Group> *groups) const;
    void addGroups(std::vector<Group> &&groups);
    void tellLineCounts(const std::vector<Group> &groups);
    // Each group's separators before it, and all of them, counted again.
    void countGroupBreaks();
    // The groups' separators in document positions [from, from + text's
    // size), which text holds, become the stored line break.
    void groupBreaksToStored(QString &text, int from) const;
    // The columns of the line separators in a group's block.
    static void groupLineEnds(QStringView text, std::vector<int> &ends);
    // The document's edit, with the joins kept in step: those in the
    // stretch go, the text is cut into pieces where its lines are long.
    void editText(QTextCursor &c, int position, int removed, const QString &text);
    // Long blocks around [from, to) are cut, empty pieces joined again.
    void fitPieces(QTextCursor &c, int from, int to);
    void fitBlocks(QTextCursor &c, QTextBlock block, int end);
    void documentChange(int position, int removed, int added);
    // The joins of document positions [from, to) go, those after move by
    // `moved`; answers the place of the first of those.
    // The groups after the stretch move too, unless groupsToo is false.
    std::vector<int>::iterator moveJoins(int from, int to, int moved, bool groupsToo = true);
    // An edit of the document behind the page's back, as the groups see it.
    void groupsChangedBehind(int position, int removed, int added);
    // Replaces text positions [from, to) by text (LF breaks), keeping
    // what both have in common, in one edit recorded in `step` (none:
    // the command step). Answers whether the text changed.
    bool replaceSpan(int from, int to, const QString &text);
    void apply(const std::vector<Span> &spans, TUndoHistory::Step *step);
    TUndoHistory::Step &commandStep();
    // The selection in text positions, as the history holds it.
    TSelection selection() const;
    void setCursorToText(const TSelection &s);
    // In document positions.
    void setCursorTo(const TSelection &s);
    void contentsChanged();
    qint64 now() const;
    // The stored characters of text positions [from, to).
    QString storedRange(int from, int to) const;

    QTextDocument *m_doc;
    // Document positions of the joins, in order.
    std::vector<int> m_joins;
    std::vector<Group> m_groups; // in order
    int m_groupBreaks = 0;
    bool m_gathering = false;    // a load's text gets its lines gathered
    bool m_quiet = false;        // the document changes, not the text
    QTextCursor m_cursor;
    TUndoHistory m_history;
    std::function<qint64()> m_clock;
    QString m_commandName;
    int m_editing = 0; // > 0 while the page itself edits the document
    bool m_record = true;
    int m_revision = 0; // the document's revision after the page's last edit
    bool m_forcedModified = false;
    quint64 m_changes = 0;
    qint64 m_lastChange = 0;

    QString m_path;
    QString m_newFolder;
    PageFile::Encoding m_encoding = PageFile::Encoding::Windows1252;
    PageFile::Breaks m_breaks;
};
