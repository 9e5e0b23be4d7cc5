// A sound device that only writes down the commands it gets, in one shared
// log, so tests can check what the game sends and in which order. Position and
// length are set by the test to stand for "still sounding" or "at the end".
#pragma once

#include "sound_device.h"

#include <string>
#include <vector>

namespace vimbo::testing {

class RecordingDevice final : public sound::SoundDevice {
public:
    RecordingDevice(std::string name, std::vector<std::string>& log)
        : m_name(std::move(name)), m_log(log) {}

    void open(const std::string& path) override { note("open " + path); }
    void close() override { note("close"); }
    void play() override { note("play"); }
    void pause() override { note("pause"); }
    void stop() override { note("stop"); }
    void rewind() override { note("rewind"); }
    std::int64_t position() const override { return pos; }
    std::int64_t length() const override { return len; }

    // The sound stands in the middle by default: not at its end.
    std::int64_t pos = 1;
    std::int64_t len = 2;

private:
    void note(const std::string& what) { m_log.push_back(m_name + " " + what); }

    std::string m_name;
    std::vector<std::string>& m_log;
};

} // namespace vimbo::testing
