#pragma once
// The menu buttons of the professional site: the label in bold 10-point
// Arial (Liberation Sans, its metric twin, where Arial is not installed),
// black on a white button 18 pixels high and 16 pixels wider than the text.
#include <QFont>
#include <QImage>
#include <QString>

namespace MenuButton {

QFont font();
// The label's width in pixels in that font.
int textWidth(const QString &label);
// The button's picture, the label drawn from (5, 0).
QImage draw(const QString &label);

} // namespace MenuButton
