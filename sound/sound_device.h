// A sound device: one loaded sound file and the few commands the game gives it,
// in the manner of a media player's transport buttons. The game drives two of
// them, the music (MIDI) and the card rustle (wave). Commands never fail
// visibly: a device that cannot sound (no file, no audio output) is silent and
// keeps accepting commands.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vimbo::sound {

class SoundDevice {
public:
    virtual ~SoundDevice() = default;

    // Load the sound at `path`, replacing whatever was loaded; the position is
    // at the beginning and nothing plays.
    virtual void open(const std::string& path) = 0;
    virtual void close() = 0;

    // Play from the armed start position if rewind() armed one, otherwise from
    // where the sound stands: a playing sound plays on, a paused one resumes,
    // one that has run to its end stays there and its play completes at once
    // (a Done follows, unless another command comes first).
    virtual void play() = 0;
    // Stop sounding but keep the position, for a later play().
    virtual void pause() = 0;
    virtual void stop() = 0;
    // Make the next play() start from the beginning.
    virtual void rewind() = 0;

    // Where the sound stands and how long it is, in one unit: equal exactly when
    // a play has run to the end.
    virtual std::int64_t position() const = 0;
    virtual std::int64_t length() const = 0;

    // Called on the UI thread after a play completes: it ran to its end, or a
    // stop or pause cut it short.
    std::function<void()> Done;
};

// A device that never makes a sound: used where no audio output exists.
class SilentDevice final : public SoundDevice {
public:
    void open(const std::string&) override {}
    void close() override {}
    void play() override {}
    void pause() override {}
    void stop() override {}
    void rewind() override {}
    std::int64_t position() const override { return 0; }
    std::int64_t length() const override { return 0; }
};

} // namespace vimbo::sound
