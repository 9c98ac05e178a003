#include "X11Connection.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cairo.h>
#include <dlfcn.h>

#include <cstring>
#include <thread>

namespace display_test {

namespace {

// Windows come and go while we look at them; an error about one that is gone must not end
// the program, which is what Xlib does by default.
int ignore_error(Display*, XErrorEvent*)
{
    return 0;
}

// The XTEST calls, looked up in libXtst at run time: its headers are not installed here.
using FakeMotionEvent = int (*)(Display*, int, int, int, unsigned long);
using FakeButtonEvent = int (*)(Display*, unsigned int, Bool, unsigned long);
using FakeKeyEvent = int (*)(Display*, unsigned int, Bool, unsigned long);

// The items of a window's property of that type (any type for AnyPropertyType) and format,
// as bytes; empty when it has none such. Xlib hands 32-bit items over as longs.
std::string read_property(Display* display, Window window, Atom property, Atom type, int format)
{
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string bytes;
    if (XGetWindowProperty(display, window, property, 0, 4096, False, type, &actualType,
                           &actualFormat, &count, &after, &data) == Success &&
        data != nullptr && actualFormat == format &&
        (type == AnyPropertyType || actualType == type)) {
        bytes.assign(reinterpret_cast<const char*>(data),
                     count * (format == 32 ? sizeof(long) : 1));
    }
    if (data != nullptr)
        XFree(data);
    return bytes;
}

// A colour channel of a pixel, scaled to 8 bits whatever the visual's mask of it.
uint32_t channel(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    const int shift = __builtin_ctzl(mask);
    return (uint32_t)(((pixel & mask) >> shift) * 255 / (mask >> shift));
}

} // namespace

bool XPicture::WritePNG(const std::string& path) const
{
    if (width <= 0 || height <= 0 || pixels.size() < (size_t)width * height)
        return false;
    // The pixels are what cairo's RGB24 keeps in memory, a row of 32-bit words after another.
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(pixels.data())), CAIRO_FORMAT_RGB24,
        width, height, width * 4);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    return status == CAIRO_STATUS_SUCCESS;
}

X11Connection::X11Connection()
{
    XSetErrorHandler(ignore_error);
    fDisplay = XOpenDisplay(nullptr);
}

X11Connection::~X11Connection()
{
    if (fDisplay != nullptr)
        XCloseDisplay(fDisplay);
    if (fXTest != nullptr)
        dlclose(fXTest);
}

XWindowID X11Connection::Root() const
{
    return DefaultRootWindow(fDisplay);
}

XWindowID X11Connection::FindWindow(const std::string& title, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (true) {
        const std::vector<XWindowID> found = FindWindows(title);
        if (!found.empty() || std::chrono::steady_clock::now() >= deadline)
            return found.empty() ? 0 : found[0];
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::vector<XWindowID> X11Connection::FindWindows(const std::string& title)
{
    std::vector<XWindowID> found;
    _Find(Root(), title, 0, found);
    return found;
}

void X11Connection::_Find(XWindowID window, const std::string& title, int depth,
                          std::vector<XWindowID>& found)
{
    XWindowAttributes attributes;
    if (window != Root() && (!XGetWindowAttributes(fDisplay, window, &attributes) ||
                             attributes.map_state != IsViewable))
        return;
    if (window != Root() && _TitleOf(window) == title) {
        found.push_back(window);
        return;
    }
    // Window managers put a frame or two around each window; deeper than that are only the
    // insides of programs.
    if (depth >= 4)
        return;
    Window root = None, parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(fDisplay, window, &root, &parent, &children, &count))
        return;
    // The topmost window first: it is the one a user sees.
    for (unsigned int i = count; i > 0; i--)
        _Find(children[i - 1], title, depth + 1, found);
    if (children != nullptr)
        XFree(children);
}

std::string X11Connection::_TitleOf(XWindowID window)
{
    const std::string title =
        read_property(fDisplay, window, XInternAtom(fDisplay, "_NET_WM_NAME", False),
                      XInternAtom(fDisplay, "UTF8_STRING", False), 8);
    return !title.empty() ? title : read_property(fDisplay, window, XA_WM_NAME, AnyPropertyType, 8);
}

bool X11Connection::ToRoot(XWindowID window, int x, int y, int* rootX, int* rootY)
{
    Window child = None;
    return XTranslateCoordinates(fDisplay, window, Root(), x, y, rootX, rootY, &child);
}

int X11Connection::XdndVersion(XWindowID window)
{
    const std::string items =
        read_property(fDisplay, window, XInternAtom(fDisplay, "XdndAware", False), XA_ATOM, 32);
    long version = -1;
    if (items.size() >= sizeof(version))
        memcpy(&version, items.data(), sizeof(version));
    return (int)version;
}

bool X11Connection::Capture(XWindowID window, XPicture& picture)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(fDisplay, window, &attributes) ||
        (window != Root() && attributes.map_state != IsViewable))
        return false;
    XImage* image =
        XGetImage(fDisplay, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (image == nullptr)
        return false;
    picture.width = image->width;
    picture.height = image->height;
    picture.pixels.resize((size_t)image->width * image->height);
    for (int y = 0; y < image->height; y++) {
        for (int x = 0; x < image->width; x++) {
            unsigned long pixel = XGetPixel(image, x, y);
            picture.pixels[(size_t)y * image->width + x] = channel(pixel, image->red_mask) << 16 |
                                                           channel(pixel, image->green_mask) << 8 |
                                                           channel(pixel, image->blue_mask);
        }
    }
    XDestroyImage(image);
    return true;
}

