#include "midi_song.h"

#include <algorithm>
#include <cmath>
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
    bool tag(const char* fourcc) {
        if (left() < 4 || std::memcmp(at, fourcc, 4) != 0) return false;
        at += 4;
        return true;
    }
};

struct TempoChange {
    std::int64_t tick;
    std::uint32_t microsPerQuarter;
};

bool isDataByte(std::uint8_t b) {
    return b < 0x80;
}

int dataBytesOf(std::uint8_t status) {
    const int kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

} // namespace

// Builds a MidiSong from the bytes of a file, refusing anything malformed.
class MidiReader {
public:
    static std::optional<MidiSong> read(std::span<const std::uint8_t> bytes, bool events) {
        const Cursor file{bytes.data(), bytes.data() + bytes.size()};
        MidiReader outline;
        outline.m_keepEvents = false;
        if (!outline.readFile(file)) return {};
        if (!events) return outline.finish();
        // Counted first, so the events take their room once, not twice over
        // while the list grows.
        MidiReader reader;
        reader.m_song.m_events.reserve(outline.m_eventCount);
        if (!reader.readFile(file)) return {};
        return reader.finish();
    }

private:
    bool readFile(Cursor file) {
        std::uint32_t headerLength, format, tracks, division;
        if (!file.tag("MThd") || !file.number(4, headerLength) || headerLength < 6 ||
            headerLength > file.left())
            return false;
        Cursor header{file.at, file.at + headerLength};
        file.skip(headerLength);
        if (!header.number(2, format) || !header.number(2, tracks) || !header.number(2, division))
            return false;
        if (format > 1 || tracks == 0 || (format == 0 && tracks != 1)) return false;
        if (!setDivision(division)) return false;

        std::uint32_t found = 0;
        while (file.left() >= 8) {
            const bool isTrack = file.tag("MTrk");
            if (!isTrack) file.skip(4); // a chunk of a kind we do not use
            std::uint32_t length;
            if (!file.number(4, length) || length > file.left()) return false;
            Cursor chunk{file.at, file.at + length};
            file.skip(length);
            if (!isTrack) continue;
            if (++found > tracks || !readTrack(chunk)) return false;
        }
        return found == tracks;
    }

    bool setDivision(std::uint32_t division) {
        if (division & 0x8000) {
            // Frames per second and ticks per frame: the tempo is fixed.
            const int fps = -static_cast<std::int8_t>(division >> 8);
            const int ticksPerFrame = division & 0xFF;
            if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || ticksPerFrame == 0)
                return false;
            m_smpteSecondsPerTick = 1.0 / ((fps == 29 ? 29.97 : fps) * ticksPerFrame);
            return true;
        }
        m_ticksPerQuarter = division;
        return division > 0;
    }

    bool readTrack(Cursor track) {
        std::int64_t tick = 0;
        std::uint8_t running = 0; // no running status at the start of a track
        while (true) {
            std::uint32_t delta;
            std::uint8_t b;
            if (!track.varlen(delta) || !track.byte(b)) return false;
            tick += delta;
            if (tick > MidiSong::kMaxTicks) return false;

            if (b == 0xFF) {
                std::uint8_t type;
                std::uint32_t length;
                if (!track.byte(type) || !track.varlen(length) || length > track.left())
                    return false;
                const std::uint8_t* body = track.at;
                track.skip(length);
                running = 0; // meta events cancel running status
                if (type == 0x2F) {
                    m_song.m_length = std::max(m_song.m_length, tick);
                    return true; // the rest of the chunk, if any, is not read
                }
                if (type == 0x51) {
                    if (length != 3) return false;
                    const std::uint32_t tempo = (body[0] << 16) | (body[1] << 8) | body[2];
                    if (tempo == 0) return false;
                    m_tempos.push_back({tick, tempo});
                }
                continue;
            }
            if (b == 0xF0 || b == 0xF7) {
                std::uint32_t length;
                if (!track.varlen(length) || !track.skip(length)) return false;
                running = 0; // so do system exclusive messages
                continue;
            }
            if (b >= 0xF0) return false; // real-time and common messages have no place here

            MidiEvent event{tick, 0, 0, 0, 0};
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
            if (++m_eventCount > MidiSong::kMaxEvents) return false;
            if (m_keepEvents) m_song.m_events.push_back(event);
        }
    }

    MidiSong finish() {
        // Tracks were read one after another; the piece plays them together.
        std::stable_sort(m_song.m_events.begin(), m_song.m_events.end(),
                         [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
        buildTempoMap();
        for (MidiEvent& event : m_song.m_events)
            event.seconds = m_song.secondsAt(event.tick);
        return std::move(m_song);
    }

    void buildTempoMap() {
        auto& spans = m_song.m_tempo;
        if (m_ticksPerQuarter == 0) {
            spans.push_back({0, 0.0, m_smpteSecondsPerTick});
            return;
        }
        const auto perTick = [this](std::uint32_t micros) {
            return micros / 1e6 / m_ticksPerQuarter;
        };
        spans.push_back({0, 0.0, perTick(500'000)}); // 120 beats a minute until told otherwise
        std::stable_sort(
            m_tempos.begin(), m_tempos.end(),
            [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        for (const TempoChange& change : m_tempos) {
            auto& last = spans.back();
            if (change.tick == last.tick) {
                last.secondsPerTick = perTick(change.microsPerQuarter);
                continue;
            }
            const double at = last.seconds + (change.tick - last.tick) * last.secondsPerTick;
            spans.push_back({change.tick, at, perTick(change.microsPerQuarter)});
        }
    }

    MidiSong m_song;
    bool m_keepEvents = true;
    std::size_t m_eventCount = 0;
    std::vector<TempoChange> m_tempos;
    std::uint32_t m_ticksPerQuarter = 0; // 0 when the file counts in frames
    double m_smpteSecondsPerTick = 0;
};

std::optional<MidiSong> MidiSong::parse(std::span<const std::uint8_t> bytes) {
    return MidiReader::read(bytes, true);
}

std::optional<MidiSong> MidiSong::outline(std::span<const std::uint8_t> bytes) {
    return MidiReader::read(bytes, false);
}

double MidiSong::secondsAt(std::int64_t tick) const {
    auto span = std::upper_bound(m_tempo.begin(), m_tempo.end(), tick,
                                 [](std::int64_t t, const TempoSpan& s) { return t < s.tick; });
    --span; // the first span begins at tick 0
    return span->seconds + (tick - span->tick) * span->secondsPerTick;
}

std::int64_t MidiSong::tickAt(double seconds) const {
    auto span = std::upper_bound(m_tempo.begin(), m_tempo.end(), seconds,
                                 [](double s, const TempoSpan& t) { return s < t.seconds; });
    if (span != m_tempo.begin()) --span;
    // A hair of slack, so a tick reads as begun at the very frame it begins.
    const double ticks = (seconds - span->seconds) / span->secondsPerTick + 1e-6;
    return span->tick + static_cast<std::int64_t>(std::floor(std::max(0.0, ticks)));
}

} // namespace vimbo::sound
