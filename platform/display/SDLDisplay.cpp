#include "SDLDisplay.h"

#include "SDLKeyboard.h"
#include "X11Errors.h"

#include <SDL.h>

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <future>

namespace BPrivate {

namespace {

// SDL keeps its state per process: a second display would call it from a second thread.
std::atomic<bool> sDisplayOpen{false};

// With no window SDL_WaitEvent() looks for events every millisecond; nothing but our own
// requests can come then, so the display thread waits for those instead, and looks at SDL's
// queue this often for anything else.
constexpr auto kIdleWait = std::chrono::milliseconds(100);

// Bounds that keep what callers ask for within what X11 takes (16-bit coordinates).
constexpr int kMaxSide = 16384;
constexpr int kMaxCoordinate = 30000;

// Pixels for a length in BRect units; nonsense (negative, NaN) makes the smallest window.
int pixels_for(float units)
{
    if (!(units >= 0))
        return 1;
    if (units >= kMaxSide - 1)
        return kMaxSide;
    return (int)std::lround(units) + 1;
}

int coordinate_for(float value)
{
    if (!(value > -kMaxCoordinate))
        return value != value ? 0 : -kMaxCoordinate;
    if (value > kMaxCoordinate)
        return kMaxCoordinate;
    return (int)std::lround(value);
}

// The kit's mouse buttons for SDL's: 0 for the ones it has no name for.
int32 button_for(uint8 sdlButton)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT:
        return 1;
    case SDL_BUTTON_RIGHT:
        return 2;
    case SDL_BUTTON_MIDDLE:
        return 4;
    default:
        return 0;
    }
}

} // namespace

std::unique_ptr<Display> make_sdl_display()
{
    return SDLDisplay::Open();
}

std::unique_ptr<SDLDisplay> SDLDisplay::Open()
{
    // Without DISPLAY, SDL would quietly pick another driver or none; this display is for X11.
    const char* name = getenv("DISPLAY");
    if (name == nullptr || name[0] == '\0')
        return nullptr;
    bool expected = false;
    if (!sDisplayOpen.compare_exchange_strong(expected, true))
        return nullptr;

    std::unique_ptr<SDLDisplay> display(new SDLDisplay);
    std::promise<bool> started;
    std::future<bool> result = started.get_future();
    display->fThread = std::thread(
        [self = display.get(), started = std::move(started)]() mutable { self->_Run(started); });
    if (!result.get())
        return nullptr; // the destructor joins the thread, which has ended
    return display;
}

SDLDisplay::~SDLDisplay()
{
    if (fThread.joinable()) {
        {
            std::lock_guard lock(fLock);
            fQuitting = true;
            _Wake();
        }
        fThread.join();
    }
    sDisplayOpen = false;
}

BRect SDLDisplay::ScreenFrame()
{
    std::lock_guard lock(fLock);
    return fScreenFrame;
}

display_window_id SDLDisplay::CreateWindow(const DisplayWindowConfig& config)
{
    display_window_id id = RegisterWindow(config);
    _Queue([this, id, config] { _CreateWindow(id, config); });
    return id;
}

void SDLDisplay::DestroyWindow(display_window_id window)
{
    UnregisterWindow(window);
    _Queue([this, window] { _DestroyWindow(window); });
}

void SDLDisplay::SetTitle(display_window_id window, const char* title)
{
    std::string copy = title != nullptr ? title : "";
    _Queue([this, window, copy] {
        if (Window* record = _Find(window))
            SDL_SetWindowTitle(record->window, copy.c_str());
    });
}

void SDLDisplay::Show(display_window_id window)
{
    _Queue([this, window] {
        if (Window* record = _Find(window))
            _ShowWindow(*record);
    });
}

void SDLDisplay::Hide(display_window_id window)
{
    _Queue([this, window] {
        if (Window* record = _Find(window))
            _HideWindow(*record);
    });
}

void SDLDisplay::Activate(display_window_id window)
{
    _Queue([this, window] {
        // Activating takes the keyboard, which a window that avoids focus never does.
        Window* record = _Find(window);
        if (record == nullptr || record->avoidFocus)
            return;
        _GiveKeyboard(*record);
    });
}

void SDLDisplay::MoveTo(display_window_id window, BPoint where)
{
    int x = coordinate_for(where.x);
    int y = coordinate_for(where.y);
    _Queue([this, window, x, y] {
        Window* record = _Find(window);
        if (record == nullptr)
            return;
        // SDL reports no move it made itself, while it reports the resizes it makes; the
        // window hears of both alike, at the place the window system agreed to.
        SDL_SetWindowPosition(record->window, x, y);
        int placedX = x, placedY = y;
        SDL_GetWindowPosition(record->window, &placedX, &placedY);
        Moved(record->id, BPoint((float)placedX, (float)placedY));
    });
}

