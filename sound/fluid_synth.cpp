#include "fluid_synth.h"

#include <fluidsynth.h>
#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

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

// Our two pieces never sound more than about fifty voices at once (the
// finale's opening chords); beyond that FluidSynth lets the quietest go.
constexpr int kPolyphony = 64;

// The modified Bessel function I0, for the Kaiser window of the filter.
double besselI0(double x) {
    double sum = 1, term = 1;
    for (int k = 1; k < 30; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

} // namespace

void silenceFluidSynth() {
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
        fluid_set_log_function(level, nullptr, nullptr);
}

std::unique_ptr<FluidSynth> FluidSynth::create(const std::vector<std::string>& soundfonts,
                                               int sampleRate, double gain) {
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings) return nullptr;
    // Every thread of the program would otherwise get a malloc arena of its
    // own, the audio threads included; the few allocations they make do not
    // need one. This is the whole program's setting, made here because the
    // audio start-up comes before the threads that would take new arenas.
    mallopt(M_ARENA_MAX, 2);
    fluid_settings_setnum(settings, "synth.sample-rate", sampleRate / 2.0);
    fluid_settings_setnum(settings, "synth.gain", gain);
    // Only the instruments a piece selects are read into memory, and none of
    // it is locked there.
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_settings_setint(settings, "synth.polyphony", kPolyphony);
    // Our pieces send nothing to the chorus (its send starts at 0 and stays
    // there), so the effect would only cost the audio thread time: about a
    // tenth of the synthesizer's work while the music plays.
    fluid_settings_setint(settings, "synth.chorus.active", 0);

    fluid_synth_t* synth = new_fluid_synth(settings);
    if (!synth) {
        delete_fluid_settings(settings);
        return nullptr;
    }
    // Tried before FluidSynth's own loader, which reads a file it refuses whole.
    if (fluid_sfloader_t* loader = new_fluid_defsfloader(settings)) {
        keepOnlyPresets(loader, kPresets);
        fluid_synth_add_sfloader(synth, loader);
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

// The coefficients of the doubling filter's odd phase (the even phase is the
// input itself): a windowed sinc cut off at half the input's Nyquist
// frequency, flat to about 9.5 kHz and more than 60 dB down above 12.5 kHz.
FluidSynth::FluidSynth(_fluid_hashtable_t* settings, _fluid_synth_t* synth)
    : m_settings(settings), m_synth(synth) {
    constexpr double kBeta = 7.0;
    double sum = 0;
    for (int j = 0; j < kTaps / 2; ++j) {
        const double n = 2 * j + 1;
        const double x = n / kTaps;
        const double sinc = std::sin(std::numbers::pi * n / 2) / (std::numbers::pi * n / 2);
        m_coefficients[j] = static_cast<float>(
            sinc * besselI0(kBeta * std::sqrt(std::max(0.0, 1 - x * x))) / besselI0(kBeta));
        sum += 2 * m_coefficients[j];
    }
    for (float& c : m_coefficients)
        c = static_cast<float>(c / sum);
    for (auto& input : m_input)
        input.assign(kTaps - 1 + kChunk, 0.0F);
    m_ready.reserve(2 * 2 * kChunk);
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

void FluidSynth::synthesise(int halfFrames) {
    constexpr int kHistory = kTaps - 1;
    fluid_synth_write_float(m_synth, halfFrames, m_input[0].data() + kHistory, 0, 1,
                            m_input[1].data() + kHistory, 0, 1);
    const auto toSample = [](float v) {
        return static_cast<std::int16_t>(std::clamp(std::lround(v * 32768.0F), -32768L, 32767L));
    };
    m_ready.resize(4 * static_cast<std::size_t>(halfFrames));
    m_readyAt = 0;
    for (int side = 0; side < 2; ++side) {
        const float* x = m_input[side].data();
        for (int i = 0; i < halfFrames; ++i) {
            // The frame kTaps / 2 back has all the neighbours its odd phase needs.
            const float* at = x + i + kHistory - kTaps / 2;
            float odd = 0;
            for (int j = 0; j < kTaps / 2; ++j)
                odd += m_coefficients[j] * (at[-j] + at[1 + j]);
            m_ready[4 * i + side] = toSample(at[0]);
            m_ready[4 * i + 2 + side] = toSample(odd);
        }
        std::copy_n(m_input[side].begin() + halfFrames, kHistory, m_input[side].begin());
    }
}

void FluidSynth::render(std::int16_t* out, int frames) {
    while (frames > 0) {
        if (m_readyAt == m_ready.size()) synthesise(std::min(kChunk, (frames + 1) / 2));
        const int n = std::min<int>(frames, static_cast<int>((m_ready.size() - m_readyAt) / 2));
        std::copy_n(m_ready.begin() + static_cast<std::ptrdiff_t>(m_readyAt), 2 * n, out);
        m_readyAt += 2 * static_cast<std::size_t>(n);
        out += 2 * n;
        frames -= n;
    }
}

bool FluidSynth::ringing() {
    return fluid_synth_get_active_voice_count(m_synth) > 0;
}

} // namespace vimbo::sound
