#pragma once

// A view is a rectangle of a window that draws itself and takes the input aimed at it. Views
// form a tree: each has a frame in its parent's coordinates and bounds in its own (the left
// top of the bounds is always 0, 0 here: views do not scroll). A view draws in Draw(), which
// the window calls when part of the view needs drawing, with the drawing calls below; those
// calls also work outside Draw() — they then draw into the window's back buffer at once, and
// the window shows the result with its next update. Input arrives as one virtual call per
// kind of event, on the window's thread.

#include <Font.h>
#include <GraphicsDefs.h>
#include <Handler.h>
#include <InterfaceDefs.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <string>
#include <vector>

class BBitmap;
class BMessage;
class BWindow;
typedef struct _cairo cairo_t;

// How a view follows its parent's size: one rule for the left and right edges, one for the
// top and bottom edges.
enum {
    B_FOLLOW_NONE = 0,
    B_FOLLOW_LEFT = 0x0202,
    B_FOLLOW_RIGHT = 0x0404,
    B_FOLLOW_LEFT_RIGHT = 0x0204,
    B_FOLLOW_H_CENTER = 0x0505,
    B_FOLLOW_TOP = 0x1010,
    B_FOLLOW_BOTTOM = 0x3030,
    B_FOLLOW_TOP_BOTTOM = 0x1030,
    B_FOLLOW_V_CENTER = 0x5050,
    B_FOLLOW_ALL_SIDES = 0x1234,
    B_FOLLOW_ALL = B_FOLLOW_ALL_SIDES,
};

// View flags.
enum {
    B_FULL_UPDATE_ON_RESIZE = 0x80000000U,
    B_WILL_DRAW = 0x20000000,
    B_PULSE_NEEDED = 0x10000000,
    B_NAVIGABLE_JUMP = 0x08000000,
    B_FRAME_EVENTS = 0x04000000,
    B_NAVIGABLE = 0x02000000,
    B_SUBPIXEL_PRECISE = 0x01000000,
    B_DRAW_ON_CHILDREN = 0x00800000,
    B_INPUT_METHOD_AWARE = 0x00400000,
};

// SetMouseEventMask(): while a button is held, the pointer's events go to this view wherever
// the pointer is.
enum {
    B_POINTER_EVENTS = 0x00000001,
    B_KEYBOARD_EVENTS = 0x00000002,
};
enum {
    B_LOCK_WINDOW_FOCUS = 0x00000001,
    B_SUSPEND_VIEW_FOCUS = 0x00000002,
    B_NO_POINTER_HISTORY = 0x00000004,
    B_FULL_POINTER_HISTORY = 0x00000008,
};

// MouseMoved()'s transit.
enum {
    B_ENTERED_VIEW = 0,
    B_INSIDE_VIEW,
    B_EXITED_VIEW,
    B_OUTSIDE_VIEW,
};

enum {
    B_PRIMARY_MOUSE_BUTTON = 0x01,
    B_SECONDARY_MOUSE_BUTTON = 0x02,
    B_TERTIARY_MOUSE_BUTTON = 0x04,
};

class BView : public BHandler {
public:
    BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
    // Frame, modes, flags, colours, font and, with their archives in "_views", the children.
    explicit BView(BMessage* archive);
    // Deletes the children. A view still in a tree removes itself first (holding the
    // window's lock, as every change of a shown window's views needs).
    ~BView() override;

    static BArchivable* Instantiate(BMessage* archive);
    // "_frame", "_resize_mode", "_flags", "_colors" (high, low and view colour), "_fname"
    // (family, style), "_fflt" (size), "_hidden", and with deep the children in "_views".
    status_t Archive(BMessage* into, bool deep = true) const override;