void SDLDisplay::ResizeTo(display_window_id window, float width, float height)
{
    int w = pixels_for(width);
    int h = pixels_for(height);
    _Queue([this, window, w, h] {
        if (Window* record = _Find(window))
            SDL_SetWindowSize(record->window, w, h);
    });
}

void SDLDisplay::Present(display_window_id window, const uint8* pixels, int32 width, int32 height,
                         int32 bytesPerRow)
{
    if (pixels == nullptr || width <= 0 || height <= 0 || (int64)width * 4 > bytesPerRow)
        return;
    KeepFrame(window, pixels, width, height, bytesPerRow);
    // The display thread blits the newest kept frame once, however many came before it ran.
    std::lock_guard lock(fLock);
    fNewFrames.insert(window);
    _Wake();
}

void SDLDisplay::_Queue(Request request)
{
    std::lock_guard lock(fLock);
    fRequests.push_back(std::move(request));
    _Wake();
}

void SDLDisplay::_Wake()
{
    fWorkArrived.notify_one();
    // One wake event in SDL's queue is enough: the display thread takes every request there
    // is when it comes. SDL's queue is safe to push to from any thread.
    if (fWakePending || fStopped)
        return;
    SDL_Event event{};
    event.type = fWakeEvent;
    fWakePending = SDL_PushEvent(&event) == 1;
}

void SDLDisplay::_Run(std::promise<bool>& started)
{
    pthread_setname_np(pthread_self(), "display");
    if (!_Start()) {
        std::lock_guard lock(fLock);
        fStopped = true;
        started.set_value(false);
        return;
    }
    started.set_value(true);

    SDL_Event event;
    while (true) {
        _WaitForWork();
        while (SDL_PollEvent(&event))
            _Handle(event);
        std::lock_guard lock(fLock);
        if (fQuitting)
            break;
    }
    _Stop();
}

bool SDLDisplay::_Start()
{
    // SDL chooses OpenGL (Mesa's software rasteriser, without a GPU) for window surfaces by
    // default, which costs tens of megabytes and milliseconds at start for nothing: the
    // windows only show finished frames. The environment must not bring it back.
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_OVERRIDE);
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_OVERRIDE);
    // SDL's defaults are a game's: Control-C and the last window's close box quitting, the
    // screensaver and the desktop's compositor off. A desktop program decides those itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // A click that activates a window is a click in it too.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");

    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        SDL_Quit();
        return false;
    }
    x11_tolerate_vanished_windows();
    uint32 wakeEvent = SDL_RegisterEvents(1);
    if (wakeEvent == (uint32)-1) {
        SDL_Quit();
        return false;
    }
    {
        std::lock_guard lock(fLock);
        fWakeEvent = wakeEvent;
    }
    // Windows advertise that they take drops only when these are on as they are made.
    SDL_EventState(SDL_DROPBEGIN, SDL_ENABLE);
    SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
    SDL_EventState(SDL_DROPCOMPLETE, SDL_ENABLE);
    SDL_EventState(SDL_DROPTEXT, SDL_DISABLE);
    SDL_StartTextInput();
    _UpdateScreenFrame();
    return true;
}

void SDLDisplay::_Stop()
{
    {
        std::lock_guard lock(fLock);
        fStopped = true;
        fRequests.clear();
        fNewFrames.clear();
    }
    for (auto& [id, window] : fWindows)
        SDL_DestroyWindow(window.window);
    fWindows.clear();
    fBySDLID.clear();
    // Dropped file names are the receiver's to free, even unread.
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_DROPFILE || event.type == SDL_DROPTEXT)
            SDL_free(event.drop.file);
    }
    SDL_Quit();
}

void SDLDisplay::_WaitForWork()
{
    if (fWindows.empty()) {
        {
            std::unique_lock lock(fLock);
            fWorkArrived.wait_for(lock, kIdleWait, [this] {
                return !fRequests.empty() || !fNewFrames.empty() || fQuitting;
            });
        }
        _RunRequests();
        return;
    }
    SDL_Event event;
    if (SDL_WaitEvent(&event))
        _Handle(event);
}

