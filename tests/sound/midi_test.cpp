// Reading MIDI files strictly, and playing them on FluidSynth's player with
// an exact end, a frozen pause and a clean start from anywhere.
#include "fluid_synth.h"
#include "midi_builder.h"
#include "midi_file.h"
#include "music_voice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace vimbo::sound {
namespace {

using namespace vimbo::testing;

// 100 ticks a quarter at 120 a minute: 200 ticks a second until the tempo
// doubles at tick 400 (two seconds in); the end at tick 700 is 2.75 s in.
Bytes twoTrackSong() {
    return midiFile(
        100, {track({tempo(0, 500'000), tempo(400, 250'000), endOfTrack(0)}),
              track({event(0, {0xC0, 41}), event(0, {0x90, 60, 100}),
                     event(100, {62, 90}), // running status
                     event(0, {0xF0, 0x02, 0x7E, 0xF7}), event(0, {0xB0, 7, 99}),
                     event(300, {0x80, 60, 0}), event(200, {0x90, 62, 0}), endOfTrack(100)})});
}

TEST(MidiFile, GivesTheLengthOfTheLongestTrackAndTheChannelMessages) {
    std::vector<MidiEvent> events;
    EXPECT_EQ(midiLength(twoTrackSong(), &events), 700);
    std::vector<std::int64_t> ticks;
    for (const MidiEvent& e : events)
        ticks.push_back(e.tick);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{0, 0, 100, 100, 400, 600}));
    EXPECT_EQ(events[2].status, 0x90) << "running status carries the note-on";
}

