// The audio output behind the two devices, in two streams: SDL2_mixer opens
// the music's, in long blocks, and calls our mix hook from its audio thread,
// where the music (our sequencer on FluidSynth) is rendered; the rustle
// (decoded wave samples) has a stream of its own in short blocks, opened while
// it sounds, so that it is heard the moment a card lands. Where the output
// takes one stream only, the rustle is mixed into the music's. Both audio
// threads play under one lock.
//
// A worker thread does everything slow, so the UI thread never waits for audio:
// starting SDL and loading the soundfont at start-up, decoding the wave, opening
// a stream when something is to be heard on it and closing it again once it
// has been quiet for a while (an open stream keeps an audio thread busy even
// when it only plays silence).
#pragma once

#include "fluid_synth.h"
#include "midi_sequencer.h"
#include "pipewire_output.h"
#include "wave_voice.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vimbo::sound {

class AudioEngine {
public:
    static constexpr int kSampleRate = 44100;

    struct Setup {
        std::vector<std::string> soundfonts;
        std::chrono::milliseconds idleClose;
        double musicGain;
    };

    // What the audio thread plays, and the lock it plays it under.
    struct Voices {
        std::mutex lock;
        MidiSequencer music{kSampleRate};
        WaveVoice rustle;
        std::unique_ptr<FluidSynth> synth; // set once the soundfont is loaded
    };

    explicit AudioEngine(Setup setup);
    ~AudioEngine();
    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    // Starts the worker. The two calls report, from the audio thread, a piece
    // or a rustle that ran to its end; they must not wait for anything.
    void begin(std::function<void()> musicEnded, std::function<void()> rustleEnded);
    // Quiet and closed for good; no report is made after it returns.
    void shutdown();

    template <class Action> auto withVoices(Action action) {
        std::lock_guard lock(m_voices.lock);
        return action(m_voices);
    }
    // Something may want to sound: open the output if it is closed.
    void wake();
    // Decodes a wave file's bytes off the UI thread and hands the samples to
    // the rustle voice under `ticket`.
    void decodeRustle(std::vector<std::uint8_t> bytes, std::uint64_t ticket);

    // Known for certain that nothing can sound (no SDL audio, no output).
    bool silentForGood() const { return m_noOutput; }
    // Known for certain that no music can sound (also: no soundfont).
    bool musicSilentForGood() const { return m_noOutput || m_noSynth; }
    bool outputOpen() const { return m_open || m_rustleOpen; }
    // Waits, at most `limit`, for the start-up to be over; true if it is.
    bool waitStarted(std::chrono::milliseconds limit);

private:
    struct Wanted {
        bool music = false, rustle = false;
    };
    static void hook(void* engine, std::uint8_t* stream, int bytes);
    static void rustleHook(void* engine, std::uint8_t* stream, int bytes);
    static void fillRustle(void* engine, std::int16_t* out, int frames);
    void mix(std::int16_t* out, int frames);
    void mixRustle(std::int16_t* out, int frames);

    void run();
    bool waitToStart(); // false: the program ends before the start
    void startUp();
    void tearDown();
    void decode(const std::vector<std::uint8_t>& bytes, std::uint64_t ticket);
    Wanted wantedNow();
    bool openOutput();
    void closeOutput();
    void openRustleOutput();
    void closeRustleOutput();
    void setRustleGoing(bool going);

    Setup m_setup;
    Voices m_voices;
    std::function<void()> m_musicEnded;
    std::function<void()> m_rustleEnded;

    std::mutex m_jobsLock;
    std::condition_variable m_jobsChanged;
    std::deque<std::function<void()>> m_jobs;
    bool m_woken = false;
    bool m_quit = false;
    bool m_started = false;
    bool m_startNow = false;
    std::thread m_worker;
    std::once_flag m_shutdownOnce;

    std::atomic<bool> m_noOutput{false};
    std::atomic<bool> m_noSynth{false};
    std::atomic<bool> m_open{false};
    std::atomic<bool> m_rustleOpen{false};
    // The output has no stream for the rustle: it is mixed into the music's.
    std::atomic<bool> m_rustleShared{false};
    // Worker thread only.
    bool m_sdlStarted = false;
    std::uint32_t m_rustleDevice = 0;
    // The rustle's stream straight on PipeWire, where the server is PipeWire
    // (linked once, set going for each rustle); SDL's stream otherwise. An
    // open rustle without an SDL device is on PipeWire's.
    std::unique_ptr<PipeWireOutput> m_pipewire;
    std::chrono::steady_clock::time_point m_lastHeard;
    std::chrono::steady_clock::time_point m_rustleLastHeard;
};

} // namespace vimbo::sound
