#include "Display.h"

#include <AppDefs.h>
#include <Entry.h>
#include <InterfaceDefs.h>
#include <Message.h>
#include <OS.h>

#include <cairo.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace BPrivate {

status_t DisplayFrame::WritePNG(const char* path) const
{
    if (width <= 0 || height <= 0)
        return B_BAD_VALUE;
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        (unsigned char*)pixels.data(), CAIRO_FORMAT_ARGB32, width, height, stride);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path);
    cairo_surface_destroy(surface);
    return status == CAIRO_STATUS_SUCCESS ? B_OK : B_ERROR;
}

Display::~Display() = default;

display_window_id Display::RegisterWindow(const DisplayWindowConfig& config)
{
    std::lock_guard<std::mutex> lock(fLock);
    const display_window_id window = fNextWindow++;
    fWindows[window].target = config.target;
    return window;
}

void Display::UnregisterWindow(display_window_id window)
{
    std::lock_guard<std::mutex> lock(fLock);
    fWindows.erase(window);
    if (fLastClickWindow == window)
        fLastClickWindow = -1;
}

bool Display::TargetOf(display_window_id window, BMessenger& target)
{
    std::lock_guard<std::mutex> lock(fLock);
    auto found = fWindows.find(window);
    if (found == fWindows.end())
        return false;
    target = found->second.target;
    return true;
}

void Display::KeepFrame(display_window_id window, const uint8* pixels, int32 width, int32 height,
                        int32 bytesPerRow)
{
    std::lock_guard<std::mutex> lock(fLock);
    auto found = fWindows.find(window);
    if (found == fWindows.end() || width <= 0 || height <= 0 || bytesPerRow < width * 4)
        return;
    DisplayFrame& frame = found->second.frame;
    frame.width = width;
    frame.height = height;
    frame.pixels.resize((size_t)width * height);
    for (int32 y = 0; y < height; y++)
        memcpy(&frame.pixels[(size_t)y * width], pixels + (size_t)y * bytesPerRow,
               (size_t)width * 4);
}

bool Display::CopyFrame(display_window_id window, DisplayFrame& frame)
{
    std::lock_guard<std::mutex> lock(fLock);
    auto found = fWindows.find(window);
    if (found == fWindows.end() || found->second.frame.width == 0)
        return false;
    frame = found->second.frame;
    return true;
}

void Display::_Post(display_window_id window, BMessage& message)
{
    BMessenger target;
    if (!TargetOf(window, target))
        return;
    // A window too busy to take more would hold up every window's input here. A pointer
    // move is soon followed by another and may be dropped; the rest waits for room.
    const bigtime_t timeout = message.what == B_MOUSE_MOVED ? 0 : B_INFINITE_TIMEOUT;
    target.SendMessage(&message, (BHandler*)nullptr, timeout);
}

void Display::MouseDown(display_window_id window, BPoint where, int32 buttons)
{
    BMessage message(B_MOUSE_DOWN);
    const bigtime_t now = system_time();
    int32 clicks;
    uint32 modifierState;
    {
        std::lock_guard<std::mutex> lock(fLock);
        const bool again = window == fLastClickWindow && buttons == fLastClickButtons &&
                           now - fLastClickTime <= kDoubleClickSpeed &&
                           std::fabs(where.x - fLastClickWhere.x) <= kDoubleClickDistance &&
                           std::fabs(where.y - fLastClickWhere.y) <= kDoubleClickDistance;
        fClickCount = again ? fClickCount + 1 : 1;
        fLastClickWindow = window;
        fLastClickButtons = buttons;
        fLastClickTime = now;
        fLastClickWhere = where;
        clicks = fClickCount;
        modifierState = fModifiers;
        auto found = fWindows.find(window);
        if (found != fWindows.end())
            found->second.buttons |= (uint32)buttons;
    }
    message.AddInt64("when", now);
    message.AddPoint("where", where);
    message.AddInt32("buttons", buttons);
    message.AddInt32("modifiers", (int32)modifierState);
    message.AddInt32("clicks", clicks);
    _Post(window, message);
}

void Display::MouseUp(display_window_id window, BPoint where)
{
    BMessage message(B_MOUSE_UP);
    uint32 modifierState;
    {
        std::lock_guard<std::mutex> lock(fLock);
        modifierState = fModifiers;
        auto found = fWindows.find(window);
        if (found != fWindows.end())
            found->second.buttons = 0;
    }
    message.AddInt64("when", system_time());
    message.AddPoint("where", where);
    message.AddInt32("buttons", 0);
    message.AddInt32("modifiers", (int32)modifierState);
    _Post(window, message);
}

void Display::MouseMoved(display_window_id window, BPoint where)
{
    BMessage message(B_MOUSE_MOVED);
    uint32 modifierState;
    uint32 buttons = 0;
    {
        std::lock_guard<std::mutex> lock(fLock);
        modifierState = fModifiers;
        auto found = fWindows.find(window);
        if (found != fWindows.end())
            buttons = found->second.buttons;
    }
    message.AddInt64("when", system_time());
    message.AddPoint("where", where);
    message.AddInt32("buttons", (int32)buttons);
    message.AddInt32("modifiers", (int32)modifierState);
    _Post(window, message);
}

void Display::KeyDown(display_window_id window, const char* bytes, int32 key)
{
    _PostKey(window, B_KEY_DOWN, bytes, key);
}

