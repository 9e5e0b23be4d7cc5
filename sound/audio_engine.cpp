#include "audio_engine.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace vimbo::sound {

namespace {

using Clock = std::chrono::steady_clock;

// The music plays in long blocks of about 93 ms: the audio thread wakes
// about eleven times a second, and each wake-up costs about as much as
// synthesising a block, so a long block keeps the music cheap and leaves the
// server a deep buffer that a busy machine does not drain.
constexpr int kMusicFramesPerBlock = 4096;
// The rustle has a stream of its own, in short blocks of about 12 ms, so that
// it follows the card at once; it is opened for the rustle and closed soon
// after, since its many wake-ups would otherwise cost more than the music.
constexpr int kRustleFramesPerBlock = 512;
// On PipeWire's own stream the rustle is taken in the server's cycle, which
// this asks to be about 6 ms while the rustle plays.
constexpr int kPipeWireRustleFrames = 256;
// How long the rustle's stream stays open after the rustle ended: a player
// turning the stock card after card finds it open.
constexpr std::chrono::milliseconds kRustleLinger{500};
// How often an open output looks whether everything has gone quiet.
constexpr std::chrono::milliseconds kQuietCheck{250};
// How long the audio start-up lets the window have the machine to itself.
constexpr std::chrono::milliseconds kStartDelay{500};

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

// The game prints nothing. SDL logs through its own function; ALSA's library,
// which SDL loads when there is no sound server, complains about missing
// sound cards unless given a handler of its own; FluidSynth has a logger too.
void quietAudioLibraries() {
    SDL_LogSetOutputFunction(&sayNothing, nullptr);
    silenceFluidSynth();
    // Opened for good: the handler must stay set for as long as SDL uses ALSA.
    if (void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL)) {
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
            set(&sayNothingAlsa);
    }
}

} // namespace

AudioEngine::AudioEngine(Setup setup) : m_setup(std::move(setup)) {}

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
        m_noOutput = true; // no thread, no sound; the game plays on
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
        while (!m_jobs.empty() && !m_quit) {
            auto job = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            job();
            lock.lock();
        }
        if (m_quit) break;
        m_woken = false;
        lock.unlock();

        // Commands that came meanwhile have already changed the voices, so
        // nothing asked for before this look is missed.
        const auto now = Clock::now();
        const Wanted wanted = wantedNow();
        // The rustle first: it is the sound a player waits for.
        if (wanted.rustle) {
            m_rustleLastHeard = now;
            if (!m_rustleOpen && !m_rustleShared) openRustleOutput();
        } else if (m_rustleOpen && now - m_rustleLastHeard >= kRustleLinger) {
            closeRustleOutput();
        }
        if (wanted.music || (wanted.rustle && m_rustleShared)) {
            m_lastHeard = now;
            if (!m_open) openOutput();
        } else if (m_open && now - m_lastHeard >= m_setup.idleClose) {
            closeOutput();
        }

        lock.lock();
        const auto due = [this] { return m_quit || m_woken || !m_jobs.empty(); };
        if (m_open || m_rustleOpen)
            m_jobsChanged.wait_for(lock, std::min(kQuietCheck, m_setup.idleClose), due);
        else
            m_jobsChanged.wait(lock, due); // closed: asleep until a command comes
    }
    lock.unlock();
    tearDown();
}

void AudioEngine::startUp() {
    quietAudioLibraries();
    // SDL would otherwise turn SIGTERM and SIGINT into quit events that
    // nobody reads, and the game would no longer end when the desktop session
    // (or Ctrl+C in a terminal) asks it to.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        SDL_Quit(); // what the failed start kept
        m_noOutput = true;
        return;
    }
    m_sdlStarted = true;
    // The disk driver (a file instead of a sound card) writes every stream it
    // opens to the same file: there the rustle is mixed into the music's.
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver && std::strcmp(driver, "disk") == 0) m_rustleShared = true;
    // What a desktop's volume control shows for the game and its two streams.
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Vimbo");
    // A PulseAudio server may be PipeWire's service: there the rustle gets
    // a stream of PipeWire's own, which plays it without PulseAudio's queue.
    // Where PipeWire does not link it to an output (there is none: the
    // machine's sound is PulseAudio's), it is never used.
    if (driver && std::strcmp(driver, "pulseaudio") == 0)
        m_pipewire = PipeWireOutput::create("Vimbo", "Card rustle", kSampleRate,
                                            kPipeWireRustleFrames, &AudioEngine::fillRustle, this);
    auto synth = FluidSynth::create(m_setup.soundfonts, kSampleRate, m_setup.musicGain);
    if (!synth) {
        m_noSynth = true;
        return;
    }
    withVoices([&](Voices& voices) { voices.synth = std::move(synth); });
}

