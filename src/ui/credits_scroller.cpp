#include "ui/credits_scroller.h"

#include <QPainter>

namespace kestrova::ui {

CreditsScroller::CreditsScroller(QStringList lines, QWidget* parent) : QWidget(parent), lines_(std::move(lines)) {
    timer_.setInterval(25);
    connect(&timer_, &QTimer::timeout, this, &CreditsScroller::Step);
}

void CreditsScroller::Restart() {
    offset_ = 0;
    timer_.start();
    update();
}

void CreditsScroller::Stop() { timer_.stop(); }

int CreditsScroller::LineHeight() const { return fontMetrics().height() + 4; }

void CreditsScroller::Step() {
    ++offset_;
    // Start over once the text has risen through the whole height.
    if (offset_ > height() + LineHeight() * static_cast<int>(lines_.size())) offset_ = 0;
    update();
}

void CreditsScroller::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient back(0, 0, 0, height());
    back.setColorAt(0, QColor(20, 40, 80));
    back.setColorAt(1, QColor(40, 80, 140));
    p.fillRect(rect(), back);
    const int lineHeight = LineHeight();
    int y = height() - offset_;
    for (int i = 0; i < lines_.size(); ++i, y += lineHeight) {
        QFont font = this->font();
        font.setBold(i == 0 || i == lines_.size() - 1);
        p.setFont(font);
        p.setPen(i == 0 ? QColor(250, 210, 80) : QColor(Qt::white));
        p.drawText(QRect(0, y, width(), lineHeight), Qt::AlignCenter, lines_[i]);
    }
}

}  // namespace kestrova::ui
