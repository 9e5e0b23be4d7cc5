// Arbitrary bytes as the game's card rustle: written as carta.wav, opened and
// played through the game's own sound commands (GameSounds on a MediaDevice).
// The player does what the real one does, without its threads: the file read
// with our size limit, our header checks, the length in output frames, the
// decoder on the measured chunks (SDL's wave loader and converter, to the
// output's format), and the rustle voice mixing the samples block by block
// over the music.
#include "fuzz_session.h"

#include "game_sounds.h"
#include "media_device.h"
#include "sound_file.h"
#include "wave_decoder.h"
#include "wave_voice.h"

#include <memory>
#include <vector>

namespace vimbo::fuzz {
namespace {

using sound::WaveVoice;

constexpr int kRate = 44100;
constexpr int kBlock = 1024;
constexpr int kMaxBlocks = 64; // about a second and a half

// The rustle player of the real audio system, with the decoding done at once.
class VoicePlayer final : public DirectPlayer<WaveVoice> {
public:
    using DirectPlayer::DirectPlayer;

    std::int64_t load(const std::string& path) override {
        const auto bytes = sound::readSoundFile(path, sound::kMaxWaveBytes);
        if (!bytes) return 0;
        const auto facts = sound::readWaveHeader(*bytes);
        if (!facts) return 0;
        FUZZ_CHECK(facts->channels >= 1 && facts->sampleRate > 0 && facts->frames > 0);
        const std::int64_t length = sound::rustleFrames(*facts, kRate).value_or(0);
        if (length <= 0) return 0;
        m_voice.load(length, ++m_tickets);
        m_voice.deliver(sound::decodeWave(sound::measuredWave(*bytes, *facts), kRate), m_tickets);
        return length;
    }

private:
    std::uint64_t m_tickets = 0;
};

// The game's way: the rustle opened at start-up, a card released (the rustle
// from the start), a stock click while it sounds, a click on a card (play,
// then rewind), and the window closing.
void playAsTheGame(const ProgramFolder& folder) {
    WaveVoice voice;
    auto owned = std::make_unique<VoicePlayer>(voice);
    VoicePlayer& player = *owned;
    UiThread ui;
    sound::SilentDevice music;
    sound::MediaDevice rustle(std::move(owned), ui.poster());
    sound::GameSounds sounds(music, rustle, folder.path());

    // What the music would have left in the block: the rustle mixes over it,
    // never past the block's end.
    const std::vector<std::int16_t> musicBlock(2 * kBlock, -20000);
    std::vector<std::int16_t> block(2 * kBlock);
    const auto run = [&](int blocks) {
        for (int i = 0; i < blocks; ++i) {
            if (!voice.audible()) break; // the engine's output would be closed
            block = musicBlock;
            const bool ended = voice.mixInto(block.data(), kBlock);
            if (ended) {
                FUZZ_CHECK(voice.position() == rustle.length());
                if (player.finished) player.finished();
            } else if (voice.audible()) {
                FUZZ_CHECK(voice.position() < rustle.length());
            }
            ui.runPending();
            FUZZ_CHECK(rustle.position() >= 0 && rustle.position() <= rustle.length());
        }
    };

    sounds.openRustle();
    sounds.PlayCardRustle(true);
    run(2);
    sounds.PlayCardRustle(true); // still sounding: not restarted
    run(kMaxBlocks);
    // A sound this short has ended by now, whatever its samples decoded to.
    if (rustle.length() <= kMaxBlocks * kBlock) FUZZ_CHECK(rustle.position() == rustle.length());
    sounds.PlayClickRustle(true);
    run(4);
    sounds.PlayCardRustle(true);
    run(1);
    sounds.closeAll();
    FUZZ_CHECK(rustle.length() == 0 && !voice.audible());
    ui.runPending();
}

} // namespace
} // namespace vimbo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vimbo::fuzz;
    static const ProgramFolder folder;
    folder.write("carta.wav", std::span<const std::uint8_t>(data, size));
    playAsTheGame(folder);
    return 0;
}
