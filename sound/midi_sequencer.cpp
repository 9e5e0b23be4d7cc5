#include "midi_sequencer.h"

#include <algorithm>
#include <cmath>

namespace vimbo::sound {

namespace {

// Notes and key pressure only mean something at their own moment; the other
// messages leave state behind (program, controllers, bend) that a start in the
// middle of the piece must catch up on.
bool leavesState(const MidiEvent& event) {
    const int kind = event.status & 0xF0;
    return kind != 0x80 && kind != 0x90 && kind != 0xA0;
}

} // namespace

std::int64_t MidiSequencer::frameOf(double seconds) const {
    return static_cast<std::int64_t>(std::llround(seconds * m_rate));
}

void MidiSequencer::load(std::shared_ptr<const MidiSong> song, std::uint64_t ticket) {
    m_song = std::move(song);
    m_ticket = ticket;
    m_endFrame = std::max<std::int64_t>(1, frameOf(m_song->secondsAt(m_song->lengthTicks())));
    m_frame = 0;
    m_next = 0;
    m_running = m_frozen = m_ended = m_seekPending = false;
}

void MidiSequencer::deliver(std::shared_ptr<const MidiSong> song, std::uint64_t ticket) {
    if (!m_song || ticket != m_ticket) return;
    m_song = std::move(song);
    // Found where the play stands, its channels set as the piece has them there.
    m_seekPending = true;
}

void MidiSequencer::unload() {
    m_song.reset();
    m_frame = 0;
    m_next = 0;
    m_running = m_frozen = m_ended = m_seekPending = false;
}

void MidiSequencer::start(std::int64_t fromTick) {
    if (!m_song) return;
    fromTick = std::clamp<std::int64_t>(fromTick, 0, length());
    if (m_frozen && fromTick == position()) {
        m_running = true; // the held notes sound on from where they stopped
        m_frozen = false;
        return;
    }
    // At least the frame where the tick begins, so the position reads it back.
    m_frame =
        std::min(m_endFrame,
                 static_cast<std::int64_t>(std::ceil(m_song->secondsAt(fromTick) * m_rate - 1e-6)));
    m_running = m_seekPending = true;
    m_frozen = m_ended = false;
}

void MidiSequencer::halt() {
    if (!m_running) return;
    m_running = false;
    m_frozen = true;
}

std::int64_t MidiSequencer::position() const {
    if (!m_song) return 0;
    if (m_ended) return length();
    const std::int64_t tick = m_song->tickAt(static_cast<double>(m_frame) / m_rate);
    return std::clamp<std::int64_t>(tick, 0, std::max<std::int64_t>(0, length() - 1));
}

void MidiSequencer::seek(Synth& synth) {
    synth.releaseAll();
    synth.resetChannels();
    const auto& events = m_song->events();
    m_next = 0;
    for (; m_next < events.size() && frameOf(events[m_next].seconds) < m_frame; ++m_next) {
        const MidiEvent& event = events[m_next];
        if (leavesState(event)) synth.send(event.status, event.data1, event.data2);
    }
}

void MidiSequencer::dispatchDue(Synth& synth) {
    const auto& events = m_song->events();
    for (; m_next < events.size() && frameOf(events[m_next].seconds) <= m_frame; ++m_next) {
        const MidiEvent& event = events[m_next];
        synth.send(event.status, event.data1, event.data2);
    }
}

bool MidiSequencer::render(Synth& synth, std::int16_t* out, int frames) {
    if (m_seekPending && m_running) {
        seek(synth);
        m_seekPending = false;
    }
    if (!m_running) {
        if (m_ringingOut) {
            synth.render(out, frames);
            m_ringingOut = synth.ringing();
        } else {
            std::fill(out, out + 2 * frames, std::int16_t{0});
        }
        return false;
    }
    const auto& events = m_song->events();
    int done = 0;
    while (done < frames) {
        dispatchDue(synth);
        std::int64_t until = std::min(m_frame + (frames - done), m_endFrame);
        if (m_next < events.size()) until = std::min(until, frameOf(events[m_next].seconds));
        const int n = static_cast<int>(until - m_frame);
        if (n > 0) {
            synth.render(out + 2 * done, n);
            done += n;
            m_frame += n;
        }
        if (m_frame >= m_endFrame) {
            finish(synth, out + 2 * done, frames - done);
            return true;
        }
    }
    return false;
}

void MidiSequencer::finish(Synth& synth, std::int16_t* out, int frames) {
    dispatchDue(synth); // what the last tick still says, note-offs mostly
    m_next = m_song->events().size();
    // Notes the piece leaves held would hang on for ever; they ring out instead,
    // under the next round if the piece starts over.
    synth.releaseAll();
    m_running = false;
    m_ended = true;
    if (frames > 0) synth.render(out, frames);
    m_ringingOut = synth.ringing();
}

} // namespace vimbo::sound
