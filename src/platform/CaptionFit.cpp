#include "CaptionFit.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>

#include <algorithm>

namespace {

// Icon, minimise and close buttons and the frame's margins, as the usual
// window managers draw them.
constexpr int TitleBarButtons = 100;

class TCaptionFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Show comes after the dialog took its laid-out size and before it
        // is placed and mapped: widening it here keeps it centred.
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *dialog = qobject_cast<QDialog *>(watched);
            if (dialog && dialog->isWindow())
                CaptionFit::fit(dialog);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

namespace CaptionFit {

int widthFor(const QString &caption)
{
    QFont bold = QApplication::font();
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(caption) + TitleBarButtons;
}

void fit(QWidget *window)
{
    if (!window || window->windowTitle().isEmpty())
        return;
    const int wanted = std::min(widthFor(window->windowTitle()), 1200);
    if (window->width() >= wanted)
        return;
    if (window->minimumWidth() == window->maximumWidth())
        window->setFixedWidth(wanted); // placed by hand: the room is added on the right
    else
        window->setMinimumWidth(wanted);
    window->resize(wanted, window->height());
}

void install(QApplication *app)
{
    app->installEventFilter(new TCaptionFilter(app));
}

} // namespace CaptionFit
