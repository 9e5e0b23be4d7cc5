// The transport semantics of a device over a player that only starts, halts
// and reports its end, and the game's music loop and rustle on top of them.
#include "event_queue.h"
#include "game_sounds.h"
#include "media_device.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vimbo::sound {
namespace {

constexpr std::int64_t kLength = 1000;

// A player whose audio the test moves on by hand.
class FakePlayer final : public MediaPlayer {
public:
    explicit FakePlayer(std::vector<std::string>& log) : m_log(log) {}

    std::int64_t load(const std::string& path) override {
        m_log.push_back("load " + path);
        at = 0;
        return path.ends_with("missing") ? 0 : kLength;
    }
    void unload() override { m_log.push_back("unload"); }
    void start(std::int64_t from) override {
        m_log.push_back("start " + std::to_string(from));
        at = from;
    }
    void halt() override { m_log.push_back("halt"); }
    std::int64_t position() const override { return at; }

    // The audio thread reaches the end and says so.
    void runOut() {
        at = kLength;
        finished();
    }

    std::int64_t at = 0;

private:
    std::vector<std::string>& m_log;
};

class MediaDeviceTest : public ::testing::Test {
protected:
    MediaDeviceTest() { music = makeDevice(musicPlayer); }

    std::unique_ptr<MediaDevice> makeDevice(FakePlayer*& player) {
        auto owned = std::make_unique<FakePlayer>(log);
        player = owned.get();
        auto device = std::make_unique<MediaDevice>(std::move(owned), ui.poster());
        device->Done = [this] { ++dones; };
        return device;
    }
    // What the player was told since the last look.
    std::vector<std::string> told() { return std::exchange(log, {}); }
    void openAndPlay() {
        music->open("music.mid");
        music->play();
        told();
    }

    testing::UiQueue ui;
    std::vector<std::string> log;
    FakePlayer* musicPlayer = nullptr;
    std::unique_ptr<MediaDevice> music;
    int dones = 0;
};

using Log = std::vector<std::string>;

TEST_F(MediaDeviceTest, OpenLoadsAndStandsAtTheBeginningWithoutPlaying) {
    music->open("music.mid");
    EXPECT_EQ(told(), (Log{"load music.mid"}));
    EXPECT_EQ(music->position(), 0);
    EXPECT_EQ(music->length(), kLength);
}

TEST_F(MediaDeviceTest, PlayGoesOnFromWhereTheSoundStands) {
    openAndPlay();
    musicPlayer->at = 300;
    music->play(); // playing: it plays on
    EXPECT_EQ(told(), Log{});

    music->pause();
    musicPlayer->at = 310; // the halt lands a little later than asked
    EXPECT_EQ(told(), Log{"halt"});
    music->play(); // paused: it resumes there
    EXPECT_EQ(told(), Log{"start 310"});

    musicPlayer->runOut();
    ui.pump();
    music->play(); // at its end: it stays there
    EXPECT_EQ(told(), Log{});
    EXPECT_EQ(music->position(), music->length());
}

TEST_F(MediaDeviceTest, RewindArmsTheBeginningForTheNextPlayOnly) {
    openAndPlay();
    musicPlayer->at = 500;
    music->rewind();
    EXPECT_EQ(told(), Log{}) << "rewind alone moves nothing";
    music->play(); // restarts even a sound under way
    EXPECT_EQ(told(), (Log{"halt", "start 0"}));

    musicPlayer->at = 200;
    music->pause();
    music->play();
    EXPECT_EQ(told(), (Log{"halt", "start 200"}));

    musicPlayer->runOut();
    ui.pump();
    music->rewind();
    music->play();
    EXPECT_EQ(told(), Log{"start 0"});
}

TEST_F(MediaDeviceTest, PositionMeetsLengthOnlyWhenAPlayRanOut) {
    openAndPlay();
    musicPlayer->at = kLength - 1;
    EXPECT_NE(music->position(), music->length());
    music->pause();
    EXPECT_NE(music->position(), music->length());
    music->play();
    musicPlayer->runOut();
    EXPECT_EQ(music->position(), music->length());
}

TEST_F(MediaDeviceTest, DoneComesThroughTheUiQueueWhenAPlayEndsOrIsCutShort) {
    openAndPlay();
    musicPlayer->runOut();
    EXPECT_EQ(dones, 0) << "never from the player's thread";
    ui.pump();
    EXPECT_EQ(dones, 1);

    music->rewind();
    music->play();
    musicPlayer->at = 100;
    music->pause();
    music->pause(); // nothing left to cut short
    music->stop();
    ui.pump();
    EXPECT_EQ(dones, 2);

    music->play();
    music->stop();
    ui.pump();
    EXPECT_EQ(dones, 3);
}

TEST_F(MediaDeviceTest, EndReportsThatNoLongerFitThePlayAreDropped) {
    openAndPlay();
    musicPlayer->runOut(); // reported, but the game rewinds and plays first
    music->rewind();
    music->play();
    ui.pump();
    EXPECT_EQ(dones, 0);

    musicPlayer->runOut(); // and a pause that comes just after the end
    music->pause();
    ui.pump();
    EXPECT_EQ(dones, 0) << "a Done here would start the piece over";
}

TEST_F(MediaDeviceTest, CloseHaltsAndLeavesNothingLoaded) {
    openAndPlay();
    music->close();
    EXPECT_EQ(told(), (Log{"halt", "unload"}));
    EXPECT_EQ(music->length(), 0);
    music->play();
    ui.pump();
    EXPECT_EQ(told(), Log{});
    EXPECT_EQ(dones, 0);
}

TEST_F(MediaDeviceTest, ReportsForADeviceThatIsGoneAreDropped) {
    openAndPlay();
    musicPlayer->at = 10;
    music->pause();
    music->play();
    musicPlayer->runOut();
    music.reset();
    EXPECT_EQ(ui.pump(), 2);
    EXPECT_EQ(dones, 0);
}

TEST_F(MediaDeviceTest, AFileThatCannotLoadLeavesASilentDeviceThatNeverLoops) {
    FakePlayer* rustlePlayer = nullptr;
    auto rustle = makeDevice(rustlePlayer);
    GameSounds sounds(*music, *rustle, "missing-folder");
    music->Done = [&] {
        ++dones;
        sounds.MMC1_Done();
    };
    music->open("missing");
    rustle->open("missing");
    told();

    sounds.startMusic(true);
    sounds.PlayCardRustle(true);
    sounds.PlayClickRustle(true);
    sounds.pauseMusic();
    sounds.resumeMusic();
    sounds.MMC1_Done();
    ui.pump();
    EXPECT_EQ(told(), Log{});
    EXPECT_EQ(dones, 0);
    EXPECT_EQ(music->position(), 0);
    EXPECT_EQ(music->length(), 0);
}

// The game's operations over real device semantics.
class GameOverDeviceTest : public MediaDeviceTest {
protected:
    GameOverDeviceTest() {
        rustle = makeDevice(rustlePlayer);
        sounds = std::make_unique<GameSounds>(*music, *rustle, "/games/vimbo");
        music->Done = [this] { sounds->MMC1_Done(); };
        sounds->openRustle();
        sounds->openMusic();
        told();
    }

