// Commands that rewrite or report on the whole page: accents to entities,
// case, indentation, compaction, the plain-text export, the tag balance
// check and the page statistics.
#include "document/Childwin.h"

#include "colormemo/ColMemo.h"
#include "document/CasseDialog.h"
#include "document/FrameServices.h"
#include "document/PageCheck.h"
#include "document/PageCommands.h"
#include "page/PageFile.h"
#include "document/PageStats.h"
#include "document/StatsDialog.h"
#include "document/TextTransforms.h"
#include "document/VerifDialog.h"
#include "platform/FileDialogs.h"
#include "platform/Messages.h"

#include <QCoreApplication>

void TEditeur::Convertir()
{
    if (Platform::confirm(this, QStringLiteral("Convertir les caractères spéciaux ?"), Platform::Buttons::YesNo)
        != Platform::Answer::Yes)
        return;
    PageCommands::convertAccents(*m_page);
    Platform::message(this, QStringLiteral("Remplacement terminé"));
}

void TEditeur::Casse()
{
    Memorise();
    TFCasse dialog(this);
    dialog.Init(Memo1->SelText());
    dialog.exec();
    // A cancelled dialog leaves the selection exactly as it was.
    if (dialog.confirmed())
        Memo1->SetSelText(dialog.Result());
}

void TEditeur::Indenter() { PageCommands::indent(*m_page); }

void TEditeur::Compacter()
{
    if (Platform::confirm(this, QStringLiteral("Compacter les balises ?"), Platform::Buttons::YesNo)
        != Platform::Answer::Yes)
        return;
    PageCommands::compact(*m_page);
}

void TEditeur::Exporte()
{
    // The text does not change, so no snapshot: the user keeps the undo of
    // the command before the export.
    Platform::FileDialogRequest request;
    request.kind = Platform::FileDialogKind::Save;
    request.title = QStringLiteral("Exporter sans les balises");
    request.filter = QStringLiteral("Fichiers texte (*.txt)|*.txt");
    request.fileName = QStringLiteral("*.txt");
    request.defaultExt = QStringLiteral("txt");
    request.directory = m_page->folder();
    const Platform::FileDialogResult chosen = Platform::runFileDialog(this, request);
    if (!chosen.accepted)
        return;
    // Written whole or not at all; a failure reaches the error box with the
    // file's name instead of leaving the user with a missing or cut file.
    PageFile::write(chosen.path, TextTransforms::exportLines(Memo1->Lines()), m_page->encoding());
}

void TEditeur::Validation()
{
    if (m_frame)
        m_frame->setStatusText(QStringLiteral("Vérification en cours..."));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const QList<PageCheck::TagBalance> result = PageCheck::check(Memo1->Lines());
    TVerif dialog(this);
    dialog.Init(result);
    if (m_frame)
        m_frame->setStatusText(QString());
    dialog.exec();
}

void TEditeur::Statistiques()
{
    const QString folder = m_page->folder();
    const QStringList lines = Memo1->Lines();
    // The page is measured as saving would write it.
    const PageStats::Stats stats = PageStats::compute(
        lines, [&folder](const QString &name) { return PageStats::pictureFileSize(folder, name); },
        PageFile::saveEncoding(lines, m_page->encoding()), m_page->breaks());
    TStats dialog(this);
    for (const QString &line : PageStats::report(stats))
        dialog.Init(line);
    dialog.exec();
}