void AudioEngine::tearDown() {
    closeRustleOutput();
    m_pipewire.reset(); // its thread is gone after this
    closeOutput();      // after this the audio threads are gone
    withVoices([](Voices& voices) { voices.synth.reset(); });
    if (m_sdlStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        SDL_Quit(); // nothing else in the program uses SDL; this frees what it kept
    }
    m_sdlStarted = false;
}

AudioEngine::Wanted AudioEngine::wantedNow() {
    if (m_noOutput) return {};
    return withVoices([](Voices& voices) {
        return Wanted{voices.synth && voices.music.audible(), voices.rustle.audible()};
    });
}

bool AudioEngine::openOutput() {
    if (m_open) return true;
    if (m_noOutput || !m_sdlStarted) return false;
    // The hook goes in before the output runs: the device starts playing as
    // it opens, and its first block must already carry the sound that opened
    // it, not a block of silence that would put the rustle a block late.
    Mix_HookMusic(&AudioEngine::hook, this);
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Music");
    if (Mix_OpenAudioDevice(kSampleRate, AUDIO_S16SYS, 2, kMusicFramesPerBlock, nullptr, 0) != 0) {
        Mix_HookMusic(nullptr, nullptr);
        m_noOutput = true; // no sound card: quiet for the rest of the run
        return false;
    }
    m_open = true;
    m_lastHeard = Clock::now(); // held open a while, even if only to decode
    return true;
}

void AudioEngine::closeOutput() {
    if (!m_open) return;
    Mix_HookMusic(nullptr, nullptr);
    Mix_CloseAudio(); // waits for the audio thread to finish its block
    m_open = false;
}

void AudioEngine::openRustleOutput() {
    if (m_pipewire && m_pipewire->linked()) {
        m_pipewire->setPlaying(true); // no SDL device: m_rustleDevice stays 0
        m_rustleOpen = true;
        return;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = kSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = kRustleFramesPerBlock;
    wanted.callback = &AudioEngine::rustleHook;
    wanted.userdata = this;
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Card rustle");
    // SDL converts to whatever the device takes: the callback always gets the
    // format the rustle was decoded to.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device == 0) {
        // An output that takes one stream only (a sound card without a
        // mixer): the rustle is mixed into the music's from now on.
        m_rustleShared = true;
        return;
    }
    m_rustleDevice = device;
    // Opened paused, with the rustle already under way: its first block
    // carries the rustle's first samples.
    SDL_PauseAudioDevice(device, 0);
    m_rustleOpen = true;
}

void AudioEngine::setRustleGoing(bool going) {
    if (m_rustleDevice != 0)
        SDL_PauseAudioDevice(m_rustleDevice, going ? 0 : 1);
    else
        m_pipewire->setPlaying(going);
}

void AudioEngine::closeRustleOutput() {
    if (!m_rustleOpen) return;
    // Stopped, the stream takes nothing more from the rustle. A rustle that
    // started just now keeps its stream; one that starts after the stop
    // opens it again.
    setRustleGoing(false);
    if (withVoices([](Voices& voices) { return voices.rustle.audible(); })) {
        setRustleGoing(true);
        return;
    }
    // PipeWire's stream stays linked, stopped, for the next rustle.
    if (m_rustleDevice != 0) SDL_CloseAudioDevice(m_rustleDevice); // waits for its audio thread
    m_rustleDevice = 0;
    m_rustleOpen = false;
}

void AudioEngine::decode(const std::vector<std::uint8_t>& bytes, std::uint64_t ticket) {
    // SDL_mixer converts a wave to the format of the open output, so it is
    // opened for the moment if it was closed.
    if (!openOutput()) return;
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    Mix_Chunk* chunk = source ? Mix_LoadWAV_RW(source, 1) : nullptr;
    // A wave SDL_mixer cannot read, or one of less than a whole frame, is an
    // empty sound: played, it ends at once.
    std::vector<std::int16_t> samples;
    if (chunk) {
        samples.resize(chunk->alen / (2 * sizeof(std::int16_t)) * 2);
        if (!samples.empty())
            std::memcpy(samples.data(), chunk->abuf, samples.size() * sizeof(std::int16_t));
        Mix_FreeChunk(chunk);
    }
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
        if (m_rustleShared) rustleEnded = m_voices.rustle.mixInto(out, frames);
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
