#include "ui/MouseDownManager.h"

#include <Message.h>
#include <View.h>
#include <Window.h>

namespace {

// The pointer must move more than 4 pixels (squared: 16) from the press for a drag.
constexpr float kDragThresholdSquared = 16.0f;

} // namespace

TMouseDownManager::TMouseDownManager(BView* view) : fPressPoint(0, 0), fView(view) {}

TMouseDownManager::~TMouseDownManager() = default;

void TMouseDownManager::MouseClickLeftDouble(BPoint) {}
void TMouseDownManager::MouseClickLeftSingle(BPoint) {}
void TMouseDownManager::MouseClickRightDouble(BPoint) {}
void TMouseDownManager::MouseClickRightSingle(BPoint) {}
void TMouseDownManager::MouseDownLeft(BPoint) {}
void TMouseDownManager::MouseDownRight(BPoint) {}
void TMouseDownManager::MouseDragBeginLeft(BPoint, BPoint) {}
void TMouseDownManager::MouseDragBeginRight(BPoint, BPoint) {}
void TMouseDownManager::MouseDragEndLeft(BPoint, BPoint) {}
void TMouseDownManager::MouseDragEndRight(BPoint, BPoint) {}
void TMouseDownManager::MouseDraggingLeft(BPoint, BPoint) {}
void TMouseDownManager::MouseDraggingRight(BPoint, BPoint) {}
void TMouseDownManager::MouseUpLeft(BPoint) {}
void TMouseDownManager::MouseUpRight(BPoint) {}

void TMouseDownManager::ManageMouseDown(BPoint where)
{
    fDragging = false;
    fButtons = 0;
    fClicks = 0;
    BWindow* window = fView->Window();
    if (const BMessage* message = window != nullptr ? window->CurrentMessage() : nullptr) {
        message->FindInt32("buttons", &fButtons);
        message->FindInt32("clicks", &fClicks);
    }
    fPressPoint = where;
    if (IsSingle()) {
        if (IsLeft())
            MouseDownLeft(where);
        else if (IsRight())
            MouseDownRight(where);
    }
    fView->SetMouseEventMask(B_POINTER_EVENTS, B_NO_POINTER_HISTORY);
}

void TMouseDownManager::ManageMouseMoved(BPoint where, uint32, const BMessage*)
{
    if (fButtons == 0)
        return;
    if (!fDragging) {
        const float dx = where.x - fPressPoint.x;
        const float dy = where.y - fPressPoint.y;
        if (dx * dx + dy * dy > kDragThresholdSquared) {
            fDragging = true;
            if (IsLeft())
                MouseDragBeginLeft(fPressPoint, where);
            else if (IsRight())
                MouseDragBeginRight(fPressPoint, where);
        }
    }
    if (fDragging) {
        if (IsLeft())
            MouseDraggingLeft(fPressPoint, where);
        else if (IsRight())
            MouseDraggingRight(fPressPoint, where);
    }
}

void TMouseDownManager::ManageMouseUp(BPoint where)
{
    if (fButtons == 0)
        return;
    if (!fDragging) {
        if (IsSingle()) {
            if (IsLeft())
                MouseClickLeftSingle(where);
            else if (IsRight())
                MouseClickRightSingle(where);
        } else if (IsDouble()) {
            if (IsLeft())
                MouseClickLeftDouble(where);
            else if (IsRight())
                MouseClickRightDouble(where);
        }
    } else {
        if (IsLeft())
            MouseDragEndLeft(fPressPoint, where);
        else if (IsRight())
            MouseDragEndRight(fPressPoint, where);
    }
    if (IsSingle()) {
        if (IsLeft())
            MouseUpLeft(where);
        else if (IsRight())
            MouseUpRight(where);
    }
    fButtons = 0;
    fDragging = false;
}
