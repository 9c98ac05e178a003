#include <Window.h>

#include <AppDefs.h>
#include <Button.h>
#include <Message.h>
#include <Messenger.h>
#include <View.h>

#include "Display.h"
#include "WindowPrivate.h"

#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <vector>

using BPrivate::kUpdateMessage;

namespace {

window_look look_of(window_type type)
{
    switch (type) {
    case B_MODAL_WINDOW:
        return B_MODAL_WINDOW_LOOK;
    case B_DOCUMENT_WINDOW:
        return B_DOCUMENT_WINDOW_LOOK;
    case B_BORDERED_WINDOW:
        return B_BORDERED_WINDOW_LOOK;
    case B_FLOATING_WINDOW:
        return B_FLOATING_WINDOW_LOOK;
    default:
        return B_TITLED_WINDOW_LOOK;
    }
}

window_feel feel_of(window_type type)
{
    switch (type) {
    case B_MODAL_WINDOW:
        return B_MODAL_APP_WINDOW_FEEL;
    case B_FLOATING_WINDOW:
        return B_FLOATING_APP_WINDOW_FEEL;
    default:
        return B_NORMAL_WINDOW_FEEL;
    }
}

} // namespace

namespace BPrivate {

int32 display_window_of(const BWindow* window)
{
    return window != nullptr ? window->fDisplayWindow : -1;
}

} // namespace BPrivate

BWindow::BWindow(BRect frame, const char* title, window_type type, uint32 flags, uint32 workspace)
    : BLooper(title), fType(type), fLook(look_of(type)), fFeel(feel_of(type))
{
    _Init(frame, title, flags, workspace);
}

BWindow::BWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
                 uint32 workspace)
    : BLooper(title), fType(B_UNTYPED_WINDOW), fLook(look), fFeel(feel)
{
    _Init(frame, title, flags, workspace);
}

BWindow::BWindow(Offscreen, BRect bounds, uint8* bits, int32 bytesPerRow)
    : BLooper("offscreen"), fType(B_UNTYPED_WINDOW), fLook(B_NO_BORDER_WINDOW_LOOK),
      fOffscreen(true)
{
    fShortcuts = std::make_unique<BPrivate::WindowShortcuts>();
    fFrame = bounds.OffsetToCopy(0, 0);
    fBuffer =
        cairo_image_surface_create_for_data(bits, CAIRO_FORMAT_ARGB32, bounds.IntegerWidth() + 1,
                                            bounds.IntegerHeight() + 1, bytesPerRow);
    fTopView = new BView(Bounds(), "top view", B_FOLLOW_ALL, 0);
    fTopView->SetViewColor(B_TRANSPARENT_COLOR);
    fTopView->_Attach(this);
    // The window never runs: whoever uses the bitmap locks it, from any thread.
    Unlock();
}

void BWindow::_Init(BRect frame, const char* title, uint32 flags, uint32 workspace)
{
    fShortcuts = std::make_unique<BPrivate::WindowShortcuts>();
    fTitle = title != nullptr ? title : "";
    fFlags = flags;
    fWorkspaces = workspace;
    fFrame = frame;
    _CreateBuffer();

    fTopView = new BView(Bounds(), "top view", B_FOLLOW_ALL, 0);
    fTopView->_Attach(this);

    BPrivate::DisplayWindowConfig config;
    config.frame = frame;
    config.title = fTitle;
    if (fLook == B_NO_BORDER_WINDOW_LOOK)
        config.kind = BPrivate::B_DISPLAY_MENU_WINDOW;
    else if (fLook == B_MODAL_WINDOW_LOOK || fFeel == B_MODAL_APP_WINDOW_FEEL ||
             fFeel == B_MODAL_SUBSET_WINDOW_FEEL || fFeel == B_MODAL_ALL_WINDOW_FEEL)
        config.kind = BPrivate::B_DISPLAY_MODAL_WINDOW;
    config.resizable = (flags & B_NOT_RESIZABLE) == 0;
    config.avoidFocus = (flags & B_AVOID_FOCUS) != 0;
    config.target = BMessenger(nullptr, this);
    fDisplayWindow = BPrivate::display()->CreateWindow(config);
}

BWindow::~BWindow()
{
    _ReleaseContext();
    if (fTopView != nullptr) {
        fTopView->_CallAllDetached();
        fTopView->_Detach();
        delete fTopView;
    }
    if (fDisplayWindow >= 0)
        BPrivate::display()->DestroyWindow(fDisplayWindow);
    if (fBuffer != nullptr)
        cairo_surface_destroy(fBuffer);
}

