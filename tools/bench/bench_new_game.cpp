// How long a new game takes, in the real window on a real X server: the game
// menu's "Shuffle cards" command is triggered and events are processed until
// every dealt card has been painted. Between two games the stock is turned a
// few times, so each new game has a waste pile to clear (not timed).
// Prints one time in milliseconds a line.
// Usage: bench_new_game [GAMES]   (100 when not given)
#include "audio_system.h"
#include "form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

#include <cstdio>
#include <set>

namespace {

// Notes which card pictures have been painted.
class PaintWatch : public QObject {
public:
    std::set<int> painted;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            if (auto* card = qobject_cast<vimbo::CardWidget*>(object)) painted.insert(card->card());
        return false;
    }
};

bool processUntil(const std::function<bool()>& done, int giveUpMs = 2000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > giveUpMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

std::set<int> dealtCards(const vimbo::Form1& form) {
    std::set<int> dealt;
    for (int v = 1; v <= vimbo::kCardCount; ++v)
        if (!(form.game.pictures[v].place == vimbo::kParkedPlace)) dealt.insert(v);
    return dealt;
}

void settle() {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 30)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int games = argc > 1 ? std::atoi(argv[1]) : 100;

    vimbo::sound::AudioSystem audio([&app](std::function<void()> call) {
        QMetaObject::invokeMethod(&app, std::move(call), Qt::QueuedConnection);
    });
    qint64 now = 0;
    vimbo::Form1::Options options;
    options.music = &audio.music();
    options.rustle = &audio.rustle();
    options.clock = [&now] { return now; };
    vimbo::Form1 form(std::move(options));
    PaintWatch watch;
    for (int v = 1; v <= vimbo::kCardCount; ++v)
        form.Carta[v]->installEventFilter(&watch);

    form.show();
    if (!processUntil([&] { return form.windowHandle() && form.windowHandle()->isExposed(); },
                      10000)) {
        std::fprintf(stderr, "bench_new_game: the window was never exposed\n");
        return 1;
    }
    // The opening picture ends when its clock says so: the first deal.
    processUntil([&] { return form.titleWait().isRunning(); });
    now += vimbo::TitleWait::kTitleMilliseconds + 1;
    form.titleWait().check();
    settle();

    for (int i = -5; i < games; ++i) { // five games to warm up, not printed
        for (int turn = 0; turn < 3; ++turn)
            form.cardHandling().mazzo_Click();
        settle();
        watch.painted.clear();

        QElapsedTimer timer;
        timer.start();
        form.Nuova->trigger();
        const std::set<int> dealt = dealtCards(form);
        const bool painted = processUntil([&] {
            for (int v : dealt)
                if (!watch.painted.count(v)) return false;
            return true;
        });
        const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        if (!painted || dealt.size() != 5) {
            std::fprintf(stderr, "bench_new_game: the new table was not painted\n");
            return 1;
        }
        if (i >= 0) std::printf("%.4f\n", ms);
    }
    std::fflush(stdout);
    form.Nuova->setEnabled(false); // no stray command while the window goes
    return 0;
}
