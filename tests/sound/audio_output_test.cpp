// The real audio output on SDL's disk driver, which writes the mixed stream to
// a file at the pace of a sound card: what the player would hear, sample by
// sample.
#include "audio_system.h"
#include "event_queue.h"
#include "game_sounds.h"
#include "midi_builder.h"
#include "sound_file.h"
#include "wave_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <thread>
#include <unistd.h>

namespace vimbo::sound {
namespace {

using namespace std::chrono_literals;
using namespace vimbo::testing;
namespace fs = std::filesystem;

constexpr int kRate = 44100;
const std::string kRustle = VIMBO_RESOURCES "/carta.wav";
const std::string kPiece = VIMBO_RESOURCES "/Music/5carte.mid";

class AudioOutputTest : public ::testing::Test {
protected:
    AudioOutputTest() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                (std::string("vimbo-sound-") + test->name() + "-" + std::to_string(getpid()));
        fs::create_directories(m_dir);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", (m_dir / "out.raw").c_str(), 1);
    }
    ~AudioOutputTest() override {
        audio.reset();
        fs::remove_all(m_dir);
    }

    void start(AudioSystem::Settings settings = {}) {
        audio = std::make_unique<AudioSystem>(ui.poster(), settings);
        ASSERT_TRUE(audio->waitStarted(5s));
    }
    // The UI thread's life meanwhile: posted calls run as they come.
    void runFor(std::chrono::milliseconds span) {
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end) {
            ui.pump();
            std::this_thread::sleep_for(1ms);
        }
    }
    // The stream so far, both channels interleaved.
    std::vector<std::int16_t> heard() const {
        std::ifstream in(m_dir / "out.raw", std::ios::binary);
        std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
        std::vector<std::int16_t> samples(bytes.size() / 2);
        if (!samples.empty()) std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }
    static int loudest(const std::vector<std::int16_t>& samples, std::size_t from = 0) {
        int peak = 0;
        for (std::size_t i = from; i < samples.size(); ++i)
            peak = std::max(peak, std::abs(samples[i]));
        return peak;
    }
    std::string writeFile(const std::string& name, const Bytes& bytes) {
        const fs::path path = m_dir / name;
        std::ofstream out(path, std::ios::binary);
        if (!bytes.empty())
            out.write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
        return path.string();
    }
    // The claves struck at the start of every round, dry: they die away at
    // once, so each round has one clear onset. (The synthesizer reads only
    // the instruments the game's pieces play; the drum kit is one of them.)
    std::string writeChime(int roundTicks) {
        return writeFile(
            "chime.mid",
            midiFile(kTicksPerQuarter,
                     {track({event(0, {0xB9, 91, 0}), event(0, {0x99, 75, 120}),
                             event(40, {0x89, 75, 0}), endOfTrack(roundTicks - 40)})}));
    }

    static constexpr int kTicksPerQuarter = 480; // at 120 a minute: 960 ticks a second
    UiQueue ui;
    std::unique_ptr<AudioSystem> audio;

private:
    fs::path m_dir;
};

TEST_F(AudioOutputTest, ARustleIsHeardAndEndsWithItsPositionAtItsLength) {
    start();
    SoundDevice& rustle = audio->rustle();
    int dones = 0;
    rustle.Done = [&] { ++dones; };
    rustle.open(kRustle);
    runFor(100ms);
    EXPECT_EQ(loudest(heard()), 0) << "nothing before the play";
    rustle.play();
    runFor(500ms);
    EXPECT_GT(loudest(heard()), 8000);
    EXPECT_EQ(rustle.position(), rustle.length());
    EXPECT_EQ(dones, 1);
}

