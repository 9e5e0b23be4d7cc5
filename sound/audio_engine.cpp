#include "audio_engine.h"

#include "wave_decoder.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace vimbo::sound {

namespace {

// How long the audio start-up lets the window have the machine to itself.
constexpr std::chrono::milliseconds kStartDelay{500};
// How often a rustle with no output to play on is moved on in silence.
constexpr std::chrono::milliseconds kSilentStep{100};

// A program that ends through exit() skips the destructors of main's locals;
// the engine still running then is shut down before the libraries go away.
std::mutex g_liveLock;
AudioEngine* g_live = nullptr;

void shutDownLiveEngine() {
    AudioEngine* engine = nullptr;
    {
        std::lock_guard lock(g_liveLock);
        std::swap(engine, g_live);
    }
    if (engine) engine->shutdown();
}

void registerLive(AudioEngine* engine) {
    static std::once_flag atExit;
    std::call_once(atExit, [] { std::atexit(shutDownLiveEngine); });
    std::lock_guard lock(g_liveLock);
    g_live = engine;
}

void unregisterLive(AudioEngine* engine) {
    std::lock_guard lock(g_liveLock);
    if (g_live == engine) g_live = nullptr;
}

void sayNothing(void*, int, SDL_LogPriority, const char*) {}
extern "C" void sayNothingAlsa(const char*, int, const char*, int, const char*, ...) {}
extern "C" void sayNothingGlib(const char*, int, const char*, void*) {}

// The game prints nothing. SDL logs through its own function; ALSA's library,
// which SDL loads when there is no sound server, complains about missing
// sound cards unless given a handler of its own; FluidSynth has a logger too,
// and GLib beneath it complains on its own about a soundfont it cannot read.
void quietAudioLibraries() {
    SDL_LogSetOutputFunction(&sayNothing, nullptr);
    silenceFluidSynth();
    if (void* glib = dlopen("libglib-2.0.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD)) {
        using Handler = void (*)(const char*, int, const char*, void*);
        using SetHandler = Handler (*)(Handler, void*);
        if (auto set = reinterpret_cast<SetHandler>(dlsym(glib, "g_log_set_default_handler")))
            set(&sayNothingGlib, nullptr);
    }
    // Opened for good: the handler must stay set for as long as SDL uses ALSA.
    if (void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL)) {
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
            set(&sayNothingAlsa);
    }
}

} // namespace

AudioEngine::AudioEngine(Setup setup)
    : m_setup(std::move(setup)), m_output({this, &AudioEngine::hook, &AudioEngine::rustleHook,
                                           &AudioEngine::fillRustle, &AudioEngine::rustleSounding},
                                          m_setup.idleClose) {}

AudioEngine::~AudioEngine() {
    shutdown();
}

void AudioEngine::begin(std::function<void()> musicEnded, std::function<void()> rustleEnded) {
    m_musicEnded = std::move(musicEnded);
    m_rustleEnded = std::move(rustleEnded);
    registerLive(this);
    try {
        m_worker = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        m_noThread = true; // no thread, no sound; the game plays on
        std::lock_guard lock(m_jobsLock);
        m_started = true;
    }
}

void AudioEngine::shutdown() {
    std::call_once(m_shutdownOnce, [this] {
        unregisterLive(this);
        {
            std::lock_guard lock(m_jobsLock);
            m_quit = true;
        }
        m_jobsChanged.notify_all();
        if (m_worker.joinable()) m_worker.join();
    });
}

void AudioEngine::wake() {
    {
        std::lock_guard lock(m_jobsLock);
        m_woken = true;
    }
    m_jobsChanged.notify_all();
}

void AudioEngine::decodeRustle(std::vector<std::uint8_t> bytes, std::uint64_t ticket) {
    {
        std::lock_guard lock(m_jobsLock);
        m_jobs.push_back([this, bytes = std::move(bytes), ticket] { decode(bytes, ticket); });
    }
    m_jobsChanged.notify_all();
}

bool AudioEngine::waitStarted(std::chrono::milliseconds limit) {
    std::unique_lock lock(m_jobsLock);
    m_startNow = true;
    m_jobsChanged.notify_all();
    return m_jobsChanged.wait_for(lock, limit, [this] { return m_started; });
}

bool AudioEngine::waitToStart() {
    // The window comes first: starting SDL and reading the soundfont take tens
    // of milliseconds of CPU, which the window needs more while it is being put
    // on the screen. Nothing is heard before the deal, some seconds later; a
    // sound asked for sooner, or a wait for the start, starts it at once.
    std::unique_lock lock(m_jobsLock);
    m_jobsChanged.wait_for(lock, kStartDelay, [this] { return m_quit || m_woken || m_startNow; });
    return !m_quit;
}

