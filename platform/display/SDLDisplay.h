#pragma once

// Real windows under X11, through SDL. SDL's video and event functions belong to one thread:
// the display thread, which this display starts and which makes every SDL call. The other
// threads only queue requests and wake it with an event of a type of our own; no call waits
// for the display thread once it runs, so none can deadlock against it, and Present() costs
// a copy of the pixels and nothing more.

#include "SDLKeyboard.h"

#include <Display.h>

#include <condition_variable>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct SDL_Window;
union SDL_Event;
struct SDL_WindowEvent;

namespace BPrivate {

class SDLDisplay : public Display {
public:
    // Connects to the window system: nullptr when it cannot be reached, and while another
    // SDLDisplay exists (SDL is one per process).
    static std::unique_ptr<SDLDisplay> Open();
    // Stops the display thread, which closes every window and lets go of SDL. The display
    // thread itself never gets here: it only runs SDL and posts messages.
    ~SDLDisplay() override;

    const char* Name() const override { return "sdl"; }
    BRect ScreenFrame() override;

    display_window_id CreateWindow(const DisplayWindowConfig& config) override;
    void DestroyWindow(display_window_id window) override;
    void SetTitle(display_window_id window, const char* title) override;
    void Show(display_window_id window) override;
    void Hide(display_window_id window) override;
    void Activate(display_window_id window) override;
    void MoveTo(display_window_id window, BPoint where) override;
    void ResizeTo(display_window_id window, float width, float height) override;
    void Present(display_window_id window, const uint8* pixels, int32 width, int32 height,
                 int32 bytesPerRow) override;

private:
    SDLDisplay() = default;

    // What the display thread knows of a window.
    struct Window {
        display_window_id id = -1;
        SDL_Window* window = nullptr;
        bool avoidFocus = false;
        bool modal = false;
        bool shown = false;
        bool active = false; // as last reported to the window
    };
    using Request = std::function<void()>;

    // Any thread.
    void _Queue(Request request);
    void _Wake(); // with fLock held

    // The display thread.
    void _Run(std::promise<bool>& started);
    bool _Start();
    void _Stop();
    void _WaitForWork();
    void _RunRequests();
    void _Handle(SDL_Event& event);
    void _HandleWindowEvent(const SDL_WindowEvent& event);
    void _FinishDrop(uint32 sdlWindow);
    // The window the pointer's event belongs to: the one a held button was pressed in, with
    // where moved into it; else window itself.
    Window* _PointerHolder(Window* window, BPoint& where);
    void _UpdateScreenFrame();

    void _CreateWindow(display_window_id id, const DisplayWindowConfig& config);
    void _DestroyWindow(display_window_id id);
    void _ShowWindow(Window& window);
    void _HideWindow(Window& window);
    // Raises the window and gives it the keyboard, as a window manager activating it would.
    void _GiveKeyboard(Window& window);
    // Whether the window has the keyboard or is the one it belongs to.
    bool _HoldsKeyboard(const Window& window);
    // After the window that held the keyboard went away: gives it to the window that was
    // active most recently among those still shown.
    void _PassKeyboardOn();
    // A press in a window that does not have the keyboard activates it, unless a modal
    // window is shown: that one has the keyboard, or takes it back.
    void _ActivateOnPress(Window& window);
    // Shows the window's last frame; false when there is none to show.
    bool _Blit(Window& window);
    Window* _Find(display_window_id id);
    Window* _FindSDL(uint32 sdlWindow);

    // Shared with the other threads, under fLock.
    std::mutex fLock;
    std::condition_variable fWorkArrived;
    std::vector<Request> fRequests;
    std::set<display_window_id> fNewFrames; // windows with a frame not blitted yet
    bool fWakePending = false;              // a wake event waits in SDL's queue
    bool fQuitting = false;
    bool fStopped = false; // SDL is gone: nothing may be pushed to its queue any more
    BRect fScreenFrame;
    uint32 fWakeEvent = 0;

    // The display thread's own.
    std::map<display_window_id, Window> fWindows;
    std::map<uint32, display_window_id> fBySDLID;
    std::map<uint32, std::vector<std::string>> fDrops; // files of a drop under way, per window
    display_window_id fPointerHolder = -1;             // where the held buttons were pressed
    std::vector<display_window_id> fActivations;       // windows that were active, latest last
    uint32 fHeldButtons = 0;
    SDLKeyboard fKeyboard{*this};
    DisplayFrame fScratch;

    std::thread fThread;
};

} // namespace BPrivate
