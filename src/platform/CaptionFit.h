#pragma once
// Dialogs wide enough for their caption. A dialog laid out for its fields
// alone may be narrower than its caption, and the window manager then cuts
// the caption short. Once installed, every dialog the program shows is
// widened, before it appears, to the estimated width of its title bar.
#include <QString>

class QApplication;
class QWidget;

namespace CaptionFit {

// Width a title bar needs for caption: the text in the bold face of the
// program's font (title bars use a bold face) plus room for the window
// manager's icon and buttons.
int widthFor(const QString &caption);

// Widens window to widthFor(its caption) when it is narrower.
void fit(QWidget *window);

// From now on every dialog is fitted when it is shown.
void install(QApplication *app);

} // namespace CaptionFit
