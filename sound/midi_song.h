// A standard MIDI file read into what our sequencer plays: the channel messages
// of all tracks in time order, the tempo map and the length in ticks. Reading
// is strict: a file that does not parse cleanly is refused as a whole, so the
// synthesizer only ever sees well-formed messages.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vimbo::sound {

struct MidiEvent {
    std::int64_t tick = 0;
    double seconds = 0;      // from the start of the piece
    std::uint8_t status = 0; // a channel message, 0x80..0xEF
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

class MidiSong {
public:
    // The song in a MIDI file's bytes, or nothing when they do not parse.
    static std::optional<MidiSong> parse(std::span<const std::uint8_t> bytes);
    // The same, read as strictly, but without its events: the length and the
    // tempo map, which is all a position needs. A fraction of the time of a
    // whole reading on a large file.
    static std::optional<MidiSong> outline(std::span<const std::uint8_t> bytes);

    const std::vector<MidiEvent>& events() const { return m_events; }
    // Where the last track ends (its end-of-track event), in ticks.
    std::int64_t lengthTicks() const { return m_length; }

    double secondsAt(std::int64_t tick) const;
    // The last tick that has begun by `seconds`.
    std::int64_t tickAt(double seconds) const;

    // Beyond these a file is not a piece of music we would play (ours have a
    // few thousand events; each is 24 bytes held while the piece is loaded).
    static constexpr std::size_t kMaxEvents = 200'000;
    static constexpr std::size_t kMaxBytes = 1u << 20;
    static constexpr std::int64_t kMaxTicks = std::int64_t{1} << 32;

private:
    struct TempoSpan {
        std::int64_t tick;
        double seconds;        // when the span begins
        double secondsPerTick; // over the span
    };

    std::vector<MidiEvent> m_events;
    std::vector<TempoSpan> m_tempo; // never empty, the first begins at tick 0
    std::int64_t m_length = 0;

    friend class MidiReader;
};

} // namespace vimbo::sound
