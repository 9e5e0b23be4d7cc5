// The game's two pieces as the game reads them: they parse, last as long as
// they should, start and end exactly at the file's ends (the game repeats
// them by starting over at once), and ask only for instruments the system's
// soundfont has, among those our synthesizer reads from it. They are made by
// tools/make_sounds.py; this is what a change there could break without anyone
// hearing it at once.
#include "fluid_synth.h"
#include "midi_song.h"
#include "sound_file.h"

#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>

namespace vimbo::sound {
namespace {

struct Piece {
    std::string file;
    double shortest, longest; // seconds
};

const Piece kPieces[] = {{"5carte.mid", 240, 360}, {"finale.mid", 40, 60}};
const char* kSystemSoundfont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

MidiSong read(const Piece& piece) {
    const auto bytes = readSoundFile(VIMBO_RESOURCES "/Music/" + piece.file, 1u << 20);
    EXPECT_TRUE(bytes && bytes->size() < 64u * 1024) << piece.file << ": missing or too big";
    auto song = bytes ? MidiSong::parse(*bytes) : std::nullopt;
    EXPECT_TRUE(song) << piece.file << " does not parse";
    return song ? *song : MidiSong{};
}

TEST(MusicFiles, LastTheirLengthAndEndExactlyWhereTheyStartOver) {
    for (const Piece& piece : kPieces) {
        SCOPED_TRACE(piece.file);
        const MidiSong song = read(piece);
        ASSERT_FALSE(song.events().empty());
        const double seconds = song.secondsAt(song.lengthTicks());
        EXPECT_GE(seconds, piece.shortest);
        EXPECT_LE(seconds, piece.longest);

        std::map<std::pair<int, int>, int> sounding; // (channel, key) -> notes held
        std::int64_t firstOn = -1, lastOff = 0;
        for (const MidiEvent& e : song.events()) {
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
        EXPECT_EQ(lastOff, song.lengthTicks()) << "silence, or notes, past the music's end";
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
        const MidiSong song = read(piece);
        std::map<int, int> programs; // channel -> program, set before its first note
        std::set<int> played;
        for (const MidiEvent& e : song.events()) {
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
