// Stands in for the UI thread's event queue: calls posted from any thread wait
// here until the test runs them, in order.
#pragma once

#include "media_device.h"

#include <deque>
#include <functional>
#include <mutex>

namespace vimbo::testing {

class UiQueue {
public:
    sound::Poster poster() {
        return [this](std::function<void()> call) {
            std::lock_guard lock(m_lock);
            m_calls.push_back(std::move(call));
        };
    }

    // Runs what is waiting, and what those calls post in turn; returns how many ran.
    int pump() {
        int ran = 0;
        while (true) {
            std::function<void()> call;
            {
                std::lock_guard lock(m_lock);
                if (m_calls.empty()) return ran;
                call = std::move(m_calls.front());
                m_calls.pop_front();
            }
            call();
            ++ran;
        }
    }

private:
    std::mutex m_lock;
    std::deque<std::function<void()>> m_calls;
};

} // namespace vimbo::testing
