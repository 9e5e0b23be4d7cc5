// The game's two sound devices on the computer's audio output: music() plays
// MIDI through FluidSynth with the system's General MIDI soundfont, rustle()
// plays a wave. The program makes one AudioSystem, before the window that uses
// its devices and destroys it after that window (main()'s locals do this by
// themselves), and only one at a time.
//
// Construction returns at once: SDL and the soundfont start on a worker
// thread, and what the game commands meanwhile takes effect when they are
// ready. Anything missing (audio output, soundfont, a sound file) leaves the
// device concerned silent and accepting every command.
#pragma once

#include "media_device.h"
#include "sound_device.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace vimbo::sound {

class AudioEngine;

class AudioSystem {
public:
    struct Settings {
        // The first of these that loads gives the music its instruments.
        std::vector<std::string> soundfonts = {
            "/usr/share/sounds/sf2/TimGM6mb.sf2",
            "/usr/share/sounds/sf2/default-GM.sf2",
            "/usr/share/sounds/sf2/FluidR3_GM.sf2",
        };
        // The output is closed after this long with nothing to hear.
        std::chrono::milliseconds idleClose{2000};
        // FluidSynth's own default is 0.2, which leaves the music faint.
        double musicGain = 0.5;
    };

    // `post` hands the devices' Done calls to the UI thread.
    explicit AudioSystem(Poster post);
    AudioSystem(Poster post, Settings settings);
    ~AudioSystem();
    AudioSystem(const AudioSystem&) = delete;
    AudioSystem& operator=(const AudioSystem&) = delete;

    SoundDevice& music();
    SoundDevice& rustle();

    // For tests and measurements: wait (at most `limit`) for the start-up to
    // be over, and see whether the audio output is open right now.
    bool waitStarted(std::chrono::milliseconds limit);
    bool outputOpen() const;

private:
    std::unique_ptr<AudioEngine> m_engine;
    std::unique_ptr<MediaDevice> m_music;
    std::unique_ptr<MediaDevice> m_rustle;
};

} // namespace vimbo::sound
