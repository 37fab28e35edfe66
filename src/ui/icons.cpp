#include "ui/icons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kestrova::ui {

namespace {

constexpr int kSize = kIconDrawingSize;

QPainterPath Airplane(QPointF centre, qreal span) {
    const qreal s = span / 2;
    QPainterPath p;
    // Nose up: fuselage, swept wings, tailplane.
    p.moveTo(centre.x(), centre.y() - s);
    p.cubicTo(centre.x() + s * 0.10, centre.y() - s * 0.9, centre.x() + s * 0.10, centre.y() - s * 0.5,
              centre.x() + s * 0.10, centre.y() - s * 0.25);
    p.lineTo(centre.x() + s, centre.y() + s * 0.15);
    p.lineTo(centre.x() + s, centre.y() + s * 0.32);
    p.lineTo(centre.x() + s * 0.10, centre.y() + s * 0.10);
    p.lineTo(centre.x() + s * 0.08, centre.y() + s * 0.65);
    p.lineTo(centre.x() + s * 0.40, centre.y() + s * 0.88);
    p.lineTo(centre.x() + s * 0.40, centre.y() + s);
    p.lineTo(centre.x(), centre.y() + s * 0.90);
    p.lineTo(centre.x() - s * 0.40, centre.y() + s);
    p.lineTo(centre.x() - s * 0.40, centre.y() + s * 0.88);
    p.lineTo(centre.x() - s * 0.08, centre.y() + s * 0.65);
    p.lineTo(centre.x() - s * 0.10, centre.y() + s * 0.10);
    p.lineTo(centre.x() - s, centre.y() + s * 0.32);
    p.lineTo(centre.x() - s, centre.y() + s * 0.15);
    p.lineTo(centre.x() - s * 0.10, centre.y() - s * 0.25);
    p.cubicTo(centre.x() - s * 0.10, centre.y() - s * 0.5, centre.x() - s * 0.10, centre.y() - s * 0.9,
              centre.x(), centre.y() - s);
    p.closeSubpath();
    return p;
}

void Tile(QPainter& p, QColor top, QColor bottom) {
    QLinearGradient g(0, 0, 0, kSize);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(bottom.darker(130), 1.5));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(3, 3, kSize - 6, kSize - 6), 12, 12);
}

void Draw(QPainter& p, IconKind kind) {
    const QPen glyph(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const QPointF c(kSize / 2.0, kSize / 2.0);
    switch (kind) {
    case IconKind::Application:
        Tile(p, QColor(70, 150, 230), QColor(20, 70, 150));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(Airplane(c, 44));
        break;
    case IconKind::OverView:
        Tile(p, QColor(90, 190, 230), QColor(20, 110, 170));
        p.setPen(QPen(Qt::white, 3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 20, 20);
        p.drawEllipse(c, 9, 20);
        p.drawLine(QPointF(c.x() - 20, c.y()), QPointF(c.x() + 20, c.y()));
        p.drawLine(QPointF(c.x() - 17, c.y() - 10), QPointF(c.x() + 17, c.y() - 10));
        p.drawLine(QPointF(c.x() - 17, c.y() + 10), QPointF(c.x() + 17, c.y() + 10));
        break;
    case IconKind::Pilot:
        Tile(p, QColor(120, 200, 120), QColor(30, 120, 50));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(c.x(), 24), 9, 9);
        p.drawRoundedRect(QRectF(c.x() - 17, 36, 34, 20), 9, 9);
        // Cap peak.
        p.setBrush(QColor(30, 120, 50));
        p.drawRect(QRectF(c.x() - 10, 15, 20, 5));
        break;
    case IconKind::About:
        Tile(p, QColor(150, 150, 230), QColor(60, 60, 160));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(c.x(), 19), 5, 5);
        p.drawRoundedRect(QRectF(c.x() - 5, 28, 10, 24), 3, 3);
        p.drawRect(QRectF(c.x() - 10, 28, 10, 4));
        p.drawRect(QRectF(c.x() - 10, 48, 20, 4));
        break;
    case IconKind::OpenFlight:
        Tile(p, QColor(250, 200, 80), QColor(200, 120, 20));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(12, 20, 18, 10), 3, 3);
        p.drawRoundedRect(QRectF(12, 25, 40, 26), 3, 3);
        p.setBrush(QColor(200, 120, 20));
        p.drawPath(Airplane(QPointF(c.x(), 38), 18));
        break;
    case IconKind::ReviewFlight:
        Tile(p, QColor(240, 130, 110), QColor(170, 40, 30));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(15, 11, 28, 40));
        p.setPen(QPen(QColor(170, 40, 30), 2));
        for (int y = 19; y <= 43; y += 6) p.drawLine(19, y, 39, y);
        p.setPen(QPen(QColor(60, 60, 60), 5, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(34, 50), QPointF(52, 28));
        break;
    case IconKind::ConvertFlight:
        Tile(p, QColor(200, 130, 220), QColor(110, 40, 140));
        p.setPen(glyph);
        p.setBrush(Qt::NoBrush);
        p.drawLine(14, 24, 46, 24);
        p.drawLine(38, 16, 46, 24);
        p.drawLine(38, 32, 46, 24);
        p.drawLine(18, 42, 50, 42);
        p.drawLine(18, 42, 26, 34);
        p.drawLine(18, 42, 26, 50);
        break;
    case IconKind::DBFlights:
        Tile(p, QColor(160, 170, 185), QColor(70, 80, 100));
        p.setPen(QPen(QColor(70, 80, 100), 2));
        p.setBrush(Qt::white);
        for (int i = 2; i >= 0; --i) {
            const qreal y = 18 + i * 11;
            p.drawRect(QRectF(16, y, 32, 11));
            p.drawEllipse(QRectF(16, y + 6, 32, 10));
        }
        p.drawEllipse(QRectF(16, 12, 32, 12));
        break;
    case IconKind::Connection:
        Tile(p, QColor(90, 210, 200), QColor(20, 120, 120));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(20, 24, 24, 18), 4, 4);
        p.drawRect(QRectF(25, 13, 4, 12));
        p.drawRect(QRectF(35, 13, 4, 12));
        p.setPen(glyph);
        p.setBrush(Qt::NoBrush);
        p.drawLine(32, 42, 32, 54);
        break;
    }
}

}  // namespace

void PaintIcon(QPainter& painter, IconKind kind) { Draw(painter, kind); }

QIcon DrawnIcon(IconKind kind) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Draw(painter, kind);
    painter.end();
    return QIcon(pixmap);
}

}  // namespace kestrova::ui
