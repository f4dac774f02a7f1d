// The document window's side of the watch on its file (reload, question,
// removed-file mark) and the page brought back from a recovery copy.
#include "Childwin.h"

#include "colormemo/ColMemo.h"
#include "document/DiskWatch.h"
#include "document/Recovery.h"
#include "platform/Errors.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "renderer/HtmlView.h"

#include <QApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>

namespace {
QString removedSuffix() { return QStringLiteral(" (supprimé)"); }
} // namespace

void TEditeur::setupDiskWatch()
{
    m_diskWatch = new DiskWatch(this);
    // Nothing changes the page under a dialog: a command running one, or a
    // question already asked, whichever window it belongs to.
    m_diskWatch->setGate([] { return QApplication::activeModalWidget() == nullptr; });
    connect(m_diskWatch, &DiskWatch::changed, this, &TEditeur::fileChangedOnDisk);
    connect(m_diskWatch, &DiskWatch::removed, this, &TEditeur::fileRemovedFromDisk);
}

void TEditeur::watchFile(const QString &path, const QByteArray &bytes, const FileTimes &times)
{
    m_diskWatch->watchBytes(path, bytes, times);
    if (!path.isEmpty())
        setRemovedMark(false);
}

void TEditeur::setRemovedMark(bool removed)
{
    if (removed == m_fileRemoved)
        return;
    m_fileRemoved = removed;
    QString title = windowTitle();
    if (removed)
        title += removedSuffix();
    else if (title.endsWith(removedSuffix()))
        title.chop(removedSuffix().size());
    setWindowTitle(title);
    Q_EMIT captionChanged(title);
}

void TEditeur::ReloadFromDisk()
{
    const FileTimes times = FileTimes::of(m_page->path());
    QByteArray bytes;
    // In one piece, as a file is opened.
    const PageFile::Text page = PageFile::readText(m_page->path(), &bytes);
    const int caret = m_page->SelStart();
    const int line = m_page->lineAt(Memo1->textCursor().position());
    const int column = caret - m_page->lineOffset(line);
    const int scroll = Memo1->verticalScrollBar()->value();

    // A change like any other: "Annuler" brings back the text as it was.
    m_page->beginCommand(QStringLiteral("Rechargement du fichier"));
    m_page->setEncoding(page.encoding);
    m_page->setBreaks(page.breaks);
    m_page->replaceAllText(page.text);
    // The caret on its line and column, as far as the new text has them.
    const int toLine = std::min(line, m_page->lineOf(m_page->document()->lastBlock()));
    const int start = m_page->lineOffset(toLine);
    m_page->SetSelStart(start + std::clamp(column, 0, std::max(0, m_page->lineEndOffset(toLine) - start)));
    Memo1->verticalScrollBar()->setValue(scroll);
    Memo1->SetModified(false);
    watchFile(m_page->path(), bytes, times);
}

void TEditeur::fileChangedOnDisk()
{
    // Whatever the page does with the new content, the file is there again.
    setRemovedMark(false);
    if (Memo1->Modified()) {
        const QString question =
            QStringLiteral("Le fichier « %1 » a été modifié par un autre programme. "
                           "Le recharger et perdre vos modifications ?")
                .arg(m_page->path());
        if (Platform::confirm(this, question, Platform::Buttons::YesNo) != Platform::Answer::Yes) {
            // The page stays as it is and differs from the file: it must
            // still be saved. What the file holds now is not asked about
            // again, changes made while the question was open included.
            m_diskWatch->remember();
            Memo1->SetModified(true);
            return;
        }
    }
    try {
        ReloadFromDisk();
    } catch (const Platform::PemoError &e) {
        Memo1->SetModified(true);
        Platform::error(this, e.message());
    }
}

void TEditeur::fileRemovedFromDisk()
{
    // The text now exists only here: closing asks to save it, and saving
    // writes the file again.
    Memo1->SetModified(true);
    setRemovedMark(true);
}

void TEditeur::RestoreCopy(const Recovery::Copy &copy)
{
    m_page->setPath(copy.original);
    m_page->setEncoding(copy.encoding);
    m_page->setBreaks(copy.breaks);
    if (copy.text.isNull())
        m_page->load(copy.lines);
    else
        m_page->loadText(copy.text);
    Memo1->SetSelStart(std::clamp(copy.caret, 0, Memo1->TextLength()));
    if (!m_page->path().isEmpty()) {
        HtmlView1->setFolder(m_page->folder());
        // The file as it stands now is the known state: a later change by
        // another program is asked about, since the page is modified.
        const DiskWatch::Stamp stamp = DiskWatch::stampOf(m_page->path());
        m_diskWatch->watch(m_page->path(), stamp);
        setRemovedMark(!stamp.exists);
    }
    showPreview(false);
    Memo1->SetModified(true);
}
