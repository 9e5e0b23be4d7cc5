#include "game_sounds.h"

namespace vimbo::sound {

GameSounds::GameSounds(SoundDevice& music, SoundDevice& rustle, std::string programFolder)
    : MMC1(music), MMCw(rustle), m_folder(std::move(programFolder)) {}

std::string GameSounds::pathOf(const std::string& relative) const {
    if (m_folder.empty() || m_folder.back() == '/') return m_folder + relative;
    return m_folder + "/" + relative;
}

void GameSounds::openRustle() {
    MMCw.close();
    MMCw.open(pathOf("carta.wav"));
}

void GameSounds::openMusic() {
    MMC1.close();
    MMC1.open(pathOf("Music/5carte.mid"));
}

void GameSounds::startMusic(bool musicOn) {
    if (musicOn) MMC1.play();
}

void GameSounds::PlayCardRustle(bool rustleOn) {
    if (MMCw.position() == MMCw.length()) MMCw.rewind();
    if (rustleOn) MMCw.play();
}

void GameSounds::PlayClickRustle(bool rustleOn) {
    if (!rustleOn) return;
    MMCw.play();
    MMCw.rewind();
}

void GameSounds::MMC1_Done() {
    if (MMC1.position() == MMC1.length()) {
        MMC1.rewind();
        MMC1.play();
    }
}

void GameSounds::MMC1_StopCompleted() {
    MMC1.rewind();
}

void GameSounds::pauseMusic() {
    MMC1.pause();
}

void GameSounds::resumeMusic() {
    MMC1.play();
}

void GameSounds::switchToFinale() {
    MMC1.stop();
    MMC1.close();
    MMC1.open(pathOf("Music/finale.mid"));
    MMC1.rewind();
    MMC1.play();
}

void GameSounds::closeAll() {
    MMC1.close();
    MMCw.close();
}

} // namespace vimbo::sound
