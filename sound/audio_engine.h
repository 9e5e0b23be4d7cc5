// The audio output behind the two devices: SDL2_mixer opens the sound card and
// calls our mix hook from its audio thread, where the music (our sequencer on
// FluidSynth) and the rustle (decoded wave samples) are rendered under one lock.
//
// A worker thread does everything slow, so the UI thread never waits for audio:
// starting SDL and loading the soundfont at start-up, decoding the wave, opening
// the output when something is to be heard and closing it again once all has
// been quiet for a while (an open output keeps SDL's audio thread busy even when
// it only plays silence).
#pragma once

#include "fluid_synth.h"
#include "midi_sequencer.h"
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
    bool outputOpen() const { return m_open; }
    // Waits, at most `limit`, for the start-up to be over; true if it is.
    bool waitStarted(std::chrono::milliseconds limit);

private:
    static void hook(void* engine, std::uint8_t* stream, int bytes);
    void mix(std::int16_t* out, int frames);

    void run();
    bool waitToStart(); // false: the program ends before the start
    void startUp();
    void tearDown();
    void decode(const std::vector<std::uint8_t>& bytes, std::uint64_t ticket);
    bool wantsOutput();
    bool openOutput();
    void closeOutput();

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
    // Worker thread only.
    bool m_sdlStarted = false;
    std::chrono::steady_clock::time_point m_lastHeard;
};

} // namespace vimbo::sound
