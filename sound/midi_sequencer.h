// Plays a MidiSong on a synthesizer, block by block, from the audio thread:
// each message goes to the synthesizer at its own frame, the position is the
// tick reached, and the piece ends exactly at its last tick. A halted piece is
// frozen (held notes hold, silently) and resumes where it was; a start from
// anywhere else brings the channels to the state the piece has there.
//
// Not thread-safe: the owner serialises calls (the backend holds one lock
// around the control calls and each render).
#pragma once

#include "midi_song.h"

#include <cstdint>
#include <memory>

namespace vimbo::sound {

// What the sequencer needs of a synthesizer.
class Synth {
public:
    virtual ~Synth() = default;
    // A channel message: note off and on, key pressure, controller, program,
    // channel pressure, pitch bend.
    virtual void send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) = 0;
    // Lets every note go, to ring out as it would.
    virtual void releaseAll() = 0;
    // Every channel back to how a piece finds it at its beginning.
    virtual void resetChannels() = 0;
    // Writes `frames` interleaved stereo frames.
    virtual void render(std::int16_t* out, int frames) = 0;
    // Whether any voice still sounds.
    virtual bool ringing() = 0;
};

class MidiSequencer {
public:
    explicit MidiSequencer(int sampleRate) : m_rate(sampleRate) {}

    // A piece, perhaps only its outline (no events yet): it has its length
    // and positions at once, and plays silent until its events are delivered.
    void load(std::shared_ptr<const MidiSong> song, std::uint64_t ticket = 0);
    // The whole of the piece loaded under `ticket` (ignored for any other):
    // it sounds from where the play has got to.
    void deliver(std::shared_ptr<const MidiSong> song, std::uint64_t ticket);
    void unload();
    void start(std::int64_t fromTick);
    void halt();
    std::int64_t position() const;
    std::int64_t length() const { return m_song ? m_song->lengthTicks() : 0; }

    // Writes `frames` frames of the piece to `out`, silence when nothing
    // sounds. True when the piece ran to its end during this block.
    bool render(Synth& synth, std::int16_t* out, int frames);
    // Whether render() has anything to play: a piece under way or the last
    // notes of one that ended still ringing.
    bool audible() const { return m_running || m_ringingOut; }

private:
    std::int64_t frameOf(double seconds) const;
    void seek(Synth& synth);
    void dispatchDue(Synth& synth);
    void finish(Synth& synth, std::int16_t* out, int frames);

    int m_rate;
    std::shared_ptr<const MidiSong> m_song;
    std::uint64_t m_ticket = 0;
    std::int64_t m_endFrame = 0;
    std::int64_t m_frame = 0; // frames since the beginning of the piece
    std::size_t m_next = 0;   // the first event not yet sent
    bool m_running = false;
    bool m_frozen = false;      // halted mid-way: a start from here resumes
    bool m_ended = false;       // ran to the end: position() is the length
    bool m_seekPending = false; // the next render sets the channels first
    bool m_ringingOut = false;
};

} // namespace vimbo::sound