void SDLDisplay::_RunRequests()
{
    std::vector<Request> requests;
    std::set<display_window_id> newFrames;
    {
        std::lock_guard lock(fLock);
        fWakePending = false;
        requests.swap(fRequests);
        newFrames.swap(fNewFrames);
    }
    for (Request& request : requests)
        request();
    for (display_window_id id : newFrames) {
        if (Window* window = _Find(id))
            _Blit(*window);
    }
}

void SDLDisplay::_Handle(SDL_Event& event)
{
    if (event.type == fWakeEvent) {
        _RunRequests();
        return;
    }
    switch (event.type) {
    case SDL_WINDOWEVENT:
        _HandleWindowEvent(event.window);
        break;
    case SDL_MOUSEMOTION:
        if (Window* window = _FindSDL(event.motion.windowID)) {
            BPoint where((float)event.motion.x, (float)event.motion.y);
            window = _PointerHolder(window, where);
            MouseMoved(window->id, where);
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        Window* window = _FindSDL(event.button.windowID);
        int32 button = button_for(event.button.button);
        if (window == nullptr || button == 0)
            break;
        fKeyboard.ReportModifiers(window->id, SDL_GetModState());
        if (event.type == SDL_MOUSEBUTTONDOWN)
            _ActivateOnPress(*window);
        BPoint where((float)event.button.x, (float)event.button.y);
        window = _PointerHolder(window, where);
        if (event.type == SDL_MOUSEBUTTONDOWN) {
            fPointerHolder = window->id;
            fHeldButtons |= (uint32)button;
            MouseDown(window->id, where, button);
        } else {
            fHeldButtons &= ~(uint32)button;
            if (fHeldButtons == 0)
                fPointerHolder = -1;
            MouseUp(window->id, where);
        }
        break;
    }
    case SDL_KEYDOWN:
        if (Window* window = _FindSDL(event.key.windowID))
            fKeyboard.KeyDown(window->id, event.key);
        break;
    case SDL_KEYUP: {
        Window* window = _FindSDL(event.key.windowID);
        fKeyboard.KeyUp(window != nullptr ? window->id : -1, event.key);
        break;
    }
    case SDL_TEXTINPUT:
        if (Window* window = _FindSDL(event.text.windowID)) {
            fKeyboard.Text(window->id, event.text.text,
                           strnlen(event.text.text, sizeof(event.text.text)));
        }
        break;
    case SDL_DROPBEGIN:
        fDrops[event.drop.windowID].clear();
        break;
    case SDL_DROPFILE:
        if (event.drop.file != nullptr && event.drop.file[0] != '\0')
            fDrops[event.drop.windowID].emplace_back(event.drop.file);
        SDL_free(event.drop.file);
        break;
    case SDL_DROPTEXT:
        SDL_free(event.drop.file);
        break;
    case SDL_DROPCOMPLETE:
        _FinishDrop(event.drop.windowID);
        break;
    case SDL_DISPLAYEVENT:
        _UpdateScreenFrame();
        break;
    default:
        break;
    }
}

void SDLDisplay::_HandleWindowEvent(const SDL_WindowEvent& event)
{
    Window* window = _FindSDL(event.windowID);
    if (window == nullptr)
        return;
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        CloseRequested(window->id);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        // A window that avoids focus is never the active one, even where the window
        // system handed it the keyboard anyway.
        if (!window->avoidFocus) {
            fKeyboard.ReportModifiers(window->id, SDL_GetModState());
            std::erase(fActivations, window->id);
            fActivations.push_back(window->id);
            if (!window->active) {
                window->active = true;
                Activated(window->id, true);
            }
        }
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST: {
        // Without a window manager SDL hands the keyboard to every window it shows, a menu
        // included, which gives it straight back (see _ShowWindow): a window whose keyboard
        // only passed through a window that avoids focus, or is back already, stays active,
        // and its open menu open.
        SDL_Window* focus = SDL_GetKeyboardFocus();
        Window* holder = focus != nullptr ? _FindSDL(SDL_GetWindowID(focus)) : nullptr;
        if (window->avoidFocus || !window->active ||
            (holder != nullptr && (holder == window || holder->avoidFocus)))
            break;
        window->active = false;
        Activated(window->id, false);
        break;
    }
    case SDL_WINDOWEVENT_MOVED:
        Moved(window->id, BPoint((float)event.data1, (float)event.data2));
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        Resized(window->id, (float)(std::max(event.data1, 1) - 1),
                (float)(std::max(event.data2, 1) - 1));
        // The window surface was made anew at the new size; show the last frame until the
        // window presents one of the new size.
        _Blit(*window);
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        // The window system lost the pixels; without a frame to show again, the window
        // has to draw one.
        if (!_Blit(*window))
            Exposed(window->id);
        break;
    default:
        break;
    }
}

