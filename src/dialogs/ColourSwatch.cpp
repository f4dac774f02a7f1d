#include "ColourSwatch.h"

#include <QColorDialog>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace ColourPicker {

static Handler &handler()
{
    static Handler h;
    return h;
}

void setHandler(Handler h) { handler() = std::move(h); }

std::optional<QColor> pick(QWidget *parent, const QColor &initial)
{
    if (handler())
        return handler()(initial);
    const QColor c = QColorDialog::getColor(initial, parent, QStringLiteral("Couleur"));
    if (!c.isValid())
        return std::nullopt;
    return c;
}

} // namespace ColourPicker

TColourSwatch::TColourSwatch(QWidget *parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QAbstractButton::clicked, this, &TColourSwatch::choose);
}

void TColourSwatch::setColour(const QColor &colour)
{
    m_colour = colour;
    setToolTip(colour.isValid() ? colour.name().toUpper() : QStringLiteral("Aucune couleur dans la page"));
    update();
}

QSize TColourSwatch::sizeHint() const { return QSize(48, 28); }

void TColourSwatch::choose()
{
    const QColor start = m_colour.isValid() ? m_colour : palette().color(QPalette::Window);
    if (const auto picked = ColourPicker::pick(this, start)) {
        m_chosen = true;
        setColour(*picked);
        Q_EMIT colourChosen(*picked);
    }
}

void TColourSwatch::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect box = rect().adjusted(2, 2, -3, -3);
    p.fillRect(box, m_colour.isValid() ? m_colour : palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(box);
    if (!m_colour.isValid())
        p.drawLine(box.bottomLeft(), box.topRight());
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(0, 0, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}
