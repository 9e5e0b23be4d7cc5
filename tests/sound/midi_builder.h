// Builds small MIDI files byte by byte, for tests that need a piece of known
// shape (or a deliberately broken one).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace vimbo::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes varlen(std::uint32_t n) {
    Bytes out{static_cast<std::uint8_t>(n & 0x7F)};
    while (n >>= 7)
        out.insert(out.begin(), static_cast<std::uint8_t>(0x80 | (n & 0x7F)));
    return out;
}

// One event: its delta time, then its bytes as they stand in the file.
inline Bytes event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes) {
    Bytes out = varlen(delta);
    out.reserve(out.size() + bytes.size());
    for (const std::uint8_t byte : bytes)
        out.push_back(byte);
    return out;
}

inline Bytes endOfTrack(std::uint32_t delta) {
    return event(delta, {0xFF, 0x2F, 0x00});
}

inline Bytes tempo(std::uint32_t delta, std::uint32_t microsPerQuarter) {
    return event(delta, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(microsPerQuarter >> 16),
                         static_cast<std::uint8_t>(microsPerQuarter >> 8),
                         static_cast<std::uint8_t>(microsPerQuarter)});
}

inline void appendBig(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline Bytes chunk(const char* tag, const Bytes& body) {
    Bytes out(tag, tag + 4);
    appendBig(out, static_cast<std::uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

inline Bytes track(std::initializer_list<Bytes> events) {
    Bytes body;
    for (const Bytes& e : events)
        body.insert(body.end(), e.begin(), e.end());
    return chunk("MTrk", body);
}

inline Bytes midiFile(std::uint16_t division, std::initializer_list<Bytes> tracks,
                      std::uint16_t format = 1) {
    Bytes header;
    appendBig(header, format, 2);
    appendBig(header, static_cast<std::uint32_t>(tracks.size()), 2);
    appendBig(header, division, 2);
    Bytes out = chunk("MThd", header);
    for (const Bytes& t : tracks)
        out.insert(out.end(), t.begin(), t.end());
    return out;
}

} // namespace vimbo::testing
