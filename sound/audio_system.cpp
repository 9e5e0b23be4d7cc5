#include "audio_system.h"

#include "audio_engine.h"
#include "midi_file.h"
#include "sound_file.h"

namespace vimbo::sound {

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
// the samples are decoded by SDL_mixer on the engine's worker.
class RustlePlayer final : public VoicePlayer<&Voices::rustle> {
public:
    using VoicePlayer::VoicePlayer;

    std::int64_t load(const std::string& path) override {
        if (m_engine.silentForGood()) return 0;
        auto bytes = readSoundFile(path, kMaxWaveBytes);
        if (!bytes) return 0;
        const auto facts = readWaveHeader(*bytes);
        if (!facts) return 0;
        const std::int64_t length = rustleFrames(*facts, AudioEngine::kSampleRate).value_or(0);
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
    : m_engine(std::make_unique<AudioEngine>(AudioEngine::Setup{
          std::move(settings.soundfonts), settings.idleClose, settings.musicGain})) {
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
