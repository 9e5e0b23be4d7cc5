#include "audio_system.h"

#include "audio_output.h"
#include "fluid_synth.h"
#include "midi_file.h"
#include "music_voice.h"
#include "sound_file.h"
#include "wave_decoder.h"
#include "wave_voice.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace vimbo::sound {

namespace {

constexpr int kRate = AudioOutput::kSampleRate;
// How long the audio start-up lets the window have the machine to itself.
constexpr std::chrono::milliseconds kStartDelay{500};

} // namespace

// What the two devices play, and the worker thread that keeps it going. The
// music (FluidSynth and its player) is rendered on the music's stream, the
// rustle (decoded wave samples) on its own, both under one lock.
//
// The worker does everything slow, so the UI thread never waits for audio:
// starting SDL and loading the soundfont, decoding the wave, and looking
// after the streams. With no output at all (no driver, or the sound server
// gone), a rustle ends at once in silence, as a player's next card expects,
// and no old rustle is heard late; the music waits where it is.
class AudioEngine final : public AudioOutput::Source {
public:
    struct Voices {
        std::mutex lock;
        MusicVoice music;
        WaveVoice rustle;
        std::unique_ptr<FluidSynth> synth; // set once the soundfont is loaded
    };

    explicit AudioEngine(AudioSystem::Settings settings)
        : m_settings(std::move(settings)), m_output(*this, m_settings.idleClose) {}
    ~AudioEngine() { shutdown(); }
    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    // Starts the worker. The two calls report, from an audio thread, a piece
    // or a rustle that ran to its end; they must not wait for anything.
    void begin(std::function<void()> musicEnded, std::function<void()> rustleEnded);
    // Quiet and closed for good; no report is made after it returns.
    void shutdown();

    template <class Action> auto withVoices(Action action) {
        std::lock_guard lock(m_voices.lock);
        return action(m_voices);
    }
    // Something may want to sound: open the output if it is closed.
    void wake() {
        tell([this] { m_woken = true; });
    }
    // The samples of a wave file's bytes, decoded on the worker, go to the
    // rustle under `ticket`.
    void decodeRustle(std::vector<std::uint8_t> bytes, std::uint64_t ticket) {
        tell([&] { m_wave.emplace(std::move(bytes), ticket); });
    }
    // Known for certain that nothing can sound (no worker to play it).
    bool silentForGood() const { return m_noThread; }
    // Known for certain that no music can sound (also: no soundfont).
    bool musicSilentForGood() const { return m_noThread || m_noSynth; }
    bool outputOpen() const { return m_output.open(); }
    bool waitStarted(std::chrono::milliseconds limit);

private:
    void mixMusic(std::int16_t* out, int frames) override;
    void mixRustle(std::int16_t* out, int frames) override;
    bool rustleSounding() override {
        return withVoices([](Voices& voices) { return voices.rustle.audible(); });
    }
    template <class Change> void tell(Change change) {
        {
            std::lock_guard lock(m_lock);
            change();
        }
        m_changed.notify_all();
    }
    void run();
    bool waitToStart(); // false: the program ends before the start
    void startUp();
    void look();

    AudioSystem::Settings m_settings;
    Voices m_voices;
    std::function<void()> m_musicEnded;
    std::function<void()> m_rustleEnded;

    // What the worker is asked to do.
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::optional<std::pair<std::vector<std::uint8_t>, std::uint64_t>> m_wave;
    bool m_woken = false;
    bool m_quit = false;
    bool m_started = false;
    bool m_startNow = false;
    std::thread m_worker;
    std::once_flag m_shutdownOnce;

    std::atomic<bool> m_noThread{false};
    std::atomic<bool> m_noSynth{false};
    AudioOutput m_output; // worker thread only (its audio threads aside)
    std::optional<std::chrono::milliseconds> m_sleep;
};

namespace {

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

// `engine` is the live one from now on; with none, `was` is no longer.
void setLive(AudioEngine* engine, AudioEngine* was = nullptr) {
    static std::once_flag atExit;
    std::call_once(atExit, [] { std::atexit(shutDownLiveEngine); });
    std::lock_guard lock(g_liveLock);
    if (engine || g_live == was) g_live = engine;
}

} // namespace

void AudioEngine::begin(std::function<void()> musicEnded, std::function<void()> rustleEnded) {
    m_musicEnded = std::move(musicEnded);
    m_rustleEnded = std::move(rustleEnded);
    setLive(this);
    try {
        m_worker = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        m_noThread = true; // no thread, no sound; the game plays on
        tell([this] { m_started = true; });
    }
}

void AudioEngine::shutdown() {
    std::call_once(m_shutdownOnce, [this] {
        setLive(nullptr, this);
        tell([this] { m_quit = true; });
        if (m_worker.joinable()) m_worker.join();
    });
}

bool AudioEngine::waitStarted(std::chrono::milliseconds limit) {
    std::unique_lock lock(m_lock);
    m_startNow = true;
    m_changed.notify_all();
    return m_changed.wait_for(lock, limit, [this] { return m_started; });
}

bool AudioEngine::waitToStart() {
    // The window comes first: starting SDL and reading the soundfont take tens
    // of milliseconds of CPU, which the window needs more while it is being put
    // on the screen. Nothing is heard before the deal, some seconds later; a
    // sound asked for sooner, or a wait for the start, starts it at once.
    std::unique_lock lock(m_lock);
    m_changed.wait_for(lock, kStartDelay, [this] { return m_quit || m_woken || m_startNow; });
    return !m_quit;
}

void AudioEngine::startUp() {
    silenceFluidSynth();
    m_output.begin();
    auto synth = FluidSynth::create(m_settings.soundfonts, kRate, m_settings.musicGain);
    m_noSynth = !synth;
    withVoices([&](Voices& voices) { voices.synth = std::move(synth); });
}

