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
    // Where the format and data chunks these facts come from begin.
    std::size_t formatAt = 0;
    std::size_t dataAt = 0;
};

// The facts of a PCM or float wave in `bytes`, or nothing when its chunks do not
// add up (missing format or data chunk, a chunk running past the end, an
// encoding other than plain samples).
std::optional<WaveFacts> readWaveHeader(std::span<const std::uint8_t> bytes);

// The rustle is a short sound. A wave file is read only up to this size (ten
// seconds of CD sound fit), and one that would play longer than
// kMaxRustleSeconds is refused from its header alone: decoding and converting
// a long one for the output (a low rate made 44.1 times longer, narrow samples
// made wider, mono made stereo) takes hundreds of megabytes, and a loader
// that sizes the conversion in an int (SDL_mixer's) overflows on the longest.
inline constexpr std::size_t kMaxWaveBytes = 2u << 20;
inline constexpr std::int64_t kMaxRustleSeconds = 10;

// How many frames the wave plays for at `outputRate`, or nothing when that
// is more than a rustle may last.
std::optional<std::int64_t> rustleFrames(const WaveFacts& facts, int outputRate);

// The wave with the two chunks its facts come from and nothing else: what
// goes to the decoder, which then reads what was measured and no other chunk
// (another data chunk, of any length, may stand in the file beside them).
std::vector<std::uint8_t> measuredWave(std::span<const std::uint8_t> bytes, const WaveFacts& facts);

} // namespace vimbo::sound
