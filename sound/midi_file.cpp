#include "midi_file.h"

#include <algorithm>
#include <cstring>

namespace vimbo::sound {

namespace {

// Reads big-endian numbers and variable-length quantities, never past `end`.
struct Cursor {
    const std::uint8_t* at;
    const std::uint8_t* end;

    std::size_t left() const { return static_cast<std::size_t>(end - at); }

    bool byte(std::uint8_t& out) {
        if (at == end) return false;
        out = *at++;
        return true;
    }
    bool number(int bytes, std::uint32_t& out) {
        if (left() < static_cast<std::size_t>(bytes)) return false;
        out = 0;
        for (int i = 0; i < bytes; ++i)
            out = (out << 8) | *at++;
        return true;
    }
    // At most four bytes, as the file format allows.
    bool varlen(std::uint32_t& out) {
        out = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t b;
            if (!byte(b)) return false;
            out = (out << 7) | (b & 0x7F);
            if (!(b & 0x80)) return true;
        }
        return false;
    }
    bool skip(std::size_t n) {
        if (left() < n) return false;
        at += n;
        return true;
    }
};

bool isDataByte(std::uint8_t b) {
    return b < 0x80;
}

int dataBytesOf(std::uint8_t status) {
    const int kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// The meta events whose length FluidSynth's reader insists on: end of track,
// tempo, SMPTE offset, time and key signature.
bool metaLengthFits(std::uint8_t type, std::uint32_t length) {
    constexpr std::uint32_t kFixed[][2] = {{0x2F, 0}, {0x51, 3}, {0x54, 5}, {0x58, 4}, {0x59, 2}};
    for (const auto& [fixedType, fixedLength] : kFixed)
        if (type == fixedType) return length == fixedLength;
    return true;
}

class Reader {
public:
    explicit Reader(std::vector<MidiEvent>* events) : m_events(events) {}

    std::optional<std::int64_t> read(Cursor file) {
        std::uint32_t headerLength, format, tracks, division;
        if (file.left() < 4 || std::memcmp(file.at, "MThd", 4) != 0) return {};
        file.skip(4);
        if (!file.number(4, headerLength) || headerLength != 6 || !file.number(2, format) ||
            !file.number(2, tracks) || !file.number(2, division))
            return {};
        if (format > 1 || tracks == 0 || tracks > kMaxMidiTracks || (format == 0 && tracks != 1))
            return {};
        // Ticks per quarter note; a division in SMPTE frames is not played.
        if (division == 0 || (division & 0x8000)) return {};

        std::uint32_t found = 0;
        while (file.left() >= 8) {
            // FluidSynth's reader cannot pass over a chunk of another kind
            // before its last track; after that it reads no further.
            const bool isTrack = std::memcmp(file.at, "MTrk", 4) == 0;
            if (!isTrack && found < tracks) return {};
            file.skip(4);
            std::uint32_t length;
            if (!file.number(4, length) || length > file.left()) return {};
            Cursor chunk{file.at, file.at + length};
            file.skip(length);
            if (isTrack && (++found > tracks || !readTrack(chunk))) return {};
        }
        if (found != tracks) return {};
        return m_length;
    }

private:
    bool readTrack(Cursor track) {
        std::int64_t tick = 0;
        std::uint8_t running = 0; // no running status at the start of a track
        while (true) {
            std::uint32_t delta;
            std::uint8_t b;
            if (!track.varlen(delta) || !track.byte(b)) return false;
            tick += delta;
            if (tick > kMaxMidiTicks || ++m_count > kMaxMidiEvents) return false;
            if (b == 0xFF) {
                std::uint8_t type;
                if (!readMeta(track, type)) return false;
                running = 0; // meta events cancel running status
                if (type == 0x2F) {
                    m_length = std::max(m_length, tick);
                    return true; // the rest of the chunk, if any, is not read
                }
            } else if (b == 0xF0) {
                std::uint32_t length;
                if (!track.varlen(length) || !track.skip(length)) return false;
                running = 0; // so do system exclusive messages
            } else if (b > 0xF0) {
                return false; // escapes, real-time and common messages have no place here
            } else if (!readChannelMessage(track, b, tick, running)) {
                return false;
            }
        }
    }

    bool readMeta(Cursor& track, std::uint8_t& type) {
        std::uint32_t length;
        if (!track.byte(type) || !track.varlen(length) || length > track.left() ||
            !metaLengthFits(type, length))
            return false;
        if (type == 0x51 && track.at[0] == 0 && track.at[1] == 0 && track.at[2] == 0)
            return false; // a tempo of zero would stop time
        return track.skip(length);
    }

    bool readChannelMessage(Cursor& track, std::uint8_t b, std::int64_t tick,
                            std::uint8_t& running) {
        MidiEvent event{tick, 0, 0, 0};
        if (isDataByte(b)) {
            if (running == 0) return false;
            event.status = running;
            event.data1 = b;
        } else {
            running = event.status = b;
            if (!track.byte(event.data1) || !isDataByte(event.data1)) return false;
        }
        if (dataBytesOf(event.status) == 2 &&
            (!track.byte(event.data2) || !isDataByte(event.data2)))
            return false;
        if (m_events) m_events->push_back(event);
        return true;
    }

    std::vector<MidiEvent>* m_events;
    std::int64_t m_length = 0;
    std::size_t m_count = 0;
};

} // namespace

std::optional<std::int64_t> midiLength(std::span<const std::uint8_t> bytes,
                                       std::vector<MidiEvent>* events) {
    return Reader(events).read(Cursor{bytes.data(), bytes.data() + bytes.size()});
}

} // namespace vimbo::sound
