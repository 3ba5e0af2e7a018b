// One pane of the trend window, painted by itself: a monitor's line, or the
// events as marks in rows, against a time axis whose plot area keeps fixed
// insets, so the panes stacked above each other line up in time however wide
// their value labels are. It draws the reduced points as one polyline and
// lays nothing out when they change: a chart library that lays out its axes
// and strokes its series afresh on every change took about 30 ms for the
// window's six panes. The wheel and a dragged band choose time.
#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QRubberBand>
#include <QStaticText>
#include <QWidget>
#include <vector>

#include "records/trend_ticks.h"

namespace zov::records {

class TrendPane : public QWidget {
    Q_OBJECT
public:
    struct Mark {
        double atMs;  // since the epoch
        int row;      // 0 at the bottom
        QColor colour;
        bool square;
        std::size_t id;  // the caller's, told back when hovered
    };

    // `title` runs up the left edge; `timeLabels`: the bottom pane shows the
    // times, the others only their grid lines.
    TrendPane(const QString& title, bool timeLabels, QWidget* parent = nullptr);

    // A line through `points` (x milliseconds since the epoch, y the value).
    void setLine(QList<QPointF> points, const QColor& colour);
    void setValueScale(const ValueScale& scale);
    // Rows of marks instead of a value axis, captions from the bottom up.
    void setRows(const QStringList& captions);
    // Drawn in this order: a later mark covers an earlier one.
    void setMarks(std::vector<Mark> marks);
    // Shows [fromMs, toMs] (since the epoch) with its ticks, without
    // announcing a choice.
    void showTimeRange(double fromMs, double toMs, const TimeTicks& ticks);

    [[nodiscard]] const QList<QPointF>& points() const { return points_; }
    [[nodiscard]] const ValueScale& valueScale() const { return scale_; }
    [[nodiscard]] const TimeTicks& timeTicks() const { return ticks_; }
    [[nodiscard]] const std::vector<Mark>& marks() const { return marks_; }
    // Pixel columns of the plot: the most points a line can show apart.
    [[nodiscard]] int plotColumns() const { return plotArea().width(); }

signals:
    // The line was given new points (at most once a redraw).
    void lineReplaced();
    // The operator turned the wheel (factor < 1 zooms in) at a time.
    void wheelZoom(double atMs, double factor);
    // The operator dragged a band over the plot (or clicked right to go back).
    void timeRangeChosen(double fromMs, double toMs);
    // The pointer rests on a mark; `at` is where to show what it is.
    void markHovered(std::size_t id, const QPoint& at);

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    [[nodiscard]] QRect plotArea() const;
    [[nodiscard]] double xOf(double ms) const;
    [[nodiscard]] double msAt(double x) const;
    [[nodiscard]] double yOf(double value) const;
    [[nodiscard]] double rowY(int row) const;
    void paintGrid(QPainter& painter, const QRect& area) const;
    void paintLine(QPainter& painter, const QRect& area) const;
    void paintMarks(QPainter& painter) const;
    [[nodiscard]] const QStaticText& text(const QString& shown) const;

    struct Title {
        QFont font;
        QStaticText text;
    } title_;
    bool timeLabels_;
    double fromMs_ = 0;
    double toMs_ = 1;
    TimeTicks ticks_;
    ValueScale scale_{0, 1, 0.25, 5, 2};
    QList<QPointF> points_;
    QColor colour_;
    QStringList rows_;
    std::vector<Mark> marks_;
    QRubberBand* band_;
    int bandStart_ = -1;
    mutable QHash<QString, QStaticText> texts_;  // labels as laid out, a few dozen at most
};

}  // namespace zov::records
