// A standard MIDI file checked before FluidSynth's player gets it, and its
// length in ticks, which the music's position needs at once. The check is
// strict, stricter than FluidSynth's own reader: a file that does not read
// cleanly is refused whole, so the player only ever sees files it plays as
// we read them, and the synthesizer only well-formed channel messages.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vimbo::sound {

// A channel message (0x80..0xEF) and the tick it sounds at.
struct MidiEvent {
    std::int64_t tick = 0;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

// Where the last track ends (its end-of-track event), in ticks; nothing when
// the bytes do not read cleanly. With `events`, the channel messages are
// written there too, track after track (for checking our own pieces).
std::optional<std::int64_t> midiLength(std::span<const std::uint8_t> bytes,
                                       std::vector<MidiEvent>* events = nullptr);

// Beyond these a file is not a piece of music we would play (ours have a
// few thousand events and a few thousand ticks). FluidSynth's player keeps
// each event in a node of its own, counts ticks in an int, and holds at
// most 128 tracks.
inline constexpr std::size_t kMaxMidiEvents = 200'000;
inline constexpr std::size_t kMaxMidiBytes = 1u << 20;
inline constexpr std::int64_t kMaxMidiTicks = (std::int64_t{1} << 31) - 1;
inline constexpr std::uint32_t kMaxMidiTracks = 128;

} // namespace vimbo::sound
