// The picture commands: the animated GIF window and the picture window, each
// opened on the file named by the selection.
#include "document/Childwin.h"

#include "colormemo/ColMemo.h"
#include "document/FragmentInsertion.h"
#include "images/GifEditor.h"
#include "images/PictureName.h"
#include "images/PictureWindow.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A name written in a page is usually relative to the page: when it names no
// file from the current folder, the page's folder is tried.
QString resolve(const QString &name, const QString &folder)
{
    if (name.isEmpty() || QFileInfo::exists(name) || QDir::isAbsolutePath(name) || folder.isEmpty())
        return name;
    const QString beside = QDir(folder).filePath(name);
    return QFileInfo::exists(beside) ? beside : name;
}

} // namespace

void TEditeur::EditGif()
{
    QString name = resolve(PictureName::fromSelection(Memo1->SelText()), m_page->folder());
    TFGif window(this);
    window.Init(name);
    if (!name.isEmpty())
        Fragment::runModal(window);
}

void TEditeur::EditImage()
{
    const QString name = resolve(PictureName::fromSelection(Memo1->SelText()), m_page->folder());
    TFImage window(this);
    window.Init(name);
    if (!Memo1->SelText().isEmpty())
        Fragment::runModal(window);
}
