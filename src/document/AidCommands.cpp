#include "AidCommands.h"

#include "aids/AidSettings.h"
#include "aids/PageAids.h"
#include "colormemo/ColMemo.h"
#include "document/AidDialogs.h"
#include "document/Childwin.h"
#include "document/FrameServices.h"
#include "platform/Messages.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>

namespace AidCommands {
namespace {

const QString switchedOn = QStringLiteral(" Vous pouvez l'activer dans « Paramètres », « Aides à la rédaction... ».");

// The caret at a place of the page, and the pane brought forward to show it.
std::function<void(int, int)> caretPlacer(TEditeur &editeur)
{
    QPointer<TEditeur> window(&editeur);
    return [window](int line, int column) {
        if (!window)
            return;
        PageAids::placeCaret(*window->page(), line, column);
        window->activateWindow();
        window->Memo1->setFocus();
    };
}

} // namespace

void validate(TEditeur &editeur)
{
    if (!AidSettings::validationOn()) {
        Platform::information(&editeur, QStringLiteral("La validation HTML5 est désactivée.") + switchedOn);
        return;
    }
    if (editeur.frame())
        editeur.frame()->setStatusText(QStringLiteral("Validation en cours..."));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const QList<HtmlValidator::Message> messages = HtmlValidator::validate(editeur.page()->Lines());
    if (editeur.frame())
        editeur.frame()->setStatusText(QString());
    if (messages.isEmpty()) {
        Platform::information(&editeur, QStringLiteral("La page est valide : aucun message."));
        return;
    }
    auto *dialog = new TValidationDialog(&editeur);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowFlag(Qt::Window);
    dialog->Init(messages);
    dialog->placeCaret = caretPlacer(editeur);
    dialog->show();
}

void typography(TEditeur &editeur)
{
    if (!AidSettings::typographyOn()) {
        Platform::information(&editeur, QStringLiteral("La vérification typographique est désactivée.") + switchedOn);
        return;
    }
    TPage &page = *editeur.page();
    const QStringList lines = page.Lines();
    const QList<FrenchTypography::Fault> faults = FrenchTypography::scan(lines);
    if (faults.isEmpty()) {
        Platform::information(&editeur, QStringLiteral("Aucune faute de typographie française dans le texte."));
        return;
    }
    TTypographyDialog dialog(&editeur);
    dialog.Init(lines, faults);
    dialog.placeCaret = caretPlacer(editeur);
    dialog.fix = [&page](const QList<FrenchTypography::Fault> &chosen) { PageAids::fixTypography(page, chosen); };
    dialog.exec();
}

void settings(QWidget *parent)
{
    TAidSettingsDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.save();
    // Every open page follows at once.
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget *w : widgets)
        if (auto *editeur = qobject_cast<TEditeur *>(w); editeur && editeur->Memo1)
            editeur->Memo1->setWritingAids(AidSettings::spellingOn(), AidSettings::typographyMarksOn());
}

} // namespace AidCommands
