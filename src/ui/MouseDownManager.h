#pragma once

// Turns one view's raw mouse events into gestures: press, single and double click, drag
// begin, dragging, drag end and release, for the primary (left) and secondary (right)
// button. A view overrides only the hooks it wants; every hook does nothing by default.

#include <Point.h>
#include <SupportDefs.h>

class BMessage;
class BView;

class TMouseDownManager {
public:
    explicit TMouseDownManager(BView* view);
    virtual ~TMouseDownManager();

    // Points are in the view's coordinates; in the two-point hooks "from" is where the
    // button went down and "to" where the pointer is now.
    virtual void MouseClickLeftDouble(BPoint where);
    virtual void MouseClickLeftSingle(BPoint where);
    virtual void MouseClickRightDouble(BPoint where);
    virtual void MouseClickRightSingle(BPoint where);
    virtual void MouseDownLeft(BPoint where);
    virtual void MouseDownRight(BPoint where);
    virtual void MouseDragBeginLeft(BPoint from, BPoint to);
    virtual void MouseDragBeginRight(BPoint from, BPoint to);
    virtual void MouseDragEndLeft(BPoint from, BPoint to);
    virtual void MouseDragEndRight(BPoint from, BPoint to);
    virtual void MouseDraggingLeft(BPoint from, BPoint to);
    virtual void MouseDraggingRight(BPoint from, BPoint to);
    virtual void MouseUpLeft(BPoint where);
    virtual void MouseUpRight(BPoint where);

    // Called by the view's MouseDown, MouseMoved and MouseUp, on its window's thread.
    void ManageMouseDown(BPoint where);
    void ManageMouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);
    void ManageMouseUp(BPoint where);

private:
    bool IsLeft() const { return fButtons == 1; }
    bool IsRight() const { return fButtons == 2; }
    // Clicks counted by the platform: 1, 4, 7... are single presses, 2, 5... double ones.
    bool IsSingle() const { return fClicks % 3 == 1; }
    bool IsDouble() const { return fClicks % 3 == 2; }

    bool fDragging = false;
    int32 fButtons = 0;
    int32 fClicks = 0;
    BPoint fPressPoint;
    BView* fView;
};
