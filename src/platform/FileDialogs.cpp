#include "FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QGridLayout>

#include <algorithm>

namespace Platform {
namespace {
FileDialogHandler &handler()
{
    static FileDialogHandler h;
    return h;
}
} // namespace

void setFileDialogHandler(FileDialogHandler h) { handler() = std::move(h); }

QStringList qtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(u';', u' ');
        QString label = parts.at(i);
        // Qt takes the patterns from the last parentheses of the label; give
        // it ours explicitly so that labels without them still filter.
        result << QStringLiteral("%1 (%2)").arg(label, patterns);
    }
    return result;
}

QString saveSuffix(const QString &filter, int filterIndex, const QString &defaultExt)
{
    const QStringList parts = filter.split(u'|');
    const qsizetype at = 2 * qsizetype(filterIndex - 1) + 1;
    if (filterIndex < 1 || at >= parts.size())
        return defaultExt;
    const QString first = parts.at(at).section(u';', 0, 0).trimmed();
    if (!first.startsWith(QLatin1String("*.")))
        return defaultExt;
    const QString suffix = first.mid(2);
    if (suffix.isEmpty() || suffix.contains(u'*') || suffix.contains(u'?'))
        return defaultExt;
    return suffix;
}

namespace {

// The 1-based entry of a filter as the dialog reports it: the Qt form, or
// with the details hidden, the label as shown.
int entryOf(const QStringList &qtFilters, const QString &filter, const QString &selected)
{
    if (const qsizetype i = qtFilters.indexOf(selected); i >= 0)
        return int(i) + 1;
    const QStringList parts = filter.split(u'|');
    for (int i = 0; i < parts.size(); i += 2)
        if (parts.at(i).trimmed() == selected.trimmed())
            return i / 2 + 1;
    return 0;
}

} // namespace

static void addPicturePreview(QFileDialog &dialog)
{
    auto *grid = qobject_cast<QGridLayout *>(dialog.layout());
    if (!grid)
        return;
    auto *preview = new QLabel(&dialog);
    preview->setObjectName(QStringLiteral("PicturePreview"));
    preview->setAccessibleName(QStringLiteral("Aperçu"));
    preview->setFixedSize(160, 160);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::StyledPanel);
    grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview, [preview](const QString &path) {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QSize size = reader.size();
        if (size.isValid())
            reader.setScaledSize(size.scaled(preview->size() - QSize(8, 8), Qt::KeepAspectRatio)
                                     .boundedTo(size));
        const QImage image = reader.read();
        if (image.isNull())
            preview->setText(QStringLiteral("(aucun aperçu)"));
        else
            preview->setPixmap(QPixmap::fromImage(image));
    });
}

FileDialogResult runFileDialog(QWidget *parent, const FileDialogRequest &request)
{
    if (handler())
        return handler()(request);

    QFileDialog dialog(parent, request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog, request.picturePreview);
    // The labels already name their patterns ("Fichiers html (*.htm;*.html)"):
    // the ones added for Qt's filtering are not shown a second time.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    const QStringList filters = qtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(request.filterIndex - 1));
    if (!request.directory.isEmpty())
        dialog.setDirectory(request.directory);
    if (request.kind == FileDialogKind::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    if (!request.defaultExt.isEmpty()) {
        // The dialog adds its default suffix itself: it must follow the kind
        // of file chosen, or "page" saved as XML would come back "page.htm".
        const int start = request.filterIndex >= 1 && request.filterIndex <= filters.size() ? request.filterIndex : 1;
        dialog.setDefaultSuffix(saveSuffix(request.filter, start, request.defaultExt));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString &selected) {
            const int entry = entryOf(filters, request.filter, selected);
            dialog.setDefaultSuffix(saveSuffix(request.filter, entry > 0 ? entry : 1, request.defaultExt));
        });
    }
    if (!request.fileName.isEmpty() && !request.fileName.contains(u'*'))
        dialog.selectFile(request.fileName);
    if (request.picturePreview)
        addPicturePreview(dialog);

    FileDialogResult result;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return result;
    result.accepted = true;
    result.paths = dialog.selectedFiles();
    result.path = result.paths.first();
    result.filterIndex = std::max(1, entryOf(filters, request.filter, dialog.selectedNameFilter()));
    return result;
}

} // namespace Platform
