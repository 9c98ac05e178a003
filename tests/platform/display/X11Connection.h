#pragma once

// A connection of our own to the X server the display under test uses: it finds windows by
// their titles, takes pictures of them, asks them to close as a window manager would, and
// (where the XTEST library is installed) moves the pointer, clicks and types as a user
// would. Xlib's names stay inside the source file, since its macros (None, Status, Bool)
// clash with everything else; windows are plain X ids here.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

struct _XDisplay;

namespace display_test {

using XWindowID = unsigned long;

// The pixels of a window or of the screen, 0x00RRGGBB each, rows top to bottom.
struct XPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const { return pixels[(size_t)y * width + x]; }
    // Writes a PNG file; false when it cannot.
    bool WritePNG(const std::string& path) const;
};

class X11Connection {
public:
    // Connects to $DISPLAY; IsOpen() tells whether that worked.
    X11Connection();
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    bool IsOpen() const { return fDisplay != nullptr; }
    _XDisplay* XDisplay() const { return fDisplay; }
    XWindowID Root() const;

    // The viewable window with that title (_NET_WM_NAME, else WM_NAME), waiting for it up to
    // the limit; 0 when there is none.
    XWindowID FindWindow(const std::string& title,
                         std::chrono::milliseconds limit = std::chrono::milliseconds(0));
    // Every viewable window with that title, the topmost first.
    std::vector<XWindowID> FindWindows(const std::string& title);
    // Where a point of the window is on the screen; false for a window that is gone.
    bool ToRoot(XWindowID window, int x, int y, int* rootX, int* rootY);

    // The version of the drag-and-drop protocol the window takes drops with, -1 when it
    // takes none (no XdndAware).
    int XdndVersion(XWindowID window);

    // The window's pixels, or the whole screen's for the root window; false when the window
    // is not viewable.
    bool Capture(XWindowID window, XPicture& picture);

    // What a window manager sends when the close box is clicked (WM_DELETE_WINDOW).
    bool RequestClose(XWindowID window);
    // The window the server sends the keyboard to; 0 for none.
    XWindowID KeyboardFocus();

    // Real input through the server's XTEST extension. CanFakeInput() is false when its
    // client library (libXtst.so.6) is missing; the server side is part of Xvfb.
    bool CanFakeInput();
    bool FakeMotion(int rootX, int rootY);
    bool FakeButton(unsigned int button, bool press);
    // A key by its keysym name ("a", "q", "Return", "Alt_L").
    bool FakeKey(const char* keysymName, bool press);
    // Waits until the server has handled every request sent so far.
    void Sync();
    // A user's input made of those: the pointer moved to a point of a window (false when the
    // window is gone), a quick click of the first button there, a key pressed and let go with
    // a modifier key held around it if one is given.
    bool MovePointer(XWindowID window, int x, int y);
    bool Click(XWindowID window, int x, int y);
    void Press(const char* keysymName, const char* modifier = nullptr);

private:
    std::string _TitleOf(XWindowID window);
    // Calls the XTEST function of that name, when there is one, and waits for the server.
    template <typename Function, typename... Arguments>
    bool _Fake(const char* name, Arguments... arguments);
    void _Find(XWindowID window, const std::string& title, int depth,
               std::vector<XWindowID>& found);

    _XDisplay* fDisplay = nullptr;
    void* fXTest = nullptr; // the dlopen() handle of libXtst
    bool fXTestTried = false;
};

} // namespace display_test
