#include "records/traffic_table.h"

#include <algorithm>

namespace zov::records {

TrafficTable::TrafficTable(const TrafficLog& log, QObject* parent)
    : QAbstractTableModel(parent), log_(log), scannedTo_(log.firstSeq()) {
    refresh();
}

int TrafficTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int TrafficTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant TrafficTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const TrafficEntry& entry = entryAt(index.row());
    if (role == Qt::TextAlignmentRole && index.column() == RoundTrip) {
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return {};
    }
    switch (index.column()) {
        case Time:
            return timeText(entry);
        case Link:
            return entry.link;
        case Direction:
            return directionText(entry);
        case Frame:
            return frameText(entry);
        case RoundTrip:
            return roundTripText(entry);
        case Result:
            return outcomeText(entry.outcome);
        default:
            return {};
    }
}

QVariant TrafficTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    static const char* const kTitles[kColumns] = {"Time",  "Link",       "Direction",
                                                  "Frame", "Round trip", "Outcome"};
    return section >= 0 && section < kColumns ? QString::fromLatin1(kTitles[section]) : QVariant();
}

void TrafficTable::refresh() {
    const auto kept = std::lower_bound(rows_.begin(), rows_.end(), log_.firstSeq());
    if (kept != rows_.begin()) {
        beginRemoveRows({}, 0, int(kept - rows_.begin()) - 1);
        rows_.erase(rows_.begin(), kept);
        endRemoveRows();
    }
    if (!paused_) {
        scanTo(log_.endSeq());
    }
}

void TrafficTable::scanTo(std::uint64_t end) {
    std::deque<std::uint64_t> added;
    for (std::uint64_t seq = std::max(scannedTo_, log_.firstSeq()); seq < end; ++seq) {
        if (matches(log_.at(seq), filter_)) {
            added.push_back(seq);
        }
    }
    scannedTo_ = std::max(scannedTo_, end);
    if (!added.empty()) {
        const int first = rowCount();
        beginInsertRows({}, first, first + int(added.size()) - 1);
        rows_.insert(rows_.end(), added.begin(), added.end());
        endInsertRows();
    }
}

void TrafficTable::setPaused(bool paused) {
    paused_ = paused;
    refresh();
}

void TrafficTable::setFilter(const QString& filter) {
    // A paused window filters what it showed when it was paused.
    const std::uint64_t shownTo = scannedTo_;
    beginResetModel();
    filter_ = filter;
    rows_.clear();
    scannedTo_ = log_.firstSeq();
    endResetModel();
    scanTo(std::min(shownTo, log_.endSeq()));
    refresh();
}

}  // namespace zov::records
