#include <View.h>

#include <Bitmap.h>
#include <Message.h>
#include <Window.h>

#include "ArchiveClasses.h"
#include "BitmapPrivate.h"
#include "FontRendering.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

int32 pack_color(rgb_color color)
{
    return (int32)(((uint32)color.red << 24) | ((uint32)color.green << 16) |
                   ((uint32)color.blue << 8) | color.alpha);
}

rgb_color unpack_color(int32 packed)
{
    const uint32 value = (uint32)packed;
    return rgb_color{(uint8)(value >> 24), (uint8)(value >> 16), (uint8)(value >> 8), (uint8)value};
}

// Where an edge goes when the parent grows by delta, by the rule of a resizing mode's nibble.
float follow(uint32 rule, float delta)
{
    switch (rule) {
    case 4: // right or bottom
    case 3:
        return delta;
    case 5: // centre
        return delta / 2;
    default: // left, top, or none
        return 0;
    }
}

} // namespace

BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
    : BHandler(name), fFrame(frame), fResizingMode(resizingMode), fFlags(flags)
{
    BPrivate::register_interface_classes();
}

BView::BView(BMessage* archive) : BHandler(archive)
{
    BPrivate::register_interface_classes();
    if (archive == nullptr)
        return;
    archive->FindRect("_frame", &fFrame);
    int32 value;
    if (archive->FindInt32("_resize_mode", &value) == B_OK)
        fResizingMode = (uint32)value;
    if (archive->FindInt32("_flags", &value) == B_OK)
        fFlags = (uint32)value;
    if (archive->FindInt32("_colors", 0, &value) == B_OK)
        fHighColor = unpack_color(value);
    if (archive->FindInt32("_colors", 1, &value) == B_OK)
        fLowColor = unpack_color(value);
    if (archive->FindInt32("_colors", 2, &value) == B_OK)
        fViewColor = unpack_color(value);
    const char* family;
    const char* style;
    if (archive->FindString("_fname", 0, &family) == B_OK &&
        archive->FindString("_fname", 1, &style) == B_OK)
        fFont.SetFamilyAndStyle(family, style);
    float size;
    if (archive->FindFloat("_fflt", &size) == B_OK && size > 0 && size < 1000)
        fFont.SetSize(size);
    bool hidden;
    if (archive->FindBool("_hidden", &hidden) == B_OK)
        fHidden = hidden;

    BMessage child;
    for (int32 i = 0; archive->FindMessage("_views", i, &child) == B_OK; i++) {
        BArchivable* object = instantiate_object(&child);
        if (auto* view = dynamic_cast<BView*>(object))
            AddChild(view);
        else
            delete object;
    }
}

BView::~BView()
{
    // A view deleted while still in the tree would leave the window pointing at it.
    if (fParent != nullptr)
        fParent->RemoveChild(this);
    for (BView* child : fChildren) {
        child->fParent = nullptr;
        delete child;
    }
}

BArchivable* BView::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "BView"))
        return nullptr;
    return new BView(archive);
}

status_t BView::Archive(BMessage* into, bool deep) const
{
    status_t status = BHandler::Archive(into, deep);
    if (status != B_OK)
        return status;
    status = BPrivate::add_archived_class(into, "BView");
    if (status != B_OK)
        return status;
    _Archive(into);
    if (deep) {
        for (const BView* child : fChildren) {
            BMessage archive;
            status = child->Archive(&archive, true);
            if (status == B_OK)
                status = into->AddMessage("_views", &archive);
            if (status != B_OK)
                return status;
        }
    }
    return B_OK;
}

void BView::_Archive(BMessage* into) const
{
    into->AddRect("_frame", fFrame);
    into->AddInt32("_resize_mode", (int32)fResizingMode);
    into->AddInt32("_flags", (int32)fFlags);
    into->AddInt32("_colors", pack_color(fHighColor));
    into->AddInt32("_colors", pack_color(fLowColor));
    into->AddInt32("_colors", pack_color(fViewColor));
    font_family family;
    font_style style;
    fFont.GetFamilyAndStyle(&family, &style);
    into->AddString("_fname", family);
    into->AddString("_fname", style);
    into->AddFloat("_fflt", fFont.Size());
    if (fHidden)
        into->AddBool("_hidden", true);
}