// #pragma mark - messages

void BWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
    switch (message->what) {
    case B_MOUSE_DOWN:
    case B_MOUSE_UP:
    case B_MOUSE_MOVED:
        _HandleMouse(message);
        break;
    case B_KEY_DOWN:
        _HandleKeyDown(message, handler);
        break;
    case B_KEY_UP: {
        auto* view = dynamic_cast<BView*>(handler);
        const char* bytes = "";
        message->FindString("bytes", &bytes);
        if (view != nullptr && view->Window() == this)
            view->KeyUp(bytes, (int32)strlen(bytes));
        break;
    }
    case BPrivate::B_DISPLAY_DROP:
        _HandleDrop(message);
        break;
    case BPrivate::B_DISPLAY_EXPOSED:
        _Present();
        break;
    case B_WINDOW_ACTIVATED: {
        bool active = false;
        message->FindBool("active", &active);
        fActive = active;
        WindowActivated(active);
        std::vector<BView*> views;
        fTopView->_Collect(views);
        for (BView* view : views)
            view->WindowActivated(active);
        break;
    }
    case B_WINDOW_MOVED: {
        BPoint where;
        if (message->FindPoint("where", &where) == B_OK && where != fFrame.LeftTop()) {
            fFrame.OffsetTo(where);
            FrameMoved(where);
        }
        break;
    }
    case B_WINDOW_RESIZED: {
        int32 width;
        int32 height;
        if (message->FindInt32("width", &width) == B_OK &&
            message->FindInt32("height", &height) == B_OK &&
            (width != fFrame.IntegerWidth() || height != fFrame.IntegerHeight())) {
            _Resized((float)width, (float)height);
            FrameResized((float)width, (float)height);
        }
        break;
    }
    case kUpdateMessage:
        fUpdatePosted = false;
        _Update();
        break;
    default:
        BLooper::DispatchMessage(message, handler);
        break;
    }
    // A view that drew outside Draw() keeps its context only for the message that asked.
    _ReleaseContext();
}

void BWindow::MessageReceived(BMessage* message)
{
    if (message->what == B_KEY_DOWN) {
        const char* bytes = "";
        message->FindString("bytes", &bytes);
        _UnhandledKey(bytes[0], nullptr);
        return;
    }
    BLooper::MessageReceived(message);
}

bool BWindow::QuitRequested()
{
    return true;
}

void BWindow::FrameMoved(BPoint) {}
void BWindow::FrameResized(float, float) {}
void BWindow::WindowActivated(bool) {}
void BWindow::MenusBeginning() {}
void BWindow::MenusEnded() {}

void BWindow::_HandleMouse(BMessage* message)
{
    BPoint where;
    if (message->FindPoint("where", &where) != B_OK)
        return;
    int32 buttons = 0;
    message->FindInt32("buttons", &buttons);
    fLastMouseWhere = where;
    fLastButtons = (uint32)buttons;

    BView* view = fMouseView != nullptr ? fMouseView : fTopView->_ViewAt(where);
    switch (message->what) {
    case B_MOUSE_DOWN:
        if (view != nullptr && view->_AcceptsInput())
            view->MouseDown(where - view->_OriginInWindow());
        break;
    case B_MOUSE_UP:
        if (view != nullptr)
            view->MouseUp(where - view->_OriginInWindow());
        // A view holds the pointer until the buttons are let go.
        if (fMouseView != nullptr) {
            fMouseView->fEventMask = 0;
            fMouseView = nullptr;
        }
        break;
    case B_MOUSE_MOVED: {
        BView* under = fTopView->_ViewAt(where);
        if (fMouseView != nullptr) {
            const BPoint local = where - fMouseView->_OriginInWindow();
            fMouseView->MouseMoved(
                local, fMouseView->Bounds().Contains(local) ? B_INSIDE_VIEW : B_OUTSIDE_VIEW,
                nullptr);
            fLastMouseMovedView = under;
            break;
        }
        if (under != fLastMouseMovedView && fLastMouseMovedView != nullptr)
            fLastMouseMovedView->MouseMoved(where - fLastMouseMovedView->_OriginInWindow(),
                                            B_EXITED_VIEW, nullptr);
        if (under != nullptr)
            under->MouseMoved(where - under->_OriginInWindow(),
                              under == fLastMouseMovedView ? B_INSIDE_VIEW : B_ENTERED_VIEW,
                              nullptr);
        fLastMouseMovedView = under;
        break;
    }
    }
}

