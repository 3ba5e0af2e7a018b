// A value that moves towards its target at a limited rate, evaluated on
// demand so nothing has to tick while it ramps.
#pragma once

#include <chrono>

namespace zov::sim {

class Ramp {
public:
    // From wherever it is at `now` towards `target`; a rate of 0 gets there at once.
    void moveTo(double target, std::chrono::milliseconds now, double perMs);
    [[nodiscard]] double valueAt(std::chrono::milliseconds now) const;

private:
    double m_from = 0.0;
    double m_target = 0.0;
    double m_perMs = 0.0;
    std::chrono::milliseconds m_since{0};
};

}  // namespace zov::sim