// #pragma mark - hooks

void BView::AttachedToWindow() {}
void BView::AllAttached() {}
void BView::DetachedFromWindow() {}
void BView::AllDetached() {}
void BView::Draw(BRect) {}
void BView::DrawAfterChildren(BRect) {}
void BView::MouseDown(BPoint) {}
void BView::MouseUp(BPoint) {}
void BView::MouseMoved(BPoint, uint32, const BMessage*) {}
void BView::KeyUp(const char*, int32) {}
void BView::FrameMoved(BPoint) {}
void BView::FrameResized(float, float) {}
void BView::WindowActivated(bool) {}

void BView::KeyDown(const char* bytes, int32 numBytes)
{
    // What a view does not use goes to the window's own keyboard rules.
    if (fWindow != nullptr && numBytes > 0)
        fWindow->_UnhandledKey(bytes[0], this);
}

void BView::MessageReceived(BMessage* message)
{
    BHandler::MessageReceived(message);
}

void BView::MakeFocus(bool focus)
{
    if (fWindow == nullptr)
        return;
    if (focus) {
        if (fWindow->fFocus != this)
            fWindow->_SetFocus(this);
    } else if (fWindow->fFocus == this) {
        fWindow->_SetFocus(nullptr);
    }
}

bool BView::IsFocus() const
{
    return fWindow != nullptr && fWindow->fFocus == this;
}

void BView::Show()
{
    if (!fHidden)
        return;
    fHidden = false;
    if (fWindow != nullptr)
        fWindow->_Invalidate(_FrameInWindow());
}

void BView::Hide()
{
    if (fHidden)
        return;
    if (fWindow != nullptr) {
        fWindow->_Invalidate(_FrameInWindow());
        fWindow->_ViewHidden(this);
    }
    fHidden = true;
}

bool BView::IsHidden(const BView*) const
{
    return fHidden;
}

bool BView::IsHidden() const
{
    for (const BView* view = this; view != nullptr; view = view->fParent) {
        if (view->fHidden)
            return true;
    }
    return fWindow != nullptr && fWindow->IsHidden();
}

void BView::SetFlags(uint32 flags)
{
    fFlags = flags;
}

void BView::SetResizingMode(uint32 mode)
{
    fResizingMode = mode;
}

void BView::GetPreferredSize(float* width, float* height)
{
    if (width != nullptr)
        *width = fFrame.Width();
    if (height != nullptr)
        *height = fFrame.Height();
}

void BView::ResizeToPreferred()
{
    float width;
    float height;
    GetPreferredSize(&width, &height);
    ResizeTo(width, height);
}

void BView::SetFont(const BFont* font, uint32)
{
    if (font == nullptr)
        return;
    fFont = *font;
    Invalidate();
}

void BView::SetBlendingMode(source_alpha srcAlpha, alpha_function alphaFunc)
{
    fSourceAlpha = srcAlpha;
    fAlphaFunction = alphaFunc;
}

void BView::SetViewColor(rgb_color color)
{
    fViewColor = color;
    Invalidate();
}

// #pragma mark - the tree

void BView::AddChild(BView* child, BView* before)
{
    BPrivate::check_locked(fWindow, "BView::AddChild");
    if (child == nullptr || child->fParent != nullptr || child->fWindow != nullptr || child == this)
        return;
    auto at = std::find(fChildren.begin(), fChildren.end(), before);
    fChildren.insert(at, child);
    child->fParent = this;
    if (fWindow != nullptr) {
        child->_Attach(fWindow);
        child->_CallAllAttached();
        fWindow->_Invalidate(child->_FrameInWindow());
    }
}

bool BView::RemoveChild(BView* child)
{
    if (child == nullptr || child->fParent != this)
        return false;
    if (fWindow != nullptr) {
        fWindow->_Invalidate(child->_FrameInWindow());
        child->_CallAllDetached();
        child->_Detach();
    }
    fChildren.erase(std::find(fChildren.begin(), fChildren.end(), child));
    child->fParent = nullptr;
    return true;
}

