// The document window's preview: when it is rebuilt, and what the window
// does with the links and forms of the rendered page.
#include "document/Childwin.h"
#include "page/Page.h"
#include "platform/AsciiCase.h"

#include "colormemo/ColMemo.h"
#include "dialogs/SubmitForm.h"
#include "document/FrameServices.h"
#include "platform/Errors.h"
#include "platform/Launcher.h"
#include "renderer/HtmlView.h"
#include "renderer/LinkName.h"
#include "renderer/Sound.h"

#include <QDir>
#include <QFileInfo>
#include <QTextDocument>
#include <QTimer>

void TEditeur::setupPreview()
{
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &TEditeur::MajView);
    // Only real changes of the text count, not the colouring of it.
    connect(Memo1->document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (removed || added)
            Memo1Change();
    });
    // The preview takes the page's text from here, and only when its engine
    // is ready for a new page: a copy of the stored characters is all the
    // user-interface thread does; the worker makes lines of it.
    PreviewSource source;
    source.size = [this] { return qsizetype(m_page->document()->characterCount()); };
    source.take = [this] { return m_page->snapshot(); };
    source.prepare = &TEditeur::storedToPage;
    HtmlView1->setSource(source);
    connect(HtmlView1, &THtmlView::hotSpotCovered, this, &TEditeur::HtmlView1HotSpotCovered);
    connect(HtmlView1, &THtmlView::hotSpotClick, this, &TEditeur::HtmlView1HotSpotClick);
    connect(HtmlView1, &THtmlView::formSubmit, this, &TEditeur::HtmlView1FormSubmit);
    // A new window's page is shown at the first tick when automatic
    // refresh is on.
    Timer1->start();
}

void TEditeur::Memo1Change()
{
    if (!Timer1->isActive())
        Timer1->start();
}

void TEditeur::storedToPage(QString &text)
{
    // The engine is given LF breaks, in the copy's own buffer; as the
    // page's lines, a final line break adds no empty line.
    text = TPage::linesTextOf(std::move(text));
    if (text.endsWith(u'\n'))
        text.chop(1);
}

void TEditeur::showPreview(bool asked)
{
    // Relative names resolve against this page's own folder, whatever
    // another window made current.
    HtmlView1->setFolder(m_page->folder());
    m_previewedChanges = m_page->changeCount();
    HtmlView1->refresh(asked);
}

void TEditeur::rebuildPreview(bool keepPlace, bool asked)
{
    const int position = keepPlace ? HtmlView1->ViewPosition() : 0;
    showPreview(asked);
    if (keepPlace)
        HtmlView1->SetViewPosition(position);
}

void TEditeur::MajView()
{
    if (!AutoActualise)
        return;
    // A page already shown as it stands (just opened, or refreshed by hand)
    // is not loaded again.
    if (m_previewedChanges != m_page->changeCount())
        rebuildPreview(true, false);
    Timer1->stop();
}

void TEditeur::Actualiser()
{
    if (m_page->folder().isEmpty())
        throw Platform::PemoError(
            QStringLiteral("Impossible d'actualiser l'affichage : la page n'a pas de dossier.\n"
                           "Enregistrez-la d'abord."));
    if (!QDir::setCurrent(m_page->folder())) {
        const QString reason = QFileInfo(m_page->folder()).isDir() ? QStringLiteral("Accès refusé.")
                                                          : QStringLiteral("Ce dossier n'existe pas.");
        throw Platform::PemoError(QStringLiteral("Impossible d'accéder au dossier %1.\n%2").arg(m_page->folder(), reason));
    }
    rebuildPreview(true, true);
}

void TEditeur::Actauto(bool on) { AutoActualise = on; }

void TEditeur::HtmlView1HotSpotCovered(const QString &target)
{
    if (m_frame)
        m_frame->setStatusText(target);
}

void TEditeur::HtmlView1HotSpotClick(const QString &target, bool *handled)
{
    *handled = false;
    // The page comes back as the source says, from its top.
    showPreview(true);

    const qsizetype colon = target.indexOf(u':') + 1;
    const qsizetype file = Ascii::upper(target).indexOf(QLatin1String("FILE:")) + 1;
    if (colon > 2 && file == 0)
        return; // a web, mail or other address: the renderer's business

    // A local file; what follows a blank or a "?" are parameters. Blanks
    // around the target are not part of it.
    QString name = target.trimmed();
    qsizetype cut = name.indexOf(u' ') + 1;
    if (cut == 0)
        cut = name.indexOf(u'?') + 1;
    if (cut > 0)
        name.truncate(cut - 1);
    const QString full = HtmlView1->ExpandLinkName(name);
    const QString ext = LinkName::upperExtension(full);
    if (ext == QLatin1String(".WAV")) {
        *handled = true;
        PreviewSound::play(full);
    } else if (ext == QLatin1String(".MID") || ext == QLatin1String(".AVI")) {
        *handled = true;
        Platform::openMedia(full);
    }
}

void TEditeur::HtmlView1FormSubmit(const QString &action, const QString &, const QString &,
                                   const QString &method, const QStringList &entries)
{
    TSubmitForm form(this);
    form.Init(action, method, entries);
    form.exec();
}
