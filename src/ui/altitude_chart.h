#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace kestrova::ui {

// The line chart of recorded altitudes: each series one red line of points
// at x = 0, 1, 2... labelled with their index, y in feet. Series pile up
// until the chart is destroyed. What draws it stays behind this class, so the
// drawing can change without touching the screens that use it.
class AltitudeChart : public QWidget {
    Q_OBJECT
public:
    explicit AltitudeChart(QWidget* parent = nullptr);
    ~AltitudeChart() override;

    QString Title() const;

    // Adds one series with a point per altitude, in order.
    void AddSeries(const std::vector<int32_t>& altitudes);

    int SeriesCount() const;
    QList<QPointF> SeriesPoints(int series) const;
    // The texts shown beside the points of a series.
    QStringList SeriesLabels(int series) const;
    // Where the label of each point stands: its centre less the point's place.
    QList<QPointF> SeriesLabelOffsets(int series) const;
    QColor SeriesColor(int series) const;

    QString XAxisTitle() const;
    QString YAxisTitle() const;
    // The ranges shown, low and high.
    QPointF XRange() const;
    QPointF YRange() const;

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace kestrova::ui
