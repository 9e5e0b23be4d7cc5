// The streams the audio engine plays on, SDL's: one in long blocks for the
// music; one of short blocks for the rustle (or PipeWire's own on a PipeWire
// desktop), so that it is heard the moment a card lands; where the output
// takes one stream only, the rustle goes into the music's.
//
// A stream is open only while something is to be heard on it (an open stream
// keeps an audio thread busy even when it plays silence). When SDL reports an
// output device removed (its server went away), everything is closed and
// SDL's audio started afresh once a server is there again: a desktop
// restarts its sound server on an update, a crash, a new headset, and one
// may also come up only after the game. Trying again costs next to nothing:
// the server's socket is looked at a few times a second, and SDL is started
// again only when it answers, or now and then.
//
// Worker thread only, but for what the Source says of itself.
#pragma once

#include "pipewire_output.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

namespace vimbo::sound {

class AudioOutput {
public:
    using Clock = std::chrono::steady_clock;
    // What the streams play: called on their audio threads, and on the
    // worker to know whether a rustle's stream may close.
    class Source {
    public:
        // The music's stream: the music, and the rustle where it is shared.
        virtual void mixMusic(std::int16_t* out, int frames) = 0;
        // The rustle's own stream.
        virtual void mixRustle(std::int16_t* out, int frames) = 0;
        virtual bool rustleSounding() = 0;

    protected:
        ~Source() = default;
    };
    struct Wanted {
        bool music = false;  // the music's stream
        bool rustle = false; // the rustle's
    };

    static constexpr int kSampleRate = 44100;

    AudioOutput(Source& source, std::chrono::milliseconds idleClose);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // SDL's audio started; where it cannot be now, it is tried again later.
    void begin();
    // One look: open what is wanted, close what has been quiet a while, give
    // up a stream that went dead, try again for an output that is gone. How
    // long the worker may sleep before the next look; none: until a command.
    std::optional<std::chrono::milliseconds> keep(Wanted wanted, Clock::time_point now);
    // Everything closed and SDL's audio stopped.
    void closeAll();

    bool open() const { return m_music != 0 || m_rustleOpen; }
    // Whether the rustle is mixed into the music's stream. Any thread.
    bool rustleShared() const { return m_rustleShared; }

private:
    bool startSdl();
    void gone(Clock::time_point now);
    bool outputRemoved();
    void dropBrokenPipeWire();
    std::optional<std::chrono::milliseconds> tryAgain(Wanted wanted, Clock::time_point now);
    bool openMusic();
    void openRustle();
    void closeRustle(bool evenIfSounding);
    void setRustleGoing(bool going);
    void closeMusic();

    Source& m_source;
    std::chrono::milliseconds m_idleClose;
    bool m_sdlStarted = false;
    std::atomic<std::uint32_t> m_music{0}; // SDL's device for the music, 0 when closed
    std::atomic<bool> m_rustleOpen{false};
    std::atomic<bool> m_rustleShared{false};
    std::uint32_t m_rustleDevice = 0; // 0 with the rustle open: on PipeWire's stream
    std::unique_ptr<PipeWireOutput> m_pipewire;
    Clock::time_point m_musicLastHeard;
    Clock::time_point m_rustleLastHeard;
    // While the output is gone: when to start SDL again at the latest, how
    // long to wait after that, and whether the server's socket answered.
    Clock::time_point m_retryAt;
    std::chrono::milliseconds m_retryWait;
    bool m_serverAnswered = false;
};

} // namespace vimbo::sound
