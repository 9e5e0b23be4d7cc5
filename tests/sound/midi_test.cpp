// Reading MIDI files strictly, and playing them at the right frames with an
// exact end, a frozen pause and a clean start from anywhere.
#include "midi_builder.h"
#include "midi_sequencer.h"
#include "midi_song.h"

#include <gtest/gtest.h>

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
              track({event(0, {0xC0, 19}), event(0, {0x90, 60, 100}),
                     event(100, {62, 90}), // running status
                     event(0, {0xF0, 0x02, 0x7E, 0xF7}), event(0, {0xB0, 7, 99}),
                     event(300, {0x80, 60, 0}), event(200, {0x90, 62, 0}), endOfTrack(100)})});
}

std::optional<MidiSong> parse(const Bytes& bytes) {
    return MidiSong::parse(bytes);
}

TEST(MidiSong, ReadsAllTracksInTimeOrderWithTheTempoMap) {
    const auto song = parse(twoTrackSong());
    ASSERT_TRUE(song);
    EXPECT_EQ(song->lengthTicks(), 700);
    std::vector<std::int64_t> ticks;
    for (const MidiEvent& e : song->events())
        ticks.push_back(e.tick);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{0, 0, 100, 100, 400, 600}));
    EXPECT_EQ(song->events()[2].status, 0x90) << "running status carries the note-on";
    EXPECT_DOUBLE_EQ(song->secondsAt(400), 2.0);
    EXPECT_DOUBLE_EQ(song->secondsAt(600), 2.5);
    EXPECT_DOUBLE_EQ(song->events()[5].seconds, 2.5);
    EXPECT_EQ(song->tickAt(2.5), 600);
    EXPECT_EQ(song->tickAt(2.499), 599);
}