TEST_F(AudioOutputTest, MusicIsHeardUntilPausedAndResumesWhereItStopped) {
    start();
    SoundDevice& music = audio->music();
    music.open(kPiece);
    music.play();
    runFor(600ms);
    music.pause();
    const auto atPause = heard().size();
    const auto where = music.position();
    EXPECT_GT(loudest(heard()), 1000);
    EXPECT_GT(where, 0);

    runFor(300ms);
    // The block being mixed when the pause came may still carry music.
    EXPECT_EQ(loudest(heard(), atPause + 2 * 2 * 1024), 0);
    EXPECT_EQ(music.position(), where);
    music.play();
    runFor(100ms);
    EXPECT_GT(music.position(), where);
    EXPECT_LT(music.position(), where + 960 / 2);
}

TEST_F(AudioOutputTest, APieceStartsOverThroughDoneWithinATenthOfASecond) {
    start();
    const int roundTicks = 240; // a quarter of a second
    GameSounds sounds(audio->music(), audio->rustle(), "");
    audio->music().Done = [&] { sounds.MMC1_Done(); };
    audio->music().open(writeChime(roundTicks));
    sounds.startMusic(true);
    runFor(1400ms);
    audio->music().pause();

    // Where each note begins: loud again after a while below that level.
    const auto samples = heard();
    std::vector<std::size_t> onsets;
    std::optional<std::size_t> lastLoud;
    for (std::size_t frame = 0; frame < samples.size() / 2; ++frame) {
        if (std::abs(samples[2 * frame]) < 1500) continue;
        if (!lastLoud || frame - *lastLoud > kRate / 50) onsets.push_back(frame);
        lastLoud = frame;
    }
    ASSERT_GE(onsets.size(), 4u);
    const std::size_t round = kRate / 4;
    for (std::size_t i = 1; i < onsets.size(); ++i) {
        const std::size_t period = onsets[i] - onsets[i - 1];
        EXPECT_GE(period, round - 64);
        EXPECT_LT(period, round + kRate / 10) << "round " << i;
    }
}

TEST_F(AudioOutputTest, BadFilesLeaveSilentDevicesThatAcceptEverything) {
    start();
    std::mt19937 random(11);
    Bytes noise(3000);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(random());
    const std::string files[] = {"/no/such/file.mid", writeFile("empty", {}),
                                 writeFile("noise", noise), writeFile("noise.wav", noise)};
    for (SoundDevice* device : {&audio->music(), &audio->rustle()}) {
        for (const std::string& file : files) {
            device->Done = [&] { ADD_FAILURE() << "Done from a silent device"; };
            device->open(file);
            EXPECT_EQ(device->length(), 0) << file;
            device->play();
            device->rewind();
            device->play();
            device->pause();
            device->stop();
            EXPECT_EQ(device->position(), device->length());
            device->close();
        }
    }
    runFor(300ms);
    EXPECT_EQ(loudest(heard()), 0);
}

