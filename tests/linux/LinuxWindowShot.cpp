#include "LinuxWindowShot.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

Window findWindow(Display* display, Window under, const std::string& name) {
    char* title = nullptr;
    XWindowAttributes attributes{};
    if (XFetchName(display, under, &title) && title) {
        const bool match = name == title;
        XFree(title);
        if (match && XGetWindowAttributes(display, under, &attributes) && attributes.map_state == IsViewable)
            return under;
    }
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, under, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i) found = findWindow(display, children[i], name);
        if (children) XFree(children);
    }
    return found;
}

}  // namespace

WindowShot shootWindow(const std::string& name) {
    WindowShot shot;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return shot;
    if (Window window = findWindow(display, DefaultRootWindow(display), name)) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, window, &attributes);
        if (XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap)) {
            shot.width = image->width;
            shot.height = image->height;
            for (int y = 0; y < image->height; ++y)
                for (int x = 0; x < image->width; ++x)
                    shot.rgb.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
            XDestroyImage(image);
        }
    }
    XCloseDisplay(display);
    return shot;
}

