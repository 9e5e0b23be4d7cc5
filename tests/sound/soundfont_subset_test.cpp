// The soundfont as our synthesizer reads it: through the preset subset first,
// then through FluidSynth's own loaders. The system's soundfont gives the
// presets the game's pieces play and no other; the fuzzer's small soundfont
// keeps its guitar and drum kit, which still sound; a damaged soundfont is
// refused (the music is then silent) or, where FluidSynth makes sense of it,
// read, and the game plays on either way.
#include "fluid_synth.h"
#include "soundfont_subset.h"

#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <utility>

namespace vimbo::sound {
namespace {

using Presets = std::set<std::pair<int, int>>; // bank, program

const char* kSoundfont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
const std::string kSeeds = VIMBO_SOUNDFONT_SEEDS;

// A synthesizer set up for reading as FluidSynth::create sets it up.
class SoundfontSubset : public ::testing::Test {
protected:
    SoundfontSubset() {
        silenceFluidSynth();
        fluid_settings_setint(m_settings, "synth.dynamic-sample-loading", 1);
        fluid_sfloader_t* loader = new_fluid_defsfloader(m_settings);
        keepOnlyPresets(loader, FluidSynth::kPresets);
        fluid_synth_add_sfloader(m_synth, loader);
    }
    ~SoundfontSubset() override {
        delete_fluid_synth(m_synth);
        delete_fluid_settings(m_settings);
    }

    // The presets of the soundfont at `path`, or nothing when it does not load.
    std::optional<Presets> load(const std::string& path) {
        const int id = fluid_synth_sfload(m_synth, path.c_str(), 1);
        if (id == FLUID_FAILED) return {};
        fluid_sfont_t* font = fluid_synth_get_sfont_by_id(m_synth, id);
        Presets presets;
        fluid_sfont_iteration_start(font);
        while (fluid_preset_t* preset = fluid_sfont_iteration_next(font))
            presets.emplace(fluid_preset_get_banknum(preset), fluid_preset_get_num(preset));
        return presets;
    }

    // The loudest sample of a note on `program` (on `channel`), after a moment.
    float loudness(int channel, int program) {
        fluid_synth_program_change(m_synth, channel, program);
        fluid_synth_noteon(m_synth, channel, 60, 127);
        float left[512] = {}, right[512] = {}, loudest = 0;
        fluid_synth_write_float(m_synth, 512, left, 0, 1, right, 0, 1);
        for (float sample : left)
            loudest = std::max(loudest, std::abs(sample));
        return loudest;
    }

    fluid_settings_t* m_settings = new_fluid_settings();
    fluid_synth_t* m_synth = new_fluid_synth(m_settings);
};

TEST_F(SoundfontSubset, TheSystemSoundfontGivesOnlyThePresetsThePiecesPlay) {
    if (!std::filesystem::exists(kSoundfont)) GTEST_SKIP() << "no " << kSoundfont;
    Presets kept;
    for (const PresetId& id : FluidSynth::kPresets)
        kept.emplace(id.bank, id.program);
    EXPECT_EQ(load(kSoundfont), kept);
}

TEST_F(SoundfontSubset, ASmallSoundfontKeepsItsGuitarAndDrumsAndTheyStillSound) {
    EXPECT_EQ(load(kSeeds + "/small.sf2"), (Presets{{0, 24}, {128, 0}}));
    EXPECT_GT(loudness(0, 24), 0.001F);
    EXPECT_GT(loudness(9, 0), 0.001F);
}

TEST_F(SoundfontSubset, ADamagedSoundfontIsRefusedOrReadAsFarAsItMakesSense) {
    const struct {
        const char* file;
        std::optional<Presets> presets;
    } cases[] = {
        {"broken_cut_short.sf2", std::nullopt},
        {"broken_no_kept_preset.sf2", std::nullopt}, // and no instrument at all
        {"broken_bag_past_end.sf2", std::nullopt},
        // Refused by the subset, read whole by FluidSynth, which reads on
        // as long as the chunks it expects are there.
        {"broken_pdta_size_lies.sf2", Presets{{0, 0}, {0, 24}, {128, 0}}},
        {"broken_shared_zones.sf2", std::nullopt},
        {"broken_shared_generators.sf2", std::nullopt},
        {"broken_shared_modulators.sf2", std::nullopt},
        // The sample is dropped, its presets stay, all but silent.
        {"broken_sample_past_data.sf2", Presets{{0, 24}, {128, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(load(kSeeds + "/" + c.file), c.presets);
    }
    EXPECT_LT(loudness(0, 24), 0.001F);
}

} // namespace
} // namespace vimbo::sound
