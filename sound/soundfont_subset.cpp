#include "soundfont_subset.h"

#include <fluidsynth.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vimbo::sound {

namespace {

using Bytes = std::vector<std::uint8_t>;

// FluidSynth's callbacks carry no context: the presets kept are the program's.
std::vector<PresetId> g_keep;

std::uint32_t le32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24;
}
std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
void put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = v & 0xFF;
    p[1] = (v >> 8) & 0xFF;
}
void append32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back((v >> (8 * i)) & 0xFF);
}
void appendChunk(Bytes& out, const char* id, const Bytes& body) {
    out.insert(out.end(), id, id + 4);
    append32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

// The virtual file: pieces of memory and stretches of the real file, in order.
struct Piece {
    std::uint64_t at, size;
    Bytes memory; // empty: `size` bytes of the file from `fileAt`
    std::uint64_t fileAt = 0;
};

struct View {
    std::FILE* file = nullptr;
    std::vector<Piece> pieces;
    std::uint64_t size = 0, position = 0;

    void add(Bytes memory) {
        const std::uint64_t n = memory.size();
        pieces.push_back({size, n, std::move(memory)});
        size += n;
    }
    void addFile(std::uint64_t from, std::uint64_t n) {
        pieces.push_back({size, n, {}, from});
        size += n;
    }
};

// The hydra's chunks, in the order they are written, with the size of their
// records. Every chunk ends in a terminal record.
constexpr struct {
    const char* id;
    std::size_t record;
} kHydraChunks[] = {{"phdr", 38}, {"pbag", 4},  {"pmod", 10}, {"pgen", 4}, {"inst", 22},
                    {"ibag", 4},  {"imod", 10}, {"igen", 4},  {"shdr", 46}};

// Bags, generators and modulators are numbered by 16-bit words: the new
// hydra's terminal records too must have a number that fits.
constexpr std::size_t kMaxIndex = 0xFFFF;

bool isHydraChunk(const std::string& id) {
    for (const auto& chunk : kHydraChunks)
        if (id == chunk.id) return true;
    return false;
}

// The hydra (the preset data) with only the kept presets and the
// instruments they use; the sample headers stay whole, so sample numbers hold.
// Every number read from the file is checked against the chunk it points
// into before it is followed: a damaged file is refused, never read past.
class Hydra {
public:
    explicit Hydra(std::map<std::string, Bytes> chunks) : m_in(std::move(chunks)) {}

    bool build(Bytes& out) {
        if (!wholeRecords()) return false;
        const Bytes& phdr = m_in["phdr"];
        for (const std::size_t i : lastOfEachKept(phdr)) {
            const std::uint8_t* p = &phdr[38 * i];
            m_out["phdr"].insert(m_out["phdr"].end(), p, p + 38);
            put16(&m_out["phdr"][m_out["phdr"].size() - 38 + 24], count("pbag", 4));
            if (!zones("pbag", "pgen", "pmod", le16(p + 24), le16(p + 38 + 24), 41, true))
                return false;
        }
        terminate("phdr", phdr, 38, 24, "pbag");
        const Bytes& inst = m_in["inst"];
        for (std::size_t k = 0; k < m_instruments.size(); ++k) {
            const std::size_t i = m_instruments[k];
            if (22 * (i + 2) > inst.size()) return false;
            const std::uint8_t* p = &inst[22 * i];
            m_out["inst"].insert(m_out["inst"].end(), p, p + 22);
            put16(&m_out["inst"][m_out["inst"].size() - 2], count("ibag", 4));
            if (!zones("ibag", "igen", "imod", le16(p + 20), le16(p + 22 + 20), 0, false))
                return false;
        }
        terminate("inst", inst, 22, 20, "ibag");
        m_out["shdr"] = m_in["shdr"];
        Bytes body{'p', 'd', 't', 'a'};
        for (const auto& chunk : kHydraChunks)
            appendChunk(body, chunk.id, m_out[chunk.id]);
        appendChunk(out, "LIST", body);
        return true;
    }

private:
    // Every chunk there and made of whole records, with at least a preset
    // and the terminal records, which the new hydra's terminals copy.
    bool wholeRecords() {
        for (const auto& chunk : kHydraChunks)
            if (!m_in.count(chunk.id) || m_in[chunk.id].size() % chunk.record) return false;
        return m_in["phdr"].size() >= 2 * 38 && !m_in["inst"].empty();
    }
    bool kept(int bank, int program) const {
        for (const PresetId& id : g_keep)
            if (id.bank == bank && id.program == program) return true;
        return false;
    }
    // The headers of the kept presets, in the file's order. FluidSynth plays
    // the last of a preset listed twice (and a damaged file may list one
    // thousands of times): only that one is kept.
    std::set<std::size_t> lastOfEachKept(const Bytes& phdr) const {
        std::map<std::pair<int, int>, std::size_t> last;
        for (std::size_t i = 0; i + 1 < phdr.size() / 38; ++i) {
            const std::uint8_t* p = &phdr[38 * i];
            if (kept(le16(p + 22), le16(p + 20))) last[{le16(p + 22), le16(p + 20)}] = i;
        }
        std::set<std::size_t> headers;
        for (const auto& [preset, i] : last)
            headers.insert(i);
        return headers;
    }
    std::uint16_t count(const char* id, std::size_t record) {
        return static_cast<std::uint16_t>(m_out[id].size() / record);
    }
    // Copies bags [from, to) with their generators and modulators; in preset
    // zones the instrument generator (41) is renumbered to the kept instruments.
    // Zones may be shared in a damaged file, so the copy could grow past what
    // a word numbers: such a file is refused.
    bool zones(const char* bag, const char* gen, const char* mod, std::size_t from, std::size_t to,
               int instrumentGen, bool preset) {
        const Bytes &bags = m_in[bag], &gens = m_in[gen], &mods = m_in[mod];
        Bytes &outBags = m_out[bag], &outGens = m_out[gen], &outMods = m_out[mod];
        if (to < from || 4 * (to + 1) > bags.size()) return false;
        for (std::size_t b = from; b < to; ++b) {
            const std::size_t g0 = le16(&bags[4 * b]), g1 = le16(&bags[4 * b + 4]);
            const std::size_t m0 = le16(&bags[4 * b + 2]), m1 = le16(&bags[4 * b + 6]);
            if (g1 < g0 || m1 < m0 || 4 * g1 > gens.size() || 10 * m1 > mods.size()) return false;
            if (outBags.size() / 4 >= kMaxIndex || outGens.size() / 4 + g1 - g0 > kMaxIndex ||
                outMods.size() / 10 + m1 - m0 > kMaxIndex)
                return false;
            outBags.resize(outBags.size() + 4);
            put16(&outBags[outBags.size() - 4], static_cast<std::uint32_t>(outGens.size() / 4));
            put16(&outBags[outBags.size() - 2], static_cast<std::uint32_t>(outMods.size() / 10));
            for (std::size_t g = g0; g < g1; ++g) {
                const std::uint8_t* op = &gens[4 * g];
                outGens.insert(outGens.end(), op, op + 4);
                if (preset && le16(op) == instrumentGen)
                    put16(&outGens[outGens.size() - 2], instrument(le16(op + 2)));
            }
            outMods.insert(outMods.end(), mods.begin() + 10 * m0, mods.begin() + 10 * m1);
        }
        return true;
    }
    std::size_t instrument(std::size_t old) {
        const auto [at, added] = m_numbers.try_emplace(old, m_instruments.size());
        if (added) m_instruments.push_back(old);
        return at->second;
    }
    // The terminal records: the last header pointing past the last bag, and
    // empty last bag, generator and modulator records.
    void terminate(const char* header, const Bytes& in, std::size_t record, std::size_t bagAt,
                   const char* bag) {
        Bytes last(in.end() - static_cast<std::ptrdiff_t>(record), in.end());
        put16(&last[bagAt], count(bag, 4));
        m_out[header].insert(m_out[header].end(), last.begin(), last.end());
        const bool preset = std::strcmp(bag, "pbag") == 0;
        Bytes end(4);
        put16(&end[0], count(preset ? "pgen" : "igen", 4));
        put16(&end[2], count(preset ? "pmod" : "imod", 10));
        m_out[bag].insert(m_out[bag].end(), end.begin(), end.end());
        m_out[preset ? "pgen" : "igen"].resize(m_out[preset ? "pgen" : "igen"].size() + 4, 0);
        m_out[preset ? "pmod" : "imod"].resize(m_out[preset ? "pmod" : "imod"].size() + 10, 0);
    }

    std::map<std::string, Bytes> m_in, m_out;
    std::vector<std::size_t> m_instruments;       // old numbers, in their new order
    std::map<std::size_t, std::size_t> m_numbers; // old number -> new
};

bool readAt(std::FILE* f, std::uint64_t at, std::uint8_t* out, std::size_t n) {
    return std::fseek(f, static_cast<long>(at), SEEK_SET) == 0 && std::fread(out, 1, n, f) == n;
}

std::uint64_t fileSize(std::FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0) return 0;
    const long size = std::ftell(f);
    return size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

// The hydra's chunks in the pdta list of `size` bytes at `at`; each must lie
// within the list, and none is larger than any real soundfont's.
bool readHydra(std::FILE* file, std::uint64_t at, std::uint64_t size,
               std::map<std::string, Bytes>& hydra) {
    const std::uint64_t end = at + 8 + size;
    for (std::uint64_t c = at + 12; c + 8 <= end;) {
        std::uint8_t sub[8];
        if (!readAt(file, c, sub, 8)) return false;
        const std::uint64_t n = le32(sub + 4);
        if (n > (4u << 20) || c + 8 + n > end) return false;
        std::string id(reinterpret_cast<char*>(sub), 4);
        if (isHydraChunk(id)) {
            Bytes body(n);
            if (!readAt(file, c + 8, body.data(), body.size())) return false;
            hydra[id] = std::move(body);
        }
        c += 8 + n + (n & 1);
    }
    return true;
}

// Copies the list of `n` bytes at `at` (INFO, or one we do not know) as it
// is. A soundfont has a few kilobytes of them: `copied`, the bytes copied so
// far, stays under a megabyte.
bool copyList(std::FILE* file, std::uint64_t at, std::uint64_t n, Bytes& front,
              std::uint64_t& copied) {
    copied += n;
    if (copied > (1u << 20)) return false;
    const std::size_t from = front.size();
    front.resize(from + n);
    return readAt(file, at, front.data() + from, n);
}

// Lays out the virtual file: RIFF header, INFO as it is, the sample data
// from the real file, then the new hydra. Every list must lie within the
// file, and there is one sample list, as FluidSynth reads it.
bool layOut(View& view) {
    const std::uint64_t inFile = fileSize(view.file);
    std::uint8_t head[12];
    if (!readAt(view.file, 0, head, 12) || std::memcmp(head, "RIFF", 4) ||
        std::memcmp(head + 8, "sfbk", 4))
        return false;
    const std::uint64_t end = 8 + std::uint64_t{le32(head + 4)};
    Bytes front(head, head + 12);
    std::map<std::string, Bytes> hydra;
    bool sawSamples = false;
    std::uint64_t copied = 0;
    for (std::uint64_t at = 12; at + 12 <= end;) {
        std::uint8_t list[12];
        if (!readAt(view.file, at, list, 12) || std::memcmp(list, "LIST", 4)) return false;
        const std::uint64_t size = le32(list + 4), next = at + 8 + size + (size & 1);
        if (size < 4 || next > inFile) return false;
        if (!std::memcmp(list + 8, "sdta", 4)) {
            if (sawSamples) return false;
            view.add(std::move(front));
            view.addFile(at, next - at);
            front.clear();
            sawSamples = true;
        } else if (!std::memcmp(list + 8, "pdta", 4)) {
            if (!readHydra(view.file, at, size, hydra)) return false;
        } else if (!copyList(view.file, at, next - at, front, copied)) {
            return false;
        }
        at = next;
    }
    if (!sawSamples || !Hydra(std::move(hydra)).build(front)) return false;
    view.add(std::move(front));
    // The RIFF size, now that the whole is known.
    if (view.size - 8 > UINT32_MAX) return false;
    Bytes& first = view.pieces.front().memory;
    const auto riff = static_cast<std::uint32_t>(view.size - 8);
    for (int i = 0; i < 4; ++i)
        first[4 + i] = (riff >> (8 * i)) & 0xFF;
    return true;
}

void* openView(const char* path) {
    auto view = std::make_unique<View>();
    view->file = std::fopen(path, "rb");
    if (!view->file) return nullptr;
    if (!layOut(*view)) {
        std::fclose(view->file);
        return nullptr;
    }
    return view.release();
}

int readView(void* buffer, fluid_long_long_t count, void* handle) {
    auto& view = *static_cast<View*>(handle);
    auto* out = static_cast<std::uint8_t*>(buffer);
    if (count < 0 || view.position + static_cast<std::uint64_t>(count) > view.size)
        return FLUID_FAILED;
    std::uint64_t left = static_cast<std::uint64_t>(count);
    for (const Piece& piece : view.pieces) {
        if (!left) break;
        if (view.position >= piece.at + piece.size) continue;
        const std::uint64_t offset = view.position - piece.at;
        const std::uint64_t n = std::min(left, piece.size - offset);
        if (piece.memory.empty()) {
            if (!readAt(view.file, piece.fileAt + offset, out, n)) return FLUID_FAILED;
        } else {
            std::memcpy(out, piece.memory.data() + offset, n);
        }
        out += n;
        left -= n;
        view.position += n;
    }
    return left ? FLUID_FAILED : FLUID_OK;
}

int seekView(void* handle, fluid_long_long_t offset, int origin) {
    auto& view = *static_cast<View*>(handle);
    const auto size = static_cast<fluid_long_long_t>(view.size);
    const auto base = origin == SEEK_CUR   ? static_cast<fluid_long_long_t>(view.position)
                      : origin == SEEK_END ? size
                                           : 0;
    // Compared before added: an offset from a damaged file may be anything.
    if (offset < -base || offset > size - base) return FLUID_FAILED;
    view.position = static_cast<std::uint64_t>(base + offset);
    return FLUID_OK;
}

fluid_long_long_t tellView(void* handle) {
    return static_cast<fluid_long_long_t>(static_cast<View*>(handle)->position);
}

int closeView(void* handle) {
    auto* view = static_cast<View*>(handle);
    std::fclose(view->file);
    delete view;
    return FLUID_OK;
}

} // namespace

void keepOnlyPresets(_fluid_sfloader_t* loader, std::span<const PresetId> keep) {
    g_keep.assign(keep.begin(), keep.end());
    fluid_sfloader_set_callbacks(loader, openView, readView, seekView, tellView, closeView);
}

} // namespace vimbo::sound