void BWindow::_HandleKeyDown(BMessage* message, BHandler* target)
{
    const char* bytes = "";
    message->FindString("bytes", &bytes);
    int32 modifierState = 0;
    message->FindInt32("modifiers", &modifierState);
    if ((modifierState & B_COMMAND_KEY) != 0 && _HandleShortcut(bytes, (uint32)modifierState))
        return;
    auto* view = dynamic_cast<BView*>(target);
    if (view != nullptr && view->Window() == this) {
        if (view->_AcceptsInput())
            view->KeyDown(bytes, (int32)strlen(bytes));
    } else if (target != nullptr)
        target->MessageReceived(message);
}

void BWindow::_UnhandledKey(char key, BView* from)
{
    uint32 modifierState = modifiers();
    if (BMessage* current = CurrentMessage(); current != nullptr && current->what == B_KEY_DOWN)
        current->FindInt32("modifiers", (int32*)&modifierState);
    if (key == B_TAB && (modifierState & (B_COMMAND_KEY | B_CONTROL_KEY)) == 0) {
        _KeyboardNavigation((modifierState & B_SHIFT_KEY) == 0);
        return;
    }
    if (key == B_ENTER && fDefaultButton != nullptr) {
        BView* button = fDefaultButton;
        if (button != from && button->Window() == this && button->_AcceptsInput()) {
            const char enter[2] = {B_ENTER, '\0'};
            button->KeyDown(enter, 1);
        }
    }
}

void BWindow::_HandleDrop(BMessage* message)
{
    BPoint where;
    if (message->FindPoint("_drop_point_", &where) != B_OK)
        return;
    BView* view = fTopView->_ViewAt(where);
    BMessage dropped(*message);
    dropped.what = B_SIMPLE_DATA;
    // As on the original system, the drop point is in screen coordinates.
    dropped.RemoveName("_drop_point_");
    dropped.AddPoint("_drop_point_", ConvertToScreen(where));
    if (view == nullptr || view == fTopView)
        PostMessageFrom(&dropped, B_ORIGIN_DROPPED, this);
    else
        PostMessageFrom(&dropped, B_ORIGIN_DROPPED, view);
}

// #pragma mark - showing

void BWindow::Show()
{
    const int32 level = --fShowLevel;
    if (level == 0) {
        if (fDisplayWindow >= 0)
            BPrivate::display()->Show(fDisplayWindow);
        _Invalidate(Bounds());
        if ((fFlags & B_AVOID_FOCUS) == 0)
            Activate(true);
    }
    if (Thread() < 0 && !fOffscreen)
        Run();
}

void BWindow::Hide()
{
    const int32 level = ++fShowLevel;
    if (level == 1) {
        if (fDisplayWindow >= 0)
            BPrivate::display()->Hide(fDisplayWindow);
        fActive = false;
    }
}

bool BWindow::IsHidden() const
{
    return fShowLevel.load() > 0;
}

void BWindow::Activate(bool active)
{
    if (active && IsHidden())
        return;
    fActive = active;
    if (active && fDisplayWindow >= 0)
        BPrivate::display()->Activate(fDisplayWindow);
}

void BWindow::SetTitle(const char* title)
{
    fTitle = title != nullptr ? title : "";
    if (fDisplayWindow >= 0)
        BPrivate::display()->SetTitle(fDisplayWindow, fTitle.c_str());
}

status_t BWindow::SetFlags(uint32 flags)
{
    fFlags = flags;
    return B_OK;
}

// #pragma mark - geometry

BRect BWindow::Frame() const
{
    return fFrame;
}

BRect BWindow::Bounds() const
{
    return BRect(0, 0, fFrame.Width(), fFrame.Height());
}

void BWindow::MoveTo(BPoint where)
{
    where.x = std::round(where.x);
    where.y = std::round(where.y);
    if (where == fFrame.LeftTop())
        return;
    fFrame.OffsetTo(where);
    if (fDisplayWindow >= 0)
        BPrivate::display()->MoveTo(fDisplayWindow, where);
}

void BWindow::MoveBy(float dx, float dy)
{
    MoveTo(BPoint(fFrame.left + dx, fFrame.top + dy));
}