    FakePlayer* rustlePlayer = nullptr;
    std::unique_ptr<MediaDevice> rustle;
    std::unique_ptr<GameSounds> sounds;
};

TEST_F(GameOverDeviceTest, ThePieceStartsOverEachTimeItEnds) {
    sounds->startMusic(true);
    for (int round = 0; round < 3; ++round) {
        musicPlayer->runOut();
        ui.pump();
    }
    EXPECT_EQ(told(), (Log{"start 0", "start 0", "start 0", "start 0"}));
}

TEST_F(GameOverDeviceTest, TheFinaleReplacesThePieceAndRepeats) {
    sounds->startMusic(true);
    musicPlayer->at = 77;
    sounds->switchToFinale();
    ui.pump(); // the stop's Done comes after the finale started
    musicPlayer->runOut();
    ui.pump();
    EXPECT_EQ(told(), (Log{"start 0", "halt", "unload", "load /games/vimbo/Music/finale.mid",
                           "start 0", "start 0"}));
}

TEST_F(GameOverDeviceTest, TheFilesAreLookedForBesideTheProgram) {
    GameSounds slashed(*music, *rustle, "/games/vimbo/");
    slashed.openMusic();
    EXPECT_EQ(told(), (Log{"unload", "load /games/vimbo/Music/5carte.mid"}));
}

// A card's rustle starts over only once it has run out (one still sounding
// is not cut short), and rewinds even with the option off; a click plays,
// then arms the beginning for the next.
TEST_F(GameOverDeviceTest, ARustleStartsOverOnlyOnceItHasRunOut) {
    sounds->PlayCardRustle(true);
    sounds->PlayCardRustle(true); // still sounding
    EXPECT_EQ(told(), Log{"start 0"});
    rustlePlayer->runOut();
    ui.pump();
    sounds->PlayCardRustle(false);
    sounds->PlayClickRustle(false);
    EXPECT_EQ(told(), Log{}) << "the options off: silent";
    sounds->PlayCardRustle(true);
    EXPECT_EQ(told(), Log{"start 0"}) << "rewound while the option was off";
    sounds->PlayClickRustle(true); // sounding: plays on, and arms the beginning
    sounds->PlayClickRustle(true);
    EXPECT_EQ(told(), (Log{"halt", "start 0"}));
}

// The piece runs out on the audio thread just as the player switches "Music";
// its end report reaches the UI thread only after the switch. Whatever the
// order, a checked option (or a new deal with it checked) brings the music
// back, and an unchecked one keeps it quiet.
TEST_F(GameOverDeviceTest, APieceEndingWhileMusicIsSwitchedComesBackWhenChecked) {
    sounds->startMusic(true);
    told();

    musicPlayer->runOut();
    sounds->pauseMusic(); // unchecked before the end is reported
    ui.pump();
    EXPECT_EQ(told(), Log{"halt"}) << "unchecked: silent";
    sounds->resumeMusic();
    ui.pump();
    EXPECT_EQ(told(), Log{"start 0"}) << "checked again: the piece starts over";

    musicPlayer->runOut();
    sounds->pauseMusic();
    ui.pump();
    sounds->startMusic(true); // a new deal with the option checked
    ui.pump();
    EXPECT_EQ(told(), (Log{"halt", "start 0"}));

    musicPlayer->runOut();
    sounds->pauseMusic();
    sounds->resumeMusic(); // checked and unchecked again, all before the report
    sounds->pauseMusic();
    ui.pump();
    EXPECT_EQ(told(), (Log{"halt", "halt"})) << "left unchecked: nothing starts";
    sounds->resumeMusic();
    ui.pump();
    EXPECT_EQ(told(), Log{"start 0"});
}

} // namespace
} // namespace vimbo::sound
