#include "sound_file.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace vimbo::sound {

std::optional<std::vector<std::uint8_t>> readSoundFile(const std::string& path,
                                                       std::size_t maxBytes) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return {};
    const auto size = std::filesystem::file_size(path, error);
    if (error || size == 0 || size > maxBytes) return {};

    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(size);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
        return {};
    return bytes;
}

namespace {

std::uint32_t little(const std::uint8_t* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

bool plainSamples(std::uint32_t encoding, std::uint32_t bits) {
    constexpr std::uint32_t kPcm = 1, kFloat = 3, kExtensible = 0xFFFE;
    if (encoding == kFloat) return bits == 32 || bits == 64;
    return (encoding == kPcm || encoding == kExtensible) &&
           (bits == 8 || bits == 16 || bits == 24 || bits == 32);
}

} // namespace

std::optional<WaveFacts> readWaveHeader(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return {};

    WaveFacts facts;
    std::uint32_t blockAlign = 0;
    std::optional<std::uint64_t> dataBytes;
    std::size_t at = 12;
    while (bytes.size() - at >= 8) {
        const std::uint8_t* chunk = bytes.data() + at;
        const std::uint64_t size = little(chunk + 4, 4);
        if (size > bytes.size() - at - 8) return {};
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16) return {};
            facts.channels = static_cast<int>(little(chunk + 10, 2));
            facts.sampleRate = static_cast<int>(little(chunk + 12, 4));
            blockAlign = little(chunk + 20, 2);
            const std::uint32_t bits = little(chunk + 22, 2);
            if (!plainSamples(little(chunk + 8, 2), bits) || facts.channels < 1 ||
                facts.channels > 8 || facts.sampleRate < 1000 || facts.sampleRate > 384000 ||
                blockAlign != facts.channels * bits / 8)
                return {};
            facts.formatAt = at;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            dataBytes = size;
            facts.dataAt = at;
        }
        at += 8 + size + (size & 1); // chunks keep to even offsets
        if (at > bytes.size()) break;
    }
    if (blockAlign == 0 || !dataBytes) return {};
    facts.frames = static_cast<std::int64_t>(*dataBytes / blockAlign);
    if (facts.frames == 0) return {};
    return facts;
}

std::vector<std::uint8_t> measuredWave(std::span<const std::uint8_t> bytes,
                                       const WaveFacts& facts) {
    const auto chunk = [&](std::size_t at) {
        return bytes.subspan(at, 8 + little(bytes.data() + at + 4, 4));
    };
    const auto format = chunk(facts.formatAt);
    const auto data = chunk(facts.dataAt);
    static constexpr std::uint8_t kHeader[] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    // Laid out in a vector of its final size: chunks keep to even offsets.
    const std::size_t formatEnd = sizeof kHeader + format.size() + (format.size() & 1);
    std::vector<std::uint8_t> wave(formatEnd + data.size());
    std::copy(std::begin(kHeader), std::end(kHeader), wave.begin());
    std::copy(format.begin(), format.end(), wave.begin() + sizeof kHeader);
    std::copy(data.begin(), data.end(), wave.begin() + static_cast<std::ptrdiff_t>(formatEnd));
    const auto riffSize = static_cast<std::uint32_t>(wave.size() - 8);
    for (int i = 0; i < 4; ++i)
        wave[4 + i] = static_cast<std::uint8_t>(riffSize >> (8 * i));
    return wave;
}

std::optional<std::int64_t> rustleFrames(const WaveFacts& facts, int outputRate) {
    if (facts.sampleRate <= 0 || facts.frames <= 0) return {};
    // Compared in the wave's own frames first: no product below can overflow.
    if (facts.frames > kMaxRustleSeconds * facts.sampleRate) return {};
    return facts.frames * outputRate / facts.sampleRate;
}

} // namespace vimbo::sound
