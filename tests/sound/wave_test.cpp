// Refusing sound files that are not what they seem, and the rustle voice: it
// waits for its samples, mixes over the music and ends exactly.
#include "sound_file.h"
#include "wave_voice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vimbo::sound {
namespace {

using Bytes = std::vector<std::uint8_t>;

void appendLittle(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void appendChunk(Bytes& out, const char* tag, const Bytes& body) {
    out.insert(out.end(), tag, tag + 4);
    appendLittle(out, static_cast<std::uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2) out.push_back(0);
}

// A wave of 16-bit samples with an odd-sized chunk before its format.
Bytes wave(int channels, int rate, int frames, int encoding = 1, int blockAlign = 0) {
    Bytes format;
    appendLittle(format, encoding, 2);
    appendLittle(format, channels, 2);
    appendLittle(format, rate, 4);
    appendLittle(format, rate * channels * 2, 4);
    appendLittle(format, blockAlign ? blockAlign : channels * 2, 2);
    appendLittle(format, 16, 2);
    Bytes out{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    appendChunk(out, "LIST", Bytes(5, 'x'));
    appendChunk(out, "fmt ", format);
    appendChunk(out, "data", Bytes(frames * channels * 2, 0));
    return out;
}

TEST(WaveHeader, GivesTheFramesOfPlainSamples) {
    const auto facts = readWaveHeader(wave(1, 22050, 300));
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->channels, 1);
    EXPECT_EQ(facts->sampleRate, 22050);
    EXPECT_EQ(facts->frames, 300);
}

TEST(WaveHeader, RefusesWhatDoesNotAddUp) {
    Bytes truncated = wave(2, 44100, 100);
    truncated.resize(truncated.size() - 10);
    Bytes noData = wave(2, 44100, 100);
    noData.resize(noData.size() - 8 - 400);
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"empty", {}},
        {"not RIFF", Bytes(64, 'x')},
        {"data past the end", truncated},
        {"no data chunk", noData},
        {"compressed", wave(1, 44100, 100, 2)},
        {"block size at odds with the format", wave(2, 44100, 100, 1, 3)},
        {"no samples", wave(1, 44100, 0)},
        {"absurd rate", wave(1, 10, 100)},
    };
    for (const auto& [what, bytes] : cases)
        EXPECT_FALSE(readWaveHeader(bytes)) << what;
}

TEST(WaveHeader, ARustleLongerThanTenSecondsIsRefusedFromItsHeader) {
    // A thousand frames a second: the slowest rate, the longest a wave grows
    // when converted for the output.
    const auto tenSeconds = readWaveHeader(wave(1, 1000, 10'000));
    ASSERT_TRUE(tenSeconds);
    EXPECT_EQ(rustleFrames(*tenSeconds, 44100), 441'000);
    EXPECT_FALSE(rustleFrames(*readWaveHeader(wave(1, 1000, 10'001)), 44100));
}

TEST(WaveHeader, TheDecoderGetsOnlyTheChunksThatWereMeasured) {
    // A long data chunk, then a short one: the header's facts are the short
    // one's, and so is all the decoder sees.
    Bytes twoData = wave(2, 44100, 100'000);
    appendChunk(twoData, "data", Bytes(40, 1));
    const auto facts = readWaveHeader(twoData);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->frames, 10);
    const Bytes measured = measuredWave(twoData, *facts);
    const auto again = readWaveHeader(measured);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->frames, 10);
    EXPECT_EQ(measured.size(), 12u + 8 + 16 + 8 + 40);
}

TEST(SoundFile, ReadsOnlyARegularFileOfSensibleSize) {
    const auto dir = std::filesystem::temp_directory_path() / "vimbo-sound-file-test";
    std::filesystem::create_directories(dir);
    const auto write = [&](const char* name, std::size_t size) {
        std::ofstream(dir / name, std::ios::binary) << std::string(size, 'a');
        return (dir / name).string();
    };
    EXPECT_FALSE(readSoundFile((dir / "missing").string(), 100));
    EXPECT_FALSE(readSoundFile(dir.string(), 100));
    EXPECT_FALSE(readSoundFile(write("empty", 0), 100));
    EXPECT_FALSE(readSoundFile(write("big", 101), 100));
    const auto bytes = readSoundFile(write("fits", 100), 100);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 100u);
    std::filesystem::remove_all(dir);
}

class WaveVoiceTest : public ::testing::Test {
protected:
    // Mixes one block over a steady music level; true if the rustle ended.
    bool mix(int frames = 4) {
        block.assign(2 * frames, 30000);
        return voice.mixInto(block.data(), frames);
    }
    static std::vector<std::int16_t> samples(int frames, std::int16_t level) {
        return std::vector<std::int16_t>(2 * frames, level);
    }

    WaveVoice voice;
    std::vector<std::int16_t> block;
};

TEST_F(WaveVoiceTest, APlayWaitsForItsSamplesThenEndsExactly) {
    voice.load(10, 1);
    voice.start(0);
    EXPECT_FALSE(mix());
    EXPECT_EQ(block[0], 30000) << "nothing yet to add";
    EXPECT_EQ(voice.position(), 0);

    voice.deliver(samples(10, 5000), 1);
    EXPECT_FALSE(mix());
    EXPECT_EQ(block[0], 32767) << "mixed over the music, clipped";
    EXPECT_EQ(voice.position(), 4);
    EXPECT_FALSE(mix());
    EXPECT_TRUE(mix());
    EXPECT_EQ(block[3], 32767);
    EXPECT_EQ(block[4], 30000) << "only two frames were left";
    EXPECT_EQ(voice.position(), 10);
    EXPECT_FALSE(mix());
    EXPECT_FALSE(voice.audible());
}

TEST_F(WaveVoiceTest, SamplesOfAnEarlierFileAreIgnored) {
    voice.load(10, 1);
    voice.load(10, 2);
    voice.deliver(samples(10, 5000), 1);
    voice.start(0);
    EXPECT_FALSE(voice.audible());
}

TEST_F(WaveVoiceTest, ASoundThatDecodedToNothingEndsAsSoonAsItPlays) {
    voice.load(10, 1);
    voice.deliver({}, 1);
    EXPECT_FALSE(mix()) << "not started";
    voice.start(0);
    EXPECT_TRUE(mix());
    EXPECT_EQ(block[0], 30000);
    EXPECT_EQ(voice.position(), 10);
    EXPECT_FALSE(voice.audible());
}

TEST_F(WaveVoiceTest, AHaltKeepsThePlaceAndALongerDecodeStillEndsAtTheLength) {
    voice.load(6, 1);
    voice.deliver(samples(8, -5000), 1); // the decoder made two frames more
    voice.start(0);
    mix();
    voice.halt();
    EXPECT_FALSE(mix());
    EXPECT_EQ(block[0], 30000);
    EXPECT_EQ(voice.position(), 4);
    voice.start(4);
    EXPECT_FALSE(mix(2));
    EXPECT_EQ(voice.position(), 5) << "not yet out: below the length";
    EXPECT_TRUE(mix(2));
    EXPECT_EQ(voice.position(), 6);
}

} // namespace
} // namespace vimbo::sound
