#pragma once
// TColorMemo: the source pane. It holds Unicode text in a QPlainTextEdit and
// speaks the program's offsets, in which a line break counts two characters
// (CR LF). Only this class converts between those offsets and Qt positions.
#include "colormemo/TextSearch.h"

#include <QPlainTextEdit>
#include <QStringList>

class TColorMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TColorMemo(QWidget *parent = nullptr);
    ~TColorMemo() override;

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
    void SetLines(const QStringList &lines);
    int LineCount() const;
    QString Line(int index) const;
    // The whole text with CR LF line breaks.
    QString Text() const;
    void SetText(const QString &text);
    int TextLength() const;             // in offsets

    // Distance of the text area from the pane's edges.
    void SetInset(int left, int top, int right, int bottom) { setViewportMargins(left, top, right, bottom); }

    bool Modified() const;
    void SetModified(bool modified);

    // Finds s from the selection (down: from its end; up: ending before its
    // start), selects the match and answers true. False when s or the text
    // is empty or nothing is found; the selection is then unchanged.
    bool SearchText(const QString &s, SearchOptions options);
    // The text of offsets [from, to), CR LF line breaks, appended to out.
    void textRange(int from, int to, QString &out) const;

    // Conversions between program offsets and Qt document positions.
    int offsetToPosition(int offset) const;
    int positionToOffset(int position) const;

    static QString toCrLf(const QString &qtText);
    static QString fromCrLf(const QString &text);

Q_SIGNALS:
    // A key that produced a character, after the pane handled it (Enter and
    // Backspace included).
    void characterTyped(QChar character);
    // Raised before the pane handles a printable key; a handler may set
    // *handled to take the key over (the entity conversion does).
    void keyPressFilter(QChar character, bool *handled);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *e) override;

private:
    void replaceAll(const QString &qtText);
    bool m_modified = false;
};
