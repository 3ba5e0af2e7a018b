// frm_TRENDS, "Trends": the monitors against time in stacked panes sharing one
// time axis, with the supply events as markers in a pane of their own. Shows
// the last ten minutes and follows the newest reading until the operator zooms
// or pans; redraws at its own pace while visible, never per reading.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFutureWatcher>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <array>
#include <functional>
#include <utility>

#include "records/trend_csv.h"
#include "records/trend_store.h"

namespace zov::records {

class TrendPane;

// A dialog, like the Traffic Log, so assistive tools list it among the
// console's windows by its title.
class TrendWindow : public QDialog {
    Q_OBJECT
public:
    struct Services {
        // The file to save to, or empty for none (the real one asks in a dialog).
        std::function<QString(const QString& title, const QString& suggestedName,
                              const QString& filter)>
            chooseFile;
        // A failure the operator must read.
        std::function<void(const QString& text)> report;
    };

    TrendWindow(TrendStore& store, Services services, QWidget* parent = nullptr);

    // The time shown, on the store's clock.
    [[nodiscard]] std::pair<std::int64_t, std::int64_t> visibleRange() const;
    [[nodiscard]] bool following() const { return follow_; }
    // Decimates the visible range into the panes now.
    void redrawNow();

    void zoom(double factor, std::int64_t anchorMs);
    void pan(double spans);
    void showAll();
    void showRange(std::int64_t fromMs, std::int64_t toMs);
    // Turned off, the span stays where it is now.
    void setFollowing(bool follow);

    void savePicture();
    void saveCsv();

    TrendPane* pane(int quantity) const { return panes_.at(quantity); }
    // The marks of a lane drawn now.
    [[nodiscard]] int marksShown(MarkerLane lane) const;
    [[nodiscard]] static QColor laneColour(MarkerLane lane);
    TrendPane* eventsPane() const { return eventsPane_; }
    QWidget* plots() const { return plots_; }

    static constexpr std::int64_t kDefaultSpanMs = 10 * 60 * 1000;
    static constexpr int kRedrawMs = 500;

signals:
    // A CSV export ended (written on a worker thread).
    void csvFinished(const zov::records::CsvOutcome& outcome, const QString& path);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildControls();
    QWidget* buildPlots();
    void onAppended();
    void rangeChanged();
    // Only the flag and its check box; the span stays as set.
    void markFollowing(bool follow);
    void drawLine(int quantity, std::int64_t fromMs, std::int64_t toMs);
    void drawMarkers(std::int64_t fromMs, std::int64_t toMs);
    void showMarkerDetail(std::size_t marker, const QPoint& at);
    void onCsvDone(const QString& path);
    QString suggestedName(const char* extension) const;

    TrendStore& store_;
    Services services_;
    std::int64_t spanMs_ = kDefaultSpanMs;
    std::int64_t endMs_ = 0;  // when not following
    bool follow_ = true;
    QTimer redrawTimer_;

    std::array<TrendPane*, kQuantities> panes_{};
    std::array<QCheckBox*, kQuantities> shown_{};
    TrendPane* eventsPane_ = nullptr;
    QWidget* plots_ = nullptr;
    QComboBox* span_ = nullptr;
    QCheckBox* followBox_ = nullptr;
    QCheckBox* autoscale_ = nullptr;
    QCheckBox* csvVisibleOnly_ = nullptr;
    QPushButton* saveCsvButton_ = nullptr;
    QLabel* status_ = nullptr;
    QFutureWatcher<CsvOutcome> csvWatcher_;
};

}  // namespace zov::records
