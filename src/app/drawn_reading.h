// What a view has drawn of one reading. A view redraws on Supply::changed,
// which also comes when a reading only aged or another one changed; this
// tells it when the unit has given this reading again, so that it draws it
// and marks it fresh then and only then.
#pragma once

#include "core/supply_readings.h"

namespace zov::app {

template <typename T>
class DrawnReading {
public:
    // True once for each reading the unit gave since the last call: a new
    // time, a new value within the same millisecond, or a value given again
    // after it went stale.
    [[nodiscard]] bool isNew(const core::Reading<T>& reading) {
        const bool isNew = reading.live() && (!seen_.live() || reading.at != seen_.at ||
                                              !sameValue(*reading.value, *seen_.value));
        seen_ = reading;
        return isNew;
    }
    // Something else was drawn over it: the next live reading is new.
    void forget() { seen_ = {}; }

private:
    template <typename V>
    static bool sameValue(const V& a, const V& b) {
        return a == b;
    }
    static bool sameValue(const core::SetpointValue& a, const core::SetpointValue& b) {
        return a.count == b.count && a.display == b.display;
    }
    static bool sameValue(const core::MonitorValue& a, const core::MonitorValue& b) {
        return a.raw == b.raw && a.display == b.display;
    }

    core::Reading<T> seen_;
};

}  // namespace zov::app
