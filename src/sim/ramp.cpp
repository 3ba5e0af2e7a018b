#include "ramp.h"

#include <algorithm>

namespace zov::sim {

void Ramp::moveTo(double target, std::chrono::milliseconds now, double perMs) {
    m_from = valueAt(now);
    m_target = target;
    m_perMs = perMs;
    m_since = now;
}

double Ramp::valueAt(std::chrono::milliseconds now) const {
    if (m_perMs <= 0.0) {
        return m_target;
    }
    const double step =
        m_perMs * static_cast<double>(std::max<long long>(0, (now - m_since).count()));
    return m_from < m_target ? std::min(m_target, m_from + step)
                             : std::max(m_target, m_from - step);
}

}  // namespace zov::sim
