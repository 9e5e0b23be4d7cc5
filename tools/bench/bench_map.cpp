// How long the game takes to put its window on the screen: starts PROGRAM
// (fork/exec), waits for the MapNotify of a top-level window titled
// "Brennolt - Vimbo" (SubstructureNotify on the root: no polling delay), then
// watches a block in the middle of the window every millisecond until a
// second after the map, to tell when the opening picture was first on screen
// as it then stays. Ends the program and prints one line:
//   map_ms=12.3 picture_ms=45.6
// (picture_ms=nan when the block never settled on a picture).
// Usage: bench_map [--title TITLE] PROGRAM [ARGS...]
// --title waits for another program's window (AisleRiot's, to set the two
// start-ups side by side on one X server); --title '' for the first main
// window mapped, whatever its title.
#include "x_probe.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <set>
#include <string>
#include <utility>

namespace {

constexpr double kGiveUpMs = 10000;
constexpr double kWatchPictureMs = 1000;

void endChild(pid_t child) {
    kill(child, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(child, nullptr, WNOHANG) == child) return;
        bench::sleepMicroseconds(10000);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

// Another program's main window, whose title may come after it is mapped
// (AisleRiot names it after the game it loads): the first top-level window
// of a real size, not a pop-up.
bool isMainWindow(Display* display, const XMapEvent& map) {
    XWindowAttributes attributes{};
    return !map.override_redirect && XGetWindowAttributes(display, map.window, &attributes) &&
           attributes.width > 50 && attributes.height > 50;
}

// Waits for the MapNotify of the game's window (or, with an empty title, of
// any main window); returns it, or None.
Window waitForMap(Display* display, pid_t child, bench::Clock::time_point start,
                  const std::string& title) {
    const int fd = ConnectionNumber(display);
    while (bench::msSince(start) < kGiveUpMs) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify) continue;
            const Window window = event.xmap.window;
            if (title.empty() ? isMainWindow(display, event.xmap)
                              : bench::windowTitle(display, window) == title)
                return window;
        }
        if (waitpid(child, nullptr, WNOHANG) == child) return None;
        pollfd wait{fd, POLLIN, 0};
        poll(&wait, 1, 5);
    }
    return None;
}

// The time from which the block showed, without change, what it shows at the
// end of the watch; NaN when that is one flat colour (no picture there).
double pictureTime(Display* display, Window window, bench::Clock::time_point start, double mapMs) {
    int x = 0, y = 0;
    XWindowAttributes attributes{};
    if (!bench::windowOrigin(display, window, x, y) ||
        !XGetWindowAttributes(display, window, &attributes))
        return NAN;
    const bench::Block block{x + attributes.width / 2 - 32, y + attributes.height / 2 - 32, 64, 64};
    std::vector<std::pair<double, std::vector<std::uint32_t>>> seen;
    while (bench::msSince(start) < mapMs + kWatchPictureMs) {
        const double at = bench::msSince(start);
        auto pixels = bench::readBlock(display, block);
        if (seen.empty() || seen.back().second != pixels) seen.emplace_back(at, std::move(pixels));
        bench::sleepMicroseconds(1000);
    }
    if (seen.empty()) return NAN;
    const auto& last = seen.back().second;
    if (std::set<std::uint32_t>(last.begin(), last.end()).size() < 2) return NAN;
    return seen.back().first;
}

} // namespace

int main(int argc, char* argv[]) {
    std::string title = bench::kTitle;
    int first = 1;
    if (argc > 3 && std::strcmp(argv[1], "--title") == 0) {
        title = argv[2];
        first = 3;
    }
    if (argc <= first) {
        std::fprintf(stderr, "usage: bench_map [--title TITLE] PROGRAM [ARGS...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bench_map: no X display\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const auto start = bench::Clock::now();
    const pid_t child = fork();
    if (child < 0) return 1;
    if (child == 0) {
        execvp(argv[first], argv + first);
        std::fprintf(stderr, "bench_map: cannot start %s: %s\n", argv[first], std::strerror(errno));
        _exit(127);
    }

    const Window window = waitForMap(display, child, start, title);
    const double mapMs = bench::msSince(start);
    if (window == None) {
        endChild(child);
        std::fprintf(stderr, "bench_map: the window was never mapped\n");
        return 1;
    }
    const double pictureMs = pictureTime(display, window, start, mapMs);
    endChild(child);
    std::printf("map_ms=%.2f picture_ms=%.2f\n", mapMs, pictureMs);
    return 0;
}
