#include "FolderScope.h"

#include <QDir>

namespace Platform {

CurrentFolderScope::CurrentFolderScope(const QString &folder)
{
    const QString previous = QDir::currentPath();
    if (!folder.isEmpty() && QDir::setCurrent(folder))
        m_previous = previous;
}

CurrentFolderScope::~CurrentFolderScope()
{
    if (!m_previous.isEmpty())
        QDir::setCurrent(m_previous);
}

} // namespace Platform
