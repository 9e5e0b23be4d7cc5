// How quickly a dragged card follows the pointer, on the real program under an
// X server: a card is taken from the waste pile with a synthetic press
// (XTest), carried to the empty green right of the grid, and then moved back
// and forth by a few pixels. Each move is timed from the synthetic motion to
// the first change of the screen pixels where the card's right edge arrives
// (polled with XGetImage). The card is let go off the grid, so it goes back.
//   bench_drag origin        prints "WINDOW TABLE-X TABLE-Y" (screen pixels)
//   bench_drag drag MOVES    prints one latency in milliseconds a line
// The table must be dealt (the opening picture over) before "drag".
#include "x_probe.h"

#include <X11/extensions/XTest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double kMoveGiveUpMs = 1000;
constexpr int kStep = 4;              // pixels a move
constexpr int kPauseBetweenUs = 8000; // a pointer at about 120 moves a second

struct Table {
    Display* display;
    int x, y; // the table's (0, 0) on the screen

    void moveTo(int tx, int ty) const {
        XTestFakeMotionEvent(display, DefaultScreen(display), x + tx, y + ty, CurrentTime);
        XFlush(display);
    }
    void button(bool down) const {
        XTestFakeButtonEvent(display, 1, down ? True : False, CurrentTime);
        XFlush(display);
    }
    std::vector<std::uint32_t> read(int tx, int ty, int width, int height) const {
        return bench::readBlock(display, {x + tx, y + ty, width, height});
    }
};

bool findTable(Display* display, Window& window, Table& table) {
    for (int i = 0; i < 1000; ++i) {
        window = bench::findGameWindow(display);
        if (window != None && bench::tableOrigin(display, window, table.x, table.y)) return true;
        bench::sleepMicroseconds(10000);
    }
    return false;
}

// Waits until the block stops changing for a few milliseconds.
void settle(const Table& table, int tx, int ty, int width, int height) {
    auto before = table.read(tx, ty, width, height);
    for (int quiet = 0, i = 0; quiet < 5 && i < 500; ++i) {
        bench::sleepMicroseconds(1000);
        auto now = table.read(tx, ty, width, height);
        quiet = now == before ? quiet + 1 : 0;
        before = std::move(now);
    }
}

int drag(Display* display, const Table& table, int moves) {
    // Turn the stock once: a card lands on the waste pile at (260, 230).
    table.moveTo(360, 280);
    table.button(true);
    table.button(false);
    bench::sleepMicroseconds(300000);
    if (table.read(260, 230, 1, 1).front() != 0x000000) {
        std::fprintf(stderr, "bench_drag: no card on the waste pile\n");
        return 1;
    }

    // Take it by its middle (grab point 32, 50 of the face) and carry it up
    // to the green right of the grid: its left edge at x = 290, top at 40.
    const int grabX = 32, grabY = 50;
    table.moveTo(260 + grabX, 230 + grabY);
    bench::sleepMicroseconds(50000);
    table.button(true);
    bench::sleepMicroseconds(50000);
    const int left = 290, top = 40;
    for (int i = 1; i <= 10; ++i) {
        table.moveTo(260 + grabX + (left - 260) * i / 10, 230 + grabY + (top - 230) * i / 10);
        bench::sleepMicroseconds(20000);
    }
    // The right edge: border column at left + 63; the block covers it at
    // both positions of the back-and-forth.
    const int blockX = left + 60, blockY = top + 40, blockW = kStep + 8, blockH = 8;
    settle(table, blockX, blockY, blockW, blockH);

    int failures = 0;
    for (int i = 0; i < moves; ++i) {
        const auto before = table.read(blockX, blockY, blockW, blockH);
        const int dx = i % 2 == 0 ? kStep : 0;
        const auto start = bench::Clock::now();
        table.moveTo(left + grabX + dx, top + grabY);
        double latency = -1;
        while (bench::msSince(start) < kMoveGiveUpMs) {
            if (table.read(blockX, blockY, blockW, blockH) != before) {
                latency = bench::msSince(start);
                break;
            }
            bench::sleepMicroseconds(50);
        }
        if (latency < 0) {
            ++failures;
            std::fprintf(stderr, "bench_drag: move %d never showed\n", i);
        } else {
            std::printf("%.3f\n", latency);
        }
        settle(table, blockX, blockY, blockW, blockH);
        bench::sleepMicroseconds(kPauseBetweenUs);
    }
    // Let go off the grid: the card goes back to the waste pile.
    table.button(false);
    XSync(display, False);
    std::fflush(stdout);
    return failures > moves / 10 ? 1 : 0;
}

} // namespace

int main(int argc, char* argv[]) {
    const bool origin = argc == 2 && std::strcmp(argv[1], "origin") == 0;
    const bool dragging = argc == 3 && std::strcmp(argv[1], "drag") == 0;
    if (!origin && !dragging) {
        std::fprintf(stderr, "usage: bench_drag origin | bench_drag drag MOVES\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bench_drag: no X display\n");
        return 1;
    }
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        std::fprintf(stderr, "bench_drag: the X server has no XTEST\n");
        return 1;
    }
    Window window = None;
    Table table{display, 0, 0};
    if (!findTable(display, window, table)) {
        std::fprintf(stderr, "bench_drag: no game window with a green table\n");
        return 1;
    }
    if (origin) {
        std::printf("%lu %d %d\n", window, table.x, table.y);
        return 0;
    }
    return drag(display, table, std::atoi(argv[2]));
}