bool BView::RemoveSelf()
{
    if (fParent != nullptr)
        return fParent->RemoveChild(this);
    return false;
}

BView* BView::ChildAt(int32 index) const
{
    if (index < 0 || index >= (int32)fChildren.size())
        return nullptr;
    return fChildren[(size_t)index];
}

BView* BView::NextSibling() const
{
    if (fParent == nullptr)
        return nullptr;
    const auto& siblings = fParent->fChildren;
    auto at = std::find(siblings.begin(), siblings.end(), this);
    return at == siblings.end() || at + 1 == siblings.end() ? nullptr : *(at + 1);
}

BView* BView::PreviousSibling() const
{
    if (fParent == nullptr)
        return nullptr;
    const auto& siblings = fParent->fChildren;
    auto at = std::find(siblings.begin(), siblings.end(), this);
    return at == siblings.begin() || at == siblings.end() ? nullptr : *(at - 1);
}

BView* BView::FindView(const char* name) const
{
    if (name == nullptr)
        return nullptr;
    if (strcmp(Name(), name) == 0)
        return const_cast<BView*>(this);
    for (const BView* child : fChildren) {
        if (BView* found = child->FindView(name))
            return found;
    }
    return nullptr;
}

void BView::_Attach(BWindow* window)
{
    fWindow = window;
    window->AddHandler(this);
    SetNextHandler(fParent != nullptr ? static_cast<BHandler*>(fParent)
                                      : static_cast<BHandler*>(window));
    AttachedToWindow();
    for (BView* child : fChildren)
        child->_Attach(window);
}

void BView::_CallAllAttached()
{
    for (BView* child : fChildren)
        child->_CallAllAttached();
    AllAttached();
}

void BView::_CallAllDetached()
{
    for (BView* child : fChildren)
        child->_CallAllDetached();
    AllDetached();
}

void BView::_Detach()
{
    DetachedFromWindow();
    for (BView* child : fChildren)
        child->_Detach();
    fWindow->_ViewDetached(this);
    fWindow->RemoveHandler(this);
    SetNextHandler(nullptr);
    fWindow = nullptr;
}

void BView::_Collect(std::vector<BView*>& views)
{
    views.push_back(this);
    for (BView* child : fChildren)
        child->_Collect(views);
}

// #pragma mark - geometry

void BView::MoveTo(BPoint where)
{
    if (where == fFrame.LeftTop())
        return;
    if (fWindow != nullptr)
        fWindow->_Invalidate(_VisibleInWindow());
    fFrame.OffsetTo(where);
    if (fWindow != nullptr) {
        fWindow->_Invalidate(_VisibleInWindow());
        if ((fFlags & B_FRAME_EVENTS) != 0)
            FrameMoved(where);
    }
}

void BView::MoveBy(float dx, float dy)
{
    MoveTo(BPoint(fFrame.left + dx, fFrame.top + dy));
}

void BView::ResizeTo(float width, float height)
{
    ResizeBy(width - fFrame.Width(), height - fFrame.Height());
}

void BView::ResizeBy(float dx, float dy)
{
    if (dx == 0 && dy == 0)
        return;
    if (fWindow != nullptr)
        fWindow->_Invalidate(_VisibleInWindow());
    fFrame.right += dx;
    fFrame.bottom += dy;
    for (BView* child : fChildren)
        child->_ParentResized(dx, dy);
    if (fWindow != nullptr) {
        fWindow->_Invalidate(_VisibleInWindow());
        if ((fFlags & B_FRAME_EVENTS) != 0)
            FrameResized(fFrame.Width(), fFrame.Height());
    }
}

void BView::_ParentResized(float dx, float dy)
{
    const uint32 mode = fResizingMode;
    const float left = follow((mode >> 8) & 0xf, dx);
    const float right = follow(mode & 0xf, dx);
    const float top = follow((mode >> 12) & 0xf, dy);
    const float bottom = follow((mode >> 4) & 0xf, dy);
    if (left != 0 || top != 0)
        MoveTo(BPoint(fFrame.left + left, fFrame.top + top));
    ResizeBy((right - left), (bottom - top));
}

