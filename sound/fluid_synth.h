// The General MIDI synthesizer behind the music: FluidSynth with a soundfont
// from the system and FluidSynth's own MIDI player, rendering only when the
// music's voice asks (it has no audio driver of its own). It synthesises at
// half the output's rate, and SDL doubles the rate: the instruments our
// pieces use have next to nothing above 11 kHz, and the synthesis, FluidSynth's
// reverb included, costs half.
#pragma once

#include "soundfont_subset.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_player_t;
struct _SDL_AudioStream;

namespace vimbo::sound {

class FluidSynth {
public:
    // The only instruments read from the soundfont: the General MIDI programs
    // of our two pieces (bank 0) and the standard drum kit. A channel asking
    // for another stays silent.
    static constexpr PresetId kPresets[] = {{0, 21}, {0, 24}, {0, 25}, {0, 32}, {0, 40},
                                            {0, 41}, {0, 42}, {0, 71}, {128, 0}};

    // A synthesizer with the first of `soundfonts` that loads, or nothing.
    // With no soundfont named at all it has no instruments: every note is
    // silent, and the player runs as ever (for checking what it does).
    static std::unique_ptr<FluidSynth> create(const std::vector<std::string>& soundfonts,
                                              int sampleRate, double gain);
    ~FluidSynth();
    FluidSynth(const FluidSynth&) = delete;
    FluidSynth& operator=(const FluidSynth&) = delete;

    // Starts `piece` (a file midiLength accepts) from `tick` on a new player,
    // in place of whatever played: its notes let go to ring out, every
    // channel back to how a piece finds it at its beginning. False when the
    // player cannot be made.
    bool play(std::span<const std::uint8_t> piece, std::int64_t tick);
    // Where the player stands: past the piece's last tick once it has sent
    // every message of the piece. It plays on after that (it lets the last
    // notes ring), so the end is the tick, not the player's own status.
    std::int64_t tick() const;
    // The player gave the piece up: it could not read it.
    bool gaveUp() const;
    // Lets every note go, to ring out as it would.
    void releaseAll();
    // Writes `frames` interleaved stereo frames at the output's rate.
    void render(std::int16_t* out, int frames);
    // Whether any voice still sounds.
    bool ringing();

private:
    FluidSynth(_fluid_hashtable_t* settings, _fluid_synth_t* synth, _SDL_AudioStream* doubler);
    void resetChannels();

    _fluid_hashtable_t* m_settings;
    _fluid_synth_t* m_synth;
    _SDL_AudioStream* m_doubler;
    _fluid_player_t* m_player = nullptr;
};

// FluidSynth writes its complaints to the terminal by default; the game says
// nothing, ever.
void silenceFluidSynth();

} // namespace vimbo::sound
