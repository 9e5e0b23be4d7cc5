// A playback stream straight on PipeWire, for the rustle on a desktop whose
// sound server is PipeWire.
//
// SDL reaches such a server through its PulseAudio service, which keeps some
// 20 ms of a stream queued ahead of what plays: a rustle would land behind
// it. A stream of PipeWire's own is filled in the server's cycle instead, a
// few milliseconds before it sounds. It is linked to the output once, at the
// start, and stays linked: set going when a rustle starts and stopped once
// all is quiet, it costs nothing while stopped.
//
// libpipewire is loaded when the program asks for it, not linked: a machine
// without PipeWire runs the game as before, the rustle on SDL's stream.
#pragma once

#include <cstdint>
#include <memory>

namespace vimbo::sound {

class PipeWireOutput {
public:
    // Fills `frames` frames of 16-bit stereo. Called on PipeWire's thread.
    using Fill = void (*)(void* user, std::int16_t* out, int frames);

    // A stream named `name` at `rate`, asking PipeWire for cycles of about
    // `frames` frames; it stops by itself once linked. Null where there is no
    // PipeWire to reach (no library, no server).
    static std::unique_ptr<PipeWireOutput> create(const char* appName, const char* name, int rate,
                                                  int frames, Fill fill, void* user);
    ~PipeWireOutput();
    PipeWireOutput(const PipeWireOutput&) = delete;
    PipeWireOutput& operator=(const PipeWireOutput&) = delete;

    // Linked to an output and given its buffers: it can play. Until then (and
    // for good where PipeWire has no sound output, as where it serves video
    // only) the stream is of no use.
    bool linked() const;
    // Was linked, and lost its link: the server went, or the stream failed.
    bool failed() const;
    // Playing takes a Fill every cycle; stopped, nothing runs.
    void setPlaying(bool playing);

    struct Api;
    struct Stream;

private:
    PipeWireOutput() = default;

    std::unique_ptr<Api> m_api;
    std::unique_ptr<Stream> m_stream;
};

} // namespace vimbo::sound
