#pragma once
// A stretch of one laid-out line, shaped on its own: the columns a paint
// shows and a few on each side. Asking the whole line's layout for the place
// and the glyphs of a coloured run walks the line from its start, so on a
// page that stands on one line (a minified page) every paint cost the
// line's length once per run. The stretch stands where the line put its
// first character, with the line's tab stops and baseline, so that its
// glyphs fall on the line's own.
#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <QTextLayout>
#include <QTextOption>

#include <functional>
#include <vector>

class TLineWindow
{
public:
    // Appends the characters [from, to) of the line's block to out.
    using Fetch = std::function<void(int from, int to, QString &out)>;

    // Characters shaped on each side of the shown columns, so that the
    // glyphs at the edges of the view come out as in the whole line.
    static constexpr int Margin = 8;
    // Lines up to this length answer for themselves.
    static constexpr int ShortLine = 1000;

    // Takes the columns of `line` shown between left and right (x in the
    // layout's coordinates). `font` and `option` are those the line was laid
    // out with. A stretch holding right-to-left text cannot be cut from its
    // line: the line itself then answers, at the cost of a walk over it.
    // `block` and `revision` name the line's text as it stands: a later
    // paint of the same text finds its first column again without a walk.
    void shape(const QTextLine &line, const QFont &font, const QTextOption &option, qreal left, qreal right,
               const Fetch &fetch, int block = -1, int revision = -1);

    // Columns of the line's block covered: [from, to).
    int from() const { return m_from; }
    int to() const { return m_to; }
    // The layout x of a column in [from, to].
    qreal x(int column) const;
    // The text of `block` changed from `column` on: what was known of the
    // places before the change is kept. `linesMoved` when the change took
    // lines away or brought new ones, or reached past the block, so that the
    // numbers of the blocks after it no longer name the same lines.
    void edited(int block, int column, bool linesMoved);
    // Places known are forgotten (text shown that its block does not hold,
    // such as an input method's).
    void forgetPlaces();
    // Glyphs of the columns [a, b) (within [from, to)), to be drawn at the
    // block's origin plus offset().
    QList<QGlyphRun> glyphRuns(int a, int b) const;
    QPointF offset() const { return m_offset; }
    // The stretch's characters [a, b) (within [from, to)).
    QString text(int a, int b) const;
    // Draws the stretch as the line would, selections given in the block's
    // columns; and the caret when it stands in the stretch.
    void draw(QPainter *painter, const QPointF &origin, const QList<QTextLayout::FormatRange> &selections,
              const QRectF &clip) const;
    void drawCursor(QPainter *painter, const QPointF &origin, int column, int width) const;
    // Characters this stretch made the layout shape (the whole line's
    // length when the line had to answer itself).
    int shapedCharacters() const { return m_shaped; }
    bool wholeLine() const { return m_whole; }

private:
    void useLine(const QTextLine &line);
    void layOut(const QFont &font, const QTextOption &option);

    // Where earlier stretches of unchanged lines started: the caret's blink
    // repaints a line twice a second, and finding a column from x walks the
    // line from its start.
    struct Anchor
    {
        int block;
        int revision;
        int lineStart;
        qreal lineX;
        qreal width;   // the line's, which a new font or tab width changes
        int from;
        qreal x;
    };
    const Anchor *anchorFor(int block, int revision, const QTextLine &line, qreal left) const;
    std::vector<Anchor> m_anchors;

    QTextLine m_line;      // the line cut from
    QTextLayout m_layout;  // the stretch, when cut
    QTextLine m_piece;
    QString m_text;
    QPointF m_offset;
    int m_from = 0;
    int m_to = 0;
    int m_shaped = 0;
    bool m_whole = true;
    // The last places asked: one run ends where the next starts, and
    // each answer walks the line.
    struct Place
    {
        int column = -1;
        qreal x = 0;
    };
    mutable Place m_places[2];
    mutable int m_nextPlace = 0;

    // The places asked of short lines, kept from paint to paint: a key
    // repaints the line typed in (and the edge of its neighbour), a line
    // whose words are marked asks the places of both ends of each mark, and
    // a key changes none of the places before the caret.
    struct KnownLine
    {
        int block = -1;
        int lineStart = -1;
        qreal lineX = 0;
        QFont font;
        qreal tabDistance = 0;
        QList<QTextOption::Tab> tabs;
        std::vector<Place> places; // by column
    };
    static constexpr int KnownLines = 8;
    mutable std::vector<KnownLine> m_known;
    int m_knownLine = -1; // the shaped line's, or none
    void knowLine(const QTextLine &line, const QFont &font, const QTextOption &option, int block);
};