void AudioEngine::run() {
    if (waitToStart()) startUp();
    std::unique_lock lock(m_jobsLock);
    m_started = true;
    m_jobsChanged.notify_all();
    while (!m_quit) {
        runJobs(lock);
        if (m_quit) break;
        m_woken = false;
        lock.unlock();

        // Commands that came meanwhile have already changed the voices, so
        // nothing asked for before this look is missed.
        const auto now = Clock::now();
        auto sleep = m_output.keep(wantedNow(), now);
        rustleWithoutOutput(now);
        if (m_silentSince) sleep = std::min(sleep.value_or(kSilentStep), kSilentStep);

        lock.lock();
        const auto due = [this] { return m_quit || m_woken || !m_jobs.empty(); };
        if (sleep)
            m_jobsChanged.wait_for(lock, *sleep, due);
        else
            m_jobsChanged.wait(lock, due); // nothing open: asleep until a command comes
    }
    lock.unlock();
    m_output.closeAll();
    withVoices([](Voices& voices) { voices.synth.reset(); });
}

void AudioEngine::runJobs(std::unique_lock<std::mutex>& lock) {
    while (!m_jobs.empty() && !m_quit) {
        auto job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}

void AudioEngine::startUp() {
    quietAudioLibraries();
    m_output.begin();
    auto synth = FluidSynth::create(m_setup.soundfonts, kSampleRate, m_setup.musicGain);
    if (!synth) {
        m_noSynth = true;
        return;
    }
    withVoices([&](Voices& voices) { voices.synth = std::move(synth); });
}

AudioOutput::Wanted AudioEngine::wantedNow() {
    return withVoices([](Voices& voices) {
        return AudioOutput::Wanted{voices.synth && voices.music.audible(), voices.rustle.audible()};
    });
}

void AudioEngine::rustleWithoutOutput(Clock::time_point now) {
    const bool silent =
        !m_output.open() && withVoices([](Voices& voices) { return voices.rustle.audible(); });
    if (!silent) {
        m_silentSince.reset();
        return;
    }
    if (!m_silentSince) m_silentSince = now;
    const auto frames =
        std::chrono::duration_cast<std::chrono::microseconds>(now - *m_silentSince).count() *
        kSampleRate / 1'000'000;
    // Moved on by whole frames only; the rest is counted next time.
    *m_silentSince += std::chrono::microseconds(frames * 1'000'000 / kSampleRate);
    std::vector<std::int16_t> nowhere(2 * 4096);
    for (std::int64_t left = frames; left > 0; left -= 4096)
        mixRustle(nowhere.data(), static_cast<int>(std::min<std::int64_t>(left, 4096)));
}

void AudioEngine::decode(const std::vector<std::uint8_t>& bytes, std::uint64_t ticket) {
    auto samples = decodeWave(bytes, kSampleRate);
    withVoices([&](Voices& voices) { voices.rustle.deliver(std::move(samples), ticket); });
}

namespace {
int framesIn(int bytes) {
    return bytes / (2 * static_cast<int>(sizeof(std::int16_t)));
}
} // namespace

void AudioEngine::hook(void* engine, std::uint8_t* stream, int bytes) {
    static_cast<AudioEngine*>(engine)->mix(reinterpret_cast<std::int16_t*>(stream),
                                           framesIn(bytes));
}

void AudioEngine::fillRustle(void* engine, std::int16_t* out, int frames) {
    static_cast<AudioEngine*>(engine)->mixRustle(out, frames);
}

bool AudioEngine::rustleSounding(void* engine) {
    return static_cast<AudioEngine*>(engine)->withVoices(
        [](Voices& voices) { return voices.rustle.audible(); });
}

void AudioEngine::rustleHook(void* engine, std::uint8_t* stream, int bytes) {
    fillRustle(engine, reinterpret_cast<std::int16_t*>(stream), framesIn(bytes));
}

void AudioEngine::mix(std::int16_t* out, int frames) {
    bool musicEnded = false;
    bool rustleEnded = false;
    {
        std::lock_guard lock(m_voices.lock);
        if (m_voices.synth)
            musicEnded = m_voices.music.render(*m_voices.synth, out, frames);
        else
            std::fill(out, out + 2 * frames, std::int16_t{0});
        if (m_output.rustleShared()) rustleEnded = m_voices.rustle.mixInto(out, frames);
    }
    if (musicEnded) m_musicEnded();
    if (rustleEnded) m_rustleEnded();
}

void AudioEngine::mixRustle(std::int16_t* out, int frames) {
    std::fill(out, out + 2 * frames, std::int16_t{0});
    bool rustleEnded = false;
    {
        std::lock_guard lock(m_voices.lock);
        rustleEnded = m_voices.rustle.mixInto(out, frames);
    }
    if (rustleEnded) m_rustleEnded();
}

} // namespace vimbo::sound
