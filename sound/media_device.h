// A sound device built on a plain player: the player only loads a sound, starts
// it from a place, halts it and says where it stands; this class gives the
// game's transport buttons their meaning on top of it (play continues, resumes
// or completes at once at the end; rewind arms the beginning; Done on the UI thread).
#pragma once

#include "sound_device.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vimbo::sound {

// Hands a call over to the UI thread, to run there later and in order. It may
// be called from any thread and must never wait for the UI thread.
using Poster = std::function<void(std::function<void()>)>;

// One sound at a time, positions in the player's own unit (ticks, frames).
class MediaPlayer {
public:
    virtual ~MediaPlayer() = default;

    // Loads the sound at `path`: its length, or 0 when it cannot be played.
    virtual std::int64_t load(const std::string& path) = 0;
    virtual void unload() = 0;
    // Sounds from `from` on, without waiting, until halted or at the end.
    virtual void start(std::int64_t from) = 0;
    // Goes quiet and stays where it was.
    virtual void halt() = 0;
    // Below the length while a play is under way; the length once it ran out.
    virtual std::int64_t position() const = 0;

    // Set by the device; the player calls it, from any thread, when a play has
    // run to its end. A player must not call it any more once destroyed.
    std::function<void()> finished;
};

class MediaDevice final : public SoundDevice {
public:
    MediaDevice(std::unique_ptr<MediaPlayer> player, Poster post);
    ~MediaDevice() override;
    MediaDevice(const MediaDevice&) = delete;
    MediaDevice& operator=(const MediaDevice&) = delete;

    void open(const std::string& path) override;
    void close() override;
    void play() override;
    void pause() override;
    void stop() override;
    void rewind() override;
    std::int64_t position() const override;
    std::int64_t length() const override;

private:
    void halt();
    void playAtTheEnd();
    void playerFinished();
    void postDone();

    std::unique_ptr<MediaPlayer> m_player;
    Poster m_post;
    // Calls waiting on the UI thread hold this weakly: a device that is gone
    // by the time they run is left alone.
    std::shared_ptr<MediaDevice*> m_self;
    std::int64_t m_length = 0; // 0: nothing loaded, the device is silent
    bool m_playing = false;    // a play is under way, as far as the game knows
    bool m_rewound = false;    // the next play starts from the beginning
};

} // namespace vimbo::sound
