// The whole screen of the X display, as the tests read it back: a binary PPM,
// or with a name ending in ".rgb" the bare pixels (3 bytes each, row by row).
// One request to the server, where ImageMagick's import costs eight times
// the time; the tests look at the screen hundreds of times a run.
// Usage: x_shot FILE
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The 8-bit value of a colour channel, whatever its mask.
unsigned channel(unsigned long pixel, unsigned long mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const unsigned long max = mask >> shift;
    return static_cast<unsigned>(((pixel & mask) >> shift) * 255 / max);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: x_shot FILE\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, root, &attributes);
    XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) return 1;
    std::vector<unsigned char> rgb(static_cast<std::size_t>(image->width) * image->height * 3);
    unsigned char* to = rgb.data();
    // Xvfb's 24-bit screens hold a pixel in 32 bits, read here as they lie;
    // any other layout goes through Xlib's own reading, pixel by pixel.
    const bool plain = image->bits_per_pixel == 32 && image->byte_order == LSBFirst &&
                       image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 &&
                       image->blue_mask == 0xFF;
    for (int y = 0; y < image->height; ++y) {
        const auto* row = reinterpret_cast<const unsigned char*>(image->data) +
                          static_cast<std::ptrdiff_t>(y) * image->bytes_per_line;
        for (int x = 0; x < image->width; ++x, to += 3) {
            if (plain) {
                to[0] = row[4 * x + 2];
                to[1] = row[4 * x + 1];
                to[2] = row[4 * x];
                continue;
            }
            const unsigned long pixel = XGetPixel(image, x, y);
            to[0] = static_cast<unsigned char>(channel(pixel, image->red_mask));
            to[1] = static_cast<unsigned char>(channel(pixel, image->green_mask));
            to[2] = static_cast<unsigned char>(channel(pixel, image->blue_mask));
        }
    }
    const std::string name = argv[1];
    const bool bare = name.size() > 4 && name.compare(name.size() - 4, 4, ".rgb") == 0;
    std::FILE* out = std::fopen(name.c_str(), "wb");
    if (!out) return 1;
    if (!bare) std::fprintf(out, "P6\n%d %d\n255\n", image->width, image->height);
    const bool written = std::fwrite(rgb.data(), 1, rgb.size(), out) == rgb.size();
    const bool closed = std::fclose(out) == 0;
    XDestroyImage(image);
    XCloseDisplay(display);
    return written && closed ? 0 : 1;
}
