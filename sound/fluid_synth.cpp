#include "fluid_synth.h"

#include <SDL_audio.h>
#include <dlfcn.h>
#include <fluidsynth.h>
#include <malloc.h>

#include <algorithm>
#include <filesystem>

namespace vimbo::sound {

namespace {

constexpr int kChannels = 16;
constexpr int kChunk = 256; // half-rate frames synthesised at a time

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

// What the player reads goes to the synthesizer only if it is a channel
// message: system exclusive messages and text stay in the file (the player
// keeps the tempo changes for itself).
int channelMessagesOnly(void* synth, fluid_midi_event_t* event) {
    const int type = fluid_midi_event_get_type(event);
    if (type < 0x80 || type >= 0xF0) return FLUID_OK;
    return fluid_synth_handle_midi_event(synth, event);
}

fluid_settings_t* makeSettings(int sampleRate, double gain) {
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings) return nullptr;
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
    // At the end of a piece its last notes ring out, under the next round if
    // it starts over; the player would silence them at once.
    fluid_settings_setint(settings, "player.reset-synth", 0);
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    return settings;
}

extern "C" void sayNothingGlib(const char*, int, const char*, void*) {}

} // namespace

void silenceFluidSynth() {
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
        fluid_set_log_function(level, nullptr, nullptr);
    // GLib, beneath FluidSynth, complains on its own about a soundfont that
    // FluidSynth's last loader (libinstpatch's) cannot read.
    if (void* glib = dlopen("libglib-2.0.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD)) {
        using Handler = void (*)(const char*, int, const char*, void*);
        using SetHandler = Handler (*)(Handler, void*);
        if (auto set = reinterpret_cast<SetHandler>(dlsym(glib, "g_log_set_default_handler")))
            set(&sayNothingGlib, nullptr);
    }
}

std::unique_ptr<FluidSynth> FluidSynth::create(const std::vector<std::string>& soundfonts,
                                               int sampleRate, double gain) {
    // Every thread of the program would otherwise get a malloc arena of its
    // own, the audio threads included; the few allocations they make do not
    // need one. This is the whole program's setting, made here because the
    // audio start-up comes before the threads that would take new arenas.
    mallopt(M_ARENA_MAX, 2);
    fluid_settings_t* settings = makeSettings(sampleRate, gain);
    fluid_synth_t* synth = settings ? new_fluid_synth(settings) : nullptr;
    SDL_AudioStream* doubler =
        SDL_NewAudioStream(AUDIO_F32SYS, 2, sampleRate / 2, AUDIO_S16SYS, 2, sampleRate);
    if (!synth || !doubler) {
        if (doubler) SDL_FreeAudioStream(doubler);
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
        return nullptr;
    }
    std::unique_ptr<FluidSynth> result(new FluidSynth(settings, synth, doubler));
    // Tried before FluidSynth's own loader, which reads a file it refuses whole.
    if (fluid_sfloader_t* loader = new_fluid_defsfloader(settings)) {
        keepOnlyPresets(loader, kPresets);
        fluid_synth_add_sfloader(synth, loader);
    }
    if (soundfonts.empty()) return result;
    for (const std::string& path : soundfonts) {
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error) &&
            fluid_synth_sfload(synth, path.c_str(), 1) != FLUID_FAILED)
            return result;
    }
    return nullptr;
}

FluidSynth::FluidSynth(_fluid_hashtable_t* settings, _fluid_synth_t* synth,
                       _SDL_AudioStream* doubler)
    : m_settings(settings), m_synth(synth), m_doubler(doubler) {}

FluidSynth::~FluidSynth() {
    if (m_player) delete_fluid_player(m_player);
    delete_fluid_synth(m_synth);
    delete_fluid_settings(m_settings);
    SDL_FreeAudioStream(m_doubler);
}

bool FluidSynth::play(std::span<const std::uint8_t> piece, std::int64_t tick) {
    if (m_player) delete_fluid_player(m_player);
    m_player = new_fluid_player(m_synth);
    if (!m_player) return false;
    fluid_player_set_playback_callback(m_player, &channelMessagesOnly, m_synth);
    if (fluid_player_add_mem(m_player, piece.data(), piece.size()) != FLUID_OK ||
        (tick > 0 && fluid_player_seek(m_player, static_cast<int>(tick)) != FLUID_OK) ||
        fluid_player_play(m_player) != FLUID_OK) {
        delete_fluid_player(m_player);
        m_player = nullptr;
        return false;
    }
    releaseAll();
    resetChannels();
    return true;
}

std::int64_t FluidSynth::tick() const {
    return m_player ? fluid_player_get_current_tick(m_player) : 0;
}

bool FluidSynth::gaveUp() const {
    return !m_player || fluid_player_get_status(m_player) == FLUID_PLAYER_DONE;
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
    // The doubler holds back a few frames for its filter: it is fed until it
    // has the block, and keeps the rest for the next.
    const int bytes = frames * 2 * static_cast<int>(sizeof(std::int16_t));
    while (SDL_AudioStreamAvailable(m_doubler) < bytes) {
        float chunk[2 * kChunk];
        fluid_synth_write_float(m_synth, kChunk, chunk, 0, 2, chunk, 1, 2);
        if (SDL_AudioStreamPut(m_doubler, chunk, sizeof chunk) != 0) break;
    }
    const int got = SDL_AudioStreamGet(m_doubler, out, bytes);
    std::fill(reinterpret_cast<std::uint8_t*>(out) + std::max(got, 0),
              reinterpret_cast<std::uint8_t*>(out) + bytes, std::uint8_t{0});
}

bool FluidSynth::ringing() {
    return fluid_synth_get_active_voice_count(m_synth) > 0;
}

} // namespace vimbo::sound
