#pragma once

// The window system behind the interface kit. A display shows windows whose pixels are drawn
// elsewhere (each window draws into its own back buffer on its own thread) and turns what the
// user does into the messages windows understand, posted to each window's messenger. Two
// backends exist: "sdl" (real windows under X11) and "offscreen" (windows are memory only, for
// tests, screenshots and machines without a window system). Both take input injected by
// tests through the same path as real input, so a test exercises exactly what a user would.
//
// Messages a display posts to a window's target:
//   B_MOUSE_DOWN   "when" int64, "where" BPoint (window coordinates), "buttons" int32,
//                  "modifiers" int32, "clicks" int32 (1, 2 for a double click, ...)
//   B_MOUSE_UP     "when", "where", "buttons" (those still held), "modifiers"
//   B_MOUSE_MOVED  "when", "where", "buttons", "modifiers"
//   B_KEY_DOWN     "when", "modifiers", "key" int32 (a raw key code), "raw_char" int32,
//   B_KEY_UP       "byte" int8 (first byte of "bytes"), "bytes" string (the character, UTF-8)
//   B_MODIFIERS_CHANGED "when", "modifiers", "be:old_modifiers"
//   B_DISPLAY_DROP "refs" entry_ref per file dropped, "_drop_point_" BPoint (window
//                  coordinates); the window hands it on as a dropped B_SIMPLE_DATA to the view
//                  under the point
//   B_QUIT_REQUESTED   the close box
//   B_WINDOW_ACTIVATED "when", "active" bool
//   B_WINDOW_MOVED     "when", "where" BPoint (screen coordinates of the left-top corner)
//   B_WINDOW_RESIZED   "when", "width" int32, "height" int32 (BRect units: pixels - 1)
//   B_DISPLAY_EXPOSED  the window system lost the window's pixels: present again
// The display also keeps modifiers() up to date.

#include <Messenger.h>
#include <Point.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace BPrivate {

enum {
    B_DISPLAY_EXPOSED = '_DXP',
    B_DISPLAY_DROP = '_DDR',
};

typedef int32 display_window_id;

// How the window looks to the window system.
enum display_window_kind : uint32 {
    B_DISPLAY_NORMAL_WINDOW = 0, // a titled window with a close box
    B_DISPLAY_MODAL_WINDOW,      // a dialog (an alert): titled, stays above its application
    B_DISPLAY_MENU_WINDOW,       // a pop-up menu: no border, above everything, never focused
};

struct DisplayWindowConfig {
    BRect frame; // content area in screen coordinates; BRect units (pixels - 1)
    std::string title;
    display_window_kind kind = B_DISPLAY_NORMAL_WINDOW;
    bool resizable = true;
    bool avoidFocus = false; // never takes the keyboard (B_AVOID_FOCUS)
    BMessenger target;       // where the window's input goes
};

// A copy of a window's last presented frame, in cairo's ARGB32 (premultiplied, native endian,
// which is SDL's ARGB8888 on little-endian machines).
struct DisplayFrame {
    int32 width = 0;
    int32 height = 0;
    std::vector<uint32_t> pixels; // width * height, rows top to bottom

    uint32_t At(int32 x, int32 y) const { return pixels[(size_t)y * width + x]; }
    // Writes the frame as a PNG file; B_OK or an error.
    status_t WritePNG(const char* path) const;
};

class Display {
public:
    virtual ~Display();

    // "sdl" or "offscreen".
    virtual const char* Name() const = 0;

    // The screen the windows are placed on, in BRect units.
    virtual BRect ScreenFrame() = 0;

