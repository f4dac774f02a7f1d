#pragma once
// What a document window needs from the frame that holds it. The frame
// implements this; the document window never includes the frame's header.
class QString;
class QPrinter;

class TFrameServices
{
public:
    virtual ~TFrameServices() = default;
    // "&Rétablir" follows the active window's redo copy.
    virtual void setRedoEnabled(bool enabled) = 0;
    // "C&oller" and its button, enabled by the first copy and never again disabled.
    virtual void enablePaste() = 0;
    // The frame's StatusLine.
    virtual void setStatusText(const QString &text) = 0;
    // The printer chosen in the frame's printer set-up; printing uses it.
    virtual QPrinter *printer() = 0;
};
