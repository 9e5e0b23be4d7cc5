// What both fuzzers share: a private folder laid out like the game's own, where
// each input is written as one of its sound files, and a stand-in for the UI
// thread that runs the devices' posted Done calls in order.
#pragma once

#include "media_device.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <span>
#include <string>

namespace vimbo::fuzz {

// A broken promise of the sound code: libFuzzer keeps the input that led here.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// A player that drives one of the audio thread's voices directly, with no
// audio thread: the fuzzers mix the blocks themselves. Only `load` differs.
template <class Voice> class DirectPlayer : public sound::MediaPlayer {
public:
    explicit DirectPlayer(Voice& voice) : m_voice(voice) {}

    void unload() override { m_voice.unload(); }
    void start(std::int64_t from) override { m_voice.start(from); }
    void halt() override { m_voice.halt(); }
    std::int64_t position() const override { return m_voice.position(); }

protected:
    Voice& m_voice;
};

// The program's folder for the length of the run: carta.wav and Music/*.mid
// are written here, and the game's sound commands find them where they look.
class ProgramFolder {
public:
    ProgramFolder() {
        // In memory where there is a place for it: an input is written twice
        // per run, thousands of times a second.
        const char* tmp = std::getenv("TMPDIR");
        std::string folder = tmp && *tmp ? tmp : "/tmp";
        std::error_code error;
        if (!tmp && std::filesystem::is_directory("/dev/shm", error)) folder = "/dev/shm";
        std::string pattern = folder + "/vimbo-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        m_path = pattern;
        std::filesystem::create_directory(m_path / "Music");
    }
    ~ProgramFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

    std::string path() const { return m_path.string(); }

    void write(const std::string& relative, std::span<const std::uint8_t> bytes) const {
        std::ofstream out(m_path / relative, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::filesystem::path m_path;
};

// Calls the devices hand to the UI thread, run when the "UI thread" gets to them.
class UiThread {
public:
    sound::Poster poster() {
        return [this](std::function<void()> call) { m_calls.push_back(std::move(call)); };
    }
    void runPending() {
        while (!m_calls.empty()) {
            auto call = std::move(m_calls.front());
            m_calls.pop_front();
            call();
        }
    }
    void drop() { m_calls.clear(); }

private:
    std::deque<std::function<void()>> m_calls;
};

} // namespace vimbo::fuzz
