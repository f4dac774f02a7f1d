#include "MenuButton.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>

namespace MenuButton {

QFont font()
{
    const QString family = QFontDatabase::families().contains(QStringLiteral("Arial"))
        ? QStringLiteral("Arial")
        : QStringLiteral("Liberation Sans");
    QFont f(family);
    // 10 points on a 96-dpi screen: the size the buttons have always had,
    // whatever the resolution of the screen the program runs on.
    f.setPixelSize(13);
    f.setBold(true);
    // Two colours, like the plain text drawing of the first buttons: the
    // GIF keeps sharp edges and stays small.
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

int textWidth(const QString &label) { return QFontMetrics(font()).horizontalAdvance(label); }

QImage draw(const QString &label)
{
    const QFont f = font();
    const QFontMetrics metrics(f);
    QImage button(metrics.horizontalAdvance(label) + 16, 18, QImage::Format_RGB32);
    button.fill(Qt::white);
    QPainter painter(&button);
    painter.setFont(f);
    painter.setPen(Qt::black);
    painter.drawText(5, metrics.ascent(), label);
    return button;
}

} // namespace MenuButton
