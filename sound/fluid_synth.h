// The General MIDI synthesizer behind the music: FluidSynth with a soundfont
// from the system, rendering only when the sequencer asks (it has no audio
// driver of its own).
#pragma once

#include "midi_sequencer.h"

#include <memory>
#include <string>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;

namespace vimbo::sound {

class FluidSynth final : public Synth {
public:
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
    FluidSynth(_fluid_hashtable_t* settings, _fluid_synth_t* synth)
        : m_settings(settings), m_synth(synth) {}

    _fluid_hashtable_t* m_settings;
    _fluid_synth_t* m_synth;
};

// FluidSynth writes its complaints to the terminal by default; the game says
// nothing, ever.
void silenceFluidSynth();

} // namespace vimbo::sound
