// What the X measuring tools share: a monotonic clock, finding the game's
// top-level window by its title, reading a small block of screen pixels, and
// finding where the green table starts below the menu bar.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace bench {

inline const char* const kTitle = "Brennolt - Vimbo";

using Clock = std::chrono::steady_clock;

inline double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline void sleepMicroseconds(int us) {
    std::this_thread::sleep_for(std::chrono::microseconds(us));
}

// The title a window shows: _NET_WM_NAME (UTF-8) if set, else WM_NAME.
inline std::string windowTitle(Display* display, Window window) {
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        if (!title.empty()) return title;
    }
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

inline bool isMapped(Display* display, Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// The game's mapped top-level window (a child of the root: no window manager
// reparents it), or None.
inline Window findGameWindow(Display* display) {
    Window root = DefaultRootWindow(display), parent = None, *children = nullptr;
    unsigned int count = 0;
    Window found = None;
    if (!XQueryTree(display, root, &root, &parent, &children, &count)) return None;
    for (unsigned int i = count; i-- > 0 && found == None;)
        if (windowTitle(display, children[i]) == kTitle && isMapped(display, children[i]))
            found = children[i];
    if (children) XFree(children);
    return found;
}

// A block of screen pixels in root coordinates, as 0xRRGGBB values.
struct Block {
    int x = 0, y = 0, width = 1, height = 1;
};

inline std::vector<std::uint32_t> readBlock(Display* display, const Block& block) {
    std::vector<std::uint32_t> pixels;
    XImage* image = XGetImage(display, DefaultRootWindow(display), block.x, block.y,
                              static_cast<unsigned>(block.width),
                              static_cast<unsigned>(block.height), AllPlanes, ZPixmap);
    if (!image) return pixels;
    pixels.reserve(static_cast<std::size_t>(block.width) * block.height);
    for (int y = 0; y < block.height; ++y)
        for (int x = 0; x < block.width; ++x)
            pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
}

inline std::uint32_t readPixel(Display* display, int x, int y) {
    const auto pixels = readBlock(display, {x, y, 1, 1});
    return pixels.empty() ? 0 : pixels.front();
}

// Where the window's top-left client pixel lies on the screen.
inline bool windowOrigin(Display* display, Window window, int& x, int& y) {
    Window child = None;
    return XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
}

inline constexpr std::uint32_t kTableGreen = 0x008000;

// The table's (0, 0) on the screen: the first green row below the menu bar,
// looked for in the middle of the window.
inline bool tableOrigin(Display* display, Window window, int& x, int& y) {
    int wx = 0, wy = 0;
    if (!windowOrigin(display, window, wx, wy)) return false;
    const auto column = readBlock(display, {wx + 200, wy, 1, 80});
    for (std::size_t i = 0; i < column.size(); ++i)
        if (column[i] == kTableGreen) {
            x = wx;
            y = wy + static_cast<int>(i);
            return true;
        }
    return false;
}

} // namespace bench
