// What the two devices play, and the thread that keeps it going. The music
// (FluidSynth and its player) is rendered in the music stream's hook, the
// rustle (decoded wave samples) in its own stream's, both under one lock;
// AudioOutput keeps the streams.
//
// A worker thread does everything slow, so the UI thread never waits for audio:
// starting SDL and loading the soundfont at start-up, decoding the wave, and looking after the streams. With no output
// at all (the sound server gone), a rustle runs its course in silence: it
// ends, as a player's next card expects, and no old rustle is heard late.
#pragma once

#include "audio_output.h"
#include "fluid_synth.h"
#include "music_voice.h"
#include "wave_voice.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vimbo::sound {

class AudioEngine {
public:
    static constexpr int kSampleRate = AudioOutput::kSampleRate;

    struct Setup {
        std::vector<std::string> soundfonts;
        std::chrono::milliseconds idleClose;
        double musicGain;
    };

    // What the audio thread plays, and the lock it plays it under.
    struct Voices {
        std::mutex lock;
        MusicVoice music;
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

    // Known for certain that nothing can sound (no worker to play it).
    bool silentForGood() const { return m_noThread; }
    // Known for certain that no music can sound (also: no soundfont).
    bool musicSilentForGood() const { return m_noThread || m_noSynth; }
    bool outputOpen() const { return m_output.open(); }
    // Waits, at most `limit`, for the start-up to be over; true if it is.
    bool waitStarted(std::chrono::milliseconds limit);

private:
    using Clock = AudioOutput::Clock;
    static void hook(void* engine, std::uint8_t* stream, int bytes);
    static void rustleHook(void* engine, std::uint8_t* stream, int bytes);
    static void fillRustle(void* engine, std::int16_t* out, int frames);
    static bool rustleSounding(void* engine);
    void mix(std::int16_t* out, int frames);
    void mixRustle(std::int16_t* out, int frames);

    void run();
    void runJobs(std::unique_lock<std::mutex>& lock);
    bool waitToStart(); // false: the program ends before the start
    void startUp();
    void decode(const std::vector<std::uint8_t>& bytes, std::uint64_t ticket);
    AudioOutput::Wanted wantedNow();
    void rustleWithoutOutput(Clock::time_point now);

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

    std::atomic<bool> m_noThread{false};
    std::atomic<bool> m_noSynth{false};
    // Worker thread only (the output's audio-thread calls aside).
    AudioOutput m_output;
    // Where a rustle without an output was last moved on.
    std::optional<Clock::time_point> m_silentSince;
};

} // namespace vimbo::sound