SDLDisplay::Window* SDLDisplay::_PointerHolder(Window* window, BPoint& where)
{
    Window* holder = fPointerHolder >= 0 ? _Find(fPointerHolder) : nullptr;
    if (holder == nullptr || holder == window)
        return window;
    // SDL reports the pointer to the window under it, one of ours (an open menu) included,
    // even while a button pressed in another is held; that one has it until let go, as the
    // window system's own grab would have it.
    int x = 0, y = 0, holderX = 0, holderY = 0;
    SDL_GetWindowPosition(window->window, &x, &y);
    SDL_GetWindowPosition(holder->window, &holderX, &holderY);
    where += BPoint((float)(x - holderX), (float)(y - holderY));
    return holder;
}

void SDLDisplay::_FinishDrop(uint32 sdlWindow)
{
    auto drop = fDrops.extract(sdlWindow);
    Window* window = _FindSDL(sdlWindow);
    if (drop.empty() || drop.mapped().empty() || window == nullptr)
        return;
    // SDL tells no position for a drop: it is where the pointer is. While a drag source
    // holds the pointer, the window hears nothing of it, and only the pointer's place on the
    // screen is right (SDL learns of its moves from the devices); when the window has the
    // pointer, its own events are the newest word, a pointer moved by a program included.
    int x = 0, y = 0;
    if (SDL_GetMouseFocus() == window->window) {
        SDL_GetMouseState(&x, &y);
    } else {
        int windowX = 0, windowY = 0;
        SDL_GetGlobalMouseState(&x, &y);
        SDL_GetWindowPosition(window->window, &windowX, &windowY);
        x -= windowX;
        y -= windowY;
    }
    DropFiles(window->id, BPoint((float)x, (float)y), drop.mapped());
}

void SDLDisplay::_UpdateScreenFrame()
{
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(0, &bounds) != 0)
        return;
    std::lock_guard lock(fLock);
    fScreenFrame = BRect((float)bounds.x, (float)bounds.y, (float)(bounds.x + bounds.w - 1),
                         (float)(bounds.y + bounds.h - 1));
}

void SDLDisplay::_CreateWindow(display_window_id id, const DisplayWindowConfig& config)
{
    uint32 flags = SDL_WINDOW_HIDDEN;
    const char* type = "";
    switch (config.kind) {
    case B_DISPLAY_MODAL_WINDOW:
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;
        type = "_NET_WM_WINDOW_TYPE_DIALOG";
        break;
    case B_DISPLAY_MENU_WINDOW:
        // A pop-up menu is left alone by the window manager: no frame, no focus.
        flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR |
                 SDL_WINDOW_ALWAYS_ON_TOP;
        break;
    default:
        break;
    }
    if (config.resizable && config.kind != B_DISPLAY_MENU_WINDOW)
        flags |= SDL_WINDOW_RESIZABLE;
    SDL_SetHint(SDL_HINT_X11_WINDOW_TYPE, type);

    SDL_Window* sdlWindow = SDL_CreateWindow(
        config.title.c_str(), coordinate_for(config.frame.left), coordinate_for(config.frame.top),
        pixels_for(config.frame.Width()), pixels_for(config.frame.Height()), flags);
    if (sdlWindow == nullptr)
        return; // the window stays unseen; its requests find no window and do nothing

    Window& window = fWindows[id];
    window.id = id;
    window.window = sdlWindow;
    window.avoidFocus = config.avoidFocus || config.kind == B_DISPLAY_MENU_WINDOW;
    window.modal = config.kind == B_DISPLAY_MODAL_WINDOW;
    fBySDLID[SDL_GetWindowID(sdlWindow)] = id;
}

void SDLDisplay::_DestroyWindow(display_window_id id)
{
    auto found = fWindows.find(id);
    if (found == fWindows.end())
        return;
    if (fPointerHolder == id)
        fPointerHolder = -1;
    const bool heldKeyboard = found->second.shown && _HoldsKeyboard(found->second);
    std::erase(fActivations, id);
    uint32 sdlID = SDL_GetWindowID(found->second.window);
    fBySDLID.erase(sdlID);
    fDrops.erase(sdlID);
    SDL_DestroyWindow(found->second.window);
    fWindows.erase(found);
    if (heldKeyboard)
        _PassKeyboardOn();
}

