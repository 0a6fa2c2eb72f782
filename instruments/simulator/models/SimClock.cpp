#include "SimClock.h"

namespace benchsim {

CSimClock::CSimClock() : m_start(std::chrono::steady_clock::now()) {}

void CSimClock::SetScale(double scale) {
    if (!(scale > 0.0))
        return;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    m_baseSim = Now();
    m_baseWall = wall;
    m_scale = scale;
}

double CSimClock::Now() const {
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    return m_baseSim.load() + (wall - m_baseWall.load()) * m_scale.load();
}

} // namespace benchsim
