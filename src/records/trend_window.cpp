#include "trend_window.h"

#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QSignalBlocker>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrent>
#include <algorithm>
#include <cmath>
#include <memory>

#include "app/widgets/accessibility.h"
#include "records/record_lines.h"
#include "records/trend_pane.h"
#include "records/trend_ticks.h"

namespace zov::records {
namespace {

constexpr std::int64_t kMinSpanMs = 5 * 1000;
constexpr std::int64_t kMaxSpanMs = 25LL * 3600 * 1000;

struct SpanChoice {
    const char* caption;
    std::int64_t ms;
};
constexpr std::array<SpanChoice, 6> kSpans{{{"1 min", 60 * 1000},
                                            {"10 min", 10 * 60 * 1000},
                                            {"30 min", 30 * 60 * 1000},
                                            {"1 h", 3600 * 1000},
                                            {"4 h", 4 * 3600 * 1000},
                                            {"24 h", 24 * 3600 * 1000}}};

constexpr std::array<QRgb, kQuantities> kLineColours{
    {0x1f4e9c, 0xb3261e, 0xa86400, 0x2e7d32, 0x6a1b9a}};

struct LaneLook {
    int row;
    QRgb colour;
    bool square;
};
// In MarkerLane order; X-ray on and off share a row.
constexpr std::array<LaneLook, kMarkerLanes> kLanes{{
    {4, 0x2e7d32, true},
    {4, 0x9e9e9e, true},
    {3, 0xc62828, false},
    {2, 0xef6c00, false},
    {1, 0x6a1b9a, false},
    {0, 0x1565c0, false},
}};
// Marks drawn later cover earlier ones: "off" goes first, so an "on"
// sharing its pixels stays in sight.
constexpr std::array<MarkerLane, kMarkerLanes> kDrawOrder{{MarkerLane::XrayOff, MarkerLane::XrayOn,
                                                           MarkerLane::Fault, MarkerLane::Interlock,
                                                           MarkerLane::Arc, MarkerLane::Session}};

// A label needs about this much room along its axis.
constexpr int kTimeLabelPitch = 110;
constexpr int kValueLabelPitch = 24;

QPushButton* addButton(QHBoxLayout* row, const char* name, const QString& caption,
                       const QString& tip) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(tip);
    // Return in the span box must not press a button.
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

QCheckBox* addCheck(QHBoxLayout* row, const char* name, const QString& caption, bool checked) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    row->addWidget(box);
    return box;
}

}  // namespace

TrendWindow::TrendWindow(TrendStore& store, Services services, QWidget* parent)
    : QDialog(parent), store_(store), services_(std::move(services)) {
    setObjectName(QStringLiteral("frm_TRENDS"));
    setWindowTitle(QStringLiteral("Trends"));
    setAttribute(Qt::WA_DeleteOnClose);
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildControls());
    layout->addWidget(buildPlots(), 1);
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("lbl_STATUS"));
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(status_);
    resize(1100, 860);

    redrawTimer_.setSingleShot(true);
    connect(&redrawTimer_, &QTimer::timeout, this, &TrendWindow::redrawNow);
    connect(&store_, &TrendStore::appended, this, &TrendWindow::onAppended);
    connect(&csvWatcher_, &QFutureWatcher<CsvOutcome>::finished, this,
            [this] { onCsvDone(csvWatcher_.property("path").toString()); });
    app::applyProtocolNames(this);
}

