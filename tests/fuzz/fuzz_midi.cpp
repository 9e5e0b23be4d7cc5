// Arbitrary bytes as the game's music: written as Music/5carte.mid and
// Music/finale.mid, opened and played through the game's own sound commands
// (GameSounds on a MediaDevice), read by our MIDI reader and sequenced block by
// block the way the audio thread does, into a synthesizer that refuses any
// message that is not a well-formed channel message. The piece is then also
// started in the middle, resumed and played over its end directly on the
// sequencer, which the game's commands only reach after minutes of music.
//
// With VIMBO_FUZZ_SOUNDFONT=path/to/font.sf2 the messages go on to the real
// FluidSynth and are rendered with that soundfont (much slower).
#include "fuzz_session.h"

#include "fluid_synth.h"
#include "game_sounds.h"
#include "media_device.h"
#include "midi_sequencer.h"
#include "midi_song.h"
#include "sound_file.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace vimbo::fuzz {
namespace {

using sound::MidiSequencer;
using sound::MidiSong;

constexpr int kRate = 44100;
constexpr int kBlock = 1024;       // frames a block, as the audio output asks
constexpr int kSessionBlocks = 96; // about two seconds of music
constexpr int kEndBlocks = 96;     // to play over the end of the piece

// Checks every message the sequencer sends; hands it on to a real synthesizer
// if there is one, otherwise renders silence.
class CheckingSynth final : public sound::Synth {
public:
    explicit CheckingSynth(sound::Synth* inner) : m_inner(inner) {}

    void send(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) override {
        FUZZ_CHECK(status >= 0x80 && status <= 0xEF);
        FUZZ_CHECK(data1 < 0x80 && data2 < 0x80);
        if (m_inner) m_inner->send(status, data1, data2);
    }
    void releaseAll() override {
        if (m_inner) m_inner->releaseAll();
    }
    void resetChannels() override {
        if (m_inner) m_inner->resetChannels();
    }
    void render(std::int16_t* out, int frames) override {
        FUZZ_CHECK(frames > 0 && frames <= kBlock);
        if (m_inner) {
            m_inner->render(out, frames);
            return;
        }
        // The first and last sample of the stretch: enough for AddressSanitizer
        // to see a stretch that runs outside the block.
        out[0] = out[2 * frames - 1] = 0;
    }
    bool ringing() override { return m_inner && m_inner->ringing(); }

private:
    sound::Synth* m_inner;
};

sound::Synth* realSynth() {
    static const std::unique_ptr<sound::FluidSynth> synth = [] {
        const char* font = std::getenv("VIMBO_FUZZ_SOUNDFONT");
        if (!font || !*font) return std::unique_ptr<sound::FluidSynth>{};
        sound::silenceFluidSynth();
        auto made = sound::FluidSynth::create({font}, kRate, 0.5);
        if (!made) {
            std::fprintf(stderr, "VIMBO_FUZZ_SOUNDFONT: %s does not load\n", font);
            std::exit(2);
        }
        return made;
    }();
    return synth.get();
}

// The music player of the real audio system, without the threads: the file
// read and parsed on load (its outline, then the whole), the sequencer driven directly.
class SequencerPlayer final : public DirectPlayer<MidiSequencer> {
public:
    using DirectPlayer::DirectPlayer;

