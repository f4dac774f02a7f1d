#pragma once
// Work that names its files relative to "the current folder" (file choosers,
// pictures written beside others) done in a page's folder: the previous
// current folder comes back when the scope ends.
#include <QString>

namespace Platform {

class CurrentFolderScope
{
public:
    // An empty folder, or one that cannot be entered, leaves the current
    // folder where it is.
    explicit CurrentFolderScope(const QString &folder);
    ~CurrentFolderScope();
    CurrentFolderScope(const CurrentFolderScope &) = delete;
    CurrentFolderScope &operator=(const CurrentFolderScope &) = delete;

private:
    QString m_previous;
};

} // namespace Platform