QWidget* TrendWindow::buildControls() {
    auto* controls = new QWidget;
    auto* grid = new QVBoxLayout(controls);
    grid->setContentsMargins(0, 0, 0, 0);

    auto* quantities = new QHBoxLayout;
    for (int q = 0; q < kQuantities; ++q) {
        const Quantity& quantity = kTrendQuantities.at(q);
        shown_.at(q) = addCheck(
            quantities, qPrintable(QStringLiteral("chk_%1").arg(QLatin1String(quantity.variable))),
            QString::fromUtf8(quantity.title), true);
        connect(shown_.at(q), &QCheckBox::toggled, this, [this, q](bool on) {
            panes_.at(q)->setVisible(on);
            redrawTimer_.start(0);
        });
    }
    quantities->addStretch(1);
    autoscale_ = addCheck(quantities, "chk_AUTOSCALE", QStringLiteral("Autoscale"), true);
    autoscale_->setToolTip(QStringLiteral("Fit each value axis to the readings shown"));
    connect(autoscale_, &QCheckBox::toggled, this, [this] { redrawTimer_.start(0); });
    grid->addLayout(quantities);

    auto* navigation = new QHBoxLayout;
    auto* spanLabel = new QLabel(QStringLiteral("Span"));
    span_ = new QComboBox;
    span_->setObjectName(QStringLiteral("cmb_SPAN"));
    for (const SpanChoice& choice : kSpans) {
        span_->addItem(QLatin1String(choice.caption), QVariant::fromValue<qint64>(choice.ms));
    }
    span_->setCurrentIndex(1);
    spanLabel->setBuddy(span_);
    navigation->addWidget(spanLabel);
    navigation->addWidget(span_);
    connect(span_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        const std::int64_t end = visibleRange().second;
        spanMs_ = span_->itemData(index).toLongLong();
        endMs_ = end;
        rangeChanged();
    });
    connect(addButton(navigation, "btn_PANLEFT", QStringLiteral("\u25c0 Earlier"),
                      QStringLiteral("Move back by half the span")),
            &QPushButton::clicked, this, [this] { pan(-0.5); });
    connect(addButton(navigation, "btn_PANRIGHT", QStringLiteral("Later \u25b6"),
                      QStringLiteral("Move on by half the span")),
            &QPushButton::clicked, this, [this] { pan(0.5); });
    const auto middle = [this] {
        const auto range = visibleRange();
        return range.first + (range.second - range.first) / 2;
    };
    connect(addButton(navigation, "btn_ZOOMIN", QStringLiteral("Zoom In"),
                      QStringLiteral("Half the span (also the mouse wheel)")),
            &QPushButton::clicked, this, [this, middle] { zoom(0.5, middle()); });
    connect(addButton(navigation, "btn_ZOOMOUT", QStringLiteral("Zoom Out"),
                      QStringLiteral("Twice the span")),
            &QPushButton::clicked, this, [this, middle] { zoom(2.0, middle()); });
    connect(addButton(navigation, "btn_ALL", QStringLiteral("All"),
                      QStringLiteral("Everything kept since start-up")),
            &QPushButton::clicked, this, &TrendWindow::showAll);
    followBox_ = addCheck(navigation, "chk_FOLLOW", QStringLiteral("Follow"), true);
    followBox_->setToolTip(QStringLiteral("Keep the newest reading in view"));
    connect(followBox_, &QCheckBox::toggled, this, &TrendWindow::setFollowing);
    navigation->addStretch(1);
    connect(addButton(navigation, "btn_SAVEPNG", QStringLiteral("Save Picture..."),
                      QStringLiteral("The panes as a PNG image")),
            &QPushButton::clicked, this, &TrendWindow::savePicture);
    saveCsvButton_ = addButton(navigation, "btn_SAVECSV", QStringLiteral("Save CSV..."),
                               QStringLiteral("Every reading and event, one a line"));
    connect(saveCsvButton_, &QPushButton::clicked, this, &TrendWindow::saveCsv);
    csvVisibleOnly_ =
        addCheck(navigation, "chk_CSVVISIBLE", QStringLiteral("Shown span only"), true);
    grid->addLayout(navigation);
    return controls;
}

QWidget* TrendWindow::buildPlots() {
    plots_ = new QWidget;
    plots_->setObjectName(QStringLiteral("frm_PLOTS"));
    auto* stack = new QVBoxLayout(plots_);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    for (int q = 0; q < kQuantities; ++q) {
        const Quantity& quantity = kTrendQuantities.at(q);
        auto* pane = new TrendPane(QString::fromUtf8(quantity.title), false);
        pane->setObjectName(QStringLiteral("cht_%1").arg(QLatin1String(quantity.variable)));
        pane->setAccessibleName(
            QStringLiteral("%1 against time").arg(QLatin1String(quantity.caption)));
        pane->setValueScale(valueScale(0, 1, 4));
        panes_.at(q) = pane;
        stack->addWidget(pane, 2);
    }

    eventsPane_ = new TrendPane(QStringLiteral("Events"), true);
    eventsPane_->setObjectName(QStringLiteral("cht_EVENTS"));
    eventsPane_->setAccessibleName(QStringLiteral("Events against time"));
    eventsPane_->setRows({QStringLiteral("Session"), QStringLiteral("Arc"),
                          QStringLiteral("Interlock"), QStringLiteral("Fault"),
                          QStringLiteral("X-ray")});
    eventsPane_->setFixedHeight(150);
    connect(eventsPane_, &TrendPane::markHovered, this, &TrendWindow::showMarkerDetail);
    stack->addWidget(eventsPane_, 0);

    std::array<TrendPane*, kQuantities + 1> all{};
    std::copy(panes_.begin(), panes_.end(), all.begin());
    all.back() = eventsPane_;
    for (TrendPane* pane : all) {
        connect(pane, &TrendPane::wheelZoom, this, [this](double atMs, double factor) {
            zoom(factor, std::int64_t(atMs) - store_.wallClockMs(0));
        });
        connect(pane, &TrendPane::timeRangeChosen, this, [this](double fromMs, double toMs) {
            showRange(std::int64_t(fromMs) - store_.wallClockMs(0),
                      std::int64_t(toMs) - store_.wallClockMs(0));
        });
    }
    return plots_;
}

