#include "wave_decoder.h"

#include <SDL.h>

#include <cstring>

namespace vimbo::sound {

namespace {
// Ten seconds of 48 kHz stereo from 16-bit samples take 4 MB on the way.
constexpr std::size_t kMaxDecodeBytes = 6u << 20;
} // namespace

std::vector<std::int16_t> decodeWave(std::span<const std::uint8_t> bytes, int rate) {
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    SDL_AudioSpec spec{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (!source || !SDL_LoadWAV_RW(source, 1, &spec, &data, &length)) return {};
    SDL_AudioCVT convert{};
    const int built =
        SDL_BuildAudioCVT(&convert, spec.format, spec.channels, spec.freq, AUDIO_S16SYS, 2, rate);
    // SDL converts in place, in a buffer len_mult times the wave's length
    // (a loader that works that size out in an int, as SDL_mixer's does,
    // overflows on a long wave and writes past the buffer). Counted wide here, and
    // kept to what a rustle of a few seconds needs.
    const std::size_t room = std::size_t{length} * static_cast<std::size_t>(convert.len_mult);
    if (built < 0 || room > kMaxDecodeBytes) {
        SDL_FreeWAV(data);
        return {};
    }
    std::vector<Uint8> work(room);
    std::memcpy(work.data(), data, length);
    SDL_FreeWAV(data);
    convert.buf = work.data();
    convert.len = static_cast<int>(length);
    if (built > 0 && SDL_ConvertAudio(&convert) != 0) return {};
    const std::size_t converted = built > 0 ? static_cast<std::size_t>(convert.len_cvt) : length;
    // Whole frames only.
    std::vector<std::int16_t> samples(converted / (2 * sizeof(std::int16_t)) * 2);
    if (!samples.empty())
        std::memcpy(samples.data(), work.data(), samples.size() * sizeof(std::int16_t));
    return samples;
}

} // namespace vimbo::sound
