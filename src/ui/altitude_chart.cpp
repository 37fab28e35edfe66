#include "ui/altitude_chart.h"

#include <algorithm>
#include <cmath>

#include <QChart>
#include <QChartView>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QScopeGuard>
#include <QValueAxis>
#include <QVBoxLayout>

namespace kestrova::ui {

namespace {

const QColor kPointColor(Qt::red);
constexpr qreal kMarkerSize = 5;  // the radius the series draws its points with

}  // namespace

struct AltitudeChart::Parts {
    QChart* chart = nullptr;
    QChartView* view = nullptr;
    QValueAxis* x = nullptr;
    QValueAxis* y = nullptr;
    QList<QLineSeries*> series;
    // The point labels are placed here rather than by the series, which
    // would put them under its own markers.
    QList<QList<QGraphicsSimpleTextItem*>> labels;

    void PlaceLabels() {
        for (qsizetype s = 0; s < series.size(); ++s) {
            const QList<QPointF> points = series[s]->points();
            for (qsizetype i = 0; i < points.size(); ++i) {
                QGraphicsSimpleTextItem* label = labels[s][i];
                const QPointF at = chart->mapToPosition(points[i], series[s]);
                const QRectF box = label->boundingRect();
                label->setPos(at.x() - box.width() / 2, at.y() - box.height() - kMarkerSize - 2);
            }
        }
    }
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

    QObject::connect(parts_->chart, &QChart::plotAreaChanged, this, [this] { parts_->PlaceLabels(); });
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
    series->setMarkerSize(kMarkerSize);
    QList<QGraphicsSimpleTextItem*> labels;
    for (size_t i = 0; i < altitudes.size(); ++i) {
        series->append(static_cast<qreal>(i), altitudes[i]);
        auto* label = new QGraphicsSimpleTextItem(QString::number(i), parts_->chart);
        label->setZValue(100);  // over the lines and markers
        labels.append(label);
    }
    parts_->chart->addSeries(series);
    series->attachAxis(parts_->x);
    series->attachAxis(parts_->y);
    parts_->series.append(series);
    parts_->labels.append(labels);
    // Labels are placed once the new ranges are set.
    const auto placeLabels = qScopeGuard([this] { parts_->PlaceLabels(); });

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
    QStringList texts;
    for (const QGraphicsSimpleTextItem* label : parts_->labels.at(series))
        if (label->isVisible()) texts << label->text();
    return texts;
}

QList<QPointF> AltitudeChart::SeriesLabelOffsets(int series) const {
    QList<QPointF> offsets;
    const QList<QPointF> points = parts_->series.at(series)->points();
    for (qsizetype i = 0; i < points.size(); ++i) {
        const QGraphicsSimpleTextItem* label = parts_->labels.at(series).at(i);
        const QPointF centre = label->mapToParent(label->boundingRect().center());
        offsets << centre - parts_->chart->mapToPosition(points[i], parts_->series.at(series));
    }
    return offsets;
}

QColor AltitudeChart::SeriesColor(int series) const { return parts_->series.at(series)->color(); }

QString AltitudeChart::XAxisTitle() const { return parts_->x->titleText(); }
QString AltitudeChart::YAxisTitle() const { return parts_->y->titleText(); }
QPointF AltitudeChart::XRange() const { return {parts_->x->min(), parts_->x->max()}; }
QPointF AltitudeChart::YRange() const { return {parts_->y->min(), parts_->y->max()}; }

}  // namespace kestrova::ui
