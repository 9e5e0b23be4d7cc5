// The commands the game sends its two devices, in order, for each thing that
// happens on the table.
#include "game_sounds.h"
#include "recording_device.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vimbo::sound {
namespace {

using Log = std::vector<std::string>;

class GameSoundsTest : public ::testing::Test {
protected:
    // The devices stand mid-way (not at their end) unless a test says so.
    void atEnd(testing::RecordingDevice& device) { device.pos = device.len; }

    Log log;
    testing::RecordingDevice music{"MMC1", log};
    testing::RecordingDevice rustle{"MMCw", log};
    GameSounds sounds{music, rustle, "/games/vimbo"};
};

TEST_F(GameSoundsTest, ACardRustleRewindsOnlyARustleThatHasRunOut) {
    struct Case {
        bool rustleOn, atEnd;
        Log sent;
    };
    const Case cases[] = {
        {true, true, {"MMCw rewind", "MMCw play"}},
        {true, false, {"MMCw play"}}, // still sounding: not started over
        {false, true, {"MMCw rewind"}},
        {false, false, {}},
    };
    for (const Case& c : cases) {
        log.clear();
        rustle.pos = c.atEnd ? rustle.len : 1;
        sounds.PlayCardRustle(c.rustleOn);
        EXPECT_EQ(log, c.sent) << "rustle on " << c.rustleOn << ", at end " << c.atEnd;
    }
}

TEST_F(GameSoundsTest, AClickRustlePlaysThenRewindsAndOnlyWhenOn) {
    sounds.PlayClickRustle(false);
    EXPECT_EQ(log, Log{});
    atEnd(rustle);
    sounds.PlayClickRustle(true);
    EXPECT_EQ(log, (Log{"MMCw play", "MMCw rewind"}));
}

TEST_F(GameSoundsTest, OnlyAPieceThatReachedItsEndStartsOver) {
    sounds.MMC1_Done(); // a pause or stop completed
    EXPECT_EQ(log, Log{});
    atEnd(music);
    sounds.MMC1_Done();
    EXPECT_EQ(log, (Log{"MMC1 rewind", "MMC1 play"}));
}

TEST_F(GameSoundsTest, TheMusicOptionPausesAndResumesWithoutRewinding) {
    sounds.startMusic(false);
    sounds.pauseMusic();
    sounds.startMusic(false);
    sounds.resumeMusic();
    sounds.startMusic(true);
    EXPECT_EQ(log, (Log{"MMC1 pause", "MMC1 play", "MMC1 play"}));
}

TEST_F(GameSoundsTest, OpeningLooksBesideTheProgram) {
    sounds.openRustle();
    sounds.openMusic();
    GameSounds slashed{music, rustle, "/games/vimbo/"};
    slashed.openMusic();
    EXPECT_EQ(log, (Log{"MMCw close", "MMCw open /games/vimbo/carta.wav", "MMC1 close",
                        "MMC1 open /games/vimbo/Music/5carte.mid", "MMC1 close",
                        "MMC1 open /games/vimbo/Music/5carte.mid"}));
}

TEST_F(GameSoundsTest, AWonGameSwitchesToTheFinaleWhateverTheOption) {
    sounds.switchToFinale();
    EXPECT_EQ(log, (Log{"MMC1 stop", "MMC1 close", "MMC1 open /games/vimbo/Music/finale.mid",
                        "MMC1 rewind", "MMC1 play"}));
}

TEST_F(GameSoundsTest, ClosingTakesTheMusicFirst) {
    sounds.closeAll();
    EXPECT_EQ(log, (Log{"MMC1 close", "MMCw close"}));
}

} // namespace
} // namespace vimbo::sound
