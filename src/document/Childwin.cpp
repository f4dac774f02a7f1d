#include "Childwin.h"

#include "aids/AidSettings.h"
#include "colormemo/ColMemo.h"
#include "page/Page.h"
#include "page/PageFile.h"
#include "page/SafeSave.h"
#include "document/DiskWatch.h"
#include "document/DocumentRules.h"
#include "document/FrameServices.h"
#include "document/PageCommands.h"
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
    : QWidget(parent), m_frame(frame), m_page(new TPage(this))
{
    // No WA_DeleteOnClose: the sub-window that holds the editor owns it and
    // frees it with itself.
    setObjectName(QStringLiteral("Editeur"));
    resize(600, 429);

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);
    Memo1 = new TColorMemo(m_page, Splitter1);
    DocumentRules::declare(Memo1->ColorRules());
    Memo1->setWritingAids(AidSettings::spellingOn(), AidSettings::typographyMarksOn());
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

    m_page->load(pageTemplate());
    m_page->setFolderWithoutFile(Platform::currentDirWithSeparator());
    connect(m_page, &TPage::historyChanged, this, &TEditeur::showHistory);
    applyInset();
    setupPreview();
    setupDiskWatch();
    connect(Memo1, &TColorMemo::keyPressFilter, this, &TEditeur::Memo1KeyPress);
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
    // A new page: nothing before it to go back to.
    m_page->load(lines);
}

QString TEditeur::GetFichier() const { return m_page->path(); }
QString TEditeur::GetDossier() const { return m_page->folder(); }
PageFile::Encoding TEditeur::encoding() const { return m_page->encoding(); }
PageFile::Breaks TEditeur::breaks() const { return m_page->breaks(); }

void TEditeur::SetFichier(const QString &name)
{
    m_page->setPath(Platform::currentDirWithSeparator() + name);
}

void TEditeur::OpenFile(const QString &path)
{
    m_page->setPath(path);
    // Before the bytes: a change made while they are read moves the times.
    const FileTimes times = FileTimes::of(path);
    QByteArray bytes;
    // The text goes to the page in one piece: a big page is not cut into
    // lines and joined again on its way.
    const PageFile::Text page = PageFile::readText(path, &bytes);
    m_page->setEncoding(page.encoding);
    m_page->setBreaks(page.breaks);
    // A big page's first screen is drawn as soon as its lines are in.
    m_page->loadText(page.text, [this] {
        if (isVisible())
            window()->repaint();
    });
    // Shown at once, whatever the automatic refresh says, with the page's
    // pictures and links found from its own folder.
    showPreview(false);
    watchFile(path, bytes, times);
    Q_EMIT fileUsed(path);
}

bool TEditeur::holdsItsFile() const
{
    const QString Fichier = m_page->path();
    return !Fichier.isEmpty() && !Memo1->Modified() && m_diskWatch->path() == QFileInfo(Fichier).absoluteFilePath()
        && m_diskWatch->known().exists;
}

void TEditeur::writeTo(const QString &path)
{
    // One copy of the text as the page keeps it, encoded a piece after
    // another straight into the file: the bytes of a big page are never
    // held whole, and each piece is written while the next is encoded.
    PageFile::Encoding encoding;
    DiskWatch::Digest digest;
    qint64 size = 0;
    {
        const QString text = m_page->snapshot();
        const PageFile::TextForm form = TPage::storedForm();
        encoding = PageFile::saveEncodingOfText(text, form, m_page->encoding());
        const auto pieces = PageFile::encodedPieces(text, form, encoding, m_page->breaks());
        SafeSave::replaceContents(path, [&](QByteArray &piece) {
            const bool more = pieces(piece);
            digest.add(piece);
            size += piece.size();
            return more;
        });
    }
    m_page->setEncoding(encoding);
    Memo1->SetModified(false);
    m_diskWatch->watchWritten(path, {true, size, digest.result()}, FileTimes::of(path));
    setRemovedMark(false);
    Q_EMIT fileUsed(path);
}

bool TEditeur::Enregistrer()
{
    const QString Fichier = m_page->path();
    if (Fichier.isEmpty() || Platform::isReadOnlyFile(Fichier)) {
        if (!Fichier.isEmpty())
            Platform::warning(this, QStringLiteral("Fichier en lecture seule"));
        return SaveAs();
    }
    writeTo(Fichier);
    return true;
}

bool TEditeur::SaveAs()
{
    Platform::FileDialogRequest request;
    request.kind = Platform::FileDialogKind::Save;
    request.title = QStringLiteral("Enregistrer sous");
    request.filter = QStringLiteral(
        "Fichiers html (*.htm;*.html)|*.htm;*.html|Fichiers xmll (*.xml)|*.xml|Tous les fichiers (*.*)|*.*");
    request.defaultExt = QStringLiteral("htm");
    request.fileName = Platform::fileNamePart(m_page->path());
    request.directory = m_page->folder();
    const Platform::FileDialogResult chosen = Platform::runFileDialog(this, request);
    if (!chosen.accepted)
        return false;

    QString Fichier = chosen.path;
    if (!Fichier.contains(u'.')) {
        if (chosen.filterIndex == 1)
            Fichier += QStringLiteral(".htm");
        else if (chosen.filterIndex == 2)
            Fichier += QStringLiteral(".xml");
    }
    m_page->setPath(Fichier);
    if (chosen.filterIndex == 2)
        Genxml();
    setWindowTitle(Platform::fileNamePart(Fichier));
    Q_EMIT captionChanged(windowTitle());
    return Enregistrer();
}

void TEditeur::Genxml() { PageCommands::genxml(*m_page); }

void TEditeur::Memorise() { m_page->beginCommand(); }

void TEditeur::Annuler() { m_page->undo(); }

void TEditeur::Retablir() { m_page->redo(); }

bool TEditeur::redoAvailable() const { return m_page->canRedo(); }


void TEditeur::showHistory()
{
    if (m_frame)
        m_frame->showHistory(this, m_page->undoName(), m_page->redoName());
}

void TEditeur::FormActivate()
{
    if (m_frame)
        m_frame->showHistory(this, m_page->undoName(), m_page->redoName());
}

bool TEditeur::FormCloseQuery()
{
    if (!Memo1->Modified())
        return true;
    const QString question = QStringLiteral("Enregistrer changements dans '%1'?")
                                 .arg(Platform::fileNamePart(m_page->path()));
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
        watchFile(QString(), {}, {});
    }
    else
        event->ignore();
}
