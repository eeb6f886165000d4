// Saves what an X window shows as a PNG, for end-to-end tests and for looking at the windows:
//   window-screenshot WINDOW-ID OUTPUT.png      (a window id as xdotool prints it, or "root")
#include <QImage>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

struct ImageDestroyer {
    void operator()(XImage* image) const { XDestroyImage(image); }
};

// The pixels of a 24- or 32-bit TrueColor image, whatever its channel masks.
QImage toQImage(XImage& image)
{
    QImage out(image.width, image.height, QImage::Format_RGB32);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const unsigned long pixel = XGetPixel(&image, x, y);
            const auto channel = [pixel](unsigned long mask) {
                int shift = 0;
                while (mask != 0 && (mask & 1) == 0) {
                    mask >>= 1;
                    ++shift;
                }
                return static_cast<int>((pixel >> shift) & mask & 0xFF);
            };
            out.setPixel(
                x, y,
                qRgb(channel(image.red_mask), channel(image.green_mask), channel(image.blue_mask)));
        }
    }
    return out;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: window-screenshot WINDOW-ID OUTPUT.png\n");
        return 2;
    }
    const std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
    if (!display) {
        std::fprintf(stderr, "window-screenshot: no X display\n");
        return 1;
    }
    const Window window = std::string_view(argv[1]) == "root" ? DefaultRootWindow(display.get())
                                                              : std::strtoul(argv[1], nullptr, 0);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display.get(), window, &attributes) == 0) {
        std::fprintf(stderr, "window-screenshot: no window %s\n", argv[1]);
        return 1;
    }
    const std::unique_ptr<XImage, ImageDestroyer> image(XGetImage(
        display.get(), window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap));
    if (!image) {
        std::fprintf(stderr, "window-screenshot: the window's pixels cannot be read\n");
        return 1;
    }
    return toQImage(*image).save(argv[2], "PNG") ? 0 : 1;
}
