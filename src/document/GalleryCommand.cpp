// "Générer vignettes": reduced copies of the chosen pictures beside them,
// and a table of them, each linked to its full-size picture.
#include "document/Childwin.h"

#include "document/FragmentInsertion.h"
#include "document/FrameServices.h"
#include "platform/FolderScope.h"
#include "platform/Messages.h"
#include "wizards/Cat.h"
#include "wizards/Gallery.h"

#include <QApplication>
#include <QGuiApplication>
#include <algorithm>

namespace {

// The hourglass and the status line stay only while the work runs, also
// when a picture fails.
class BusyState
{
public:
    explicit BusyState(TFrameServices *frame) : m_frame(frame)
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyState()
    {
        QGuiApplication::restoreOverrideCursor();
        status(QString());
    }
    void status(const QString &text)
    {
        if (m_frame)
            m_frame->setStatusText(text);
    }

private:
    TFrameServices *m_frame;
};

} // namespace

void TEditeur::Vignettes()
{
    // The chooser lists the page's folder, and the names in the table are
    // those of its files, so the links hold wherever the program started.
    Platform::CurrentFolderScope pageFolder(m_page->folder());
    TCat::Choice choice;
    QStringList files;
    {
        TCat dialog(this);
        Fragment::runModal(dialog);
        choice = dialog.Result();
        files = dialog.files();
    }
    if (!choice.ok)
        return;
    QString table;
    {
        BusyState busy(m_frame);
        busy.status(QStringLiteral("Génère images réduites"));
        // Files of the same names that this session did not write may be the
        // user's own pictures: one question for all of them.
        auto ask = [this](const QStringList &targets) {
            const Platform::Answer answer = Platform::confirm(
                this,
                QStringLiteral("Ces fichiers existent déjà et seraient remplacés par les vignettes :\n%1\n\n"
                               "Les remplacer ? (Non : les garder et écrire les autres vignettes)")
                    .arg(targets.join(QStringLiteral("\n"))),
                Platform::Buttons::YesNoCancel);
            if (answer == Platform::Answer::Yes)
                return Gallery::Overwrite::Replace;
            if (answer == Platform::Answer::No)
                return Gallery::Overwrite::Keep;
            return Gallery::Overwrite::Stop;
        };
        int widest = 0;
        QList<Gallery::Item> items;
        try {
            items = Gallery::makeThumbnails(files, choice.width, choice.height, ask);
        } catch (const Gallery::Cancelled &) {
            return;
        }
        for (const Gallery::Item &item : std::as_const(items))
            widest = std::max(widest, item.size.width());
        busy.status(QStringLiteral("Génère code html"));
        table = Gallery::table(files, widest);
    }
    // The table replaces the selection like any other inserted fragment:
    // "&Annuler" brings the text back.
    Memorise();
    ReplaceSelection(table);
}
