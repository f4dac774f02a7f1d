#include "Childwin.h"

#include "colormemo/ColMemo.h"
#include "document/DiskWatch.h"
#include "document/DocumentRules.h"
#include "document/FrameServices.h"
#include "document/Genxml.h"
#include "platform/Errors.h"
#include "platform/FileDialogs.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "renderer/HtmlView.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFileInfo>
#include <QSplitter>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

const QStringList &TEditeur::pageTemplate()
{
    static const QStringList lines = {
        QStringLiteral("<html>"),
        QStringLiteral("<head>"),
        QStringLiteral("<title></title>"),
        QStringLiteral("<meta name=\"Author\" content=\"\">"),
        QStringLiteral("<meta name=\"Description\" content=\"\">"),
        QStringLiteral("<meta name=\"Keywords\" content=\"\">"),
        QStringLiteral("</head>"),
        QStringLiteral("<body bgcolor=\"#F0F0F0\" link=\"#FF0000\" vlink=\"#00FF00\" "),
        QStringLiteral("background=\"\">"),
        QStringLiteral("<font color=\"#FFFFFF\"></font>"),
        QString(),
        QString(),
        QStringLiteral("</body>"),
        QStringLiteral("</html>"),
    };
    return lines;
}

TEditeur::TEditeur(TFrameServices *frame, QWidget *parent)
    : QWidget(parent), m_frame(frame)
{
    // No WA_DeleteOnClose: the sub-window that holds the editor owns it and
    // frees it with itself.
    setObjectName(QStringLiteral("Editeur"));
    resize(600, 429);

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);
    Memo1 = new TColorMemo(Splitter1);
    DocumentRules::declare(Memo1->ColorRules());
    HtmlView1 = new THtmlView(Splitter1);
    HtmlView1->setMinimumHeight(20);
    // Both panes share a change of the window's height in proportion to
    // their heights: a maximised window keeps a preview worth reading.
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({429 - 88 - 3, 88});

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Splitter1);

    Memo1->SetLines(pageTemplate());
    Memo1->SetModified(false);
    Dossier = Platform::currentDirWithSeparator();
    applyInset();
    setupPreview();
    setupDiskWatch();
    connect(Memo1, &TColorMemo::characterTyped, this, qOverload<QChar>(&TEditeur::Memo1KeyPress));
    connect(Memo1, &TColorMemo::keyPressFilter, this, qOverload<QChar, bool *>(&TEditeur::Memo1KeyPress));
}

TEditeur::~TEditeur() = default;

void TEditeur::applyInset()
{
    // The text stands 3 pixels from the left and right edges, 2 from the top
    // and bottom of the pane.
    Memo1->SetInset(3, 2, 3, 2);
}

void TEditeur::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyInset();
}

void TEditeur::Init(const QStringList &lines)
{
    Memo1->SetLines(lines);
    Memorise();
}

void TEditeur::SetFichier(const QString &name)
{
    Fichier = Platform::currentDirWithSeparator() + name;
}

void TEditeur::OpenFile(const QString &path)
{
    Fichier = path;
    QByteArray bytes;
    const PageFile::Page page = PageFile::read(path, &bytes);
    m_encoding = page.encoding;
    m_breaks = page.breaks;
    Memo1->SetLines(page.lines);
    Memo1->SetSelStart(0);
    Memo1->SetModified(false);
    // Shown at once, whatever the automatic refresh says, with the page's
    // pictures and links found from its own folder.
    Dossier = Platform::folderPart(path);
    HtmlView1->setFolder(Dossier);
    HtmlView1->LoadFromLines(Memo1->Lines());
    Memorise();
    watchFile(path, bytes);
    Q_EMIT fileUsed(path);
}

bool TEditeur::holdsItsFile() const
{
    return !Fichier.isEmpty() && !Memo1->Modified() && m_diskWatch->path() == QFileInfo(Fichier).absoluteFilePath()
        && m_diskWatch->known().exists;
}

void TEditeur::writeTo(const QString &path)
{
    const QStringList lines = Memo1->Lines();
    const PageFile::Encoding encoding = PageFile::saveEncoding(lines, m_encoding);
    const QByteArray bytes = PageFile::write(path, lines, encoding, m_breaks);
    m_encoding = encoding;
    Memo1->SetModified(false);
    watchFile(path, bytes);
    Q_EMIT fileUsed(path);
}

