#pragma once

// A window is a looper with its own thread and a tree of views. Its views draw into the
// window's back buffer on that thread; the display shows finished frames and sends the user's
// input back as messages, which the window hands to the view they are meant for: keys to the
// focus view (Tab moves the focus, Command+letter looks for a menu shortcut, Enter clicks the
// default button), the mouse to the view under the pointer (or to the view that holds the
// pointer by SetMouseEventMask), dropped files to the view under the drop point as a dropped
// B_SIMPLE_DATA with "refs".

#include <Looper.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class BButton;
class BMenuBar;
class BMenuItem;
class BView;
class BWindow;
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

enum window_type {
    B_UNTYPED_WINDOW = 0,
    B_TITLED_WINDOW = 1,
    B_MODAL_WINDOW = 3,
    B_DOCUMENT_WINDOW = 11,
    B_BORDERED_WINDOW = 20,
    B_FLOATING_WINDOW = 21,
};

enum window_look {
    B_BORDERED_WINDOW_LOOK = 20,
    B_NO_BORDER_WINDOW_LOOK = 19,
    B_TITLED_WINDOW_LOOK = 1,
    B_DOCUMENT_WINDOW_LOOK = 11,
    B_MODAL_WINDOW_LOOK = 3,
    B_FLOATING_WINDOW_LOOK = 7,
};

enum window_feel {
    B_NORMAL_WINDOW_FEEL = 0,
    B_MODAL_SUBSET_WINDOW_FEEL = 2,
    B_MODAL_APP_WINDOW_FEEL = 1,
    B_MODAL_ALL_WINDOW_FEEL = 3,
    B_FLOATING_SUBSET_WINDOW_FEEL = 4,
    B_FLOATING_APP_WINDOW_FEEL = 5,
    B_FLOATING_ALL_WINDOW_FEEL = 6,
};

enum {
    B_NOT_MOVABLE = 0x00000001,
    B_NOT_CLOSABLE = 0x00000020,
    B_NOT_ZOOMABLE = 0x00000040,
    B_NOT_MINIMIZABLE = 0x00004000,
    B_NOT_RESIZABLE = 0x00000002,
    B_NOT_H_RESIZABLE = 0x00000200,
    B_NOT_V_RESIZABLE = 0x00000400,
    B_AVOID_FRONT = 0x00000080,
    B_AVOID_FOCUS = 0x00002000,
    B_WILL_ACCEPT_FIRST_CLICK = 0x00000010,
    B_OUTLINE_RESIZE = 0x00001000,
    B_NO_WORKSPACE_ACTIVATION = 0x00000100,
    B_NOT_ANCHORED_ON_ACTIVATE = 0x00020000,
    B_ASYNCHRONOUS_CONTROLS = 0x00080000,
    B_QUIT_ON_WINDOW_CLOSE = 0x00100000,
};

enum {
    B_CURRENT_WORKSPACE = 0,
    B_ALL_WORKSPACES = 0xffffffff,
};

namespace BPrivate {
struct WindowShortcuts;
int32 display_window_of(const BWindow* window);
} // namespace BPrivate