    // Windows. Every call may come from any thread; a window starts hidden.
    virtual display_window_id CreateWindow(const DisplayWindowConfig& config) = 0;
    virtual void DestroyWindow(display_window_id window) = 0;
    virtual void SetTitle(display_window_id window, const char* title) = 0;
    virtual void Show(display_window_id window) = 0;
    virtual void Hide(display_window_id window) = 0;
    virtual void Activate(display_window_id window) = 0;
    // Left-top corner of the content area, screen coordinates.
    virtual void MoveTo(display_window_id window, BPoint where) = 0;
    // Size in BRect units (a width of 349 is 350 pixels).
    virtual void ResizeTo(display_window_id window, float width, float height) = 0;

    // Hands over a finished frame of the whole window. The pixels are copied before the call
    // returns; the window may draw into its buffer again at once.
    virtual void Present(display_window_id window, const uint8* pixels, int32 width, int32 height,
                         int32 bytesPerRow) = 0;

    // The last frame presented for the window; false for an unknown window or before the
    // first frame.
    bool CopyFrame(display_window_id window, DisplayFrame& frame);

    // Input as the window system delivers it. Points are in window coordinates. A backend
    // calls these for real input; tests call them to drive windows.
    void MouseDown(display_window_id window, BPoint where, int32 buttons = 1);
    void MouseUp(display_window_id window, BPoint where);
    void MouseMoved(display_window_id window, BPoint where);
    // One key press (down and, unless asked not to, up). bytes is the character typed, UTF-8
    // (B_TAB, B_ENTER, B_LEFT_ARROW... for special keys); key is the raw key code.
    void KeyDown(display_window_id window, const char* bytes, int32 key = 0);
    void KeyUp(display_window_id window, const char* bytes, int32 key = 0);
    void SetModifiers(display_window_id window, uint32 modifiers);
    // Files dropped at a point of the window: one B_DISPLAY_DROP with a "refs" per path.
    void DropFiles(display_window_id window, BPoint where, const std::vector<std::string>& paths);
    void CloseRequested(display_window_id window);
    void Activated(display_window_id window, bool active);
    void Moved(display_window_id window, BPoint where);
    void Resized(display_window_id window, float width, float height);
    void Exposed(display_window_id window);

    // The double-click rules: a press of the same button within this time and distance of
    // the last one counts as one more click.
    static constexpr bigtime_t kDoubleClickSpeed = 500000;
    static constexpr float kDoubleClickDistance = 4;

protected:
    Display() = default;

    // Bookkeeping shared by the backends: the target of each window and its last frame.
    display_window_id RegisterWindow(const DisplayWindowConfig& config);
    void UnregisterWindow(display_window_id window);
    void KeepFrame(display_window_id window, const uint8* pixels, int32 width, int32 height,
                   int32 bytesPerRow);
    bool TargetOf(display_window_id window, BMessenger& target);

private:
    void _Post(display_window_id window, BMessage& message);
    void _PostKey(display_window_id window, uint32 what, const char* bytes, int32 key);

    struct WindowState {
        BMessenger target;
        DisplayFrame frame;
        uint32 buttons = 0;
    };
    std::mutex fLock;
    std::map<display_window_id, WindowState> fWindows;
    display_window_id fNextWindow = 1;
    uint32 fModifiers = 0;
    // The last press, for counting clicks.
    display_window_id fLastClickWindow = -1;
    int32 fLastClickButtons = 0;
    bigtime_t fLastClickTime = 0;
    BPoint fLastClickWhere;
    int32 fClickCount = 0;
};

// The display of this process, chosen at first use: "offscreen" when the program was started
// with the switch --offscreen, when the environment variable BE_DISPLAY says so, or when no
// window system can be reached (no DISPLAY); else "sdl".
Display* display();
// Chooses the display before its first use ("sdl" or "offscreen", as for BE_DISPLAY); false
// when one is already in use or the name is unknown. BApplication calls it for the
// command-line switch --offscreen.
bool select_display(const char* name);

// Made by the backends' own source files.
std::unique_ptr<Display> make_offscreen_display();
// nullptr when the window system cannot be reached.
std::unique_ptr<Display> make_sdl_display();

} // namespace BPrivate
