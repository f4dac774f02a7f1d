#include "Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace Icons {
namespace {
const QColor ink(40, 40, 60);
const QColor paper(255, 255, 250);
const QColor accent(30, 90, 180);

QIcon draw(const std::function<void(QPainter &)> &paint)
{
    QIcon icon;
    for (int size : {16, 20, 24, 32, 48}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 24.0, size / 24.0);
        paint(p);
        icon.addPixmap(pm);
    }
    return icon;
}

void sheet(QPainter &p, const QRectF &r)
{
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - 5, r.top());
    path.lineTo(r.right(), r.top() + 5);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(QPen(ink, 1.2));
    p.setBrush(paper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 5, r.top()), QPointF(r.right() - 5, r.top() + 5));
    p.drawLine(QPointF(r.right() - 5, r.top() + 5), QPointF(r.right(), r.top() + 5));
}

QIcon letter(const QString &text, bool bold, bool italic, bool underline)
{
    return draw([=](QPainter &p) {
        QFont f(QStringLiteral("Liberation Serif"));
        f.setPixelSize(19);
        f.setBold(bold);
        f.setItalic(italic);
        f.setUnderline(underline);
        p.setFont(f);
        p.setPen(ink);
        p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, text);
    });
}
} // namespace

QIcon application()
{
    return draw([](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(accent);
        p.drawRoundedRect(QRectF(1, 1, 22, 22), 4, 4);
        QFont f(QStringLiteral("Liberation Sans"));
        f.setPixelSize(10);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("</>"));
    });
}

QIcon document()
{
    return draw([](QPainter &p) {
        sheet(p, QRectF(5, 2, 14, 20));
        p.setPen(QPen(accent, 1.2));
        for (int y = 9; y <= 18; y += 3)
            p.drawLine(QPointF(8, y), QPointF(16, y));
    });
}

QIcon newPage()
{
    return draw([](QPainter &p) {
        sheet(p, QRectF(5, 2, 14, 20));
        p.setPen(QPen(QColor(230, 170, 0), 1.6));
        p.drawLine(QPointF(3, 4), QPointF(9, 10));
        p.drawLine(QPointF(9, 4), QPointF(3, 10));
        p.drawLine(QPointF(6, 2.5), QPointF(6, 11.5));
    });
}

QIcon open()
{
    return draw([](QPainter &p) {
        p.setPen(QPen(ink, 1.2));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(2, 7, 17, 13));
        p.setBrush(QColor(250, 220, 120));
        QPolygonF lid({QPointF(5, 11), QPointF(22, 11), QPointF(19, 20), QPointF(2, 20)});
        p.drawPolygon(lid);
    });
}

QIcon save()
{
    return draw([](QPainter &p) {
        p.setPen(QPen(ink, 1.2));
        p.setBrush(accent);
        p.drawRect(QRectF(3, 3, 18, 18));
        p.setBrush(paper);
        p.drawRect(QRectF(6, 3, 12, 7));
        p.setBrush(QColor(200, 200, 210));
        p.drawRect(QRectF(7, 14, 10, 7));
    });
}

QIcon cut()
{
    return draw([](QPainter &p) {
        p.setPen(QPen(ink, 1.5));
        p.drawLine(QPointF(7, 3), QPointF(15, 15));
        p.drawLine(QPointF(17, 3), QPointF(9, 15));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(7, 18), 3, 3);
        p.drawEllipse(QPointF(17, 18), 3, 3);
    });
}

QIcon copy()
{
    return draw([](QPainter &p) {
        sheet(p, QRectF(3, 2, 12, 15));
        sheet(p, QRectF(9, 7, 12, 15));
    });
}

QIcon paste()
{
    return draw([](QPainter &p) {
        p.setPen(QPen(ink, 1.2));
        p.setBrush(QColor(190, 140, 80));
        p.drawRoundedRect(QRectF(3, 4, 15, 18), 2, 2);
        p.setBrush(QColor(200, 200, 210));
        p.drawRect(QRectF(7, 2, 7, 4));
        sheet(p, QRectF(10, 9, 11, 13));
    });
}

QIcon browser()
{
    return draw([](QPainter &p) {
        p.setPen(QPen(accent, 1.4));
        p.setBrush(QColor(220, 235, 255));
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 12), 4.5, 9.5);
        p.drawLine(QPointF(2.5, 12), QPointF(21.5, 12));
        p.drawLine(QPointF(12, 2.5), QPointF(12, 21.5));
    });
}

QIcon refresh()
{
    return draw([](QPainter &p) {
        p.setPen(QPen(QColor(20, 140, 60), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(4, 4, 16, 16), 30 * 16, 280 * 16);
        p.setBrush(QColor(20, 140, 60));
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(15, 2), QPointF(21, 7), QPointF(14, 9)}));
    });
}

QIcon bold() { return letter(QStringLiteral("G"), true, false, false); }
QIcon italic() { return letter(QStringLiteral("I"), false, true, false); }
QIcon underline() { return letter(QStringLiteral("S"), false, false, true); }

QPixmap logo(int size) { return application().pixmap(size, size); }

} // namespace Icons
