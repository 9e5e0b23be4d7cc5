// The opening picture's pause: a little more than three seconds after it
// starts, then `done` runs once. The window stays live throughout (a timer, not
// a busy loop). The clock comes from outside, so tests need not sleep.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace vimbo {

class TitleWait : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<qint64()>; // milliseconds, never going back
    static constexpr qint64 kTitleMilliseconds = 3000;

    explicit TitleWait(Clock clock, QObject* parent = nullptr);

    void start(std::function<void()> done);
    void cancel();
    bool isRunning() const { return static_cast<bool>(m_done); }

    // Looks at the clock: ends the wait once more than three seconds have
    // passed, otherwise sleeps until they will have. The timer calls it; tests
    // that drive the clock call it themselves.
    void check();

    static Clock steadyClock();

private:
    Clock m_clock;
    qint64 m_start = 0;
    std::function<void()> m_done;
    QTimer m_timer;
};

} // namespace vimbo