void AudioEngine::run() {
    if (waitToStart()) startUp();
    std::unique_lock lock(m_lock);
    m_started = true;
    m_changed.notify_all();
    while (!m_quit) {
        auto wave = std::exchange(m_wave, std::nullopt);
        m_woken = false;
        lock.unlock();
        if (wave) {
            auto samples = decodeWave(wave->first, kRate);
            withVoices([&](Voices& v) { v.rustle.deliver(std::move(samples), wave->second); });
        }
        // Commands that came meanwhile have already changed the voices, so
        // nothing asked for before this look is missed.
        look();
        lock.lock();
        const auto due = [this] { return m_quit || m_woken || m_wave; };
        if (m_sleep)
            m_changed.wait_for(lock, *m_sleep, due);
        else
            m_changed.wait(lock, due); // nothing open: asleep until a command comes
    }
    lock.unlock();
    m_output.closeAll();
    withVoices([](Voices& voices) { voices.synth.reset(); });
}

void AudioEngine::look() {
    const auto wanted = withVoices([](Voices& voices) {
        return AudioOutput::Wanted{voices.synth && voices.music.audible(), voices.rustle.audible()};
    });
    m_sleep = m_output.keep(wanted, AudioOutput::Clock::now());
    if (!wanted.rustle || m_output.open()) return;
    std::vector<std::int16_t> nowhere(2 * 4096);
    while (rustleSounding())
        mixRustle(nowhere.data(), 4096);
}

void AudioEngine::mixMusic(std::int16_t* out, int frames) {
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
    if (withVoices([&](Voices& voices) { return voices.rustle.mixInto(out, frames); }))
        m_rustleEnded();
}

namespace {

using Voices = AudioEngine::Voices;

// What the music and the rustle share: a voice of the engine, reached on the
// audio thread's side of its lock. `voice` names which one.
template <auto voice> class VoicePlayer : public MediaPlayer {
public:
    explicit VoicePlayer(AudioEngine& engine) : m_engine(engine) {}

    void unload() override {
        m_engine.withVoices([](Voices& voices) { (voices.*voice).unload(); });
    }
    void start(std::int64_t from) override {
        m_engine.withVoices([from](Voices& voices) { (voices.*voice).start(from); });
        m_engine.wake();
    }
    void halt() override {
        m_engine.withVoices([](Voices& voices) { (voices.*voice).halt(); });
    }
    std::int64_t position() const override {
        return m_engine.withVoices([](Voices& voices) { return (voices.*voice).position(); });
    }

protected:
    AudioEngine& m_engine;
};

// The music: its length in ticks is known at once from our reading of the
// file; FluidSynth's player reads it again on the audio thread.
class MusicPlayer final : public VoicePlayer<&Voices::music> {
public:
    using VoicePlayer::VoicePlayer;

    std::int64_t load(const std::string& path) override {
        if (m_engine.musicSilentForGood()) return 0;
        auto bytes = readSoundFile(path, kMaxMidiBytes);
        const std::int64_t length = bytes ? midiLength(*bytes).value_or(0) : 0;
        if (length <= 0) return 0;
        m_engine.withVoices([&](Voices& voices) { voices.music.load(std::move(*bytes), length); });
        return length;
    }
};

// The rustle: its length in frames of the output comes from the wave's header;
// the samples are decoded by SDL on the engine's worker.
class RustlePlayer final : public VoicePlayer<&Voices::rustle> {
public:
    using VoicePlayer::VoicePlayer;

    std::int64_t load(const std::string& path) override {
        if (m_engine.silentForGood()) return 0;
        auto bytes = readSoundFile(path, kMaxWaveBytes);
        const auto facts = bytes ? readWaveHeader(*bytes) : std::nullopt;
        const std::int64_t length = facts ? rustleFrames(*facts, kRate).value_or(0) : 0;
        if (length <= 0) return 0;
        const std::uint64_t ticket = ++m_tickets;
        m_engine.withVoices([&](Voices& voices) { voices.rustle.load(length, ticket); });
        m_engine.decodeRustle(measuredWave(*bytes, *facts), ticket);
        return length;
    }

private:
    std::uint64_t m_tickets = 0;
};

} // namespace

AudioSystem::AudioSystem(Poster post) : AudioSystem(std::move(post), Settings{}) {}

AudioSystem::AudioSystem(Poster post, Settings settings)
    : m_engine(std::make_unique<AudioEngine>(std::move(settings))) {
    auto music = std::make_unique<MusicPlayer>(*m_engine);
    auto rustle = std::make_unique<RustlePlayer>(*m_engine);
    MediaPlayer* musicPlayer = music.get();
    MediaPlayer* rustlePlayer = rustle.get();
    m_music = std::make_unique<MediaDevice>(std::move(music), post);
    m_rustle = std::make_unique<MediaDevice>(std::move(rustle), post);
    // The players outlive every report: the engine is shut down first.
    m_engine->begin([musicPlayer] { musicPlayer->finished(); },
                    [rustlePlayer] { rustlePlayer->finished(); });
}

AudioSystem::~AudioSystem() {
    m_engine->shutdown(); // the audio thread is gone after this
    m_music.reset();
    m_rustle.reset();
}

SoundDevice& AudioSystem::music() {
    return *m_music;
}
SoundDevice& AudioSystem::rustle() {
    return *m_rustle;
}

bool AudioSystem::waitStarted(std::chrono::milliseconds limit) {
    return m_engine->waitStarted(limit);
}

bool AudioSystem::outputOpen() const {
    return m_engine->outputOpen();
}

} // namespace vimbo::sound
