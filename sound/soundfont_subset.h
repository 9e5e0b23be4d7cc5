// A soundfont seen through a filter: FluidSynth reads the system's General
// MIDI soundfont through these callbacks and finds in it only the presets the
// game's music plays. FluidSynth parses every preset and instrument of a file
// it loads, whatever is played (about 4 MiB of zones for the whole General
// MIDI set); the sample data stays in the file and is read from it as before.
#pragma once

#include <cstdint>
#include <span>

struct _fluid_sfloader_t;

namespace vimbo::sound {

struct PresetId {
    int bank, program;
};

// Makes `loader` (one of FluidSynth's default loaders) read every soundfont
// as only `keep`. A file that is not laid out as expected is refused, and
// FluidSynth's own loader then reads the whole of it.
void keepOnlyPresets(_fluid_sfloader_t* loader, std::span<const PresetId> keep);

} // namespace vimbo::sound
