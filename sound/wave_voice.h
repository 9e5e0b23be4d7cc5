// The card rustle as the audio thread plays it: decoded samples mixed over
// whatever else sounds, a position in frames and an exact end. The length
// comes from the file's header when it is opened; the samples may arrive a
// little later (decoded off the UI thread), and a play started before they are
// there simply begins when they come. A sound that decodes to nothing ends as
// soon as it is played, so whoever waits for its end is not kept waiting.
//
// Not thread-safe: the owner serialises calls, as for MusicVoice.
#pragma once

#include <cstdint>
#include <vector>

namespace vimbo::sound {

class WaveVoice {
public:
    // A new sound of `length` frames is on its way; `ticket` names it.
    void load(std::int64_t length, std::uint64_t ticket);
    // Its samples, interleaved stereo, perhaps none; ignored unless `ticket`
    // is the latest.
    void deliver(std::vector<std::int16_t> samples, std::uint64_t ticket);
    void unload();

    void start(std::int64_t from);
    void halt();
    std::int64_t position() const;

    // Adds the sound to `out`; true when it ran to its end in this block.
    bool mixInto(std::int16_t* out, int frames);
    bool audible() const { return m_running && m_delivered; }

private:
    std::vector<std::int16_t> m_samples;
    std::int64_t m_length = 0;
    std::uint64_t m_ticket = 0;
    std::int64_t m_frame = 0;
    bool m_delivered = false;
    bool m_running = false;
    bool m_ended = false;
};

} // namespace vimbo::sound
