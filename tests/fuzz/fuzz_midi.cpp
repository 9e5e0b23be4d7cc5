// Arbitrary bytes as the game's music: written as Music/5carte.mid and
// Music/finale.mid, opened and played through the game's own sound commands
// (GameSounds on a MediaDevice), checked by our MIDI reader and played block
// by block the way the audio thread does, on FluidSynth's own player. The
// piece is then also started in the middle, resumed and played over its end
// directly on the music's voice, which the game's commands only reach after
// minutes of music.
//
// The synthesizer has no instruments and runs at a low rate: the player and
// our voice around it are what is fuzzed. With
// VIMBO_FUZZ_SOUNDFONT=path/to/font.sf2 the pieces are rendered with that
// soundfont at the game's rate instead (much slower).
#include "fuzz_session.h"

#include "fluid_synth.h"
#include "game_sounds.h"
#include "media_device.h"
#include "midi_file.h"
#include "music_voice.h"
#include "sound_file.h"

#include <memory>
#include <vector>

namespace vimbo::fuzz {
namespace {

using sound::MusicVoice;

constexpr int kBlock = 1024;       // frames a block, as the audio output asks
constexpr int kSessionBlocks = 32; // two seconds of music at the low rate
constexpr int kEndBlocks = 48;     // to play over the end of the piece

sound::FluidSynth& synthesizer() {
    static const std::unique_ptr<sound::FluidSynth> synth = [] {
        sound::silenceFluidSynth();
        const char* font = std::getenv("VIMBO_FUZZ_SOUNDFONT");
        if (!font || !*font) return sound::FluidSynth::create({}, 16000, 0.5);
        auto made = sound::FluidSynth::create({font}, 44100, 0.5);
        if (!made) {
            std::fprintf(stderr, "VIMBO_FUZZ_SOUNDFONT: %s does not load\n", font);
            std::exit(2);
        }
        return made;
    }();
    FUZZ_CHECK(synth);
    return *synth;
}

// The music player of the real audio system, without the threads.
class MusicPlayer final : public DirectPlayer<MusicVoice> {
public:
    using DirectPlayer::DirectPlayer;

    std::int64_t load(const std::string& path) override {
        auto bytes = sound::readSoundFile(path, sound::kMaxMidiBytes);
        const std::int64_t length = bytes ? sound::midiLength(*bytes).value_or(0) : 0;
        if (length <= 0) return 0;
        m_voice.load(std::move(*bytes), length);
        return length;
    }
};

// One block of the audio thread. Checks what the voice promises about its
// position.
bool renderBlock(MusicVoice& voice, std::int64_t length, std::vector<std::int16_t>& block) {
    const bool wasRunning = voice.audible() && voice.position() < length;
    const std::int64_t before = voice.position();
    const bool ended = voice.render(synthesizer(), block.data(), kBlock);
    const std::int64_t after = voice.position();
    FUZZ_CHECK(after >= 0 && after <= length);
    // The position reads the length exactly when the piece has run out.
    if (ended)
        FUZZ_CHECK(after == length);
    else if (wasRunning)
        FUZZ_CHECK(after < length);
    if (wasRunning) FUZZ_CHECK(after >= before); // a piece never goes backwards
    return ended;
}

// The game's way: open, play, the repeat at the end, the "Music" option off
// and on again, a won game's finale, and the window closing.
void playAsTheGame(const ProgramFolder& folder) {
    MusicVoice voice;
    auto owned = std::make_unique<MusicPlayer>(voice);
    MusicPlayer& player = *owned;
    UiThread ui;
    sound::MediaDevice music(std::move(owned), ui.poster());
    sound::SilentDevice rustle;
    sound::GameSounds sounds(music, rustle, folder.path());
    music.Done = [&sounds] { sounds.MMC1_Done(); };

    std::vector<std::int16_t> block(2 * kBlock);
    // The engine keeps the output open only while something is to be heard.
    const auto run = [&](int blocks) {
        for (int i = 0; i < blocks && voice.audible(); ++i) {
            if (renderBlock(voice, music.length(), block) && player.finished) player.finished();
            ui.runPending();
            FUZZ_CHECK(music.position() >= 0 && music.position() <= music.length());
        }
    };

    sounds.openRustle();
    sounds.openMusic();
    sounds.startMusic(true);
    run(kSessionBlocks);
    sounds.pauseMusic();
    ui.runPending();
    const std::int64_t paused = music.position();
    run(2);
    FUZZ_CHECK(music.position() == paused);
    sounds.resumeMusic();
    run(kSessionBlocks / 2);
    sounds.switchToFinale();
    run(kSessionBlocks / 2);
    sounds.closeAll();
    FUZZ_CHECK(music.length() == 0 && music.position() == 0);
    ui.runPending();
}

// Straight on the voice: a start in the middle, a halt and a start from the
// same place, and a start near the end that plays over it.
void playAroundTheEnd(std::span<const std::uint8_t> bytes) {
    const std::int64_t length = sound::midiLength(bytes).value_or(0);
    if (length <= 0) return;
    MusicVoice voice;
    voice.load({bytes.begin(), bytes.end()}, length);
    std::vector<std::int16_t> block(2 * kBlock);

    voice.start(length / 2);
    for (int i = 0; i < 4; ++i)
        renderBlock(voice, length, block);
    voice.halt();
    const std::int64_t held = voice.position();
    renderBlock(voice, length, block); // silence, or the last notes ringing out
    FUZZ_CHECK(voice.position() == held);
    voice.start(held);
    renderBlock(voice, length, block);

    voice.start(length - 1);
    bool ended = false;
    for (int i = 0; i < kEndBlocks && !ended; ++i)
        ended = renderBlock(voice, length, block);
    if (ended) FUZZ_CHECK(voice.position() == length);
}

} // namespace
} // namespace vimbo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vimbo::fuzz;
    static const ProgramFolder folder;
    const std::span<const std::uint8_t> bytes(data, size);
    folder.write("Music/5carte.mid", bytes);
    folder.write("Music/finale.mid", bytes);
    playAsTheGame(folder);
    if (size <= vimbo::sound::kMaxMidiBytes) playAroundTheEnd(bytes);
    return 0;
}