void BWindow::ResizeTo(float width, float height)
{
    width = std::max(std::round(width), 0.f);
    height = std::max(std::round(height), 0.f);
    if (width == fFrame.Width() && height == fFrame.Height())
        return;
    _Resized(width, height);
    if (fDisplayWindow >= 0)
        BPrivate::display()->ResizeTo(fDisplayWindow, width, height);
    FrameResized(width, height);
}

void BWindow::ResizeBy(float dx, float dy)
{
    ResizeTo(fFrame.Width() + dx, fFrame.Height() + dy);
}

void BWindow::_Resized(float width, float height)
{
    _ReleaseContext();
    fFrame.right = fFrame.left + width;
    fFrame.bottom = fFrame.top + height;
    if (!fOffscreen)
        _CreateBuffer();
    fTopView->ResizeTo(width, height);
    _Invalidate(Bounds());
}

void BWindow::CenterOnScreen()
{
    const BRect screen = BPrivate::display()->ScreenFrame();
    MoveTo(BPoint((screen.Width() - fFrame.Width()) / 2, (screen.Height() - fFrame.Height()) / 2));
}

BPoint BWindow::ConvertToScreen(BPoint point) const
{
    return point + fFrame.LeftTop();
}

BRect BWindow::ConvertToScreen(BRect rect) const
{
    return rect.OffsetByCopy(fFrame.left, fFrame.top);
}

BPoint BWindow::ConvertFromScreen(BPoint point) const
{
    return point - fFrame.LeftTop();
}

BRect BWindow::ConvertFromScreen(BRect rect) const
{
    return rect.OffsetByCopy(-fFrame.left, -fFrame.top);
}

// #pragma mark - views

void BWindow::AddChild(BView* child, BView* before)
{
    fTopView->AddChild(child, before);
}

bool BWindow::RemoveChild(BView* child)
{
    return fTopView->RemoveChild(child);
}

int32 BWindow::CountChildren() const
{
    return fTopView->CountChildren();
}

BView* BWindow::ChildAt(int32 index) const
{
    return fTopView->ChildAt(index);
}

BView* BWindow::FindView(const char* name) const
{
    for (int32 i = 0; i < fTopView->CountChildren(); i++) {
        if (BView* found = fTopView->ChildAt(i)->FindView(name))
            return found;
    }
    return nullptr;
}

BView* BWindow::FindView(BPoint point) const
{
    BView* view = fTopView->_ViewAt(point);
    return view == fTopView ? nullptr : view;
}

void BWindow::SetDefaultButton(BButton* button)
{
    if (button == fDefaultButton)
        return;
    BButton* old = fDefaultButton;
    fDefaultButton = button;
    if (old != nullptr)
        old->MakeDefault(false);
    if (button != nullptr)
        button->MakeDefault(true);
}

void BWindow::SetKeyMenuBar(BMenuBar* bar)
{
    fKeyMenuBar = bar;
}

void BWindow::_SetFocus(BView* view)
{
    BView* old = fFocus;
    if (old == view)
        return;
    fFocus = view;
    SetPreferredHandler(view);
    if (old != nullptr)
        old->MakeFocus(false);
}

void BWindow::_KeyboardNavigation(bool forward)
{
    std::vector<BView*> views;
    fTopView->_Collect(views);
    std::vector<BView*> navigable;
    for (BView* view : views) {
        if ((view->Flags() & B_NAVIGABLE) != 0 && !view->IsHidden())
            navigable.push_back(view);
    }
    if (navigable.empty())
        return;
    auto at = std::find(navigable.begin(), navigable.end(), fFocus);
    BView* next;
    if (at == navigable.end())
        next = forward ? navigable.front() : navigable.back();
    else if (forward)
        next = at + 1 == navigable.end() ? navigable.front() : *(at + 1);
    else
        next = at == navigable.begin() ? navigable.back() : *(at - 1);
    next->MakeFocus(true);
}

void BWindow::_ViewDetached(BView* view)
{
    if (fFocus == view) {
        fFocus = nullptr;
        SetPreferredHandler(nullptr);
    }
    if (fMouseView == view)
        fMouseView = nullptr;
    if (fLastMouseMovedView == view)
        fLastMouseMovedView = nullptr;
    if (static_cast<BView*>(fDefaultButton) == view)
        fDefaultButton = nullptr;
    if (fContextView == view)
        _ReleaseContext();
    BPrivate::remove_window_shortcuts(this, view);
}

void BWindow::_ViewHidden(BView* view)
{
    if (fMouseView == view)
        fMouseView = nullptr;
    if (fContextView == view)
        _ReleaseContext();
}