class BWindow : public BLooper {
public:
    // The frame is the content area in screen coordinates. A window starts hidden, with its
    // thread running: Show() shows it.
    BWindow(BRect frame, const char* title, window_type type, uint32 flags,
            uint32 workspace = B_CURRENT_WORKSPACE);
    BWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
            uint32 workspace = B_CURRENT_WORKSPACE);
    // Deletes the views. Windows end with Quit(), as loopers do.
    ~BWindow() override;

    // Hooks.
    void DispatchMessage(BMessage* message, BHandler* handler) override;
    void MessageReceived(BMessage* message) override;
    bool QuitRequested() override;
    virtual void FrameMoved(BPoint newPosition);
    virtual void FrameResized(float newWidth, float newHeight);
    virtual void WindowActivated(bool active);
    virtual void MenusBeginning();
    virtual void MenusEnded();

    // Show() and Hide() nest: a window shows while it has been shown more often than hidden.
    // The first Show() also starts the thread.
    virtual void Show();
    virtual void Hide();
    bool IsHidden() const;
    void Activate(bool active = true);
    bool IsActive() const { return fActive.load(); }

    void SetTitle(const char* title);
    const char* Title() const { return fTitle.c_str(); }
    window_type Type() const { return fType; }
    window_look Look() const { return fLook; }
    window_feel Feel() const { return fFeel; }
    uint32 Flags() const { return fFlags; }
    status_t SetFlags(uint32 flags);
    uint32 Workspaces() const { return fWorkspaces; }

    // Geometry: the frame in screen coordinates, the bounds in the window's own.
    BRect Frame() const;
    BRect Bounds() const;
    void MoveTo(BPoint where);
    void MoveTo(float x, float y) { MoveTo(BPoint(x, y)); }
    void MoveBy(float dx, float dy);
    void ResizeTo(float width, float height);
    void ResizeBy(float dx, float dy);
    void CenterOnScreen();
    BPoint ConvertToScreen(BPoint point) const;
    BRect ConvertToScreen(BRect rect) const;
    BPoint ConvertFromScreen(BPoint point) const;
    BRect ConvertFromScreen(BRect rect) const;

    // The views. The window keeps a top view that holds the ones added here.
    void AddChild(BView* child, BView* before = nullptr);
    bool RemoveChild(BView* child);
    int32 CountChildren() const;
    BView* ChildAt(int32 index) const;
    BView* FindView(const char* name) const;
    BView* FindView(BPoint point) const;
    BView* CurrentFocus() const { return fFocus; }
    BView* LastMouseMovedView() const { return fLastMouseMovedView; }

    // The button Enter clicks. SetDefaultButton(nullptr) takes the role away.
    BButton* DefaultButton() const { return fDefaultButton; }
    void SetDefaultButton(BButton* button);

    // The window's key menu bar: the first menu bar added, unless set.
    BMenuBar* KeyMenuBar() const { return fKeyMenuBar; }
    void SetKeyMenuBar(BMenuBar* bar);
    // Command+key (Command is Alt) sends message to target (the window when null). A
    // shortcut of a menu item in the window's menus needs none of this: the window finds it.
    void AddShortcut(uint32 key, uint32 modifiers, BMessage* message, BHandler* target = nullptr);
    void RemoveShortcut(uint32 key, uint32 modifiers);

    // Draws what needs drawing now, on the calling thread (which must hold the lock): for a
    // window whose thread is busy with long work, to keep what it shows current.
    void UpdateIfNeeded();
    void Flush() const;
    void Sync() const;
    bool NeedsUpdate() const;
    void DisableUpdates();
    void EnableUpdates();

    // Moves the focus to the next (or previous) view whose flags contain B_NAVIGABLE, in the
    // order of the view tree, round the end.
    void _KeyboardNavigation(bool forward);

private:
    friend class BView;
    friend class BBitmap;
    friend class BBitmapViews;
    friend struct BPrivate::WindowShortcuts;
    friend int32 BPrivate::display_window_of(const BWindow* window);

    struct Offscreen {};
    // A window that draws into a bitmap's pixels and is never shown: views added to a bitmap
    // live in one.
    BWindow(Offscreen, BRect bounds, uint8* bits, int32 bytesPerRow);

    void _Init(BRect frame, const char* title, uint32 flags, uint32 workspace);
    void _CreateBuffer();
    void _SetFocus(BView* view);
    void _Invalidate(BRect rectInWindow);
    void _Update();
    void _Present();
    // For views drawing outside an update: a context on the back buffer.
    cairo_t* _ContextFor(BView* view);
    void _ReleaseContext();
    void _HandleMouse(BMessage* message);
    void _HandleKeyDown(BMessage* message, BHandler* target);
    bool _HandleShortcut(const char* bytes, uint32 modifiers);
    void _HandleDrop(BMessage* message);
    void _ViewDetached(BView* view);
    void _ViewHidden(BView* view);
    // A key the focus view did not use (or that came with no focus view): Tab moves the
    // focus, Enter clicks the default button.
    void _UnhandledKey(char key, BView* from);
    void _BeginViewDraw(BView* view, cairo_t* context);
    void _EndViewDraw();
    void _Resized(float width, float height);

    std::string fTitle;
    window_type fType = B_TITLED_WINDOW;
    window_look fLook = B_TITLED_WINDOW_LOOK;
    window_feel fFeel = B_NORMAL_WINDOW_FEEL;
    uint32 fFlags = 0;
    uint32 fWorkspaces = B_CURRENT_WORKSPACE;
    BRect fFrame;
    std::atomic<int32> fShowLevel{1}; // hidden while > 0
    std::atomic<bool> fActive{false};
    int32 fDisplayWindow = -1;
    bool fOffscreen = false;

    BView* fTopView = nullptr;
    BView* fFocus = nullptr;
    BView* fMouseView = nullptr; // holds the pointer (SetMouseEventMask) until mouse-up
    BView* fLastMouseMovedView = nullptr;
    BPoint fLastMouseWhere;
    uint32 fLastButtons = 0;
    BButton* fDefaultButton = nullptr;
    BMenuBar* fKeyMenuBar = nullptr;
    std::unique_ptr<BPrivate::WindowShortcuts> fShortcuts;

    // The back buffer, the part of it that needs drawing, and the context of a view that
    // draws outside an update.
    cairo_surface_t* fBuffer = nullptr;
    BRect fDirty;
    bool fUpdatePosted = false;
    bool fNeedsPresent = false;
    int32 fUpdatesDisabled = 0;
    cairo_t* fContext = nullptr;
    BView* fContextView = nullptr;
    cairo_t* fDrawContext = nullptr;
    BView* fDrawView = nullptr;
    bool fInUpdate = false;
};