int TrendWindow::marksShown(MarkerLane lane) const {
    const MarkerLog& markers = store_.markers();
    const auto& marks = eventsPane_->marks();
    return int(std::count_if(marks.begin(), marks.end(), [&](const TrendPane::Mark& mark) {
        return mark.id < markers.size() && markers.at(mark.id).lane == lane;
    }));
}

QColor TrendWindow::laneColour(MarkerLane lane) {
    return QColor(kLanes.at(std::size_t(lane)).colour);
}

std::pair<std::int64_t, std::int64_t> TrendWindow::visibleRange() const {
    const std::int64_t end = follow_ ? store_.newestTime() : endMs_;
    return {end - spanMs_, end};
}

void TrendWindow::zoom(double factor, std::int64_t anchorMs) {
    const auto [from, to] = visibleRange();
    const auto span =
        std::clamp<std::int64_t>(std::int64_t(double(spanMs_) * factor), kMinSpanMs, kMaxSpanMs);
    // Following keeps the newest reading at the right edge; otherwise the
    // time under the cursor stays where it is.
    const double keep = to > from ? double(to - anchorMs) / double(to - from) : 0.0;
    endMs_ = follow_ ? to : anchorMs + std::int64_t(keep * double(span));
    spanMs_ = span;
    rangeChanged();
}

void TrendWindow::pan(double spans) {
    const std::int64_t end = visibleRange().second;
    markFollowing(false);
    endMs_ = end + std::int64_t(spans * double(spanMs_));
    rangeChanged();
}

void TrendWindow::showAll() {
    endMs_ = store_.newestTime();
    spanMs_ = std::clamp<std::int64_t>(endMs_ - store_.oldestTime(), kMinSpanMs, kMaxSpanMs);
    rangeChanged();
}

void TrendWindow::showRange(std::int64_t fromMs, std::int64_t toMs) {
    if (toMs - fromMs < kMinSpanMs) {
        toMs = fromMs + kMinSpanMs;
    }
    markFollowing(false);
    spanMs_ = std::min(toMs - fromMs, kMaxSpanMs);
    endMs_ = toMs;
    rangeChanged();
}

void TrendWindow::setFollowing(bool follow) {
    if (!follow && follow_) {
        endMs_ = visibleRange().second;
    }
    markFollowing(follow);
}

void TrendWindow::markFollowing(bool follow) {
    follow_ = follow;
    const QSignalBlocker quiet(followBox_);
    followBox_->setChecked(follow);
    redrawTimer_.start(0);
}

void TrendWindow::rangeChanged() {
    const auto preset = std::find_if(kSpans.begin(), kSpans.end(),
                                     [this](const SpanChoice& c) { return c.ms == spanMs_; });
    span_->setCurrentIndex(preset == kSpans.end() ? -1 : int(preset - kSpans.begin()));
    redrawTimer_.start(0);
}

void TrendWindow::onAppended() {
    if (isVisible() && !redrawTimer_.isActive()) {
        redrawTimer_.start(kRedrawMs);
    }
}

void TrendWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    redrawTimer_.start(0);
}

void TrendWindow::redrawNow() {
    redrawTimer_.stop();
    const auto [from, to] = visibleRange();
    const std::int64_t wallFrom = store_.wallClockMs(from);
    const std::int64_t wallTo = store_.wallClockMs(to);
    const TimeTicks ticks =
        timeTicks(wallFrom, wallTo, eventsPane_->plotColumns() / kTimeLabelPitch,
                  QDateTime::fromMSecsSinceEpoch(wallTo).offsetFromUtc());
    for (int q = 0; q < kQuantities; ++q) {
        panes_.at(q)->showTimeRange(double(wallFrom), double(wallTo), ticks);
        if (shown_.at(q)->isChecked()) {
            drawLine(q, from, to);
        }
    }
    eventsPane_->showTimeRange(double(wallFrom), double(wallTo), ticks);
    drawMarkers(from, to);

    std::size_t readings = 0;
    for (int q = 0; q < kQuantities; ++q) {
        readings += store_.series(q).size();
    }
    status_->setText(QStringLiteral("Showing %1 to %2  \u00b7  %3 readings and %4 events kept")
                         .arg(csvTimestamp(store_.wallClockMs(from)).left(19).replace('T', ' '),
                              csvTimestamp(store_.wallClockMs(to)).mid(11, 8))
                         .arg(readings)
                         .arg(store_.markers().size()));
}

