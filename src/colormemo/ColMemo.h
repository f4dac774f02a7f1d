#pragma once
// TColorMemo: the source pane, a view of one page (TPage). The page holds
// the text, the selection and the history; the pane shows them, takes the
// keys and hands every change of the text to the page, so that each can be
// undone. Its accessors speak the program's offsets (a line break counts two
// characters) and forward to the page.
// Over the edit control's own drawing it paints the coloured runs that the
// scanner finds in the visible lines, and offers clickable hot spots.
#include "colormemo/ColorRules.h"
#include "colormemo/ColorScanner.h"
#include "colormemo/LineWindow.h"
#include "colormemo/TextSearch.h"

#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QStringList>

#include <memory>

class QMenu;
class TPage;
class TTagCompleter;
class TSpellChecker;
class TTextMarks;

class TColorMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    // A pane with a page of its own.
    explicit TColorMemo(QWidget *parent = nullptr);
    // A view of page, which outlives the pane.
    explicit TColorMemo(TPage *page, QWidget *parent = nullptr);
    ~TColorMemo() override;

    TPage *page() const { return m_page; }
    // The completion of tags as they are typed.
    TTagCompleter *tagCompleter() const { return m_completer; }

    // Offsets with CR LF line breaks.
    int SelStart() const;
    void SetSelStart(int offset);       // collapses the selection at offset
    int SelLength() const;
    void SetSelLength(int length);      // extends from SelStart
    QString SelText() const;            // selected text, line breaks as CR LF
    void SetSelText(const QString &text); // replaces the selection; caret after it
    void Select(int start, int length);

    // The text as lines; a final line break does not add an empty last line.
    QStringList Lines() const;
    // The whole text becomes lines (each followed by a line break), through
    // replaceAllText: the caret goes to the start.
    void SetLines(const QStringList &lines);
    // Lines [first, first + count) become `lines`, in one edit that leaves
    // alone whatever stays the same, so that the caret and the selection
    // move with the text around them. first may be LineCount() (adding at
    // the end); a text without a final line break keeps that shape.
    void replaceLines(int first, int count, const QStringList &lines);
    int LineCount() const;
    QString Line(int index) const;
    // The whole text with CR LF line breaks.
    QString Text() const;
    // The same as replaceAllText.
    void SetText(const QString &text);
    // Whole-text commands: the text becomes `text` (line breaks CR LF, LF or
    // CR) and the caret goes to the start. Only the stretch that differs is
    // edited, in one edit: on a big page a command that changes a few places
    // costs those places, not a rebuild of every line.
    void replaceAllText(const QString &text);
    int TextLength() const;             // in offsets

    // Distance of the text area from the pane's edges (the line-number
    // margin, when shown, comes on top of the left one).
    void SetInset(int left, int top, int right, int bottom);

    // --- line numbers, in a margin left of the text; shown by default
    bool LineNumbers() const { return m_lineNumbers; }
    void SetLineNumbers(bool on);
    // Width in pixels of the margin as it stands (0 when hidden), and the
    // width it takes for a text of lineCount lines in the pane's font.
    int lineNumberWidth() const;
    int lineNumberWidthFor(int lineCount) const;
    QWidget *lineNumberArea() const { return m_numberArea; }

    bool Modified() const;
    void SetModified(bool modified);

    // Finds s from the selection (down: from its end; up: ending before its
    // start), selects the match and answers true. False when s or the text
    // is empty or nothing is found; the selection is then unchanged.
    bool SearchText(const QString &s, SearchOptions options);
    // The text of offsets [from, to), CR LF line breaks, appended to out.
    void textRange(int from, int to, QString &out) const;

    // --- colouring
    TDrawRules &ColorRules() { return m_rules; }
    const TDrawRules &ColorRules() const { return m_rules; }
    void SetColorRules(const TDrawRules &rules); // copies
    const THotSpot &HotSpot() const { return m_hotSpot; }
    void SetHotSpot(const THotSpot &hotSpot);    // copies
    bool RedrawAlways() const { return m_redrawAlways; }
    void SetRedrawAlways(bool on);
    // Capacity, in records, of the buffer handed to OnDraw.
    int ColorLimMax() const { return m_colorLimMax; }
    void SetColorLimMax(int count);

    // The colour pass: scans the visible lines (or only the caret's line)
    // and repaints them. Runs are kept for the paints that follow.
    void DrawColors(bool currentLineOnly = false);
    // The scan of a pass alone, without asking for a repaint.
    void colourPass(bool currentLineOnly) { runPass(currentLineOnly); }
    // The runs of the last pass, up to the first free record.
    const TKeyDescrList &runs() const { return m_runs; }
    // Colours of the runs as painted.
    QColor toQColor(TColor color) const;
    // Number of passes run so far, and whether the last covered one line.
    int passCount() const { return m_passCount; }
    bool lastPassCurrentLineOnly() const { return m_lastPassLineOnly; }
    // Offsets of the text scanned by the last pass: [start, end).
    int lastScanStart() const { return m_lastScanStart; }
    int lastScanEnd() const { return m_lastScanEnd; }
    // Characters shaped to colour the runs of the last paint: the shown
    // part of each line with runs, not the lines' whole length.
    int lastPaintShaped() const { return m_paintShaped; }
    int firstVisibleBlockNumber() const { return firstVisibleBlock().blockNumber(); }
    // Where a line stands in the viewport.
    QRectF blockRect(const QTextBlock &block) const
    {
        return blockBoundingGeometry(block).translated(contentOffset());
    }

    // Conversions between program offsets and Qt document positions.
    int offsetToPosition(int offset) const;
    int positionToOffset(int position) const;

    static QString fromCrLf(const QString &text);

    // --- writing aids: misspelt words (wavy red) and French typography
    // faults (dotted) underlined in the lines shown, in the same pass as
    // the colours. Both off until asked for.
    void setWritingAids(bool spelling, bool typography);
    bool spellCheckOn() const { return m_spelling; }
    bool typographyMarksOn() const { return m_typographyMarks; }
    // The dictionary the page's language chose ("fr", "en_US"); empty when
    // none is installed.
    QString spellDictionary();
    struct TextMark
    {
        int line;
        int start;   // columns of the line (Qt positions)
        int length;
        bool spelling; // false: a typography fault
        bool operator==(const TextMark &) const = default;
    };
    // The marks of the lines the last paint showed.
    const QList<TextMark> &shownMarks() const { return m_shownMarks; }
    // The pane's menu for a place of the viewport: on a misspelt word its
    // suggestions, "Ignorer" and "Ajouter au dictionnaire", on a typography
    // fault its fix, then the edit control's own entries. The caller owns it.
    QMenu *contextMenuAt(const QPoint &pos);