void SDLDisplay::_ShowWindow(Window& window)
{
    // Where the keyboard belongs: the active window; before any is, the window that has it.
    // Never a window that avoids focus, which may have it for a moment (see below) while
    // another one, a submenu, opens.
    Window* owner = nullptr;
    for (auto& [id, other] : fWindows) {
        if (other.active)
            owner = &other;
    }
    if (owner == nullptr) {
        SDL_Window* focused = SDL_GetKeyboardFocus();
        owner = focused != nullptr ? _FindSDL(SDL_GetWindowID(focused)) : nullptr;
        if (owner != nullptr && owner->avoidFocus)
            owner = nullptr;
    }
    SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, window.avoidFocus ? "1" : "0");
    SDL_ShowWindow(window.window);
    window.shown = true;
    // Without a window manager SDL gives the keyboard to every window it shows; a window
    // that avoids focus gives it back at once.
    if (window.avoidFocus && owner != nullptr && owner != &window)
        SDL_SetWindowInputFocus(owner->window);
    _Blit(window);
}

void SDLDisplay::_HideWindow(Window& window)
{
    if (!window.shown)
        return;
    const bool heldKeyboard = _HoldsKeyboard(window);
    SDL_HideWindow(window.window);
    window.shown = false;
    if (window.active) {
        window.active = false;
        Activated(window.id, false);
    }
    if (heldKeyboard)
        _PassKeyboardOn();
}

void SDLDisplay::_GiveKeyboard(Window& window)
{
    // SDL asks the window manager to activate the window; without one nobody would, so the
    // window takes the keyboard itself as well.
    SDL_RaiseWindow(window.window);
    SDL_SetWindowInputFocus(window.window);
}

bool SDLDisplay::_HoldsKeyboard(const Window& window)
{
    return window.active || SDL_GetKeyboardFocus() == window.window;
}

void SDLDisplay::_PassKeyboardOn()
{
    // The keyboard SDL gives a window goes to nobody when that window goes, and without a
    // window manager nobody would give it back: the user could type nowhere.
    for (auto id = fActivations.rbegin(); id != fActivations.rend(); ++id) {
        Window* window = _Find(*id);
        if (window != nullptr && window->shown) {
            _GiveKeyboard(*window);
            return;
        }
    }
}

void SDLDisplay::_ActivateOnPress(Window& window)
{
    if (window.avoidFocus)
        return;
    Window* target = &window;
    // A modal window stays in charge of the keyboard while it is shown.
    if (!window.modal) {
        for (auto id = fActivations.rbegin(); id != fActivations.rend(); ++id) {
            Window* other = _Find(*id);
            if (other != nullptr && other->shown && other->modal) {
                target = other;
                break;
            }
        }
    }
    // A window that has the keyboard stays where it is: raising it would hide its open menus.
    if (!_HoldsKeyboard(*target))
        _GiveKeyboard(*target);
}

bool SDLDisplay::_Blit(Window& window)
{
    if (!window.shown || !CopyFrame(window.id, fScratch))
        return false;
    SDL_Surface* surface = SDL_GetWindowSurface(window.window);
    if (surface == nullptr)
        return false;
    int width = std::min(surface->w, (int)fScratch.width);
    int height = std::min(surface->h, (int)fScratch.height);
    if (width <= 0 || height <= 0)
        return false;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return false;
    // The frame is cairo's ARGB32, which is ARGB8888 here; the surface is whatever the X
    // visual is (XRGB8888 at 24 bits), and SDL converts, or copies when they are the same.
    SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_ARGB8888, fScratch.pixels.data(),
                      fScratch.width * 4, surface->format->format, surface->pixels, surface->pitch);
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    // A window larger than its frame (it grew, and has not presented since) shows the frame
    // on the panel colour rather than on what the surface held before.
    uint32 panel = SDL_MapRGB(surface->format, 216, 216, 216);
    if (width < surface->w) {
        SDL_Rect right{width, 0, surface->w - width, surface->h};
        SDL_FillRect(surface, &right, panel);
    }
    if (height < surface->h) {
        SDL_Rect bottom{0, height, width, surface->h - height};
        SDL_FillRect(surface, &bottom, panel);
    }
    return SDL_UpdateWindowSurface(window.window) == 0;
}

SDLDisplay::Window* SDLDisplay::_Find(display_window_id id)
{
    auto found = fWindows.find(id);
    return found != fWindows.end() ? &found->second : nullptr;
}

SDLDisplay::Window* SDLDisplay::_FindSDL(uint32 sdlWindow)
{
    auto found = fBySDLID.find(sdlWindow);
    return found != fBySDLID.end() ? _Find(found->second) : nullptr;
}

} // namespace BPrivate
