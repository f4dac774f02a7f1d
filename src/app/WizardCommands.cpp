// The site wizards of "Nouveau projet": each runs its dialog and opens the
// pages it gives in new document windows.
#include "app/Main.h"

#include "document/Childwin.h"
#include "document/FragmentInsertion.h"
#include "platform/FolderScope.h"
#include "wizards/Assistant.h"
#include "wizards/Cv.h"
#include "wizards/Pro.h"
#include "wizards/WizardPages.h"

#include <QAction>
#include <QMdiArea>

namespace {

TEditeur *openPage(TMainForm &frame, const QString &caption, const QStringList &page)
{
    TEditeur *e = frame.NewDocumentWindow(caption);
    e->Init(WizardPages::documentLines(page));
    e->Actauto(frame.action(QStringLiteral("Actualiserautomatiquement1"))->isChecked());
    return e;
}

QString nextWebCaption(const TMainForm &frame)
{
    return QStringLiteral("Web%1").arg(frame.mdiArea->subWindowList().size() + 1);
}

// A wizard started beside an open page works in that page's folder: the
// pictures it names are relative to it, the buttons are written there and
// the new pages belong there, so their links hold once they are saved.
QString pageFolder(TMainForm &frame)
{
    const TEditeur *active = frame.activeEditeur();
    return active ? active->GetDossier() : QString();
}

template <typename Wizard>
void runSingleWizard(TMainForm &frame)
{
    Platform::CurrentFolderScope folder(pageFolder(frame));
    QStringList page;
    {
        Wizard wizard(&frame);
        Fragment::runModal(wizard);
        wizard.Result(page);
    }
    if (!page.isEmpty())
        openPage(frame, nextWebCaption(frame), page);
}

} // namespace

void TMainForm::Nouveauprojet1Click() { runSingleWizard<TAssistant>(*this); }

void TMainForm::Cv1Click() { runSingleWizard<TCv>(*this); }

void TMainForm::Sitepro1Click()
{
    Platform::CurrentFolderScope folder(pageFolder(*this));
    TPro wizard(this);
    Fragment::runModal(wizard);
    QStringList page;
    QString name;
    const auto open = [this, &page, &name] {
        if (page.isEmpty())
            return;
        // A page without a file name gets a window like a new page's and
        // asks for its name when saved, instead of taking the folder's.
        TEditeur *e = openPage(*this, name.isEmpty() ? nextWebCaption(*this) : name, page);
        if (!name.isEmpty())
            e->SetFichier(name);
    };
    wizard.Result(page, name);
    open();
    for (int row = 2; row <= 8; ++row) {
        wizard.Getmenu(row, page, name);
        open();
    }
}
