#include "fluid_synth.h"

#include <fluidsynth.h>

#include <filesystem>

namespace vimbo::sound {

namespace {

constexpr int kChannels = 16;

// The controllers a piece may count on at its start (General MIDI defaults);
// "reset all controllers" leaves volume, pan and the effect sends alone.
constexpr struct {
    int controller, value;
} kStartingControllers[] = {
    {121, 0},           // reset all controllers
    {7, 100}, {10, 64}, // volume, pan
    {91, 40}, {93, 0},  // reverb, chorus
};
constexpr int kDrumChannel = 9; // keeps its drum kit bank

} // namespace

void silenceFluidSynth() {
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
        fluid_set_log_function(level, nullptr, nullptr);
}

std::unique_ptr<FluidSynth> FluidSynth::create(const std::vector<std::string>& soundfonts,
                                               int sampleRate, double gain) {
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings) return nullptr;
    fluid_settings_setnum(settings, "synth.sample-rate", sampleRate);
    fluid_settings_setnum(settings, "synth.gain", gain);
    // Only the instruments a piece selects are read into memory, and none of
    // it is locked there.
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_settings_setint(settings, "synth.polyphony", 96);
    // Our pieces send nothing to the chorus (its send starts at 0 and stays
    // there), so the effect would only cost the audio thread time: about a
    // tenth of the synthesizer's work while the music plays.
    fluid_settings_setint(settings, "synth.chorus.active", 0);

    fluid_synth_t* synth = new_fluid_synth(settings);
    if (!synth) {
        delete_fluid_settings(settings);
        return nullptr;
    }
    std::unique_ptr<FluidSynth> result(new FluidSynth(settings, synth));
    for (const std::string& path : soundfonts) {
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error) &&
            fluid_synth_sfload(synth, path.c_str(), 1) != FLUID_FAILED)
            return result;
    }
    return nullptr;
}

FluidSynth::~FluidSynth() {
    delete_fluid_synth(m_synth);
    delete_fluid_settings(m_settings);
}

void FluidSynth::send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    const int channel = status & 0x0F;
    switch (status & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(m_synth, channel, data1);
        break;
    case 0x90:
        if (data2 == 0)
            fluid_synth_noteoff(m_synth, channel, data1);
        else
            fluid_synth_noteon(m_synth, channel, data1, data2);
        break;
    case 0xA0:
        fluid_synth_key_pressure(m_synth, channel, data1, data2);
        break;
    case 0xB0:
        fluid_synth_cc(m_synth, channel, data1, data2);
        break;
    case 0xC0:
        fluid_synth_program_change(m_synth, channel, data1);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(m_synth, channel, data1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(m_synth, channel, data1 | (data2 << 7));
        break;
    default:
        break;
    }
}

void FluidSynth::releaseAll() {
    fluid_synth_all_notes_off(m_synth, -1);
}

void FluidSynth::resetChannels() {
    for (int channel = 0; channel < kChannels; ++channel) {
        for (const auto& [controller, value] : kStartingControllers)
            fluid_synth_cc(m_synth, channel, controller, value);
        if (channel != kDrumChannel) {
            fluid_synth_cc(m_synth, channel, 0, 0);
            fluid_synth_cc(m_synth, channel, 32, 0);
        }
        fluid_synth_pitch_bend(m_synth, channel, 8192);
        fluid_synth_program_change(m_synth, channel, 0);
    }
}

void FluidSynth::render(std::int16_t* out, int frames) {
    fluid_synth_write_s16(m_synth, frames, out, 0, 2, out, 1, 2);
}

bool FluidSynth::ringing() {
    return fluid_synth_get_active_voice_count(m_synth) > 0;
}

} // namespace vimbo::sound
