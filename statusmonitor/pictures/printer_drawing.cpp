#include "printer_drawing.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

const QColor kOutline(40, 44, 52);

QColor tone(const QColor &c, bool grey)
{
    if (!grey)
        return c;
    const int g = qGray(c.rgb());
    return QColor(g, g, g);
}

void photo(QPainter &p, const QRectF &r, bool grey)
{
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0.0, tone(QColor(250, 200, 40), grey));
    g.setColorAt(0.5, tone(QColor(220, 60, 140), grey));
    g.setColorAt(1.0, tone(QColor(40, 160, 220), grey));
    p.setPen(QPen(kOutline, 3));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRect(r.adjusted(8, 8, -8, -8));
}

void spool(QPainter &p, const QPointF &c, double r, const QColor &fill)
{
    p.setBrush(fill);
    p.drawEllipse(c, r, r);
    p.setBrush(Qt::white);
    p.drawEllipse(c, r * 0.35, r * 0.35);
}

void exclamation(QPainter &p, const QPointF &c, double size, const QColor &colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(c.x() - size * 0.12, c.y() - size * 0.55, size * 0.24, size * 0.7), 5, 5);
    p.drawEllipse(QPointF(c.x(), c.y() + size * 0.42), size * 0.14, size * 0.14);
}

void sheetGlyph(QPainter &p, const QPointF &c, double s)
{
    p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(c.x() - s * 0.3, c.y() - s * 0.42, s * 0.6, s * 0.84));
}

void spoolGlyph(QPainter &p, const QPointF &c, double s)
{
    p.setPen(QPen(Qt::white, 6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(c.x() - s * 0.28, c.y()), s * 0.2, s * 0.2);
    p.drawEllipse(QPointF(c.x() + s * 0.28, c.y()), s * 0.2, s * 0.2);
    p.drawLine(QPointF(c.x() - s * 0.28, c.y() - s * 0.2), QPointF(c.x() + s * 0.28, c.y() - s * 0.2));
}

void slash(QPainter &p, const QPointF &c, double s, const QColor &badge)
{
    // A rim of the badge colour keeps the stroke apart from the glyph below.
    p.setPen(QPen(badge, 20, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x() - s * 0.45, c.y() + s * 0.45), QPointF(c.x() + s * 0.45, c.y() - s * 0.45));
    p.setPen(QPen(Qt::white, 9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x() - s * 0.45, c.y() + s * 0.45), QPointF(c.x() + s * 0.45, c.y() - s * 0.45));
}

void body(QPainter &p, bool grey, bool lidOpen)
{
    p.setPen(QPen(kOutline, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    // Lid: flat on top, or swung up and back.
    p.setBrush(tone(QColor(196, 204, 214), grey));
    if (lidOpen)
        p.drawPolygon(QPolygonF({QPointF(62, 118), QPointF(284, 118), QPointF(250, 30), QPointF(96, 30)}));
    else
        p.drawRoundedRect(QRectF(62, 84, 222, 40), 12, 12);
    p.setBrush(tone(QColor(232, 236, 240), grey));
    p.drawRoundedRect(QRectF(30, 112, 286, 136), 18, 18);
    // Output slot and the status lamp.
    p.setBrush(tone(QColor(60, 66, 76), grey));
    p.drawRoundedRect(QRectF(78, 196, 190, 14), 6, 6);
    p.setBrush(tone(QColor(60, 190, 90), grey));
    p.drawEllipse(QPointF(278, 138), 8, 8);
    // Paper tray in front.
    p.setBrush(tone(QColor(170, 178, 190), grey));
    p.drawRoundedRect(QRectF(56, 246, 234, 26), 8, 8);
}

} // namespace

void drawPrinter(QPainter &p, PrinterPart part, bool grey)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.save();
    // Up and to the left, so that the badge in the lower right corner hides
    // little of the printer.
    p.translate(6, 4);
    p.scale(0.8, 0.8);
    body(p, grey, part == PrinterPart::LidOpen);
    p.setPen(QPen(kOutline, 3));
    switch (part) {
    case PrinterPart::PhotoOut:
        photo(p, QRectF(100, 206, 146, 100), grey);
        break;
    case PrinterPart::LidOpen:
        p.setBrush(tone(QColor(60, 66, 76), grey));
        p.drawRect(QRectF(80, 112, 186, 10));
        break;
    case PrinterPart::ScrapBoxMissing:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(200, 40, 40), 4, Qt::DashLine));
        p.drawRect(QRectF(90, 280, 166, 44));
        break;
    case PrinterPart::TrayEmpty:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(200, 40, 40), 4, Qt::DashLine));
        p.drawRect(QRectF(74, 222, 130, 40));
        break;
    case PrinterPart::RibbonShown:
        p.setPen(QPen(kOutline, 3));
        spool(p, QPointF(120, 158), 22, tone(QColor(90, 60, 140), grey));
        spool(p, QPointF(226, 158), 22, tone(QColor(90, 60, 140), grey));
        p.drawLine(QPointF(120, 136), QPointF(226, 136));
        break;
    case PrinterPart::PaperJammed: {
        QPainterPath crumple;
        crumple.moveTo(104, 206);
        const double xs[] = {124, 146, 170, 192, 216, 240};
        const double ys[] = {250, 222, 262, 226, 256, 208};
        for (int i = 0; i < 6; ++i)
            crumple.lineTo(xs[i], ys[i]);
        crumple.closeSubpath();
        p.setBrush(Qt::white);
        p.drawPath(crumple);
        break;
    }
    case PrinterPart::Plain:
        break;
    }
    p.restore();
}

