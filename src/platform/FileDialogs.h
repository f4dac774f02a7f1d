#pragma once
// Open and save dialogs. Filters are written as "Label|*.a;*.b|Label2|*.c"
// and converted to Qt's form here; the chosen filter is reported as a 1-based
// index, like the filter entries are numbered in the menus' descriptions.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace Platform {

enum class FileDialogKind { Open, Save };

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    QString title;
    QString filter;         // "Label|*.a;*.b|..."
    int filterIndex = 1;    // 1-based entry selected at start
    QString fileName;       // preset file name (may be a pattern such as "*.htm;*.html")
    QString directory;      // folder shown first; empty = current directory
    QString defaultExt;     // appended by the dialog when the name has none
    bool picturePreview = false;
    bool multiSelect = false;
};

struct FileDialogResult {
    bool accepted = false;
    QString path;           // first chosen file
    QStringList paths;      // all chosen files (multiSelect)
    int filterIndex = 1;    // 1-based entry selected when the dialog closed
};

// "Fichiers html (*.htm;*.html)|*.htm;*.html|Tous|*.*" -> Qt name filters
QStringList qtNameFilters(const QString &filter);

// The extension a save dialog adds to a name typed without one: that of the
// chosen entry's first pattern ("xml" for "*.xml"), or defaultExt when the
// entry names none ("*.*"). filterIndex is 1-based.
QString saveSuffix(const QString &filter, int filterIndex, const QString &defaultExt);

FileDialogResult runFileDialog(QWidget *parent, const FileDialogRequest &request);

// Tests answer file dialogs with this handler; empty = real dialogs.
using FileDialogHandler = std::function<FileDialogResult(const FileDialogRequest &)>;
void setFileDialogHandler(FileDialogHandler handler);

} // namespace Platform
