// The music as the audio thread plays it: a MIDI piece on FluidSynth's own
// player, whose clock is the synthesizer's samples, so that the piece only
// moves on while it is rendered. The position is the player's tick, read
// after each block; the piece ends exactly at its length (and reads it only
// then); a halted piece is frozen, held notes and all, and resumes where it
// was; a start from anywhere else brings the channels to the state the piece
// has there.
//
// Not thread-safe: the owner serialises calls (the backend holds one lock
// around the control calls and each render).
#pragma once

#include <cstdint>
#include <vector>

namespace vimbo::sound {

class FluidSynth;

class MusicVoice {
public:
    // A piece checked by midiLength, and that length: it has its positions at
    // once, and sounds once there is a synthesizer to play it.
    void load(std::vector<std::uint8_t> piece, std::int64_t length);
    void unload();
    void start(std::int64_t fromTick);
    void halt();
    std::int64_t position() const;

    // Writes `frames` frames of the piece to `out`, silence when nothing
    // sounds. True when the piece ran to its end during this block.
    bool render(FluidSynth& synth, std::int16_t* out, int frames);
    // Whether render() has anything to play: a piece under way or the last
    // notes of one that ended still ringing.
    bool audible() const { return m_running || m_ringingOut; }

private:
    void finish(FluidSynth& synth);

    std::vector<std::uint8_t> m_piece;
    std::int64_t m_length = 0;  // 0: nothing loaded
    std::int64_t m_from = 0;    // where the next render starts the player
    std::int64_t m_tick = 0;    // where the player stood after the last block
    bool m_starting = false;    // the next render starts the player at m_from
    bool m_playerHasIt = false; // the synthesizer's player holds this piece at m_tick
    bool m_running = false;
    bool m_ended = false; // ran to the end: position() is the length
    bool m_ringingOut = false;
};

} // namespace vimbo::sound
