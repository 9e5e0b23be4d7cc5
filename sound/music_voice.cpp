#include "music_voice.h"

#include "fluid_synth.h"

#include <algorithm>

namespace vimbo::sound {

void MusicVoice::load(std::vector<std::uint8_t> piece, std::int64_t length) {
    unload();
    m_piece = std::move(piece);
    m_length = length;
}

void MusicVoice::unload() {
    m_piece.clear();
    m_length = m_from = m_tick = 0;
    m_starting = m_playerHasIt = m_running = m_ended = false;
}

void MusicVoice::start(std::int64_t fromTick) {
    if (m_length == 0) return;
    fromTick = std::clamp<std::int64_t>(fromTick, 0, m_length);
    // Halted mid-way and started where it stopped: the player, frozen since,
    // sounds on, the held notes with it.
    const bool resume = m_playerHasIt && !m_starting && !m_ended && fromTick == position();
    if (!resume) {
        m_from = fromTick;
        m_starting = true;
    }
    m_running = true;
    m_ended = false;
}

void MusicVoice::halt() {
    m_running = false;
}

std::int64_t MusicVoice::position() const {
    if (m_length == 0) return 0;
    if (m_ended) return m_length;
    // The player has read its last tick a block before it reports the end.
    return std::clamp<std::int64_t>(m_starting ? m_from : m_tick, 0, m_length - 1);
}

bool MusicVoice::render(FluidSynth& synth, std::int16_t* out, int frames) {
    if (!m_running) {
        if (m_ringingOut) {
            synth.render(out, frames);
            m_ringingOut = synth.ringing();
        } else {
            std::fill(out, out + 2 * frames, std::int16_t{0});
        }
        return false;
    }
    if (m_starting) {
        m_starting = false;
        m_tick = m_from;
        m_playerHasIt = synth.play(m_piece, m_from);
    }
    synth.render(out, frames);
    if (m_playerHasIt && !synth.gaveUp()) {
        m_tick = synth.tick();
        if (m_tick < m_length) return false;
        finish(synth);
        return true;
    }
    // The player could not take the piece: FluidSynth refused what our
    // reading let through. The piece stays silent, and never ends.
    m_running = m_playerHasIt = false;
    m_ringingOut = synth.ringing();
    return false;
}

void MusicVoice::finish(FluidSynth& synth) {
    // Notes the piece leaves held would hang on for ever; they ring out instead,
    // under the next round if the piece starts over.
    synth.releaseAll();
    m_running = false;
    m_ended = true;
    m_ringingOut = synth.ringing();
}

} // namespace vimbo::sound
