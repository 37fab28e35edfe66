#include "ui/altitude_chart.h"

#include <algorithm>
#include <cmath>

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>
#include <QVBoxLayout>

namespace kestrova::ui {

namespace {

// With the x value being the point's index, the x value is the label.
const QString kLabelFormat = QStringLiteral("@xPoint");
const QColor kPointColor(Qt::red);

}  // namespace

struct AltitudeChart::Parts {
    QChart* chart = nullptr;
    QChartView* view = nullptr;
    QValueAxis* x = nullptr;
    QValueAxis* y = nullptr;
    QList<QLineSeries*> series;
};

AltitudeChart::AltitudeChart(QWidget* parent) : QWidget(parent), parts_(std::make_unique<Parts>()) {
    parts_->chart = new QChart;
    parts_->chart->setTitle(QStringLiteral("Altitudes"));
    QFont titleFont = parts_->chart->titleFont();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    parts_->chart->setTitleFont(titleFont);
    parts_->chart->legend()->hide();
    parts_->chart->setAnimationOptions(QChart::NoAnimation);

    parts_->x = new QValueAxis;
    parts_->x->setTitleText(QStringLiteral("Checkpoint"));
    parts_->x->setLabelFormat(QStringLiteral("%.0f"));
    parts_->x->setTickType(QValueAxis::TicksDynamic);
    parts_->x->setTickAnchor(0);
    parts_->x->setTickInterval(1);
    parts_->y = new QValueAxis;
    parts_->y->setTitleText(QStringLiteral("Altitude (ft)"));
    parts_->y->setLabelFormat(QStringLiteral("%.0f"));
    parts_->chart->addAxis(parts_->x, Qt::AlignBottom);
    parts_->chart->addAxis(parts_->y, Qt::AlignLeft);
    parts_->x->setRange(0, 1);
    parts_->y->setRange(0, 1000);

    parts_->view = new QChartView(parts_->chart, this);
    parts_->view->setRenderHint(QPainter::Antialiasing);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(parts_->view);
}

AltitudeChart::~AltitudeChart() = default;

QString AltitudeChart::Title() const { return parts_->chart->title(); }

void AltitudeChart::AddSeries(const std::vector<int32_t>& altitudes) {
    auto* series = new QLineSeries;
    QPen pen(kPointColor);
    pen.setWidthF(2);
    series->setPen(pen);
    series->setColor(kPointColor);
    series->setPointsVisible(true);
    series->setMarkerSize(7);
    series->setPointLabelsFormat(kLabelFormat);
    series->setPointLabelsVisible(true);
    series->setPointLabelsClipping(false);
    for (size_t i = 0; i < altitudes.size(); ++i) series->append(static_cast<qreal>(i), altitudes[i]);
    parts_->chart->addSeries(series);
    series->attachAxis(parts_->x);
    series->attachAxis(parts_->y);
    parts_->series.append(series);

    // One range over every series, with room above the top point for its label.
    int count = 0;
    qreal low = 0, high = 0;
    bool any = false;
    for (const QLineSeries* s : parts_->series) {
        count = std::max(count, s->count());
        for (const QPointF& p : s->points()) {
            low = any ? std::min(low, p.y()) : p.y();
            high = any ? std::max(high, p.y()) : p.y();
            any = true;
        }
    }
    const qreal last = count > 1 ? static_cast<qreal>(count - 1) : 1;
    parts_->x->setRange(-0.3, last + 0.3);
    parts_->x->setTickInterval(std::max(1.0, std::ceil(last / 12)));
    if (!any) {
        parts_->y->setRange(0, 1000);
        return;
    }
    low = std::min<qreal>(low, 0);
    const qreal span = std::max<qreal>(high - low, 100);
    parts_->y->setRange(low, high + span * 0.12);
    parts_->y->applyNiceNumbers();
}

int AltitudeChart::SeriesCount() const { return static_cast<int>(parts_->series.size()); }

QList<QPointF> AltitudeChart::SeriesPoints(int series) const { return parts_->series.at(series)->points(); }

QStringList AltitudeChart::SeriesLabels(int series) const {
    const QLineSeries* s = parts_->series.at(series);
    QStringList labels;
    if (!s->pointLabelsVisible()) return labels;
    // The chart fills the tags with the point's numbers in this form.
    for (const QPointF& p : s->points())
        labels << QString(s->pointLabelsFormat())
                      .replace(QLatin1String("@xPoint"), QString::number(p.x(), 'g', 6))
                      .replace(QLatin1String("@yPoint"), QString::number(p.y(), 'g', 6));
    return labels;
}

QColor AltitudeChart::SeriesColor(int series) const { return parts_->series.at(series)->color(); }

QString AltitudeChart::XAxisTitle() const { return parts_->x->titleText(); }
QString AltitudeChart::YAxisTitle() const { return parts_->y->titleText(); }
QPointF AltitudeChart::XRange() const { return {parts_->x->min(), parts_->x->max()}; }
QPointF AltitudeChart::YRange() const { return {parts_->y->min(), parts_->y->max()}; }

}  // namespace kestrova::ui