BPoint BView::ConvertToParent(BPoint point) const
{
    return point + fFrame.LeftTop();
}

BRect BView::ConvertToParent(BRect rect) const
{
    return rect.OffsetByCopy(fFrame.left, fFrame.top);
}

BPoint BView::ConvertFromParent(BPoint point) const
{
    return point - fFrame.LeftTop();
}

BRect BView::ConvertFromParent(BRect rect) const
{
    return rect.OffsetByCopy(-fFrame.left, -fFrame.top);
}

BPoint BView::_OriginInWindow() const
{
    BPoint origin;
    for (const BView* view = this; view != nullptr; view = view->fParent)
        origin += view->fFrame.LeftTop();
    return origin;
}

BRect BView::_FrameInWindow() const
{
    const BPoint origin = _OriginInWindow();
    return Bounds().OffsetByCopy(origin.x, origin.y);
}

BRect BView::_VisibleInWindow() const
{
    BRect visible = _FrameInWindow();
    for (const BView* view = fParent; view != nullptr; view = view->fParent)
        visible = visible & view->_FrameInWindow();
    return visible;
}

BPoint BView::ConvertToScreen(BPoint point) const
{
    const BPoint inWindow = point + _OriginInWindow();
    return fWindow != nullptr ? fWindow->ConvertToScreen(inWindow) : inWindow;
}

BRect BView::ConvertToScreen(BRect rect) const
{
    const BPoint leftTop = ConvertToScreen(rect.LeftTop());
    return rect.OffsetToCopy(leftTop.x, leftTop.y);
}

BPoint BView::ConvertFromScreen(BPoint point) const
{
    const BPoint inWindow = fWindow != nullptr ? fWindow->ConvertFromScreen(point) : point;
    return inWindow - _OriginInWindow();
}

BRect BView::ConvertFromScreen(BRect rect) const
{
    const BPoint leftTop = ConvertFromScreen(rect.LeftTop());
    return rect.OffsetToCopy(leftTop.x, leftTop.y);
}

BView* BView::_ViewAt(BPoint where)
{
    if (fHidden || !Bounds().Contains(where))
        return nullptr;
    // Later children are drawn on top of earlier ones.
    for (auto child = fChildren.rbegin(); child != fChildren.rend(); ++child) {
        if (BView* found = (*child)->_ViewAt((*child)->ConvertFromParent(where)))
            return found;
    }
    return this;
}

// #pragma mark - input

status_t BView::SetMouseEventMask(uint32 mask, uint32 options)
{
    if (fWindow == nullptr)
        return B_ERROR;
    fEventMask = mask;
    fEventOptions = options;
    if ((mask & B_POINTER_EVENTS) != 0)
        fWindow->fMouseView = this;
    return B_OK;
}

void BView::GetMouse(BPoint* location, uint32* buttons, bool)
{
    if (fWindow == nullptr) {
        if (location != nullptr)
            *location = BPoint();
        if (buttons != nullptr)
            *buttons = 0;
        return;
    }
    if (location != nullptr)
        *location = fWindow->fLastMouseWhere - _OriginInWindow();
    if (buttons != nullptr)
        *buttons = fWindow->fLastButtons;
}

// #pragma mark - archives

namespace BPrivate {

status_t add_archived_class(BMessage* archive, const char* className)
{
    if (archive == nullptr || className == nullptr)
        return B_BAD_VALUE;
    std::vector<std::string> names;
    const char* name;
    for (int32 i = 0; archive->FindString("class", i, &name) == B_OK; i++)
        names.emplace_back(name);
    if (!names.empty() && names.front() == className)
        return B_OK;
    names.insert(names.begin() + (names.empty() ? 0 : 1), className);
    archive->RemoveName("class");
    for (const std::string& each : names) {
        const status_t status = archive->AddString("class", each.c_str());
        if (status != B_OK)
            return status;
    }
    return B_OK;
}

} // namespace BPrivate