    // Hooks.
    virtual void AttachedToWindow();
    // After AttachedToWindow() of this view and all its children, bottom up.
    virtual void AllAttached();
    virtual void DetachedFromWindow();
    virtual void AllDetached();
    virtual void Draw(BRect updateRect);
    virtual void DrawAfterChildren(BRect updateRect);
    // where is in the view's coordinates.
    virtual void MouseDown(BPoint where);
    virtual void MouseUp(BPoint where);
    virtual void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);
    // The default handles Tab: focus moves to the next navigable view (Shift: previous).
    virtual void KeyDown(const char* bytes, int32 numBytes);
    virtual void KeyUp(const char* bytes, int32 numBytes);
    virtual void FrameMoved(BPoint newPosition);
    virtual void FrameResized(float newWidth, float newHeight);
    virtual void WindowActivated(bool active);
    virtual void MakeFocus(bool focus = true);
    virtual void Show();
    virtual void Hide();
    virtual void SetFlags(uint32 flags);
    virtual void SetResizingMode(uint32 mode);
    virtual void ResizeToPreferred();
    virtual void GetPreferredSize(float* width, float* height);
    virtual void SetFont(const BFont* font, uint32 properties = 0xff);
    void MessageReceived(BMessage* message) override;

    // The tree.
    void AddChild(BView* child, BView* before = nullptr);
    bool RemoveChild(BView* child);
    bool RemoveSelf();
    int32 CountChildren() const { return (int32)fChildren.size(); }
    BView* ChildAt(int32 index) const;
    BView* NextSibling() const;
    BView* PreviousSibling() const;
    BView* Parent() const { return fParent; }
    BWindow* Window() const { return fWindow; }
    // This view or the first of its descendants (depth first) with that name.
    BView* FindView(const char* name) const;

    // Geometry. Frame() is in the parent's coordinates (the window's for a top view).
    BRect Frame() const { return fFrame; }
    BRect Bounds() const { return BRect(0, 0, fFrame.Width(), fFrame.Height()); }
    void MoveTo(BPoint where);
    void MoveTo(float x, float y) { MoveTo(BPoint(x, y)); }
    void MoveBy(float dx, float dy);
    void ResizeTo(float width, float height);
    void ResizeBy(float dx, float dy);
    uint32 ResizingMode() const { return fResizingMode; }
    uint32 Flags() const { return fFlags; }
    bool IsHidden() const;
    // Hidden by its own Hide(), whatever its parents are.
    bool IsHidden(const BView* lookingFrom) const;

    BPoint ConvertToParent(BPoint point) const;
    BRect ConvertToParent(BRect rect) const;
    BPoint ConvertFromParent(BPoint point) const;
    BRect ConvertFromParent(BRect rect) const;
    BPoint ConvertToScreen(BPoint point) const;
    BRect ConvertToScreen(BRect rect) const;
    BPoint ConvertFromScreen(BPoint point) const;
    BRect ConvertFromScreen(BRect rect) const;

    // Focus and input.
    bool IsFocus() const;
    // While a mouse button is held (or until the next mouse-up), the pointer's events go to
    // this view.
    status_t SetMouseEventMask(uint32 mask, uint32 options = 0);
    // The pointer's position in the view's coordinates and the buttons held, as last reported.
    void GetMouse(BPoint* location, uint32* buttons, bool checkHistory = true);

    // Drawing state.
    void SetViewColor(rgb_color color);
    void SetViewColor(uchar r, uchar g, uchar b, uchar a = 255)
    {
        SetViewColor(rgb_color{r, g, b, a});
    }
    rgb_color ViewColor() const { return fViewColor; }
    void SetHighColor(rgb_color color) { fHighColor = color; }
    void SetHighColor(uchar r, uchar g, uchar b, uchar a = 255)
    {
        SetHighColor(rgb_color{r, g, b, a});
    }
    rgb_color HighColor() const { return fHighColor; }
    void SetLowColor(rgb_color color) { fLowColor = color; }
    void SetLowColor(uchar r, uchar g, uchar b, uchar a = 255)
    {
        SetLowColor(rgb_color{r, g, b, a});
    }
    rgb_color LowColor() const { return fLowColor; }
    void SetDrawingMode(drawing_mode mode) { fDrawingMode = mode; }
    drawing_mode DrawingMode() const { return fDrawingMode; }
    void SetBlendingMode(source_alpha srcAlpha, alpha_function alphaFunc);
    void SetPenSize(float size) { fPenSize = size; }
    float PenSize() const { return fPenSize; }
    void GetFont(BFont* font) const { *font = fFont; }
    float StringWidth(const char* string) const { return fFont.StringWidth(string); }
    float StringWidth(const char* string, int32 length) const
    {
        return fFont.StringWidth(string, length);
    }
    void GetFontHeight(font_height* height) const { fFont.GetHeight(height); }
    void MovePenTo(BPoint where) { fPenLocation = where; }
    void MovePenTo(float x, float y) { fPenLocation = BPoint(x, y); }
    BPoint PenLocation() const { return fPenLocation; }

    // Drawing. Rectangles are inclusive: FillRect(BRect(0, 0, 9, 9)) fills 10 by 10 pixels.
    // Patterns other than solid high or low colour are drawn as the high colour.
    void FillRect(BRect rect, ::pattern pattern = B_SOLID_HIGH);
    void StrokeRect(BRect rect, ::pattern pattern = B_SOLID_HIGH);
    void StrokeLine(BPoint start, BPoint end, ::pattern pattern = B_SOLID_HIGH);
    void StrokeLine(BPoint end, ::pattern pattern = B_SOLID_HIGH);
    void FillEllipse(BRect rect, ::pattern pattern = B_SOLID_HIGH);
    void StrokeEllipse(BRect rect, ::pattern pattern = B_SOLID_HIGH);
    void FillTriangle(BPoint a, BPoint b, BPoint c, ::pattern pattern = B_SOLID_HIGH);
    // The baseline's left end at where (or at the pen); the pen moves to the string's end.
    void DrawString(const char* string, BPoint where);
    void DrawString(const char* string);
    void DrawString(const char* string, int32 length, BPoint where);
    // The whole bitmap with its left top at where, or scaled into destRect. B_OP_ALPHA and
    // B_OP_OVER blend by the bitmap's alpha (B_TRANSPARENT_MAGIC_CMAP8 is transparent);
    // B_OP_COPY copies.
    void DrawBitmap(const BBitmap* bitmap, BPoint where);
    void DrawBitmap(const BBitmap* bitmap, BRect destRect);
    void DrawBitmap(const BBitmap* bitmap);
    // Marks the rect (view coordinates) as needing Draw(); the window draws it soon.
    void Invalidate(BRect rect);
    void Invalidate();
    // Has the window show what was drawn outside Draw().
    void Flush() const;
    void Sync() const;

