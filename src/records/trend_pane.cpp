#include "trend_pane.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace zov::records {
namespace {

// Room for the title and the value labels on the left.
constexpr int kLeftInset = 92;
constexpr int kRightInset = 16;
constexpr int kTopInset = 8;
constexpr int kBottomInset = 8;
constexpr int kTimeLabelsInset = 34;
constexpr int kMarkSize = 9;
constexpr int kHoverReach = 6;  // pixels from a mark's centre
constexpr qsizetype kTextsKept = 64;
const QColor kGrid(0xe0, 0xe0, 0xe0);
const QColor kFrame(0xb0, 0xb0, 0xb0);

}  // namespace

TrendPane::TrendPane(const QString& title, bool timeLabels, QWidget* parent)
    : QWidget(parent),
      timeLabels_(timeLabels),
      band_(new QRubberBand(QRubberBand::Rectangle, this)) {
    setMinimumHeight(timeLabels ? 110 : 80);
    setAttribute(Qt::WA_OpaquePaintEvent);
    title_.font = font();
    title_.font.setPointSizeF(title_.font.pointSizeF() * 0.85);
    title_.text.setText(title);
    title_.text.setTextFormat(Qt::PlainText);
}

void TrendPane::setLine(QList<QPointF> points, const QColor& colour) {
    points_ = std::move(points);
    colour_ = colour;
    emit lineReplaced();
    update();
}

void TrendPane::setValueScale(const ValueScale& scale) {
    scale_ = scale;
    update();
}

void TrendPane::setRows(const QStringList& captions) {
    rows_ = captions;
    update();
}

void TrendPane::setMarks(std::vector<Mark> marks) {
    marks_ = std::move(marks);
    update();
}

void TrendPane::showTimeRange(double fromMs, double toMs, const TimeTicks& ticks) {
    fromMs_ = fromMs;
    toMs_ = std::max(toMs, fromMs + 1);
    ticks_ = ticks;
    update();
}

QRect TrendPane::plotArea() const {
    const int bottom = timeLabels_ ? kTimeLabelsInset : kBottomInset;
    return {kLeftInset, kTopInset, std::max(1, width() - kLeftInset - kRightInset),
            std::max(1, height() - kTopInset - bottom)};
}

double TrendPane::xOf(double ms) const {
    const QRect area = plotArea();
    return area.left() + (ms - fromMs_) / (toMs_ - fromMs_) * area.width();
}

double TrendPane::msAt(double x) const {
    const QRect area = plotArea();
    return fromMs_ + (x - area.left()) / area.width() * (toMs_ - fromMs_);
}

double TrendPane::yOf(double value) const {
    const QRect area = plotArea();
    return area.top() + area.height() -
           (value - scale_.min) / (scale_.max - scale_.min) * area.height();
}

double TrendPane::rowY(int row) const {
    const QRect area = plotArea();
    const auto rows = double(std::max<qsizetype>(rows_.size(), 1));
    return area.top() + area.height() - (row + 0.6) / (rows + 0.2) * area.height();
}

void TrendPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const QRect area = plotArea();
    painter.fillRect(area, Qt::white);
    paintGrid(painter, area);
    painter.setClipRect(area);
    if (rows_.isEmpty()) {
        paintLine(painter, area);
    } else {
        paintMarks(painter);
    }
    painter.setClipping(false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(kFrame);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

const QStaticText& TrendPane::text(const QString& shown) const {
    // The few labels a pane shows come back redraw after redraw: laid out
    // once, not shaped afresh twice a second.
    if (texts_.size() > kTextsKept) {
        texts_.clear();
    }
    auto found = texts_.find(shown);
    if (found == texts_.end()) {
        found = texts_.insert(shown, QStaticText(shown));
        found->setTextFormat(Qt::PlainText);
        found->prepare(QTransform(), font());
    }
    return *found;
}

void TrendPane::paintGrid(QPainter& painter, const QRect& area) const {
    for (std::size_t i = 0; i < ticks_.wallMs.size(); ++i) {
        const int x = int(std::lround(xOf(double(ticks_.wallMs[i]))));
        painter.setPen(kGrid);
        painter.drawLine(x, area.top(), x, area.bottom());
        if (timeLabels_) {
            painter.setPen(palette().color(QPalette::WindowText));
            const QStaticText& label = text(ticks_.labels.at(qsizetype(i)));
            // Centred under its tick, but never cut by the pane's edge.
            const double left =
                std::clamp(x - label.size().width() / 2, 0.0, width() - label.size().width());
            painter.drawStaticText(QPointF(left, area.bottom() + 4), label);
        }
    }
    const auto label = [&](double y, const QString& shown) {
        painter.setPen(palette().color(QPalette::WindowText));
        const QStaticText& label = text(shown);
        painter.drawStaticText(
            QPointF(area.left() - 5 - label.size().width(), y - label.size().height() / 2), label);
    };
    if (!rows_.isEmpty()) {
        for (int row = 0; row < rows_.size(); ++row) {
            label(rowY(row), rows_.at(row));
        }
    } else {
        for (int i = 0; i < scale_.ticks; ++i) {
            const double value = scale_.min + i * scale_.step;
            const int y = int(std::lround(yOf(value)));
            painter.setPen(kGrid);
            painter.drawLine(area.left(), y, area.right(), y);
            label(y, QString::number(value, 'f', scale_.decimals));
        }
    }
    // The title runs up the left edge, as an axis title does.
    painter.save();
    painter.setFont(title_.font);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.translate(4, area.center().y());
    painter.rotate(-90);
    painter.drawStaticText(QPointF(-title_.text.size().width() / 2, 0), title_.text);
    painter.restore();
}

void TrendPane::paintLine(QPainter& painter, const QRect& area) const {
    if (points_.isEmpty()) {
        return;
    }
    QPolygonF line;
    line.reserve(points_.size());
    const double xScale = area.width() / (toMs_ - fromMs_);
    const double yScale = area.height() / (scale_.max - scale_.min);
    const double bottom = area.top() + area.height();
    for (const QPointF& p : points_) {
        line.append(QPointF(area.left() + (p.x() - fromMs_) * xScale,
                            bottom - (p.y() - scale_.min) * yScale));
    }
    painter.setPen(QPen(colour_, 1));
    if (line.size() == 1) {
        painter.drawPoint(line.first());
    } else {
        painter.drawPolyline(line);
    }
}

void TrendPane::paintMarks(QPainter& painter) const {
    const QRectF shape(-kMarkSize / 2.0, -kMarkSize / 2.0, kMarkSize, kMarkSize);
    for (const Mark& mark : marks_) {
        painter.setPen(mark.colour.darker(130));
        painter.setBrush(mark.colour);
        const QRectF at = shape.translated(xOf(mark.atMs), rowY(mark.row));
        if (mark.square) {
            painter.drawRect(at);
        } else {
            painter.drawEllipse(at);
        }
    }
}

bool TrendPane::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    const QPoint at = static_cast<QHelpEvent*>(event)->pos();
    // The mark drawn last is the one on top.
    const auto hit = std::find_if(marks_.rbegin(), marks_.rend(), [&](const Mark& mark) {
        return std::abs(xOf(mark.atMs) - at.x()) <= kHoverReach &&
               std::abs(rowY(mark.row) - at.y()) <= kHoverReach;
    });
    if (hit == marks_.rend()) {
        QToolTip::hideText();
    } else {
        emit markHovered(hit->id, static_cast<QHelpEvent*>(event)->globalPos());
    }
    return true;
}

void TrendPane::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0) {
        event->ignore();
        return;
    }
    emit wheelZoom(msAt(event->position().x()), steps > 0 ? 0.8 : 1.25);
    event->accept();
}

void TrendPane::mousePressEvent(QMouseEvent* event) {
    const QRect area = plotArea();
    const int x = int(event->position().x());
    if (event->button() == Qt::RightButton) {
        const double middle = (fromMs_ + toMs_) / 2;
        const double span = toMs_ - fromMs_;
        emit timeRangeChosen(middle - span, middle + span);
    } else if (event->button() == Qt::LeftButton && area.contains(event->position().toPoint())) {
        bandStart_ = x;
        band_->setGeometry(QRect(x, area.top(), 1, area.height()));
        band_->show();
    }
}

void TrendPane::mouseMoveEvent(QMouseEvent* event) {
    if (bandStart_ >= 0) {
        const QRect area = plotArea();
        const int x = std::clamp(int(event->position().x()), area.left(), area.right());
        band_->setGeometry(QRect(std::min(x, bandStart_), area.top(), std::abs(x - bandStart_) + 1,
                                 area.height()));
    }
}

void TrendPane::mouseReleaseEvent(QMouseEvent*) {
    if (bandStart_ < 0) {
        return;
    }
    const QRect band = band_->geometry();
    band_->hide();
    bandStart_ = -1;
    if (band.width() > 3) {
        emit timeRangeChosen(msAt(band.left()), msAt(band.right()));
    }
}

}  // namespace zov::records
