// Reading the game's sound files with care: a file that is missing, empty,
// absurdly large or not what its name says is refused, never half-read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vimbo::sound {

// The whole file, or nothing when it is not a regular file of 1..maxBytes bytes
// or cannot be read.
std::optional<std::vector<std::uint8_t>> readSoundFile(const std::string& path,
                                                       std::size_t maxBytes);

// What the header of a RIFF/WAVE file says about its samples.
struct WaveFacts {
    int channels = 0;
    int sampleRate = 0;
    std::int64_t frames = 0;
};

// The facts of a PCM or float wave in `bytes`, or nothing when its chunks do not
// add up (missing format or data chunk, a chunk running past the end, an
// encoding other than plain samples).
std::optional<WaveFacts> readWaveHeader(std::span<const std::uint8_t> bytes);

} // namespace vimbo::sound
