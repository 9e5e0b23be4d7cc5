#include "random_source.h"

#include <chrono>

namespace vimbo {

namespace {
// 53 random bits make every double in [0, 1) on the usual grid equally likely.
double toUnit(std::uint64_t bits) {
    return static_cast<double>(bits >> 11) * 0x1.0p-53;
}
} // namespace

void ClockRandom::reseed() {
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seq{static_cast<std::uint32_t>(now), static_cast<std::uint32_t>(now >> 32)};
    m_engine.seed(seq);
}

double ClockRandom::uniform() {
    return toUnit(m_engine());
}

double SeededRandom::uniform() {
    return toUnit(m_engine());
}

void ScriptedDraws::reseed() {
    // The script is consumed across reseeds: a test that deals twice scripts both.
    m_fallback.reseed();
}

double ScriptedDraws::uniform() {
    if (m_next < m_draws.size()) {
        // The middle of the draw's interval, so that Int(u * 41) is exactly r.
        return (m_draws[m_next++] + 0.5) / 41.0;
    }
    return m_fallback.uniform();
}

} // namespace vimbo
