// A wave file's samples as the rustle plays them: 16-bit stereo at the
// output's rate, converted by SDL from whatever plain samples the file holds.
// Needs no open output: the rustle can be ready before there is one.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vimbo::sound {

// Empty when SDL cannot read the wave (or it holds less than one frame).
// Meant for a wave whose header has been checked (rustleFrames): the
// conversion takes several times the file's size.
std::vector<std::int16_t> decodeWave(std::span<const std::uint8_t> bytes, int rate);

} // namespace vimbo::sound