bool TEditeur::Enregistrer()
{
    bool written = false;
    if (Fichier.isEmpty() || Platform::isReadOnlyFile(Fichier)) {
        if (!Fichier.isEmpty())
            Platform::warning(this, QStringLiteral("Fichier en lecture seule"));
        written = SaveAs();
    } else {
        try {
            writeTo(Fichier);
            written = true;
        } catch (...) {
            Dossier = Platform::folderPart(Fichier);
            throw;
        }
    }
    Dossier = Platform::folderPart(Fichier);
    return written;
}

bool TEditeur::SaveAs()
{
    Platform::FileDialogRequest request;
    request.kind = Platform::FileDialogKind::Save;
    request.title = QStringLiteral("Enregistrer sous");
    request.filter = QStringLiteral(
        "Fichiers html (*.htm;*.html)|*.htm;*.html|Fichiers xmll (*.xml)|*.xml|Tous les fichiers (*.*)|*.*");
    request.defaultExt = QStringLiteral("htm");
    request.fileName = Platform::fileNamePart(Fichier);
    request.directory = Fichier.isEmpty() ? Dossier : Platform::folderPart(Fichier);
    const Platform::FileDialogResult chosen = Platform::runFileDialog(this, request);
    if (!chosen.accepted)
        return false;

    Fichier = chosen.path;
    if (!Fichier.contains(u'.')) {
        if (chosen.filterIndex == 1)
            Fichier += QStringLiteral(".htm");
        else if (chosen.filterIndex == 2)
            Fichier += QStringLiteral(".xml");
    }
    if (chosen.filterIndex == 2)
        Genxml();
    setWindowTitle(Platform::fileNamePart(Fichier));
    Q_EMIT captionChanged(windowTitle());
    return Enregistrer();
}

void TEditeur::Genxml()
{
    QStringList lines = Memo1->Lines();
    const QList<int> changed = genxmlLines(lines);
    if (changed.isEmpty())
        return;
    const int start = Memo1->SelStart(), length = Memo1->SelLength();
    Memo1->replaceLines(0, int(lines.size()), lines);
    Memo1->Select(start, length);
}

void TEditeur::Memorise()
{
    m_undo.memorise(Memo1->Lines(), Memo1->SelStart() + Memo1->SelLength());
}

void TEditeur::Annuler()
{
    const UndoStore::State back = m_undo.undo(Memo1->Lines());
    if (m_frame)
        m_frame->setRedoEnabled(true);
    Memo1->SetLines(back.lines);
    Memo1->SetSelStart(back.caret);
}

void TEditeur::Retablir()
{
    const std::optional<UndoStore::State> again = m_undo.redo();
    if (!again)
        return;
    Memo1->SetLines(again->lines);
    Memo1->SetSelStart(again->caret);
    if (m_frame)
        m_frame->setRedoEnabled(false);
}

void TEditeur::Memo1KeyPress(QChar)
{
    m_undo.typed();
    if (m_frame)
        m_frame->setRedoEnabled(false);
}

void TEditeur::FormActivate()
{
    if (m_frame)
        m_frame->setRedoEnabled(m_undo.redoAvailable());
}

bool TEditeur::FormCloseQuery()
{
    if (!Memo1->Modified())
        return true;
    const QString question = QStringLiteral("Enregistrer changements dans '%1'?")
                                 .arg(Platform::fileNamePart(Fichier));
    switch (Platform::confirm(this, question, Platform::Buttons::YesNoCancel)) {
    case Platform::Answer::Cancel:
        return false;
    case Platform::Answer::No:
        return true;
    default:
        break;
    }
    // The window closes only when the page really reached the disk: a
    // cancelled save dialog or a failed write keeps it open with its text.
    try {
        return Enregistrer();
    } catch (const Platform::PemoError &e) {
        Platform::error(this, e.message());
        return false;
    }
}

void TEditeur::closeEvent(QCloseEvent *event)
{
    // A dialog of this window is still running (an accessibility tool or a
    // session ending can close the window under it). It lives in the frame
    // of the command that opened it, so the window must outlive it: the
    // dialogs are cancelled, their commands end without changing the page,
    // and the close is asked again once they are gone.
    const QList<QDialog *> dialogs = findChildren<QDialog *>();
    bool running = false;
    for (QDialog *d : dialogs) {
        if (d->isVisible() && d->isModal()) {
            running = true;
            d->reject();
        }
    }
    if (running) {
        event->ignore();
        QTimer::singleShot(0, this, [this] {
            if (QWidget *w = parentWidget())
                w->close();
            else
                close();
        });
        return;
    }
    if (FormCloseQuery()) {
        event->accept();
        watchFile(QString(), {});
    }
    else
        event->ignore();
}