TEST(MidiSong, RefusesWhatDoesNotParse) {
    const Bytes good = twoTrackSong();
    const Bytes note = event(0, {0x90, 60, 100});
    const Bytes end = endOfTrack(10);
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"empty", {}},
        {"header only", Bytes(good.begin(), good.begin() + 14)},
        {"not a MIDI file", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 1, 0, 1, 0, 96}},
        {"format 2", midiFile(96, {track({note, end})}, 2)},
        {"fewer tracks than announced",
         [&] {
             Bytes b = midiFile(96, {track({note, end})});
             b[11] = 2;
             return b;
         }()},
        {"chunk longer than the file",
         [&] {
             Bytes b = midiFile(96, {track({note, end})});
             b.pop_back();
             return b;
         }()},
        {"no end of track", midiFile(96, {track({note})})},
        {"running status with no status", midiFile(96, {track({event(0, {60, 100}), end})})},
        {"running status after a meta event",
         midiFile(96, {track({note, tempo(0, 500'000), event(0, {62, 100}), end})})},
        {"data byte out of range", midiFile(96, {track({event(0, {0x90, 60, 0xE0}), end})})},
        {"meta longer than its track", midiFile(96, {track({event(0, {0xFF, 0x01, 0x40}), end})})},
        {"sysex longer than its track", midiFile(96, {track({event(0, {0xF0, 0x7F}), end})})},
        {"five-byte delta",
         midiFile(96, {chunk("MTrk", {0x81, 0x80, 0x80, 0x80, 0x00, 0xFF, 0x2F, 0x00})})},
        {"zero tempo", midiFile(96, {track({tempo(0, 0), end})})},
        {"system common message", midiFile(96, {track({event(0, {0xF2, 0, 0}), end})})},
        {"zero division", midiFile(0, {track({note, end})})},
        {"23 frames a second", midiFile(0xE901, {track({note, end})})},
    };
    for (const auto& [what, bytes] : cases)
        EXPECT_FALSE(parse(bytes)) << what;
}

TEST(MidiSong, SurvivesRandomAndMangledBytes) {
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
        if (auto song = parse(bytes)) { // what parses must be safe to play
            EXPECT_GE(song->lengthTicks(), 0);
            for (const MidiEvent& e : song->events())
                EXPECT_LE(e.tick, song->lengthTicks());
        }
    }
}

// Writes down what reaches it, at which frame; sounds a constant level.
class FakeSynth final : public Synth {
public:
    void send(std::uint8_t status, std::uint8_t data1, std::uint8_t) override {
        said.push_back(std::to_string(frame) + ":" + std::to_string(status) + "/" +
                       std::to_string(data1));
    }
    void releaseAll() override { said.push_back(std::to_string(frame) + ":release"); }
    void resetChannels() override { said.push_back(std::to_string(frame) + ":reset"); }
    void render(std::int16_t* out, int frames) override {
        std::fill(out, out + 2 * frames, std::int16_t{500});
        frame += frames;
    }
    bool ringing() override { return ringFor-- > 0; }

    std::int64_t frame = 0;
    int ringFor = 0;
    std::vector<std::string> said;
};

class MidiSequencerTest : public ::testing::Test {
protected:
    // 1000 frames a second: tick t plays at frame 5t, and at 2000 + 2.5(t - 400) after
    // the tempo change.
    MidiSequencerTest() : sequencer(1000) {
        sequencer.load(std::make_shared<const MidiSong>(*parse(twoTrackSong())));
    }
    // Renders `frames` in blocks as the audio thread would; true if the piece ended.
    bool play(int frames, int block = 64) {
        bool ended = false;
        std::vector<std::int16_t> out(2 * block);
        for (; frames > 0; frames -= block) {
            ended |= sequencer.render(synth, out.data(), std::min(block, frames));
            silent = out[0] == 0;
        }
        return ended;
    }

    FakeSynth synth;
    MidiSequencer sequencer;
    bool silent = false;
};

TEST_F(MidiSequencerTest, SendsEachMessageAtItsFrameAndEndsExactly) {
    sequencer.start(0);
    EXPECT_FALSE(play(2749));
    EXPECT_EQ(sequencer.position(), 699);
    EXPECT_TRUE(play(1));
    EXPECT_EQ(sequencer.position(), sequencer.length());
    EXPECT_EQ(synth.said, (std::vector<std::string>{"0:release", "0:reset", "0:192/19", "0:144/60",
                                                    "500:144/62", "500:176/7", "2000:128/60",
                                                    "2500:144/62", "2750:release"}));
    EXPECT_FALSE(play(640)) << "an ended piece stays ended";
    EXPECT_EQ(sequencer.position(), sequencer.length());
}

TEST_F(MidiSequencerTest, AHaltFreezesAndAStartThereResumes) {
    sequencer.start(0);
    play(640);
    sequencer.halt();
    const auto where = sequencer.position();
    EXPECT_EQ(where, 128);
    const auto sent = synth.said.size();
    play(640);
    EXPECT_TRUE(silent);
    EXPECT_EQ(sequencer.position(), where);
    EXPECT_FALSE(sequencer.audible());

    sequencer.start(where);
    play(64);
    EXPECT_FALSE(silent);
    EXPECT_EQ(synth.said.size(), sent) << "no reset, the held notes go on";
    EXPECT_EQ(sequencer.position(), where + 12);
}

TEST_F(MidiSequencerTest, AStartElsewhereCatchesUpOnProgramsAndControllers) {
    sequencer.start(0);
    play(64);
    synth.said.clear();
    sequencer.start(300);
    EXPECT_EQ(sequencer.position(), 300);
    play(64);
    // Program and volume come back; the notes before tick 300 do not.
    EXPECT_EQ(synth.said,
              (std::vector<std::string>{"64:release", "64:reset", "64:192/19", "64:176/7"}));
}

// The UI thread loads a piece's outline, with no events; the whole piece is
// read on the worker and comes a little later. Positions are exact all along,
// and the events sound from where the play has got to.
TEST_F(MidiSequencerTest, APieceWhoseEventsComeLaterSoundsFromWhereThePlayStands) {
    const auto outline = MidiSong::outline(twoTrackSong());
    ASSERT_TRUE(outline);
    EXPECT_TRUE(outline->events().empty());
    EXPECT_EQ(outline->lengthTicks(), parse(twoTrackSong())->lengthTicks());
    sequencer.load(std::make_shared<const MidiSong>(*outline), 7);
    sequencer.start(0);
    play(640);
    EXPECT_EQ(sequencer.position(), 128);
    sequencer.deliver(std::make_shared<const MidiSong>(*parse(twoTrackSong())), 6);
    play(64);
    EXPECT_EQ(synth.said, (std::vector<std::string>{"0:release", "0:reset"}))
        << "the events of another load are not played";
    synth.said.clear();
    sequencer.deliver(std::make_shared<const MidiSong>(*parse(twoTrackSong())), 7);
    play(64);
    EXPECT_EQ(synth.said,
              (std::vector<std::string>{"704:release", "704:reset", "704:192/19", "704:176/7"}));
    EXPECT_EQ(sequencer.position(), 153);
}

TEST_F(MidiSequencerTest, TheLastNotesRingOutAfterTheEnd) {
    sequencer.start(0);
    synth.ringFor = 2;
    play(2752);
    EXPECT_TRUE(sequencer.audible());
    EXPECT_FALSE(silent);
    play(192);
    EXPECT_FALSE(sequencer.audible());
    EXPECT_TRUE(silent);
}

} // namespace
} // namespace vimbo::sound
