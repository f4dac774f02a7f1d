#pragma once
// The program's French help pages, shown in a help viewer window.
class QWidget;
class QString;

namespace Platform {

void helpContents(QWidget *parent);
void helpSearch(QWidget *parent, const QString &keyword);
void helpHowToUse(QWidget *parent);
// Topic of a help context number (the menus carry 4 to 13).
void helpTopic(QWidget *parent, int context);

} // namespace Platform