protected:
    // For the kit's controls: the cairo context that draws into this view, set up with the
    // view's origin and clipping; nullptr when the view is not in a window or bitmap.
    cairo_t* _Context();

private:
    friend class BWindow;

    // Whether the window hands this view mouse-downs and keys at all: a disabled control
    // takes none, so that no control has to check for itself.
    virtual bool _AcceptsInput() const { return true; }

    void _Attach(BWindow* window);
    void _Detach();
    void _CallAllAttached();
    void _CallAllDetached();
    void _ParentResized(float dx, float dy);
    // The frame in window coordinates.
    BRect _FrameInWindow() const;
    BPoint _OriginInWindow() const;
    // The visible part of the view, in window coordinates.
    BRect _VisibleInWindow() const;
    // Draws this view and its children into cr (window coordinates) where dirty asks.
    void _Draw(cairo_t* cr, BRect dirty);
    void _SetSource(cairo_t* cr, rgb_color color) const;
    void _SetSource(cairo_t* cr, const ::pattern& pattern) const;
    void _FillRectWith(cairo_t* cr, BRect rect);
    // The deepest visible view at where (window coordinates).
    BView* _ViewAt(BPoint where);
    // Every view of the tree below and including this one, depth first.
    void _Collect(std::vector<BView*>& views);
    void _Archive(BMessage* into) const;

    BWindow* fWindow = nullptr;
    BView* fParent = nullptr;
    std::vector<BView*> fChildren;
    BRect fFrame;
    uint32 fResizingMode = 0;
    uint32 fFlags = 0;
    bool fHidden = false;
    rgb_color fViewColor = {255, 255, 255, 255};
    rgb_color fHighColor = {0, 0, 0, 255};
    rgb_color fLowColor = {255, 255, 255, 255};
    drawing_mode fDrawingMode = B_OP_COPY;
    source_alpha fSourceAlpha = B_PIXEL_ALPHA;
    alpha_function fAlphaFunction = B_ALPHA_OVERLAY;
    float fPenSize = 1;
    BPoint fPenLocation;
    BFont fFont;
    uint32 fEventMask = 0;
    uint32 fEventOptions = 0;
};
