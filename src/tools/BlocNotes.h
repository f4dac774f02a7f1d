#pragma once
// The notepad tool window: a plain text editor over the notes file.
#include <QDialog>

class QPlainTextEdit;

class TBlocNotes : public QDialog
{
    Q_OBJECT
public:
    explicit TBlocNotes(QWidget *owner);
    void setText(const QString &text);
    QString text() const;

    // The frame's "Bloc-notes" command: loads the notes file, shows the
    // notepad modally, then saves the text back. A text that cannot be
    // written is kept for the rest of the session and offered again at the
    // next opening, so it is never lost; the failure is reported in French.
    // Throws Platform::PemoError when the file exists but cannot be read.
    static void run(QWidget *owner, const QString &path);

private:
    QPlainTextEdit *m_memo;
};