    std::int64_t load(const std::string& path) override {
        const auto bytes = sound::readSoundFile(path, sound::MidiSong::kMaxBytes);
        if (!bytes) return 0;
        // As the game: the outline first, the whole piece delivered after.
        auto outline = MidiSong::outline(*bytes);
        if (!outline || outline->lengthTicks() <= 0) return 0;
        auto song = MidiSong::parse(*bytes);
        FUZZ_CHECK(song && song->lengthTicks() == outline->lengthTicks());
        const std::int64_t length = outline->lengthTicks();
        m_voice.load(std::make_shared<const MidiSong>(std::move(*outline)), 1);
        m_voice.deliver(std::make_shared<const MidiSong>(std::move(*song)), 1);
        return length;
    }
};

// One block of the audio thread, then the UI thread catches up. Checks what
// the sequencer promises about its position.
bool renderBlock(MidiSequencer& sequencer, sound::Synth& synth, std::vector<std::int16_t>& block) {
    const bool wasRunning = sequencer.audible() && sequencer.position() < sequencer.length();
    const std::int64_t before = sequencer.position();
    const bool ended = sequencer.render(synth, block.data(), kBlock);
    const std::int64_t after = sequencer.position();
    FUZZ_CHECK(after >= 0 && after <= sequencer.length());
    // The position reads the length exactly when the piece has run out.
    if (ended)
        FUZZ_CHECK(after == sequencer.length());
    else if (wasRunning)
        FUZZ_CHECK(after < sequencer.length());
    if (wasRunning) FUZZ_CHECK(after >= before); // a piece never goes backwards
    return ended;
}

// The game's way: open, play, the repeat at the end, the "Music" option off
// and on again, a won game's finale, and the window closing.
void playAsTheGame(const ProgramFolder& folder, sound::Synth& synth) {
    MidiSequencer sequencer(kRate);
    auto owned = std::make_unique<SequencerPlayer>(sequencer);
    SequencerPlayer& player = *owned;
    UiThread ui;
    sound::MediaDevice music(std::move(owned), ui.poster());
    sound::SilentDevice rustle;
    sound::GameSounds sounds(music, rustle, folder.path());
    music.Done = [&sounds] { sounds.MMC1_Done(); };

    std::vector<std::int16_t> block(2 * kBlock);
    // The engine keeps the output open only while something is to be heard.
    const auto run = [&](int blocks) {
        for (int i = 0; i < blocks; ++i) {
            if (!sequencer.audible()) break;
            if (renderBlock(sequencer, synth, block) && player.finished) player.finished();
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

// Straight on the sequencer: a start in the middle catches up on the state
// the piece leaves there, a halt and a start from the same place resumes,
// and a start near the end plays over it.
void playAroundTheEnd(std::span<const std::uint8_t> bytes, sound::Synth& synth) {
    auto song = MidiSong::parse(bytes);
    if (!song || song->lengthTicks() <= 0) return;
    MidiSequencer sequencer(kRate);
    sequencer.load(std::make_shared<const MidiSong>(std::move(*song)));
    std::vector<std::int16_t> block(2 * kBlock);
    const std::int64_t length = sequencer.length();

    sequencer.start(length / 2);
    for (int i = 0; i < 4; ++i)
        renderBlock(sequencer, synth, block);
    sequencer.halt();
    const std::int64_t held = sequencer.position();
    renderBlock(sequencer, synth, block); // silence, or the held notes ringing out
    FUZZ_CHECK(sequencer.position() == held);
    sequencer.start(held);
    renderBlock(sequencer, synth, block);

    sequencer.start(length - 1);
    bool ended = false;
    for (int i = 0; i < kEndBlocks && !ended; ++i)
        ended = renderBlock(sequencer, synth, block);
    if (ended) FUZZ_CHECK(sequencer.position() == length);
    sequencer.start(length); // a start at the end plays nothing more than its last tick
    for (int i = 0; i < 2; ++i)
        renderBlock(sequencer, synth, block);
}

} // namespace
} // namespace vimbo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vimbo::fuzz;
    static const ProgramFolder folder;
    const std::span<const std::uint8_t> bytes(data, size);
    folder.write("Music/5carte.mid", bytes);
    folder.write("Music/finale.mid", bytes);

    CheckingSynth synth(realSynth());
    playAsTheGame(folder, synth);
    if (size <= vimbo::sound::MidiSong::kMaxBytes) playAroundTheEnd(bytes, synth);
    return 0;
}
