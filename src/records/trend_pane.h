// One pane of the trend window: a chart with a time axis whose plot area keeps
// fixed insets, so the panes stacked above each other line up in time however
// wide their value labels are. The wheel and a dragged band choose time.
#pragma once

#include <QCategoryAxis>
#include <QChartView>

#include "records/trend_ticks.h"

namespace zov::records {

class TrendPane : public QChartView {
    Q_OBJECT
public:
    // `timeLabels`: the bottom pane shows the times, the others its grid.
    TrendPane(QAbstractAxis* valueAxis, bool timeLabels, QWidget* parent = nullptr);

    // Milliseconds since the epoch, with a grid line (and on the bottom pane
    // a label) at each round tick.
    QCategoryAxis& timeAxis() { return *timeAxis_; }
    // Shows [fromMs, toMs] (since the epoch) with its ticks, without
    // announcing a choice.
    void showTimeRange(double fromMs, double toMs, const TimeTicks& ticks);
    // Pixel columns of the plot: the most points a line can show apart.
    [[nodiscard]] int plotColumns() const;
    // Keeps the plot at the fixed insets of the pane's present size.
    void placePlotArea();

signals:
    // The operator turned the wheel (factor < 1 zooms in) at a time.
    void wheelZoom(double atMs, double factor);
    // The operator dragged a band over the plot (or clicked right to go back).
    void timeRangeChosen(double fromMs, double toMs);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QCategoryAxis* timeAxis_;
    std::vector<std::int64_t> tickTimes_;  // as the axis holds them
    bool timeLabels_;
    bool showing_ = false;
};

}  // namespace zov::records
