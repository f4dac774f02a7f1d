// Bringing another file into the page at the caret: a text or HTML file as
// it is, or a rich text (RTF) file converted to HTML.
#include "document/Childwin.h"

#include "colormemo/ColMemo.h"
#include "document/FrameServices.h"
#include "document/ImportText.h"
#include "platform/FileDialogs.h"

#include <QCoreApplication>

namespace {

// The hourglass and the status line come back however the conversion ends,
// a file that cannot be read included.
class BusyConversion
{
public:
    BusyConversion(QWidget *window, TFrameServices *frame)
        : m_window(window), m_frame(frame)
    {
        m_window->setCursor(Qt::WaitCursor);
    }
    ~BusyConversion()
    {
        if (m_frame)
            m_frame->setStatusText(QString());
        m_window->unsetCursor();
    }
    void announce()
    {
        if (m_frame)
            m_frame->setStatusText(QStringLiteral("Conversion en cours..."));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

private:
    QWidget *m_window;
    TFrameServices *m_frame;
};

} // namespace

void TEditeur::Importer()
{
    Memorise();
    Platform::FileDialogRequest request;
    request.kind = Platform::FileDialogKind::Open;
    request.title = QStringLiteral("Insérer texte");
    request.filter = QStringLiteral(
        "Fichiers texte (*.txt)|*.txt|Fichiers html (*.htm)|*.htm|Tous les fichiers (*.*)|*.*");
    request.fileName = QStringLiteral("*.txt");
    const Platform::FileDialogResult chosen = Platform::runFileDialog(this, request);
    if (!chosen.accepted || chosen.path.isEmpty())
        return;
    const PageFile::Page file = PageFile::read(chosen.path);
    ReplaceSelection(ImportText::fromLines(file.lines, ImportText::isHtmlPath(chosen.path)));
}

void TEditeur::Importrtf()
{
    Memorise();
    Platform::FileDialogRequest request;
    request.kind = Platform::FileDialogKind::Open;
    request.title = QStringLiteral("Importer RTF");
    request.filter = QStringLiteral("Fichiers texte enrichi (*.rtf)|*.rtf");
    request.fileName = QStringLiteral("*.rtf");
    const Platform::FileDialogResult chosen = Platform::runFileDialog(this, request);
    if (!chosen.accepted || chosen.path.isEmpty())
        return;
    BusyConversion busy(this, m_frame);
    busy.announce();
    ReplaceSelection(ImportText::rtfFileToHtml(chosen.path, m_page->encoding()));
}