void drawBadge(QPainter &p, Sign sign, const QColor &colour)
{
    const QPointF c(268, 268);
    const double s = 68;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 6));
    p.setBrush(colour);
    if (sign == Sign::Warning) {
        p.drawPolygon(QPolygonF({QPointF(c.x(), c.y() - 78), QPointF(c.x() + 80, c.y() + 62),
                                 QPointF(c.x() - 80, c.y() + 62)}));
        exclamation(p, QPointF(c.x(), c.y() + 6), s, Qt::white);
        return;
    }
    p.drawEllipse(c, s, s);
    QPen stroke(Qt::white, 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setBrush(Qt::NoBrush);
    switch (sign) {
    case Sign::Check:
        p.setPen(stroke);
        p.drawPolyline(QPolygonF({QPointF(c.x() - 32, c.y() + 2), QPointF(c.x() - 8, c.y() + 28),
                                  QPointF(c.x() + 34, c.y() - 24)}));
        break;
    case Sign::DownArrow:
        p.setPen(stroke);
        p.drawLine(QPointF(c.x(), c.y() - 36), QPointF(c.x(), c.y() + 32));
        p.drawPolyline(QPolygonF({QPointF(c.x() - 26, c.y() + 8), QPointF(c.x(), c.y() + 34),
                                  QPointF(c.x() + 26, c.y() + 8)}));
        break;
    case Sign::Snowflake:
        p.setPen(QPen(Qt::white, 7, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 3; ++i) {
            p.save();
            p.translate(c);
            p.rotate(60 * i);
            p.drawLine(QPointF(0, -44), QPointF(0, 44));
            for (int end : {-1, 1}) {
                p.drawLine(QPointF(0, end * 28), QPointF(-12, end * 40));
                p.drawLine(QPointF(0, end * 28), QPointF(12, end * 40));
            }
            p.restore();
        }
        break;
    case Sign::Exclamation:
        exclamation(p, c, s, Qt::white);
        break;
    case Sign::Cross:
        p.setPen(stroke);
        p.drawLine(QPointF(c.x() - 28, c.y() - 28), QPointF(c.x() + 28, c.y() + 28));
        p.drawLine(QPointF(c.x() + 28, c.y() - 28), QPointF(c.x() - 28, c.y() + 28));
        break;
    case Sign::NoSheet:
        sheetGlyph(p, c, s);
        slash(p, c, s, colour);
        break;
    case Sign::NoRibbon:
        spoolGlyph(p, c, s);
        slash(p, c, s, colour);
        break;
    case Sign::Jam:
        p.setPen(QPen(Qt::white, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(c.x() - 40, c.y() + 10), QPointF(c.x() - 22, c.y() - 20),
                                  QPointF(c.x() - 4, c.y() + 20), QPointF(c.x() + 14, c.y() - 20),
                                  QPointF(c.x() + 40, c.y() + 10)}));
        break;
    case Sign::RibbonFault:
        spoolGlyph(p, QPointF(c.x(), c.y() - 16), s);
        exclamation(p, QPointF(c.x(), c.y() + 26), s * 0.45, Qt::white);
        break;
    case Sign::SheetSize:
        sheetGlyph(p, c, s);
        p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(c.x() - 44, c.y()), QPointF(c.x() + 44, c.y()));
        p.drawPolyline(QPolygonF({QPointF(c.x() - 34, c.y() - 9), QPointF(c.x() - 44, c.y()),
                                  QPointF(c.x() - 34, c.y() + 9)}));
        p.drawPolyline(QPolygonF({QPointF(c.x() + 34, c.y() - 9), QPointF(c.x() + 44, c.y()),
                                  QPointF(c.x() + 34, c.y() + 9)}));
        break;
    case Sign::Unplugged:
        p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(c.x() - 22, c.y() - 10, 44, 30), 6, 6);
        p.drawLine(QPointF(c.x() - 10, c.y() - 10), QPointF(c.x() - 10, c.y() - 30));
        p.drawLine(QPointF(c.x() + 10, c.y() - 10), QPointF(c.x() + 10, c.y() - 30));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(c.x(), c.y() + 20), QPointF(c.x(), c.y() + 44));
        slash(p, c, s, colour);
        break;
    case Sign::Warning:
        break;
    }
}
