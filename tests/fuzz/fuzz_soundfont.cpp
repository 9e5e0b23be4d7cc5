// Arbitrary bytes as the system's General MIDI soundfont, which a player may
// replace with any file: written as a .sf2 file and loaded into a synthesizer
// set up for reading as FluidSynth::create sets it up, FluidSynth's default
// loader reading through our preset subset first, then FluidSynth's own
// loaders where the subset refuses the file. A soundfont that loads is then
// played as the game's pieces play it: each kept preset selected on a
// channel of its own (its samples are read then, on demand, through the
// subset again), a note struck on each, a block rendered while they sound.
// Every file opened for the soundfont must be closed again once it is gone.
#include "fuzz_session.h"

#include "fluid_synth.h"
#include "soundfont_subset.h"

#include <dirent.h>
#include <fluidsynth.h>

#include <vector>

namespace vimbo::fuzz {
namespace {

using sound::FluidSynth;

constexpr int kFrames = 256;
constexpr int kDrumChannel = 9;

// One synthesizer for the whole run: making one takes several times as long
// as reading and playing a small soundfont. Of FluidSynth::create's settings
// only the loading matters here: samples read when a preset is first selected.
class Reader {
public:
    Reader() : m_settings(new_fluid_settings()), m_synth(nullptr) {
        sound::silenceFluidSynth(); // and GLib, which FluidSynth's DLS loader speaks through
        fluid_settings_setint(m_settings, "synth.dynamic-sample-loading", 1);
        fluid_settings_setint(m_settings, "synth.lock-memory", 0);
        m_synth = new_fluid_synth(m_settings);
        FUZZ_CHECK(m_synth);
        fluid_sfloader_t* loader = new_fluid_defsfloader(m_settings);
        FUZZ_CHECK(loader);
        sound::keepOnlyPresets(loader, FluidSynth::kPresets);
        fluid_synth_add_sfloader(m_synth, loader);
    }
    ~Reader() {
        delete_fluid_synth(m_synth);
        delete_fluid_settings(m_settings);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    void loadAndPlay(const std::string& path) {
        const int id = fluid_synth_sfload(m_synth, path.c_str(), 1);
        if (id == FLUID_FAILED) return;
        play();
        // Stopped and rendered first, so that no voice holds on to the font.
        fluid_synth_all_sounds_off(m_synth, -1);
        render();
        FUZZ_CHECK(fluid_synth_sfunload(m_synth, id, 1) == FLUID_OK);
    }

private:
    void play() {
        int channel = 0;
        for (const sound::PresetId& preset : FluidSynth::kPresets) {
            const bool drums = preset.bank == 128;
            const int at = drums ? kDrumChannel : channel++ % kDrumChannel;
            if (!drums) fluid_synth_bank_select(m_synth, at, preset.bank);
            fluid_synth_program_change(m_synth, at, preset.program);
            fluid_synth_noteon(m_synth, at, drums ? 38 : 60, 100);
        }
        render();
    }
    void render() {
        std::vector<float> left(kFrames + 1, 0.5F), right(kFrames + 1, 0.5F);
        fluid_synth_write_float(m_synth, kFrames, left.data(), 0, 1, right.data(), 0, 1);
        FUZZ_CHECK(left[kFrames] == 0.5F && right[kFrames] == 0.5F);
    }

    fluid_settings_t* m_settings;
    fluid_synth_t* m_synth;
};

int openFiles() {
    DIR* fds = opendir("/proc/self/fd");
    if (!fds) return -1;
    int count = 0;
    while (readdir(fds))
        ++count;
    closedir(fds);
    return count;
}

} // namespace
} // namespace vimbo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vimbo::fuzz;
    static const ProgramFolder folder;
    static Reader reader;
    folder.write("font.sf2", std::span<const std::uint8_t>(data, size));
    const int before = openFiles();
    reader.loadAndPlay(folder.path() + "/font.sf2");
    FUZZ_CHECK(openFiles() == before);
    return 0;
}

// FluidSynth's own loader forgets a few bytes on some damaged soundfonts
// (the zones of a preset it then refuses), which is not ours to mend; every
// stack of such a leak passes through FluidSynth, as one of our reader's would,
// so no suppression could tell them apart. The count of open files above
// stands in: a view our reader left behind would keep its file open.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}
