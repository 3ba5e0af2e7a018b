// The rows a traffic log window shows: the log's entries that pass the
// filter, brought up to date in batches by refresh(). Each refresh costs the
// entries added since the last one, never the whole log, so a window open
// on a full log stays as light as one on an empty log.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <deque>

#include "records/traffic_log.h"

namespace zov::records {

class TrafficTable : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Time, Link, Direction, Frame, RoundTrip, Result, kColumns };

    explicit TrafficTable(const TrafficLog& log, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

    // Drops the rows the log no longer holds and, unless paused, adds the
    // entries that came since the last refresh.
    void refresh();
    // While paused the rows stay as they are (except those the log lets go);
    // the entries that come meanwhile are added on resuming.
    void setPaused(bool paused);
    [[nodiscard]] bool isPaused() const { return paused_; }
    // Rebuilds the rows from the whole log.
    void setFilter(const QString& filter);
    [[nodiscard]] const QString& filter() const { return filter_; }

    [[nodiscard]] const TrafficEntry& entryAt(int row) const { return log_.at(rows_[row]); }

private:
    // Adds the entries from scannedTo_ up to `end` that pass the filter.
    void scanTo(std::uint64_t end);

    const TrafficLog& log_;
    std::deque<std::uint64_t> rows_;  // sequence numbers, oldest first
    std::uint64_t scannedTo_ = 0;     // entries before this were looked at
    QString filter_;
    bool paused_ = false;
};

}  // namespace zov::records
