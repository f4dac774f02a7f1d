#include "FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QGridLayout>

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
    if (!request.defaultExt.isEmpty())
        dialog.setDefaultSuffix(request.defaultExt);
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
    // With the details hidden, some dialogs report the label as shown.
    const QString selectedFilter = dialog.selectedNameFilter();
    result.filterIndex = int(filters.indexOf(selectedFilter)) + 1;
    if (result.filterIndex < 1) {
        const QStringList parts = request.filter.split(u'|');
        for (int i = 0; i < parts.size(); i += 2)
            if (parts.at(i).trimmed() == selectedFilter.trimmed())
                result.filterIndex = i / 2 + 1;
    }
    if (result.filterIndex < 1)
        result.filterIndex = 1;
    return result;
}

} // namespace Platform
