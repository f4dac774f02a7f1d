#pragma once
// What a document window needs from the frame that holds it. The frame
// implements this; the document window never includes the frame's header.
#include <QString>

class QPrinter;
class TEditeur;

class TFrameServices
{
public:
    virtual ~TFrameServices() = default;
    // "&Rétablir" follows the active window's history.
    virtual void setRedoEnabled(bool enabled) = 0;
    // What the history of a window offers to undo and redo (empty:
    // nothing); the frame shows it when that window is the active one.
    virtual void showHistory(const TEditeur *window, const QString &undoName, const QString &redoName)
    {
        (void)window;
        (void)undoName;
        setRedoEnabled(!redoName.isEmpty());
    }
    // "C&oller" and its button, enabled by the first copy and never again disabled.
    virtual void enablePaste() = 0;
    // The frame's StatusLine.
    virtual void setStatusText(const QString &text) = 0;
    // The printer chosen in the frame's printer set-up; printing uses it.
    virtual QPrinter *printer() = 0;
};
