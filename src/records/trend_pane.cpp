#include "trend_pane.h"

#include <QGraphicsLayout>
#include <QWheelEvent>
#include <algorithm>

namespace zov::records {
namespace {

// Room for a value axis' title and labels on the left.
constexpr int kLeftInset = 92;
constexpr int kRightInset = 16;
constexpr int kTopInset = 8;
constexpr int kBottomInset = 8;
constexpr int kTimeLabelsInset = 34;

}  // namespace

TrendPane::TrendPane(QAbstractAxis* valueAxis, bool timeLabels, QWidget* parent)
    : QChartView(new QChart, parent), timeAxis_(new QCategoryAxis), timeLabels_(timeLabels) {
    QChart* c = chart();
    c->legend()->hide();
    c->setMargins(QMargins(0, 0, 0, 0));
    c->setBackgroundRoundness(0);
    c->layout()->setContentsMargins(0, 0, 0, 0);
    timeAxis_->setLabelsVisible(timeLabels);
    timeAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    c->addAxis(timeAxis_, Qt::AlignBottom);
    c->addAxis(valueAxis, Qt::AlignLeft);
    setRenderHint(QPainter::Antialiasing, false);
    setRubberBand(QChartView::HorizontalRubberBand);
    setMinimumHeight(timeLabels ? 110 : 80);
    connect(timeAxis_, &QValueAxis::rangeChanged, this, [this](qreal from, qreal to) {
        if (!showing_) {
            emit timeRangeChosen(from, to);
        }
    });
}

void TrendPane::showTimeRange(double fromMs, double toMs, const TimeTicks& ticks) {
    showing_ = true;
    timeAxis_->setRange(fromMs, toMs);
    // The same labels may stand a day apart: the times decide.
    if (tickTimes_ != ticks.wallMs) {
        tickTimes_ = ticks.wallMs;
        for (const QString& label : timeAxis_->categoriesLabels()) {
            timeAxis_->remove(label);
        }
        for (std::size_t i = 0; i < ticks.wallMs.size(); ++i) {
            timeAxis_->append(ticks.labels.at(qsizetype(i)), double(ticks.wallMs[i]));
        }
    }
    timeAxis_->setStartValue(fromMs);
    showing_ = false;
}

int TrendPane::plotColumns() const {
    return std::max(1, int(chart()->plotArea().width()));
}

void TrendPane::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    placePlotArea();
}

void TrendPane::placePlotArea() {
    const QSizeF size = chart()->size();
    const double bottom = timeLabels_ ? kTimeLabelsInset : kBottomInset;
    const QRectF area(kLeftInset, kTopInset, std::max(1.0, size.width() - kLeftInset - kRightInset),
                      std::max(1.0, size.height() - kTopInset - bottom));
    // Set on every redraw, not only when it moved: the value axis takes the
    // room for its labels from this, and new labels would be elided otherwise.
    chart()->setPlotArea(area);
}

void TrendPane::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0) {
        event->ignore();
        return;
    }
    const QPointF at =
        chart()->mapToValue(chart()->mapFromScene(mapToScene(event->position().toPoint())));
    emit wheelZoom(at.x(), steps > 0 ? 0.8 : 1.25);
    event->accept();
}

}  // namespace zov::records
