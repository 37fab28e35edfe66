#include "ui/tfoverview.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "ui/icons.h"

namespace kestrova::ui {

TFOverView::TFOverView(QWidget* area) : Screen(QString(), area) {}

QString TFOverView::BannerText() { return QStringLiteral("A new integrated Flight Simulator log Reporter"); }

void TFOverView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(232, 240, 250));
    sky.setColorAt(1, QColor(170, 195, 225));
    p.fillRect(rect(), sky);

    // The decorative area: rows of small tiles, every other row shifted.
    const QPixmap tile = DrawnIcon(IconKind::Application).pixmap(28, 28);
    const int top = 110;
    p.setOpacity(0.35);
    for (int row = 0, y = top; y < height(); ++row, y += 44)
        for (int x = (row % 2) * 30 - 10; x < width(); x += 60) p.drawPixmap(x, y, tile);
    p.setOpacity(1.0);

    // The banner: a ribbon with folded ends across the top.
    const QRectF band(24, 26, width() - 48, 54);
    QPainterPath ribbon;
    ribbon.moveTo(band.left() - 14, band.top() + 10);
    ribbon.lineTo(band.right() + 14, band.top() + 10);
    ribbon.lineTo(band.right() + 2, band.center().y() + 5);
    ribbon.lineTo(band.right() + 14, band.bottom() + 10);
    ribbon.lineTo(band.left() - 14, band.bottom() + 10);
    ribbon.lineTo(band.left() - 2, band.center().y() + 5);
    ribbon.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 60, 120));
    p.drawPath(ribbon);

    QLinearGradient face(0, band.top(), 0, band.bottom());
    face.setColorAt(0, QColor(70, 140, 220));
    face.setColorAt(1, QColor(25, 80, 160));
    p.setBrush(face);
    p.setPen(QPen(QColor(240, 200, 60), 2));
    p.drawRoundedRect(band, 8, 8);

    QFont font = this->font();
    font.setBold(true);
    font.setItalic(true);
    font.setPixelSize(17);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(band, Qt::AlignCenter | Qt::TextWordWrap, BannerText());
}

}  // namespace kestrova::ui