void Display::KeyUp(display_window_id window, const char* bytes, int32 key)
{
    _PostKey(window, B_KEY_UP, bytes, key);
}

void Display::_PostKey(display_window_id window, uint32 what, const char* bytes, int32 key)
{
    uint32 modifierState;
    {
        std::lock_guard<std::mutex> lock(fLock);
        modifierState = fModifiers;
    }
    const char* text = bytes != nullptr ? bytes : "";
    BMessage message(what);
    message.AddInt64("when", system_time());
    message.AddInt32("modifiers", (int32)modifierState);
    message.AddInt32("key", key);
    // The character without the modifiers' effect: Shift or Caps Lock make no capital of it.
    message.AddInt32("raw_char", tolower((uint8)text[0]));
    message.AddInt8("byte", (int8)text[0]);
    message.AddString("bytes", text);
    _Post(window, message);
}

void Display::SetModifiers(display_window_id window, uint32 modifierState)
{
    uint32 old;
    {
        std::lock_guard<std::mutex> lock(fLock);
        old = fModifiers;
        fModifiers = modifierState;
    }
    set_modifiers(modifierState);
    if (old == modifierState)
        return;
    BMessage message(B_MODIFIERS_CHANGED);
    message.AddInt64("when", system_time());
    message.AddInt32("modifiers", (int32)modifierState);
    message.AddInt32("be:old_modifiers", (int32)old);
    _Post(window, message);
}

void Display::DropFiles(display_window_id window, BPoint where,
                        const std::vector<std::string>& paths)
{
    BMessage message(B_DISPLAY_DROP);
    for (const std::string& path : paths) {
        // Dropped paths come from other programs; only absolute ones name a file for sure.
        const size_t slash = path.rfind('/');
        if (path.empty() || path[0] != '/' || slash == path.size() - 1)
            continue;
        const std::string folder = slash == 0 ? std::string("/") : path.substr(0, slash);
        entry_ref ref(folder.c_str(), path.c_str() + slash + 1);
        message.AddRef("refs", &ref);
    }
    if (!message.HasRef("refs"))
        return;
    message.AddPoint("_drop_point_", where);
    _Post(window, message);
}

void Display::CloseRequested(display_window_id window)
{
    BMessage message(B_QUIT_REQUESTED);
    _Post(window, message);
}

void Display::Activated(display_window_id window, bool active)
{
    BMessage message(B_WINDOW_ACTIVATED);
    message.AddInt64("when", system_time());
    message.AddBool("active", active);
    _Post(window, message);
}

void Display::Moved(display_window_id window, BPoint where)
{
    BMessage message(B_WINDOW_MOVED);
    message.AddInt64("when", system_time());
    message.AddPoint("where", where);
    _Post(window, message);
}

void Display::Resized(display_window_id window, float width, float height)
{
    BMessage message(B_WINDOW_RESIZED);
    message.AddInt64("when", system_time());
    message.AddInt32("width", (int32)width);
    message.AddInt32("height", (int32)height);
    _Post(window, message);
}

void Display::Exposed(display_window_id window)
{
    BMessage message(B_DISPLAY_EXPOSED);
    _Post(window, message);
}

// #pragma mark - choosing the display

namespace {

std::mutex sDisplayLock;
// Never destroyed: window threads may still present while the program exits, and the
// display must outlive them. Its thread ends with the process.
Display* sDisplay = nullptr;
std::string sChosen;

// The switch --offscreen on the program's command line asks for the offscreen display, as
// BE_DISPLAY=offscreen does; the command line is read here so that every program of the kit
// has the switch without passing its arguments on.
bool offscreen_asked_on_command_line()
{
    FILE* file = fopen("/proc/self/cmdline", "rb");
    if (file == nullptr)
        return false;
    std::string arguments;
    char buffer[4096];
    size_t read;
    while ((read = fread(buffer, 1, sizeof(buffer), file)) > 0)
        arguments.append(buffer, read);
    fclose(file);
    size_t start = 0;
    while (start < arguments.size()) {
        const size_t end = arguments.find('\0', start);
        const std::string argument = arguments.substr(start, end - start);
        if (argument == "--offscreen")
            return true;
        if (argument == "--" || end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

bool window_system_reachable()
{
    const char* name = getenv("DISPLAY");
    return name != nullptr && name[0] != '\0';
}

} // namespace

bool select_display(const char* name)
{
    if (name == nullptr || (strcmp(name, "sdl") != 0 && strcmp(name, "offscreen") != 0))
        return false;
    std::lock_guard<std::mutex> lock(sDisplayLock);
    if (sDisplay != nullptr)
        return strcmp(sDisplay->Name(), name) == 0;
    sChosen = name;
    return true;
}

Display* display()
{
    std::lock_guard<std::mutex> lock(sDisplayLock);
    if (sDisplay != nullptr)
        return sDisplay;
    std::string wanted = sChosen;
    if (wanted.empty()) {
        const char* fromEnvironment = getenv("BE_DISPLAY");
        if (fromEnvironment != nullptr)
            wanted = fromEnvironment;
        if (offscreen_asked_on_command_line())
            wanted = "offscreen";
    }
    // Without a display SDL would quietly make invisible windows; choose deliberately.
    if (wanted != "offscreen" && window_system_reachable())
        sDisplay = make_sdl_display().release();
    if (sDisplay == nullptr)
        sDisplay = make_offscreen_display().release();
    return sDisplay;
}

} // namespace BPrivate
