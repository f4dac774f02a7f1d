#include "ColourSwatch.h"

#include "platform/CommonDialogs.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

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
    if (const auto picked = CommonDialogs::askColor(this, start)) {
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