// Everything FluidSynth's reader refuses is refused here first, and more.
TEST(MidiFile, RefusesWhatDoesNotParse) {
    const Bytes good = twoTrackSong();
    const Bytes note = event(0, {0x90, 60, 100});
    const Bytes end = endOfTrack(10);
    const auto patched = [](Bytes b, std::size_t at, std::uint8_t value) {
        b[at] = value;
        return b;
    };
    const Bytes one = midiFile(96, {track({note, end})});
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"empty", {}},
        {"header only", Bytes(good.begin(), good.begin() + 14)},
        {"not a MIDI file", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 1, 0, 1, 0, 96}},
        {"format 2", midiFile(96, {track({note, end})}, 2)},
        {"fewer tracks than announced", patched(one, 11, 2)},
        {"chunk longer than the file", Bytes(one.begin(), one.end() - 1)},
        {"header longer than six bytes",
         [&] {
             Bytes b = chunk("MThd", {0, 0, 0, 1, 0, 96, 0, 0});
             const Bytes t = track({note, end});
             b.insert(b.end(), t.begin(), t.end());
             return b;
         }()},
        {"a chunk of another kind before the track", patched(one, 14, 'X')},
        {"no end of track", midiFile(96, {track({note})})},
        {"running status with no status", midiFile(96, {track({event(0, {60, 100}), end})})},
        {"running status after a meta event",
         midiFile(96, {track({note, tempo(0, 500'000), event(0, {62, 100}), end})})},
        {"data byte out of range", midiFile(96, {track({event(0, {0x90, 60, 0xE0}), end})})},
        {"meta longer than its track", midiFile(96, {track({event(0, {0xFF, 0x01, 0x40}), end})})},
        {"time signature of three bytes",
         midiFile(96, {track({event(0, {0xFF, 0x58, 3, 4, 2, 24}), end})})},
        {"end of track with a body", midiFile(96, {track({event(0, {0xFF, 0x2F, 1, 0})})})},
        {"sysex longer than its track", midiFile(96, {track({event(0, {0xF0, 0x7F}), end})})},
        {"escaped sysex", midiFile(96, {track({event(0, {0xF7, 1, 0xF7}), end})})},
        {"five-byte delta",
         midiFile(96, {chunk("MTrk", {0x81, 0x80, 0x80, 0x80, 0x00, 0xFF, 0x2F, 0x00})})},
        {"zero tempo", midiFile(96, {track({tempo(0, 0), end})})},
        {"system common message", midiFile(96, {track({event(0, {0xF2, 0, 0}), end})})},
        {"zero division", midiFile(0, {track({note, end})})},
        {"SMPTE division", midiFile(0xE728, {track({note, end})})},
    };
    for (const auto& [what, bytes] : cases)
        EXPECT_FALSE(midiLength(bytes)) << what;
    Bytes manyTracks = midiFile(96, {});
    manyTracks[10] = 0;
    manyTracks[11] = kMaxMidiTracks + 1;
    for (std::uint32_t i = 0; i <= kMaxMidiTracks; ++i) {
        const Bytes t = track({end});
        manyTracks.insert(manyTracks.end(), t.begin(), t.end());
    }
    EXPECT_FALSE(midiLength(manyTracks)) << "more tracks than FluidSynth's player holds";
}

TEST(MidiFile, SurvivesRandomAndMangledBytes) {
    std::mt19937 random(5);
    const Bytes good = twoTrackSong();
    for (int round = 0; round < 3000; ++round) {
        Bytes bytes = good;
        if (round % 3 == 0) {
            bytes.resize(random() % 200);
            for (auto& b : bytes)
                b = static_cast<std::uint8_t>(random());
            if (round % 2 == 0 && bytes.size() > 4) std::copy_n("MThd", 4, bytes.begin());
        } else {
            for (int flips = 1 + random() % 4; flips > 0; --flips)
                bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
            bytes.resize(bytes.size() - random() % 8);
        }
        std::vector<MidiEvent> events;
        if (auto length = midiLength(bytes, &events)) { // what reads must be safe to play
            EXPECT_GE(*length, 0);
            for (const MidiEvent& e : events)
                EXPECT_LE(e.tick, *length);
        }
    }
}

// The piece on the real synthesizer and player, with the system's soundfont
// (the tests listen for a held note), at the output's rate. 200 ticks a
// second: a viola holds a note from tick 0 to 400 and strikes another at 500;
// the piece ends at 700, 3.5 s in.
class MusicVoiceTest : public ::testing::Test {
protected:
    static constexpr int kRate = 44100;
    static constexpr int kBlock = 512;

    void SetUp() override {
        silenceFluidSynth();
        synth = FluidSynth::create({"/usr/share/sounds/sf2/TimGM6mb.sf2"}, kRate, 0.5);
        if (!synth) GTEST_SKIP() << "no system soundfont";
        voice.load(midiFile(100, {track({event(0, {0xC0, 41}), event(0, {0x90, 60, 100}),
                                         event(400, {0x80, 60, 0}), event(100, {0x90, 64, 100}),
                                         event(200, {0x80, 64, 0}), endOfTrack(0)})}),
                   700);
    }
    // Renders about `seconds`; true if the piece ended meanwhile. `peak` is
    // the loudest sample of the last block.
    bool play(double seconds) {
        bool ended = false;
        std::vector<std::int16_t> out(2 * kBlock);
        for (int frames = static_cast<int>(seconds * kRate); frames > 0; frames -= kBlock) {
            ended |= voice.render(*synth, out.data(), kBlock);
            peak = 0;
            for (std::int16_t s : out)
                peak = std::max(peak, std::abs(s));
        }
        return ended;
    }

    std::unique_ptr<FluidSynth> synth;
    MusicVoice voice;
    int peak = 0;
};

TEST_F(MusicVoiceTest, EndsExactlyAtItsLengthAndReadsItOnlyThen) {
    voice.start(0);
    EXPECT_FALSE(play(3.45));
    EXPECT_GE(voice.position(), 688);
    int blocks = 0;
    std::vector<std::int16_t> out(2 * kBlock);
    while (!voice.render(*synth, out.data(), kBlock)) {
        EXPECT_LT(voice.position(), 700);
        ASSERT_LT(++blocks, 20) << "no end";
    }
    EXPECT_EQ(voice.position(), 700);
    EXPECT_FALSE(play(0.5)) << "an ended piece stays ended";
    EXPECT_EQ(voice.position(), 700);
}

TEST_F(MusicVoiceTest, AHaltFreezesAndAStartThereResumesTheHeldNote) {
    voice.start(0);
    play(0.5);
    voice.halt();
    const auto where = voice.position();
    EXPECT_NEAR(where, 100, 8); // the synthesizer runs a few milliseconds ahead
    play(0.5);
    EXPECT_EQ(peak, 0) << "halted: silent";
    EXPECT_EQ(voice.position(), where);
    EXPECT_FALSE(voice.audible());
    voice.start(where);
    play(0.5);
    EXPECT_GT(peak, 1000) << "the note held at the halt sounds on";
    EXPECT_NEAR(voice.position(), where + 100, 8);
}

TEST_F(MusicVoiceTest, AStartElsewhereCatchesUpOnTheProgramButStrikesNoEarlierNote) {
    voice.start(0);
    play(0.2);
    voice.start(150);
    EXPECT_EQ(voice.position(), 150);
    play(0.5);
    EXPECT_LT(peak, 1000) << "the note of tick 0 is not struck again";
    // The note of tick 500 sounds: the viola came back with the catch-up, and
    // without it the channel would be on program 0, which we do not read.
    voice.start(450);
    play(0.5);
    EXPECT_GT(peak, 1000);
    EXPECT_NEAR(voice.position(), 550, 8);
}

TEST_F(MusicVoiceTest, APieceThePlayerRefusesStaysSilentAndNeverEnds) {
    voice.load({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96}, 700);
    voice.start(0);
    EXPECT_FALSE(play(0.5));
    EXPECT_FALSE(voice.audible());
    EXPECT_LT(voice.position(), 700);
}

} // namespace
} // namespace vimbo::sound
