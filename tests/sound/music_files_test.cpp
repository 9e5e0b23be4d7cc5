// The game's two pieces as the game reads them: they parse, last as long as
// they should, start and end exactly at the file's ends (the game repeats
// them by starting over at once), and ask only for instruments the system's
// soundfont has, among those our synthesizer reads from it. They are made by
// tools/make_sounds.py; this is what a change there could break without anyone
// hearing it at once.
#include "fluid_synth.h"
#include "midi_file.h"
#include "music_voice.h"
#include "sound_file.h"

#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace vimbo::sound {
namespace {

struct Piece {
    std::string file;
    double shortest, longest; // seconds
};

const Piece kPieces[] = {{"5carte.mid", 240, 360}, {"finale.mid", 40, 60}};
const char* kSystemSoundfont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// The piece's channel messages in time order, and its length in ticks.
std::vector<MidiEvent> read(const Piece& piece, std::int64_t* length = nullptr) {
    const auto bytes = readSoundFile(VIMBO_RESOURCES "/Music/" + piece.file, kMaxMidiBytes);
    EXPECT_TRUE(bytes && bytes->size() < 64u * 1024) << piece.file << ": missing or too big";
    std::vector<MidiEvent> events;
    const auto ticks = bytes ? midiLength(*bytes, &events) : std::nullopt;
    EXPECT_TRUE(ticks) << piece.file << " does not read";
    if (length) *length = ticks.value_or(0);
    std::stable_sort(events.begin(), events.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
    return events;
}

// How long FluidSynth's player takes over the piece, in seconds: played on
// a synthesizer with no instruments, at a low rate, to its end.
double playedSeconds(const Piece& piece) {
    constexpr int kRate = 16000, kBlock = 4096;
    auto synth = FluidSynth::create({}, kRate, 0.5);
    auto bytes = readSoundFile(VIMBO_RESOURCES "/Music/" + piece.file, kMaxMidiBytes);
    if (!synth || !bytes) return 0;
    MusicVoice voice;
    const std::int64_t length = midiLength(*bytes).value_or(0);
    voice.load(std::move(*bytes), length);
    voice.start(0);
    std::vector<std::int16_t> block(2 * kBlock);
    for (std::int64_t frames = kBlock; frames < 3600 * kRate; frames += kBlock)
        if (voice.render(*synth, block.data(), kBlock)) return double(frames) / kRate;
    return 0;
}

TEST(MusicFiles, LastTheirLengthAndEndExactlyWhereTheyStartOver) {
    for (const Piece& piece : kPieces) {
        SCOPED_TRACE(piece.file);
        std::int64_t length = 0;
        const auto events = read(piece, &length);
        ASSERT_FALSE(events.empty());
        const double seconds = playedSeconds(piece);
        EXPECT_GE(seconds, piece.shortest);
        EXPECT_LE(seconds, piece.longest);

        std::map<std::pair<int, int>, int> sounding; // (channel, key) -> notes held
        std::int64_t firstOn = -1, lastOff = 0;
        for (const MidiEvent& e : events) {
            const int kind = e.status & 0xF0;
            int& held = sounding[std::pair{e.status & 0x0F, int{e.data1}}];
            if (kind == 0x90 && e.data2 > 0) {
                if (firstOn < 0) firstOn = e.tick;
                ++held;
            } else if (kind == 0x80 || kind == 0x90) {
                EXPECT_GT(held--, 0) << "a note-off with no note on, key " << int{e.data1};
                lastOff = std::max(lastOff, e.tick);
            }
        }
        for (const auto& [note, held] : sounding)
            EXPECT_EQ(held, 0) << "channel " << note.first << " key " << note.second << " hangs";
        EXPECT_EQ(firstOn, 0) << "silence before the music";
        EXPECT_EQ(lastOff, length) << "silence, or notes, past the music's end";
    }
}

TEST(MusicFiles, AskOnlyForInstrumentsTheSoundfontHas) {
    if (!std::filesystem::exists(kSystemSoundfont)) GTEST_SKIP() << "no " << kSystemSoundfont;
    fluid_settings_t* settings = new_fluid_settings();
    fluid_synth_t* synth = new_fluid_synth(settings);
    const int id = fluid_synth_sfload(synth, kSystemSoundfont, 0);
    ASSERT_NE(id, FLUID_FAILED);
    fluid_sfont_t* font = fluid_synth_get_sfont_by_id(synth, id);
    for (const Piece& piece : kPieces) {
        SCOPED_TRACE(piece.file);
        std::map<int, int> programs; // channel -> program, set before its first note
        std::set<int> played;
        for (const MidiEvent& e : read(piece)) {
            const int channel = e.status & 0x0F;
            if ((e.status & 0xF0) == 0xC0) programs[channel] = e.data1;
            if ((e.status & 0xF0) != 0x90 || e.data2 == 0) continue;
            played.insert(channel);
            ASSERT_TRUE(channel == 9 || programs.count(channel))
                << "channel " << channel << " has no program";
            const PresetId preset =
                channel == 9 ? PresetId{128, 0} : PresetId{0, programs[channel]};
            EXPECT_TRUE(std::ranges::any_of(
                FluidSynth::kPresets,
                [&](PresetId p) { return p.bank == preset.bank && p.program == preset.program; }))
                << "the synthesizer does not read program " << preset.program;
            if (channel == 9) {
                EXPECT_NE(fluid_sfont_get_preset(font, 128, 0), nullptr);
                continue;
            }
            EXPECT_NE(fluid_sfont_get_preset(font, 0, programs[channel]), nullptr)
                << "program " << programs[channel];
        }
        EXPECT_GE(played.size(), 5u) << "a band, not a soloist";
    }
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
}

} // namespace
} // namespace vimbo::sound
