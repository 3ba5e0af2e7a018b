#include "trend_pyramid.h"

#include <algorithm>

namespace zov::records {
namespace {

// Strictly lower or higher only, so on equal values the earliest stays.
void take(std::size_t low, float lowValue, std::size_t high, float highValue, Extremes& extremes) {
    if (!extremes.any) {
        extremes = {low, high, lowValue, highValue, true};
        return;
    }
    if (lowValue < extremes.lowValue) {
        extremes.low = low;
        extremes.lowValue = lowValue;
    }
    if (highValue > extremes.highValue) {
        extremes.high = high;
        extremes.highValue = highValue;
    }
}

}  // namespace

void MinMaxPyramid::update(const std::vector<PackedPoint>& points, std::size_t slot) {
    std::size_t index = slot;      // the entry that changed, a level down
    std::size_t reach = 1;         // points under one entry a level down
    std::size_t most = capacity_;  // entries a full ring has at this level
    for (std::size_t level = 1; sizeAt(points, level - 1) > 1; ++level) {
        if (levels_.size() < level) {
            levels_.emplace_back();
        }
        std::vector<Node>& nodes = levels_[level - 1];
        const std::size_t needed = (sizeAt(points, level - 1) + kFanOut - 1) / kFanOut;
        most = (most + kFanOut - 1) / kFanOut;
        const bool created = nodes.size() < needed;
        if (created) {
            nodes.reserve(most);  // as the ring: whole, filled as it fills
            nodes.resize(needed);
        }
        const std::size_t parent = index / kFanOut;
        const Node before = nodes[parent];
        if (created || before.low / reach == index || before.high / reach == index) {
            // The block's lowest or highest may be what was overwritten: read it again.
            summarize(points, level, parent);
        } else {
            const float value = points[slot].value;
            const Node changed = level == 1 ? Node{static_cast<std::uint32_t>(slot),
                                                   static_cast<std::uint32_t>(slot), value, value}
                                            : levels_[level - 2][index];
            raise(nodes[parent], changed);
        }
        const Node& after = nodes[parent];
        if (!created && after.low == before.low && after.high == before.high &&
            after.lowValue == before.lowValue && after.highValue == before.highValue) {
            return;  // nothing above can change either
        }
        index = parent;
        reach *= kFanOut;
    }
}

void MinMaxPyramid::raise(Node& node, const Node& entry) {
    // The earliest of equal values, as a scan in slot order keeps it.
    if (entry.lowValue < node.lowValue ||
        (entry.lowValue == node.lowValue && entry.low < node.low)) {
        node.low = entry.low;
        node.lowValue = entry.lowValue;
    }
    if (entry.highValue > node.highValue ||
        (entry.highValue == node.highValue && entry.high < node.high)) {
        node.high = entry.high;
        node.highValue = entry.highValue;
    }
}

void MinMaxPyramid::rebuild(const std::vector<PackedPoint>& points) {
    levels_.clear();
    for (std::size_t level = 1; sizeAt(points, level - 1) > 1; ++level) {
        const std::size_t below = sizeAt(points, level - 1);
        levels_.emplace_back((below + kFanOut - 1) / kFanOut);
        for (std::size_t index = 0; index < levels_.back().size(); ++index) {
            summarize(points, level, index);
        }
    }
}

void MinMaxPyramid::summarize(const std::vector<PackedPoint>& points, std::size_t level,
                              std::size_t index) {
    const std::size_t first = index * kFanOut;
    Extremes block;
    scanLevel(points, level - 1, first, std::min(first + kFanOut, sizeAt(points, level - 1)),
              block);
    levels_[level - 1][index] = {static_cast<std::uint32_t>(block.low),
                                 static_cast<std::uint32_t>(block.high), block.lowValue,
                                 block.highValue};
}

void MinMaxPyramid::scan(const std::vector<PackedPoint>& points, std::size_t from, std::size_t to,
                         Extremes& extremes) const {
    scanRange(points, 0, from, to, extremes);
}

void MinMaxPyramid::scanRange(const std::vector<PackedPoint>& points, std::size_t level,
                              std::size_t from, std::size_t to, Extremes& extremes) const {
    // The whole blocks inside the range are read a level up, the rest here,
    // in slot order.
    if (level < levels_.size()) {
        const std::size_t firstWhole = (from + kFanOut - 1) / kFanOut;
        const std::size_t endWhole = to / kFanOut;
        if (firstWhole < endWhole) {
            scanLevel(points, level, from, firstWhole * kFanOut, extremes);
            scanRange(points, level + 1, firstWhole, endWhole, extremes);
            scanLevel(points, level, endWhole * kFanOut, to, extremes);
            return;
        }
    }
    scanLevel(points, level, from, to, extremes);
}

void MinMaxPyramid::scanLevel(const std::vector<PackedPoint>& points, std::size_t level,
                              std::size_t from, std::size_t to, Extremes& extremes) const {
    if (level == 0) {
        for (std::size_t slot = from; slot < to; ++slot) {
            take(slot, points[slot].value, slot, points[slot].value, extremes);
        }
        return;
    }
    const std::vector<Node>& nodes = levels_[level - 1];
    for (std::size_t i = from; i < to; ++i) {
        const Node& node = nodes[i];
        take(node.low, node.lowValue, node.high, node.highValue, extremes);
    }
}

std::size_t MinMaxPyramid::sizeAt(const std::vector<PackedPoint>& points, std::size_t level) const {
    return level == 0 ? points.size() : levels_[level - 1].size();
}

std::size_t MinMaxPyramid::bytesHeld() const {
    std::size_t bytes = 0;
    for (const std::vector<Node>& nodes : levels_) {
        bytes += nodes.capacity() * sizeof(Node);
    }
    return bytes;
}

}  // namespace zov::records
