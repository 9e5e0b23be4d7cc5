// Renders the game's music to a raw stream (16-bit stereo at 44100 Hz), for
// listening to the pieces and looking at them as a player hears them:
//
//   render_music PIECE.mid OUT.raw [ROUNDS]
//       the game's own synthesizer and player, off-line and as fast as the
//       machine goes: ROUNDS (default 1) times through, each new round started
//       on the block after the end, as the audio thread does;
//   render_music --output SECONDS RESOURCES [finale] OUT.raw
//       the game's real output in real time: its audio system on SDL's disk
//       driver, the game piece (or the finale) started and repeated through
//       the same Done calls the window makes, for SECONDS.
#include "audio_output.h"
#include "audio_system.h"
#include "fluid_synth.h"
#include "game_sounds.h"
#include "midi_file.h"
#include "music_voice.h"
#include "sound_file.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace vimbo::sound;

namespace {

constexpr int kBlock = 4096; // the music stream's block

int offline(const std::string& piece, const std::string& out, int rounds) {
    auto bytes = readSoundFile(piece, kMaxMidiBytes);
    const auto length = bytes ? midiLength(*bytes) : std::nullopt;
    auto synth = FluidSynth::create(AudioSystem::Settings{}.soundfonts, AudioOutput::kSampleRate,
                                    AudioSystem::Settings{}.musicGain);
    if (!length || !synth) {
        std::fprintf(stderr, "render_music: cannot read %s or load a soundfont\n", piece.c_str());
        return 1;
    }
    MusicVoice music;
    music.load(std::move(*bytes), *length);
    music.start(0);
    std::ofstream file(out, std::ios::binary);
    std::vector<std::int16_t> block(2 * kBlock);
    for (int round = 0; round < rounds;) {
        if (music.render(*synth, block.data(), kBlock) && ++round < rounds) music.start(0);
        file.write(reinterpret_cast<const char*>(block.data()), std::ssize(block) * 2);
    }
    // The last notes ring out, as they would under a pause.
    for (int i = 0; i < 2 * AudioOutput::kSampleRate / kBlock; ++i) {
        music.render(*synth, block.data(), kBlock);
        file.write(reinterpret_cast<const char*>(block.data()), std::ssize(block) * 2);
    }
    return 0;
}

int throughOutput(double seconds, const std::string& resources, bool finale,
                  const std::string& out) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    std::mutex lock;
    std::deque<std::function<void()>> calls; // the UI thread's queue
    Poster post = [&](std::function<void()> call) {
        std::lock_guard guard(lock);
        calls.push_back(std::move(call));
    };
    AudioSystem audio(post);
    audio.waitStarted(std::chrono::seconds(5));
    GameSounds sounds(audio.music(), audio.rustle(), resources);
    audio.music().Done = [&] { sounds.MMC1_Done(); };
    sounds.openMusic();
    sounds.startMusic(true);
    if (finale) sounds.switchToFinale();
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        std::function<void()> call;
        {
            std::lock_guard guard(lock);
            if (!calls.empty()) {
                call = std::move(calls.front());
                calls.pop_front();
            }
        }
        if (call)
            call();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    silenceFluidSynth();
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 4 && args[0] == "--output")
        return throughOutput(std::stod(args[1]), args[2], args.size() == 5 && args[3] == "finale",
                             args.back());
    if (args.size() == 2 || args.size() == 3)
        return offline(args[0], args[1], args.size() == 3 ? std::stoi(args[2]) : 1);
    std::fprintf(stderr, "usage: render_music PIECE.mid OUT.raw [ROUNDS]\n"
                         "       render_music --output SECONDS RESOURCES [finale] OUT.raw\n");
    return 2;
}
