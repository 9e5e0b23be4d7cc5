#include "wave_voice.h"

#include <algorithm>

namespace vimbo::sound {

void WaveVoice::load(std::int64_t length, std::uint64_t ticket) {
    unload();
    m_length = length;
    m_ticket = ticket;
}

void WaveVoice::deliver(std::vector<std::int16_t> samples, std::uint64_t ticket) {
    if (ticket != m_ticket || m_length == 0) return;
    m_samples = std::move(samples);
    m_delivered = true;
}

void WaveVoice::unload() {
    m_samples.clear();
    m_length = 0;
    m_frame = 0;
    m_delivered = m_running = m_ended = false;
}

void WaveVoice::start(std::int64_t from) {
    if (m_length == 0) return;
    m_frame = std::clamp<std::int64_t>(from, 0, m_length);
    m_running = true;
    m_ended = false;
}

void WaveVoice::halt() {
    m_running = false;
}

std::int64_t WaveVoice::position() const {
    if (m_ended) return m_length;
    // The decoded sound may be a frame longer than the header promised: it
    // still reads as under way until it has really run out.
    return std::clamp<std::int64_t>(m_frame, 0, std::max<std::int64_t>(0, m_length - 1));
}

bool WaveVoice::mixInto(std::int16_t* out, int frames) {
    if (!audible()) return false;
    const std::int64_t total = static_cast<std::int64_t>(m_samples.size() / 2);
    const std::int64_t n = std::clamp<std::int64_t>(total - m_frame, 0, frames);
    const std::int16_t* in = m_samples.data() + 2 * m_frame;
    for (std::int64_t i = 0; i < 2 * n; ++i) {
        const int sum = out[i] + in[i];
        out[i] = static_cast<std::int16_t>(std::clamp(sum, -32768, 32767));
    }
    m_frame += n;
    if (m_frame < total) return false;
    m_running = false;
    m_ended = true;
    return true;
}

} // namespace vimbo::sound