bool X11Connection::RequestClose(XWindowID window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(fDisplay, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(fDisplay, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(fDisplay, window, False, NoEventMask, &event);
    XSync(fDisplay, False);
    return sent != 0;
}

XWindowID X11Connection::KeyboardFocus()
{
    Window focus = 0;
    int revertTo = 0;
    XGetInputFocus(fDisplay, &focus, &revertTo);
    return focus;
}

bool X11Connection::CanFakeInput()
{
    if (!fXTestTried) {
        fXTestTried = true;
        fXTest = dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
    }
    return fXTest != nullptr;
}

template <typename Function, typename... Arguments>
bool X11Connection::_Fake(const char* name, Arguments... arguments)
{
    auto fake = CanFakeInput() ? reinterpret_cast<Function>(dlsym(fXTest, name)) : nullptr;
    const bool done = fake != nullptr && fake(fDisplay, arguments...);
    XSync(fDisplay, False);
    return done;
}

bool X11Connection::FakeMotion(int rootX, int rootY)
{
    return _Fake<FakeMotionEvent>("XTestFakeMotionEvent", DefaultScreen(fDisplay), rootX, rootY,
                                  0ul);
}

bool X11Connection::FakeButton(unsigned int button, bool press)
{
    return _Fake<FakeButtonEvent>("XTestFakeButtonEvent", button, press ? True : False, 0ul);
}

bool X11Connection::FakeKey(const char* keysymName, bool press)
{
    const KeySym keysym = XStringToKeysym(keysymName);
    const unsigned int keycode = keysym != NoSymbol ? XKeysymToKeycode(fDisplay, keysym) : 0;
    return keycode != 0 &&
           _Fake<FakeKeyEvent>("XTestFakeKeyEvent", keycode, press ? True : False, 0ul);
}

void X11Connection::Sync()
{
    XSync(fDisplay, False);
}

bool X11Connection::MovePointer(XWindowID window, int x, int y)
{
    int rootX = 0, rootY = 0;
    return ToRoot(window, x, y, &rootX, &rootY) && FakeMotion(rootX, rootY);
}

bool X11Connection::Click(XWindowID window, int x, int y)
{
    return MovePointer(window, x, y) && FakeButton(1, true) && FakeButton(1, false);
}

void X11Connection::Press(const char* keysymName, const char* modifier)
{
    if (modifier != nullptr)
        FakeKey(modifier, true);
    FakeKey(keysymName, true);
    FakeKey(keysymName, false);
    if (modifier != nullptr)
        FakeKey(modifier, false);
}

} // namespace display_test