// Six million bytes of 8-bit mono at 1 kHz: SDL_mixer's own loader works out
// its conversion buffer (360 times the data) in an int, which wraps, and
// writes past the small buffer it got. No file reaches that conversion.
TEST_F(AudioOutputTest, TheWaveDecoderNeverConvertsMoreThanARustleNeeds) {
    Bytes huge{'R',  'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V',  'E', 'f', 'm',
               't',  ' ', 16,  0,   0, 0, 1, 0, 1,   0,   0xE8, 3,   0,   0,
               0xE8, 3,   0,   0,   1, 0, 8, 0, 'd', 'a', 't',  'a'};
    const std::uint32_t size = 6'000'000;
    for (int i = 0; i < 4; ++i)
        huge.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
    huge.resize(huge.size() + size, 0x80);
    EXPECT_TRUE(decodeWave(huge, kRate).empty());
    EXPECT_FALSE(rustleFrames(*readWaveHeader(huge), kRate)) << "refused before decoding";

    std::ifstream in(kRustle, std::ios::binary);
    const Bytes rustle{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(static_cast<std::int64_t>(decodeWave(rustle, kRate).size() / 2),
              rustleFrames(*readWaveHeader(rustle), kRate));
}

// Found by the fuzzer, kept among its seeds: a short data chunk read before
// a second format chunk. The decoder is handed the very chunks the length was
// measured on, so what it decodes lasts as long as the header said, and ends.
TEST_F(AudioOutputTest, AWaveIsDecodedFromTheChunksItWasMeasuredOn) {
    start();
    bool done = false;
    audio->rustle().Done = [&] { done = true; };
    audio->rustle().open(VIMBO_WAVE_SEEDS "/broken_less_than_a_frame.wav");
    ASSERT_GT(audio->rustle().length(), 0);
    audio->rustle().play();
    runFor(300ms);
    EXPECT_TRUE(done);
    EXPECT_EQ(audio->rustle().position(), audio->rustle().length());
    audio->rustle().close();
}

// No output now may mean an output later (a sound server that comes up after
// the game): the devices keep their sounds, and a rustle runs its course in
// silence, so that the next card's rustle starts from the beginning.
TEST_F(AudioOutputTest, WithoutAnAudioDriverAllIsSilentAndTheGamePlaysOn) {
    setenv("SDL_AUDIODRIVER", "nonexistent", 1);
    start();
    GameSounds sounds(audio->music(), audio->rustle(), VIMBO_RESOURCES);
    audio->music().Done = [&] { sounds.MMC1_Done(); };
    sounds.openRustle();
    sounds.openMusic();
    sounds.startMusic(true);
    sounds.PlayCardRustle(true);
    runFor(600ms);
    EXPECT_EQ(audio->rustle().position(), audio->rustle().length());
    EXPECT_GT(audio->rustle().length(), 0);
    sounds.PlayClickRustle(true);
    sounds.pauseMusic();
    sounds.resumeMusic();
    sounds.switchToFinale();
    runFor(200ms);
    EXPECT_FALSE(audio->outputOpen());
    sounds.closeAll();
}

TEST_F(AudioOutputTest, WithoutASoundfontTheMusicIsSilentButTheRustlePlays) {
    start({.soundfonts = {"/no/such/soundfont.sf2"}});
    audio->music().open(kPiece);
    audio->rustle().open(kRustle);
    EXPECT_EQ(audio->music().length(), 0);
    audio->music().play();
    audio->rustle().play();
    runFor(400ms);
    EXPECT_EQ(audio->rustle().position(), audio->rustle().length());
    EXPECT_GT(loudest(heard()), 8000);
}

TEST_F(AudioOutputTest, TheOutputClosesWhenAllIsQuietAndOpensForTheNextSound) {
    start({.idleClose = 100ms});
    audio->rustle().open(kRustle);
    audio->music().open(kPiece);
    audio->music().play();
    runFor(200ms);
    audio->music().pause();
    runFor(500ms);
    EXPECT_FALSE(audio->outputOpen()) << "paused music keeps no audio thread busy";
    audio->rustle().play();
    runFor(100ms);
    EXPECT_TRUE(audio->outputOpen());
    runFor(250ms);
    EXPECT_GT(loudest(heard()), 8000) << "heard on the reopened output";
}

TEST_F(AudioOutputTest, GoesAwayCleanlyWhateverIsUnderWay) {
    // Still starting up, with commands waiting.
    audio = std::make_unique<AudioSystem>(ui.poster());
    audio->music().open(kPiece);
    audio->music().play();
    audio->rustle().open(kRustle);
    audio->rustle().play();
    audio.reset();
    // Sounding, with a Done on its way to a UI queue that never runs again.
    start();
    audio->rustle().open(kRustle);
    audio->rustle().play();
    audio->music().open(kPiece);
    audio->music().play();
    runFor(100ms);
    audio->music().pause();
    audio.reset();
    EXPECT_EQ(ui.pump(), 1) << "the pause's Done, dropped quietly";
}

} // namespace
} // namespace vimbo::sound
