// The game's sounds on top of two devices: MMC1 plays the music, MMCw the card
// rustle. The window owns the two options (the check marks of "Card rustle" and
// "Music") and passes them in; this class sends the commands, in the order the
// game has always sent them.
#pragma once

#include "sound_device.h"

#include <string>

namespace vimbo::sound {

class GameSounds {
public:
    // `programFolder` is the folder of the executable: the sound files live
    // beside it, never in the working directory.
    GameSounds(SoundDevice& music, SoundDevice& rustle, std::string programFolder);

    // At window load: the rustle on "carta.wav", then later the music on
    // "Music/5carte.mid".
    void openRustle();
    void openMusic();

    // At every new table: the music goes on from wherever it stands.
    void startMusic(bool musicOn);

    // A card released or turned from the stock: a rustle that has played to its
    // end starts again from the beginning; one still sounding is not restarted.
    void PlayCardRustle(bool rustleOn);
    // A click on a card: play, then get ready to start over next time.
    void PlayClickRustle(bool rustleOn);

    // The music device finished a play: a piece that reached its end repeats.
    void MMC1_Done();
    void MMC1_StopCompleted();

    // The "Music" option: pause keeps the place, play resumes from it.
    void pauseMusic();
    void resumeMusic();

    // A won game: the end-of-game piece replaces the music from now on.
    void switchToFinale();

    // At window unload: the music first, then the rustle.
    void closeAll();

    std::string pathOf(const std::string& relative) const;

private:
    SoundDevice& MMC1;
    SoundDevice& MMCw;
    std::string m_folder;
};

} // namespace vimbo::sound
