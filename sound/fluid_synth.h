// The General MIDI synthesizer behind the music: FluidSynth with a soundfont
// from the system, rendering only when the sequencer asks (it has no audio
// driver of its own). It synthesises at half the output's rate and doubles
// the rate itself: the instruments our pieces use have next to nothing above
// 11 kHz, and the synthesis, FluidSynth's reverb included, costs half.
#pragma once

#include "midi_sequencer.h"
#include "soundfont_subset.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;

namespace vimbo::sound {

class FluidSynth final : public Synth {
public:
    // The only instruments read from the soundfont: the General MIDI programs
    // of our two pieces (bank 0) and the standard drum kit. A channel asking
    // for another stays silent.
    static constexpr PresetId kPresets[] = {{0, 21}, {0, 24}, {0, 25}, {0, 32}, {0, 40},
                                            {0, 41}, {0, 42}, {0, 71}, {128, 0}};

    // A synthesizer with the first of `soundfonts` that loads, or nothing.
    static std::unique_ptr<FluidSynth> create(const std::vector<std::string>& soundfonts,
                                              int sampleRate, double gain);
    ~FluidSynth() override;
    FluidSynth(const FluidSynth&) = delete;
    FluidSynth& operator=(const FluidSynth&) = delete;

    void send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override;
    void releaseAll() override;
    void resetChannels() override;
    void render(std::int16_t* out, int frames) override;
    bool ringing() override;

private:
    FluidSynth(_fluid_hashtable_t* settings, _fluid_synth_t* synth);
    // Synthesises frames at half rate and doubles them into m_ready.
    void synthesise(int halfFrames);

    // The doubling filter: a half-band low-pass, whose odd phase needs this
    // many input frames around each new output frame.
    static constexpr int kTaps = 32;
    static constexpr int kChunk = 256; // half-rate frames synthesised at a time

    _fluid_hashtable_t* m_settings;
    _fluid_synth_t* m_synth;
    std::array<float, kTaps / 2> m_coefficients{};
    // Per channel: the last kTaps - 1 input frames, then the new chunk.
    std::array<std::vector<float>, 2> m_input;
    std::vector<std::int16_t> m_ready; // output frames made but not yet asked for
    std::size_t m_readyAt = 0;
};

// FluidSynth writes its complaints to the terminal by default; the game says
// nothing, ever.
void silenceFluidSynth();

} // namespace vimbo::sound
