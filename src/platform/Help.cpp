#include "Help.h"

#include "HelpViewer.h"

#include <QString>

namespace Platform {

void helpContents(QWidget *parent) { HelpViewer::instance(parent)->showPage(QStringLiteral("index.html")); }
void helpSearch(QWidget *parent, const QString &keyword) { HelpViewer::instance(parent)->showSearch(keyword); }
void helpHowToUse(QWidget *parent) { HelpViewer::instance(parent)->showPage(QStringLiteral("aide.html")); }
void helpTopic(QWidget *parent, int context)
{
    HelpViewer::instance(parent)->showPage(QStringLiteral("contexte%1.html").arg(context));
}

} // namespace Platform
