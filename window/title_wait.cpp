#include "title_wait.h"

#include <chrono>

namespace vimbo {

TitleWait::TitleWait(Clock clock, QObject* parent) : QObject(parent), m_clock(std::move(clock)) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TitleWait::check);
}

TitleWait::Clock TitleWait::steadyClock() {
    // A monotonic clock: a start just before midnight still waits three
    // seconds, and so does one while the system time is being set.
    return [] {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    };
}

void TitleWait::start(std::function<void()> done) {
    m_done = std::move(done);
    m_start = m_clock();
    m_timer.start(static_cast<int>(kTitleMilliseconds + 1));
}

void TitleWait::cancel() {
    m_timer.stop();
    m_done = nullptr;
}

void TitleWait::check() {
    if (!m_done) return;
    const qint64 elapsed = m_clock() - m_start;
    if (elapsed > kTitleMilliseconds) {
        m_timer.stop();
        auto done = std::move(m_done);
        m_done = nullptr;
        done();
        return;
    }
    m_timer.start(static_cast<int>(kTitleMilliseconds - elapsed + 1));
}

} // namespace vimbo