Q_SIGNALS:
    // A key that produced a character, after the pane handled it (Enter and
    // Backspace included).
    void characterTyped(QChar character);
    // Raised before the pane handles a printable key; a handler may set
    // *handled to take the key over (the entity conversion does).
    void keyPressFilter(QChar character, bool *handled);

    void OnVScroll();
    void OnHScroll();
    // A hot spot was clicked; src is its text.
    void OnHotSpotClick(const QString &src);
    // Supplies the spans of dtEventDraw rules: fill at most capacity records
    // of a, offsets relative to fromPos, and set *itemsCount.
    void OnDraw(TColorRule *sender, const QChar *fromPos, TKeyDescr *a, int capacity, int *itemsCount);
    // Draws one keyword instead of the pane; the painter's pen holds the
    // keyword's colour, kColor is the pane's text colour.
    void OnDrawKey(QPainter *canvas, const QString &key, const QRect &rect, TColor kColor);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool event(QEvent *e) override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;
    void dropEvent(QDropEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    enum class Pending { None, CurrentLine, All };
    friend class TLineNumberArea;
    static constexpr int LineNumberPadding = 4; // each side of the numbers

    // Lines longer than this are drawn by the pane itself, over the columns
    // shown only.
    static constexpr int LongLine = 1000;
    // Above this many lines a change of width lays nothing out again.
    static constexpr int RelayoutLimit = 20000;

    void updateMargins();
    // Takes the lines around a top line out of their groups (see TPage).
    void unfoldAround(int topLine);
    // The groups among the blocks shown, taken apart and painted again.
    void unfoldShown();
    // The last block with a part in view.
    QTextBlock lastShownBlock() const;
    void restoreLineCounts();
    // The pane's font, as the text is laid out in.
    void useFontForText();
    void keepShapesOf(const QTextBlock &block);
    // The page moved its selection: the pane's follows.
    void followPage();
    // The user moved the pane's selection: the page's follows.
    void reportCursor();
    // Keys that change the text, done through the page; false for the others.
    bool editKey(QKeyEvent *event);
    void cutSelection();
    bool longLineIn(const QRect &area) const;
    void paintText(const QRect &area);
    void paintLineNumbers(QPaintEvent *event);
    // Repaints the number of one line, where it stands in the margin.
    void updateNumberOf(int line);

    void requestAll();
    void textChanged();
    void runPass(bool currentLineOnly, int line = -1); // line: block of a line pass
    int scanLines(const QTextBlock &first, int lineCount, TKeyDescrList &out, int *scanStart, int *scanEnd);
    void mergeLineRuns(int from, int to, int count);
    void shiftRuns(int offset);
    void clearRuns();
    // Paints the runs on the lines that `area` of the viewport shows, each
    // line shaped only over the columns the area takes.
    void drawRuns(QPainter &painter, const QRect &area);
    // One run on one line of the shaped stretch; false when none of it is there.
    bool drawRun(QPainter &painter, const TKeyDescr &run, const QTextLine &line, int lineStart,
                 const QPointF &blockTopLeft);
    bool hotSpotUnder(const QPoint &pos, QString *src) const;
    bool aidsOn() const { return m_spelling || m_typographyMarks; }
    // The dictionary and the line states as the page stands.
    void prepareAids();
    void drawMarks(QPainter &painter, const QRect &area);
    // Reads some of the lines above the view whose states are not known,
    // between events, and repaints once the view's are.
    void readStatesLater();
    void addAidEntries(QMenu *menu, const QPoint &pos);
    void replaceInLine(int line, int start, int length, const QString &text, const QString &stepName);
    bool colouring() const;
    TOpenSpans openSpansAt(int line);
    bool markerAfter(QStringView marker);
    void checkOpenSpanRules();

    TPage *m_page;
    TTagCompleter *m_completer = nullptr;
    bool m_followingPage = false;
    bool m_unfoldQueued = false;
    // Where the view stood when a paint last found no group in it: a paint
    // of a part of it (a key's line) from the same place needs no new look.
    struct ViewPlace
    {
        int top = -1;
        qreal offset = 0;
        int height = 0;
        bool operator==(const ViewPlace &) const = default;
    };
    ViewPlace m_noGroupsAt;

    QWidget *m_numberArea = nullptr;
    bool m_lineNumbers = true;
    int m_loadingLines = 0; // while a file's text comes in: its lines
    int m_numberedCaretLine = -1;   // the line whose number is drawn in bold
    QMargins m_inset;

    TDrawRules m_rules {this};
    THotSpot m_hotSpot;
    bool m_redrawAlways = false;
    int m_colorLimMax = 0;
    std::vector<TKeyDescr> m_drawBuffer;
    TDrawHandler m_drawHandler;

    // Reused from pass to pass; they only grow.
    QString m_text;
    TKeyDescrList m_runs {100};
    TKeyDescrList m_lineRuns {100};
    TColorScanner m_scanner;
    TLineWindow m_window;
    QTextCursor m_keptShapes; // at the start of the line whose layout keeps its shapes
    std::vector<int> m_lineRunIndex;
    int m_paintShaped = 0;

    Pending m_pending = Pending::All;
    int m_pendingLine = -1;       // block of a pending caret-line pass
    int m_changePos = 0;          // last change, in Qt positions
    int m_changeRemoved = 0;
    int m_changeAdded = 0;
    int m_recordedLines = 0;      // line count and text end at the last change
    int m_recordedEnd = 0;
    bool m_overHotSpot = false;
    int m_passCount = 0;
    bool m_lastPassLineOnly = false;
    int m_lastScanStart = 0;
    int m_lastScanEnd = 0;
    int m_passTop = -1;           // first visible line and offset at the last full pass
    qreal m_passOffset = 0; // the view's vertical offset then

    // Spans open at the start of each line, known for lines [0, m_openValid);
    // an edit forgets them from the line after the one it starts in.
    std::vector<TOpenSpans> m_openAt {0};
    int m_openValid = 1;
    int m_openValidBefore = 1;   // as it was before the last change
    struct OpenRuleMarker
    {
        int rule;
        QString begin;
        QString end;
    };
    std::vector<OpenRuleMarker> m_openRules; // the begin/end markers they were found with
    // Where the look for end markers below the scanned text starts, and
    // what the looks found, kept while the text below them is unchanged.
    int m_lookFrom = 0;
    struct MarkerAfter
    {
        QString marker;
        int line;             // where the look started
        int column;
        bool found;
    };
    std::vector<MarkerAfter> m_markersAfter;
    int m_lookLines = 0;     // line count when the looks were made
    TMarkerAfter m_markerAfter;

    bool m_spelling = false;
    bool m_typographyMarks = false;
    std::unique_ptr<TTextMarks> m_marks;
    TSpellChecker *m_checker = nullptr; // shared by the panes of a dictionary
    bool m_languageKnown = false;
    // Where the head's <html> tag ends (a document position), -1 without
    // one: a change after it keeps the language.
    int m_languageTagEnd = -1;
    bool m_checkerChosen = false;  // m_checker is the one for m_checkerLanguage
    QString m_checkerLanguage;
    int m_marksLines = 1;               // line count the marks last heard of
    bool m_statesPending = false;
    QList<TextMark> m_shownMarks;
};