void TrendWindow::drawLine(int quantity, std::int64_t fromMs, std::int64_t toMs) {
    TrendPane* pane = panes_.at(quantity);
    const std::vector<TrendPoint> points =
        store_.series(quantity).decimated(fromMs, toMs, pane->plotColumns());
    QList<QPointF> shown;
    shown.reserve(qsizetype(points.size()));
    float low = 0;
    float high = 0;
    bool any = false;
    for (const TrendPoint& p : points) {
        shown.append(QPointF(double(store_.wallClockMs(p.timeMs)), double(p.value)));
        if (p.timeMs >= fromMs && p.timeMs <= toMs) {
            low = any ? std::min(low, p.value) : p.value;
            high = any ? std::max(high, p.value) : p.value;
            any = true;
        }
    }
    pane->setLine(std::move(shown), QColor(kLineColours.at(quantity)));
    if (!autoscale_->isChecked() || !any) {
        return;
    }
    // A flat reading gets a band around it, so it sits mid-pane, not on an edge.
    const double pad = high > low ? (double(high) - double(low)) * 0.04
                                  : std::max(0.05, std::abs(double(high)) * 0.02);
    pane->setValueScale(valueScale(double(low) - pad, double(high) + pad,
                                   std::min(5, pane->height() / kValueLabelPitch)));
}

void TrendWindow::drawMarkers(std::int64_t fromMs, std::int64_t toMs) {
    const MarkerLog& markers = store_.markers();
    const int columns = eventsPane_->plotColumns() / 4;
    std::vector<TrendPane::Mark> marks;
    for (const MarkerLane lane : kDrawOrder) {
        const LaneLook& look = kLanes.at(std::size_t(lane));
        for (std::size_t i : markers.visible(lane, fromMs, toMs, columns)) {
            marks.push_back({double(store_.wallClockMs(markers.at(i).timeMs)), look.row,
                             QColor(look.colour), look.square, i});
        }
    }
    eventsPane_->setMarks(std::move(marks));
}

void TrendWindow::showMarkerDetail(std::size_t marker, const QPoint& at) {
    const MarkerLog& markers = store_.markers();
    if (marker >= markers.size()) {
        return;
    }
    const Marker& m = markers.at(marker);
    QToolTip::showText(at,
                       QStringLiteral("%1  %2: %3")
                           .arg(csvTimestamp(store_.wallClockMs(m.timeMs)).mid(11, 12),
                                eventName(m.kind), m.detail),
                       this);
}

QString TrendWindow::suggestedName(const char* extension) const {
    return QStringLiteral("zov-trends-%1.%2")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")),
             QLatin1String(extension));
}

void TrendWindow::savePicture() {
    const QString path =
        services_.chooseFile(QStringLiteral("Save Trend Picture"), suggestedName("png"),
                             QStringLiteral("PNG images (*.png)"));
    if (path.isEmpty()) {
        return;
    }
    QImageWriter writer(path, "png");
    if (!writer.write(plots_->grab().toImage())) {
        services_.report(QStringLiteral("The trend picture could not be saved to %1: %2")
                             .arg(path, writer.errorString()));
        return;
    }
    status_->setText(QStringLiteral("Picture saved to %1").arg(path));
}

void TrendWindow::saveCsv() {
    if (csvWatcher_.isRunning()) {
        return;
    }
    const QString path =
        services_.chooseFile(QStringLiteral("Save Trend Data"), suggestedName("csv"),
                             QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty()) {
        return;
    }
    const auto [from, to] = csvVisibleOnly_->isChecked()
                                ? visibleRange()
                                : std::pair{store_.oldestTime(), store_.newestTime()};
    auto snapshot = std::make_shared<const TrendSnapshot>(takeSnapshot(store_, from, to));
    saveCsvButton_->setEnabled(false);
    status_->setText(QStringLiteral("Saving to %1 ...").arg(path));
    csvWatcher_.setProperty("path", path);
    csvWatcher_.setFuture(
        QtConcurrent::run([snapshot, path] { return writeTrendCsv(*snapshot, path); }));
}

void TrendWindow::onCsvDone(const QString& path) {
    saveCsvButton_->setEnabled(true);
    const CsvOutcome outcome = csvWatcher_.result();
    if (outcome.ok) {
        status_->setText(QStringLiteral("%1 lines saved to %2").arg(outcome.lines).arg(path));
    } else {
        status_->setText(QStringLiteral("Not saved"));
        services_.report(
            QStringLiteral("The trend data could not be saved to %1: %2").arg(path, outcome.error));
    }
    emit csvFinished(outcome, path);
}

}  // namespace zov::records
