// The lowest and highest of any run of a series' points without reading them
// all: for each block of 16 points the slots of its lowest and highest, for
// each block of 16 such blocks the same, and so on up to one block. A run of
// n points costs about 2 * 16 * log16(n) steps; a written point costs a
// comparison a level, as far up as it changes anything, and a block read
// again where it overwrote that block's lowest or highest. It adds 16 bytes per 15 points
// (about 1.07 bytes a point) to the 8 bytes of the point itself. Pure C++: no Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zov::records {

// Eight bytes a point: the time as an offset from the series' base.
struct PackedPoint {
    std::uint32_t offsetMs;
    float value;
};

// Slots and values of the lowest and highest point seen; on equal values the earliest.
struct Extremes {
    std::size_t low = 0;
    std::size_t high = 0;
    float lowValue = 0;
    float highValue = 0;
    bool any = false;
};

class MinMaxPyramid {
public:
    static constexpr std::size_t kFanOut = 16;

    // For a ring of at most `capacity` points: no level grows past what that needs.
    explicit MinMaxPyramid(std::size_t capacity) : capacity_(capacity) {}

    // `points[slot]` was written, as the last slot of a growing vector or over an older point.
    void update(const std::vector<PackedPoint>& points, std::size_t slot);
    void clear() { levels_.clear(); }
    // Built afresh over all of `points`, in one pass a level.
    void rebuild(const std::vector<PackedPoint>& points);

    // Takes the slots [from, to) of `points`, in slot order, into `extremes`.
    void scan(const std::vector<PackedPoint>& points, std::size_t from, std::size_t to,
              Extremes& extremes) const;

    [[nodiscard]] std::size_t bytesHeld() const;

private:
    // With the values, so a run is read from the pyramid alone, not from
    // points scattered over the ring.
    struct Node {
        std::uint32_t low;  // slots of points
        std::uint32_t high;
        float lowValue;
        float highValue;
    };

    // Entries [from, to) at `level` (0: the points, n: levels_[n - 1]).
    void scanLevel(const std::vector<PackedPoint>& points, std::size_t level, std::size_t from,
                   std::size_t to, Extremes& extremes) const;
    void scanRange(const std::vector<PackedPoint>& points, std::size_t level, std::size_t from,
                   std::size_t to, Extremes& extremes) const;
    // Takes a changed entry a level down into its node, when it beats the node's extremes.
    static void raise(Node& node, const Node& entry);
    // Sets node `index` of `level` (1 on) from its entries a level down.
    void summarize(const std::vector<PackedPoint>& points, std::size_t level, std::size_t index);
    [[nodiscard]] std::size_t sizeAt(const std::vector<PackedPoint>& points,
                                     std::size_t level) const;

    std::size_t capacity_;
    std::vector<std::vector<Node>> levels_;
};

}  // namespace zov::records
